#include "support/hostile_fragments.h"

#include <limits>

namespace test_movie {

bytes track_fragment(uint32_t track_id, int32_t data_offset, const std::vector<run_sample>& samples,
                     uint32_t run_flags, uint32_t default_size) {
    bytes tfhd = be({0x020000u | (default_size ? 0x10u : 0u), track_id});
    if (default_size) put_u32(tfhd, default_size);
    bytes trun = be({run_flags, uint32_t(samples.size()), uint32_t(data_offset)});
    for (const run_sample& s : samples) {
        if (run_flags & kRunDuration) put_u32(trun, s.duration);
        if (run_flags & kRunSize) put_u32(trun, s.size);
        if (run_flags & kRunFlags) put_u32(trun, s.flags);
    }
    bytes body = atom(fourcc("tfhd"), tfhd);
    put_bytes(body, atom(fourcc("trun"), trun));
    return atom(fourcc("traf"), body);
}

bytes fragment_with_data(const std::function<bytes(int32_t)>& trafs, size_t data_size) {
    const bytes mfhd = atom(fourcc("mfhd"), be({0, 99}));
    const int32_t data_offset = int32_t(8 + mfhd.size() + trafs(0).size() + 8);
    bytes body = mfhd;
    put_bytes(body, trafs(data_offset));
    bytes out = atom(fourcc("moof"), body);
    put_bytes(out, atom(fourcc("mdat"), bytes(data_size, 0)));
    return out;
}

bytes fragments_then(bool sound, const bytes& tail) {
    movie_plan plan;
    if (sound)
        plan.add_sound(kTwos, 1, 16, 8000).add_samples(8, 2, 1).constant_size = true;
    else
        plan.add_video(kAvc1, 64, 48).add_samples(8, 10, 100).constant_size = true;
    plan.fragments.samples_per_fragment = 4;
    plan.fragments.samples_in_movie = 4;
    bytes file = build_movie(plan).contiguous();
    put_bytes(file, tail);
    return file;
}

bytes first_fragment_at(uint64_t decode_time) {
    movie_plan plan;
    plan.add_video(kAvc1, 64, 48).add_samples(4, 10, 150);
    plan.fragments.samples_per_fragment = 2;
    bytes file = build_movie(plan).contiguous();
    const int64_t tfdt = find_atom(file, atom_path("moof traf tfdt"));
    if (tfdt < 0) return {};
    patch_u32(file, uint64_t(tfdt) + 12, uint32_t(decode_time >> 32));
    patch_u32(file, uint64_t(tfdt) + 16, uint32_t(decode_time));
    return file;
}

namespace {

// 64 runs pointing at the same MiB of PCM, each 2^19 samples of one frame.
bytes same_bytes_again(uint32_t first_flags, uint32_t flags) {
    const uint32_t mib = 1u << 20;
    return fragments_then(
        true, fragment_with_data(
                  [&](int32_t offset) {
                      bytes trafs;
                      for (int i = 0; i < 64; ++i)
                          put_bytes(trafs, track_fragment(
                                               1, offset, {{1, mib, i ? flags : first_flags}},
                                               kRunOffset | kRunDuration | kRunSize | kRunFlags));
                      return trafs;
                  },
                  mib));
}

bytes swallowing_fragment() {
    movie_plan plan;
    plan.add_video(kAvc1, 64, 48).add_samples(9, 100, 20);
    plan.fragments.samples_per_fragment = 3;
    bytes file = build_movie(plan).contiguous();
    const int64_t moof = find_atom(file, atom_path("moof"));
    if (moof < 0) return {};
    patch_u32(file, uint64_t(moof), uint32_t(file.size() - uint64_t(moof)));
    return file;
}

}  // namespace

std::vector<named_movie> hostile_fragment_movies() {
    std::vector<named_movie> out;
    out.push_back({"FragmentDependenciesListedPast2To24",
                   same_bytes_again(kSampleDependsOnOthers, kSampleDependsOnOthers),
                   "track 1: its fragments hold more samples than the runtime can list"});
    out.push_back({"FragmentSyncSamplesListedPast40MiB", same_bytes_again(kSampleNonSync, 0),
                   "track 1: its fragments hold more samples than the runtime can list"});
    out.push_back({"PcmFragmentSampleOfOneByteLasting2To31",
                   fragments_then(true, fragment_with_data(
                                            [](int32_t o) {
                                                return track_fragment(
                                                    1, o, {{0x80000000u, 1, 0}},
                                                    kRunOffset | kRunDuration | kRunSize);
                                            },
                                            2)),
                   "holds 1 byte, not a whole number of its 2-byte sound frames"});
    out.push_back({"FragmentSamplesWithoutDuration",
                   fragments_then(false, fragment_with_data(
                                             [](int32_t o) {
                                                 return track_fragment(
                                                     1, o, std::vector<run_sample>(48, {0, 0, 0}),
                                                     kRunOffset | kRunFlags, 10);
                                             },
                                             480)),
                   "track 1: 48 samples of its movie fragments last no time"});
    out.push_back({"FragmentOfAMissingTrack",
                   fragments_then(false, fragment_with_data(
                                             [](int32_t o) {
                                                 return track_fragment(
                                                     7, o, {{100, 10, 0}},
                                                     kRunOffset | kRunDuration | kRunSize);
                                             },
                                             10)),
                   "movie fragments name track 7, which the movie does not have"});
    out.push_back({"FragmentSwallowingTheOthers", swallowing_fragment(),
                   "holds a 'mdat' atom (its size takes in the atoms after it)"});
    out.push_back({"FirstFragmentAt2To40", first_fragment_at(uint64_t(1) << 40),
                   "track 1: its first movie fragment starts at 1832519379.627 s"});
    out.push_back({"FirstFragmentAt2To63Less1",
                   first_fragment_at(uint64_t(std::numeric_limits<int64_t>::max())),
                   "the gap is left out"});
    movie_plan gap;
    gap.version1_headers = true;
    gap.add_video(kAvc1, 64, 48)
        .add_samples(4, 10, 150)
        .add_edit(int64_t(1) << 40, -1)
        .add_edit(600, 0);
    out.push_back({"EmptyEditOf2To40", build_movie(gap).contiguous(),
                   "track 1: its edits start with 1832519379.627 s of nothing"});
    movie_plan beyond;
    beyond.add_video(kAvc1, 64, 48).add_samples(4, 10, 150).add_edit(1200, 0);
    out.push_back({"VideoEditPastItsMedia", build_movie(beyond).contiguous(),
                   "video track 1: edit 1 shows 1.000 s past the end of its media"});
    movie_plan mehd;
    mehd.add_video(kAvc1, 64, 48).add_samples(4, 10, 150);
    mehd.add_sound(kTwos, 1, 16, 8000).add_samples(8000, 2, 1);
    mehd.fragments.samples_per_fragment = 2;
    mehd.fragments.unknown_durations = true;
    mehd.fragments.mehd = std::numeric_limits<int64_t>::max();
    out.push_back({"MehdOf2To63Less1", build_movie(mehd).contiguous(), ""});
    return out;
}

}  // namespace test_movie
