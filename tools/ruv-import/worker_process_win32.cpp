// The Win32 worker: CreateProcess with the pipes as its standard output and
// error. Handles are inherited by every process created while they are
// inheritable, so the pipes are made and handed over under one lock and the
// worker's ends closed here before the next worker starts.
#if defined(_WIN32)
#include <windows.h>

#include <cstdio>
#include <mutex>

#include "worker_process.h"

namespace ruv_import {

struct worker_process::state {
    HANDLE process = nullptr;
    HANDLE output = nullptr;
    HANDLE errors = nullptr;
};

namespace {

std::mutex g_start_mutex;

void close_if_open(HANDLE& handle) {
    if (handle) CloseHandle(handle);
    handle = nullptr;
}

// One argument as the C runtime's command-line parser reads it back:
// quoted, with backslashes doubled where they come before a quote.
std::string quoted_argument(const std::string& text) {
    if (!text.empty() && text.find_first_of(" \t\n\v\"") == std::string::npos) return text;
    std::string out = "\"";
    size_t backslashes = 0;
    for (char c : text) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') backslashes = backslashes * 2 + 1;
        out.append(backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, '\\');
    return out + "\"";
}

std::string last_error_text() { return "error " + std::to_string(GetLastError()); }

size_t read_some(HANDLE handle, char* buffer, size_t size) {
    DWORD got = 0;
    if (!ReadFile(handle, buffer, DWORD(size), &got, nullptr)) return 0;
    return size_t(got);
}

}  // namespace

worker_process::worker_process() : m_state(new state) {}

worker_process::~worker_process() {
    if (m_state->process) {
        kill();
        wait();
        close_if_open(m_state->process);
    }
    close_if_open(m_state->output);
    close_if_open(m_state->errors);
}

bool worker_process::start(const std::string& program, const std::vector<std::string>& arguments,
                           std::string& error) {
    std::string command_line = quoted_argument(program);
    for (const std::string& a : arguments) command_line += " " + quoted_argument(a);

    std::lock_guard<std::mutex> lock(g_start_mutex);
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE out_read = nullptr, out_write = nullptr, err_read = nullptr, err_write = nullptr;
    if (!CreatePipe(&out_read, &out_write, &inherited, 0)) {
        error = "cannot make a pipe: " + last_error_text();
        return false;
    }
    if (!CreatePipe(&err_read, &err_write, &inherited, 0)) {
        error = "cannot make a pipe: " + last_error_text();
        CloseHandle(out_read);
        CloseHandle(out_write);
        return false;
    }
    SetHandleInformation(out_read, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(err_read, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out_write;
    startup.hStdError = err_write;
    PROCESS_INFORMATION created{};
    const BOOL started = CreateProcessA(program.c_str(), &command_line[0], nullptr, nullptr, TRUE,
                                        0, nullptr, nullptr, &startup, &created);
    if (!started) error = "cannot start '" + program + "': " + last_error_text();
    CloseHandle(out_write);
    CloseHandle(err_write);
    if (!started) {
        CloseHandle(out_read);
        CloseHandle(err_read);
        return false;
    }
    CloseHandle(created.hThread);
    m_state->process = created.hProcess;
    m_state->output = out_read;
    m_state->errors = err_read;
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
    if (!m_state->process) return end;
    WaitForSingleObject(m_state->process, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(m_state->process, &code);
    // An unhandled exception ends a process with the exception's code, whose
    // two top bits say "error".
    if (code >= 0xC0000000u) {
        char text[64];
        std::snprintf(text, sizeof text, "ended by exception 0x%08lX",
                      static_cast<unsigned long>(code));
        end.how = text;
    } else {
        end.exited = true;
        end.code = int(code);
    }
    return end;
}

void worker_process::kill() {
    // The handle stays open until the destructor, so it names this worker
    // even after it ended (TerminateProcess then fails, harmlessly).
    if (m_state->process) TerminateProcess(m_state->process, 1);
}

std::string own_program_path() {
    char path[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path) return "";
    return std::string(path, length);
}

}  // namespace ruv_import
#endif
