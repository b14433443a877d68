#include "support/movie_builder.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace test_movie {
namespace {

constexpr uint32_t kFixed1 = 0x10000;

uint32_t high_word(uint64_t v) { return uint32_t(v >> 32); }

bytes full_atom(uint32_t type, uint8_t version, uint32_t flags, const bytes& payload) {
    bytes body;
    put_u32(body, uint32_t(version) << 24 | (flags & 0xFFFFFF));
    put_bytes(body, payload);
    return atom(type, body);
}

void put_matrix(bytes& out) {
    const uint32_t m[9] = {kFixed1, 0, 0, 0, kFixed1, 0, 0, 0, 0x40000000};
    for (uint32_t v : m) put_u32(out, v);
}

// Where one track's chunks lie: their sample ranges and offsets.
struct chunk {
    uint32_t first_sample;
    uint32_t count;
    uint32_t description;
    uint64_t offset = 0;
};

std::vector<chunk> make_chunks(const track_plan& t) {
    std::vector<chunk> chunks;
    for (uint32_t i = 0; i < t.samples.size(); ++i) {
        const sample& s = t.samples[i];
        if (chunks.empty() || chunks.back().count >= t.samples_per_chunk ||
            chunks.back().description != s.description)
            chunks.push_back({i, 0, s.description});
        ++chunks.back().count;
    }
    return chunks;
}

uint64_t media_duration(const track_plan& t) {
    uint64_t d = 0;
    for (const sample& s : t.samples) d += s.duration;
    return d;
}

uint64_t track_duration(const track_plan& t, int32_t movie_scale) {
    if (t.has_edits) {
        uint64_t d = 0;
        for (const edit& e : t.edits) d += uint64_t(e.duration);
        return d;
    }
    return media_duration(t) * uint64_t(movie_scale) / uint64_t(t.time_scale);
}

bytes sample_bytes(const track_plan& t, uint32_t index) {
    const sample& s = t.samples[index];
    if (!s.data.empty()) return s.data;
    bytes out(s.size);
    for (uint32_t i = 0; i < s.size; ++i) out[i] = sample_pattern_byte(t.id, index, i);
    return out;
}

bytes build_stbl(const track_plan& t, const std::vector<chunk>& chunks, bool co64) {
    bytes stsd;
    put_u32(stsd, uint32_t(t.descriptions.size()));
    for (const bytes& d : t.descriptions) put_bytes(stsd, d);
    bytes stbl = full_atom(fourcc("stsd"), 0, 0, stsd);

    // Time to sample, run-length coded.
    std::vector<std::pair<uint32_t, uint32_t>> runs;
    for (const sample& s : t.samples) {
        if (!runs.empty() && runs.back().second == s.duration)
            ++runs.back().first;
        else
            runs.push_back({1, s.duration});
    }
    bytes stts;
    put_u32(stts, uint32_t(runs.size()));
    for (auto& r : runs) {
        put_u32(stts, r.first);
        put_u32(stts, r.second);
    }
    put_bytes(stbl, full_atom(fourcc("stts"), 0, 0, stts));

    bool has_offsets = false, negative = false;
    for (const sample& s : t.samples) {
        has_offsets |= s.composition_offset != 0;
        negative |= s.composition_offset < 0;
    }
    if (has_offsets) {
        std::vector<std::pair<uint32_t, int32_t>> offsets;
        for (const sample& s : t.samples) {
            if (!offsets.empty() && offsets.back().second == s.composition_offset)
                ++offsets.back().first;
            else
                offsets.push_back({1, s.composition_offset});
        }
        bytes ctts;
        put_u32(ctts, uint32_t(offsets.size()));
        for (auto& o : offsets) {
            put_u32(ctts, o.first);
            put_u32(ctts, uint32_t(o.second));
        }
        put_bytes(stbl, full_atom(fourcc("ctts"), (negative || t.ctts_version1) ? 1 : 0, 0, ctts));
    }

    bool all_sync = true;
    std::vector<uint32_t> partial;
    for (uint32_t i = 0; i < t.samples.size(); ++i) {
        all_sync &= t.samples[i].sync;
        if (t.samples[i].partial_sync) partial.push_back(i + 1);
    }
    if (!all_sync) {
        bytes stss;
        std::vector<uint32_t> sync;
        for (uint32_t i = 0; i < t.samples.size(); ++i)
            if (t.samples[i].sync) sync.push_back(i + 1);
        put_u32(stss, uint32_t(sync.size()));
        for (uint32_t n : sync) put_u32(stss, n);
        put_bytes(stbl, full_atom(fourcc("stss"), 0, 0, stss));
    }
    bool has_dependencies = false;
    for (const sample& s : t.samples) has_dependencies |= s.dependency != 0;
    if (has_dependencies) {
        bytes sdtp;
        for (const sample& s : t.samples) put_u8(sdtp, s.dependency);
        put_bytes(stbl, full_atom(fourcc("sdtp"), 0, 0, sdtp));
    }
    if (!partial.empty()) {
        bytes stps;
        put_u32(stps, uint32_t(partial.size()));
        for (uint32_t n : partial) put_u32(stps, n);
        put_bytes(stbl, full_atom(fourcc("stps"), 0, 0, stps));
    }

    bytes stsc;
    std::vector<uint32_t> entry;  // first chunk, per chunk, description, repeated
    for (uint32_t c = 0; c < chunks.size(); ++c) {
        size_t n = entry.size();
        if (n == 0 || entry[n - 2] != chunks[c].count || entry[n - 1] != chunks[c].description) {
            entry.push_back(c + 1);
            entry.push_back(chunks[c].count);
            entry.push_back(chunks[c].description);
        }
    }
    put_u32(stsc, uint32_t(entry.size() / 3));
    for (uint32_t v : entry) put_u32(stsc, v);
    put_bytes(stbl, full_atom(fourcc("stsc"), 0, 0, stsc));

    bytes stsz;
    if (t.compact_size_bits != 0) {
        put_u32(stsz, t.compact_size_bits);  // 24 reserved bits, then the field size
        put_u32(stsz, uint32_t(t.samples.size()));
        for (size_t i = 0; i < t.samples.size(); ++i) {
            const uint32_t size = t.samples[i].size;
            if (t.compact_size_bits == 16)
                put_u16(stsz, uint16_t(size));
            else if (t.compact_size_bits == 8)
                put_u8(stsz, uint8_t(size));
            else if (i % 2 == 0)
                put_u8(stsz, uint8_t(size << 4 | (i + 1 < t.samples.size() ? t.samples[i + 1].size & 0xF : 0)));
        }
        put_bytes(stbl, full_atom(fourcc("stz2"), 0, 0, stsz));
    } else if (t.constant_size && !t.samples.empty()) {
        put_u32(stsz, t.samples.front().size);
        put_u32(stsz, uint32_t(t.samples.size()));
    } else {
        put_u32(stsz, 0);
        put_u32(stsz, uint32_t(t.samples.size()));
        for (const sample& s : t.samples) put_u32(stsz, s.size);
    }
    if (t.compact_size_bits == 0) put_bytes(stbl, full_atom(fourcc("stsz"), 0, 0, stsz));

    bytes stco;
    put_u32(stco, uint32_t(chunks.size()));
    for (const chunk& c : chunks) {
        if (co64)
            put_u64(stco, c.offset);
        else
            put_u32(stco, uint32_t(c.offset));
    }
    put_bytes(stbl, full_atom(fourcc(co64 ? "co64" : "stco"), 0, 0, stco));
    return atom(fourcc("stbl"), stbl);
}

bool is_external(const track_plan& t) {
    return t.data_ref_entries.empty() && (t.data_ref == data_ref_kind::url_external ||
                                          t.data_ref == data_ref_kind::alias_external);
}

// A 'dref' entry. An alias record names its file at offset 50 (a Pascal
// string of up to 63 characters) among fields this builder leaves zero.
bytes data_reference_entry(const track_plan& t) {
    switch (t.data_ref) {
    case data_ref_kind::url_self: return full_atom(fourcc("url "), 0, 1, {});
    case data_ref_kind::alias_self: return full_atom(fourcc("alis"), 0, 1, {});
    case data_ref_kind::url_external: {
        bytes name(t.external_name.begin(), t.external_name.end());
        name.push_back(0);
        return full_atom(fourcc("url "), 0, 0, name);
    }
    case data_ref_kind::alias_external: {
        bytes record(150, 0);
        record[5] = 150;  // record size
        record[7] = 2;    // version
        record[50] = uint8_t(t.external_name.size());
        std::copy(t.external_name.begin(), t.external_name.end(), record.begin() + 51);
        return full_atom(fourcc("alis"), 0, 0, record);
    }
    }
    return {};
}

bytes build_minf(const track_plan& t, const std::vector<chunk>& chunks, bool co64) {
    bytes minf;
    if (t.handler == kVide) {
        bytes vmhd;
        put_u16(vmhd, 0x40);  // graphics mode: copy
        put_u16(vmhd, 0x8000);
        put_u16(vmhd, 0x8000);
        put_u16(vmhd, 0x8000);
        put_bytes(minf, full_atom(fourcc("vmhd"), 0, 1, vmhd));
    } else if (t.handler == kSoun) {
        bytes smhd(4, 0);
        put_bytes(minf, full_atom(fourcc("smhd"), 0, 0, smhd));
    } else {
        bytes gmin;
        put_u16(gmin, 0x40);
        for (int i = 0; i < 3; ++i) put_u16(gmin, 0x8000);
        put_u32(gmin, 0);
        bytes gmhd = full_atom(fourcc("gmin"), 0, 0, gmin);
        put_bytes(minf, atom(fourcc("gmhd"), gmhd));
    }
    const bool alias =
        t.data_ref == data_ref_kind::alias_self || t.data_ref == data_ref_kind::alias_external;
    bytes hdlr;
    put_u32(hdlr, fourcc("dhlr"));
    put_u32(hdlr, fourcc(alias ? "alis" : "url "));
    put_u32(hdlr, fourcc("appl"));
    put_u32(hdlr, 0);
    put_u32(hdlr, 0);
    put_u8(hdlr, 0);
    put_bytes(minf, full_atom(fourcc("hdlr"), 0, 0, hdlr));
    bytes dref;
    if (t.data_ref_entries.empty()) {
        put_u32(dref, 1);
        put_bytes(dref, data_reference_entry(t));
    } else {
        put_u32(dref, uint32_t(t.data_ref_entries.size()));
        for (const bytes& entry : t.data_ref_entries) put_bytes(dref, entry);
    }
    put_bytes(minf, atom(fourcc("dinf"), full_atom(fourcc("dref"), 0, 0, dref)));
    put_bytes(minf, build_stbl(t, chunks, co64));
    return atom(fourcc("minf"), minf);
}

bytes build_trak(const movie_plan& m, const track_plan& t, const std::vector<chunk>& chunks,
                 bool co64) {
    const uint8_t v = m.version1_headers ? 1 : 0;
    const bool unknown = m.fragments.unknown_durations;
    const uint64_t duration = unknown ? ~uint64_t(0) : track_duration(t, m.time_scale);
    bytes tkhd;
    if (v == 1) {
        put_u64(tkhd, 0);
        put_u64(tkhd, 0);
        put_u32(tkhd, t.id);
        put_u32(tkhd, 0);
        put_u64(tkhd, duration);
    } else {
        put_u32(tkhd, 0);
        put_u32(tkhd, 0);
        put_u32(tkhd, t.id);
        put_u32(tkhd, 0);
        put_u32(tkhd, uint32_t(duration));
    }
    put_u64(tkhd, 0);
    put_u16(tkhd, 0);  // layer
    put_u16(tkhd, uint16_t(t.alternate_group));
    put_u16(tkhd, t.handler == kSoun ? uint16_t(t.volume) : 0);
    put_u16(tkhd, 0);
    put_matrix(tkhd);
    put_u32(tkhd, uint32_t(t.width));
    put_u32(tkhd, uint32_t(t.height));
    bytes trak = full_atom(fourcc("tkhd"), v, t.enabled ? 0xF : 0xE, tkhd);

    if (t.has_edits) {
        bytes elst;
        put_u32(elst, uint32_t(t.edits.size()));
        for (const edit& e : t.edits) {
            if (v == 1) {
                put_u64(elst, uint64_t(e.duration));
                put_u64(elst, uint64_t(e.media_time));
            } else {
                put_u32(elst, uint32_t(e.duration));
                put_u32(elst, uint32_t(e.media_time));
            }
            put_u32(elst, uint32_t(e.rate));
        }
        put_bytes(trak, atom(fourcc("edts"), full_atom(fourcc("elst"), v, 0, elst)));
    }
    if (!t.time_code_refs.empty()) {
        bytes ids;
        for (uint32_t id : t.time_code_refs) put_u32(ids, id);
        put_bytes(trak, atom(fourcc("tref"), atom(kTmcd, ids)));
    }

    bytes mdhd;
    const uint64_t media = unknown ? ~uint64_t(0) : media_duration(t);
    if (v == 1) {
        put_u64(mdhd, 0);
        put_u64(mdhd, 0);
        put_u32(mdhd, uint32_t(t.time_scale));
        put_u64(mdhd, media);
    } else {
        put_u32(mdhd, 0);
        put_u32(mdhd, 0);
        put_u32(mdhd, uint32_t(t.time_scale));
        put_u32(mdhd, uint32_t(media));
    }
    put_u16(mdhd, 0);
    put_u16(mdhd, 0);
    bytes mdia = full_atom(fourcc("mdhd"), v, 0, mdhd);
    bytes hdlr;
    put_u32(hdlr, fourcc("mhlr"));
    put_u32(hdlr, t.handler);
    put_u32(hdlr, fourcc("appl"));
    put_u32(hdlr, 0);
    put_u32(hdlr, 0);
    put_u8(hdlr, 0);
    put_bytes(mdia, full_atom(fourcc("hdlr"), 0, 0, hdlr));
    put_bytes(mdia, build_minf(t, chunks, co64));
    put_bytes(trak, atom(fourcc("mdia"), mdia));
    return atom(fourcc("trak"), trak);
}

// What every sample of a track shares, for fragment defaults.
struct shared_fields {
    bool duration = true, size = true, flags = true, first_flags = false, offsets = false;
};

uint32_t fragment_sample_flags(const sample& s) {
    return uint32_t(s.dependency) << 20 | (s.sync ? 0 : 0x10000);
}

shared_fields shared_by(const track_plan& t) {
    shared_fields f;
    for (size_t i = 0; i < t.samples.size(); ++i) {
        const sample& s = t.samples[i];
        f.duration &= s.duration == t.samples[0].duration;
        f.size &= s.size == t.samples[0].size;
        if (i >= 1) f.flags &= fragment_sample_flags(s) == fragment_sample_flags(t.samples[1]);
        f.offsets |= s.composition_offset != 0;
    }
    // The first sample's flags differ from the others': first-sample flags.
    f.first_flags = f.flags && t.samples.size() > 1 &&
                    fragment_sample_flags(t.samples[0]) != fragment_sample_flags(t.samples[1]);
    return f;
}

bytes build_mvex(const fragment_plan& f, const std::vector<track_plan>& tracks) {
    bytes mvex;
    if (f.mehd >= 0) {
        bytes mehd;
        put_u64(mehd, uint64_t(f.mehd));
        put_bytes(mvex, full_atom(fourcc("mehd"), 1, 0, mehd));
    }
    for (const track_plan& t : tracks) {
        const shared_fields shared = shared_by(t);
        const bool use = f.defaults_in_trex && !t.samples.empty();
        bytes trex;
        put_u32(trex, t.id);
        put_u32(trex, 1);
        put_u32(trex, use && shared.duration ? t.samples[0].duration : 0);
        put_u32(trex, use && shared.size ? t.samples[0].size : 0);
        put_u32(trex, use && shared.flags ? fragment_sample_flags(t.samples.back()) : 0);
        put_bytes(mvex, full_atom(fourcc("trex"), 0, 0, trex));
    }
    return atom(fourcc("mvex"), mvex);
}

bytes build_moov(const movie_plan& m, const std::vector<track_plan>& tracks,
                 const std::vector<std::vector<chunk>>& chunks, bool co64) {
    const uint8_t v = m.version1_headers ? 1 : 0;
    uint64_t duration = 0;
    uint32_t next_id = 1;
    for (const track_plan& t : tracks) {
        duration = std::max(duration, track_duration(t, m.time_scale));
        next_id = std::max(next_id, t.id + 1);
    }
    if (m.fragments.unknown_durations) duration = ~uint64_t(0);
    bytes mvhd;
    if (v == 1) {
        put_u64(mvhd, 0);
        put_u64(mvhd, 0);
        put_u32(mvhd, uint32_t(m.time_scale));
        put_u64(mvhd, duration);
    } else {
        put_u32(mvhd, 0);
        put_u32(mvhd, 0);
        put_u32(mvhd, uint32_t(m.time_scale));
        put_u32(mvhd, uint32_t(duration));
    }
    put_u32(mvhd, kFixed1);
    put_u16(mvhd, 0x100);
    put_bytes(mvhd, bytes(10, 0));
    put_matrix(mvhd);
    put_bytes(mvhd, bytes(24, 0));
    put_u32(mvhd, next_id);
    bytes moov = full_atom(fourcc("mvhd"), v, 0, mvhd);
    for (size_t i = 0; i < tracks.size(); ++i) put_bytes(moov, build_trak(m, tracks[i], chunks[i], co64));
    if (!m.user_data.empty()) {
        bytes udta;
        for (const user_data_entry& u : m.user_data) put_bytes(udta, atom(u.type, u.payload));
        put_bytes(moov, atom(fourcc("udta"), udta));
    }
    return atom(fourcc("moov"), moov);
}

}  // namespace

