#include "lib/ruvreport/reporter.h"
