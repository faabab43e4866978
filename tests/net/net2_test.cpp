#include "net2.h"

#include <SDL.h>
#include <SDL_net.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/select.h>

#include <climits>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "child_process.h"
#include "event_test_support.h"
#include "fastevents.h"
#include "net2_load.h"

using net2load::freePort;
using net2load::plainConnect;
using net2load::plainListen;
using net2load::sendAll;
using net2load::sendDatagram;

namespace {

const int EVENT_LIMIT_MS = 3000;  // longest wait for an event that must come
const int QUIET_MS = 150;         // how long "no event" is watched for
const int WATCHDOG_MS = 30000;
const int TCP_BUFFER_BYTES = 1024;
const int UDP_QUEUE_PACKETS = 256;
const int MAX_SOCKETS = 1024;
const char CANT_SEND_ON_SOCKET[] = "NET2: you can't do a TCP send on that socket";
const char OUT_OF_MEMORY[] = "NET2: out of memory";
const char CANT_OPEN_SOCKET[] = "NET2: can't open a socket";

class Net2Test : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(startSdlEventQueue()) << SDL_GetError();
    ASSERT_EQ(FE_Init(), 0);
    ASSERT_EQ(SDLNet_Init(), 0);
    ASSERT_EQ(NET2_Init(), 0) << NET2_GetError();
  }
  void TearDown() override {
    NET2_Quit();
    SDLNet_Quit();
    FE_Quit();
    SDL_Quit();
  }
};

bool nextEvent(SDL_Event* e, int limitMs = EVENT_LIMIT_MS) {
  return net2load::pollNetEvent(
      e, net2load::Clock::now() + std::chrono::milliseconds(limitMs));
}

// Network events that arrive within ms.
std::vector<SDL_Event> collectEvents(int ms) {
  std::vector<SDL_Event> events;
  SDL_Event e;
  const auto deadline = net2load::Clock::now() + std::chrono::milliseconds(ms);
  while (net2load::pollNetEvent(&e, deadline)) events.push_back(e);
  return events;
}

// Waits for an event of this kind and socket, keeping the others in *others.
bool waitFor(int kind, int socket, SDL_Event* found, std::vector<SDL_Event>* others = nullptr) {
  const auto deadline = net2load::Clock::now() + std::chrono::milliseconds(EVENT_LIMIT_MS);
  SDL_Event e;
  while (net2load::pollNetEvent(&e, deadline)) {
    if (NET2_GetEventType(&e) == kind && NET2_GetSocket(&e) == socket) {
      *found = e;
      return true;
    }
    if (others != nullptr) others->push_back(e);
  }
  return false;
}

// Accepts one plain connection on a listening layer socket; the new socket number.
int acceptOne(int server, uint16_t port, int* fd) {
  *fd = plainConnect(port);
  SDL_Event e;
  if (*fd < 0 || !nextEvent(&e) || NET2_GetEventType(&e) != NET2_TCPACCEPTEVENT) return -1;
  EXPECT_EQ(NET2_GetEventData(&e), port);
  EXPECT_NE(NET2_GetSocket(&e), server);
  return NET2_GetSocket(&e);
}

// Reads everything buffered on a layer connection.
std::string readAll(int socket) {
  std::string got;
  char buf[TCP_BUFFER_BYTES];
  int n;
  while ((n = NET2_TCPRead(socket, buf, sizeof buf)) > 0) got.append(buf, static_cast<size_t>(n));
  return got;
}

// The kernel's receive-queue bytes and drop count of the UDP socket on port.
bool kernelUdpQueue(uint16_t port, long* rxBytes, long* drops) {
  std::ifstream table("/proc/net/udp");
  std::string line;
  std::getline(table, line);  // heading
  while (std::getline(table, line)) {
    std::istringstream fields(line);
    std::vector<std::string> f;
    std::string word;
    while (fields >> word) f.push_back(word);
    if (f.size() < 5) continue;
    const size_t colon = f[1].find(':');
    if (colon == std::string::npos || std::stoul(f[1].substr(colon + 1), nullptr, 16) != port) {
      continue;
    }
    *rxBytes = std::stol(f[4].substr(f[4].find(':') + 1), nullptr, 16);
    *drops = std::stol(f.back());
    return true;
  }
  return false;
}

