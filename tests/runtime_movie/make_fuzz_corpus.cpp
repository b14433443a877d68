// Writes the movie builder's movies, the hostile sound movies made from
// tests/data and the hostile movies in fragments into a folder, as the
// starting inputs of the movie fuzzer's corpus; with a second folder, the fragments of the fragment
// fuzzer's base movie in several layouts into it: usage make_fuzz_corpus
// FOLDER [FRAGMENT_FOLDER].
#include <cstdio>
#include <string>

#include "runtime_movie/fragment_fuzz_base.h"
#include "support/hostile_fragments.h"
#include "support/hostile_sound.h"
#include "support/movie_builder.h"
#ifdef RUV_CORPUS_COMPRESSED_MOVIE
#include "support/compressed_movie.h"
#endif

namespace {

using test_movie::fourcc;

test_movie::movie_plan with_everything() {
    test_movie::movie_plan plan;
    test_movie::track_plan& video = plan.add_video(
        test_movie::kAvc1, 64, 48,
        {{fourcc("pasp"), test_movie::pasp(4, 3)},
         {fourcc("clap"), test_movie::clap(60, 1, 44, 1)},
         {fourcc("fiel"), test_movie::fiel(2, 9)},
         {fourcc("ARES"), test_movie::bytes(24, 1)}});
    video.descriptions.push_back(test_movie::image_description(fourcc("apcn"), 32, 24));
    video.add_samples(12, 16, 100, false);
    for (uint32_t i = 0; i < 12; ++i) {
        video.samples[i].sync = i % 6 == 0;
        video.samples[i].partial_sync = i % 6 == 3;
        video.samples[i].composition_offset = i % 3 == 0 ? 200 : -100;
        video.samples[i].description = i < 8 ? 1 : 2;
    }
    video.add_edit(100, -1).add_edit(1000, 200);
    video.samples_per_chunk = 4;
    video.time_code_refs.push_back(3);
    plan.add_sound(test_movie::kTwos, 2, 16, 8000).add_samples(8000, 4, 1).samples_per_chunk = 1000;
    plan.add_time_code(1, 30000, 1001, 30, "REEL", {1798, 20000}, 10);
    plan.user_data.push_back({fourcc("name"), test_movie::user_data_text("fuzz")});
    return plan;
}

// The fragments of the fragment fuzzer's base movie, laid out as each way of
// finding their data and timing them asks; each after the same movie atom.
bool write_fragment_inputs(const std::string& folder) {
    using layout = test_movie::fragment_plan::data_base;
    bool ok = true;
    int n = 0;
    for (const layout base : {layout::moof, layout::explicit_offset, layout::chained}) {
        for (const bool version1 : {false, true}) {
            test_movie::movie_plan plan = fragment_fuzz::base_plan();
            plan.fragments.base = base;
            plan.fragments.trun_version1 = version1;
            plan.fragments.with_tfdt = !version1;
            const test_movie::bytes file = test_movie::build_movie(plan).contiguous();
            const test_movie::bytes head = fragment_fuzz::before_fragments(file);
            if (head != fragment_fuzz::base_head()) return false;
            const test_movie::bytes tail(file.begin() + long(head.size()), file.end());
            const std::string name = "/fragments_" + std::to_string(++n) + ".frag";
            ok = test_movie::write_bytes(tail, folder + name) && ok;
        }
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: make_fuzz_corpus FOLDER [FRAGMENT_FOLDER]\n");
        return 2;
    }
    if (argc == 3 && !write_fragment_inputs(argv[2])) {
        std::fprintf(stderr, "make_fuzz_corpus: cannot write the fragment inputs into '%s'\n",
                     argv[2]);
        return 1;
    }
    const std::string folder = argv[1];
    test_movie::movie_plan plan = with_everything();
    bool ok = test_movie::write_movie(plan, folder + "/seed_movie_last.mov");
    plan.movie_first = true;
    plan.version1_headers = true;
    plan.force_co64 = true;
    plan.large_mdat = true;
    ok = test_movie::write_movie(plan, folder + "/seed_movie_first_v1_co64.mov") && ok;
    ok = test_movie::write_movie(test_movie::long_group(300, 64),
                                 folder + "/seed_edits_over_one_long_group.mov") && ok;
    // Movies in fragments: samples in 'moof' atoms after the movie atom.
    plan = with_everything();
    plan.tracks[1].samples.resize(100);  // small seeds: 20 fragments
    plan.fragments.samples_per_fragment = 5;
    plan.fragments.samples_in_movie = 2;
    ok = test_movie::write_movie(plan, folder + "/seed_fragments.mov") && ok;
    plan.fragments.samples_in_movie = 0;
    plan.fragments.base = test_movie::fragment_plan::data_base::chained;
    plan.fragments.defaults_in_trex = true;
    plan.fragments.trun_version1 = true;
    plan.fragments.unknown_durations = true;
    plan.fragments.mehd = 1200;
    ok = test_movie::write_movie(plan, folder + "/seed_fragments_chained.mov") && ok;
    // Sound tracks that each tell one lie (those over the fuzzers' input
    // length are cut by it).
    for (const test_movie::named_movie& m : test_movie::hostile_sound_movies(RUV_TEST_DATA_DIR))
        ok = !m.file.empty() && test_movie::write_bytes(m.file, folder + "/seed_sound_" + m.name + ".mov") && ok;
#ifdef RUV_CORPUS_COMPRESSED_MOVIE
    // The movie atom deflated in 'cmov', and one whose stated size is one
    // byte short of what it inflates to.
    const test_movie::bytes whole = test_movie::build_movie(with_everything()).contiguous();
    test_movie::compressed_movie_atom parts = test_movie::compress_movie_atom(whole);
    auto compressed = [&] { return test_movie::with_movie_atom(whole, movie_atom_of(parts)); };
    ok = test_movie::write_bytes(compressed(), folder + "/compressed_movie_atom.mov") && ok;
    parts.stated_size -= 1;
    ok = test_movie::write_bytes(compressed(), folder + "/compressed_movie_atom_short_size.mov") && ok;
#endif

    // Movies in fragments that each carry one fault.
    for (const test_movie::named_movie& m : test_movie::hostile_fragment_movies())
        ok = !m.file.empty() &&
             test_movie::write_bytes(m.file, folder + "/fragments_" + m.name + ".mov") && ok;
    return ok ? 0 : 1;
}
