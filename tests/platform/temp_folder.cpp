#include "platform/temp_folder.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <system_error>

namespace test_support {

namespace fs = std::filesystem;

// TMPDIR where it is set, else the system's temporary folder (/tmp, or the
// user's Temp folder on Windows); the name is random so that test programs
// running side by side never share a folder.
temp_folder::temp_folder() {
    std::error_code error;
    fs::path base = fs::temp_directory_path(error);
    if (error) base = ".";
    std::random_device entropy;
    std::mt19937 random(entropy());
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path candidate = base / ("ruv-test-" + std::to_string(random()));
        if (fs::create_directory(candidate, error)) {
            m_path = candidate.generic_string();
            return;
        }
    }
    throw std::runtime_error("cannot make a temporary folder under " + base.string());
}

temp_folder::~temp_folder() {
    std::error_code error;
    fs::remove_all(m_path, error);
}

std::string temp_folder::operator/(const std::string& name) const { return m_path + "/" + name; }

std::string temp_folder::make_folder(const std::string& name) const {
    std::string path = *this / name;
    std::error_code error;
    fs::create_directories(path, error);
    return path;
}

std::string temp_folder::write_file(const std::string& name, const std::string& content) const {
    const std::string path = *this / name;
    make_folder(fs::path(name).parent_path().generic_string());
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

std::string temp_folder::copy_file(const std::string& source, const std::string& name) const {
    std::ifstream in(source, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + source);
    const std::string path = *this / name;
    make_folder(fs::path(name).parent_path().generic_string());
    std::ofstream(path, std::ios::binary) << in.rdbuf();
    return path;
}

}  // namespace test_support
