// The video track reader: delivers every stored sample of a movie's video
// track as it is stored (compressed), one sample per read, with its display
// time, decode time, duration, frame number, key-frame flag, coded size and
// the time code of its moment. Opening it gathers what describes the stream:
// sizes, clean aperture, field mode, depth, frame rate, every sample
// description, the decoder configuration, the start time code and the reel
// name.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "importer/edit_run_cursor.h"
#include "importer/media_time.h"
#include "importer/sample_bound.h"
#include "importer/shown_media.h"
#include "importer/shown_range.h"
#include "importer/timecode_follower.h"
#include "importer/track.h"
#include "importer/video_description.h"

namespace ns_movie_apple_qt {

class video_track : public track {
public:
    // A copy of one image description: fixed fields in the machine's order,
    // extensions big-endian, data reference index zeroed.
    struct description_bytes {
        const uint8_t* data;
        uint32_t size;
    };

    video_track();
    ~video_track() override;

    int open(Movie movie) override;
    int read() override;
    int seek(double start, double end) override;
    int flush() override { return 0; }
    int reset() override;
    void prepare() override {}

    int32_t coded_width() const { return m_coded_width; }
    int32_t coded_height() const { return m_coded_height; }
    int32_t display_width() const { return m_display_width; }
    int32_t display_height() const { return m_display_height; }
    double clean_aperture_width() const { return m_clean_aperture_width; }
    double clean_aperture_height() const { return m_clean_aperture_height; }
    int32_t depth() const { return m_depth; }
    double frame_rate() const { return m_frame_rate; }
    int32_t field_mode() const { return m_field_mode; }
    size_t sample_description_count() const { return m_sample_descriptions.size(); }
    // Index from 0; {null, 0} past the end.
    description_bytes sample_description(size_t index) const;
    // Takes the first description out of the reader (they leave in index
    // order); empty when none is left.
    std::vector<uint8_t> take_sample_description();
    const std::string& reel_name() const { return m_reel_name; }

private:

    int open_track(Movie movie);
    Track find_video_track(Movie movie) const;
    // Walks the track's edits once: whether the reader can place every frame
    // they show (says why in one line when it cannot), the start times, and
    // the most samples a run of seeks may deliver.
    bool walk_track_edits(Media media, TimeValue track_duration, TimeScale movie_scale);
    void store_format(const video_description& info);
    void copy_descriptions(Handle description, std::vector<uint8_t> first, long description_count);
    // The extensions of the image description the reader uses, in the order
    // it asks QuickTime for them.
    std::vector<image_extension> read_extensions(Handle description) const;
    // Reads the sample at the read position into a new frame (status 0), or
    // answers the status that ends the read.
    int read_sample(frame*& out);
    // Decode time of the sample to read next, moving on to the next run at
    // the end of one.
    TimeValue64 next_sample_time();
    // Cuts the run's last sample at the track's end; false for a sample past
    // the run that starts after that end.
    bool end_at_track_duration(sample_times& times, bool past_run,
                               TimeValue64 decode_duration) const;
    // A frame holding the sample decoded at t, or null (the track made
    // inactive) when it cannot be had or read.
    frame* make_frame(Handle description, ByteCount size, uint32_t format,
                      const sample_times& times, MediaSampleFlags flags, TimeValue64 t,
                      TimeScale media_scale, uint64_t number);
    // Logs why the sample decoded at decode_time cannot be read.
    void log_unreadable_sample(media_time decode_time, OSErr err) const;
    // The same for a sample refused before it is read: its size cannot be true.
    void log_refused_sample(media_time decode_time, uint32_t size, const char* why) const;
    // Logs that the track's edits would deliver more samples than it may,
    // from edit edit_number on.
    void log_sample_limit(int edit_number) const;

    int32_t m_coded_width;
    int32_t m_coded_height;
    int32_t m_display_width;
    int32_t m_display_height;
    double m_clean_aperture_width;
    double m_clean_aperture_height;
    int32_t m_depth;
    double m_frame_rate;
    int32_t m_field_mode;
    std::deque<std::vector<uint8_t>> m_sample_descriptions;
    Track m_track;
    Media m_media;
    timecode_follower m_timecode_follower;
    std::string m_reel_name;
    double m_start_time;
    // Where the read stands in the runs of the last seek, one an edit.
    edit_run_cursor m_cursor;
    // Whether frames end at the track duration: a sample starting after it
    // fails the read, one reaching past it is shortened.
    bool m_cut_at_duration;
    // The edits that show media, walked at open, and the media's time scale.
    std::vector<shown_edit> m_edits;
    TimeScale m_media_scale;
    // Samples a seek's run may deliver at most, and how many are left.
    static constexpr uint64_t kNoSampleLimit = UINT64_MAX;
    uint64_t m_sample_limit;
    uint64_t m_samples_left;
    // The first edit of the last seek that got no run for the bound; 0 none.
    int m_cut_at;
    sample_bound m_sample_bound;
};

}  // namespace ns_movie_apple_qt
