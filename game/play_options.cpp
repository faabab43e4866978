#include "play_options.h"

#include <cstdlib>
#include <cstring>

namespace {

const long MAX_PORT = 65535;

bool parsePort(const std::string& text, int* port) {
  char* end = nullptr;
  const long value = strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || text[0] == '-' || text[0] == '+' || value < 1 || value > MAX_PORT) {
    return false;
  }
  *port = static_cast<int>(value);
  return true;
}

}  // namespace

const char PlayOptions::USAGE[] =
    "usage: plateforme [--record FILE]\n"
    "       plateforme --replay FILE [--fast]\n"
    "       plateforme --host PORT | --join HOST:PORT [--record FILE] [--replay FILE]\n";

bool PlayOptions::parse(int argc, const char* const* argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    const bool hasValue = i + 1 < argc;
    if (option == "--fast") {
      fast = true;
    } else if (!hasValue || argv[i + 1][0] == '\0') {
      return false;
    } else if (option == "--record" && record.empty()) {
      record = argv[++i];
    } else if (option == "--replay" && replay.empty()) {
      replay = argv[++i];
    } else if (option == "--host" && mode == PLAY) {
      mode = HOST;
      if (!parsePort(argv[++i], &port)) return false;
    } else if (option == "--join" && mode == PLAY) {
      mode = JOIN;
      const std::string where = argv[++i];
      const size_t colon = where.rfind(':');
      if (colon == std::string::npos || colon == 0 || !parsePort(where.substr(colon + 1), &port)) return false;
      host = where.substr(0, colon);
    } else {
      return false;
    }
  }
  // Alone, a replay is watched: it records nothing and may be fast. With
  // two, it is the script of this side's player.
  if (mode == PLAY && !replay.empty()) mode = REPLAY;
  return mode == REPLAY ? record.empty() : !fast;
}
