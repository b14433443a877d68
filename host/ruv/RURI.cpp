#include "lib/ruv/RURI.h"

#include "lib/kolmbase/strings.h"

namespace Ruv {

RURI::RURI(const CString& text) : m_text(text) {}

CString RURI::getScheme() const { return CString(kolmbase::url_scheme(m_text.str())); }

}  // namespace Ruv
