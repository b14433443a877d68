#include "audio/movie_sound_tracks.h"

#include <cstdio>
#include <set>

#include "audio/audio_constants.h"
#include "audio/compressed_description.h"
#include "audio/format_text.h"
#include "audio/output_format.h"
#include "audio/packet_decoder.h"
#include "audio/sound_warning.h"
#include "movie/movie_access.h"
#include "movie/movie_toolbox.h"

namespace qtrt::audio {
namespace {

constexpr OSType kSoundMediaType = qt_fourcc("soun");

// Says why a track in a compressed format this runtime knows is left out:
// the client's own check of the format (a sound decompressor is registered
// for it, or not) cannot tell. Formats no decoder knows are left to it.
void warn_left_out(const track_model& track, const std::string& why) {
    const media_model& media = track.media;
    if (media.descriptions.empty()) return;
    compressed_format f;
    if (parse_compressed_description(media.descriptions.front().bytes.data(),
                                     media.descriptions.front().bytes.size(), f) ==
        compressed_parse_result::not_compressed)
        return;
    sound_warning("sound track " + std::to_string(track.id) + " ('" +
                  format_text(media.descriptions.front().format) + "') is left out: " + why);
}

std::string rate_text(double rate) {
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", rate);
    return text;
}

// Says once per track where an edit plays beyond the end of the media: the
// frames there are silence, as QuickTime plays them.
void warn_edit_beyond_media(const track_model& track, TimeScale movie_time_scale) {
    const media_model& media = track.media;
    if (movie_time_scale <= 0 || media.time_scale <= 0) return;
    const long double media_end = static_cast<long double>(media.samples.decode_end());
    for (size_t i = 0; i < track.edits.size(); ++i) {
        const edit_entry& e = track.edits[i];
        if (e.empty() || e.rate <= 0 || e.track_duration <= 0) continue;
        const long double reach = static_cast<long double>(e.media_time) +
                                  static_cast<long double>(e.track_duration) * media.time_scale / movie_time_scale *
                                      (e.rate / 65536.0L);
        const long double beyond = reach - media_end;
        if (beyond * 10 <= media.time_scale) continue;  // a tenth of a second is rounding
        sound_warning("sound track " + std::to_string(track.id) + ": edit " + std::to_string(i + 1) +
                      " plays " + std::to_string(double(beyond / media.time_scale)) +
                      " s beyond the end of its media, as silence");
        return;
    }
}

// What the extraction reads of a track: its edits, volume and media time
// scale. The sample table stays in the movie, where the source reads it.
track_model timeline_facts(const track_model& track) {
    track_model facts;
    facts.id = track.id;
    facts.enabled = track.enabled;
    facts.duration = track.duration;
    facts.volume = track.volume;
    facts.alternate_group = track.alternate_group;
    facts.edits = track.edits;
    facts.media.time_scale = track.media.time_scale;
    facts.media.duration = track.media.duration;
    facts.media.handler_type = track.media.handler_type;
    return facts;
}

}  // namespace

OSStatus collect_sound_tracks(Movie movie, TimeScale& movie_time_scale, std::vector<sound_track_input>& out) {
    out.clear();
    const movie_model* model = movie ? model_of(movie) : nullptr;
    if (!model) return invalidMovie;
    movie_time_scale = model->time_scale;
    bool any_sound = false;
    std::set<int16_t> groups_playing;
    const int32_t count = GetMovieTrackCount(movie);
    for (int32_t i = 1; i <= count; ++i) {
        const Track track = GetMovieIndTrack(movie, i);
        const track_model* tm = track ? model_of(track) : nullptr;
        if (!tm || !tm->enabled || tm->media.handler_type != kSoundMediaType) continue;
        any_sound = true;
        // Of the enabled tracks of one alternate group, the first that can be
        // played is heard.
        if (tm->alternate_group != 0 && groups_playing.count(tm->alternate_group)) continue;
        const Media media = GetTrackMedia(track);
        if (!media) continue;
        sound_track_input input;
        media_reader reader;
        if (std::shared_ptr<data_handler> data = media_data_for_any_thread(media)) {
            // Every data reference is the movie's own file: read it directly,
            // so that the extraction may decode on a thread of its own. A
            // disposed movie is read no more, as through the media.
            const size_t refs = tm->media.data_refs.size();
            reader = [data, refs, media](uint32_t data_ref_index, uint64_t offset, uint64_t size,
                                         std::vector<uint8_t>& bytes) {
                if (!media_is_live(media)) return OSErr(invalidMedia);
                if (data_ref_index == 0 || data_ref_index > refs) return OSErr(badDataRefIndex);
                return read_data(*data, offset, size, bytes);
            };
            input.reads_from_any_thread = true;
        } else {
            reader = [media](uint32_t data_ref_index, uint64_t offset, uint64_t size, std::vector<uint8_t>& bytes) {
                return read_media_data(media, data_ref_index, offset, size, bytes);
            };
        }
        std::string why;
        if (!sound_track_source::create(tm->media, std::move(reader), input.source, tm->id, &why)) {
            warn_left_out(*tm, why);
            continue;
        }
        const double rate = input.source.format().sample_rate;
        if (!(rate >= kMinOutputRate && rate <= kMaxOutputRate)) {
            // The extraction's output cannot take the rate: say so here, as
            // the output format's own check cannot name the track.
            sound_warning("sound track " + std::to_string(tm->id) + " ('" +
                          format_text(tm->media.descriptions.front().format) + "') is left out: its sample rate, " +
                          rate_text(rate) + " Hz, is outside what extraction delivers (" +
                          std::to_string(int64_t(kMinOutputRate)) + " Hz to " +
                          std::to_string(int64_t(kMaxOutputRate)) + " Hz)");
            continue;
        }
        warn_edit_beyond_media(*tm, movie_time_scale);
        input.track = timeline_facts(*tm);
        if (tm->alternate_group != 0) groups_playing.insert(tm->alternate_group);
        out.push_back(std::move(input));
    }
    if (!out.empty()) return noErr;
    return any_sound ? kAudioConverterErr_FormatNotSupported : noSoundTrackInMovieErr;
}

}  // namespace qtrt::audio
