#include "large_movie.h"

#include <sys/stat.h>

#include <cstdio>
#include <vector>

#include "support/movie_builder.h"

namespace bench_movie {

namespace {

using test_movie::atom;
using test_movie::bytes;
using test_movie::fourcc;
using test_movie::put_bytes;
using test_movie::put_u16;
using test_movie::put_u32;
using test_movie::put_u64;
using test_movie::put_u8;

constexpr uint32_t kSampleRate = 48000;
constexpr uint32_t kSoundFrameBytes = 4;  // stereo 16-bit

uint32_t sound_frames_per_video_frame(const large_movie_plan& plan) {
    return uint32_t(uint64_t(kSampleRate) * plan.frame_duration / plan.time_scale);
}

bytes full_atom(uint32_t type, uint8_t version, uint32_t flags, const bytes& payload) {
    bytes body;
    put_u8(body, version);
    put_u8(body, uint8_t(flags >> 16));
    put_u16(body, uint16_t(flags));
    put_bytes(body, payload);
    return atom(type, body);
}

bytes matrix() {
    bytes m;
    const uint32_t values[9] = {0x10000, 0, 0, 0, 0x10000, 0, 0, 0, 0x40000000};
    for (uint32_t v : values) put_u32(m, v);
    return m;
}

bytes mvhd(uint32_t scale, uint32_t duration) {
    bytes b;
    put_u32(b, 0);
    put_u32(b, 0);
    put_u32(b, scale);
    put_u32(b, duration);
    put_u32(b, 0x10000);
    put_u16(b, 0x100);
    put_bytes(b, bytes(10, 0));
    put_bytes(b, matrix());
    put_bytes(b, bytes(24, 0));
    put_u32(b, 3);
    return full_atom(fourcc("mvhd"), 0, 0, b);
}

bytes tkhd(uint32_t id, uint32_t duration, uint16_t width, uint16_t height) {
    const bool video = width != 0;
    bytes b;
    put_u32(b, 0);
    put_u32(b, 0);
    put_u32(b, id);
    put_u32(b, 0);
    put_u32(b, duration);
    put_bytes(b, bytes(8, 0));
    put_u16(b, 0);
    put_u16(b, 0);
    put_u16(b, video ? 0 : 0x100);
    put_u16(b, 0);
    put_bytes(b, matrix());
    put_u32(b, uint32_t(width) << 16);
    put_u32(b, uint32_t(height) << 16);
    return full_atom(fourcc("tkhd"), 0, 0xF, b);
}

bytes mdhd(uint32_t scale, uint32_t duration) {
    bytes b;
    put_u32(b, 0);
    put_u32(b, 0);
    put_u32(b, scale);
    put_u32(b, duration);
    put_u16(b, 0);
    put_u16(b, 0);
    return full_atom(fourcc("mdhd"), 0, 0, b);
}

bytes hdlr(uint32_t component_type, uint32_t subtype) {
    bytes b;
    put_u32(b, component_type);
    put_u32(b, subtype);
    put_u32(b, fourcc("appl"));
    put_u32(b, 0);
    put_u32(b, 0);
    put_u8(b, 0);
    return full_atom(fourcc("hdlr"), 0, 0, b);
}

bytes dinf() {
    bytes dref;
    put_u32(dref, 1);
    put_bytes(dref, full_atom(fourcc("url "), 0, 1, bytes()));
    return atom(fourcc("dinf"), full_atom(fourcc("dref"), 0, 0, dref));
}

bytes table(uint32_t type, const std::vector<uint32_t>& values) {
    bytes b;
    for (uint32_t v : values) put_u32(b, v);
    return full_atom(type, 0, 0, b);
}

bytes co64(const std::vector<uint64_t>& offsets) {
    bytes b;
    put_u32(b, uint32_t(offsets.size()));
    for (uint64_t o : offsets) put_u64(b, o);
    return full_atom(fourcc("co64"), 0, 0, b);
}

bytes stsd(const bytes& description) {
    bytes b;
    put_u32(b, 1);
    put_bytes(b, description);
    return full_atom(fourcc("stsd"), 0, 0, b);
}

bytes video_track(const large_movie_plan& plan, const std::vector<uint32_t>& sizes,
                  const std::vector<uint64_t>& offsets) {
    const uint32_t count = uint32_t(sizes.size());
    const uint32_t duration = count * plan.frame_duration;
    bytes stbl = stsd(test_movie::image_description(plan.codec, int16_t(plan.width), int16_t(plan.height)));
    put_bytes(stbl, table(fourcc("stts"), {1, count, plan.frame_duration}));
    if (plan.key_frame_interval > 1) {
        std::vector<uint32_t> sync{0};
        for (uint32_t i = 0; i < count; i += plan.key_frame_interval) sync.push_back(i + 1);
        sync[0] = uint32_t(sync.size() - 1);
        put_bytes(stbl, table(fourcc("stss"), sync));
    }
    put_bytes(stbl, table(fourcc("stsc"), {1, 1, 1, 1}));
    if (plan.key_frame_interval > 1) {
        std::vector<uint32_t> size_table{0, count};
        size_table.insert(size_table.end(), sizes.begin(), sizes.end());
        put_bytes(stbl, table(fourcc("stsz"), size_table));
    } else {
        put_bytes(stbl, table(fourcc("stsz"), {plan.mean_sample_size, count}));
    }
    put_bytes(stbl, co64(offsets));

    bytes vmhd;
    put_u16(vmhd, 0x40);
    for (int i = 0; i < 3; ++i) put_u16(vmhd, 0x8000);
    bytes minf = full_atom(fourcc("vmhd"), 0, 1, vmhd);
    put_bytes(minf, hdlr(fourcc("dhlr"), fourcc("url ")));
    put_bytes(minf, dinf());
    put_bytes(minf, atom(fourcc("stbl"), stbl));

    bytes mdia = mdhd(plan.time_scale, duration);
    put_bytes(mdia, hdlr(fourcc("mhlr"), fourcc("vide")));
    put_bytes(mdia, atom(fourcc("minf"), minf));
    bytes trak = tkhd(1, duration, plan.width, plan.height);
    put_bytes(trak, atom(fourcc("mdia"), mdia));
    return atom(fourcc("trak"), trak);
}

bytes sound_track(const large_movie_plan& plan, const std::vector<uint64_t>& offsets) {
    const uint32_t chunks = uint32_t(offsets.size());
    const uint32_t per_chunk = sound_frames_per_video_frame(plan);
    const uint32_t frames = chunks * per_chunk;
    bytes stbl = stsd(test_movie::sound_description(test_movie::kTwos, 2, 16, kSampleRate));
    put_bytes(stbl, table(fourcc("stts"), {1, frames, 1}));
    put_bytes(stbl, table(fourcc("stsc"), {1, 1, per_chunk, 1}));
    put_bytes(stbl, table(fourcc("stsz"), {kSoundFrameBytes, frames}));
    put_bytes(stbl, co64(offsets));

    bytes minf = full_atom(fourcc("smhd"), 0, 0, bytes(4, 0));
    put_bytes(minf, hdlr(fourcc("dhlr"), fourcc("url ")));
    put_bytes(minf, dinf());
    put_bytes(minf, atom(fourcc("stbl"), stbl));

    bytes mdia = mdhd(kSampleRate, frames);
    put_bytes(mdia, hdlr(fourcc("mhlr"), fourcc("soun")));
    put_bytes(mdia, atom(fourcc("minf"), minf));
    bytes trak = tkhd(2, chunks * plan.frame_duration, 0, 0);
    put_bytes(trak, atom(fourcc("mdia"), mdia));
    return atom(fourcc("trak"), trak);
}

bool write_all(std::FILE* f, const bytes& data) {
    return data.empty() || std::fwrite(data.data(), 1, data.size(), f) == data.size();
}

}  // namespace

bool write_large_movie(const large_movie_plan& plan, const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bytes head;
    put_u32(head, 20);
    put_u32(head, fourcc("ftyp"));
    put_u32(head, fourcc("qt  "));
    put_u32(head, 0x200);
    put_u32(head, fourcc("qt  "));
    const uint64_t mdat_start = head.size();
    put_u32(head, 1);
    put_u32(head, fourcc("mdat"));
    put_u64(head, 0);  // written again at the end
    bool ok = write_all(f, head);

    std::vector<uint32_t> sizes;
    std::vector<uint64_t> video_offsets, sound_offsets;
    sizes.reserve(plan.frames);
    video_offsets.reserve(plan.frames);
    uint64_t position = head.size();
    bytes sample(size_t(plan.mean_sample_size) * 2);
    for (size_t i = 0; i < sample.size(); ++i) sample[i] = uint8_t(i * 31 + 7);
    bytes sound(plan.sound ? sound_frames_per_video_frame(plan) * kSoundFrameBytes : 0);
    for (size_t i = 0; i < sound.size(); ++i) sound[i] = uint8_t(i % 7 * 9);
    for (uint32_t i = 0; ok && i < plan.frames; ++i) {
        // Key frames twice the mean size, the others a little smaller.
        const uint32_t size = plan.key_frame_interval <= 1 ? plan.mean_sample_size
                              : i % plan.key_frame_interval == 0
                                  ? plan.mean_sample_size * 2
                                  : plan.mean_sample_size - plan.mean_sample_size / 24;
        sizes.push_back(size);
        video_offsets.push_back(position);
        ok = std::fwrite(sample.data(), 1, size, f) == size;
        position += size;
        if (!plan.sound) continue;
        sound_offsets.push_back(position);
        ok = ok && write_all(f, sound);
        position += sound.size();
    }

    bytes moov = mvhd(plan.time_scale, plan.frames * plan.frame_duration);
    put_bytes(moov, video_track(plan, sizes, video_offsets));
    if (plan.sound) put_bytes(moov, sound_track(plan, sound_offsets));
    ok = ok && write_all(f, atom(fourcc("moov"), moov));

    bytes mdat_size;
    put_u64(mdat_size, position - mdat_start);
#if defined(_WIN32)
    ok = ok && _fseeki64(f, int64_t(mdat_start + 8), SEEK_SET) == 0;
#else
    ok = ok && fseeko(f, off_t(mdat_start + 8), SEEK_SET) == 0;
#endif
    ok = ok && write_all(f, mdat_size);
    return std::fclose(f) == 0 && ok;
}

bool ensure_large_movie(const large_movie_plan& plan, const std::string& path) {
    struct stat info;
    if (stat(path.c_str(), &info) == 0) return true;
    std::printf("writing %s (%u frames)...\n", path.c_str(), plan.frames);
    std::fflush(stdout);
    const std::string part = path + ".part";
    return write_large_movie(plan, part) && std::rename(part.c_str(), path.c_str()) == 0;
}

}  // namespace bench_movie
