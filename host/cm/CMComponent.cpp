#include "lib/cm/CMComponent.h"
