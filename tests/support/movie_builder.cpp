#include "support/movie_builder.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <stdexcept>

namespace test_movie {
namespace {

constexpr uint32_t kFixed1 = 0x10000;
using numbers = std::vector<uint64_t>;

// Fields of one, two and eight bytes.
field u8(uint64_t v) { return {v, 1}; }
field u16(uint64_t v) { return {v, 2}; }
field u64(uint64_t v) { return {v, 8}; }

template <class... Parts>
bytes cat(const Parts&... parts) {
    bytes out;
    (put_bytes(out, parts), ...);
    return out;
}

// Every value in fields of `size` bytes.
bytes be_all(const numbers& values, int size = 4) {
    bytes out;
    for (uint64_t v : values) put_bytes(out, be({field(v, size)}));
    return out;
}

// An entry count and the entries ('stsd', 'dref').
bytes counted(const std::vector<bytes>& entries) {
    bytes out = be({uint64_t(entries.size())});
    for (const bytes& e : entries) put_bytes(out, e);
    return out;
}

bytes full_atom(uint32_t type, uint8_t version, uint32_t flags, const bytes& payload) {
    return atom(type, cat(be({u8(version), field(flags, 3)}), payload));
}

// A sample table: version 0 or 1, the entry count, then the entries of
// per_entry fields of `size` bytes ('stts', 'ctts', 'stss', 'stps', 'stsc',
// 'stco', 'co64').
bytes table(uint32_t type, const numbers& fields, size_t per_entry, bool version1 = false,
            int size = 4) {
    return full_atom(type, version1, 0, cat(be({fields.size() / per_entry}), be_all(fields, size)));
}

// Run-length coding: count and value of each run of equal values.
numbers runs(const numbers& values) {
    numbers out;
    for (uint64_t v : values) {
        if (out.empty() || out.back() != v) out.insert(out.end(), {0, v});
        ++out[out.size() - 2];
    }
    return out;
}

const bytes kMatrix = be({kFixed1, 0, 0, 0, kFixed1, 0, 0, 0, 0x40000000});

// 'hdlr': component type and subtype, Apple as manufacturer, an empty name.
bytes handler(uint32_t type, uint32_t subtype) {
    return full_atom(fourcc("hdlr"), 0, 0, be({type, subtype, fourcc("appl"), 0, 0, u8(0)}));
}

// A sample description entry: its size, the format, six reserved bytes, data
// reference 1, the format's fields, then extension atoms.
bytes sample_entry(uint32_t format, const bytes& fields, const std::vector<extension>& extensions) {
    bytes body = cat(be({format, 0, u16(0), u16(1)}), fields);
    for (const extension& e : extensions) put_bytes(body, atom(e.type, e.payload));
    return cat(be({uint64_t(body.size() + 4)}), body);
}

// The sum of a field of a track's samples.
uint64_t total(const track_plan& t, uint32_t sample::*member) {
    return std::accumulate(t.samples.begin(), t.samples.end(), uint64_t(0),
                           [&](uint64_t sum, const sample& s) { return sum + s.*member; });
}

uint64_t track_duration(const track_plan& t, int32_t scale) {
    uint64_t d = 0;
    for (const edit& e : t.edits) d += uint64_t(e.duration);
    return t.has_edits ? d : total(t, &sample::duration) * uint64_t(scale) / uint64_t(t.time_scale);
}

// The bytes of samples [first, end) of the track.
bytes sample_bytes(const track_plan& t, uint32_t first, uint32_t end) {
    bytes out;
    for (uint32_t index = first; index < end; ++index) {
        const sample& s = t.samples[index];
        for (uint32_t i = 0; i < s.size && s.data.empty(); ++i)
            out.push_back(sample_pattern_byte(t.id, index, i));
        put_bytes(out, s.data);
    }
    return out;
}

// 'stsz', or 'stz2' with sizes of compact_size_bits.
bytes sizes_atom(const track_plan& t, const numbers& sizes) {
    const uint64_t n = sizes.size();
    const bool constant = t.constant_size && n > 0;
    if (t.compact_size_bits == 0)
        return full_atom(fourcc("stsz"), 0, 0,
                         cat(be({constant ? sizes[0] : 0, n}), constant ? bytes() : be_all(sizes)));
    bytes packed = t.compact_size_bits > 4 ? be_all(sizes, t.compact_size_bits / 8) : bytes();
    for (size_t i = 0; t.compact_size_bits == 4 && i < n; i += 2)  // two to a byte
        packed.push_back(uint8_t(sizes[i] << 4 | (i + 1 < n ? sizes[i + 1] & 0xF : 0)));
    return full_atom(fourcc("stz2"), 0, 0, cat(be({t.compact_size_bits, n}), packed));
}

// The sample tables of a track whose media data starts at `base`: chunks of
// samples_per_chunk samples, or fewer where the description changes.
bytes build_stbl(const track_plan& t, uint64_t base, bool co64) {
    numbers durations, offsets, sync, partial, sizes, chunk_offsets, per_chunk, descriptions, stsc;
    bytes dependencies;
    bool negative = false, has_offsets = false, has_dependencies = false;
    for (uint32_t i = 0; i < t.samples.size(); ++i) {
        const sample& s = t.samples[i];
        if (i == 0 || per_chunk.back() >= t.samples_per_chunk ||
            s.description != descriptions.back()) {
            chunk_offsets.push_back(base);
            per_chunk.push_back(0);
            descriptions.push_back(s.description);
        }
        ++per_chunk.back();
        base += s.size;
        durations.push_back(s.duration);
        offsets.push_back(uint32_t(s.composition_offset));
        sizes.push_back(s.size);
        if (s.sync) sync.push_back(i + 1);
        if (s.partial_sync) partial.push_back(i + 1);
        dependencies.push_back(s.dependency);
        negative |= s.composition_offset < 0;
        has_offsets |= s.composition_offset != 0;
        has_dependencies |= s.dependency != 0;
    }
    for (size_t c = 0; c < per_chunk.size(); ++c) {  // first chunk, samples per chunk, description
        const size_t n = stsc.size();
        if (n == 0 || stsc[n - 2] != per_chunk[c] || stsc[n - 1] != descriptions[c])
            stsc.insert(stsc.end(), {c + 1, per_chunk[c], descriptions[c]});
    }
    bytes stbl = cat(full_atom(fourcc("stsd"), 0, 0, counted(t.descriptions)),
                     table(fourcc("stts"), runs(durations), 2));
    if (has_offsets) put_bytes(stbl, table(fourcc("ctts"), runs(offsets), 2, negative));
    if (sync.size() < t.samples.size()) put_bytes(stbl, table(fourcc("stss"), sync, 1));
    if (has_dependencies) put_bytes(stbl, full_atom(fourcc("sdtp"), 0, 0, dependencies));
    if (!partial.empty()) put_bytes(stbl, table(fourcc("stps"), partial, 1));
    put_bytes(stbl, cat(table(fourcc("stsc"), stsc, 3), sizes_atom(t, sizes)));
    put_bytes(stbl, table(fourcc(co64 ? "co64" : "stco"), chunk_offsets, 1, false, co64 ? 8 : 4));
    return atom(fourcc("stbl"), stbl);
}

bool is_external(const track_plan& t) {
    return t.data_ref_entries.empty() && (t.data_ref == data_ref_kind::url_external ||
                                          t.data_ref == data_ref_kind::alias_external);
}

bool is_alias(const track_plan& t) {
    return t.data_ref == data_ref_kind::alias_self || t.data_ref == data_ref_kind::alias_external;
}

// A track's one 'dref' entry: flag 1 for the movie's own file, else a URL
// ending in a zero or an alias record: its size (150) and version (2), then
// the file's name at offset 50 (a Pascal string of up to 63 characters) among
// fields this builder leaves zero.
bytes data_reference_entry(const track_plan& t) {
    const std::string& name = t.external_name;
    bytes data;
    if (t.data_ref == data_ref_kind::url_external)
        data = cat(bytes(name.begin(), name.end()), bytes(1, 0));
    if (t.data_ref == data_ref_kind::alias_external) {
        data = cat(be({field(150, 6), u16(2)}), bytes(42, 0), be({u8(name.size())}),
                   bytes(name.begin(), name.end()));
        data.resize(150);
    }
    return full_atom(fourcc(is_alias(t) ? "alis" : "url "), 0, is_external(t) ? 0 : 1, data);
}

bytes build_minf(const track_plan& t, uint64_t base, bool co64) {
    // Graphics mode copy and its colour.
    const bytes graphics = be({u16(0x40), u16(0x8000), u16(0x8000), u16(0x8000)});
    const bytes minf =
        t.handler == kVide ? full_atom(fourcc("vmhd"), 0, 1, graphics)
        : t.handler == kSoun
            ? full_atom(fourcc("smhd"), 0, 0, bytes(4, 0))
            : atom(fourcc("gmhd"), full_atom(fourcc("gmin"), 0, 0, cat(graphics, be({0}))));
    std::vector<bytes> refs = t.data_ref_entries;
    if (refs.empty()) refs.push_back(data_reference_entry(t));
    return atom(fourcc("minf"),
                cat(minf, handler(fourcc("dhlr"), fourcc(is_alias(t) ? "alis" : "url ")),
                    atom(fourcc("dinf"), full_atom(fourcc("dref"), 0, 0, counted(refs))),
                    build_stbl(t, base, co64)));
}

bytes build_trak(const movie_plan& m, const track_plan& t, uint64_t base, bool co64) {
    const uint8_t v = m.version1_headers ? 1 : 0;
    const int w = v ? 8 : 4;  // the size of times and durations
    const bool unknown = m.fragments.unknown_durations;
    const uint64_t duration = unknown ? ~uint64_t(0) : track_duration(t, m.time_scale);
    const uint64_t media = unknown ? ~uint64_t(0) : total(t, &sample::duration);
    const uint16_t volume = t.handler == kSoun ? uint16_t(t.volume) : 0;
    // Times, ID, duration, layer and alternate group, volume, matrix, size.
    bytes trak = full_atom(fourcc("tkhd"), v, t.enabled ? 0xF : 0xE,
                           cat(be({field(0, w), field(0, w), t.id, 0, field(duration, w), u64(0), 0,
                                   u16(volume), u16(0)}),
                               kMatrix, be({uint32_t(t.width), uint32_t(t.height)})));
    if (t.has_edits) {
        bytes elst = be({uint64_t(t.edits.size())});
        for (const edit& e : t.edits)
            put_bytes(elst, be({field(uint64_t(e.duration), w), field(uint64_t(e.media_time), w),
                                uint32_t(e.rate)}));
        put_bytes(trak, atom(fourcc("edts"), full_atom(fourcc("elst"), v, 0, elst)));
    }
    const numbers refs(t.time_code_refs.begin(), t.time_code_refs.end());
    if (!refs.empty()) put_bytes(trak, atom(fourcc("tref"), atom(kTmcd, be_all(refs))));
    const bytes mdhd =
        full_atom(fourcc("mdhd"), v, 0,
                  be({field(0, w), field(0, w), uint32_t(t.time_scale), field(media, w), 0}));
    put_bytes(trak, atom(fourcc("mdia"),
                         cat(mdhd, handler(fourcc("mhlr"), t.handler), build_minf(t, base, co64))));
    return atom(fourcc("trak"), trak);
}

// A sample's duration, size, flags (its dependency byte and whether it is not
// a sync sample, as 'trex', 'tfhd' and 'trun' hold them) or composition offset.
uint32_t fragment_field(const sample& s, int k) {
    const uint32_t flags = uint32_t(s.dependency) << 20 | (s.sync ? 0 : 0x10000);
    const uint32_t fields[] = {s.duration, s.size, flags, uint32_t(s.composition_offset)};
    return fields[k];
}

// What the samples of a track share, for fragment defaults: duration, size
// and flags, each with the last sample's value. A first sample whose flags
// differ from the others' gets first-sample flags.
struct shared_fields {
    bool shared[3] = {true, true, true};
    uint32_t value[3] = {};
    bool first_flags = false, offsets = false;
};

shared_fields shared_by(const track_plan& t) {
    shared_fields f;
    for (int k = 0; k < 3 && !t.samples.empty(); ++k) {
        f.value[k] = fragment_field(t.samples.back(), k);
        for (size_t i = k == 2 ? 1 : 0; i < t.samples.size(); ++i)
            f.shared[k] &= fragment_field(t.samples[i], k) == f.value[k];
    }
    for (const sample& s : t.samples) f.offsets |= s.composition_offset != 0;
    f.first_flags =
        f.shared[2] && t.samples.size() > 1 && fragment_field(t.samples[0], 2) != f.value[2];
    return f;
}

bytes build_mvex(const fragment_plan& f, const std::vector<track_plan>& tracks) {
    bytes mvex =
        f.mehd >= 0 ? full_atom(fourcc("mehd"), 1, 0, be({u64(uint64_t(f.mehd))})) : bytes();
    for (const track_plan& t : tracks) {
        const shared_fields shared = shared_by(t);
        bytes trex = be({t.id, 1});
        for (int k = 0; k < 3; ++k)
            put_u32(trex, f.defaults_in_trex && shared.shared[k] ? shared.value[k] : 0);
        put_bytes(mvex, full_atom(fourcc("trex"), 0, 0, trex));
    }
    return atom(fourcc("mvex"), mvex);
}

// The movie atom, the tracks' media data starting at `bases`; `mvex` last.
bytes build_moov(const movie_plan& m, const std::vector<track_plan>& tracks, const numbers& bases,
                 bool co64, const bytes& mvex) {
    const int w = m.version1_headers ? 8 : 4;
    uint64_t duration = 0;
    uint32_t next_id = 1;
    for (const track_plan& t : tracks) {
        duration = std::max(duration, track_duration(t, m.time_scale));
        next_id = std::max(next_id, t.id + 1);
    }
    if (m.fragments.unknown_durations) duration = ~uint64_t(0);
    // Times, time scale, duration, rate 1, volume 1, reserved, matrix, zero
    // preview, poster, selection and current times, the next track ID.
    bytes moov = full_atom(fourcc("mvhd"), m.version1_headers, 0,
                           cat(be({field(0, w), field(0, w), uint32_t(m.time_scale),
                                   field(duration, w), kFixed1, u16(0x100)}),
                               bytes(10, 0), kMatrix, bytes(24, 0), be({next_id})));
    for (size_t i = 0; i < tracks.size(); ++i)
        put_bytes(moov, build_trak(m, tracks[i], bases[i], co64));
    bytes udta;
    for (const user_data_entry& u : m.user_data) put_bytes(udta, atom(u.type, u.payload));
    if (!m.user_data.empty()) put_bytes(moov, atom(fourcc("udta"), udta));
    return atom(fourcc("moov"), cat(moov, mvex));
}

}  // namespace

bytes be(std::initializer_list<field> fields) {
    bytes out;
    for (const field& f : fields)
        for (int shift = 8 * (f.size - 1); shift >= 0; shift -= 8)
            out.push_back(uint8_t(f.value >> shift));
    return out;
}

bytes data_reference_entry(uint32_t type, uint32_t flags, const bytes& data) {
    return full_atom(type, 0, flags, data);
}

bytes atom(uint32_t type, const bytes& payload) {
    return cat(be({uint64_t(payload.size() + 8), type}), payload);
}

bytes image_description(uint32_t codec, int16_t width, int16_t height, int16_t depth,
                        const std::vector<extension>& extensions) {
    bytes name = {4, 't', 'e', 's', 't'};  // a Pascal string in 32 bytes
    name.resize(32);
    // Version, revision, vendor, temporal and spatial quality, the size, 72
    // dpi both ways, the data size, one frame per sample, the name, the depth,
    // no colour table.
    const bytes fields = be({u16(0), u16(0), fourcc("appl"), 0x200, 0x300, u16(uint16_t(width)),
                             u16(uint16_t(height)), 72 * kFixed1, 72 * kFixed1, 0, u16(1)});
    return sample_entry(codec, cat(fields, name, be({u16(uint16_t(depth)), u16(0xFFFF)})),
                        extensions);
}

bytes sound_description(uint32_t format, uint16_t channels, uint16_t bits, uint32_t sample_rate,
                        uint16_t version, const std::vector<extension>& extensions) {
    // Version, revision, vendor, channels, bits, compression ID, packet size,
    // the 16.16 rate; version 1: samples per packet, bytes per packet, per
    // frame and per sample.
    bytes fields = be({u16(version), u16(0), 0, u16(channels), u16(bits),
                       u16(version == 1 ? 0xFFFE : 0), u16(0), sample_rate << 16});
    const uint32_t bytes_per_sample = bits / 8;
    if (version == 1)
        put_bytes(fields, be({1, bytes_per_sample, bytes_per_sample * channels, bytes_per_sample}));
    return sample_entry(format, fields, extensions);
}

bytes time_code_description(int32_t flags, int32_t time_scale, int32_t frame_duration,
                            uint8_t frames, const std::string& reel_name) {
    std::vector<extension> reel;
    if (!reel_name.empty())
        reel.push_back({fourcc("udta"), atom(fourcc("name"), user_data_text(reel_name))});
    const bytes fields =
        be({0, uint32_t(flags), uint32_t(time_scale), uint32_t(frame_duration), u8(frames), u8(0)});
    return sample_entry(kTmcd, fields, reel);
}

bytes user_data_text(const std::string& text, uint16_t language) {
    return cat(be({u16(text.size()), u16(language)}), bytes(text.begin(), text.end()));
}

bytes clap(uint32_t width_n, uint32_t width_d, uint32_t height_n, uint32_t height_d) {
    return be({width_n, width_d, height_n, height_d, 0, 1, 0, 1});
}

track_plan& movie_plan::add_video(uint32_t codec, int16_t width, int16_t height,
                                  const std::vector<extension>& extensions) {
    track_plan& t = tracks.emplace_back();
    t.width = int32_t(width) << 16;
    t.height = int32_t(height) << 16;
    t.descriptions.push_back(image_description(codec, width, height, 24, extensions));
    return t;
}

track_plan& movie_plan::add_sound(uint32_t format, uint16_t channels, uint16_t bits,
                                  uint32_t sample_rate) {
    track_plan& t = tracks.emplace_back();
    t.handler = kSoun;
    t.time_scale = int32_t(sample_rate);
    t.descriptions.push_back(sound_description(format, channels, bits, sample_rate));
    t.constant_size = true;
    return t;
}

track_plan& movie_plan::add_time_code(int32_t flags, int32_t tc_scale, int32_t frame_duration,
                                      uint8_t frames, const std::string& reel_name,
                                      const std::vector<int32_t>& counters,
                                      uint32_t frames_per_sample) {
    track_plan& t = tracks.emplace_back();
    t.handler = kTmcd;
    t.time_scale = tc_scale;
    t.descriptions.push_back(
        time_code_description(flags, tc_scale, frame_duration, frames, reel_name));
    for (int32_t counter : counters)
        t.samples.push_back({4, uint32_t(frame_duration) * frames_per_sample, 0, true, false, 0, 1,
                             be({uint32_t(counter)})});
    return t;
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
    bytes moof = full_atom(fourcc("mfhd"), 0, 0, be({sequence}));
    bool first_traf = true;
    for (const track_plan& t : tracks) {
        const uint32_t a = std::min<uint32_t>(first, uint32_t(t.samples.size()));
        const uint32_t b = std::min<uint32_t>(end, uint32_t(t.samples.size()));
        if (a == b) continue;
        const shared_fields shared = shared_by(t);
        const bool in_tfhd = !f.defaults_in_trex || !f.with_mvex;
        const bool chained = f.base == fragment_plan::data_base::chained;
        // The base offset, then the defaults that are shared, each flagged.
        const bool explicit_base =
            f.base == fragment_plan::data_base::explicit_offset || (chained && first_traf);
        uint32_t tfhd_flags =
            (f.base == fragment_plan::data_base::moof ? 0x20000 : 0) | (explicit_base ? 0x1 : 0);
        bytes tfhd = cat(be({t.id}),
                         explicit_base ? be({u64(chained ? data_start : moof_offset)}) : bytes());
        for (int k = 0; k < 3; ++k) {
            if (!in_tfhd || !shared.shared[k]) continue;
            tfhd_flags |= 0x8 << k;
            put_u32(tfhd, shared.value[k]);
        }
        bytes traf = full_atom(fourcc("tfhd"), 0, tfhd_flags, tfhd);
        uint64_t decode_time = 0;
        for (uint32_t i = 0; i < a; ++i) decode_time += t.samples[i].duration;
        if (f.with_tfdt) put_bytes(traf, full_atom(fourcc("tfdt"), 1, 0, be({u64(decode_time)})));
        const bool first_flags = shared.first_flags && a == 0;
        // Data offset, first-sample flags, then each sample's fields but those
        // shared; composition offsets when any is not zero.
        uint32_t trun_flags =
            (first_flags ? 0x4 : 0) | (chained ? 0 : 0x1) | (shared.offsets ? 0x800 : 0);
        for (int k = 0; k < 3; ++k) trun_flags |= shared.shared[k] ? 0 : 0x100 << k;
        bytes trun = be({b - a});
        if (!chained) put_u32(trun, uint32_t(data_start - moof_offset));
        if (first_flags) put_u32(trun, fragment_field(t.samples[0], 2));
        for (uint32_t i = a; i < b; ++i) {
            for (int k = 0; k < 4; ++k)
                if (trun_flags & (0x100 << k)) put_u32(trun, fragment_field(t.samples[i], k));
            data_start += t.samples[i].size;
        }
        put_bytes(traf, full_atom(fourcc("trun"), f.trun_version1, trun_flags, trun));
        put_bytes(moof, atom(fourcc("traf"), traf));
        first_traf = false;
    }
    return atom(fourcc("moof"), moof);
}

// Appends 'moof' atoms of samples_per_fragment samples of every track, from
// samples_in_movie on, each followed by an 'mdat' with their bytes.
void add_fragments(const movie_plan& plan, const std::vector<track_plan>& tracks,
                   movie_file& file) {
    const fragment_plan& f = plan.fragments;
    uint32_t most = 0;
    for (const track_plan& t : tracks) most = std::max(most, uint32_t(t.samples.size()));
    for (uint32_t first = f.samples_in_movie, sequence = 1; first < most;
         first += f.samples_per_fragment, ++sequence) {
        const uint32_t end = first + f.samples_per_fragment;
        const uint64_t at = file.size,
                       moof_size = build_moof(plan, tracks, sequence, first, end, at, 0).size();
        bytes data;
        for (const track_plan& t : tracks)
            put_bytes(data, sample_bytes(t, std::min<uint32_t>(first, uint32_t(t.samples.size())),
                                         std::min<uint32_t>(end, uint32_t(t.samples.size()))));
        file.pieces.push_back(
            {at, cat(build_moof(plan, tracks, sequence, first, end, at, at + moof_size + 8),
                     atom(fourcc("mdat"), data))});
        file.size += file.pieces.back().data.size();
    }
}

}  // namespace

