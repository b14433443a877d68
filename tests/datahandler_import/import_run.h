// One ruv-import --json run with every output kept, and the parts of it that
// must not depend on how the importer reached the movie's bytes.
#pragma once

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "ruv_import/tool_run.h"
#include "support/movie_builder.h"

namespace datahandler_import {

// The URL prefix the tests mount on a folder.
constexpr const char* kKolmfsPrefix = "kolmfs://store/media";

// Makes the prefix stand for folder in the host's mount table of every
// ruv-import run that follows.
void mount_folder(const std::string& folder);

struct import_run {
    ruv_import_test::tool_result result;
    std::string movie_line;
    std::vector<std::string> stream_lines;
    // Frame lines by queue, in the order each queue's consumer wrote them.
    std::map<int, std::vector<std::string>> frame_lines;
    std::string status_json;
    // The end event's "bytes_read"; -1 without an end event.
    double bytes_read = -1;
    test_movie::bytes wav;
    test_movie::bytes video;
};

// Runs ruv-import --json on input with the extra arguments, writing the audio
// and video outputs to files of their own (read back, then removed).
import_run run_import(const std::string& input, const std::vector<std::string>& extra = {});

// The bytes written under the name, imported in the data-handler mode, then
// removed.
import_run import_bytes(const test_movie::bytes& file, const std::string& name, const char* mode);

// The data-handler modes a crafted movie is imported in: by path, and
// through the plug-in's data handler.
inline const auto kModes = ::testing::Values("force-disable", "force-enable");

// A case's name in one mode: "<name>_Path" or "<name>_DataHandler".
std::string mode_name(const std::string& name, const char* mode);

// Names a (case, mode) parameter by the case's name and the mode.
struct case_and_mode_name {
    template <class Case>
    std::string operator()(const ::testing::TestParamInfo<std::tuple<Case, const char*>>& info)
        const {
        return mode_name(std::get<0>(info.param).name, std::get<1>(info.param));
    }
};

}  // namespace datahandler_import