bytes data_reference_entry(uint32_t type, uint32_t flags, const bytes& data) {
    return full_atom(type, 0, flags, data);
}

void put_u8(bytes& out, uint8_t v) { out.push_back(v); }
void put_u16(bytes& out, uint16_t v) {
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
}
void put_u32(bytes& out, uint32_t v) {
    put_u16(out, uint16_t(v >> 16));
    put_u16(out, uint16_t(v));
}
void put_u64(bytes& out, uint64_t v) {
    put_u32(out, high_word(v));
    put_u32(out, uint32_t(v));
}
void put_bytes(bytes& out, const bytes& data) { out.insert(out.end(), data.begin(), data.end()); }

bytes atom(uint32_t type, const bytes& payload) {
    bytes out;
    put_u32(out, uint32_t(payload.size() + 8));
    put_u32(out, type);
    put_bytes(out, payload);
    return out;
}

bytes image_description(uint32_t codec, int16_t width, int16_t height, int16_t depth,
                        const std::vector<extension>& extensions) {
    bytes body;
    put_u32(body, codec);
    put_bytes(body, bytes(6, 0));
    put_u16(body, 1);  // data reference index
    put_u16(body, 0);  // version
    put_u16(body, 0);  // revision level
    put_u32(body, fourcc("appl"));
    put_u32(body, 0x200);  // temporal quality
    put_u32(body, 0x300);  // spatial quality
    put_u16(body, uint16_t(width));
    put_u16(body, uint16_t(height));
    put_u32(body, 72 * kFixed1);
    put_u32(body, 72 * kFixed1);
    put_u32(body, 0);
    put_u16(body, 1);
    bytes name(32, 0);
    name[0] = 4;
    name[1] = 't', name[2] = 'e', name[3] = 's', name[4] = 't';
    put_bytes(body, name);
    put_u16(body, uint16_t(depth));
    put_u16(body, 0xFFFF);
    for (const extension& e : extensions) put_bytes(body, atom(e.type, e.payload));
    bytes out;
    put_u32(out, uint32_t(body.size() + 4));
    put_bytes(out, body);
    return out;
}

