#include "importer/movie_source.h"

#include "datahandler/CMStreamDataRef.h"
#include "datahandler/root_data_ref.h"
#include "importer/config.h"
#include "importer/qt_constants.h"
#include "quicktime/routines.h"

namespace ns_movie_apple_qt {

namespace {

// Releases a CoreFoundation object when the scope ends.
class cf_holder {
public:
    explicit cf_holder(CFTypeRef object) : m_object(object) {}
    ~cf_holder() {
        if (m_object) CFRelease(m_object);
    }
    cf_holder(const cf_holder&) = delete;
    cf_holder& operator=(const cf_holder&) = delete;

private:
    CFTypeRef m_object;
};

// The path of a file the settings name, without a "file://" scheme.
std::string local_path(const char* path) {
    std::string text = path ? path : "";
    const std::string scheme = "file://";
    if (text.compare(0, scheme.size(), scheme) == 0) text.erase(0, scheme.size());
    return text;
}

std::string last_part(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

CFStringRef constant(const char* text) { return __CFStringMakeConstantString(text); }

bool quicktime_is_recent_enough(OSErr& error) {
    long version = 0;
    error = Gestalt(gestaltQuickTimeVersion, &version);
    return error == noErr && version >= qtcode::kMinimumQuickTimeVersion;
}

// NewMovieFromProperties with the data location, no interaction with the
// user and no questions about unresolved references.
Movie new_movie(QTPropertyID location_id, ByteCount location_size, void* location,
                OSErr& error) {
    Boolean yes = 1;
    Boolean also_yes = 1;
    QTNewMoviePropertyElement properties[3] = {
        {kQTPropertyClass_DataLocation, location_id, location_size, location, 0},
        {kQTPropertyClass_NewMovieProperty, kQTNewMoviePropertyID_DontInteractWithUser, 1, &yes, 0},
        {kQTPropertyClass_MovieInstantiation,
         kQTMovieInstantiationPropertyID_DontAskUnresolvedDataRefs, 1, &also_yes, 0},
    };
    Movie result = nullptr;
    error = NewMovieFromProperties(3, properties, 0, nullptr, &result);
    if (error != noErr) return nullptr;
    return result;
}

// The file URL QuickTime opens for a path: a UNC path as a Windows path,
// any other path escaped behind "file:///" unless it is a file URL already.
// Null when no URL can be made; the caller releases it.
CFURLRef file_url_from_path(const char* path) {
    CFStringRef text = CFStringCreateWithCString(nullptr, path, kCFStringEncodingUTF8);
    if (!text) return nullptr;
    cf_holder text_holder(text);

    bool unc = CFStringHasPrefix(text, constant("\\\\"));
    CFMutableStringRef url_text = CFStringCreateMutable(nullptr, 0);
    if (!url_text) return nullptr;
    cf_holder url_text_holder(url_text);
    if (unc) {
        CFStringAppend(url_text, constant("file:"));
    } else if (!CFStringHasPrefix(text, constant("file:/")) &&
               !CFStringHasPrefix(text, constant("file+iseq:/"))) {
        CFStringAppend(url_text, constant("file:///"));
    }
    CFStringAppend(url_text, text);
    CFStringFindAndReplace(url_text, constant("\\"), constant("/"),
                           CFRange{0, CFStringGetLength(url_text)}, 0);

    CFStringRef unescaped =
        CFURLCreateStringByReplacingPercentEscapes(nullptr, url_text, constant(""));
    cf_holder unescaped_holder(unescaped);
    CFStringRef escaped =
        unescaped ? CFURLCreateStringByAddingPercentEscapes(nullptr, unescaped, nullptr, nullptr,
                                                            kCFStringEncodingUTF8)
                  : nullptr;
    cf_holder escaped_holder(escaped);

    if (unc) return CFURLCreateWithFileSystemPath(nullptr, text, kCFURLWindowsPathStyle, 0);
    if (!escaped) return nullptr;
    return CFURLCreateWithString(nullptr, escaped, nullptr);
}

Movie open_path_movie(const char* path, OSErr& error) {
    if (!path || !quicktime_is_recent_enough(error)) return nullptr;
    CFURLRef url = file_url_from_path(path);
    if (!url) return nullptr;
    cf_holder url_holder(url);
    return new_movie(kQTDataLocationPropertyID_CFURL, sizeof(CFURLRef), &url, error);
}

// The movie read through the plug-in's data handler: a 'zvh ' handle data
// reference carrying ref, disposed once QuickTime has the movie (QuickTime
// keeps its own copy for the data handler instance).
Movie open_data_ref_movie(CMStreamDataRef* ref, OSErr& error) {
    if (!ref || !quicktime_is_recent_enough(error)) return nullptr;
    DataReferenceRecord location = datahandler::data_location_for(ref);
    if (!location.dataRef) return nullptr;
    Movie movie =
        new_movie(kQTDataLocationPropertyID_DataReference, sizeof(location), &location, error);
    DisposeHandle(location.dataRef);
    return movie;
}

}  // namespace

long quicktime_version() {
    long version = 0;
    return Gestalt(gestaltQuickTimeVersion, &version) == noErr ? version : 0;
}

Movie open_source_movie(OSErr& error) {
    error = noErr;
    const config& settings = config::instance();
    switch (settings.source_kind()) {
    case config::source_path:
        return open_path_movie(settings.path(), error);
    case config::source_data_ref:
        return open_data_ref_movie(settings.data_ref(), error);
    default:
        return nullptr;
    }
}

std::string source_name() {
    const config& settings = config::instance();
    if (settings.source_kind() == config::source_path)
        return last_part(local_path(settings.path()));
    if (settings.source_kind() == config::source_data_ref && settings.data_ref())
        return last_part(settings.data_ref()->get_url());
    return "";
}

}  // namespace ns_movie_apple_qt
