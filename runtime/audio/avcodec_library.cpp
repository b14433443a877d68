#include "audio/avcodec_library.h"

#include <dlfcn.h>

#include <mutex>

#include <libavcodec/version_major.h>
#include <libavutil/macros.h>
#include <libavutil/version.h>

namespace qtrt::audio {
namespace {

constexpr const char* kAvcodecName = "libavcodec.so." AV_STRINGIFY(LIBAVCODEC_VERSION_MAJOR);
constexpr const char* kAvutilName = "libavutil.so." AV_STRINGIFY(LIBAVUTIL_VERSION_MAJOR);

struct loaded {
    avcodec_library functions;
    bool ok = false;
    std::string why;
};

loaded load() {
    loaded l;
    void* avutil = dlopen(kAvutilName, RTLD_NOW | RTLD_LOCAL);
    void* avcodec = avutil ? dlopen(kAvcodecName, RTLD_NOW | RTLD_LOCAL) : nullptr;
    if (!avcodec) {
        const char* error = dlerror();
        l.why = error ? error : "cannot load libavcodec";
        return l;
    }
#define QTRT_LIBAV_FIND(name, library)                                                          \
    l.functions.name = reinterpret_cast<decltype(l.functions.name)>(dlsym(library, #name));     \
    if (!l.functions.name) {                                                                    \
        l.why = std::string(#name) + " is missing from " + (library == avcodec ? kAvcodecName : kAvutilName); \
        return l;                                                                               \
    }
    QTRT_LIBAV_FUNCTIONS(QTRT_LIBAV_FIND)
#undef QTRT_LIBAV_FIND
    // The libraries stay loaded: decoders of them may live to the end.
    l.functions.av_log_set_level(AV_LOG_QUIET);
    l.ok = true;
    return l;
}

}  // namespace

const avcodec_library* load_avcodec(std::string* why) {
    static loaded* libraries = nullptr;
    static std::once_flag once;
    std::call_once(once, [] { libraries = new loaded(load()); });
    if (!libraries->ok) {
        if (why) *why = libraries->why;
        return nullptr;
    }
    return &libraries->functions;
}

}  // namespace qtrt::audio