bytes sound_description(uint32_t format, uint16_t channels, uint16_t bits, uint32_t sample_rate,
                        uint16_t version, const std::vector<extension>& extensions) {
    bytes body;
    put_u32(body, format);
    put_bytes(body, bytes(6, 0));
    put_u16(body, 1);
    put_u16(body, version);
    put_u16(body, 0);
    put_u32(body, 0);
    put_u16(body, channels);
    put_u16(body, bits);
    put_u16(body, version == 1 ? 0xFFFE : 0);
    put_u16(body, 0);
    put_u32(body, sample_rate << 16);
    if (version == 1) {
        const uint32_t bytes_per_sample = bits / 8;
        put_u32(body, 1);                                 // samples per packet
        put_u32(body, bytes_per_sample);                  // bytes per packet
        put_u32(body, bytes_per_sample * channels);       // bytes per frame
        put_u32(body, bytes_per_sample);                  // bytes per sample
    }
    for (const extension& e : extensions) put_bytes(body, atom(e.type, e.payload));
    bytes out;
    put_u32(out, uint32_t(body.size() + 4));
    put_bytes(out, body);
    return out;
}

bytes time_code_description(int32_t flags, int32_t time_scale, int32_t frame_duration,
                            uint8_t frames, const std::string& reel_name) {
    bytes body;
    put_u32(body, kTmcd);
    put_bytes(body, bytes(6, 0));
    put_u16(body, 1);
    put_u32(body, 0);
    put_u32(body, uint32_t(flags));
    put_u32(body, uint32_t(time_scale));
    put_u32(body, uint32_t(frame_duration));
    put_u8(body, frames);
    put_u8(body, 0);
    if (!reel_name.empty())
        put_bytes(body, atom(fourcc("udta"), atom(fourcc("name"), user_data_text(reel_name))));
    bytes out;
    put_u32(out, uint32_t(body.size() + 4));
    put_bytes(out, body);
    return out;
}

