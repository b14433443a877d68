// What the plug-in's data handler asks of QuickTime and how it takes a
// refusal, seen from the probe build of the runtime: the registration the
// first preflight makes, and the lines GetMovieWithFlags prints when
// QuickTime refuses to re-point the movie's media.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "apple_qt.h"
#include "datahandler/datahandler_test_support.h"
#include "datahandler/register_data_handler.h"
#include "datahandler/root_data_ref.h"
#include "module/probe/probe_observation.h"
#include "quicktime/fresh_process.h"
#include "quicktime/routines.h"
#include "support/movie_builder.h"

namespace {

using test_support::run_in_fresh_process;

void use_probe_runtime() {
    setenv("RUV_SYSTEM_DIR", RUV_OUTPUT_DIR "/qt-probe", 1);
    unsetenv("RUV_REGISTRY");
}

TEST(ProbeRuntime, FirstPreflightRegistersTheDataHandlerOnce) {
    run_in_fresh_process([] {
        use_probe_runtime();
        Ruv::RPtr<apple_qt> importer(new apple_qt());
        Ruv::RPtr<Ruv::CM::RImporterConfiguration> configuration(
            new Ruv::CM::RImporterConfiguration());
        // Without an input each preflight throws after the first step.
        EXPECT_THROW(importer->preflight(*configuration), Ruv::CException);
        EXPECT_THROW(importer->preflight(*configuration), Ruv::CException);

        qtrt_probe::registrations_seen seen = {};
        Size size = sizeof seen;
        ASSERT_EQ(noErr, MediaGetPublicInfo(reinterpret_cast<MediaHandler>(1),
                                            qtrt_probe::kRegistrationsSelector, &seen, &size));
        EXPECT_EQ(1u, seen.count);
        const uint32_t expected[5] = {qt_fourcc("dhlr"), qt_fourcc("zvh "), qt_fourcc("VANT"), 0, 0};
        for (int i = 0; i < 5; ++i) EXPECT_EQ(expected[i], seen.description[i]) << "field " << i;
        EXPECT_EQ(1, seen.global);
        EXPECT_TRUE(seen.has_entry);
    });
}

TEST(ProbeRuntime, RefusedDataReferenceIsReportedAndTheMovieKept) {
    run_in_fresh_process([] {
        use_probe_runtime();
        register_data_handler();
        test_movie::movie_plan plan;
        plan.add_video(test_movie::kAvc1, 64, 48).add_samples(2, 100, 100);
        std::unique_ptr<CMStreamDataRef> ref(dh_test::memory_data_ref(
            test_movie::build_movie(plan).contiguous(), "kolmfs://store/clip.mov"));
        DataReferenceRecord location = datahandler::data_location_for(ref.get());
        QTNewMoviePropertyElement property{qt_fourcc("dloc"), qt_fourcc("dref"), sizeof location,
                                           &location, 0};
        dh_test::printed_lines printed;
        Movie movie = nullptr;
        EXPECT_EQ(noErr, NewMovieFromProperties(1, &property, 0, nullptr, &movie));
        DisposeHandle(location.dataRef);
        EXPECT_NE(nullptr, movie);
        EXPECT_EQ((std::vector<std::string>{"<datah> Failed to SetMediaDataRef, -2050",
                                            "<datah> GetMovieWithFlags failed, -2050\n"}),
                  printed.at_level(1));
        if (movie) DisposeMovie(movie);
    });
}

}  // namespace
