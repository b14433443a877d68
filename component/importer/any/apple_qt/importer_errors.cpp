#include "importer_errors.h"

#include <string>

#include "lib/kolmbase/strings.h"

namespace apple_qt_errors {

const char* const kSourceFile = "component/importer/any/apple_qt/apple_qt";

namespace {

constexpr const char* kClassName = "Ruv::CException";
constexpr int kLineInvalidPath = 1248;
constexpr int kLineStartTime = 1191;
constexpr int kLineNoFrames = 1445;

}  // namespace

Ruv::CException invalid_input_path() {
    return Ruv::CException(kClassName, kLineInvalidPath, kSourceFile, "apple_qt::preflight",
                           Ruv::CString::createWithFormat("*** ERROR ***: Infile path is not valid"));
}

Ruv::CException start_time_exceeds_duration() {
    return Ruv::CException(
        kClassName, kLineStartTime, kSourceFile, "apple_qt::configure",
        Ruv::CString::createWithFormat("*** ERROR ***: Start time exceeds duration"));
}

Ruv::CException no_frames_imported(const char* reader_name, int queue_index) {
    std::string text =
        kolmbase::string_with_format("No frames imported for %s track %d", reader_name, queue_index);
    // The filled-in text is the message's format: a '%' in it would be taken
    // as a conversion, and the names filled in ("video", "audio") hold none.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-security"
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#endif
    Ruv::CString message = Ruv::CString::createWithFormat(text.c_str());
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
    return Ruv::CException(kClassName, kLineNoFrames, kSourceFile, "apple_qt::runloop", message);
}

}  // namespace apple_qt_errors
