// The live objects behind the references the Movie Toolbox hands out: movies,
// tracks, media, user data lists and time bases; the registry that tells a
// live reference from anything else, and the Movie Toolbox's last error.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "movie/data_handler.h"
#include "movie/model.h"
#include "quicktime/movies.h"

namespace qtrt {
class movie_object;
}

// The master pointer record a Movie (a MovieType**) points to.
struct MovieType {
    qtrt::movie_object* object;
};

namespace qtrt {

class movie_object;
class track_object;

class media_object {
public:
    track_object* track = nullptr;
    const media_model* model = nullptr;
    // The media handler instance, opened on first request.
    MediaHandler handler = nullptr;
    // Data handlers of the data references other than the movie's own file,
    // opened on first read, by data reference index.
    std::map<uint32_t, std::shared_ptr<data_handler>> data;
    // The sample descriptions in the machine's byte order, by index from 0,
    // each converted on first request: a reader asks for one with every
    // sample.
    std::vector<std::vector<uint8_t>> native_descriptions;
};

class track_object {
public:
    movie_object* movie = nullptr;
    const track_model* model = nullptr;
    media_object media;
};

class time_base_object {
public:
    movie_object* movie = nullptr;
};

class movie_object {
public:
    MovieType record{this};
    MovieType* master = &record;
    movie_model model;
    std::shared_ptr<data_handler> data;  // the file that holds the movie atom
    std::string path;                    // its file-system path
    std::vector<std::unique_ptr<track_object>> tracks;
    time_base_object time_base;
    int64_t current_time = 0;
    bool active = false;
    int32_t play_hints = 0;
    UserData user_data = nullptr;  // made on first request

    Movie reference() { return &master; }
};

class user_data_object {
public:
    std::vector<user_data_item> items;
    bool owned_by_movie = false;  // a movie's own list: DisposeUserData leaves it
};

// Registers and unregisters live objects by the reference handed out.
enum class object_kind { movie, track, media, user_data };
void register_object(const void* reference, object_kind kind);
void unregister_object(const void* reference);
bool is_registered(const void* reference, object_kind kind);

// The live object behind a reference, or null.
movie_object* movie_from(Movie movie);
track_object* track_from(Track track);
media_object* media_from(Media media);
user_data_object* user_data_from(UserData user_data);

inline Track track_reference_of(track_object* t) { return reinterpret_cast<Track>(t); }
inline Media media_reference_of(media_object* m) { return reinterpret_cast<Media>(m); }

// The Movie Toolbox's last result for the calling thread.
void set_movies_error(OSErr error);
OSErr movies_error();

// A user data list as a new reference (owned by the caller, released with
// DisposeUserData) or, for a movie's own list, owned by the movie.
UserData new_user_data(std::vector<user_data_item> items);
void delete_user_data(UserData user_data);

}  // namespace qtrt
