// The human-readable report of ruv-import: facts on standard output,
// failures on standard error, each failure prefixed with the program's name.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "lib/cm/CMComponent.h"
#include "queue_consumer.h"

namespace ruv_import {

void print_module(std::ostream& out, const std::string& path);
void print_component(std::ostream& out, const Ruv::CM::RImporter& importer);
void print_status(std::ostream& out, const Ruv::CM::CComponentStatus& status);
void print_movie(std::ostream& out, const std::string& movie, const Ruv::CM::RMovieInfo& info);
void print_stream(std::ostream& out, unsigned queue, const Ruv::CM::RDescription& description);
void print_summary(std::ostream& out, const std::vector<queue_summary>& queues,
                   const Ruv::CM::CComponentStatus& status, int64_t bytes_read);
void print_error(std::ostream& err, const std::string& message);

// The importer's own words for a failed operation: the exception's message.
std::string exception_text(const Ruv::CException& exception);

}  // namespace ruv_import