int plainUdpSocket(uint16_t* port) {
  const int fd = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in a = net2load::loopbackAddress(0);
  socklen_t len = sizeof a;
  if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
    return -1;
  }
  *port = ntohs(a.sin_port);
  return fd;
}

}  // namespace

TEST_F(Net2Test, FullTcpBufferStopsTheThreadUntilRead) {
  const int SENT = 3000;
  const uint16_t port = freePort(SOCK_STREAM);
  const int server = NET2_TCPAcceptOn(port);
  ASSERT_GE(server, 0) << NET2_GetError();
  int fd1, fd2;
  const int c1 = acceptOne(server, port, &fd1);
  const int c2 = acceptOne(server, port, &fd2);
  ASSERT_GE(c1, 0);
  ASSERT_GE(c2, 0);
  ASSERT_NE(c1, c2);

  IPaddress* peer = NET2_TCPGetPeerAddress(c1);
  ASSERT_NE(peer, nullptr);
  sockaddr_in local;
  socklen_t len = sizeof local;
  ASSERT_EQ(getsockname(fd1, reinterpret_cast<sockaddr*>(&local), &len), 0);
  EXPECT_EQ(peer->host, htonl(INADDR_LOOPBACK));
  EXPECT_EQ(peer->port, local.sin_port);

  const std::string data = net2load::clientStream(3, SENT - net2load::HEADER_BYTES);
  ASSERT_TRUE(sendAll(fd1, data.data(), data.size()));
  SDL_Event e;
  ASSERT_TRUE(waitFor(NET2_TCPRECEIVEEVENT, c1, &e));
  // The buffer is full and more is pending: the thread serves nobody now.
  ASSERT_TRUE(sendAll(fd2, "x", 1));
  EXPECT_TRUE(collectEvents(QUIET_MS).empty());

  char buf[SENT];
  ASSERT_EQ(NET2_TCPRead(c1, buf, SENT), TCP_BUFFER_BYTES);
  std::string got(buf, TCP_BUFFER_BYTES);
  int receiveEvents = 1;
  std::vector<SDL_Event> others;
  while (got.size() < data.size() && waitFor(NET2_TCPRECEIVEEVENT, c1, &e, &others)) {
    ++receiveEvents;
    got += readAll(c1);
  }
  EXPECT_TRUE(got == data);
  // The last event may come after its bytes were read with the previous ones.
  for (const SDL_Event& o : collectEvents(QUIET_MS)) others.push_back(o);
  int c2Events = 0;
  for (const SDL_Event& o : others) {
    if (NET2_GetEventType(&o) != NET2_TCPRECEIVEEVENT) continue;
    if (NET2_GetSocket(&o) == c1) ++receiveEvents;
    if (NET2_GetSocket(&o) == c2) ++c2Events;
  }
  // 1024, 1024 and 952 bytes, each filling an empty buffer.
  EXPECT_EQ(receiveEvents, 3);
  EXPECT_EQ(c2Events, 1);
  EXPECT_EQ(readAll(c2), "x");

  // Closing a full connection instead of reading it also lets the thread go on.
  ASSERT_TRUE(sendAll(fd1, data.data(), data.size()));
  ASSERT_TRUE(waitFor(NET2_TCPRECEIVEEVENT, c1, &e));
  ASSERT_TRUE(sendAll(fd2, "z", 1));
  EXPECT_TRUE(collectEvents(QUIET_MS).empty());
  NET2_TCPClose(c1);
  EXPECT_TRUE(waitFor(NET2_TCPRECEIVEEVENT, c2, &e));
  EXPECT_EQ(readAll(c2), "z");
  close(fd1);
  close(fd2);
}

