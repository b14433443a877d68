#include "movie_list.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <system_error>

#include "lib/kolmbase/strings.h"

namespace ruv_import {

namespace fs = std::filesystem;

namespace {

bool has_movie_extension(const fs::path& file) {
    std::string extension = file.extension().u8string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    static const char* const kExtensions[] = {".mov", ".qt",  ".mp4", ".m4v",
                                              ".m4a", ".3gp", ".3g2"};
    for (const char* known : kExtensions)
        if (extension == known) return true;
    return false;
}

bool is_url(const std::string& argument) { return !kolmbase::url_scheme(argument).empty(); }

// The movie files under folder, sorted; problem set when there are none or
// the folder cannot be read.
std::vector<std::string> movies_under(const std::string& folder, std::string& problem) {
    std::vector<std::string> found;
    std::error_code error;
    const auto options = fs::directory_options::skip_permission_denied;
    fs::recursive_directory_iterator it(fs::u8path(folder), options, error), end;
    for (; !error && it != end; it.increment(error)) {
        const fs::path& path = it->path();
        if (path.filename().u8string().rfind('.', 0) == 0) {
            if (it->is_directory(error)) it.disable_recursion_pending();
            continue;
        }
        std::error_code ignored;
        if (it->is_regular_file(ignored) && has_movie_extension(path))
            found.push_back(path.u8string());
    }
    if (error) {
        problem = "the folder cannot be read: " + error.message();
        return {};
    }
    if (found.empty())
        problem = "the folder holds no movie file (.mov, .qt, .mp4, .m4v, .m4a, .3gp, .3g2)";
    std::sort(found.begin(), found.end());
    return found;
}

}  // namespace

bool is_folder(const std::string& argument) {
    std::error_code ignored;
    return !is_url(argument) && fs::is_directory(fs::u8path(argument), ignored);
}

std::vector<movie_entry> list_movies(const std::vector<std::string>& arguments) {
    std::vector<movie_entry> movies;
    for (const std::string& argument : arguments) {
        if (!is_folder(argument)) {
            movies.push_back({argument, ""});
            continue;
        }
        std::string problem;
        const std::vector<std::string> found = movies_under(argument, problem);
        if (!problem.empty()) movies.push_back({argument, problem});
        for (const std::string& movie : found) movies.push_back({movie, ""});
    }
    return movies;
}

std::string movie_name(const std::string& movie) {
    std::string path = is_url(movie) ? kolmbase::url_path(movie, true) : movie;
    const size_t slash = path.find_last_of(
#if defined(_WIN32)
        "/\\"
#else
        "/"
#endif
    );
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot != 0) name.erase(dot);
    return name;
}

std::string output_name(const std::string& pattern, const std::string& movie) {
    static const std::string kName = "{name}";
    std::string out;
    size_t from = 0;
    for (size_t at; (at = pattern.find(kName, from)) != std::string::npos; from = at + kName.size())
        out += pattern.substr(from, at - from) + movie_name(movie);
    return out + pattern.substr(from);
}

std::string output_clash(const char* option, const std::string& pattern,
                         const std::vector<movie_entry>& movies) {
    std::map<std::string, std::string> first_movie;
    for (const movie_entry& movie : movies) {
        if (!movie.problem.empty()) continue;
        const std::string name = output_name(pattern, movie.path);
        auto inserted = first_movie.emplace(name, movie.path);
        if (inserted.second) continue;
        return std::string(option) + " '" + pattern + "' gives '" + name + "' for both '" +
               inserted.first->second + "' and '" + movie.path + "'" +
               (pattern.find("{name}") == std::string::npos
                    ? ": with several movies it needs {name}"
                    : ": the movies have the same name");
    }
    return "";
}

}  // namespace ruv_import