bytes user_data_text(const std::string& text, uint16_t language) {
    bytes out;
    put_u16(out, uint16_t(text.size()));
    put_u16(out, language);
    out.insert(out.end(), text.begin(), text.end());
    return out;
}

bytes pasp(uint32_t h_spacing, uint32_t v_spacing) {
    bytes out;
    put_u32(out, h_spacing);
    put_u32(out, v_spacing);
    return out;
}

bytes clap(uint32_t width_n, uint32_t width_d, uint32_t height_n, uint32_t height_d) {
    bytes out;
    for (uint32_t v : {width_n, width_d, height_n, height_d, 0u, 1u, 0u, 1u}) put_u32(out, v);
    return out;
}

bytes fiel(uint8_t count, uint8_t ordering) { return bytes{count, ordering}; }

uint8_t sample_pattern_byte(uint32_t track_id, uint32_t sample_index, uint32_t i) {
    return uint8_t(track_id * 31 + sample_index * 7 + i);
}

track_plan& track_plan::add_samples(uint32_t count, uint32_t size, uint32_t duration, bool sync) {
    for (uint32_t i = 0; i < count; ++i) {
        sample s;
        s.size = size;
        s.duration = duration;
        s.sync = sync;
        samples.push_back(s);
    }
    return *this;
}