movie_file build_movie(const movie_plan& plan) {
    const fragment_plan& f = plan.fragments;
    const bool fragmented = f.samples_per_fragment > 0;
    std::vector<track_plan> tracks = plan.tracks;
    for (size_t i = 0; i < tracks.size(); ++i)
        if (tracks[i].id == 0) tracks[i].id = uint32_t(i + 1);
    // A fragmented movie's atom comes first, with 'mvex' and the samples
    // before samples_in_movie.
    std::vector<track_plan> head = tracks;
    uint64_t media_size = plan.media_gap;
    for (track_plan& t : head) {
        if (fragmented) t.samples.resize(std::min<size_t>(t.samples.size(), f.samples_in_movie));
        media_size += is_external(t) ? 0 : total(t, &sample::size);
    }
    const bytes mvex = fragmented && f.with_mvex ? build_mvex(f, tracks) : bytes();
    const bytes ftyp = atom(fourcc("ftyp"), be({fourcc("qt  "), 0x200, fourcc("qt  ")}));
    movie_file file{{{0, ftyp}}, ftyp.size(), {}};
    const uint64_t mdat_header = plan.large_mdat ? 16 : 8, mdat_size = mdat_header + media_size;
    const bool co64 =
        plan.force_co64 || ftyp.size() + mdat_size > 0xFFFFFFFFu || plan.media_gap > 0xFFFFFFFFu;
    // The movie atom's size does not depend on the offsets it holds.
    numbers bases(head.size());
    const uint64_t moov_size = build_moov(plan, head, bases, co64, mvex).size();
    const bool movie_first = plan.movie_first || fragmented;
    const uint64_t mdat_at = file.size + (movie_first ? moov_size : 0);
    // Each track's media data follows the one before, or goes into a file of
    // its own.
    bases.clear();
    bytes media;
    for (const track_plan& t : head) {
        const bytes data = sample_bytes(t, 0, uint32_t(t.samples.size()));
        bases.push_back(is_external(t) ? 0 : mdat_at + mdat_header + plan.media_gap + media.size());
        if (is_external(t)) file.externals.push_back({t.external_name, data});
        if (!is_external(t)) put_bytes(media, data);
    }
    file.pieces.push_back(
        {movie_first ? file.size : mdat_at + mdat_size, build_moov(plan, head, bases, co64, mvex)});
    file.pieces.push_back({mdat_at, plan.large_mdat ? be({1, fourcc("mdat"), u64(mdat_size)})
                                                    : be({mdat_size, fourcc("mdat")})});
    file.pieces.push_back({mdat_at + mdat_header + plan.media_gap, media});
    file.size += moov_size + mdat_size;
    if (fragmented) add_fragments(plan, tracks, file);
    return file;
}

