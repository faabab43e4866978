// 64-byte ping-pong on loopback, both ends through the network layer (the
// application waiting in FE_WaitEvent), beside the same through plain
// blocking sockets (the far end in a thread of its own) in the same run,
// over TCP and UDP, median and 99th percentile:
// - steady: one connection, back and forth;
// - first reply: a new connection (TCP) or socket (UDP) each time;
// - beside a busy socket: another connection (or UDP socket) kept full by a
//   sender and read once per 10 ms frame.
// Goal: each within 1.5 x plain sockets + 0.1 ms.
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "bench_report.h"
#include "net2_load.h"

namespace {

using Clock = std::chrono::steady_clock;

const int PING_BYTES = 64;
const int STEADY_SAMPLES = 5000;
const int FIRST_SAMPLES = 1000;
const int BESIDE_SAMPLES = 2000;
const Uint32 FRAME_MS = 10;
const int FRAME_CODE = 100;  // our own user event: a frame has passed
const int BUSY_CHUNK = 16 * 1024;
const int BUSY_DATAGRAMS = 16;  // a millisecond: far more than a read a frame takes
const int BUSY_PAUSE_US = 1000;
const double GOAL_RATIO = 1.5;
const double GOAL_EXTRA_MS = 0.1;

double msSince(Clock::time_point t0) {
  return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

// ---- Plain sockets ----

void noDelay(int fd) {
  const int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

// False when the connection ends first.
bool recvAll(int fd, char* buf, int n) {
  for (int got = 0; got < n;) {
    const ssize_t r = recv(fd, buf + got, static_cast<size_t>(n - got), 0);
    if (r <= 0) return false;
    got += static_cast<int>(r);
  }
  return true;
}

// A socket of the type on a free loopback port; a TCP one listens.
int plainSocket(int type, uint16_t* port) {
  const int fd = socket(AF_INET, type, 0);
  sockaddr_in a = loopbackAddress(0);
  socklen_t len = sizeof a;
  bind(fd, reinterpret_cast<sockaddr*>(&a), len);
  if (type == SOCK_STREAM) listen(fd, SOMAXCONN);
  getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
  *port = ntohs(a.sin_port);
  return fd;
}

// The far end of a plain ping, in a thread of its own as a real peer is:
// echoes every 64 bytes on each connection it accepts (TCP), or each
// datagram to its sender (UDP), until stopped.
class PlainEcho {
 public:
  explicit PlainEcho(bool tcp) : tcp_(tcp), fd_(plainSocket(tcp ? SOCK_STREAM : SOCK_DGRAM, &port_)) {
    thread_ = std::thread([this] { tcp_ ? serveTcp() : serveUdp(); });
  }
  ~PlainEcho() {
    if (tcp_) {
      shutdown(fd_, SHUT_RDWR);  // ends the accept
    } else {
      const int fd = socket(AF_INET, SOCK_DGRAM, 0);  // an empty datagram ends the loop
      const sockaddr_in to = loopbackAddress(port_);
      sendto(fd, "", 0, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
      close(fd);
    }
    thread_.join();
    close(fd_);
  }
  uint16_t port() const { return port_; }

 private:
  void serveTcp() {
    char buf[PING_BYTES];
    for (int c; (c = accept(fd_, nullptr, nullptr)) >= 0; close(c)) {
      noDelay(c);
      while (recvAll(c, buf, PING_BYTES)) send(c, buf, PING_BYTES, 0);
    }
  }
  void serveUdp() {
    char buf[PING_BYTES];
    sockaddr_in from;
    for (socklen_t len = sizeof from;; len = sizeof from) {
      const ssize_t n = recvfrom(fd_, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &len);
      if (n <= 0) return;
      sendto(fd_, buf, static_cast<size_t>(n), 0, reinterpret_cast<const sockaddr*>(&from), len);
    }
  }

  bool tcp_;
  uint16_t port_ = 0;
  int fd_;
  std::thread thread_;
};

// A socket whose sends go to the echo: a TCP connection, or a UDP socket
// connected to it.
int plainPinger(bool tcp, uint16_t port) {
  const int fd = socket(AF_INET, tcp ? SOCK_STREAM : SOCK_DGRAM, 0);
  const sockaddr_in to = loopbackAddress(port);
  connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to);
  if (tcp) noDelay(fd);
  return fd;
}

std::vector<double> plainPing(bool tcp, int samples, bool fresh) {
  PlainEcho echo(tcp);
  std::vector<double> out;
  char buf[PING_BYTES] = {};
  int pinger = -1;
  for (int i = 0; i < samples; ++i) {
    const Clock::time_point t0 = Clock::now();
    if (pinger < 0) pinger = plainPinger(tcp, echo.port());
    const Clock::time_point sent = Clock::now();
    send(pinger, buf, PING_BYTES, 0);
    recvAll(pinger, buf, PING_BYTES);  // a datagram comes whole
    out.push_back(msSince(fresh ? t0 : sent));
    if (fresh) {
      close(pinger);
      pinger = -1;
    }
  }
  if (pinger >= 0) close(pinger);
  return out;
}

// ---- Through the layer ----

// The application's side: sockets by role, and the event loop that serves
// them from FE_WaitEvent.
struct App {
  int echoTcp = -1, pingTcp = -1, echoUdp = -1, pingUdp = -1, busy = -1;
  uint16_t echoUdpPort = 0, pingUdpPort = 0;
  IPaddress pingUdpAddress = {};  // where the echo answers
  int got = 0;                    // bytes (TCP) or datagrams (UDP) of the reply so far

  void echoBack(int socket) {
    char buf[TCP_BUFFER];
    for (int n; (n = NET2_TCPRead(socket, buf, sizeof buf)) > 0;) NET2_TCPSend(socket, buf, n);
  }
  void onUdp(int socket) {
    for (UDPpacket* p; (p = NET2_UDPRead(socket)) != nullptr; NET2_UDPFreePacket(p)) {
      if (socket == pingUdp) {
        ++got;
      } else if (socket == echoUdp) {
        NET2_UDPSend(&pingUdpAddress, reinterpret_cast<char*>(p->data), p->len);
      }
    }
  }
  // One read of the busy socket: a buffer's worth, or one datagram.
  void onFrame() {
    char buf[TCP_BUFFER];
    if (busy < 0) return;
    if (busyIsTcp) {
      NET2_TCPRead(busy, buf, sizeof buf);
    } else {
      NET2_UDPFreePacket(NET2_UDPRead(busy));
    }
  }
  // Serves events until done() holds.
  void serveUntil(const std::function<bool()>& done) {
    SDL_Event e;
    while (!done() && FE_WaitEvent(&e) == 1) {
      if (e.type != SDL_USEREVENT) continue;
      if (e.user.code == FRAME_CODE) {
        onFrame();
        continue;
      }
      const int socket = NET2_GetSocket(&e);
      switch (NET2_GetEventType(&e)) {
        case NET2_TCPACCEPTEVENT:
          if (NET2_GetEventData(&e) == echoListenPort) echoTcp = socket;
          if (NET2_GetEventData(&e) == busyListenPort) busy = socket;
          break;
        case NET2_TCPRECEIVEEVENT:
          if (socket == echoTcp) echoBack(socket);
          if (socket == pingTcp) {
            char buf[TCP_BUFFER];
            for (int n; (n = NET2_TCPRead(socket, buf, sizeof buf)) > 0;) got += n;
          }
          break;
        case NET2_UDPRECEIVEEVENT:
          if (socket != busy) onUdp(socket);
          break;
        default:
          break;
      }
    }
  }
  static constexpr int TCP_BUFFER = 1024;
  int echoListenPort = -1, busyListenPort = -1;
  bool busyIsTcp = false;
};

double layerTcpRound(App& app) {
  char ping[PING_BYTES] = {};
  const Clock::time_point t0 = Clock::now();
  app.got = 0;
  NET2_TCPSend(app.pingTcp, ping, PING_BYTES);
  app.serveUntil([&] { return app.got >= PING_BYTES; });
  return msSince(t0);
}

double layerUdpRound(App& app) {
  char ping[PING_BYTES] = {};
  IPaddress echo;
  NET2_ResolveHost(&echo, "127.0.0.1", app.echoUdpPort);
  const Clock::time_point t0 = Clock::now();
  app.got = 0;
  NET2_UDPSend(&echo, ping, PING_BYTES);
  app.serveUntil([&] { return app.got >= 1; });
  return msSince(t0);
}

std::vector<double> layerTcp(App& app, int samples, bool fresh) {
  const uint16_t port = freePort(SOCK_STREAM);
  app.echoListenPort = port;
  const int listener = NET2_TCPAcceptOn(port);
  std::vector<double> out;
  for (int i = 0; i < samples; ++i) {
    const Clock::time_point t0 = Clock::now();
    if (app.pingTcp < 0) {
      app.echoTcp = -1;
      app.pingTcp = NET2_TCPConnectTo("127.0.0.1", port);
    }
    const double round = layerTcpRound(app);
    out.push_back(fresh ? msSince(t0) : round);
    if (fresh) {
      NET2_TCPClose(app.pingTcp);
      NET2_TCPClose(app.echoTcp);
      app.pingTcp = -1;
    }
  }
  if (app.pingTcp >= 0) {
    NET2_TCPClose(app.pingTcp);
    NET2_TCPClose(app.echoTcp);
  }
  app.pingTcp = app.echoTcp = -1;
  NET2_TCPClose(listener);
  return out;
}

std::vector<double> layerUdp(App& app, int samples, bool fresh) {
  app.echoUdpPort = freePort(SOCK_DGRAM);
  app.echoUdp = NET2_UDPAcceptOn(app.echoUdpPort, PING_BYTES);
  std::vector<double> out;
  for (int i = 0; i < samples; ++i) {
    const Clock::time_point t0 = Clock::now();
    if (app.pingUdp < 0) {
      app.pingUdpPort = freePort(SOCK_DGRAM);
      NET2_ResolveHost(&app.pingUdpAddress, "127.0.0.1", app.pingUdpPort);
      app.pingUdp = NET2_UDPAcceptOn(app.pingUdpPort, PING_BYTES);
    }
    const double round = layerUdpRound(app);
    out.push_back(fresh ? msSince(t0) : round);
    if (fresh) {
      NET2_UDPClose(app.pingUdp);
      app.pingUdp = -1;
    }
  }
  if (app.pingUdp >= 0) NET2_UDPClose(app.pingUdp);
  NET2_UDPClose(app.echoUdp);
  app.pingUdp = app.echoUdp = -1;
  return out;
}

// ---- The busy neighbour ----

// A plain sender keeping a socket full until stopped: a TCP stream into a
// connection, or datagrams to a UDP port.
class BusySender {
 public:
  BusySender(bool tcp, uint16_t port) : sender_([this, tcp, port] { tcp ? stream(port) : flood(port); }) {}
  ~BusySender() {
    stop_ = true;
    sender_.join();
  }

 private:
  void stream(uint16_t port) {
    const int fd = plainConnect(port);
    const timeval limit = {0, 100 * 1000};  // a blocked send looks at stop_ again
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    const std::string chunk(BUSY_CHUNK, 'b');
    while (!stop_) send(fd, chunk.data(), chunk.size(), MSG_NOSIGNAL);
    close(fd);
  }
  void flood(uint16_t port) {
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    const sockaddr_in to = loopbackAddress(port);
    char datagram[PING_BYTES] = {};
    while (!stop_) {
      for (int i = 0; i < BUSY_DATAGRAMS; ++i) {
        sendto(fd, datagram, sizeof datagram, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
      }
      usleep(BUSY_PAUSE_US);
    }
    close(fd);
  }

  std::atomic<bool> stop_{false};
  std::thread sender_;
};

Uint32 pushFrame(Uint32 interval, void*) {
  SDL_Event e = {};
  e.type = SDL_USEREVENT;
  e.user.code = FRAME_CODE;
  FE_PushEvent(&e);
  return interval;
}

// The ping beside a busy socket that the application reads once a frame.
std::vector<double> layerBeside(App& app, bool tcp) {
  const uint16_t port = freePort(tcp ? SOCK_STREAM : SOCK_DGRAM);
  const int listener = tcp ? NET2_TCPAcceptOn(port) : NET2_UDPAcceptOn(port, PING_BYTES);
  app.busyListenPort = port;
  app.busyIsTcp = tcp;
  if (!tcp) app.busy = listener;
  SDL_TimerID frames = SDL_AddTimer(FRAME_MS, pushFrame, nullptr);
  std::vector<double> out;
  {
    BusySender sender(tcp, port);
    app.serveUntil([&] { return app.busy >= 0; });
    out = tcp ? layerTcp(app, BESIDE_SAMPLES, false) : layerUdp(app, BESIDE_SAMPLES, false);
  }
  SDL_RemoveTimer(frames);
  if (tcp) {
    NET2_TCPClose(app.busy);
    NET2_TCPClose(listener);
  } else {
    NET2_UDPClose(listener);
  }
  app.busy = -1;
  return out;
}

std::vector<double> plainBeside(bool tcp) {
  uint16_t port;
  const int busy = plainSocket(tcp ? SOCK_STREAM : SOCK_DGRAM, &port);
  std::atomic<bool> stop{false};
  std::vector<double> out;
  {
    BusySender sender(tcp, port);
    const int conn = tcp ? accept(busy, nullptr, nullptr) : busy;
    std::thread reader([&] {  // once a frame
      char buf[App::TCP_BUFFER];
      while (!stop) {
        recv(conn, buf, sizeof buf, MSG_DONTWAIT);
        SDL_Delay(FRAME_MS);
      }
    });
    out = plainPing(tcp, BESIDE_SAMPLES, false);
    stop = true;
    reader.join();
    if (tcp) close(conn);
  }
  close(busy);
  return out;
}

void report(const char* what, const std::vector<double>& ours, const std::vector<double>& plain) {
  const double P50 = 0.5, P99 = 0.99;
  for (const double p : {P50, P99}) {
    const double a = percentile(ours, p), b = percentile(plain, p);
    const std::string name = std::string(what) + (p == P50 ? ", median" : ", p99");
    printf("  %-44s %8.3f ms  plain %8.3f ms  %s\n", name.c_str(), a, b,
           a <= GOAL_RATIO * b + GOAL_EXTRA_MS ? "within the goal" : "OVER the goal");
    reportFigure(name, a, "plain sockets", b, "ms");
  }
}

}  // namespace

int main() {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) != 0 || FE_Init() != 0 || SDLNet_Init() != 0 ||
      NET2_Init() != 0) {
    fprintf(stderr, "net2_latency_bench: the layer did not start\n");
    return 1;
  }
  App app;
  printf("64-byte ping-pong on loopback (goal: 1.5 x plain + 0.1 ms)\n");
  report("TCP ping, steady (net2)", layerTcp(app, STEADY_SAMPLES, false),
         plainPing(true, STEADY_SAMPLES, false));
  report("UDP ping, steady (net2)", layerUdp(app, STEADY_SAMPLES, false),
         plainPing(false, STEADY_SAMPLES, false));
  report("TCP ping, first reply (net2)", layerTcp(app, FIRST_SAMPLES, true),
         plainPing(true, FIRST_SAMPLES, true));
  report("UDP ping, first reply (net2)", layerUdp(app, FIRST_SAMPLES, true),
         plainPing(false, FIRST_SAMPLES, true));
  report("TCP ping, beside a busy socket (net2)", layerBeside(app, true), plainBeside(true));
  report("UDP ping, beside a busy socket (net2)", layerBeside(app, false), plainBeside(false));
  NET2_Quit();
  SDLNet_Quit();
  FE_Quit();
  SDL_Quit();
  return 0;
}
