#include "apple_qt.h"

#include "datahandler/root_data_ref.h"
#include "importer/config.h"
#include "importer/log.h"
#include "importer/movie.h"
#include "importer/track.h"

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
    // The movie is disposed: nothing reads through the input's data
    // references any more, and the settings must not keep pointing at them.
    if (m_data_ref) {
        ns_movie_apple_qt::config& settings = ns_movie_apple_qt::config::instance();
        if (settings.data_ref() == m_data_ref) settings.set_data_ref(nullptr);
        datahandler::dispose_data_ref_tree(m_data_ref);
        m_data_ref = nullptr;
    }
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
        if (m_movie)
            for (ns_movie_apple_qt::track* t : m_movie->tracks()) t->reset();
        m_status.setNumberOfFrames(0);
        m_status.setNumberOfBytes(0);
    }
    return RImporter::handleNotification(notification);
}

Ruv::RPtr<Ruv::CM::RMovieInfo> apple_qt::getMovieInfo() { return m_movie_info; }

// The track argument is not used: every reader moves. Before the first
// preflight there is nothing to move, which is reported as -1.
int apple_qt::setTime(unsigned, double seconds) {
    if (!m_movie) return -1;
    double end = ns_movie_apple_qt::config::instance().end_time();
    for (ns_movie_apple_qt::track* t : m_movie->tracks())
        if (t->seek(seconds, end) == ns_movie_apple_qt::track::status_failed) break;
    return 0;
}
