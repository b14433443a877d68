#include "batch.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "batch_progress.h"
#include "batch_summary.h"
#include "console.h"
#include "json_events.h"
#include "json_line.h"
#include "movie_list.h"
#include "report.h"
#include "worker_arguments.h"
#include "worker_process.h"

namespace ruv_import {

namespace {

using clock_type = std::chrono::steady_clock;

constexpr std::chrono::milliseconds kRedrawInterval(200);

double seconds_since(clock_type::time_point start) {
    return std::chrono::duration<double>(clock_type::now() - start).count();
}

// One movie's worker, run on a thread of its own: its outputs are read to
// their end, then it is waited for.
struct job {
    size_t index = 0;
    std::string movie;
    clock_type::time_point started;
    worker_process process;
    std::thread thread;
    bool timed_out = false;  // ended by the batch
    std::string start_error;
    std::string out;
    std::string err;
    worker_end end;
};

void run_job(job& j, const std::string& program, const std::vector<std::string>& arguments) {
    if (!j.process.start(program, arguments, j.start_error)) return;
    std::thread errors([&j] {
        char buffer[65536];
        size_t got;
        while ((got = j.process.read_errors(buffer, sizeof buffer)) > 0) j.err.append(buffer, got);
    });
    char buffer[65536];
    size_t got;
    while ((got = j.process.read_output(buffer, sizeof buffer)) > 0) j.out.append(buffer, got);
    errors.join();
    j.end = j.process.wait();
}

// The worker's JSON lines with the movie's path added to each.
std::string with_movie_key(const std::string& out, const std::string& movie) {
    const std::string key = ",\"movie\":" + json_string(movie);
    std::string result;
    size_t from = 0;
    while (from < out.size()) {
        size_t end = out.find('\n', from);
        const size_t next = end == std::string::npos ? out.size() : end + 1;
        if (end == std::string::npos) end = out.size();
        std::string line = out.substr(from, end - from);
        if (line.size() >= 2 && line.front() == '{' && line.back() == '}')
            line.insert(line.size() - 1, line.size() == 2 ? key.substr(1) : key);
        result += line + (end < out.size() ? "\n" : "");
        from = next;
    }
    return result;
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    size_t from = 0;
    while (from < text.size()) {
        size_t end = text.find('\n', from);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(from, end - from));
        from = end + 1;
    }
    return lines;
}

// The worker's own words: its error line for a failure, else its first
// warning (what the import lost).
std::string reason_from(const std::string& err, bool failed) {
    const std::string error_prefix = "ruv-import: ";
    const std::string warning_prefix = "ruv-import: warning: ";
    std::string reason;
    for (const std::string& line : lines_of(err)) {
        if (line.rfind(warning_prefix, 0) == 0) {
            if (!failed && reason.empty()) reason = line.substr(warning_prefix.size());
        } else if (failed && line.rfind(error_prefix, 0) == 0) {
            reason = line.substr(error_prefix.size());
        }
    }
    return reason;
}

class batch_run {
public:
    batch_run(const options& opts, std::ostream& out, std::ostream& err,
              std::vector<movie_entry> movies, std::string program)
        : m_options(opts),
          m_out(out),
          m_err(err),
          m_movies(std::move(movies)),
          m_program(std::move(program)),
          m_progress(err, !opts.quiet && console::error_is_terminal(), m_movies.size()),
          m_outcomes(m_movies.size()) {}

    int run();

private:
    void start_next();
    void finish(std::unique_ptr<job> j);
    void report(const movie_outcome& outcome, const std::string& out, const std::string& err,
                const std::string& error_line);
    // Ends the workers past the time limit; answers how long until the next
    // one reaches it.
    clock_type::duration end_overdue();
    void draw_progress();

    const options& m_options;
    std::ostream& m_out;
    std::ostream& m_err;
    const std::vector<movie_entry> m_movies;
    const std::string m_program;
    batch_progress m_progress;
    std::vector<movie_outcome> m_outcomes;

    size_t m_next = 0;
    size_t m_done = 0;
    size_t m_failed = 0;
    std::vector<std::unique_ptr<job>> m_running;
    std::mutex m_mutex;
    std::condition_variable m_ended;
    std::deque<job*> m_finished;
};

int batch_run::run() {
    const size_t jobs = m_options.jobs > 0 ? size_t(m_options.jobs)
                                           : std::max(1u, std::thread::hardware_concurrency());
    while (m_next < m_movies.size() || !m_running.empty()) {
        while (m_running.size() < jobs && m_next < m_movies.size()) start_next();
        draw_progress();
        std::deque<job*> finished;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            clock_type::duration wait = end_overdue();
            if (m_progress.enabled() && wait > kRedrawInterval) wait = kRedrawInterval;
            m_ended.wait_for(lock, wait, [this] { return !m_finished.empty(); });
            finished.swap(m_finished);
        }
        for (job* ended : finished) {
            for (auto it = m_running.begin(); it != m_running.end(); ++it) {
                if (it->get() != ended) continue;
                std::unique_ptr<job> j = std::move(*it);
                m_running.erase(it);
                j->thread.join();
                finish(std::move(j));
                break;
            }
        }
    }
    m_progress.clear();
    if (!m_options.json && !m_options.quiet) print_batch_summary(m_out, m_outcomes);
    m_out.flush();
    const std::string failures = failures_line(m_outcomes);
    if (!failures.empty()) print_error(m_err, failures);
    return failures.empty() ? 0 : 1;
}

