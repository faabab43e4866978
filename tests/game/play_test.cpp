// The game as a stream of inputs: the stream file on its own, then the real
// executable replaying the committed golden run and damaged copies of it.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <thread>

#include "child_process.h"
#include "files.h"
#include "game_runs.h"
#include "held_input.h"
#include "input_stream.h"
#include "lockstep.h"
#include "net2_load.h"
#include "play_options.h"
#include "zel_byte_order.h"

namespace {

const std::string DATA_DIR = GAME_DATA_DIR;
// Recorded by the game itself: RECORD=$PWD/tests/data/golden-run.stream make run (without a display).
const std::string GOLDEN = GAME_SOURCE_DIR "/tests/data/golden-run.stream";
const char BANNER[] = "--- http://www.example.com/zel ---\n";
const int LONGEST_RUN = 65535;
const size_t DATA_HASH_AT = 12;  // in a stream's header

InputStream::Header soloHeader() { return {100, 0x0123456789abcdefull, InputStream::SOLO, 1}; }

}  // namespace

// Steps go in packed and come out one by one, each check after its step, through a saved file.
TEST(InputStreamTest, StepsAndChecksComeBackInOrderAndAFailedSaveLeavesNoFile) {
  InputStream written(soloHeader());
  std::vector<uint8_t> steps;
  for (uint32_t n = 1; n <= 3 * LONGEST_RUN; ++n) {
    // One long run, split; then runs of one and of several.
    const uint8_t bits = n < 2 * LONGEST_RUN ? 0 : n % 7 == 0 ? 0x85 : 0x08;
    written.addStep(&bits);
    steps.push_back(bits);
    if (n % InputStream::CHECK_PERIOD == 0) written.addCheck(n * 31ull);
  }
  TempDir dir;
  std::string error;
  ASSERT_TRUE(written.save(dir.file("s.stream"), &error)) << error;
  EXPECT_FALSE(std::filesystem::exists(dir.file("s.stream.part")));
  InputStream read({});
  ASSERT_TRUE(InputStream::load(dir.file("s.stream"), &read, &error)) << error;
  EXPECT_EQ(read.header().dataHash, soloHeader().dataHash);
  InputStream::Reader reader(read);
  uint8_t bits;
  InputStream::Check check;
  size_t n = 0, checks = 0;
  for (; reader.next(&bits); ++n) {
    ASSERT_TRUE(n < steps.size() && bits == steps[n]) << n;
    checks += reader.checkHere(&check) && check.step == n + 1 && check.hash == (n + 1) * 31;
  }
  EXPECT_EQ(std::make_pair(n, checks),
            std::make_pair(steps.size(), steps.size() / InputStream::CHECK_PERIOD));
  // A failed save says why and leaves no file: a missing folder, a full disk (as a file size limit).
  EXPECT_FALSE(written.save(dir.file("none/s.stream"), &error));
  EXPECT_EQ(error, "cannot write " + dir.file("none/s.stream") + ": No such file or directory");
  const ChildResult r = runInChild([&] {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit = {1024, 1024};
    setrlimit(RLIMIT_FSIZE, &limit);
    const int saved = written.save(dir.file("full.stream"), &error);
    printf("%d %s", saved, error.c_str());
  });
  EXPECT_EQ(r.out, "0 cannot write " + dir.file("full.stream") + ": File too large");
  EXPECT_FALSE(std::filesystem::exists(dir.file("full.stream")) ||
               std::filesystem::exists(dir.file("full.stream.part")));
}

TEST(PlayOptionsTest, OnlyTheKnownFormsAreTaken) {
  // A command line's arguments, '|' between them.
  auto parse = [](const std::string& form, PlayOptions* o) {
    std::vector<std::string> args = {"plateforme"};
    for (size_t from = 0, bar = 0; !form.empty() && bar != std::string::npos; from = bar + 1) {
      bar = form.find('|', from);
      args.push_back(form.substr(from, bar - from));
    }
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    return o->parse(static_cast<int>(argv.size()), argv.data());
  };
  const struct {
    const char* form;
    PlayOptions::Mode mode;
    int port;
  } taken[] = {{"", PlayOptions::PLAY, 0},
               {"--record|f", PlayOptions::PLAY, 0},
               {"--replay|f|--fast", PlayOptions::REPLAY, 0},
               {"--join|::1:7", PlayOptions::JOIN, 7},
               {"--host|65535|--record|f|--replay|g", PlayOptions::HOST, 65535}};
  for (const auto& row : taken) {
    PlayOptions o;
    EXPECT_TRUE(parse(row.form, &o) && o.mode == row.mode && o.port == row.port) << row.form;
  }
  const char* const refused[] = {"--fast",   "--record",     "--record|",           "--replay|f|--record|g",
                                 "--host|0", "--host|65536", "--host|+5",           "--host|5x",
                                 "--join|h", "--join|:5",    "--host|5|--join|h:5", "--host|5|--fast",
                                 "-x"};
  for (const char* form : refused) {
    PlayOptions o;
    EXPECT_FALSE(parse(form, &o)) << form;
  }
}

