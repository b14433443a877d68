#include "session.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <sstream>

#include "completeness.h"
#include "file_notes.h"
#include "header_duration.h"
#include "input_check.h"
#include "json_events.h"
#include "report.h"

namespace ruv_import {

namespace {

// Output queues ruv-import makes at most: indexes 0 to 63.
constexpr int kMaxQueues = 64;

}  // namespace

session::session(Ruv::CM::RImporter& importer, const options& opts, std::ostream& out,
                 std::ostream& err)
    : m_importer(importer),
      m_options(opts),
      m_out(out),
      m_err(err),
      m_console(out, err, !opts.quiet && console::error_is_terminal()),
      m_notes(m_console, opts.json) {
    if (!opts.picture.empty()) m_picture.reset(new picture_recorder());
}

session::~session() {
    end_every_queue();
    m_consumers.clear();
    if (m_video_out) std::fclose(m_video_out);
}

void session::fail(const std::string& message, const std::string& reason) {
    print_warnings(reason);
    if (m_picture) m_picture->set_status(message, true);
    if (m_options.json) m_console.line(error_event(message));
    print_error(m_err, message);
}

void session::print_warnings(const std::string& except) {
    for (const std::string& note : m_notes.take_new()) {
        if (m_picture) m_picture->add_warning(note);
        if (note != except) m_console.error_line("ruv-import: warning: " + note);
    }
}

void session::fail_import(const std::string& what, size_t since) {
    const std::string why = m_notes.first(since);
    fail("cannot import '" + m_movie + "': " + what + (why.empty() ? "" : ": " + why), why);
}

bool session::run(const std::string& movie) {
    const bool imported = import_movie(movie);
    return draw_picture(imported) && imported;
}

bool session::import_movie(const std::string& movie) {
    m_movie = movie;
    std::string problem = input_problem(movie);
    if (!problem.empty()) {
        fail("cannot import '" + movie + "': " + problem);
        return false;
    }
    if (m_picture) {
        m_picture->set_movie(movie);
        movie_time_line time_line;
        // Without the sample tables when they are too large to read.
        if (read_time_line(time_line, true) || read_time_line(time_line = {}, false))
            m_picture->set_time_line(time_line);
    }
    if (!open(absolute_path(movie)) || !configure() || !deliver()) return false;
    print_warnings("");
    return true;
}

bool session::draw_picture(bool imported) {
    if (!m_picture) return true;
    if (imported) {
        std::ostringstream status;
        print_status(status, m_importer.getStatus());
        std::string line = status.str();
        if (!line.empty() && line.back() == '\n') line.pop_back();
        m_picture->set_status(line, false);
    }
    picture_data data = m_picture->data();
    if (data.movie.empty()) data.movie = m_movie;
    std::string error;
    if (write_picture(data, m_options.picture, error)) return true;
    print_error(m_err, "cannot write '" + m_options.picture + "': " + error);
    return false;
}

bool session::open(const std::string& movie) {
    Ruv::RPtr<Ruv::RURI> uri(new Ruv::RURI(Ruv::CString(movie)));
    Ruv::RPtr<Ruv::CM::RStream> host_stream = Ruv::CM::RStream::getStream(uri, 0, 0);
    if (!host_stream || host_stream->open() != 0) {
        fail("cannot import '" + movie + "': the file cannot be read");
        return false;
    }

    m_input = new counting_stream(host_stream);
    Ruv::RPtr<Ruv::CM::RStream> input(m_input.get());

    m_configuration = new Ruv::CM::RImporterConfiguration();
    m_configuration->set("video", m_options.no_video ? "-1" : std::to_string(m_options.video_queue));
    m_configuration->set("audio", m_options.no_audio ? "-1" : std::to_string(m_options.audio_queue));
    for (const auto& setting : m_options.settings) m_configuration->set(setting.first, setting.second);

    int highest = std::max(m_configuration->getInt("video", -1, INT_MIN, INT_MAX),
                           m_configuration->getInt("audio", -1, INT_MIN, INT_MAX));
    if (highest >= kMaxQueues) {
        fail("cannot import '" + movie + "': output queue " + std::to_string(highest) +
             " is beyond the 64 queues ruv-import makes");
        return false;
    }
    std::vector<Ruv::CM::RQueue*> queues;
    for (int i = 0; i <= std::max(highest, 0); ++i) {
        m_queues.push_back(Ruv::RPtr<Ruv::CM::RQueue>(new Ruv::CM::RQueue(queue_capacity)));
        queues.push_back(m_queues.back().get());
    }

    // The movie atom's tracks, as the file itself holds them.
    std::vector<file_track> file;
    try {
        if (m_importer.init(input, queues) != 0) {
            fail("cannot import '" + movie + "': the importer does not accept it as its input");
            return false;
        }
        m_importer.preconfigure(*m_configuration);
        m_notes.set_wording(
            [movie](const std::string& note) { return with_file_facts(note, movie); });
        const size_t notes = m_notes.count();
        int result = m_importer.preflight(*m_configuration);
        // The importer's lines of its preflight are taken in before the notes
        // on the file below, so that both come in one order on every system.
        m_notes.count();
        file = file_tracks(movie);
        for (const std::string& note : unreadable_track_notes(file, movie)) warn(note);
        if (result != 0) {
            // The importer's own account, when it gave one, says it better:
            // its last note sums up why it could not open the movie.
            const std::string why = m_notes.last(notes);
            fail("cannot import '" + movie + "': " +
                     (why.empty() ? "the importer cannot open it as a movie (preflight answered " +
                                        std::to_string(result) + ")"
                                  : why),
                 why);
            return false;
        }
    } catch (const Ruv::CException& e) {
        fail("cannot import '" + movie + "': " + exception_text(e));
        return false;
    }

    if (m_options.pull && !choose_pulled_stream()) return false;
    Ruv::RPtr<Ruv::CM::RMovieInfo> info = m_importer.getMovieInfo();
    check_sound(file, movie, info.get());
    if (info) {
        m_console.set_duration(info->getDuration());
        movie_time_line time_line;
        const std::string header = read_time_line(time_line)
                                       ? header_duration_note(time_line, info->getDuration())
                                       : std::string();
        if (!header.empty()) warn(header);
        if (m_picture) m_picture->set_info_duration(info->getDuration());
        if (m_options.json) {
            m_console.line(movie_event(*info));
        } else if (!m_options.quiet) {
            print_movie(m_out, movie, *info);
        }
    }
    return true;
}

void session::warn(const std::string& note) {
    if (m_options.json) m_console.line(warning_event(note));
    m_console.error_line("ruv-import: warning: " + note);
}

// Mixed down, the channel count says nothing of what is left out.
void session::check_sound(const std::vector<file_track>& file, const std::string& movie,
                          const Ruv::CM::RMovieInfo* info) {
    if (m_configuration->getInt("extract-audio-channels-discrete", 1, INT_MIN, INT_MAX) == 0)
        return;
    uint32_t channels = 0;
    for (size_t i = 0; info && i < info->getTrackCount(); ++i) {
        Ruv::RPtr<Ruv::CM::RTrackInfo> track = info->getTrack(i);
        if (track->getKind() != Ruv::CM::RTrackInfo::kVideo)
            channels = static_cast<const Ruv::CM::RAudioTrackInfo&>(*track).getChannels();
    }
    const std::string note = undecodable_sound_note(file, movie, channels);
    if (!note.empty()) warn(note);
}

// processNextFrame hands out a frame of one queue and drops what the readers
// of the other queues had ready: pulling two streams would lose frames of
// both. One stream is pulled; the other is not exported.
bool session::choose_pulled_stream() {
    int video = m_configuration->getInt("video", -1, INT_MIN, INT_MAX);
    int audio = m_configuration->getInt("audio", -1, INT_MIN, INT_MAX);
    bool has_video = false, has_audio = false;
    if (Ruv::RPtr<Ruv::CM::RMovieInfo> info = m_importer.getMovieInfo()) {
        for (size_t i = 0; i < info->getTrackCount(); ++i) {
            const bool is_video = info->getTrack(i)->getKind() == Ruv::CM::RTrackInfo::kVideo;
            (is_video ? has_video : has_audio) = true;
        }
    }
    if (!has_video) video = -1;
    if (!has_audio) audio = -1;
    if (video < 0 && audio < 0) return true;
    int pulled = m_options.pull_queue;
    if (pulled < 0) pulled = video < 0 ? audio : audio < 0 ? video : std::min(video, audio);
    if (pulled != video && pulled != audio) {
        std::string streams;
        if (video >= 0) streams += "video: queue " + std::to_string(video);
        if (audio >= 0) streams += std::string(streams.empty() ? "" : ", ") + "sound: queue " + std::to_string(audio);
        fail("--pull-queue " + std::to_string(pulled) + " names a queue no stream of '" + m_movie +
             "' goes to (" + streams + ")");
        m_usage_error = true;
        return false;
    }
    if (video < 0 || audio < 0 || video == audio) return true;
    const bool video_pulled = pulled == video;
    m_configuration->set(video_pulled ? "audio" : "video", "-1");
    const std::string note = "--pull delivers queue " + std::to_string(pulled) +
                             " only: processNextFrame drops the frames other queues' readers have "
                             "ready, so the " + (video_pulled ? "sound" : "video") + " stream (queue " +
                             std::to_string(video_pulled ? audio : video) + ") is left out";
    if (m_options.json) m_console.line(warning_event(note));
    m_console.error_line("ruv-import: warning: " + note);
    if (m_picture) m_picture->add_warning(note);
    return true;
}

bool session::configure() {
    try {
        m_importer.configure(*m_configuration);
    } catch (const Ruv::CException& e) {
        fail("cannot import '" + m_movie + "': " + exception_text(e));
        return false;
    }
    for (size_t i = 0; i < m_queues.size(); ++i) {
        Ruv::RPtr<const Ruv::CM::RDescription> description = m_queues[i]->getDescription();
        if (!description) continue;
        m_exported.push_back(unsigned(i));
        if (m_picture && description->getKind() == Ruv::CM::RDescription::kVideo)
            m_picture->set_video_description(
                static_cast<const Ruv::CM::RVideoDescription&>(*description));
        else if (m_picture)
            m_picture->set_audio_description(
                static_cast<const Ruv::CM::RAudioDescription&>(*description));
        if (m_options.json) {
            m_console.line(stream_event(unsigned(i), *description));
        } else if (!m_options.quiet) {
            print_stream(m_out, unsigned(i), *description);
        }
    }
    return true;
}

// Opens the files asked for with --audio-out and --video-out, for the first
// exported queue of each kind.
bool session::open_outputs() {
    for (unsigned q : m_exported) {
        Ruv::RPtr<const Ruv::CM::RDescription> description = m_queues[q]->getDescription();
        if (description->getKind() == Ruv::CM::RDescription::kAudio &&
            !m_options.audio_out.empty() && !m_audio_out.is_open()) {
            const auto& audio = static_cast<const Ruv::CM::RAudioDescription&>(*description);
            std::string error;
            if (!m_audio_out.open(m_options.audio_out, audio.getChannels(), audio.getSampleRate(),
                                  error)) {
                fail("cannot write '" + m_options.audio_out + "': " + error);
                return false;
            }
        }
        if (description->getKind() == Ruv::CM::RDescription::kVideo &&
            !m_options.video_out.empty() && !m_video_out) {
            m_video_out = std::fopen(m_options.video_out.c_str(), "wb");
            if (!m_video_out) {
                fail("cannot write '" + m_options.video_out + "': " + std::strerror(errno));
                return false;
            }
        }
    }
    return true;
}

// One consumer per exported queue, each on its own thread.
void session::start_consumers() {
    frame_lines lines = m_options.json     ? frame_lines::json
                        : m_options.quiet  ? frame_lines::none
                        : m_options.frames ? frame_lines::human
                                           : frame_lines::none;
    wav_writer* audio_out = m_audio_out.is_open() ? &m_audio_out : nullptr;
    for (unsigned q : m_exported) {
        bool video = m_queues[q]->getDescription()->getKind() == Ruv::CM::RDescription::kVideo;
        m_consumers.emplace_back(new queue_consumer(q, *m_queues[q], m_console, lines,
                                                    video ? nullptr : audio_out,
                                                    video ? m_video_out : nullptr));
        m_consumers.back()->set_picture(m_picture.get());
        m_consumers.back()->start();
    }
}

bool session::deliver() {
    if (!open_outputs()) return false;
    start_consumers();
    const size_t notes = m_notes.count();
    bool delivered = true;
    if (m_options.pull) {
        deliver_with_pull();
    } else {
        delivered = deliver_with_runloop(notes);
    }
    end_every_queue();
    for (auto& consumer : m_consumers) consumer->join();
    m_console.finish_progress();
    if (!delivered || !finish_outputs()) return false;

    for (auto& consumer : m_consumers) m_summaries.push_back(consumer->summary());
    if (!check_complete(m_summaries, notes)) return false;
    if (m_options.json) {
        m_console.line(end_event(m_importer.getStatus(), m_input->bytes_read()));
    } else if (!m_options.quiet) {
        print_summary(m_out, m_summaries, m_importer.getStatus(), m_input->bytes_read());
    }
    return true;
}

// Every exported queue got a frame, and the frames reach as far as the
// movie's own tables say they should.
bool session::check_complete(const std::vector<queue_summary>& summaries, size_t notes) {
    for (const queue_summary& q : summaries) {
        if (q.frames != 0) continue;
        const bool video =
            m_queues[q.queue]->getDescription()->getKind() == Ruv::CM::RDescription::kVideo;
        fail_import(std::string("its ") + (video ? "video" : "sound") + " stream (queue " +
                        std::to_string(q.queue) + ") delivered no frame",
                    notes);
        return false;
    }
    constexpr double kLowest = -1.7976931348623157e308;
    constexpr double kHighest = 1.7976931348623157e308;
    movie_time_line time_line;
    std::string missing =
        read_time_line(time_line)
            ? missing_media(time_line, summaries,
                            m_configuration->getFloat64("start-time", 0.0, kLowest, kHighest),
                            m_configuration->getFloat64("end-time", 94608000.0, kLowest, kHighest))
            : std::string();
    if (!missing.empty()) {
        fail_import("the movie is cut short or damaged (" + missing + ")", notes);
        return false;
    }
    return true;
}

bool session::read_time_line(movie_time_line& out, bool with_samples) const {
    Ruv::RPtr<Ruv::RURI> uri(new Ruv::RURI(Ruv::CString(absolute_path(m_movie))));
    Ruv::RPtr<Ruv::CM::RStream> stream = Ruv::CM::RStream::getStream(uri, 0, 0);
    if (!stream || stream->open() != 0) return false;
    const bool read = read_movie_time_line(*stream, out, with_samples);
    stream->close();
    return read;
}

bool session::deliver_with_runloop(size_t notes) {
    if (!m_importer.start(nullptr)) {
        fail("cannot import '" + m_movie + "': the importer's thread cannot be started");
        return false;
    }
    m_importer.join();
    if (m_importer.hasException()) {
        std::vector<Ruv::CException> exceptions = m_importer.getExceptions();
        fail_import(exception_text(exceptions.back()), notes);
        return false;
    }
    return true;
}

// processNextFrame for every exported queue in turn (one: choose_pulled_stream),
// until a round gives no frame at all.
void session::deliver_with_pull() {
    bool any = true;
    while (any) {
        any = false;
        for (unsigned q : m_exported)
            if (m_importer.processNextFrame(q)) any = true;
    }
}

void session::end_every_queue() {
    for (auto& queue : m_queues) queue->end();
}

bool session::finish_outputs() {
    for (auto& consumer : m_consumers) {
        const std::string& error = consumer->summary().write_error;
        if (!error.empty()) {
            fail(error);
            return false;
        }
    }
    if (!m_audio_out.close()) {
        fail("cannot write '" + m_options.audio_out + "'");
        return false;
    }
    if (m_video_out) {
        bool closed = std::fclose(m_video_out) == 0;
        m_video_out = nullptr;
        if (!closed) {
            fail("cannot write '" + m_options.video_out + "'");
            return false;
        }
    }
    return true;
}

}  // namespace ruv_import
