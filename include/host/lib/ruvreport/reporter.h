// Process-wide reports: notes a component makes about what it did.
//
// A report carries the source file and line, a kind and a severity (syslog
// style: 0 most severe, 7 debug). Reports at or below the threshold are
// printed to standard error as "[report] <file>:<line> <message>"; the
// threshold starts from RUV_REPORT_LEVEL (absent or unparsable: 5). Every
// report is also kept, up to a bound, for the host to read back.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "lib/host_export.h"

namespace ruvreport {

struct report_entry {
    std::string file;
    int line;
    int kind;
    int severity;
    std::string message;
};

class RUVREPORT_API reporter {
public:
    static reporter& instance();

    void report(const char* file, int line, int kind, int severity, const char* message);

    int threshold() const;
    void set_threshold(int severity);

    // The reports kept (the most recent, at most kept_limit of them).
    std::vector<report_entry> reports() const;
    void clear();
    static const size_t kept_limit = 1000;

private:
    reporter();

    mutable std::mutex m_mutex;
    int m_threshold;
    std::vector<report_entry> m_reports;
};

}  // namespace ruvreport
