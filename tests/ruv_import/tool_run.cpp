#include "ruv_import/tool_run.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <sstream>

#include "support/movie_builder.h"

namespace ruv_import_test {

namespace {

std::string shell_quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

}  // namespace

std::string output_path(const std::string& name) {
    return std::string(RUV_OUTPUT_DIR) + "/ruv_import_test_" + std::to_string(getpid()) + "_" + name;
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

tool_result run_tool(const std::vector<std::string>& arguments,
                     const std::function<void()>& while_running) {
    static int runs = 0;
    std::string err_path = std::string(RUV_OUTPUT_DIR) + "/ruv_import_test_stderr_" +
                           std::to_string(getpid()) + "_" + std::to_string(++runs) + ".txt";
    // A run that hangs is ended (status 124) rather than holding the suite.
    std::string command = "timeout -k 10 300 " + shell_quoted(std::string(RUV_OUTPUT_DIR) + "/ruv-import");
    for (const std::string& a : arguments) command += " " + shell_quoted(a);
    command += " 2>" + shell_quoted(err_path);

    tool_result result;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return result;
    if (while_running) while_running();
    char buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, got);
    int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    const test_movie::bytes err = test_movie::read_bytes(err_path);
    result.err.assign(err.begin(), err.end());
    std::remove(err_path.c_str());

    result.events_parsed = true;
    for (const std::string& line : lines_of(result.out)) {
        nlohmann::ordered_json event = nlohmann::ordered_json::parse(line, nullptr, false);
        if (event.is_discarded()) {
            result.events_parsed = false;
            break;
        }
        result.events.push_back(std::move(event));
    }
    return result;
}

}  // namespace ruv_import_test
