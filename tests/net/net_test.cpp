// The event queue (FE_*) and the network event layer (NET2_*) over real loopback sockets.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <atomic>
#include <climits>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "files.h"
#include "net2_load.h"

using namespace net2load;

namespace {

const int EVENT_LIMIT_MS = 3000;  // longest wait for an event that must come
const int QUIET_MS = 150;         // how long "no event" is watched for
const int TCP_BUFFER_BYTES = 1024;
const int UDP_QUEUE_PACKETS = 256;
const int MAX_SOCKETS = 1024;
const int MAX_UDP_BYTES = 65535;
const char CANT_SEND_ON_SOCKET[] = "NET2: you can't do a TCP send on that socket";

SDL_Event userEvent(int code, intptr_t data1 = 0) {
  SDL_Event e;
  e.type = SDL_USEREVENT;
  e.user.code = code;
  e.user.data1 = reinterpret_cast<void*>(data1);
  return e;
}

// SDL's event queue needs video, not a window: the dummy driver does.
bool startSdl() {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  return SDL_Init(SDL_INIT_VIDEO) == 0;
}

bool startLayer() { return startSdl() && FE_Init() == 0 && SDLNet_Init() == 0 && NET2_Init() == 0; }

class Net2Test : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(startLayer()) << SDL_GetError(); }
  void TearDown() override {
    NET2_Quit();
    SDLNet_Quit();
    FE_Quit();
    SDL_Quit();
  }
};

// Collects network events until one of this kind on this socket (true) or until limitMs pass.
bool waitFor(int kind, int socket, std::vector<SDL_Event>* seen, int limitMs = EVENT_LIMIT_MS) {
  SDL_Event e;
  while (pollNetEvent(&e, limitMs)) {
    seen->push_back(e);
    if (NET2_GetEventType(&e) == kind && NET2_GetSocket(&e) == socket) return true;
  }
  return false;
}

bool quiet() {
  SDL_Event e;
  return !pollNetEvent(&e, QUIET_MS);
}

void fillSdlQueue() {
  SDL_Event filler = userEvent(-1);
  while (SDL_PushEvent(&filler) == 0) {
  }
}

}  // namespace

// Inactive queue, uninitialised calls, init-quit-init, the broadcast, full queue and many pushers.
TEST(EventQueueTest, RefusesInactiveAndWorksUninitialisedAndAfterInitQuitInit) {
  const int CYCLES = 40;
  const int TIMER_PERIOD_MS = 10;
  const int PUSHERS = 4;
  const int EVENTS_EACH = 1000;  // far beyond SDL's queue
  EXPECT_EQ(FE_GetError(), nullptr);  // nothing has failed yet
  ASSERT_EQ(SDL_Init(SDL_INIT_TIMER), 0) << SDL_GetError();
  SDL_Event e, first = userEvent(1), second = userEvent(2);
  for (int init = 0; init < 2; ++init) {
    EXPECT_EQ(FE_PushEvent(&first), -1);
    EXPECT_STREQ(FE_GetError(), "FE: the event queue is not active");
    ASSERT_EQ(FE_Init(), 0);
  }
  EXPECT_EQ(FE_WaitEvent(&e), 0);
  EXPECT_EQ(FE_PollEvent(&e), 0);
  FE_Quit();
  SDL_Quit();
  ASSERT_TRUE(startSdl()) << SDL_GetError();
  ASSERT_EQ(SDL_PushEvent(&first), 0);
  EXPECT_EQ(FE_PushEvent(&second), 1);
  FE_PumpEvents();
  EXPECT_TRUE(FE_PollEvent(&e) == 1 && e.user.code == 1);
  EXPECT_TRUE(SDL_PollEvent(&e) == 1 && e.user.code == 2);
  EXPECT_EQ(FE_PollEvent(&e), 0);
  // Quits while the broadcast timer fires.
  for (int i = 0; i < CYCLES; ++i) {
    ASSERT_EQ(FE_Init(), 0);
    SDL_Delay(i % TIMER_PERIOD_MS);
    FE_Quit();
  }
  ASSERT_EQ(FE_Init(), 0);
  ASSERT_EQ(FE_Init(), 0);  // adds nothing
  std::thread late([&] {
    SDL_Delay(3 * TIMER_PERIOD_MS);
    SDL_PushEvent(&first);
  });
  EXPECT_TRUE(FE_WaitEvent(&e) == 1 && e.user.code == 1);
  late.join();
  std::atomic<int> pushed{0};
  std::vector<std::thread> pushers;
  for (int p = 0; p < PUSHERS; ++p) {
    pushers.emplace_back([p, &pushed] {
      for (int i = 0; i < EVENTS_EACH; ++i) {
        SDL_Event mine = userEvent(p, i);
        pushed += FE_PushEvent(&mine);
      }
    });
  }
  std::vector<int> next(PUSHERS, 0);
  for (int n = 0; n < PUSHERS * EVENTS_EACH && FE_WaitEvent(&e) == 1; ++n) {
    EXPECT_EQ(reinterpret_cast<intptr_t>(e.user.data1), next.at(e.user.code)++);
  }
  for (std::thread& t : pushers) t.join();
  EXPECT_EQ(pushed, PUSHERS * EVENTS_EACH);
  EXPECT_EQ(next, std::vector<int>(PUSHERS, EVENTS_EACH));
  EXPECT_EQ(FE_PollEvent(&e), 0);
  FE_Quit();
  SDL_Quit();
}

