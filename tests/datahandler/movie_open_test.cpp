// Opening movies through the data handler, end to end: QuickTime (the movie
// runtime) finds the registered 'zvh ' handler for a handle data reference,
// the handler builds the movie from the stream and re-points its media, and
// the samples are read back through the handler from the stream.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "datahandler/datahandler_test_support.h"
#include "datahandler/handle_data_ref.h"
#include "datahandler/register_data_handler.h"
#include "datahandler/root_data_ref.h"
#include "importer/sample_bound.h"
#include "quicktime/routines.h"
#include "support/movie_builder.h"

using dh_test::printed_lines;

namespace {

test_movie::bytes two_track_movie() {
    test_movie::movie_plan plan;
    plan.add_video(test_movie::kAvc1, 64, 48).add_samples(4, 300, 100);
    plan.add_video(test_movie::kAvc1, 32, 24).add_samples(2, 50, 200);
    return test_movie::build_movie(plan).contiguous();
}

class MovieThroughDataHandler : public ::testing::Test {
protected:
    static void SetUpTestSuite() { register_data_handler(); }

    void TearDown() override {
        if (m_movie != nullptr) DisposeMovie(m_movie);
    }

    // Opens the bytes as QuickTime does for the importer: a 'dloc'/'dref'
    // property holding a 'zvh ' handle data reference.
    OSErr open(const test_movie::bytes& file) {
        m_ref.reset(dh_test::memory_data_ref(file, "kolmfs://store/clip.mov"));
        DataReferenceRecord location = datahandler::data_location_for(m_ref.get());
        QTNewMoviePropertyElement property{qt_fourcc("dloc"), qt_fourcc("dref"),
                                           sizeof location, &location, 0};
        const OSErr err = NewMovieFromProperties(1, &property, 0, nullptr, &m_movie);
        DisposeHandle(location.dataRef);
        return err;
    }

    std::unique_ptr<CMStreamDataRef> m_ref;
    Movie m_movie = nullptr;
};

// Every media is re-pointed to the handler's reference; disposing the movie
// closes every handler instance the movie and its reads opened.
TEST_F(MovieThroughDataHandler, SelfContainedMovieHasEveryMediaOnTheHandlersReference) {
    printed_lines printed;
    ASSERT_EQ(noErr, open(two_track_movie()));
    ASSERT_EQ(2, GetMovieTrackCount(m_movie));
    for (long i = 1; i <= 2; ++i) {
        Media media = GetTrackMedia(GetMovieIndTrack(m_movie, i));
        int16_t count = 0;
        ASSERT_EQ(noErr, GetMediaDataRefCount(media, &count));
        ASSERT_EQ(1, count);
        Handle ref = nullptr;
        OSType type = 0;
        long attributes = -1;
        ASSERT_EQ(noErr, GetMediaDataRef(media, 1, &ref, &type, &attributes));
        EXPECT_EQ(datahandler::kDataHandlerSubType, type);
        EXPECT_EQ(m_ref.get(), data_ref_from_handle(ref));
        DisposeHandle(ref);
    }
    EXPECT_TRUE(printed.contains("<datah> GetMovieWithFlags: 0x0000\n"));
    EXPECT_EQ(2, std::count(printed.lines().begin(), printed.lines().end(),
                            "<datah> GetMediaDataRef = 'url ', attributes=0x00000001\n"));
    EXPECT_TRUE(printed.at_level(1).empty());

    std::vector<uint8_t> buffer(4096);
    ByteCount size = 0;
    EXPECT_EQ(noErr, GetMediaSample2(GetTrackMedia(GetMovieIndTrack(m_movie, 1)), buffer.data(),
                                     ByteCount(buffer.size()), &size, 0, nullptr, nullptr, nullptr,
                                     nullptr, nullptr, 1, nullptr, nullptr));
    EXPECT_EQ(300u, size);
    DisposeMovie(m_movie);
    m_movie = nullptr;
    auto starts = [&](const char* prefix) {
        return std::count_if(printed.lines().begin(), printed.lines().end(),
                             [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
    };
    EXPECT_GT(starts("<datah> Open["), 1);
    EXPECT_EQ(starts("<datah> Open["), starts("<datah> Close["));
}

TEST_F(MovieThroughDataHandler, AliasReferencesAreSkippedAfterTheResolveLines) {
    test_movie::movie_plan plan;
    plan.add_video(test_movie::kAvc1, 64, 48).add_samples(2, 10, 100).data_ref =
        test_movie::data_ref_kind::alias_self;
    test_movie::bytes file = test_movie::build_movie(plan).contiguous();
    // Clear the entry's self-reference flag: an alias to another file.
    const int64_t dref =
        test_movie::find_atom(file, test_movie::atom_path("moov trak mdia minf dinf dref"));
    ASSERT_GE(dref, 0);
    test_movie::patch_u32(file, uint64_t(dref) + 16 + 8, 0);
    printed_lines printed;
    ASSERT_EQ(noErr, open(file));
    EXPECT_EQ((std::vector<std::string>{
                  "<datah> ResolveAlias: no volume info available for alias\n",
                  "<datah> ResolveAlias failed, -2000\n"}),
              printed.at_level(1));
    Handle ref = nullptr;
    OSType type = 0;
    long attributes = 0;
    ASSERT_EQ(noErr, GetMediaDataRef(GetTrackMedia(GetMovieIndTrack(m_movie, 1)), 1, &ref, &type,
                                     &attributes));
    DisposeHandle(ref);
    // The alias was left as it was: not resolved.
    EXPECT_EQ(qt_fourcc("alis"), type);
    EXPECT_EQ(2, attributes);
    EXPECT_TRUE(printed.contains("<datah> GetMediaDataRef = 'alis', attributes=0x00000002\n"));
}

TEST_F(MovieThroughDataHandler, SampleSizeIsPossibleUpToTheDataBehindTheReference) {
    const test_movie::bytes file = two_track_movie();
    ASSERT_EQ(noErr, open(file));
    Media media = GetTrackMedia(GetMovieIndTrack(m_movie, 1));
    Handle description = NewHandleClear(sizeof(SampleDescription));
    reinterpret_cast<SampleDescription*>(*description)->dataRefIndex = 1;
    const uint32_t size = uint32_t(file.size());
    ns_movie_apple_qt::sample_bound bound;
    EXPECT_TRUE(bound.possible(media, description, size));
    EXPECT_FALSE(bound.possible(media, description, size + 1));
    // A reference carrying an address no data reference has holds nothing;
    // the size is learnt once, so a bound that has not yet asked sees it.
    Handle unknown = dh_test::handle_with(
        {0, 0, 0, 0, 1, 'm', 0, 0, 0, 12, 'd', 'a', 't', 'a', 0x40, 0x41, 0x41, 0x41});
    ASSERT_EQ(noErr, SetMediaDataRef(media, 1, unknown, datahandler::kDataHandlerSubType));
    EXPECT_TRUE(bound.possible(media, description, 1));
    bound.clear();
    EXPECT_FALSE(bound.possible(media, description, 1));
    DisposeHandle(unknown);
    DisposeHandle(description);
}

TEST(NewMovieFromDataFork64, RefusesWhatIsNoDataHandlerInstance) {
    Movie movie = nullptr;
    const wide offset{0, 0};
    Boolean changed = true;
    EXPECT_EQ(paramErr, NewMovieFromDataFork64(&movie, 0x1234, &offset, 0, &changed));
    EXPECT_EQ(nullptr, movie);
}

}  // namespace
