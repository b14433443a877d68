// Every operation of the table has a declaration in quicktime/routines.h.
#include "quicktime/routines.h"

#define X(selector, name, form, result, gate, what, bytes) \
    static_assert(sizeof(&name) == sizeof(void*), #name " is declared");
#include "quicktime/qt_operations.def"
QT_OPERATIONS(X)
#undef X