track_plan& track_plan::add_edit(int64_t duration, int64_t media_time, int32_t rate) {
    has_edits = true;
    edits.push_back({duration, media_time, rate});
    return *this;
}

track_plan& movie_plan::add_video(uint32_t codec, int16_t width, int16_t height,
                                  const std::vector<extension>& extensions) {
    track_plan t;
    t.handler = kVide;
    t.width = int32_t(width) << 16;
    t.height = int32_t(height) << 16;
    t.descriptions.push_back(image_description(codec, width, height, 24, extensions));
    tracks.push_back(t);
    return tracks.back();
}

track_plan& movie_plan::add_sound(uint32_t format, uint16_t channels, uint16_t bits,
                                  uint32_t sample_rate) {
    track_plan t;
    t.handler = kSoun;
    t.time_scale = int32_t(sample_rate);
    t.descriptions.push_back(sound_description(format, channels, bits, sample_rate));
    t.constant_size = true;
    tracks.push_back(t);
    return tracks.back();
}

track_plan& movie_plan::add_time_code(int32_t flags, int32_t tc_scale, int32_t frame_duration,
                                      uint8_t frames, const std::string& reel_name,
                                      const std::vector<int32_t>& counters,
                                      uint32_t frames_per_sample) {
    track_plan t;
    t.handler = kTmcd;
    t.time_scale = tc_scale;
    t.descriptions.push_back(time_code_description(flags, tc_scale, frame_duration, frames, reel_name));
    for (int32_t counter : counters) {
        sample s;
        s.size = 4;
        s.duration = uint32_t(frame_duration) * frames_per_sample;
        put_u32(s.data, uint32_t(counter));
        t.samples.push_back(s);
    }
    tracks.push_back(t);
    return tracks.back();
}