TEST_F(Net2Test, FullUdpQueueHolds256AndStopsTheThread) {
  const int SENT = 300;
  const int BATCH = 25;
  const Uint32 BATCH_PAUSE_MS = 15;  // lets the thread empty the kernel queue
  uint16_t plainPort = 0;
  const int calibration = plainUdpSocket(&plainPort);
  ASSERT_GE(calibration, 0);
  const uint16_t port = freePort(SOCK_DGRAM);
  const int u = NET2_UDPAcceptOn(port, 16);
  ASSERT_GE(u, 0) << NET2_GetError();
  const uint16_t tcpPort = freePort(SOCK_STREAM);
  const int server = NET2_TCPAcceptOn(tcpPort);
  int fd;
  const int c = acceptOne(server, tcpPort, &fd);
  ASSERT_GE(c, 0);

  const int sender = socket(AF_INET, SOCK_DGRAM, 0);
  for (int32_t i = 0; i < SENT; ++i) {
    ASSERT_TRUE(sendDatagram(sender, port, &i, sizeof i));
    if (i % BATCH == BATCH - 1) SDL_Delay(BATCH_PAUSE_MS);
  }
  std::vector<SDL_Event> events = collectEvents(QUIET_MS);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(NET2_GetEventType(&events[0]), NET2_UDPRECEIVEEVENT);
  EXPECT_EQ(NET2_GetSocket(&events[0]), u);
  // The thread waits: a TCP connection is not served either.
  ASSERT_TRUE(sendAll(fd, "y", 1));
  EXPECT_TRUE(collectEvents(QUIET_MS).empty());

  // What the kernel still holds is exactly the datagrams beyond the queue.
  int32_t one = 0;
  ASSERT_TRUE(sendDatagram(sender, plainPort, &one, sizeof one));
  long perDatagram = 0, stalled = 0, drops = -1, unused = 0;
  ASSERT_TRUE(waitUntil([&] {
    return kernelUdpQueue(plainPort, &perDatagram, &unused) && perDatagram > 0;
  }, EVENT_LIMIT_MS));
  ASSERT_TRUE(kernelUdpQueue(port, &stalled, &drops));
  EXPECT_EQ(drops, 0);
  EXPECT_EQ(stalled, (SENT - UDP_QUEUE_PACKETS) * perDatagram);

  int32_t next = 0;
  ASSERT_TRUE(waitUntil([&] {
    UDPpacket* p;
    while ((p = NET2_UDPRead(u)) != nullptr) {
      int32_t value;
      EXPECT_EQ(p->len, static_cast<int>(sizeof value));
      memcpy(&value, p->data, sizeof value);
      EXPECT_EQ(value, next);
      ++next;
      NET2_UDPFreePacket(p);
    }
    return next >= SENT;
  }, EVENT_LIMIT_MS));
  EXPECT_EQ(next, SENT);
  SDL_Event e;
  EXPECT_TRUE(waitFor(NET2_TCPRECEIVEEVENT, c, &e));
  close(fd);
  close(sender);
  close(calibration);
}

TEST_F(Net2Test, AcceptsCloseEventsAndReadsOfADyingConnection) {
  const uint16_t port = freePort(SOCK_STREAM);
  const int server = NET2_TCPAcceptOn(port);
  ASSERT_GE(server, 0) << NET2_GetError();
  int fd;
  const int c = acceptOne(server, port, &fd);
  ASSERT_GE(c, 0);
  ASSERT_TRUE(sendAll(fd, "hello", 5));
  close(fd);
  SDL_Event e;
  std::vector<SDL_Event> before;
  ASSERT_TRUE(waitFor(NET2_TCPCLOSEEVENT, c, &e, &before));
  ASSERT_EQ(before.size(), 1u);
  EXPECT_EQ(NET2_GetEventType(&before[0]), NET2_TCPRECEIVEEVENT);
  EXPECT_EQ(NET2_GetEventData(&e), -1);
  // The connection is dying; what it buffered is still there.
  EXPECT_EQ(readAll(c), "hello");
  EXPECT_EQ(NET2_TCPSend(c, "x", 1), -1);
  EXPECT_STREQ(NET2_GetError(), CANT_SEND_ON_SOCKET);
  EXPECT_TRUE(collectEvents(QUIET_MS).empty());  // no repeated close, no error
  NET2_TCPClose(c);
  // The thread frees the record: the number then names no connection.
  ASSERT_TRUE(waitUntil([&] { return NET2_TCPGetPeerAddress(c) == nullptr; }, EVENT_LIMIT_MS));
  int fd2;
  EXPECT_EQ(acceptOne(server, port, &fd2), c);  // its number is reused

  // Listening on an address: the accept events carry its port as stored.
  IPaddress ip;
  const uint16_t port2 = freePort(SOCK_STREAM);
  NET2_ResolveHost(&ip, nullptr, port2);
  const int server2 = NET2_TCPAcceptOnIP(&ip);
  ASSERT_GE(server2, 0) << NET2_GetError();
  const int fd3 = plainConnect(port2);
  ASSERT_TRUE(nextEvent(&e));
  EXPECT_EQ(NET2_GetEventType(&e), NET2_TCPACCEPTEVENT);
  EXPECT_EQ(NET2_GetEventData(&e), ip.port);
  close(fd3);
  close(fd2);
}

