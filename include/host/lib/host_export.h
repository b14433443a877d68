// Symbol visibility for the host framework's shared modules.
// Each module defines its own *_BUILDING macro while it is compiled, so its
// declarations export there and import everywhere else.
#pragma once

#if defined(_WIN32)
#define HOST_DLL_EXPORT __declspec(dllexport)
#define HOST_DLL_IMPORT __declspec(dllimport)
#else
#define HOST_DLL_EXPORT __attribute__((visibility("default")))
#define HOST_DLL_IMPORT __attribute__((visibility("default")))
#endif

#if defined(KOLMBASE_BUILDING)
#define KOLMBASE_API HOST_DLL_EXPORT
#else
#define KOLMBASE_API HOST_DLL_IMPORT
#endif

#if defined(RUV_BUILDING)
#define RUV_API HOST_DLL_EXPORT
#else
#define RUV_API HOST_DLL_IMPORT
#endif

#if defined(CM_BUILDING)
#define CM_API HOST_DLL_EXPORT
#else
#define CM_API HOST_DLL_IMPORT
#endif

#if defined(RUVREPORT_BUILDING)
#define RUVREPORT_API HOST_DLL_EXPORT
#else
#define RUVREPORT_API HOST_DLL_IMPORT
#endif
