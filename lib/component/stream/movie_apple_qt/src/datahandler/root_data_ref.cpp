#include "datahandler/root_data_ref.h"

#include <map>

#include "datahandler/handle_data_ref.h"
#include "lib/kolmbase/strings.h"

namespace datahandler {

CMStreamDataRef* create_root_data_ref(Ruv::RPtr<Ruv::CM::RStream> input,
                                      const std::string& static_resolves) {
    auto* root = new CMStreamDataRef(std::move(input));
    const std::map<std::string, std::string> pairs =
        kolmbase::strutil::kvmap_with_kvstr(static_resolves, ';', '=');
    for (const auto& pair : pairs) root->add_resolve(pair.first, pair.second);
    return root;
}

DataReferenceRecord data_location_for(CMDataRef* ref) {
    return DataReferenceRecord{kDataHandlerSubType, handle_from_data_ref(ref)};
}

}  // namespace datahandler