TEST_F(Net2Test, ConnectsSendsAndReceivesAsAClient) {
  uint16_t port = 0;
  const int listener = plainListen(&port, 1);
  ASSERT_GE(listener, 0);
  const int s = NET2_TCPConnectTo("127.0.0.1", port);
  ASSERT_GE(s, 0) << NET2_GetError();
  const int peer = accept(listener, nullptr, nullptr);
  ASSERT_GE(peer, 0);
  EXPECT_EQ(NET2_TCPSend(s, "abc", 3), 3);
  EXPECT_EQ(NET2_TCPSend(s, "abc", 0), 0);
  char buf[8] = {0};
  const timeval limit = {EVENT_LIMIT_MS / 1000, 0};
  ASSERT_EQ(setsockopt(peer, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit), 0);
  ASSERT_EQ(recv(peer, buf, 3, MSG_WAITALL), 3);
  EXPECT_EQ(std::string(buf, 3), "abc");
  ASSERT_TRUE(sendAll(peer, "pong", 4));
  SDL_Event e;
  ASSERT_TRUE(waitFor(NET2_TCPRECEIVEEVENT, s, &e));
  EXPECT_EQ(readAll(s), "pong");
  close(peer);
  ASSERT_TRUE(waitFor(NET2_TCPCLOSEEVENT, s, &e));
  NET2_TCPClose(s);
  close(listener);

  // Nobody listens on a port that was just released.
  EXPECT_EQ(NET2_TCPConnectTo("127.0.0.1", freePort(SOCK_STREAM)), -1);
  EXPECT_STREQ(NET2_GetError(), CANT_OPEN_SOCKET);

  // A datagram from the layer's send socket.
  uint16_t udpPort = 0;
  const int udp = plainUdpSocket(&udpPort);
  ASSERT_GE(udp, 0);
  IPaddress to;
  NET2_ResolveHost(&to, "127.0.0.1", udpPort);
  EXPECT_EQ(NET2_UDPSend(&to, "datagram", 8), 0);
  ASSERT_TRUE(waitUntil([&] { return recv(udp, buf, sizeof buf, MSG_DONTWAIT) == 8; },
                        EVENT_LIMIT_MS));
  EXPECT_EQ(std::string(buf, 8), "datagram");
  EXPECT_EQ(NET2_UDPSend(&to, "x", -1), -1);
  EXPECT_STREQ(NET2_GetError(), "NET2: UDP send failed");
  close(udp);
}

