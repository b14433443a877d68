// One import driven by ruv-import as a host drives an importer: the input
// stream, the output queues and the configuration the importer is given,
// the consumer threads, and what is printed about it.
#pragma once

#include <cstdio>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "console.h"
#include "counting_stream.h"
#include "file_survey.h"
#include "importer_notes.h"
#include "lib/cm/CMComponent.h"
#include "movie_edits.h"
#include "options.h"
#include "picture.h"
#include "queue_consumer.h"
#include "wav_writer.h"

namespace ruv_import {

class session {
public:
    // Frames a queue holds before the importer waits for its consumer.
    static constexpr size_t queue_capacity = 16;

    session(Ruv::CM::RImporter& importer, const options& opts, std::ostream& out,
            std::ostream& err);
    ~session();
    session(const session&) = delete;
    session& operator=(const session&) = delete;

    // Imports the movie: init, preconfigure, preflight, configure, delivery.
    // false, with the failure reported, when the movie cannot be imported.
    bool run(const std::string& movie);
    // After a failed run: the failure was the command line's.
    bool usage_error() const { return m_usage_error; }
    // What each exported queue received, once delivery ended.
    const std::vector<queue_summary>& summaries() const { return m_summaries; }

private:
    bool import_movie(const std::string& movie);
    // Writes the picture of --picture; false, with the failure reported,
    // when it cannot be written.
    bool draw_picture(bool imported);
    bool open(const std::string& movie);
    // With --pull: leaves every stream but the pulled one out of the
    // configuration; false, with the failure reported, when --pull-queue
    // names a queue no stream goes to.
    bool choose_pulled_stream();
    bool configure();
    bool deliver();
    bool open_outputs();
    void start_consumers();
    bool check_complete(const std::vector<queue_summary>& summaries, size_t notes);
    // notes: how many lines the importer had written before delivery.
    bool deliver_with_runloop(size_t notes);
    // The movie's time line from its own atoms, read through a stream of its
    // own; false when it cannot be read.
    bool read_time_line(movie_time_line& out, bool with_samples = false) const;
    void deliver_with_pull();
    void end_every_queue();
    bool finish_outputs();
    // Reports a failure: one line on standard error and, with --json, the
    // error event; the importer's warnings not yet printed come first, but
    // for the one that is the failure's reason.
    void fail(const std::string& message, const std::string& reason = "");
    // Prints the importer's warnings not yet printed, but for `except`.
    void print_warnings(const std::string& except);
    // The same, for a failure of the importer while it delivers: what
    // failed, then why, when the importer said why after its first `since`
    // notes (the first such note: later ones tend to follow from it).
    void fail_import(const std::string& what, size_t since);
    // A warning of ruv-import's own: a line on standard error and, with
    // --json, a warning event.
    void warn(const std::string& note);
    // Warns when the sound stream cannot hold every enabled sound track of
    // the file (info: the importer's movie info, or null).
    void check_sound(const std::vector<file_track>& file, const std::string& movie,
                     const Ruv::CM::RMovieInfo* info);

    Ruv::CM::RImporter& m_importer;
    const options& m_options;
    std::ostream& m_out;
    std::ostream& m_err;
    console m_console;
    importer_notes m_notes;
    std::vector<Ruv::RPtr<Ruv::CM::RQueue>> m_queues;
    std::vector<unsigned> m_exported;
    Ruv::RPtr<counting_stream> m_input;
    Ruv::RPtr<Ruv::CM::RImporterConfiguration> m_configuration;
    std::vector<std::unique_ptr<queue_consumer>> m_consumers;
    std::vector<queue_summary> m_summaries;
    wav_writer m_audio_out;
    std::FILE* m_video_out = nullptr;
    std::unique_ptr<picture_recorder> m_picture;
    std::string m_movie;
    bool m_usage_error = false;
};

}  // namespace ruv_import
