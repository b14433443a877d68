// One import driven by ruv-import: the input stream, the output queues and
// the configuration that the importer is given, kept for as long as it runs.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "lib/cm/CMComponent.h"

namespace ruv_import {

class session {
public:
    // Output-queue indexes: the video stream goes to the first queue, the
    // audio stream to the second.
    enum : unsigned { video_queue = 0, audio_queue = 1, queue_count = 2 };
    // Frames a queue holds before the importer waits for the consumer.
    static constexpr size_t queue_capacity = 64;

    explicit session(Ruv::CM::RImporter& importer);

    // Gives the importer the movie and its configuration and runs preflight.
    // false, with the failure reported to err, when the movie cannot be used.
    bool open(const std::string& movie, std::ostream& out, std::ostream& err);

private:
    Ruv::CM::RImporter& m_importer;
    std::vector<Ruv::RPtr<Ruv::CM::RQueue>> m_queues;
    Ruv::RPtr<Ruv::CM::RImporterConfiguration> m_configuration;
};

}  // namespace ruv_import
