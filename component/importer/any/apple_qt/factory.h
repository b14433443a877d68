// The module's one factory, exported undecorated: the host finds it by name
// after loading the module.
#pragma once

#include "apple_qt_export.h"
#include "lib/cm/CMComponent.h"

// A new, independent importer that the caller takes over (its count starts at
// 0); null when it cannot be made.
extern "C" APPLE_QT_API Ruv::CM::RImporter* getComponentInstance();
