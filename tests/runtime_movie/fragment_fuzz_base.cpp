#include "runtime_movie/fragment_fuzz_base.h"

namespace fragment_fuzz {

test_movie::movie_plan base_plan() {
    test_movie::movie_plan plan;
    test_movie::track_plan& video = plan.add_video(test_movie::kAvc1, 64, 48);
    for (uint32_t i = 0; i < 16; ++i) {
        test_movie::sample s;
        s.size = 12 + i % 5;
        s.duration = 100;
        s.composition_offset = i % 4 == 0 ? 100 : (i % 2 ? 200 : -100);
        s.sync = i % 4 == 0;
        s.dependency = s.sync ? 0x20 : 0x10;
        video.samples.push_back(s);
    }
    video.add_edit(1500, 100);
    plan.add_sound(test_movie::kSowt, 1, 16, 8000).add_samples(64, 2, 1);
    plan.fragments.samples_per_fragment = 4;
    plan.fragments.samples_in_movie = 2;
    return plan;
}

test_movie::bytes before_fragments(const test_movie::bytes& file) {
    const uint32_t moof = test_movie::fourcc("moof");
    for (uint64_t at = 0; at + 8 <= file.size();) {
        const uint32_t size = test_movie::get_u32(file, at);
        if (test_movie::get_u32(file, at + 4) == moof)
            return test_movie::bytes(file.begin(), file.begin() + long(at));
        if (size < 8) break;
        at += size;
    }
    return file;
}

const test_movie::bytes& base_head() {
    static const test_movie::bytes head =
        before_fragments(test_movie::build_movie(base_plan()).contiguous());
    return head;
}

}  // namespace fragment_fuzz
