#ifndef PLAY_SESSION_H
#define PLAY_SESSION_H

#include <cstdint>
#include <string>

class InputStream;

// The game played as a stream of inputs. Each mode returns the process's
// exit status; messages go to standard error, results to standard output.
namespace play {

// A hash of the data files the game's course depends on, in the current
// directory: the level, and every animation list with the files it names.
uint64_t dataHash();

// One player at the keyboard, the inputs recorded into file when Escape
// ends the game.
int record(const std::string& file);

// The stream in file played again, at the normal pace or as fast as it
// goes, showing only its last frame; 0 when every check agrees.
int replay(const std::string& file, bool fast);

// The stream in file, if this game can play it on the data files of hash
// data; else false after saying why ("replay: ...").
bool loadPlayable(const std::string& file, uint64_t data, InputStream* stream);

// Writes stream to file; false after saying why ("record: ...").
bool saveStream(const InputStream& stream, const std::string& file);

}  // namespace play

#endif
