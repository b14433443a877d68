// Running the built ruv-import from a test: its standard output and error
// and its exit status.
#pragma once

#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace ruv_import_test {

struct tool_result {
    int status = -1;
    std::string out;
    std::string err;
    // Standard output as JSON Lines (when every line parses).
    std::vector<nlohmann::ordered_json> events;
    bool events_parsed = false;
};

// Runs ruv-import with the arguments (each quoted for the shell); while it
// runs, before its output is read, calls while_running when given.
tool_result run_tool(const std::vector<std::string>& arguments,
                     const std::function<void()>& while_running = nullptr);

// The lines of text, without their line ends.
std::vector<std::string> lines_of(const std::string& text);

// A file name in the output folder that no other test process uses.
std::string output_path(const std::string& name);

}  // namespace ruv_import_test
