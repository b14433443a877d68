#include "session.h"

#include "report.h"

namespace ruv_import {

session::session(Ruv::CM::RImporter& importer) : m_importer(importer) {}

bool session::open(const std::string& movie, std::ostream& out, std::ostream& err) {
    Ruv::RPtr<Ruv::RURI> uri(new Ruv::RURI(Ruv::CString(movie)));
    Ruv::RPtr<Ruv::CM::RStream> input = Ruv::CM::RStream::getStream(uri, 0, 0);
    if (!input || input->open() != 0) {
        print_error(err, "cannot open '" + movie + "': the file cannot be read");
        return false;
    }

    std::vector<Ruv::CM::RQueue*> queues;
    for (unsigned i = 0; i < queue_count; ++i) {
        m_queues.push_back(Ruv::RPtr<Ruv::CM::RQueue>(new Ruv::CM::RQueue(queue_capacity)));
        queues.push_back(m_queues.back().get());
    }
    m_configuration = new Ruv::CM::RImporterConfiguration();
    m_configuration->set("video", std::to_string(video_queue));
    m_configuration->set("audio", std::to_string(audio_queue));

    try {
        if (m_importer.init(input, queues) != 0) {
            print_error(err, "the importer does not accept '" + movie + "' as its input");
            return false;
        }
        m_importer.preconfigure(*m_configuration);
        int result = m_importer.preflight(*m_configuration);
        if (result != 0) {
            print_error(err, "cannot open '" + movie + "': the importer finds no movie (preflight " +
                                 std::to_string(result) + ")");
            return false;
        }
    } catch (const Ruv::CException& e) {
        print_exception(err, e);
        return false;
    }
    out << "movie: " << movie << "\n";
    return true;
}

}  // namespace ruv_import
