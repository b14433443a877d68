#include "lib/ruv/CString.h"
