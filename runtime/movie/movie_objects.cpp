#include "movie/movie_objects.h"

#include <mutex>
#include <map>

namespace qtrt {
namespace {

std::mutex& registry_mutex() {
    static std::mutex m;
    return m;
}

std::map<const void*, object_kind>& registry() {
    static std::map<const void*, object_kind> objects;
    return objects;
}

thread_local OSErr t_movies_error = noErr;

}  // namespace

void register_object(const void* reference, object_kind kind) {
    std::lock_guard<std::mutex> lock(registry_mutex());
    registry()[reference] = kind;
}

void unregister_object(const void* reference) {
    std::lock_guard<std::mutex> lock(registry_mutex());
    registry().erase(reference);
}

bool is_registered(const void* reference, object_kind kind) {
    if (!reference) return false;
    std::lock_guard<std::mutex> lock(registry_mutex());
    auto it = registry().find(reference);
    return it != registry().end() && it->second == kind;
}

movie_object* movie_from(Movie movie) {
    // A Movie is the address of a movie object's master pointer; the registry
    // holds that address.
    if (!is_registered(movie, object_kind::movie)) return nullptr;
    return (*movie)->object;
}

track_object* track_from(Track track) {
    return is_registered(track, object_kind::track) ? reinterpret_cast<track_object*>(track) : nullptr;
}

media_object* media_from(Media media) {
    return is_registered(media, object_kind::media) ? reinterpret_cast<media_object*>(media) : nullptr;
}

user_data_object* user_data_from(UserData user_data) {
    return is_registered(user_data, object_kind::user_data) ? reinterpret_cast<user_data_object*>(user_data) : nullptr;
}

void set_movies_error(OSErr error) { t_movies_error = error; }
OSErr movies_error() { return t_movies_error; }

UserData new_user_data(std::vector<user_data_item> items) {
    auto* object = new user_data_object;
    object->items = std::move(items);
    UserData reference = reinterpret_cast<UserData>(object);
    register_object(reference, object_kind::user_data);
    return reference;
}

void delete_user_data(UserData user_data) {
    user_data_object* object = user_data_from(user_data);
    if (!object) return;
    unregister_object(object);
    delete object;
}

}  // namespace qtrt