// A full buffer stops the thread until read or closed; a failed send's close event comes from it.
TEST_F(Net2Test, FullTcpBufferStopsTheThreadAndAFailedSendStillCloses) {
  const int SENT = 3000;  // 1024, 1024 and 952 bytes, each filling an empty buffer
  const std::string payload(1 << 20, 's');  // more than a reset connection takes
  std::vector<int> fds;
  const std::vector<int> c = acceptClients(3, &fds, EVENT_LIMIT_MS);
  ASSERT_EQ(c.size(), 3u);
  const std::string data = clientStream(0, SENT);
  std::vector<SDL_Event> seen;
  send(fds[0], data.data(), SENT, 0);
  ASSERT_TRUE(waitFor(NET2_TCPRECEIVEEVENT, c[0], &seen));
  send(fds[1], "x", 1, 0);
  EXPECT_TRUE(quiet());
  char buf[SENT];
  ASSERT_EQ(NET2_TCPRead(c[0], buf, SENT), TCP_BUFFER_BYTES);
  std::string got(buf, TCP_BUFFER_BYTES);
  while (got.size() < data.size() && waitFor(NET2_TCPRECEIVEEVENT, c[0], &seen)) got += readAll(c[0]);
  EXPECT_TRUE(got == data);
  waitFor(-1, -1, &seen, QUIET_MS);  // the last event may come after its bytes were read
  EXPECT_EQ(std::count_if(seen.begin(), seen.end(), [&](const SDL_Event& e) {
              return NET2_GetEventType(&e) == NET2_TCPRECEIVEEVENT && NET2_GetSocket(&e) == c[0];
            }), 3);
  EXPECT_EQ(readAll(c[1]), "x");
  // Full again, the thread does not see the peer of c[2] reset the connection.
  send(fds[0], data.data(), SENT, 0);
  ASSERT_TRUE(waitFor(NET2_TCPRECEIVEEVENT, c[0], &seen));
  const linger reset = {1, 0};
  setsockopt(fds[2], SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
  close(fds[2]);
  SDL_Delay(QUIET_MS);
  fillSdlQueue();
  EXPECT_EQ(NET2_TCPSend(c[2], payload.data(), static_cast<int>(payload.size())), -1);
  EXPECT_STREQ(NET2_GetError(), "NET2: can't send TCP data, expect a close event");
  EXPECT_TRUE(waitFor(NET2_TCPCLOSEEVENT, c[2], &seen));  // polling empties SDL's queue
  send(fds[1], "z", 1, 0);
  EXPECT_TRUE(quiet());
  NET2_TCPClose(c[0]);  // wakes the thread
  EXPECT_TRUE(waitFor(NET2_TCPRECEIVEEVENT, c[1], &seen));
  EXPECT_EQ(readAll(c[1]), "z");
  EXPECT_TRUE(quiet());  // c[2]'s close came once
  fillSdlQueue();
  send(fds[1], "q", 1, 0);
  SDL_Delay(QUIET_MS);  // the thread now waits for room to push c[1]'s event
  NET2_Quit();
  EXPECT_EQ(SDL_PollEvent(&seen[0]), 0);
  EXPECT_EQ(NET2_TCPAcceptOn(0), -1);
  EXPECT_STREQ(NET2_GetError(), "NET2: can't lock Data mutex");
  ASSERT_EQ(NET2_Init(), 0);
  EXPECT_EQ(NET2_Init(), 0);
  EXPECT_EQ(NET2_GetError(), nullptr);
  close(fds[0]);
  close(fds[1]);
}

// 256 datagrams fill a queue; one more waiting in the kernel stops the thread until a read.
TEST_F(Net2Test, FullUdpQueueHolds256AndStopsTheThread) {
  const int BATCH = 25;
  const Uint32 BATCH_PAUSE_MS = 15;  // lets the thread empty the kernel's queue
  const uint16_t port = freePort(SOCK_DGRAM);
  const int u = NET2_UDPAcceptOn(port, sizeof(int32_t));
  std::vector<int> fds;
  const std::vector<int> c = acceptClients(1, &fds, EVENT_LIMIT_MS);
  ASSERT_EQ(c.size(), 1u);
  NET2_TCPClose(u);  // closes of the wrong kind are ignored
  NET2_UDPClose(c[0]);
  IPaddress to;
  NET2_ResolveHost(&to, "127.0.0.1", port);
  std::vector<SDL_Event> seen;
  for (int32_t i = 0; i <= UDP_QUEUE_PACKETS; ++i) {
    if (i == UDP_QUEUE_PACKETS) {  // full, with nothing more waiting: the thread goes on
      SDL_Delay(QUIET_MS);
      send(fds[0], "a", 1, 0);
      EXPECT_TRUE(waitFor(NET2_TCPRECEIVEEVENT, c[0], &seen));
      EXPECT_EQ(readAll(c[0]), "a");
    }
    EXPECT_EQ(NET2_UDPSend(&to, reinterpret_cast<char*>(&i), sizeof i), 0);
    if (i % BATCH == BATCH - 1) SDL_Delay(BATCH_PAUSE_MS);
  }
  SDL_Delay(QUIET_MS);
  send(fds[0], "b", 1, 0);
  EXPECT_TRUE(quiet());
  int32_t next = 0;
  waitUntil([&] {
    for (UDPpacket* p; (p = NET2_UDPRead(u)) != nullptr; ++next) {
      EXPECT_TRUE(p->len == sizeof next && memcmp(p->data, &next, sizeof next) == 0) << next;
      NET2_UDPFreePacket(p);
    }
    return next > UDP_QUEUE_PACKETS;
  }, EVENT_LIMIT_MS);
  EXPECT_EQ(next, UDP_QUEUE_PACKETS + 1);
  EXPECT_TRUE(waitFor(NET2_TCPRECEIVEEVENT, c[0], &seen));
  NET2_UDPSend(&to, "left", 4);  // left queued for NET2_Quit to free
  EXPECT_TRUE(waitFor(NET2_UDPRECEIVEEVENT, u, &seen));
  close(fds[0]);
}

// Layer client to layer server, reads of a dying connection; wrong numbers and arguments refused.
TEST_F(Net2Test, ClientAndServerTalkAndWrongNumbersAreRefused) {
  const uint16_t port = freePort(SOCK_STREAM);
  IPaddress ip;
  NET2_ResolveHost(&ip, nullptr, port);
  const int server = NET2_TCPAcceptOnIP(&ip);
  const int client = NET2_TCPConnectTo("127.0.0.1", port);
  const int u = NET2_UDPAcceptOn(0, MAX_UDP_BYTES);
  const int c = u + 1;  // the next free record
  std::vector<SDL_Event> seen;
  ASSERT_TRUE(waitFor(NET2_TCPACCEPTEVENT, c, &seen));
  EXPECT_EQ(NET2_GetEventData(&seen[0]), ip.port);  // as stored, in network order
  EXPECT_EQ(NET2_TCPGetPeerAddress(client)->port, ip.port);
  EXPECT_EQ(NET2_TCPSend(client, "hello", 5), 5);
  SDL_Delay(QUIET_MS);  // a second chunk into a buffer that is not empty brings no event
  EXPECT_EQ(NET2_TCPSend(client, " world", 6), 6);
  EXPECT_EQ(NET2_TCPSend(client, "x", 0), 0);
  NET2_TCPClose(client);
  ASSERT_TRUE(waitFor(NET2_TCPCLOSEEVENT, c, &seen));
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(NET2_GetEventType(&seen[1]), NET2_TCPRECEIVEEVENT);
  EXPECT_EQ(NET2_GetEventData(&seen[2]), -1);
  EXPECT_EQ(NET2_GetEventError(&seen[2]), nullptr);  // only error events carry a text
  EXPECT_EQ(readAll(c), "hello world");
  EXPECT_EQ(NET2_TCPSend(c, "x", 1), -1);
  EXPECT_STREQ(NET2_GetError(), CANT_SEND_ON_SOCKET);
  EXPECT_TRUE(quiet());  // no repeated close, no error
  NET2_TCPClose(c);
  ASSERT_TRUE(waitUntil([&] { return NET2_TCPGetPeerAddress(c) == nullptr; }, EVENT_LIMIT_MS));  // freed
  char buf[TCP_BUFFER_BYTES];
  for (int bad : {server, u, c, c + 1, -1, INT_MIN, MAX_SOCKETS, INT_MAX}) {
    EXPECT_EQ(NET2_TCPSend(bad, "x", 1), -1) << bad;
    EXPECT_STREQ(NET2_GetError(), CANT_SEND_ON_SOCKET);
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
  const int HIGH_FD = FD_SETSIZE + 100;
  const int REUSED = 500;
  const ChildResult r = runInChild([&] {
    rlimit limit;
    getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = 2 * FD_SETSIZE;
    if (setrlimit(RLIMIT_NOFILE, &limit) != 0) return (void)fputs("skip: descriptor limit", stdout);
    fflush(stdout);
    const int out = fcntl(STDOUT_FILENO, F_DUPFD, HIGH_FD);
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
  const size_t CLIENTS = 8;
  const size_t BYTES_EACH = 64 * 1024;
  const int LIMIT_MS = 5000;
  double seconds;
  EXPECT_EQ(runNet2Load(CLIENTS, BYTES_EACH, LIMIT_MS, &seconds), "");
}
