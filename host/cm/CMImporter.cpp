// The importer base: input stream, output writers and configuration.
#include "lib/cm/CMComponent.h"

namespace Ruv {
namespace CM {

RImporter::RImporter() { setCancel(&RImporter::cancelQueues); }

RImporter::~RImporter() = default;

const char* RImporter::type() const { return "importer"; }

int RImporter::init(RPtr<RStream> input, std::vector<RQueue*>& queues) {
    m_input = input;
    m_writers.clear();
    m_writers.reserve(queues.size());
    for (RQueue* queue : queues)
        m_writers.push_back(queue ? RPtr<RQFrameWriter>(new RQFrameWriter(queue)) : nullptr);
    return 0;
}

int RImporter::preconfigure(RImporterConfiguration& configuration) {
    m_configuration = new RImporterConfiguration(configuration);
    return 0;
}

void RImporter::stop() {}

void RImporter::cancelQueues(RComponent& component) {
    for (const RPtr<RQFrameWriter>& writer : static_cast<RImporter&>(component).m_writers)
        if (writer && writer->getQueue()) writer->getQueue()->cancel();
}

int RImporter::threadrunloop(void* argument) { return runloop(argument); }

RQFrameWriter* RImporter::getWriter(unsigned index) const {
    return index < m_writers.size() ? m_writers[index].get() : nullptr;
}

}  // namespace CM
}  // namespace Ruv
