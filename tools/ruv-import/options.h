// The command line of ruv-import: ruv-import [--module PATH] [MOVIE]
#pragma once

#include <string>

namespace ruv_import {

struct options {
    // Empty: the plug-in module beside the program.
    std::string module_path;
    // Empty: only load the module and make a component.
    std::string movie;
    bool help = false;
};

// false with a message in error when the command line cannot be used.
bool parse_options(int argc, const char* const* argv, options& result, std::string& error);

const char* usage();

}  // namespace ruv_import
