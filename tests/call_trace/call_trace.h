// A record of every QuickTime call the plug-in makes: the call surface's
// stubs reach the runtime through one dispatcher entry, which the test
// replaces by one that writes down the operation and its arguments that are
// not addresses before going on to the runtime's.
#pragma once

#include <string>
#include <vector>

namespace call_trace {

// Loads the runtime (when it is not yet loaded) and puts the recording entry
// in front of its dispatcher; calls made on this thread from now on are
// recorded.
void start();
// Stops recording and answers the calls recorded since start(), one line
// each: the operation's name, then each argument (an address is "_", or "0"
// when null; a value behind an address the operation reads is given).
std::vector<std::string> stop();

}  // namespace call_trace
