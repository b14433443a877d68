// Symbol visibility of the classes the plug-in module exports from the reader
// library (data references and the QuickTime value classes). Everything that
// links the reader library is part of the module; other modules see the
// classes as imports.
#pragma once

#if defined(_WIN32)
#if defined(MOVIE_APPLE_QT_BUILDING)
#define MOVIE_APPLE_QT_API __declspec(dllexport)
#else
#define MOVIE_APPLE_QT_API __declspec(dllimport)
#endif
#else
#define MOVIE_APPLE_QT_API __attribute__((visibility("default")))
#endif
