// The event queue (FE_*) and the network event layer (NET2_*) over real loopback sockets.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <climits>

#include "child_process.h"
#include "net2_load.h"

const int EVENT_LIMIT_MS = 3000;  // longest wait for an event that must come
const int QUIET_MS = 150;         // how long "no event" is watched for
const int TCP_BUFFER_BYTES = 1024, UDP_QUEUE_PACKETS = 256, MAX_SOCKETS = 1024, MAX_UDP_BYTES = 65535;

bool startLayer() {
  setenv("SDL_VIDEODRIVER", "dummy", 1);  // SDL's event queue needs video, not a window
  return SDL_Init(SDL_INIT_VIDEO) == 0 && FE_Init() == 0 && SDLNet_Init() == 0 && NET2_Init() == 0;
}

class Net2Test : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(startLayer()) << SDL_GetError(); }
  void TearDown() override { NET2_Quit(), SDLNet_Quit(), FE_Quit(), SDL_Quit(); }
};

// Network events until one of this kind on this socket (true) or a pause.
bool waitFor(int kind, int socket) {
  SDL_Event e;
  while (pollNetEvent(&e, EVENT_LIMIT_MS)) {
    if (NET2_GetEventType(&e) == kind && NET2_GetSocket(&e) == socket) return true;
  }
  return false;
}

bool quiet() {
  SDL_Event e;
  return !pollNetEvent(&e, QUIET_MS);
}

void fillSdlQueue() {
  SDL_Event filler;
  filler.user = {SDL_USEREVENT, -1, nullptr, nullptr};
  while (SDL_PushEvent(&filler) == 0) continue;
}

// Inactive queue refused, init-quit-init under the broadcast, a push behind the queue's back, many pushers.
TEST(EventQueueTest, RefusesInactiveAndKeepsEveryEventInOrderAfterInitQuitInit) {
  const int CYCLES = 40, TIMER_PERIOD_MS = 10, PUSHERS = 4, EVENTS_EACH = 1000;  // far beyond SDL's queue
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  ASSERT_EQ(SDL_Init(SDL_INIT_TIMER), 0) << SDL_GetError();  // without video, SDL's queue is inactive
  ASSERT_EQ(FE_Init(), 0);
  SDL_Event e, late;
  late.user = {SDL_USEREVENT, 1, nullptr, nullptr};
  EXPECT_EQ(FE_WaitEvent(&e), 0);
  EXPECT_EQ(FE_PushEvent(&late), -1);
  EXPECT_STREQ(FE_GetError(), "FE: the event queue is not active");
  FE_Quit();
  SDL_Quit();
  ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
  for (int i = 0; i < CYCLES; ++i) {  // quits while the broadcast timer fires
    ASSERT_EQ(FE_Init(), 0);
    SDL_Delay(i % TIMER_PERIOD_MS);
    FE_Quit();
  }
  ASSERT_EQ(FE_Init(), 0);
  FE_PumpEvents();
  SDL_AddTimer(3 * TIMER_PERIOD_MS, [](Uint32, void* event) -> Uint32 {
    SDL_PushEvent(static_cast<SDL_Event*>(event));  // behind FE's back: only the broadcast wakes the waiter
    return 0;
  }, &late);
  EXPECT_TRUE(FE_WaitEvent(&e) == 1 && e.user.code == 1);
  std::vector<std::thread> pushers;
  for (int p = 0; p < PUSHERS; ++p) {
    pushers.emplace_back([p] {
      for (int i = 0; i < EVENTS_EACH; ++i) {
        SDL_Event mine;
        mine.user = {SDL_USEREVENT, p, reinterpret_cast<void*>(static_cast<intptr_t>(i)), nullptr};
        EXPECT_EQ(FE_PushEvent(&mine), 1);
      }
    });
  }
  std::vector<int> next(PUSHERS, 0);
  for (int n = 0; n < PUSHERS * EVENTS_EACH && FE_WaitEvent(&e) == 1; ++n) {
    EXPECT_EQ(reinterpret_cast<intptr_t>(e.user.data1), next.at(e.user.code)++);
  }
  for (std::thread& t : pushers) t.join();
  EXPECT_EQ(next, std::vector<int>(PUSHERS, EVENTS_EACH));
  FE_Quit();
  SDL_Quit();
}

