// What ruv-import says of a movie from the file itself, beside the
// importer's account: tracks whose tables cannot be read, sound the
// extraction cannot have decoded, and why a movie did not open.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "file_survey.h"

namespace ruv_import {

// One warning for every track of the movie atom (tracks, as file_tracks reads
// them from the file at path) whose tables describe no sample that can be
// read: "track 2 ('vide') of 'x.mov' is left out: its chunk offset table is
// empty".
std::vector<std::string> unreadable_track_notes(const std::vector<file_track>& tracks,
                                                const std::string& path);

// A warning when the extraction delivers fewer channels than the enabled
// sound tracks surely hold (a stored format holds its description's count,
// a compressed one at least one); "" otherwise. extracted: the sound
// stream's channel count, 0 without a sound stream.
std::string undecodable_sound_note(const std::vector<file_track>& tracks,
                                   const std::string& path, uint32_t extracted);

// An importer's line with what the file itself shows: on a movie it could
// not open, the cause it gave is replaced by the file's, when the file shows
// why ("cannot open 'x.mov': movie atom cut short at byte 1024 (QuickTime
// error -2010, invalidMovie)"); media data past the end of the file is said
// with the file's size ("... past the end of the file (22682 bytes) (...").
// The line as it is otherwise.
std::string with_file_facts(const std::string& note, const std::string& path);

}  // namespace ruv_import
