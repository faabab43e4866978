#include "play_session.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#include "demo_game.h"
#include "fnv1a.h"
#include "input_stream.h"
#include "step_feed.h"
#include "zel_input_keyboard_sdl.h"
#include "zel_timer_sdl.h"

namespace play {

namespace {

const char* const LEVEL_FILES[] = {"dirod.tle", "dirod.map"};
const char* const ANIMATION_LISTS[] = {"mouche.dat", "player1.dat", "bullet.dat", "shit.dat", "soldier.dat"};
// The name, a zero byte, the file's length in decimal, a zero byte and its bytes.
std::string addFile(Fnv1a* hash, const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::string head = name + '\0' + std::to_string(bytes.size()) + '\0';
  hash->addBytes(head.data(), head.size());
  hash->addBytes(bytes.data(), bytes.size());
  return bytes;
}

}  // namespace

uint64_t dataHash() {
  Fnv1a hash;
  for (const char* name : LEVEL_FILES) addFile(&hash, name);
  for (const char* list : ANIMATION_LISTS) {
    std::istringstream names(addFile(&hash, list));
    for (std::string name; names >> name;) addFile(&hash, name);
  }
  return hash.value();
}

bool saveStream(const InputStream& stream, const std::string& file) {
  std::string error;
  if (stream.save(file, &error)) return true;
  fprintf(stderr, "record: %s\n", error.c_str());
  return false;
}

int record(const std::string& file) {
  DemoGame game(DemoGame::ONE_HELD);
  InputStream stream({demo::RATE, dataHash(), InputStream::SOLO, 1});
  StepFeed feed([&] {
    const uint8_t bits = HeldInput::sample(*game.keyboard);
    game.held[0].hold(bits);
    stream.addStep(&bits);
  });
  do {
    game.timer->setReftime();
    game.frame();
    if (stream.steps() % InputStream::CHECK_PERIOD == 0) stream.addCheck(game.stateHash());
    game.timer->waitWhile();
  } while (!game.held[0].go_escape());
  return saveStream(stream, file) ? 0 : 1;
}

bool loadPlayable(const std::string& file, uint64_t data, InputStream* stream) {
  std::string error;
  if (!InputStream::load(file, stream, &error)) {
    fprintf(stderr, "replay: %s\n", error.c_str());
    return false;
  }
  if (stream->header().rate != demo::RATE) {
    fprintf(stderr, "replay: %s was recorded at %u steps a second, not %u\n", file.c_str(),
            static_cast<unsigned>(stream->header().rate), demo::RATE);
    return false;
  }
  if (stream->header().dataHash != data) {
    fprintf(stderr, "replay: %s was recorded with other data files\n", file.c_str());
    return false;
  }
  return true;
}

int replay(const std::string& file, bool fast) {
  InputStream stream({});
  if (!loadPlayable(file, dataHash(), &stream)) return 1;
  const int players = stream.header().players;
  DemoGame game(players == 2 ? DemoGame::TWO_HELD : DemoGame::ONE_HELD);
  InputStream::Reader reader(stream);
  uint8_t inputs[InputStream::MAX_PLAYERS];
  while (reader.next(inputs)) {
    for (int p = 0; p < players; ++p) game.held[p].hold(inputs[p]);
    game.timer->setReftime();
    if (fast) {
      game.quietFrame();
    } else {
      game.frame();
    }
    InputStream::Check check;
    if (reader.checkHere(&check) && check.hash != game.stateHash()) {
      printf("replay: diverges at step %u\n", check.step);
      return 1;
    }
    if (!fast) game.timer->waitWhile();
  }
  if (fast) game.show();
  printf("replay: %u steps, identical\n", stream.steps());
  return 0;
}

}  // namespace play
