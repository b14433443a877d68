// The importer's own account of what went wrong: the lines its log bridge
// writes on standard error. ruv-import reads its own standard error while it
// imports: other text goes on to the terminal at once; the importer's lines
// become warnings (with --json, "warning" events at once), which ruv-import
// prints itself, one of them as the reason of a failed import.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "console.h"
#include "stderr_tap.h"

namespace ruv_import {

class importer_notes {
public:
    // Reads standard error from now on; json: also write each warning as an
    // event through the console.
    importer_notes(console& out, bool json);
    importer_notes(const importer_notes&) = delete;
    importer_notes& operator=(const importer_notes&) = delete;

    // Each of these first takes in what was written on standard error
    // before the call.
    // How many lines the importer has written so far.
    size_t count() const;
    // The text of the first or the last line the importer wrote after its
    // first `since` lines, without its marker; "" when it wrote no more.
    std::string first(size_t since) const;
    std::string last(size_t since) const;
    // The lines not taken before, in order; they count as taken.
    std::vector<std::string> take_new();

    // Rewords every line from now on before it is kept or written (ruv-import
    // adds what the file itself shows).
    void set_wording(std::function<std::string(const std::string&)> wording);

    // The prefix the importer's log bridge puts before every line.
    static const char* const marker;

private:
    void add(const std::string& note);

    console& m_console;
    bool m_json;
    mutable std::mutex m_mutex;
    std::vector<std::string> m_notes;
    size_t m_taken = 0;
    std::function<std::string(const std::string&)> m_wording;
    // Last: it reads standard error until it goes, before the notes go.
    std::unique_ptr<stderr_tap> m_tap;
};

}  // namespace ruv_import
