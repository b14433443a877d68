// Symbol visibility of the plug-in module. Everything is hidden unless marked
// with APPLE_QT_API: the factory and the classes the module exports by name.
#pragma once

#if defined(_WIN32)
#if defined(APPLE_QT_BUILDING)
#define APPLE_QT_API __declspec(dllexport)
#else
#define APPLE_QT_API __declspec(dllimport)
#endif
#else
#define APPLE_QT_API __attribute__((visibility("default")))
#endif
