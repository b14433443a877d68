// What ruv-import prints: facts on standard output, failures on standard
// error, each prefixed with the program's name.
#pragma once

#include <ostream>
#include <string>

#include "lib/cm/CMComponent.h"

namespace ruv_import {

void print_module(std::ostream& out, const std::string& path);
void print_component(std::ostream& out, const Ruv::CM::RImporter& importer);
void print_status(std::ostream& out, const Ruv::CM::CComponentStatus& status);
void print_exception(std::ostream& err, const Ruv::CException& exception);
void print_error(std::ostream& err, const std::string& message);

}  // namespace ruv_import
