// The picture of --picture: what the movie's own atoms say of its time line
// (one lane per track with its edits) beside what the import delivered
// (video frames, the sound's level), with the import's warnings and status.
// The consumer threads hand it every frame as they take it; it keeps what it
// draws, not the frames: at most kMaxFrames video frames, and the sound's
// minimum and maximum per short span of time.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "lib/cm/CMComponent.h"
#include "movie_edits.h"

namespace ruv_import {

struct picture_frame {
    unsigned number = 0;
    double time = 0;  // on the import's time line, seconds
    double decode = 0;
    double duration = 0;
    bool key = false;
};

struct level_range {
    float low = 0;
    float high = 0;
};

// Everything the picture shows, as gathered.
struct picture_data {
    std::string movie;
    bool has_time_line = false;
    movie_time_line time_line;
    double info_duration = 0;  // the importer's word, seconds
    std::string time_code;     // of the first video frame
    std::string reel_name;
    bool video_exported = false;
    bool sound_exported = false;
    std::vector<picture_frame> frames;  // in delivery order
    uint64_t frames_left_out = 0;       // delivered past kMaxFrames
    // The sound's level per span of level_span seconds of the import's
    // time line, by span index.
    double level_span = 0.01;
    std::map<int64_t, level_range> levels;
    double sound_end = 0;  // import time
    bool sound_delivered = false;
    std::vector<std::string> warnings;
    std::string status;
    bool failed = false;
};

class picture_recorder {
public:
    static constexpr size_t kMaxFrames = 20000;
    // Spans of sound level kept over the movie's length.
    static constexpr int kLevelSpans = 4000;

    void set_movie(const std::string& name);
    // The time line as ruv-import read it; it fixes the span of the sound's
    // level.
    void set_time_line(const movie_time_line& time_line);
    // The movie's duration as the importer gives it.
    void set_info_duration(double seconds);
    void set_video_description(const Ruv::CM::RVideoDescription& description);
    void set_audio_description(const Ruv::CM::RAudioDescription& description);
    // From any consumer thread.
    void add_frame(const Ruv::CM::RFrame& frame);
    void add_warning(const std::string& text);
    void set_status(const std::string& text, bool failed);

    picture_data data() const;

private:
    void add_levels(const Ruv::CM::RFrame& frame);

    mutable std::mutex m_mutex;
    picture_data m_data;
    unsigned m_channels = 0;
};

// Where the import's time line lies on the movie's: movie time = import time
// less this. The import measures from the sync sample the video's first shown
// frame decodes from, and puts the sound's movie time 0 where that frame's
// edit lies; 0 without video.
double import_shift(const movie_time_line& time_line);

// The track whose frames the importer delivers as video: the first enabled
// video track that shows media; null without one.
const track_time_line* delivered_video_track(const movie_time_line& time_line);

enum class frame_kind { key, other, decode_only };

// Each frame's kind: decode-only when no edit of the video track shows it.
// Frames belong to the video's edits in the order they come: a key frame that
// goes back in time starts the run of the next edit that begins after it,
// and a frame past its edit's end belongs to the next edit only when that
// edit continues the media.
std::vector<frame_kind> frame_kinds(const picture_data& data);

// Writes the picture as SVG; false with a reason when the file cannot be
// written.
bool write_picture(const picture_data& data, const std::string& path, std::string& error);

}  // namespace ruv_import
