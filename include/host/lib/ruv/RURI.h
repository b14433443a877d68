// A counted URI (or plain path) naming a host stream.
#pragma once

#include "lib/host_export.h"
#include "lib/kolmbase/object_refcount.h"
#include "lib/ruv/CString.h"

namespace Ruv {

class RUV_API RURI : public kolmbase::object_refcount {
public:
    explicit RURI(const CString& text);

    const CString& getString() const { return m_text; }
    // The scheme without ':' ("" for a plain path or a drive path).
    CString getScheme() const;

private:
    CString m_text;
};

}  // namespace Ruv
