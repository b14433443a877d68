// The checks ruv-import makes on a movie path before the importer sees it,
// so that a plain mistake gets a plain one-line answer.
#pragma once

#include <string>

namespace ruv_import {

// "" when the path names a readable file; otherwise why it cannot be
// imported ("no such file", "is a directory", ...). Only local paths are
// checked; URLs go to the importer as they are.
std::string input_problem(const std::string& path);

// The path made absolute against the current folder (QuickTime resolves a
// file URL, never a relative path); URLs and absolute paths stay as they are.
std::string absolute_path(const std::string& path);

}  // namespace ruv_import
