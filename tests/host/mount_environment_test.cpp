// The mount table starts from RUV_STREAM_MOUNTS, read when first needed.
#include <gtest/gtest.h>

#include <cstdlib>

#include "lib/cm/CMStream.h"

namespace {

TEST(MountEnvironment, EntriesComeFromTheVariable) {
    ASSERT_EQ(setenv("RUV_STREAM_MOUNTS",
                     "kolmfs://store/media=/srv/media;smb://nas/share/=/mnt/nas;;broken", 1),
              0);
    EXPECT_EQ(Ruv::CM::RStream::resolveMount("kolmfs://store/media/x.mov"), "/srv/media/x.mov");
    EXPECT_EQ(Ruv::CM::RStream::resolveMount("smb://nas/share/d/y.mov"), "/mnt/nas/d/y.mov");
    EXPECT_EQ(Ruv::CM::RStream::resolveMount("broken/x"), "");
}

}  // namespace
