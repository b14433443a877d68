// The progress display of a batch on standard error when it is a terminal:
// one line for every running import (its movie and how long it has run)
// and a last line with the batch's total, redrawn in place.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace ruv_import {

struct running_import {
    std::string movie;
    double seconds = 0;
};

class batch_progress {
public:
    batch_progress(std::ostream& err, bool enabled, size_t total);

    bool enabled() const { return m_enabled; }
    void draw(const std::vector<running_import>& running, size_t done, size_t failed);
    // Takes the display off the screen, so that other lines can be written.
    void clear();

private:
    std::ostream& m_err;
    bool m_enabled;
    size_t m_total;
    size_t m_lines = 0;
};

}  // namespace ruv_import