bytes movie_file::contiguous() const {
    bytes out(size_t(size), 0);
    for (const piece& p : pieces) std::copy(p.data.begin(), p.data.end(), out.begin() + p.offset);
    return out;
}

namespace {

// One 'moof' holding samples [first, end) of every track (clamped to each
// track's samples), its media data starting at data_start.
bytes build_moof(const movie_plan& plan, const std::vector<track_plan>& tracks, uint32_t sequence,
                 uint32_t first, uint32_t end, uint64_t moof_offset, uint64_t data_start) {
    const fragment_plan& f = plan.fragments;
    bytes mfhd;
    put_u32(mfhd, sequence);
    bytes moof = full_atom(fourcc("mfhd"), 0, 0, mfhd);
    bool first_traf = true;
    for (const track_plan& t : tracks) {
        const uint32_t a = std::min<uint32_t>(first, uint32_t(t.samples.size()));
        const uint32_t b = std::min<uint32_t>(end, uint32_t(t.samples.size()));
        if (a == b) continue;
        const shared_fields shared = shared_by(t);
        const bool in_tfhd = !f.defaults_in_trex || !f.with_mvex;
        uint32_t tfhd_flags = 0;
        bytes tfhd;
        put_u32(tfhd, t.id);
        const bool explicit_base = f.base == fragment_plan::data_base::explicit_offset ||
                                   (f.base == fragment_plan::data_base::chained && first_traf);
        if (explicit_base) {
            tfhd_flags |= 0x1;
            put_u64(tfhd, f.base == fragment_plan::data_base::chained ? data_start : moof_offset);
        }
        if (f.base == fragment_plan::data_base::moof) tfhd_flags |= 0x20000;
        if (in_tfhd && shared.duration) {
            tfhd_flags |= 0x8;
            put_u32(tfhd, t.samples[0].duration);
        }
        if (in_tfhd && shared.size) {
            tfhd_flags |= 0x10;
            put_u32(tfhd, t.samples[0].size);
        }
        if (in_tfhd && shared.flags) {
            tfhd_flags |= 0x20;
            put_u32(tfhd, fragment_sample_flags(t.samples.back()));
        }
        bytes traf = full_atom(fourcc("tfhd"), 0, tfhd_flags, tfhd);
        if (f.with_tfdt) {
            uint64_t decode_time = 0;
            for (uint32_t i = 0; i < a; ++i) decode_time += t.samples[i].duration;
            bytes tfdt;
            put_u64(tfdt, decode_time);
            put_bytes(traf, full_atom(fourcc("tfdt"), 1, 0, tfdt));
        }
        uint32_t trun_flags = (shared.duration ? 0 : 0x100) | (shared.size ? 0 : 0x200) |
                              (shared.flags ? 0 : 0x400) | (shared.offsets ? 0x800 : 0);
        const bool first_flags = shared.first_flags && a == 0;
        if (first_flags) trun_flags |= 0x4;
        if (f.base != fragment_plan::data_base::chained) trun_flags |= 0x1;
        bytes trun;
        put_u32(trun, b - a);
        if (trun_flags & 0x1) put_u32(trun, uint32_t(data_start - moof_offset));
        if (first_flags) put_u32(trun, fragment_sample_flags(t.samples[0]));
        for (uint32_t i = a; i < b; ++i) {
            const sample& s = t.samples[i];
            if (trun_flags & 0x100) put_u32(trun, s.duration);
            if (trun_flags & 0x200) put_u32(trun, s.size);
            if (trun_flags & 0x400) put_u32(trun, fragment_sample_flags(s));
            if (trun_flags & 0x800) put_u32(trun, uint32_t(s.composition_offset));
            data_start += s.size;
        }
        put_bytes(traf, full_atom(fourcc("trun"), f.trun_version1 ? 1 : 0, trun_flags, trun));
        put_bytes(moof, atom(fourcc("traf"), traf));
        first_traf = false;
    }
    return atom(fourcc("moof"), moof);
}

movie_file build_fragmented(const movie_plan& plan, const std::vector<track_plan>& tracks,
                            const bytes& ftyp) {
    const fragment_plan& f = plan.fragments;
    std::vector<track_plan> head = tracks;
    uint32_t most = 0;
    for (track_plan& t : head) {
        most = std::max(most, uint32_t(t.samples.size()));
        t.samples.resize(std::min<size_t>(t.samples.size(), f.samples_in_movie));
    }
    std::vector<std::vector<chunk>> chunks;
    for (const track_plan& t : head) chunks.push_back(make_chunks(t));
    uint64_t at = ftyp.size() + build_moov(plan, head, chunks, false).size() +
                  (f.with_mvex ? build_mvex(f, tracks).size() : 0) + 8;
    bytes media;
    for (size_t i = 0; i < head.size(); ++i) {
        for (chunk& c : chunks[i]) {
            c.offset = at + media.size();
            for (uint32_t k = 0; k < c.count; ++k) put_bytes(media, sample_bytes(head[i], c.first_sample + k));
        }
    }
    movie_file file;
    file.pieces.push_back({0, ftyp});
    bytes head_part = build_moov(plan, head, chunks, false);
    if (f.with_mvex) put_bytes(head_part, build_mvex(f, tracks));
    patch_u32(head_part, 0, uint32_t(head_part.size()));
    put_bytes(head_part, atom(fourcc("mdat"), media));
    file.pieces.push_back({ftyp.size(), head_part});
    at = ftyp.size() + head_part.size();
    uint32_t sequence = 1;
    for (uint32_t first = f.samples_in_movie; first < most; first += f.samples_per_fragment) {
        const uint32_t end = first + f.samples_per_fragment;
        const uint64_t moof_size = build_moof(plan, tracks, sequence, first, end, at, 0).size();
        bytes part = build_moof(plan, tracks, sequence, first, end, at, at + moof_size + 8);
        bytes data;
        for (const track_plan& t : tracks)
            for (uint32_t k = first; k < std::min<size_t>(end, t.samples.size()); ++k)
                put_bytes(data, sample_bytes(t, k));
        put_bytes(part, atom(fourcc("mdat"), data));
        file.pieces.push_back({at, part});
        at += part.size();
        ++sequence;
    }
    file.size = at;
    return file;
}

}  // namespace