// The real executable on the golden run, on damaged copies of it, and against other data.
TEST(ReplayTest, TheGoldenRunReplaysIdenticallyAndEveryFaultIsNamed) {
  TempDir dir;
  const std::vector<uint8_t> good = readFile(GOLDEN);
  std::vector<uint8_t> diverging = good;
  const uint8_t firstCheck[] = {'C', 100, 0, 0, 0};
  const auto check =
      std::search(diverging.begin(), diverging.end(), firstCheck, firstCheck + sizeof firstCheck);
  ASSERT_NE(check, diverging.end());
  check[sizeof firstCheck] ^= 1;
  writeFile(dir.file("diverging"), diverging);
  writeFile(dir.file("cut"), std::vector<uint8_t>(good.begin(), good.end() - 1));
  writeFile(dir.file("other"), std::vector<uint8_t>(good.begin() + 1, good.end()));
  ASSERT_EQ(
      system(("cp " + DATA_DIR + "/* " + dir.path() + " && printf x >>" + dir.file("dirod.map")).c_str()), 0);
  const struct {
    std::string in, file, out, err;
    int status;
  } rows[] = {
      {DATA_DIR, GOLDEN, "replay: 753 steps, identical\n", "", 0},
      {DATA_DIR, dir.file("diverging"), "replay: diverges at step 100\n", "", 1},
      {DATA_DIR, dir.file("cut"), "",
       "replay: " + dir.file("cut") + " is damaged at byte " + std::to_string(good.size() - 5) + "\n", 1},
      {DATA_DIR, dir.file("other"), "",
       "replay: " + dir.file("other") + " is not an input stream of this game\n", 1},
      {DATA_DIR, dir.file("none"), "",
       "replay: cannot open " + dir.file("none") + ": No such file or directory\n", 1},
      {dir.path(), GOLDEN, "", "replay: " + GOLDEN + " was recorded with other data files\n", 1}};
  for (const auto& row : rows) {
    const ChildResult r = runGame(row.in, {"--replay", row.file, "--fast"}, NO_WINDOW);
    EXPECT_EQ(std::make_tuple(r.exitCode, r.out, r.err),
              std::make_tuple(row.status, BANNER + row.out, row.err))
        << row.file;
  }
  const ChildResult usage = runGame(DATA_DIR, {"--fast"});
  EXPECT_EQ(std::make_tuple(usage.exitCode, usage.out, usage.err),
            std::make_tuple(2, std::string(), std::string(PlayOptions::USAGE)));
}

