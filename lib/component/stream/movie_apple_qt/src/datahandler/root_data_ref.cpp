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

void dispose_data_ref_tree(CMDataRef* root) {
    if (!root) return;
    // A parent does not own its children: each is freed here, deepest first.
    const std::vector<CMDataRef*> children = root->get_children();
    for (CMDataRef* child : children) dispose_data_ref_tree(child);
    delete root;
}

DataReferenceRecord data_location_for(CMDataRef* ref) {
    return DataReferenceRecord{kDataHandlerSubType, handle_from_data_ref(ref)};
}

}  // namespace datahandler