namespace {

// Writes the pieces at their offsets, leaving holes between them. Paths are
// UTF-8, as the host and the runtime take them; Windows opens files by UTF-16
// names.
bool write_pieces(const std::vector<movie_file::piece>& pieces, const std::string& path) {
#ifdef _WIN32
    std::FILE* f = _wfopen(std::filesystem::u8path(path).c_str(), L"wb");
    const auto seek = [&](uint64_t at) { return _fseeki64(f, int64_t(at), SEEK_SET) == 0; };
#else
    std::FILE* f = std::fopen(path.c_str(), "wb");
    const auto seek = [&](uint64_t at) { return fseeko(f, off_t(at), SEEK_SET) == 0; };
#endif
    if (!f) return false;
    bool ok = true;
    for (const movie_file::piece& p : pieces)
        ok = ok && seek(p.offset) &&
             (p.data.empty() || std::fwrite(p.data.data(), 1, p.data.size(), f) == p.data.size());
    return std::fclose(f) == 0 && ok;
}

}  // namespace

bool write_movie(const movie_plan& plan, const std::string& path) {
    const movie_file file = build_movie(plan);
    const std::string folder = path.substr(0, path.find_last_of("/\\") + 1);
    for (const auto& external : file.externals)
        if (!write_bytes(external.second, folder + external.first)) return false;
    return file.size < (uint64_t(1) << 28) ? write_bytes(file.contiguous(), path)
                                           : write_pieces(file.pieces, path);
}

