// Movie Toolbox routines of user data: a movie's list, the walk over its types
// and items, text items, and disposing a list made for the caller.
#include <algorithm>
#include <cstring>

#include "memory/memory_manager.h"
#include "format/atom_walk.h"
#include "movie/movie_objects.h"
#include "movie/movie_toolbox.h"
#include "quicktime/movie_constants.h"

namespace qtrt {

using qt_format::atom_reader;

namespace {

// The index-th item (from 1) of a type; null when there is none.
const user_data_item* find_item(const user_data_object& list, OSType type, int32_t index) {
    int32_t seen = 0;
    for (const user_data_item& item : list.items)
        if (item.type == type && ++seen == index) return &item;
    return nullptr;
}

OSErr fill_handle(Handle h, const uint8_t* data, size_t size) {
    if (!h) return nilHandleErr;
    SetHandleSize(h, Size(size));
    if (MemError() != noErr) return MemError();
    if (size) std::memcpy(*h, data, size);
    return noErr;
}

OSErr answer(OSErr err) {
    set_movies_error(err);
    return err;
}

}  // namespace

UserData GetMovieUserData(Movie theMovie) {
    movie_object* movie = movie_from(theMovie);
    if (!movie) {
        set_movies_error(invalidMovie);
        return nullptr;
    }
    if (!movie->user_data) {
        movie->user_data = new_user_data(movie->model.user_data);
        user_data_from(movie->user_data)->owned_by_movie = true;
    }
    set_movies_error(noErr);
    return movie->user_data;
}

int16_t CountUserDataType(UserData theUserData, OSType udType) {
    user_data_object* list = user_data_from(theUserData);
    if (!list) {
        set_movies_error(paramErr);
        return 0;
    }
    int16_t count = 0;
    for (const user_data_item& item : list->items)
        if (item.type == udType && count < 0x7FFF) ++count;
    set_movies_error(noErr);
    return count;
}

// The type that follows udType in the order of first appearance; the first
// type for 0; 0 after the last.
int32_t GetNextUserDataType(UserData theUserData, OSType udType) {
    user_data_object* list = user_data_from(theUserData);
    if (!list) {
        set_movies_error(paramErr);
        return 0;
    }
    set_movies_error(noErr);
    std::vector<OSType> types;
    for (const user_data_item& item : list->items)
        if (std::find(types.begin(), types.end(), item.type) == types.end()) types.push_back(item.type);
    if (udType == 0) return types.empty() ? 0 : int32_t(types.front());
    auto it = std::find(types.begin(), types.end(), udType);
    if (it == types.end() || ++it == types.end()) return 0;
    return int32_t(*it);
}

OSErr GetUserData(UserData theUserData, Handle data, OSType udType, int32_t index) {
    user_data_object* list = user_data_from(theUserData);
    if (!list) return answer(paramErr);
    const user_data_item* item = find_item(*list, udType, index);
    if (!item) return answer(userDataItemNotFound);
    return answer(fill_handle(data, item->data.data(), item->data.size()));
}

// A text item holds one or more entries of a 16-bit length, a 16-bit language
// code and the text. The region code is matched with the language code of
// the same number (region 0, the United States, with language 0, English).
OSErr GetUserDataText(UserData theUserData, Handle data, OSType udType, int32_t index,
                      int16_t itlRegionTag) {
    user_data_object* list = user_data_from(theUserData);
    if (!list) return answer(paramErr);
    const user_data_item* item = find_item(*list, udType, index);
    if (!item) return answer(userDataItemNotFound);
    atom_reader r(item->data.data(), item->data.size());
    uint16_t length = 0, language = 0;
    while (r.read_u16(length) && r.read_u16(language)) {
        const uint8_t* text = r.current();
        if (!r.skip(length)) break;
        if (int16_t(language) == itlRegionTag) return answer(fill_handle(data, text, length));
    }
    return answer(userDataItemNotFound);
}

OSErr DisposeUserData(UserData theUserData) {
    user_data_object* list = user_data_from(theUserData);
    if (!list) return answer(paramErr);
    if (!list->owned_by_movie) delete_user_data(theUserData);
    return answer(noErr);
}

}  // namespace qtrt