namespace {

// A script for one side: steps of the pattern's inputs, the last with Escape; for the golden run's data.
std::string writeScript(const TempDir& dir, const std::string& name, uint32_t steps, uint8_t first,
                        uint8_t second) {
  const uint64_t dataHash = zel_le::get64(readFile(GOLDEN).data() + DATA_HASH_AT);
  InputStream script({100, dataHash, InputStream::SOLO, 1});
  for (uint32_t n = 0; n < steps; ++n) {
    const uint8_t bits = n == steps - 1 ? uint8_t{HeldInput::ESCAPE} : n % 60 < 40 ? first : second;
    script.addStep(&bits);
    if (script.steps() % InputStream::CHECK_PERIOD == 0) script.addCheck(0);  // unread by a side's script
  }
  std::string error;
  EXPECT_TRUE(script.save(dir.file(name), &error)) << error;
  return dir.file(name);
}

// Each side of a game on loopback, from the data directory, losing a share of its datagrams.
struct Side {
  Side(std::vector<std::string> args, const char* dropPercent) {
    running = std::thread([=] {
      result = runGame(DATA_DIR, args, {{Lockstep::DROP_VARIABLE, dropPercent}, NO_WINDOW[0]});
    });
  }
  ChildResult result;
  std::thread running;
};

// For a second, a stranger's datagrams to the host's port: "ZP", a kind, then bytes of every length but a
// hello's (which, while the host still waits, would be the joiner's).
void strangerSends(uint16_t port) {
  const int fd = socket(AF_INET, SOCK_DGRAM, 0);
  const sockaddr_in to = loopbackAddress(port);
  for (int i = 0; i < 300; ++i, usleep(3000)) {
    const std::string d = "ZP" + std::string(1, static_cast<char>(1 + i % 3)) + std::string(i % 48, char(i));
    sendto(fd, d.data(), d.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
  }
  close(fd);
}

}  // namespace

// Two sides with their scripts stay in step, losing a tenth of the datagrams and a stranger's ignored, and
// record the same game; a side killed mid-game leaves the other to finish alone after its silence.
TEST(TwoPlayersTest, BothSidesRecordTheSameGameAndASilentSideIsLeftBehind) {
  TempDir dir;
  const std::string walker =
      writeScript(dir, "walker", 250, HeldInput::RIGHT | HeldInput::FIRE1, HeldInput::UP);
  const std::string jumper =
      writeScript(dir, "jumper", 250, HeldInput::LEFT, HeldInput::UP | HeldInput::LEFT);
  const std::string port = std::to_string(20000 + getpid() % 20000);
  Side host({"--host", port, "--replay", walker, "--record", dir.file("host.stream")}, "10");
  Side joiner({"--join", "localhost:" + port, "--replay", jumper, "--record", dir.file("join.stream")}, "10");
  strangerSends(static_cast<uint16_t>(std::stoi(port)));
  host.running.join();
  joiner.running.join();
  EXPECT_EQ(std::make_tuple(host.result.exitCode, host.result.out), std::make_tuple(0, std::string(BANNER)))
      << describe(host.result);
  EXPECT_EQ(joiner.result.exitCode, 0) << describe(joiner.result);
  const std::vector<uint8_t> played = readFile(dir.file("host.stream"));
  EXPECT_TRUE(played.size() > 24 && played == readFile(dir.file("join.stream")));
  const std::string longer = writeScript(dir, "longer", 1000, HeldInput::RIGHT, HeldInput::LEFT);
  Side alone({"--host", port, "--replay", longer, "--record", dir.file("alone.stream")}, "0");
  Side killed({"--join", "localhost:" + port}, "0");  // at the keyboard, killed once the game runs
  sleep(3);  // loaded and joined, however slow the build; SIGTERM would only reach SDL
  EXPECT_EQ(system(("pkill -KILL -f -x '.*--join localhost:" + port + "'").c_str()), 0);
  alone.running.join();
  killed.running.join();
  EXPECT_EQ(std::make_tuple(alone.result.exitCode, alone.result.out),
            std::make_tuple(0, BANNER + std::string("the other player is gone\n")))
      << describe(alone.result);
  const ChildResult replay = runGame(DATA_DIR, {"--replay", dir.file("alone.stream"), "--fast"}, NO_WINDOW);
  EXPECT_EQ(replay.out, BANNER + std::string("replay: 1003 steps, identical\n")) << describe(replay);
}

// A hand-made other side that keeps to the protocol but reports another state after step 100: the host
// ends out of sync and leaves its stream.
TEST(TwoPlayersTest, AnotherStateAtACheckEndsTheGameOutOfSync) {
  TempDir dir;
  const uint16_t port = freePort(SOCK_DGRAM);
  const std::string still = writeScript(dir, "still", 300, 0, 0);
  Side host({"--host", std::to_string(port), "--replay", still, "--record", dir.file("host.stream")}, "0");
  const int fd = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in at = loopbackAddress(0), to = loopbackAddress(port);
  socklen_t length = sizeof at;
  bind(fd, reinterpret_cast<const sockaddr*>(&at), length);
  getsockname(fd, reinterpret_cast<sockaddr*>(&at), &length);
  const timeval wait = {0, 100 * 1000};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
  std::vector<uint8_t> hello = {'Z', 'P', 1};
  zel_le::append16(hello, ntohs(at.sin_port));
  zel_le::append64(hello, zel_le::get64(readFile(GOLDEN).data() + DATA_HASH_AT));
  uint8_t in[64];
  // Hellos until welcomed, then steps for the host's; until it has been silent for 2 s, 30 s at the most.
  bool welcomed = false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  for (int silent = 0; silent < 20 && std::chrono::steady_clock::now() < deadline;) {
    const ssize_t n = recv(fd, in, sizeof in, 0);
    welcomed = welcomed || (n > 2 && in[2] == 2);
    silent = n > 0 || !welcomed ? 0 : silent + 1;
    std::vector<uint8_t> reply = welcomed ? std::vector<uint8_t>() : hello;  // empty: ignored
    if (n >= 8 && in[2] == 3) {  // the host's steps: as many of ours, all still, and a wrong check at 100
      const uint32_t end = zel_le::get32(in + 3) + in[7], first = end > 16 ? end - 16 : 0;
      reply = {'Z', 'P', 3};
      zel_le::append32(reply, first);
      reply.push_back(static_cast<uint8_t>(end - first));
      reply.resize(reply.size() + end - first, 0);
      zel_le::append32(reply, 100);
      zel_le::append64(reply, 1);
    }
    sendto(fd, reply.data(), reply.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
  }
  close(fd);
  host.running.join();
  EXPECT_EQ(std::make_tuple(host.result.exitCode, host.result.out),
            std::make_tuple(1, BANNER + std::string("out of sync at step 100\n")))
      << describe(host.result);
  EXPECT_GT(readFile(dir.file("host.stream")).size(), 24u);
}
