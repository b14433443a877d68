#include "synthetic_sound.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "audio/sound_format.h"
#include "movie/sample_table_builder.h"

namespace audio_test {

void put_u16(bytes& b, uint32_t v) {
    b.push_back(uint8_t(v >> 8));
    b.push_back(uint8_t(v));
}

void put_u32(bytes& b, uint32_t v) {
    put_u16(b, v >> 16);
    put_u16(b, v & 0xFFFF);
}

void put_f64(bytes& b, double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, 8);
    put_u32(b, uint32_t(bits >> 32));
    put_u32(b, uint32_t(bits));
}

namespace {

void put_general_header(bytes& b, OSType format) {
    put_u32(b, 0);  // size, patched by finish
    put_u32(b, format);
    put_u32(b, 0);
    put_u16(b, 0);
    put_u16(b, 1);  // data reference index
}

void put_v0_fields(bytes& b, uint16_t version, uint16_t channels, uint16_t bits, uint32_t rate_fixed) {
    put_u16(b, version);
    put_u16(b, 0);
    put_u32(b, 0);
    put_u16(b, channels);
    put_u16(b, bits);
    put_u16(b, version == 1 ? 0xFFFE : 0);
    put_u16(b, 0);
    put_u32(b, rate_fixed);
}

bytes finish(bytes b) {
    const uint32_t size = uint32_t(b.size());
    b[0] = uint8_t(size >> 24);
    b[1] = uint8_t(size >> 16);
    b[2] = uint8_t(size >> 8);
    b[3] = uint8_t(size);
    return b;
}

bytes make_atom(const char (&type)[5], const bytes& body) {
    bytes b;
    put_u32(b, uint32_t(body.size() + 8));
    put_u32(b, qt_fourcc(type));
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

bytes full_atom_body(const bytes& entries, uint32_t count) {
    bytes b;
    put_u32(b, 0);  // version, flags
    put_u32(b, count);
    b.insert(b.end(), entries.begin(), entries.end());
    return b;
}

}  // namespace

bytes description_v0(OSType format, uint16_t channels, uint16_t bits, uint32_t rate) {
    bytes b;
    put_general_header(b, format);
    put_v0_fields(b, 0, channels, bits, rate << 16);
    return finish(b);
}

bytes description_v1(OSType format, uint16_t channels, uint16_t bits, uint32_t rate, uint32_t bytes_per_frame,
                     int enda) {
    bytes b;
    put_general_header(b, format);
    put_v0_fields(b, 1, channels, bits, rate << 16);
    put_u32(b, 1);
    put_u32(b, bytes_per_frame / channels);
    put_u32(b, bytes_per_frame);
    put_u32(b, 2);
    if (enda >= 0) {
        bytes frma, enda_body, wave;
        put_u32(frma, format);
        put_u16(enda_body, uint32_t(enda));
        wave = make_atom("frma", frma);
        const bytes e = make_atom("enda", enda_body);
        wave.insert(wave.end(), e.begin(), e.end());
        put_u32(wave, 0);  // terminator
        put_u32(wave, 0);
        const bytes w = make_atom("wave", wave);
        b.insert(b.end(), w.begin(), w.end());
    }
    return finish(b);
}

bytes description_v2(OSType format, uint32_t channels, uint32_t bits, double rate, uint32_t flags,
                     uint32_t bytes_per_frame) {
    bytes b;
    put_general_header(b, format);
    put_u16(b, 2);
    put_u16(b, 0);
    put_u32(b, 0);
    put_u16(b, 3);
    put_u16(b, 16);
    put_u16(b, 0xFFFE);
    put_u16(b, 0);
    put_u32(b, 0x00010000);
    put_u32(b, 72);
    put_f64(b, rate);
    put_u32(b, channels);
    put_u32(b, 0x7F000000);
    put_u32(b, bits);
    put_u32(b, flags);
    put_u32(b, bytes_per_frame);
    put_u32(b, 1);
    return finish(b);
}

bytes s16be(const std::vector<int16_t>& values) {
    bytes b;
    for (int16_t v : values) put_u16(b, uint16_t(v));
    return b;
}

qtrt::audio::sound_track_input make_track(const track_plan& plan) {
    qtrt::audio::sound_format format;
    if (qtrt::audio::parse_sound_description(plan.description.data(), plan.description.size(), format) !=
        qtrt::audio::sound_parse_result::ok)
        throw std::runtime_error("bad description in test");
    const uint32_t rate = uint32_t(std::lround(format.sample_rate));
    const uint32_t frame_bytes = format.decodable ? format.bytes_per_frame : 1;

    qtrt::track_model track;
    track.id = 1;
    track.enabled = true;
    qtrt::media_model& media = track.media;
    media.time_scale = plan.media_time_scale ? plan.media_time_scale : TimeScale(rate);
    media.duration = plan.frames * int64_t(media.time_scale) / rate;
    media.handler_type = qt_fourcc("soun");
    media.descriptions.push_back({format.format, 1, plan.description});

    // Tables: one sample per frame, chunks of frames_per_chunk frames laid
    // out one after the other.
    const uint32_t chunks = (plan.frames + plan.frames_per_chunk - 1) / plan.frames_per_chunk;
    bytes stts, stsc, stsz, stco;
    put_u32(stts, plan.frames);
    put_u32(stts, media.time_scale / rate);
    put_u32(stsc, 1);
    put_u32(stsc, plan.frames_per_chunk);
    put_u32(stsc, 1);
    for (uint32_t c = 0; c < chunks; ++c) put_u32(stco, c * plan.frames_per_chunk * frame_bytes);
    const bytes stts_body = full_atom_body(stts, 1);
    const bytes stsc_body = full_atom_body(stsc, 1);
    const bytes stco_body = full_atom_body(stco, chunks);
    put_u32(stsz, 0);  // version, flags
    put_u32(stsz, frame_bytes);
    put_u32(stsz, plan.frames);
    auto table = [](const bytes& body) {
        qtrt::stbl_tables::table t;
        t.present = true;
        t.body = qtrt::atom_reader(body.data(), body.size());
        return t;
    };
    qtrt::stbl_tables tables;
    tables.stts = table(stts_body);
    tables.stsc = table(stsc_body);
    tables.stsz = table(stsz);
    tables.stco = table(stco_body);
    if (plan.frames > 0 && qtrt::sample_table_builder::build(tables, 1, media.samples) != noErr)
        throw std::runtime_error("bad sample table in test");

    if (plan.edits.empty()) {
        qtrt::edit_entry e;
        e.track_duration = int64_t(plan.frames) * plan.movie_time_scale / rate;
        e.media_time = 0;
        track.edits.push_back(e);
    } else {
        track.edits = plan.edits;
    }
    for (const qtrt::edit_entry& e : track.edits) track.duration += e.track_duration;

    const auto data = std::make_shared<bytes>(plan.data);
    qtrt::audio::media_reader reader = [data](uint32_t, uint64_t offset, uint64_t size,
                                              std::vector<uint8_t>& out) -> OSErr {
        if (offset > data->size() || size > data->size() - offset) return -39;  // eofErr
        out.assign(data->begin() + std::ptrdiff_t(offset), data->begin() + std::ptrdiff_t(offset + size));
        return noErr;
    };
    qtrt::audio::sound_track_input input;
    input.track = track;
    if (!qtrt::audio::sound_track_source::create(track.media, reader, input.source))
        throw std::runtime_error("undecodable track in test");
    return input;
}

}  // namespace audio_test