bool write_bytes(const bytes& data, const std::string& path) {
    return write_pieces({{0, data}}, path);
}

movie_plan long_group(uint32_t count, uint32_t edits) {
    movie_plan plan;
    plan.time_scale = 1000;
    track_plan& t = plan.add_video(kAvc1, 16, 16);
    t.time_scale = 1000;
    t.add_samples(count, 1, 1, false);
    t.samples[0].sync = true;
    for (uint32_t e = 0; e < edits; ++e) t.add_edit(1, count - 2 + e % 2);
    return plan;
}

bytes read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return bytes(std::istreambuf_iterator<char>(in), {});
}

uint32_t get_u32(const bytes& file, uint64_t offset) {
    if (offset + 4 > file.size()) throw std::out_of_range("get_u32 past the end of the file");
    return uint32_t(file[offset]) << 24 | uint32_t(file[offset + 1]) << 16 |
           uint32_t(file[offset + 2]) << 8 | file[offset + 3];
}

std::vector<uint32_t> atom_path(const std::string& types) {
    std::vector<uint32_t> path;
    for (size_t i = 0; i + 4 <= types.size(); i += 5) {
        uint32_t type = 0;
        for (size_t k = i; k < i + 4; ++k) type = type << 8 | uint8_t(types[k]);
        path.push_back(type);
    }
    return path;
}

