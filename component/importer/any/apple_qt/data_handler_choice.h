// Whether preflight reads the movie through the plug-in's own data handler:
// forced on or off by "data-handler-mode", else chosen by the input URL's
// scheme (network and host-store schemes use it, plain files do not).
#pragma once

#include <string>

#include "lib/cm/CMConfiguration.h"

bool use_data_handler(const std::string& path,
                      const Ruv::CM::RComponentConfiguration& configuration);
