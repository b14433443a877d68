// ruv-import: the host program. It loads the importer module, makes a
// component with the module's factory and imports a movie with it as a host
// does; several movies it hands to workers (batch.h).
#include <iostream>

#include "batch.h"
#include "lib/cm/CMComponent.h"
#include "movie_list.h"
#include "options.h"
#include "plugin_module.h"
#include "report.h"
#include "session.h"
#include "worker_result.h"

namespace {

enum exit_code { exit_ok = 0, exit_failure = 1, exit_usage = 2 };

}  // namespace

int main(int argc, char** argv) {
    using namespace ruv_import;

    options opts;
    std::string error;
    if (!parse_options(argc, argv, opts, error)) {
        print_error(std::cerr, error);
        std::cerr << usage();
        return exit_usage;
    }
    if (opts.help) {
        std::cout << usage();
        return exit_ok;
    }
    if (opts.movies.empty()) opts.movies.push_back(demo_movie_path());
    // One movie file is imported here, as a host imports it; a folder, more
    // movies, or a time limit (which needs a process that can be ended) go to
    // workers.
    if (opts.movies.size() > 1 || is_folder(opts.movies[0]) || opts.timeout > 0)
        return run_batch(opts, std::cout, std::cerr);

    // Declared before the component so that the module outlives it.
    plugin_module module;
    std::string path = opts.module_path.empty() ? default_module_path() : opts.module_path;
    if (!module.load(path, error)) {
        print_error(std::cerr, "cannot load module '" + path + "': " + error);
        return exit_failure;
    }
    Ruv::CM::GetComponentInstanceFn factory = module.factory();
    if (!factory) {
        print_error(std::cerr, "module '" + path + "' has no getComponentInstance");
        return exit_failure;
    }
    Ruv::RPtr<Ruv::CM::RImporter> importer(factory());
    if (!importer) {
        print_error(std::cerr, "getComponentInstance of '" + path + "' made no component");
        return exit_failure;
    }

    bool imported;
    bool usage_error;
    worker_result result;
    {
        session import(*importer, opts, std::cout, std::cerr);
        imported = import.run(opts.movies[0]);
        usage_error = import.usage_error();
        result = result_of(import.summaries());
    }
    std::cout.flush();
    if (opts.worker_result) std::cerr << worker_result_line(result) << std::flush;
    return imported ? exit_ok : usage_error ? exit_usage : exit_failure;
}
