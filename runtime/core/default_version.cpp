// The version of a runtime build that states none (QuickTime 7.7.9).
#include "core/runtime_build.h"

namespace qtrt {

const build_version k_build_version = {0x07798000, {7, 7, 9, 0}};

}  // namespace qtrt
