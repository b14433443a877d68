// The root of the data-reference tree for an import through the data handler:
// a stream data reference on the importer's input stream with its static
// resolves, and the QuickTime data location that opens a movie from it.
#pragma once

#include <string>

#include "datahandler/CMStreamDataRef.h"
#include "quicktime/movies.h"

namespace datahandler {

// A new CMStreamDataRef on the already opened input, with one static resolve
// per "key=value" pair of static_resolves (pairs separated by ';'), added in
// ascending key order. QuickTime may hold handle data references to it while
// a movie is open, so it lives until dispose_data_ref_tree.
CMStreamDataRef* create_root_data_ref(Ruv::RPtr<Ruv::CM::RStream> input,
                                      const std::string& static_resolves);

// Frees root and every data reference spawned below it, which releases their
// streams; only once no movie opened through them is open any more. A process
// that imports movie after movie would otherwise keep every input open.
void dispose_data_ref_tree(CMDataRef* root);

// The value of the 'dloc'/'dref' movie property for ref: a new handle data
// reference of type 'zvh ' (null handle when it cannot be made). The caller
// disposes the handle once the movie is open.
DataReferenceRecord data_location_for(CMDataRef* ref);

}  // namespace datahandler
