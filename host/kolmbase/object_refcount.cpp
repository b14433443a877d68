#include "lib/kolmbase/object_refcount.h"
