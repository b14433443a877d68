// Temporary folders and files for tests that need real paths.
#pragma once

#include <string>

namespace test_support {

// A new empty folder under the system's temporary folder, removed with
// everything in it when the object goes.
class temp_folder {
public:
    temp_folder();
    ~temp_folder();
    temp_folder(const temp_folder&) = delete;
    temp_folder& operator=(const temp_folder&) = delete;

    const std::string& path() const { return m_path; }
    // The folder's path + "/" + name
    std::string operator/(const std::string& name) const;
    // Creates a sub-folder (and its parents); answers its path.
    std::string make_folder(const std::string& name) const;
    // Writes a file; answers its path.
    std::string write_file(const std::string& name, const std::string& content) const;
    // Copies a file into the folder (parents created); answers the copy's path.
    std::string copy_file(const std::string& source, const std::string& name) const;

private:
    std::string m_path;
};

}  // namespace test_support