// A full queue or buffer pauses its own socket until read, and no other; a failed send's close event
// comes from the thread.
TEST_F(Net2Test, FullQueuesPauseOnlyTheirSocketAndAFailedSendStillCloses) {
  const int BATCH = 25, SENT = 3000;        // SENT: more than two buffers
  const Uint32 BATCH_PAUSE_MS = 15;         // lets the thread empty the kernel's queue
  const std::string payload(1 << 20, 's');  // more than a reset connection takes
  std::vector<int> fds;
  const std::vector<int> c = acceptClients(3, &fds, EVENT_LIMIT_MS);
  ASSERT_EQ(c.size(), 3u);
  const uint16_t port = freePort(SOCK_DGRAM);
  const int u = NET2_UDPAcceptOn(port, sizeof(int32_t));
  NET2_TCPClose(u);  // closes of the wrong kind are ignored
  NET2_UDPClose(c[1]);
  IPaddress to;
  NET2_ResolveHost(&to, "127.0.0.1", port);
  // 256 datagrams fill u's queue; the one more stays in the kernel while c[1] is served.
  for (int32_t i = 0; i <= UDP_QUEUE_PACKETS; ++i) {
    EXPECT_EQ(NET2_UDPSend(&to, reinterpret_cast<char*>(&i), sizeof i), 0);
    if (i % BATCH == BATCH - 1) SDL_Delay(BATCH_PAUSE_MS);
  }
  send(fds[1], "b", 1, 0);
  EXPECT_TRUE(waitFor(NET2_TCPRECEIVEEVENT, c[1]));
  EXPECT_EQ(readAll(c[1]), "b");
  int32_t next = 0;
  EXPECT_TRUE(waitUntil([&] {
    for (UDPpacket* p; (p = NET2_UDPRead(u)) != nullptr; ++next) {
      EXPECT_TRUE(p->len == sizeof next && memcmp(p->data, &next, sizeof next) == 0) << next;
      NET2_UDPFreePacket(p);
    }
    return next > UDP_QUEUE_PACKETS;
  }, EVENT_LIMIT_MS)) << next;
  NET2_UDPSend(&to, "left", 4);  // left queued for NET2_Quit to free
  EXPECT_TRUE(waitFor(NET2_UDPRECEIVEEVENT, u));
  // A full buffer pauses c[0] until read; c[1] goes on, and a full connection still sends.
  send(fds[0], clientStream(0, SENT).data(), SENT, 0);
  ASSERT_TRUE(waitFor(NET2_TCPRECEIVEEVENT, c[0]));
  send(fds[1], "x", 1, 0);
  EXPECT_TRUE(waitFor(NET2_TCPRECEIVEEVENT, c[1]));
  EXPECT_EQ(readAll(c[1]), "x");
  std::string got(SENT, '\0');
  ASSERT_EQ(NET2_TCPRead(c[0], &got[0], SENT), TCP_BUFFER_BYTES);
  EXPECT_TRUE(waitFor(NET2_TCPRECEIVEEVENT, c[0]));  // the read resumed c[0], filled again
  EXPECT_EQ(NET2_TCPSend(c[0], "ok", 2), 2);
  // Paused full, c[2] does not see its peer reset: the failed send's close event comes from the thread.
  send(fds[2], clientStream(2, TCP_BUFFER_BYTES).data(), TCP_BUFFER_BYTES, 0);
  EXPECT_TRUE(waitFor(NET2_TCPRECEIVEEVENT, c[2]));
  SDL_Delay(QUIET_MS);
  const linger reset = {1, 0};
  setsockopt(fds[2], SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
  close(fds[2]);
  SDL_Delay(QUIET_MS);
  fillSdlQueue();
  EXPECT_EQ(NET2_TCPSend(c[2], payload.data(), static_cast<int>(payload.size())), -1);
  EXPECT_STREQ(NET2_GetError(), "NET2: can't send TCP data, expect a close event");
  EXPECT_TRUE(waitFor(NET2_TCPCLOSEEVENT, c[2]));  // polling empties SDL's queue
  EXPECT_EQ(readAll(c[2]), clientStream(2, TCP_BUFFER_BYTES));  // a dying connection keeps its bytes
  EXPECT_TRUE(quiet());  // c[2]'s close came once
  fillSdlQueue();
  send(fds[1], "q", 1, 0);
  SDL_Delay(QUIET_MS);  // the thread now waits for room to push c[1]'s event
  NET2_Quit();
  SDL_Event e;
  EXPECT_EQ(SDL_PollEvent(&e), 0);
  EXPECT_EQ(NET2_TCPAcceptOn(0), -1);
  EXPECT_STREQ(NET2_GetError(), "NET2: can't lock Data mutex");
  ASSERT_EQ(NET2_Init(), 0);
  close(fds[0]);
  close(fds[1]);
}

// Wrong socket numbers and kinds, bad sizes and hosts are refused with their message.
TEST_F(Net2Test, WrongNumbersAndArgumentsAreRefused) {
  const uint16_t port = freePort(SOCK_STREAM);
  IPaddress ip;
  NET2_ResolveHost(&ip, nullptr, port);
  const int server = NET2_TCPAcceptOnIP(&ip);
  const int u = NET2_UDPAcceptOn(0, MAX_UDP_BYTES);
  char buf[TCP_BUFFER_BYTES];
  for (int bad : {server, u, u + 1, -1, INT_MIN, MAX_SOCKETS, INT_MAX}) {
    EXPECT_EQ(NET2_TCPSend(bad, "x", 1), -1) << bad;
    EXPECT_STREQ(NET2_GetError(), "NET2: you can't do a TCP send on that socket");
    EXPECT_EQ(NET2_TCPRead(bad, buf, sizeof buf), 0) << bad;
    EXPECT_EQ(NET2_TCPGetPeerAddress(bad), nullptr) << bad;
    EXPECT_EQ(NET2_UDPRead(bad), nullptr) << bad;
  }
  for (int size : {0, -1, MAX_UDP_BYTES + 1}) EXPECT_EQ(NET2_UDPAcceptOn(0, size), -1) << size;
  EXPECT_STREQ(NET2_GetError(), "NET2: can't open a socket");
  EXPECT_EQ(NET2_UDPSend(&ip, buf, -1), -1);
  EXPECT_STREQ(NET2_GetError(), "NET2: UDP send failed");
  EXPECT_EQ(NET2_TCPConnectTo(nullptr, port), -1);
  EXPECT_STREQ(NET2_GetError(), "NET2: can't find that host name or address");
  EXPECT_EQ(NET2_TCPConnectTo("127.0.0.1", freePort(SOCK_STREAM)), -1);  // nobody listens
  EXPECT_STREQ(NET2_GetError(), "NET2: can't open a socket");
}

// Records need descriptors below FD_SETSIZE: the layer starts while they are taken, then they are freed.
TEST(Net2RecordsTest, The1025thSocketIsRefusedAndAFreedNumberIsReused) {
  const int REUSED = 500;
  const ChildResult r = runInChild([&] {
    const rlimit limit = {2 * FD_SETSIZE, 2 * FD_SETSIZE};
    if (setrlimit(RLIMIT_NOFILE, &limit) != 0) return (void)fputs("skip: descriptor limit", stdout);
    const int out = fcntl(STDOUT_FILENO, F_DUPFD, FD_SETSIZE);
    for (int fd = 0; fd >= 0 && fd < FD_SETSIZE;) fd = open("/dev/null", O_RDONLY);
    if (!startLayer()) return;
    dprintf(out, "unwatchable: %d %d\n", NET2_UDPAcceptOn(0, 1), NET2_TCPAcceptOn(0));
    for (int fd = 0; fd < FD_SETSIZE; ++fd) close(fd);
    const uint16_t port = freePort(SOCK_STREAM);
    int opened = 0;
    while (opened < MAX_SOCKETS - 1 && NET2_UDPAcceptOn(0, 1) == opened) ++opened;
    opened += NET2_TCPAcceptOn(port) == opened;
    const int next = NET2_UDPAcceptOn(0, 1);
    dprintf(out, "opened %d, next %d: %s\n", opened, next, NET2_GetError());
    SDL_Event e;  // a connection to the listening socket cannot have a record either
    if (plainConnect(port) >= 0 && pollNetEvent(&e, EVENT_LIMIT_MS)) {
      dprintf(out, "%d on %d: %s\n", NET2_GetEventType(&e), NET2_GetSocket(&e), NET2_GetEventError(&e));
    }
    NET2_UDPClose(REUSED);
    int again = -1;
    waitUntil([&] { return (again = NET2_UDPAcceptOn(0, 1)) != -1; }, EVENT_LIMIT_MS);
    dprintf(out, "reused: %d\n", again);
  });
  if (r.out.rfind("skip", 0) == 0) GTEST_SKIP() << r.out;
  EXPECT_EQ(r.exitCode, 0) << describe(r);
  EXPECT_EQ(r.out, "unwatchable: -1 -1\nopened 1024, next -1: NET2: out of memory\n"
                   "0 on 1023: NET2: a TCP accept failed\nreused: " + std::to_string(REUSED) + "\n");
}

TEST_F(Net2Test, ManyClientsStreamEveryByteInOrder) {
  EXPECT_EQ(runNet2Load(8, 64 * 1024, 5000), "");  // clients, bytes each, time limit
}