TEST_F(Net2Test, WrongNumbersAndWrongKindsAreRefused) {
  const uint16_t tcpPort = freePort(SOCK_STREAM);
  const uint16_t udpPort = freePort(SOCK_DGRAM);
  const int server = NET2_TCPAcceptOn(tcpPort);
  const int u = NET2_UDPAcceptOn(udpPort, 16);
  ASSERT_GE(server, 0);
  ASSERT_GE(u, 0);
  EXPECT_EQ(NET2_TCPSend(server, "x", 1), -1);
  EXPECT_STREQ(NET2_GetError(), CANT_SEND_ON_SOCKET);
  EXPECT_EQ(NET2_TCPSend(u, "x", 1), -1);

  // A record that exists but is free again.
  const int freed = NET2_UDPAcceptOn(freePort(SOCK_DGRAM), 16);
  ASSERT_GE(freed, 0);
  NET2_UDPClose(freed);
  SDL_Delay(QUIET_MS);
  char buf[16];
  for (int bad : {-1, INT_MIN, freed, MAX_SOCKETS, MAX_SOCKETS + 1, INT_MAX}) {
    EXPECT_EQ(NET2_TCPSend(bad, "x", 1), -1) << bad;
    EXPECT_STREQ(NET2_GetError(), CANT_SEND_ON_SOCKET);
    EXPECT_EQ(NET2_TCPRead(bad, buf, sizeof buf), 0) << bad;
    EXPECT_EQ(NET2_TCPGetPeerAddress(bad), nullptr) << bad;
    EXPECT_EQ(NET2_UDPRead(bad), nullptr) << bad;
    NET2_TCPClose(bad);
    NET2_UDPClose(bad);
  }
  EXPECT_EQ(NET2_TCPGetPeerAddress(server), nullptr);
  EXPECT_EQ(NET2_TCPRead(u, buf, sizeof buf), 0);
  EXPECT_EQ(NET2_UDPRead(server), nullptr);
  for (int size : {0, -1, 65536}) {
    EXPECT_EQ(NET2_UDPAcceptOn(freePort(SOCK_DGRAM), size), -1) << size;
    EXPECT_STREQ(NET2_GetError(), CANT_OPEN_SOCKET);
  }
  EXPECT_EQ(NET2_TCPConnectTo(nullptr, tcpPort), -1);
  EXPECT_STREQ(NET2_GetError(), "NET2: can't find that host name or address");

  // Closes of the other kind leave both sockets working.
  NET2_UDPClose(server);
  NET2_TCPClose(u);
  int fd;
  EXPECT_GE(acceptOne(server, tcpPort, &fd), 0);
  const int sender = socket(AF_INET, SOCK_DGRAM, 0);
  ASSERT_TRUE(sendDatagram(sender, udpPort, "d", 1));
  SDL_Event e;
  ASSERT_TRUE(nextEvent(&e));
  EXPECT_EQ(NET2_GetEventType(&e), NET2_UDPRECEIVEEVENT);
  EXPECT_EQ(NET2_GetSocket(&e), u);
  UDPpacket* p = NET2_UDPRead(u);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->len, 1);
  NET2_UDPFreePacket(p);
  EXPECT_TRUE(collectEvents(QUIET_MS).empty());
  close(fd);
  close(sender);
}

