#include "platform/temp_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <vector>

#include <ftw.h>

namespace test_support {

namespace {

int remove_entry(const char* path, const struct stat*, int, struct FTW*) {
    return std::remove(path);
}

void make_folders(const std::string& path) {
    for (size_t slash = path.find('/', 1); ; slash = path.find('/', slash + 1)) {
        std::string part = path.substr(0, slash);
        mkdir(part.c_str(), 0755);
        if (slash == std::string::npos) break;
    }
}

std::string parent_of(const std::string& path) { return path.substr(0, path.rfind('/')); }

}  // namespace

temp_folder::temp_folder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/ruv-test-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data())) throw std::runtime_error("cannot make a temporary folder");
    m_path = buffer.data();
}

temp_folder::~temp_folder() { nftw(m_path.c_str(), remove_entry, 16, FTW_DEPTH | FTW_PHYS); }

std::string temp_folder::operator/(const std::string& name) const { return m_path + "/" + name; }

std::string temp_folder::make_folder(const std::string& name) const {
    std::string path = *this / name;
    make_folders(path);
    return path;
}

std::string temp_folder::write_file(const std::string& name, const std::string& content) const {
    std::string path = *this / name;
    make_folders(parent_of(path));
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

std::string temp_folder::copy_file(const std::string& source, const std::string& name) const {
    std::ifstream in(source, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + source);
    std::string path = *this / name;
    make_folders(parent_of(path));
    std::ofstream(path, std::ios::binary) << in.rdbuf();
    return path;
}

}  // namespace test_support
