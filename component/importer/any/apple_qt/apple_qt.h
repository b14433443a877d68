// The importer component: opens one QuickTime movie named by the host's input
// stream, describes at most one video and one audio stream and delivers their
// frames into the host's output queues.
#pragma once

#include <cstdint>

#include "lib/cm/CMComponent.h"
#include "my_log_handler.h"

class CMStreamDataRef;

namespace ns_movie_apple_qt {
class frame;
class movie;
}  // namespace ns_movie_apple_qt

class apple_qt : public Ruv::CM::RImporter {
public:
    // Status codes the importer reports.
    enum : unsigned {
        status_created = 0,
        status_preflighted = 1,
        status_delivering = 3,
        status_delivered = 5,
    };

    // The code of the host's reset notification: 'rstr'.
    static constexpr unsigned notification_reset = 0x72737472;

    apple_qt();
    ~apple_qt() override;

    Ruv::CM::CComponentStatus getStatus() const override;
    void componentWillReset() override;
    int handleNotification(Ruv::CM::CNotification& notification) override;
    int preflight(Ruv::CM::RImporterConfiguration& configuration) override;
    int configure(Ruv::CM::RImporterConfiguration& configuration) override;
    Ruv::RPtr<Ruv::CM::RMovieInfo> getMovieInfo() override;
    int setTime(unsigned track, double seconds) override;
    int runloop(void* argument) override;
    Ruv::CM::RFrame* processNextFrame(unsigned queue) override;

    // The data formats the last successful preflight recorded: every audio
    // frame carries the audio one.
    uint32_t video_data_format() const { return m_video_data_format; }
    uint32_t audio_data_format() const { return m_audio_data_format; }

private:
    // Fills a new movie info from the opened movie's readers and records the
    // data formats every later frame carries.
    void publish_movie_info();
    // Turns a reader frame into a host frame (the frame is consumed, its
    // buffer taken over); null for a frame of no known kind or when the host
    // frame cannot be made.
    Ruv::RPtr<Ruv::CM::RFrame> make_host_frame(ns_movie_apple_qt::frame* f) const;
    // Puts the frame into the queue's writer and counts it, unless its time
    // stamp is negative.
    void deliver(ns_movie_apple_qt::frame* f, int queue);

    // Makes this importer's handler the one the reader library's log calls.
    void install_log_handler();
    // Takes the handler out of the log when it is still the installed one.
    void remove_log_handler();

    ns_movie_apple_qt::movie* m_movie;
    Ruv::CM::CComponentStatus m_status;
    Ruv::RPtr<Ruv::CM::RMovieInfo> m_movie_info;
    uint32_t m_audio_data_format;
    uint32_t m_video_data_format;
    my_log_handler m_log_handler;
    // Not owned: the settings and QuickTime may refer to it after this
    // importer is gone.
    CMStreamDataRef* m_data_ref;
    bool m_log_handler_installed;
};