TEST(Net2RecordsTest, The1025thSocketIsRefusedAndAFreedNumberIsReused) {
  // 1023 UDP sockets and one listening TCP socket fill the records. They need
  // every descriptor below FD_SETSIZE, 0 to 2 included: the child moves its
  // output above, fills the low descriptors while the layer starts (so its
  // own sockets land above too), then frees them all.
  const int HIGH_FD = FD_SETSIZE + 100;
  const rlim_t NEEDED_FDS = FD_SETSIZE * 2;
  const int REUSED = 500;
  const ChildResult r = runInChild([&] {
    rlimit limit;
    getrlimit(RLIMIT_NOFILE, &limit);
    if (limit.rlim_max < NEEDED_FDS) {
      fputs("skip: descriptor limit too low\n", stdout);
      return;
    }
    limit.rlim_cur = NEEDED_FDS;
    setrlimit(RLIMIT_NOFILE, &limit);
    fflush(stdout);
    const int out = fcntl(STDOUT_FILENO, F_DUPFD, HIGH_FD);
    fcntl(STDERR_FILENO, F_DUPFD, HIGH_FD + 1);
    for (;;) {
      const int fd = open("/dev/null", O_RDONLY);
      if (fd < 0 || fd >= FD_SETSIZE) {
        if (fd >= 0) close(fd);
        break;
      }
    }
    if (!startSdlEventQueue() || FE_Init() != 0 || SDLNet_Init() != 0 || NET2_Init() != 0) {
      dprintf(out, "start failed\n");
      return;
    }
    // No descriptor below FD_SETSIZE is left: the socket cannot be watched.
    const int udp = NET2_UDPAcceptOn(0, 16);
    dprintf(out, "unwatchable: %d %s\n", udp, NET2_GetError());
    const int tcp = NET2_TCPAcceptOn(0);
    dprintf(out, "unwatchable: %d %s\n", tcp, NET2_GetError());
    // The fillers, 0 to 2 and whatever else was inherited.
    for (int fd = 0; fd < FD_SETSIZE; ++fd) close(fd);
    const uint16_t port = freePort(SOCK_STREAM);
    int opened = 0;
    while (opened < MAX_SOCKETS - 1 && NET2_UDPAcceptOn(0, 16) == opened) ++opened;
    if (NET2_TCPAcceptOn(port) == opened) ++opened;
    dprintf(out, "opened %d\n", opened);
    const int next = NET2_UDPAcceptOn(0, 16);
    dprintf(out, "next: %d %s\n", next, NET2_GetError());
    // A connection to the listening socket cannot get a record either.
    const int client = plainConnect(port);
    SDL_Event e;
    if (client >= 0 && nextEvent(&e)) {
      dprintf(out, "event %d on %d: %s\n", NET2_GetEventType(&e), NET2_GetSocket(&e),
              NET2_GetEventError(&e));
    }
    NET2_UDPClose(REUSED);
    int again = -1;
    waitUntil([&] { return (again = NET2_UDPAcceptOn(0, 16)) != -1; }, EVENT_LIMIT_MS);
    dprintf(out, "reused: %d\n", again);
    NET2_Quit();
    SDLNet_Quit();
    FE_Quit();
    SDL_Quit();
  }, WATCHDOG_MS);
  if (r.out.rfind("skip", 0) == 0) GTEST_SKIP() << r.out;
  EXPECT_EQ(r.exitCode, 0) << describe(r);
  EXPECT_EQ(r.out, std::string("unwatchable: -1 ") + CANT_OPEN_SOCKET + "\n" +
                       "unwatchable: -1 " + CANT_OPEN_SOCKET + "\n" +
                       "opened 1024\n" +
                       "next: -1 " + OUT_OF_MEMORY + "\n" +
                       "event 0 on 1023: NET2: a TCP accept failed\n" +
                       "reused: " + std::to_string(REUSED) + "\n");
}

TEST_F(Net2Test, QuitLeavesSdlQueueEmptyEvenWhenTheThreadWaitsForRoom) {
  // Keyboard events fill SDL's queue; the thread then blocks pushing.
  SDL_Event key;
  memset(&key, 0, sizeof key);
  key.type = SDL_KEYDOWN;
  key.key.keysym.sym = SDLK_SPACE;
  while (SDL_PushEvent(&key) == 0) {
  }
  const uint16_t port = freePort(SOCK_DGRAM);
  ASSERT_GE(NET2_UDPAcceptOn(port, 16), 0);
  const int sender = socket(AF_INET, SOCK_DGRAM, 0);
  ASSERT_TRUE(sendDatagram(sender, port, "q", 1));
  SDL_Delay(QUIET_MS);
  {
    Watchdog dog("NET2_Quit with a full event queue", WATCHDOG_MS);
    NET2_Quit();
  }
  SDL_Event e;
  EXPECT_EQ(SDL_PollEvent(&e), 0);
  close(sender);

  // Calls fail until the layer is started again, and it starts again.
  EXPECT_EQ(NET2_TCPAcceptOn(0), -1);
  EXPECT_STREQ(NET2_GetError(), "NET2: can't lock Data mutex");
  ASSERT_EQ(NET2_Init(), 0);
  EXPECT_EQ(NET2_Init(), 0);
  EXPECT_EQ(NET2_GetError(), nullptr);
  ASSERT_TRUE(SDL_PushEvent(&key) == 0);
  NET2_Quit();
  EXPECT_EQ(SDL_PollEvent(&e), 0);
}

