#include "batch_summary.h"

#include <algorithm>
#include <cstdio>

#include "json_line.h"

namespace ruv_import {

const char* status_text(movie_status status) {
    switch (status) {
        case movie_status::imported:
            return "imported";
        case movie_status::failed:
            return "failed";
        case movie_status::crashed:
            return "crashed";
        case movie_status::timed_out:
            return "timed out";
    }
    return "failed";
}

namespace {

std::string frames_text(const worker_result& numbers) {
    return numbers.video_frames < 0 ? "-" : std::to_string(numbers.video_frames);
}

std::string sound_text(const worker_result& numbers) {
    if (numbers.sound_seconds < 0) return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", numbers.sound_seconds);
    return text;
}

std::string padded(const std::string& text, size_t width, bool right) {
    if (text.size() >= width) return text;
    const std::string fill(width - text.size(), ' ');
    return right ? fill + text : text + fill;
}

}  // namespace

void print_batch_summary(std::ostream& out, const std::vector<movie_outcome>& outcomes) {
    size_t movie_width = 5;
    for (const movie_outcome& o : outcomes) movie_width = std::max(movie_width, o.movie.size());
    out << padded("movie", movie_width, false) << "  " << padded("status", 9, false) << "  "
        << padded("video frames", 12, true) << "  " << padded("sound s", 10, true) << "  "
        << padded("wall s", 8, true) << "  why\n";
    for (const movie_outcome& o : outcomes) {
        char wall[32];
        std::snprintf(wall, sizeof wall, "%.2f", o.seconds);
        std::string line = padded(o.movie, movie_width, false) + "  " +
                           padded(status_text(o.status), 9, false) + "  " +
                           padded(frames_text(o.numbers), 12, true) + "  " +
                           padded(sound_text(o.numbers), 10, true) + "  " + padded(wall, 8, true);
        if (!o.reason.empty()) line += "  " + o.reason;
        out << line << "\n";
    }
}

std::string result_event(const movie_outcome& outcome) {
    json_object o;
    o.add_string("event", "result").add_string("movie", outcome.movie);
    o.add_string("status", status_text(outcome.status));
    if (outcome.numbers.video_frames < 0) {
        o.add("video_frames", "null");
    } else {
        o.add_integer("video_frames", outcome.numbers.video_frames);
    }
    if (outcome.numbers.sound_seconds < 0) {
        o.add("sound_seconds", "null");
    } else {
        o.add_number("sound_seconds", outcome.numbers.sound_seconds);
    }
    return o.add_number("seconds", outcome.seconds).add_string("reason", outcome.reason).text();
}

std::string failures_line(const std::vector<movie_outcome>& outcomes) {
    std::string names;
    size_t failed = 0;
    for (const movie_outcome& o : outcomes) {
        if (o.status == movie_status::imported) continue;
        names += (failed++ == 0 ? "" : ", ") + o.movie;
    }
    if (failed == 0) return "";
    return std::to_string(failed) + " of " + std::to_string(outcomes.size()) +
           (outcomes.size() == 1 ? " movie" : " movies") + " cannot be imported: " + names;
}

}  // namespace ruv_import
