#include "options.h"

#include <cstring>

namespace ruv_import {

bool parse_options(int argc, const char* const* argv, options& result, std::string& error) {
    result = options();
    bool options_ended = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (!options_ended && std::strcmp(arg, "--") == 0) {
            options_ended = true;
        } else if (!options_ended && (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0)) {
            result.help = true;
        } else if (!options_ended && std::strcmp(arg, "--module") == 0) {
            if (i + 1 >= argc) {
                error = "--module needs a path";
                return false;
            }
            result.module_path = argv[++i];
        } else if (!options_ended && std::strncmp(arg, "--module=", 9) == 0) {
            result.module_path = arg + 9;
        } else if (!options_ended && arg[0] == '-' && arg[1] != '\0') {
            error = std::string("unknown option '") + arg + "'";
            return false;
        } else if (result.movie.empty()) {
            result.movie = arg;
        } else {
            error = std::string("more than one movie given ('") + result.movie + "', '" + arg + "')";
            return false;
        }
    }
    return true;
}

const char* usage() {
    return "usage: ruv-import [--module PATH] [MOVIE]\n"
           "  --module PATH  the importer module to load (default: the one beside ruv-import)\n"
           "  MOVIE          the movie to open\n";
}

}  // namespace ruv_import
