// A worker: a program started with its standard output and standard error
// each going into a pipe that the starting program reads. One interface, a
// POSIX implementation (posix_spawn) and a Win32 one (CreateProcess).
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace ruv_import {

// How a worker ended.
struct worker_end {
    // It returned from its program (or called exit) with `code`.
    bool exited = false;
    int code = 0;
    // Otherwise: how it was ended, for a person ("killed by signal 11
    // (Segmentation fault)", "ended by exception 0xC0000005").
    std::string how;
};

class worker_process {
public:
    worker_process();
    // Ends a worker that still runs, and waits for it.
    ~worker_process();
    worker_process(const worker_process&) = delete;
    worker_process& operator=(const worker_process&) = delete;

    // Starts program with the arguments (program is not repeated among them);
    // false, with error set, when it cannot be started.
    bool start(const std::string& program, const std::vector<std::string>& arguments,
               std::string& error);
    // Blocking reads of what the worker writes; 0 once it closed the stream.
    size_t read_output(char* buffer, size_t size);
    size_t read_errors(char* buffer, size_t size);
    // Waits for the worker to end.
    worker_end wait();
    // Ends the worker at once; another thread may be in wait() meanwhile,
    // and a worker that has ended already is left alone.
    void kill();

private:
    struct state;
    std::unique_ptr<state> m_state;
};

// The path of the running program, to start it again as a worker; empty
// when it cannot be found.
std::string own_program_path();

}  // namespace ruv_import