movie_file build_movie(const movie_plan& plan) {
    std::vector<track_plan> tracks = plan.tracks;
    for (size_t i = 0; i < tracks.size(); ++i)
        if (tracks[i].id == 0) tracks[i].id = uint32_t(i + 1);

    bytes ftyp;
    put_u32(ftyp, fourcc("qt  "));
    put_u32(ftyp, 0x200);
    put_u32(ftyp, fourcc("qt  "));
    ftyp = atom(fourcc("ftyp"), ftyp);
    if (plan.fragments.samples_per_fragment > 0) return build_fragmented(plan, tracks, ftyp);

    std::vector<std::vector<chunk>> chunks;
    uint64_t media_size = plan.media_gap;
    for (const track_plan& t : tracks) {
        chunks.push_back(make_chunks(t));
        if (!is_external(t))
            for (const sample& s : t.samples) media_size += s.size;
    }
    const uint64_t mdat_header = plan.large_mdat ? 16 : 8;
    const bool co64 = plan.force_co64 || ftyp.size() + mdat_header + media_size > 0xFFFFFFFFu ||
                      plan.media_gap > 0xFFFFFFFFu;
    // The movie atom's size does not depend on the offsets it holds.
    const uint64_t moov_size = build_moov(plan, tracks, chunks, co64).size();
    const uint64_t media_start = ftyp.size() + (plan.movie_first ? moov_size : 0) + mdat_header;
    uint64_t offset = media_start + plan.media_gap;
    for (size_t i = 0; i < tracks.size(); ++i) {
        uint64_t external = 0;
        uint64_t& at = is_external(tracks[i]) ? external : offset;
        for (chunk& c : chunks[i]) {
            c.offset = at;
            for (uint32_t k = 0; k < c.count; ++k) at += tracks[i].samples[c.first_sample + k].size;
        }
    }
    const bytes moov = build_moov(plan, tracks, chunks, co64);

    movie_file file;
    file.pieces.push_back({0, ftyp});
    uint64_t at = ftyp.size();
    if (plan.movie_first) {
        file.pieces.push_back({at, moov});
        at += moov.size();
    }
    bytes header;
    if (plan.large_mdat) {
        put_u32(header, 1);
        put_u32(header, fourcc("mdat"));
        put_u64(header, mdat_header + media_size);
    } else {
        put_u32(header, uint32_t(mdat_header + media_size));
        put_u32(header, fourcc("mdat"));
    }
    file.pieces.push_back({at, header});
    at += header.size() + plan.media_gap;
    bytes media;
    for (size_t i = 0; i < tracks.size(); ++i) {
        bytes external;
        bytes& into = is_external(tracks[i]) ? external : media;
        for (uint32_t k = 0; k < tracks[i].samples.size(); ++k) put_bytes(into, sample_bytes(tracks[i], k));
        if (is_external(tracks[i])) file.externals.push_back({tracks[i].external_name, external});
    }
    file.pieces.push_back({at, media});
    at += media.size();
    if (!plan.movie_first) {
        file.pieces.push_back({at, moov});
        at += moov.size();
    }
    file.size = at;
    return file;
}

