#include "apple_qt.h"

#include <climits>

#include "importer/log.h"
#include "importer/movie.h"

namespace {

// Where the importer's exceptions say they come from.
const char* const kSourceFile = "component/importer/any/apple_qt/apple_qt";

Ruv::CException configure_failure() {
    return Ruv::CException("Ruv::CException", 1191, kSourceFile, "apple_qt::configure",
                           Ruv::CString::createWithFormat("*** ERROR ***: Start time exceeds duration"));
}

}  // namespace

apple_qt::apple_qt()
    : m_movie(nullptr),
      m_status(status_created, 0, 0),
      m_movie_info(nullptr),
      m_audio_data_format(0),
      m_video_data_format(0),
      m_data_ref(nullptr),
      m_log_handler_installed(false) {}

apple_qt::~apple_qt() {
    delete m_movie;
    m_movie = nullptr;
    remove_log_handler();
    m_movie_info.reset();
}

void apple_qt::install_log_handler() {
    ns_movie_apple_qt::log::instance().set_handler(&m_log_handler);
    m_log_handler_installed = true;
}

void apple_qt::remove_log_handler() {
    if (!m_log_handler_installed) return;
    ns_movie_apple_qt::log::instance().remove_handler(&m_log_handler);
    m_log_handler_installed = false;
}

Ruv::CM::CComponentStatus apple_qt::getStatus() const { return m_status; }

void apple_qt::componentWillReset() { RImporter::componentWillReset(); }

int apple_qt::handleNotification(Ruv::CM::CNotification& notification) {
    if (notification.getCode() == notification_reset) {
        m_status.setNumberOfFrames(0);
        m_status.setNumberOfBytes(0);
    }
    return RImporter::handleNotification(notification);
}

// The first call prepares what every later call shares: the debug level is
// read, the log handler installed and the (empty) movie reader made. No
// movie can be opened yet, so the answer is -1 and the status stays.
int apple_qt::preflight(Ruv::CM::RImporterConfiguration& configuration) {
    if (!m_movie) {
        configuration.getInt("debug-level", 0, INT_MIN, INT_MAX);
        install_log_handler();
        m_movie = new ns_movie_apple_qt::movie();
    }
    return -1;
}

// Without readers no time range can be applied.
int apple_qt::configure(Ruv::CM::RImporterConfiguration&) { throw configure_failure(); }

Ruv::RPtr<Ruv::CM::RMovieInfo> apple_qt::getMovieInfo() { return m_movie_info; }

int apple_qt::setTime(unsigned, double) { return -1; }

int apple_qt::runloop(void*) { return -1; }

Ruv::CM::RFrame* apple_qt::processNextFrame(unsigned) { return nullptr; }
