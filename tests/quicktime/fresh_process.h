// The loader's state is process-wide and only ever moves forward, so each
// scenario that loads the runtime runs in a child process that starts from
// the state the parent has never touched.
#pragma once

#include <functional>
#include <map>
#include <string>

namespace test_support {

// Runs body in a forked child. The child's failed expectations are printed by
// the child; the calling test fails when the child had any or did not exit.
void run_in_fresh_process(const std::function<void()>& body);

// A REGEDIT4 file with the given values under the QuickTime key of
// HKEY_LOCAL_MACHINE.
std::string quicktime_registry(const std::map<std::string, std::string>& values);

// The runtime module of a build variant: "" for the module itself, else the
// variant's folder under the output folder ("qt-7.0.1", ...).
std::string runtime_module(const std::string& variant);

}  // namespace test_support
