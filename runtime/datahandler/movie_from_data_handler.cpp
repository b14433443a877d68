// Opening movies through data handler components: NewMovieFromDataFork64
// with a data handler instance in place of a file, and the data location of
// NewMovieFromProperties that names a data reference.
#include "datahandler/movie_from_data_handler.h"

#include <algorithm>
#include <string>
#include <vector>

#include "audio/sound_warning.h"
#include "components/component_manager.h"
#include "datahandler/component_data_handler.h"
#include "datahandler/data_reference_movies.h"
#include "datahandler/movie_atom_at.h"
#include "movie/movie_objects.h"
#include "movie/movie_open.h"
#include "quicktime/movie_constants.h"

namespace qtrt {

namespace {


int32_t word(const void* pointer) { return int32_t(reinterpret_cast<intptr_t>(pointer)); }

OSErr fail(OSErr err) {
    set_movies_error(err);
    return err;
}

}  // namespace

const DataReferenceRecord* data_location_reference(ItemCount count,
                                                   QTNewMoviePropertyElement* properties) {
    for (ItemCount i = 0; properties != nullptr && i < count; ++i) {
        QTNewMoviePropertyElement& p = properties[i];
        if (p.propClass != kQTPropertyClass_DataLocation ||
            p.propID != kQTDataLocationPropertyID_DataReference)
            continue;
        if (p.propValueSize != sizeof(DataReferenceRecord) || p.propValueAddress == nullptr) {
            p.propStatus = paramErr;
            continue;
        }
        p.propStatus = noErr;
        return static_cast<const DataReferenceRecord*>(p.propValueAddress);
    }
    return nullptr;
}

OSErr new_movie_from_data_reference(const DataReferenceRecord& location, Movie& movie) {
    movie = nullptr;
    if (location.dataRef == nullptr) return fail(paramErr);
    OSErr err = noErr;
    ComponentInstance instance =
        open_data_handler_instance(location.dataRefType, location.dataRef, err);
    if (instance == nullptr) return fail(err);
    // The movie owns the instance from here on.
    auto owner = std::make_shared<component_data_handler>(instance, true);
    Movie built = nullptr;
    int16_t id = 0;
    // What opening the movie says is held until it is known whether the
    // movie is opened again below, which would say the same.
    std::vector<std::string> said, said_again;
    {
        audio::sound_warning_capture capture(said);
        call_component(instance, kDataHGetMovieWithFlagsSelect, {word(&built), word(&id), 0});
    }
    // A handler may answer badComponentSelector and still leave the movie it
    // built in the argument.
    if (movie_object* object = movie_from(built)) {
        for (const std::string& line : said) audio::sound_warning(line);
        object->data = owner;
        movie = built;
        set_movies_error(noErr);
        return noErr;
    }
    // Without a movie from the handler, the movie atom is looked for among the
    // top-level atoms, read through the instance.
    err = owner->open_for_read();
    if (err == noErr) {
        audio::sound_warning_capture capture(said_again);
        err = new_movie_from_data_handler(owner, std::string(), movie);
    }
    for (const std::string& line : said)
        if (std::find(said_again.begin(), said_again.end(), line) == said_again.end())
            audio::sound_warning(line);
    for (const std::string& line : said_again) audio::sound_warning(line);
    return err == noErr ? OSErr(noErr) : fail(err);
}

std::shared_ptr<data_handler> open_data_reference_handler(const data_reference& ref,
                                                          OSErr& error) {
    return open_component_data_handler(ref.type, ref.data, error);
}

OSErr NewMovieFromDataFork64(Movie* theMovie, int32_t fRefNum, const wide* fileOffset,
                             int16_t newMovieFlags, Boolean* dataRefWasChanged) {
    (void)newMovieFlags;
    if (dataRefWasChanged) *dataRefWasChanged = false;
    if (!theMovie || !fileOffset) return fail(paramErr);
    *theMovie = nullptr;
    // Only data handler instances stand for files here: one that cannot read
    // is no file reference.
    auto instance = reinterpret_cast<ComponentInstance>(intptr_t(fRefNum));
    if (component_can_do(instance, kDataHScheduleData64Select) != 1) return fail(paramErr);
    auto data = std::make_shared<component_data_handler>(instance, false);
    const uint64_t offset = uint64_t(uint32_t(fileOffset->hi)) << 32 | fileOffset->lo;
    OSErr err = movie_atom_starts_at(*data, offset);
    if (err != noErr) return fail(err);
    return new_movie_from_data_handler(data, std::string(), *theMovie);
}

}  // namespace qtrt