TEST_F(Net2Test, ManyClientsStreamEveryByteInOrder) {
  const int CLIENTS = 8;
  const size_t BYTES_EACH = 64 * 1024;
  const int LIMIT_MS = 20000;
  Watchdog dog("small load", WATCHDOG_MS);
  const net2load::LoadResult r = net2load::runNet2Load(CLIENTS, BYTES_EACH, LIMIT_MS);
  EXPECT_TRUE(r.ok) << r.problem;
  // Far fewer events than 1 KiB chunks would be fine too, but never none.
  EXPECT_GT(r.receiveEvents, 0);
}

TEST(Net2EventTest, AccessorsDecodeUserEvents) {
  static const char TEXT[] = "NET2: out of memory";
  SDL_Event error = makeUserEvent(NET2_ERROREVENT, -1, reinterpret_cast<intptr_t>(TEXT));
  EXPECT_EQ(NET2_GetEventType(&error), NET2_ERROREVENT);
  EXPECT_EQ(NET2_GetSocket(&error), -1);
  EXPECT_EQ(NET2_GetEventError(&error), TEXT);
  SDL_Event accept = makeUserEvent(NET2_TCPACCEPTEVENT, 1023, 65535);
  EXPECT_EQ(NET2_GetSocket(&accept), 1023);
  EXPECT_EQ(NET2_GetEventData(&accept), 65535);
  // Only an error event carries a text.
  EXPECT_EQ(NET2_GetEventError(&accept), nullptr);
  SDL_Event receive = makeUserEvent(NET2_TCPRECEIVEEVENT, 3, -1);
  EXPECT_EQ(NET2_GetEventData(&receive), -1);
  EXPECT_EQ(NET2_GetEventError(&receive), nullptr);
}

// A send that fails hands its close event to the thread: pushed by the
// caller into a queue only the caller empties, it would never return.
TEST_F(Net2Test, FailedSendClosesThroughTheThreadEvenWithAFullQueue) {
  const uint16_t port = freePort(SOCK_STREAM);
  const int server = NET2_TCPAcceptOn(port);
  ASSERT_GE(server, 0) << NET2_GetError();
  int fdFull, fdReset;
  const int full = acceptOne(server, port, &fdFull);
  const int reset = acceptOne(server, port, &fdReset);
  ASSERT_GE(full, 0);
  ASSERT_GE(reset, 0);
  // A full buffer holds the thread: it does not see the reset below.
  const std::string data(2 * TCP_BUFFER_BYTES, 'f');
  ASSERT_TRUE(sendAll(fdFull, data.data(), data.size()));
  SDL_Event e;
  ASSERT_TRUE(waitFor(NET2_TCPRECEIVEEVENT, full, &e));
  const linger abort = {1, 0};
  ASSERT_EQ(setsockopt(fdReset, SOL_SOCKET, SO_LINGER, &abort, sizeof abort), 0);
  close(fdReset);  // the peer resets the connection
  SDL_Delay(QUIET_MS);

  // SDL's queue full of other events.
  int pushed = 0;
  SDL_Event key = makeUserEvent(NET2_TCPRECEIVEEVENT + 100);
  while (SDL_PeepEvents(&key, 1, SDL_ADDEVENT, 0) == 1) ++pushed;
  ASSERT_GT(pushed, 0);
  signal(SIGPIPE, SIG_IGN);
  const std::string payload(64 * 1024, 's');
  int result = 0;
  for (int i = 0; i < 4 && result >= 0; ++i) result = NET2_TCPSend(reset, payload.data(), static_cast<int>(payload.size()));
  EXPECT_EQ(result, -1);
  EXPECT_STREQ(NET2_GetError(), "NET2: can't send TCP data, expect a close event");

  // Draining the queue lets the close event through.
  bool closed = false;
  const auto deadline = net2load::Clock::now() + std::chrono::milliseconds(EVENT_LIMIT_MS);
  while (!closed && net2load::Clock::now() < deadline) {
    if (FE_PollEvent(&e) == 0) {
      SDL_Delay(1);
      continue;
    }
    closed = e.type == SDL_USEREVENT && NET2_GetEventType(&e) == NET2_TCPCLOSEEVENT && NET2_GetSocket(&e) == reset;
  }
  EXPECT_TRUE(closed);
  EXPECT_GE(readAll(full).size(), static_cast<size_t>(TCP_BUFFER_BYTES));
  close(fdFull);
}
