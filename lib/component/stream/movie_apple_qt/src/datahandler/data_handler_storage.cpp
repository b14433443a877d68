#include "datahandler/data_handler_storage.h"

#include "datahandler/CMDataRef.h"
#include "datahandler/handle_data_ref.h"
#include "lib/kolmbase/ds_og.h"

namespace datahandler {

CMDataRef* stored_data_ref(const storage* s) {
    if (s == nullptr || s->data_ref == nullptr) return nullptr;
    return data_ref_from_handle(s->data_ref);
}

void log_data_ref_info(const storage* s) {
    CMDataRef* ref = stored_data_ref(s);
    if (ref == nullptr) {
        kolmbase::ds_og::print(6, "<datah> Data ref is NULL\n");
        return;
    }
    kolmbase::ds_og::print(6, "<datah> Data ref info, ptr : %p\n", static_cast<void*>(ref));
    kolmbase::ds_og::print(6, "<datah> Data ref info, URI : %s\n", ref->get_url().c_str());
    kolmbase::ds_og::print(6, "<datah> Data ref info, size: %lld\n",
                           static_cast<long long>(ref->size()));
}

}  // namespace datahandler