bool write_movie(const movie_plan& plan, const std::string& path) {
    const movie_file file = build_movie(plan);
    const size_t slash = path.find_last_of("/\\");
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    for (const auto& external : file.externals)
        if (!write_bytes(external.second, folder + external.first)) return false;
    if (file.size < (uint64_t(1) << 28)) return write_bytes(file.contiguous(), path);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = true;
    for (const movie_file::piece& p : file.pieces) {
#ifdef _WIN32
        ok = ok && _fseeki64(f, int64_t(p.offset), SEEK_SET) == 0;
#else
        ok = ok && fseeko(f, off_t(p.offset), SEEK_SET) == 0;
#endif
        ok = ok && (p.data.empty() || std::fwrite(p.data.data(), 1, p.data.size(), f) == p.data.size());
    }
    return std::fclose(f) == 0 && ok;
}

bool write_bytes(const bytes& data, const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = data.empty() || std::fwrite(data.data(), 1, data.size(), f) == data.size();
    return std::fclose(f) == 0 && ok;
}

int64_t find_atom(const bytes& file, const std::vector<uint32_t>& path) {
    static const uint32_t kContainers[] = {fourcc("moov"), fourcc("trak"), fourcc("mdia"),
                                           fourcc("minf"), fourcc("dinf"), fourcc("stbl"),
                                           fourcc("edts"), fourcc("udta"), fourcc("tref")};
    uint64_t begin = 0, end = file.size();
    int64_t found = -1;
    for (size_t level = 0; level < path.size(); ++level) {
        found = -1;
        uint64_t at = begin;
        while (at + 8 <= end) {
            uint64_t size = uint64_t(file[at]) << 24 | uint64_t(file[at + 1]) << 16 |
                            uint64_t(file[at + 2]) << 8 | file[at + 3];
            uint32_t type = uint32_t(file[at + 4]) << 24 | uint32_t(file[at + 5]) << 16 |
                            uint32_t(file[at + 6]) << 8 | file[at + 7];
            uint64_t header = 8;
            if (size == 1 && at + 16 <= end) {
                size = 0;
                for (int i = 0; i < 8; ++i) size = size << 8 | file[at + 8 + i];
                header = 16;
            } else if (size == 0) {
                size = end - at;
            }
            if (size < header || at + size > end) return -1;
            if (type == path[level]) {
                found = int64_t(at);
                begin = at + header;
                end = at + size;
                break;
            }
            at += size;
        }
        if (found < 0) return -1;
        if (level + 1 < path.size() &&
            std::find(std::begin(kContainers), std::end(kContainers), path[level]) ==
                std::end(kContainers))
            return -1;
    }
    return found;
}

void patch_u32(bytes& file, uint64_t offset, uint32_t value) {
    if (offset + 4 > file.size()) throw std::out_of_range("patch_u32 past the end of the file");
    file[offset] = uint8_t(value >> 24);
    file[offset + 1] = uint8_t(value >> 16);
    file[offset + 2] = uint8_t(value >> 8);
    file[offset + 3] = uint8_t(value);
}

}  // namespace test_movie
