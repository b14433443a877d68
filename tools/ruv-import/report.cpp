#include "report.h"

namespace ruv_import {

void print_module(std::ostream& out, const std::string& path) { out << "module: " << path << "\n"; }

void print_component(std::ostream& out, const Ruv::CM::RImporter& importer) {
    const char* type = importer.type();
    out << "component: " << (type ? type : "(no type)") << "\n";
}

void print_status(std::ostream& out, const Ruv::CM::CComponentStatus& status) {
    out << "status: code " << status.getStatusCode() << ", frames " << status.getNumberOfFrames()
        << ", bytes " << status.getNumberOfBytes() << "\n";
}

void print_exception(std::ostream& err, const Ruv::CException& exception) {
    err << "ruv-import: " << exception.getFunction().str() << " failed: "
        << exception.getMessage().str() << " (" << exception.getClassName().str() << " at "
        << exception.getFile().str() << ":" << exception.getLine() << ")\n";
}

void print_error(std::ostream& err, const std::string& message) {
    err << "ruv-import: " << message << "\n";
}

}  // namespace ruv_import
