#include "data_handler_choice.h"

#include "importer_errors.h"
#include "lib/kolmbase/strings.h"
#include "lib/ruvreport/reporter.h"

namespace {

constexpr int kReportKind = 3;
constexpr int kSeverityNotice = 6;
constexpr int kSeverityDebug = 7;

void report(int line, int severity, const char* message) {
    ruvreport::reporter::instance().report(apple_qt_errors::kSourceFile, line, kReportKind,
                                           severity, message);
}

bool is_stream_scheme(const std::string& scheme) {
    return scheme == "smb" || scheme == "cifs" || scheme == "ftp" || scheme == "kolmfs";
}

}  // namespace

bool use_data_handler(const std::string& path,
                      const Ruv::CM::RComponentConfiguration& configuration) {
    Ruv::RPtr<Ruv::RString> mode = configuration.getString("data-handler-mode", "auto");
    const std::string& text = mode ? mode->str() : std::string();
    if (text == "force-enable") {
        report(70, kSeverityNotice, "Forcing usage of data handler");
        return true;
    }
    if (text == "force-disable") {
        report(76, kSeverityNotice, "Forcing NON usage of data handler");
        return false;
    }
    std::string scheme = kolmbase::url_scheme(path);
    report(89, kSeverityDebug, kolmbase::string_with_format("URL Scheme: %s", scheme.c_str()).c_str());
    return is_stream_scheme(scheme);
}
