// The importer object through the host's importer base: preflight before
// there is an input, and the log handler it installs and removes.
#include <gtest/gtest.h>

#include "apple_qt.h"
#include "importer/log.h"

namespace {

using Ruv::RPtr;
using Ruv::CM::RImporter;

RPtr<RImporter> make_importer() { return RPtr<RImporter>(new apple_qt()); }

ns_movie_apple_qt::log_handler* installed_handler() {
    return ns_movie_apple_qt::log::instance().handler();
}

// The first preflight installs the log handler and makes the movie reader
// before it finds that there is no input to open.
void preflight_without_input(RImporter& importer, Ruv::CM::RImporterConfiguration& configuration) {
    EXPECT_THROW(importer.preflight(configuration), Ruv::CException);
}

// The second preflight finds the movie reader the first one made.
TEST(Importer, PreflightWithoutAnInputThrowsAgainAndKeepsStatus) {
    RPtr<RImporter> importer = make_importer();
    RPtr<Ruv::CM::RImporterConfiguration> configuration(new Ruv::CM::RImporterConfiguration());
    preflight_without_input(*importer, *configuration);
    preflight_without_input(*importer, *configuration);
    EXPECT_EQ(importer->getStatus().getStatusCode(), 0u);
    EXPECT_TRUE(importer->getMovieInfo().isNull());
}

TEST(ImporterLogHandler, FirstPreflightInstallsItAndLeavesTheLogLevel) {
    RPtr<RImporter> importer = make_importer();
    RPtr<Ruv::CM::RImporterConfiguration> configuration(new Ruv::CM::RImporterConfiguration());
    configuration->set("debug-level", "5");
    preflight_without_input(*importer, *configuration);
    EXPECT_NE(installed_handler(), nullptr);
    EXPECT_EQ(ns_movie_apple_qt::log::instance().level(), 1);

    testing::internal::CaptureStderr();
    ns_movie_apple_qt::log::instance().error(0, 0, "no video %s", "track");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "error: [ruv_importer_any_apple_qt] no video track\n");
}

TEST(ImporterLogHandler, DestroyingAnEarlierImporterKeepsTheLaterOnesHandler) {
    RPtr<Ruv::CM::RImporterConfiguration> configuration(new Ruv::CM::RImporterConfiguration());
    RPtr<RImporter> first = make_importer();
    RPtr<RImporter> second = make_importer();
    preflight_without_input(*first, *configuration);
    ns_movie_apple_qt::log_handler* firsts = installed_handler();
    preflight_without_input(*second, *configuration);
    ns_movie_apple_qt::log_handler* seconds = installed_handler();
    EXPECT_NE(firsts, seconds);

    first.reset();
    EXPECT_EQ(installed_handler(), seconds);
    second.reset();
    EXPECT_EQ(installed_handler(), nullptr);
    // The sanitizer build catches a log that still calls a destroyed handler.
    ns_movie_apple_qt::log::instance().error(0, 0, "after the importers");
}

TEST(ImporterLogHandler, ImporterWithoutPreflightLeavesTheLogAlone) {
    RPtr<Ruv::CM::RImporterConfiguration> configuration(new Ruv::CM::RImporterConfiguration());
    RPtr<RImporter> installed = make_importer();
    preflight_without_input(*installed, *configuration);
    ns_movie_apple_qt::log_handler* handler = installed_handler();
    make_importer().reset();
    EXPECT_EQ(installed_handler(), handler);
}

}  // namespace