int64_t find_atom(const bytes& file, const std::vector<uint32_t>& path) {
    static const std::vector<uint32_t> kContainers = {
        fourcc("moov"), fourcc("trak"), fourcc("mdia"), fourcc("minf"), fourcc("dinf"),
        fourcc("stbl"), fourcc("edts"), fourcc("udta"), fourcc("tref"), fourcc("moof"),
        fourcc("traf")};
    uint64_t begin = 0, end = file.size();
    int64_t found = -1;
    for (size_t level = 0; level < path.size(); ++level) {
        if (level > 0 &&
            std::find(kContainers.begin(), kContainers.end(), path[level - 1]) == kContainers.end())
            return -1;
        found = -1;
        for (uint64_t at = begin, size; at + 8 <= end && found < 0; at += size) {
            size = get_u32(file, at);
            const bool large = size == 1 && at + 16 <= end;
            const uint64_t header = large ? 16 : 8;
            if (large)
                size = uint64_t(get_u32(file, at + 8)) << 32 | get_u32(file, at + 12);
            else if (size == 0)
                size = end - at;
            if (size < header || at + size > end) return -1;
            if (get_u32(file, at + 4) != path[level]) continue;
            found = int64_t(at);
            begin = at + header;
            end = at + size;
        }
        if (found < 0) return -1;
    }
    return found;
}

void patch_u32(bytes& file, uint64_t offset, uint32_t value) {
    if (offset + 4 > file.size()) throw std::out_of_range("patch_u32 past the end of the file");
    const bytes v = be({value});
    std::copy(v.begin(), v.end(), file.begin() + offset);
}

}  // namespace test_movie
