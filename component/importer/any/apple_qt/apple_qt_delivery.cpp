// Delivery: runloop and processNextFrame, and the turning of reader frames
// into host frames.
#include "apple_qt.h"
#include "importer/frame.h"
#include "importer/movie.h"
#include "importer/track.h"
#include "importer_errors.h"

namespace {

using ns_movie_apple_qt::frame;

// processNextFrame gives up after this many passes without a frame.
constexpr int kMaxPasses = 10;
// Times closer to zero than this are taken as zero by runloop.
constexpr double kNearZero = 0.000001;

bool near_zero(double seconds) { return seconds > -kNearZero && seconds < kNearZero; }

}  // namespace

Ruv::RPtr<Ruv::CM::RFrame> apple_qt::make_host_frame(frame* f) const {
    Ruv::RPtr<Ruv::CM::RFrame> host;
    if (f->kind() == frame::kind_video) {
        const ns_movie_apple_qt::video_frame* video = static_cast<ns_movie_apple_qt::video_frame*>(f);
        Ruv::RPtr<Ruv::CM::RVideoFrame> video_host = Ruv::CM::RVideoFrame::createWithData(
            unsigned(video->number()), video->display_time(), video->duration(), video->format(),
            video->size(), video->data(),
            video->is_key_frame() ? Ruv::CM::RVideoFrame::kKeyFrame
                                  : Ruv::CM::RVideoFrame::kPredicted,
            Ruv::kConstructTakeOver);
        if (video_host) {
            video_host->setDecodeTime(video->decode_time());
            video_host->setTimeCode(video->timecode());
        }
        host = video_host;
    } else if (f->kind() == frame::kind_audio) {
        Ruv::RPtr<Ruv::CM::RAudioFrame> audio_host = Ruv::CM::RAudioFrame::createWithData(
            unsigned(f->number()), f->display_time(), f->duration(), m_audio_data_format,
            f->size(), f->data(), 0, 0, Ruv::kConstructTakeOver);
        if (audio_host) audio_host->setDecodeTime(audio_host->getTimeStamp());
        host = audio_host;
    } else {
        ns_movie_apple_qt::release_frame(f, true);
        return host;
    }
    // The host frame owns the buffer now, made or not.
    ns_movie_apple_qt::release_frame(f, false);
    return host;
}

void apple_qt::deliver(frame* f, int queue) {
    unsigned frames = m_status.getNumberOfFrames();
    unsigned bytes = m_status.getNumberOfBytes();
    Ruv::RPtr<Ruv::CM::RFrame> host = make_host_frame(f);
    if (host) {
        if (near_zero(host->getDecodeTime().getSecondsAsDouble())) host->setDecodeTime(0.0);
        if (near_zero(host->getTimeStamp().getSecondsAsDouble())) host->setTimeStamp(0.0);
        if (host->getTimeStamp().getSecondsAsDouble() >= 0) {
            bytes += host->getDataLength();
            frames += 1;
            if (Ruv::CM::RQFrameWriter* writer = getWriter(unsigned(queue))) writer->put(host);
        }
    }
    m_status.setNumberOfFrames(frames);
    m_status.setNumberOfBytes(bytes);
}

// Before the first preflight there is no movie reader: nothing runs and the
// status stays.
int apple_qt::runloop(void*) {
    if (!m_movie) return -1;
    m_status.setStatusCode(status_delivering);
    const std::vector<ns_movie_apple_qt::track*>& readers = m_movie->tracks();
    while (m_movie->step() == ns_movie_apple_qt::movie::step_progress) {
        for (ns_movie_apple_qt::track* reader : readers) {
            if (!reader->is_enabled()) continue;
            if (frame* f = reader->pop_frame()) deliver(f, reader->queue_index());
        }
    }
    for (ns_movie_apple_qt::track* reader : readers) {
        if (!reader->is_enabled()) continue;
        if (reader->frame_count() == 0)
            throw apple_qt_errors::no_frames_imported(reader->name(), reader->queue_index());
        if (frame* f = reader->pop_frame()) deliver(f, reader->queue_index());
        if (Ruv::CM::RQFrameWriter* writer = getWriter(unsigned(reader->queue_index())))
            writer->end();
    }
    m_status.setStatusCode(status_delivered);
    return 0;
}

Ruv::CM::RFrame* apple_qt::processNextFrame(unsigned queue) {
    if (!m_movie) return nullptr;
    m_status.setStatusCode(status_delivering);
    for (int pass = 0; pass < kMaxPasses; ++pass) {
        m_movie->step();
        for (ns_movie_apple_qt::track* reader : m_movie->tracks()) {
            frame* f = reader->pop_frame();
            if (!f) continue;
            if (reader->queue_index() != int(queue)) {
                ns_movie_apple_qt::release_frame(f, true);
                continue;
            }
            Ruv::RPtr<Ruv::CM::RFrame> host = make_host_frame(f);
            if (!host || host->getTimeStamp().getSecondsAsDouble() < 0) continue;
            Ruv::CM::RQFrameWriter* writer = getWriter(queue);
            bool queued = writer && writer->put(host);
            m_status.setStatusCode(status_delivered);
            // The queue holds the frame; when no queue took it the caller
            // gets the only reference.
            return queued ? host.get() : host.detach();
        }
    }
    m_status.setStatusCode(status_delivered);
    return nullptr;
}
