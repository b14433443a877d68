// configure: the time range, the exported readers and their descriptions.
#include <climits>

#include "apple_qt.h"
#include "importer/config.h"
#include "importer/movie.h"
#include "importer/track.h"
#include "importer_errors.h"
#include "stream_descriptions.h"

namespace {

constexpr double kLowest = -1.7976931348623157e308;
constexpr double kHighest = 1.7976931348623157e308;
constexpr double kDefaultEndTime = 94608000.0;  // three 365-day years

}  // namespace

int apple_qt::configure(Ruv::CM::RImporterConfiguration& configuration) {
    double start = configuration.getFloat64("start-time", 0.0, kLowest, kHighest);
    double end = configuration.getFloat64("end-time", kDefaultEndTime, kLowest, kHighest);
    configuration.getInt("frame-print-interval", 0, INT_MIN, INT_MAX);

    ns_movie_apple_qt::config& settings = ns_movie_apple_qt::config::instance();
    settings.set_start_time(start);
    settings.set_end_time(end);

    if (!m_movie || m_movie->apply_time_range() != 0)
        throw apple_qt_errors::start_time_exceeds_duration();

    for (ns_movie_apple_qt::track* reader : m_movie->tracks()) {
        const bool video = reader->kind() == ns_movie_apple_qt::track::kind_video;
        // -1: the reader is not exported.
        int queue = configuration.getInt(video ? "video" : "audio", -1, INT_MIN, INT_MAX);
        if (queue == -1) continue;
        reader->set_queue_index(queue);
        reader->set_enabled(true);
        if (Ruv::CM::RQFrameWriter* writer = getWriter(unsigned(queue)))
            writer->setDescription(make_description(*reader));
    }
    for (ns_movie_apple_qt::track* reader : m_movie->tracks()) reader->prepare();
    return 0;
}
