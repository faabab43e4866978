#include "two_players.h"

#include <cstdio>
#include <memory>

#include "demo_game.h"
#include "input_stream.h"
#include "lockstep.h"
#include "play_options.h"
#include "play_session.h"
#include "step_feed.h"
#include "zel_input_keyboard_sdl.h"
#include "zel_input_sdl.h"
#include "zel_timer_sdl.h"

namespace play {

namespace {

const uint32_t NOTICE_AFTER_MS = 100;  // a late input is waited for this long before saying so
const uint32_t POLL_MS = 1;
const char WAITING[] = "waiting for the other player";
const char* const CAPTIONS[] = {"you: player 1 - the other: player 2, recoloured",
                                "you: player 2, recoloured - the other: player 1"};
const char* const DEFAULT_STREAMS[] = {"two-players-host.stream", "two-players-join.stream"};

// Where this side's inputs come from: the keyboard, or a script.
class LocalInputs {
 public:
  LocalInputs(DemoGame& game, const InputStream* script)
      : game_(game), reader_(script != nullptr ? new InputStream::Reader(*script) : nullptr) {}

  // Escape at the keyboard, which a script does not read.
  bool escapeHeld() { return reader_ == nullptr && game_.keyboard->go_escape(); }

  uint8_t next() {
    if (reader_ == nullptr) return HeldInput::sample(*game_.keyboard);
    uint8_t inputs[InputStream::MAX_PLAYERS];
    return reader_->next(inputs) ? inputs[0] : static_cast<uint8_t>(HeldInput::ESCAPE);
  }

 private:
  DemoGame& game_;
  std::unique_ptr<InputStream::Reader> reader_;
};

// Polls the network until status leaves CONNECTING or step is ready,
// keeping SDL's queue drained (the network layer waits on a full one) and
// saying that it waits once it lasts. False when Escape ends the wait.
bool waitFor(DemoGame& game, Lockstep& net, LocalInputs& local, uint32_t step) {
  const uint32_t start = SDL_GetTicks();
  bool told = false;
  for (net.pump(); net.status() == Lockstep::CONNECTING || (net.status() == Lockstep::PLAYING && !net.ready(step));
       net.pump()) {
    ZEL_InputSDL::getInstance()->updateTable();
    if (local.escapeHeld()) return false;
    if (!told && SDL_GetTicks() - start >= NOTICE_AFTER_MS) {
      game.showNotice(WAITING);
      told = true;
    }
    SDL_Delay(POLL_MS);
  }
  return true;
}

// The steps until this side's Escape (or the end of its script); false when
// the two games part.
bool playInStep(DemoGame& game, Lockstep& net, LocalInputs& local, InputStream& stream) {
  const int me = net.me(), other = 1 - me;
  StepFeed feed([&] {
    net.setLocal(local.next());
    const uint32_t step = stream.steps();
    game.held[me].hold(net.local(step));
    game.held[other].hold(net.remote(step));
  });
  bool alone = false;
  for (;;) {
    game.timer->setReftime();
    if (!waitFor(game, net, local, stream.steps())) return true;
    // Told while waiting, or by this side's last check.
    if (net.status() == Lockstep::OUT_OF_SYNC) {
      printf("out of sync at step %u\n", net.outOfSyncStep());
      return false;
    }
    game.frame();
    const uint8_t inputs[InputStream::MAX_PLAYERS] = {game.held[0].bits(), game.held[1].bits()};
    stream.addStep(inputs);
    if (stream.steps() % InputStream::CHECK_PERIOD == 0) {
      const uint64_t hash = game.stateHash();
      stream.addCheck(hash);
      net.addCheck(stream.steps(), hash);
    }
    if (game.held[me].go_escape()) return true;
    if (game.held[other].go_escape()) net.goAlone(stream.steps());
    if (net.status() == Lockstep::GONE && !alone) {
      alone = true;
      const char* why = game.held[other].go_escape() ? "the other player has left" : "the other player is gone";
      printf("%s\n", why);
      game.setCaption(why);
    }
    game.timer->waitWhile();
  }
}

}  // namespace

int twoPlayers(const PlayOptions& options) {
  const uint64_t data = dataHash();
  InputStream script({});
  const bool scripted = !options.replay.empty();
  if (scripted && !loadPlayable(options.replay, data, &script)) return 1;
  const bool hosting = options.mode == PlayOptions::HOST;
  const int me = hosting ? 0 : 1;
  DemoGame game(DemoGame::TWO_HELD, me);
  Lockstep net(hosting, options.host, options.port, data);
  LocalInputs local(game, scripted ? &script : nullptr);
  if (!waitFor(game, net, local, 0)) return 0;
  if (net.status() == Lockstep::REFUSED) {
    fprintf(stderr, "two players: %s\n", net.error().c_str());
    return 1;
  }
  game.setCaption(CAPTIONS[me]);
  InputStream stream({demo::RATE, data, InputStream::TWO_PLAYERS, 2});
  const bool inStep = playInStep(game, net, local, stream);
  net.farewell();
  const bool saved = saveStream(stream, options.record.empty() ? DEFAULT_STREAMS[me] : options.record);
  return inStep && saved ? 0 : 1;
}

}  // namespace play
