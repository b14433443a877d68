// The POSIX worker: posix_spawn with the pipes on descriptors 1 and 2. The
// pipes are made close-on-exec so that a worker started later does not hold
// an earlier worker's pipes open.
#if !defined(_WIN32)
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <mutex>

#include "worker_process.h"

extern char** environ;

namespace ruv_import {

struct worker_process::state {
    pid_t pid = -1;
    int output = -1;
    int errors = -1;
    std::mutex mutex;
    bool reaped = false;
};

namespace {

void close_if_open(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

size_t read_some(int fd, char* buffer, size_t size) {
    for (;;) {
        ssize_t got = ::read(fd, buffer, size);
        if (got >= 0) return size_t(got);
        if (errno != EINTR) return 0;
    }
}

}  // namespace

worker_process::worker_process() : m_state(new state) {}

worker_process::~worker_process() {
    if (m_state->pid > 0) {
        kill();
        wait();
    }
    close_if_open(m_state->output);
    close_if_open(m_state->errors);
}

bool worker_process::start(const std::string& program, const std::vector<std::string>& arguments,
                           std::string& error) {
    int out[2], err[2];
    if (::pipe2(out, O_CLOEXEC) != 0) {
        error = std::strerror(errno);
        return false;
    }
    if (::pipe2(err, O_CLOEXEC) != 0) {
        error = std::strerror(errno);
        ::close(out[0]);
        ::close(out[1]);
        return false;
    }
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    pid_t pid = -1;
    const int result = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    if (result != 0) {
        error = std::strerror(result);
        ::close(out[0]);
        ::close(err[0]);
        return false;
    }
    m_state->pid = pid;
    m_state->output = out[0];
    m_state->errors = err[0];
    return true;
}

size_t worker_process::read_output(char* buffer, size_t size) {
    return read_some(m_state->output, buffer, size);
}

size_t worker_process::read_errors(char* buffer, size_t size) {
    return read_some(m_state->errors, buffer, size);
}

worker_end worker_process::wait() {
    worker_end end;
    if (m_state->pid <= 0) return end;
    // Waits without reaping, so that kill() never meets a process ID that
    // was handed on to another process.
    siginfo_t info;
    while (waitid(P_PID, id_t(m_state->pid), &info, WEXITED | WNOWAIT) != 0 && errno == EINTR) {
    }
    int status = 0;
    {
        std::lock_guard<std::mutex> lock(m_state->mutex);
        while (waitpid(m_state->pid, &status, 0) < 0 && errno == EINTR) {
        }
        m_state->reaped = true;
        m_state->pid = -1;
    }
    if (WIFEXITED(status)) {
        end.exited = true;
        end.code = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        const int signal = WTERMSIG(status);
        const char* name = strsignal(signal);
        end.how = "killed by signal " + std::to_string(signal) +
                  (name ? std::string(" (") + name + ")" : std::string());
    } else {
        end.how = "ended with wait status " + std::to_string(status);
    }
    return end;
}

void worker_process::kill() {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    if (m_state->pid > 0 && !m_state->reaped) ::kill(m_state->pid, SIGKILL);
}

std::string own_program_path() {
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return "";
    return std::string(path, size_t(length));
}

}  // namespace ruv_import
#endif
