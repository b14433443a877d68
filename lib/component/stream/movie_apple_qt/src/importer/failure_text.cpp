#include "importer/failure_text.h"

#include "importer/movie_source.h"
#include "importer/qt_constants.h"
#include "importer/qt_handle.h"
#include "lib/kolmbase/strings.h"
#include "quicktime/routines.h"

namespace ns_movie_apple_qt {

namespace {

struct error_name {
    OSErr code;
    const char* name;
};

const error_name kErrorNames[] = {
    {readErr, "readErr"},
    {eofErr, "eofErr"},
    {fnfErr, "fnfErr"},
    {paramErr, "paramErr"},
    {memFullErr, "memFullErr"},
    {couldNotResolveDataRef, "couldNotResolveDataRef"},
    {cantFindHandler, "cantFindHandler"},
    {invalidMedia, "invalidMedia"},
    {invalidTrack, "invalidTrack"},
    {invalidMovie, "invalidMovie"},
    {invalidTime, "invalidTime"},
    {noMovieFound, "noMovieFound"},
    {badDataRefIndex, "badDataRefIndex"},
};

// GetMediaDataRef's attribute of media in the movie's own file.
constexpr long kSelfReference = 1;
// An alias record holds the file's name as a Pascal string at this offset.
constexpr size_t kAliasFileNameOffset = 50;

// The file a data reference names: an alias record's file name, or the last
// part of a URL; "" for anything else.
std::string referenced_file(OSType type, const uint8_t* data, size_t size) {
    if (type == AliasDataHandlerSubType && size > kAliasFileNameOffset) {
        const size_t length = data[kAliasFileNameOffset];
        if (size - kAliasFileNameOffset - 1 < length) return "";
        return std::string(reinterpret_cast<const char*>(data) + kAliasFileNameOffset + 1, length);
    }
    if (type == URLDataHandlerSubType) {
        std::string url(reinterpret_cast<const char*>(data), size);
        url = url.substr(0, url.find('\0'));
        const size_t slash = url.find_last_of('/');
        return slash == std::string::npos ? url : url.substr(slash + 1);
    }
    return "";
}

// The file of the first data reference of the media that is not the movie's
// own file; "" when there is none.
std::string external_media_file(Media media) {
    int16_t count = 0;
    if (GetMediaDataRefCount(media, &count) != noErr) return "";
    for (int16_t index = 1; index <= count; ++index) {
        Handle data = nullptr;
        OSType type = 0;
        long attributes = 0;
        if (GetMediaDataRef(media, index, &data, &type, &attributes) != noErr) continue;
        owned_handle owned(data);
        if (attributes & kSelfReference) continue;
        const std::string name =
            referenced_file(type, owned.bytes(), size_t(owned.size() > 0 ? owned.size() : 0));
        if (!name.empty()) return name;
    }
    return "";
}

}  // namespace

std::string quicktime_error_text(OSErr error) {
    for (const error_name& e : kErrorNames)
        if (e.code == error)
            return kolmbase::string_with_format("QuickTime error %d, %s", error, e.name);
    return kolmbase::string_with_format("QuickTime error %d", error);
}

std::string media_read_failure(OSErr error, Media media) {
    std::string meaning;
    if (error == eofErr) {
        meaning = "media data lies past the end of the file";
    } else if (error == couldNotResolveDataRef || error == fnfErr) {
        const std::string file = external_media_file(media);
        meaning = file.empty() ? "the file holding the media cannot be found"
                               : "media is in '" + file + "', which is not there";
    } else if (error == readErr) {
        meaning = "the file cannot be read";
    } else {
        meaning = "QuickTime cannot read it";
    }
    return meaning + " (" + quicktime_error_text(error) + ")";
}

}  // namespace ns_movie_apple_qt
