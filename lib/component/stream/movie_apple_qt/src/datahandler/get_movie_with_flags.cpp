// GetMovieWithFlags: the data handler builds the movie itself. It finds the
// movie atom in the stream, has QuickTime build the movie from it without
// resolving data references, and then points the movie's media at data
// references of this handler: media in the movie's own file at the instance's
// own reference, media behind an alias at a child data reference.
#include <cstdint>
#include <string>

#include "datahandler/CMDataRef.h"
#include "datahandler/alias_resolve.h"
#include "datahandler/data_handler_routines.h"
#include "datahandler/handle_data_ref.h"
#include "datahandler/movie_atom_walk.h"
#include "datahandler/wide_value.h"
#include "lib/kolmbase/ds_og.h"
#include "lib/kolmbase/strings.h"
#include "quicktime/routines.h"

namespace datahandler {

namespace {

// newMovieDontResolveDataRefs and newMovieDontAskUnresolvedDataRefs.
constexpr int16_t kDontResolveDataRefs = 2;
constexpr int16_t kDontAskUnresolvedDataRefs = 4;
// The attributes of a resolved reference to the movie's own file.
constexpr long kSelfReference = 1;

void print_message(const std::string& message) {
    kolmbase::ds_og::print(1, "<datah> %s", message.c_str());
}

// Reads through this instance, as QuickTime would: a synchronous
// DataHScheduleData64 without schedule record or completion.
ComponentResult read_through_self(storage* s, uint64_t offset, void* destination, long count) {
    const wide at = to_wide(offset);
    return DataHScheduleData64(s->self, static_cast<Ptr>(destination), &at, count, 0, nullptr,
                               nullptr);
}

// Points one alias data reference at a child data reference for the file it
// resolves to. Answers the new status: unchanged when the alias is skipped.
ComponentResult repoint_alias(storage* s, Media media, int16_t index, Handle alias,
                              ComponentResult status) {
    CMDataRef* parent = data_ref_from_handle(s->data_ref);
    if (parent == nullptr) return status;
    char* path = resolve_reference(s, alias, s->resolve_method);
    if (path == nullptr) return status;
    const std::string target(path);
    delete[] path;
    kolmbase::ds_og::print(6, "<datah> Resolved reference in '%s' => '%s'\n",
                           parent->get_url().c_str(), target.c_str());
    CMDataRef* child = parent->spawn_new_data_ref(target);
    if (child == nullptr) {
        print_message(kolmbase::string_with_format("Failed to create data ref from url, '%s'",
                                                   target.c_str()));
        return invalidDataRef;
    }
    Handle h = handle_from_data_ref(child);
    if (h == nullptr) {
        print_message(kolmbase::string_with_format(
            "Failed to create handle from data reference, '%s'", target.c_str()));
        return invalidDataRef;
    }
    const OSErr r = SetMediaDataRef(media, index, h, kDataHandlerSubType);
    if (r != noErr) {
        print_message(kolmbase::string_with_format("Failed to resolve data reference for '%s' (%d)",
                                                   target.c_str(), int(r)));
        return r;
    }
    return status;
}

// Re-points every data reference of the media. A negative status ends the
// walk of the movie.
ComponentResult repoint_media(storage* s, Media media, ComponentResult status) {
    int16_t count = 0;
    if (GetMediaDataRefCount(media, &count) != noErr) return status;
    // A wide index: a 16-bit one would wrap before passing a count of 32767.
    for (int32_t wide_index = 1; wide_index <= count && status >= 0; ++wide_index) {
        const int16_t index = int16_t(wide_index);
        Handle ref = nullptr;
        OSType type = 0;
        long attributes = 0;
        if (GetMediaDataRef(media, index, &ref, &type, &attributes) != noErr) continue;
        kolmbase::ds_og::print(6, "<datah> GetMediaDataRef = '%s', attributes=0x%08x\n",
                               kolmbase::string_with_fourcc(type).c_str(), unsigned(attributes));
        if (attributes == kSelfReference) {
            const OSErr r = SetMediaDataRef(media, index, s->data_ref, kDataHandlerSubType);
            if (r != noErr) {
                print_message(kolmbase::string_with_format("Failed to SetMediaDataRef, %d", int(r)));
                status = r;
            }
        } else if (type == AliasDataHandlerSubType) {
            status = repoint_alias(s, media, index, ref, status);
        }
        if (ref != nullptr) DisposeHandle(ref);
    }
    return status;
}

}  // namespace

ComponentResult GetMovieWithFlags(storage* s, Movie* theMovie, int16_t*, int16_t flags) {
    kolmbase::ds_og::print(6, "<datah> GetMovieWithFlags: 0x%04x\n", unsigned(uint16_t(flags)));
    if (s == nullptr) return badComponentSelector;
    wide file_size{};
    if (DataHGetFileSize64(s->self, &file_size) < 0) return badComponentSelector;
    uint64_t movie_offset = 0;
    const ComponentResult found = find_movie_atom(
        from_wide(file_size),
        [s](uint64_t offset, void* destination, long count) {
            return read_through_self(s, offset, destination, count);
        },
        movie_offset);
    if (found != noErr) return badComponentSelector;

    const wide offset = to_wide(movie_offset);
    Boolean changed = false;
    ComponentResult status = NewMovieFromDataFork64(
        theMovie, long(reinterpret_cast<intptr_t>(s->self)), &offset,
        int16_t(flags | kDontResolveDataRefs | kDontAskUnresolvedDataRefs), &changed);
    if (status >= 0 && theMovie != nullptr && *theMovie != nullptr) {
        // The track count is asked again before each track.
        for (long i = 1; i <= GetMovieTrackCount(*theMovie) && status >= 0; ++i) {
            Track track = GetMovieIndTrack(*theMovie, i);
            Media media = track != nullptr ? GetTrackMedia(track) : nullptr;
            if (media != nullptr) status = repoint_media(s, media, status);
        }
    }
    if (status != noErr) {
        kolmbase::ds_og::print(1, "<datah> GetMovieWithFlags failed, %d\n", int(status));
    }
    // QuickTime takes the movie from theMovie; the answer is always that of a
    // call not implemented.
    return badComponentSelector;
}

}  // namespace datahandler