void batch_run::start_next() {
    const size_t index = m_next++;
    const movie_entry& entry = m_movies[index];
    if (!entry.problem.empty()) {
        movie_outcome outcome;
        outcome.movie = entry.path;
        outcome.reason = "cannot import '" + entry.path + "': " + entry.problem;
        report(outcome, "", "", outcome.reason);
        m_outcomes[index] = outcome;
        return;
    }
    std::unique_ptr<job> j(new job);
    j->index = index;
    j->movie = entry.path;
    j->started = clock_type::now();
    job* raw = j.get();
    const std::vector<std::string> arguments = worker_arguments(m_options, entry.path);
    j->thread = std::thread([this, raw, arguments] {
        run_job(*raw, m_program, arguments);
        std::lock_guard<std::mutex> lock(m_mutex);
        m_finished.push_back(raw);
        m_ended.notify_one();
    });
    m_running.push_back(std::move(j));
}

clock_type::duration batch_run::end_overdue() {
    clock_type::duration next = std::chrono::hours(24);
    if (m_options.timeout <= 0) return next;
    const auto limit = std::chrono::duration_cast<clock_type::duration>(
        std::chrono::duration<double>(m_options.timeout));
    const auto now = clock_type::now();
    for (auto& j : m_running) {
        if (j->timed_out) continue;
        const auto left = j->started + limit - now;
        if (left <= clock_type::duration::zero()) {
            j->timed_out = true;
            j->process.kill();
        } else if (left < next) {
            next = left;
        }
    }
    return next;
}

void batch_run::draw_progress() {
    if (!m_progress.enabled()) return;
    std::vector<running_import> running;
    for (auto& j : m_running) running.push_back({j->movie, seconds_since(j->started)});
    m_progress.draw(running, m_done, m_failed);
}

void batch_run::finish(std::unique_ptr<job> j) {
    movie_outcome outcome;
    outcome.movie = j->movie;
    outcome.seconds = seconds_since(j->started);
    const bool has_numbers = take_worker_result(j->err, outcome.numbers);
    std::string error_line;
    char limit[32];
    std::snprintf(limit, sizeof limit, "%g", m_options.timeout);
    if (!j->start_error.empty()) {
        outcome.status = movie_status::failed;
        error_line =
            "cannot import '" + j->movie + "': its worker cannot be started: " + j->start_error;
        outcome.reason = error_line;
    } else if (j->timed_out) {
        outcome.status = movie_status::timed_out;
        error_line = "cannot import '" + j->movie + "': it took longer than --timeout " + limit +
                     " s; its worker was ended";
        outcome.reason = error_line;
    } else if (!j->end.exited) {
        outcome.status = movie_status::crashed;
        error_line = "cannot import '" + j->movie + "': its worker was " + j->end.how;
        outcome.reason = error_line;
    } else if (j->end.code == 0 && has_numbers) {
        outcome.status = movie_status::imported;
        outcome.reason = reason_from(j->err, false);
    } else {
        outcome.status = movie_status::failed;
        outcome.reason = reason_from(j->err, true);
        if (outcome.reason.empty())
            outcome.reason = "its worker ended with status " + std::to_string(j->end.code);
    }
    report(outcome, j->out, j->err, error_line);
    m_outcomes[j->index] = outcome;
}

// Relays a movie's outputs, then says what the worker could not say itself.
void batch_run::report(const movie_outcome& outcome, const std::string& out, const std::string& err,
                       const std::string& error_line) {
    m_progress.clear();
    ++m_done;
    if (outcome.status != movie_status::imported) ++m_failed;
    m_out << (m_options.json ? with_movie_key(out, outcome.movie) : out);
    if (m_options.json && !error_line.empty())
        m_out << with_movie_key(error_event(error_line), outcome.movie) << "\n";
    if (m_options.json) m_out << result_event(outcome) << "\n";
    m_out.flush();
    m_err << err;
    if (!error_line.empty()) print_error(m_err, error_line);
    m_err.flush();
}

}  // namespace

int run_batch(const options& opts, std::ostream& out, std::ostream& err) {
    std::vector<movie_entry> movies = list_movies(opts.movies);
    for (const auto& output : {std::make_pair("--audio-out", &opts.audio_out),
                               std::make_pair("--video-out", &opts.video_out)}) {
        if (output.second->empty()) continue;
        const std::string clash = output_clash(output.first, *output.second, movies);
        if (clash.empty()) continue;
        print_error(err, clash);
        return 2;
    }
    const std::string program = own_program_path();
    if (program.empty()) {
        print_error(err, "cannot find ruv-import's own program file to start its workers");
        return 1;
    }
    return batch_run(opts, out, err, std::move(movies), program).run();
}

}  // namespace ruv_import
