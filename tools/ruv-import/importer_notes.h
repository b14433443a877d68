// The importer's own account of what went wrong: the lines its log bridge
// prints through the host's diagnostic output. ruv-import collects that
// output while it imports: other diagnostic lines go to standard error at
// once; the importer's lines become warnings (with --json, "warning" events
// at once), which ruv-import prints itself, one of them as the reason of a
// failed import.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "console.h"

namespace ruv_import {

class importer_notes {
public:
    // Collects the diagnostic output from now on; json: also write each
    // warning as an event through the console.
    importer_notes(console& out, bool json);
    // Gives the diagnostic output back to standard error.
    ~importer_notes();
    importer_notes(const importer_notes&) = delete;
    importer_notes& operator=(const importer_notes&) = delete;

    // How many lines the importer has written so far.
    size_t count() const;
    // The text of the first or the last line the importer wrote after its
    // first `since` lines, without its marker; "" when it wrote no more.
    std::string first(size_t since) const;
    std::string last(size_t since) const;
    // The lines not taken before, in order; they count as taken.
    std::vector<std::string> take_new();

    // The prefix the importer's log bridge puts before every line.
    static const char* const marker;

private:
    static void collect(int level, const char* text, void* context);
    void add(const char* text);

    console& m_console;
    bool m_json;
    mutable std::mutex m_mutex;
    std::vector<std::string> m_notes;
    size_t m_taken = 0;
};

}  // namespace ruv_import
