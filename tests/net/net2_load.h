#ifndef TESTS_NET2_LOAD_H
#define TESTS_NET2_LOAD_H

// Plain loopback sockets for driving the network layer, and a load run:
// many TCP clients (plain sockets, each on its own thread) stream a known
// payload to one server, which is either the network layer read through its
// events or plain blocking sockets read by one thread per connection. Every
// byte is checked against what its client sent.

#include <SDL.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "fastevents.h"
#include "net2.h"

namespace net2load {

const uint32_t LOOPBACK = INADDR_LOOPBACK;
const size_t SEND_CHUNK_BYTES = 64 * 1024;
const size_t READ_CHUNK_BYTES = 4096;
const int HEADER_BYTES = 4;  // the client number, little-endian
// A user event code outside the network kinds, pushed to bound waits.
const int TICK_CODE = 1000;
const int TICK_MS = 20;

inline sockaddr_in loopbackAddress(uint16_t port) {
  sockaddr_in a;
  memset(&a, 0, sizeof a);
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(LOOPBACK);
  a.sin_port = htons(port);
  return a;
}

// A port that was free a moment ago (bound to 0, read back, released).
inline uint16_t freePort(int type) {
  const int fd = socket(AF_INET, type, 0);
  sockaddr_in a = loopbackAddress(0);
  socklen_t len = sizeof a;
  uint16_t port = 0;
  if (fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) == 0) {
    port = ntohs(a.sin_port);
  }
  if (fd >= 0) close(fd);
  return port;
}

inline int plainConnect(uint16_t port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return -1;
  sockaddr_in a = loopbackAddress(port);
  if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

// A listening socket on a free loopback port, stored in *port.
inline int plainListen(uint16_t* port, int backlog) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a = loopbackAddress(0);
  socklen_t len = sizeof a;
  if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
      listen(fd, backlog) != 0 || getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
    if (fd >= 0) close(fd);
    return -1;
  }
  *port = ntohs(a.sin_port);
  return fd;
}

inline bool sendAll(int fd, const char* data, size_t len) {
  while (len > 0) {
    const ssize_t n = send(fd, data, std::min(len, SEND_CHUNK_BYTES), MSG_NOSIGNAL);
    if (n <= 0) return false;
    data += n;
    len -= static_cast<size_t>(n);
  }
  return true;
}

inline bool sendDatagram(int fd, uint16_t port, const void* data, size_t len) {
  sockaddr_in a = loopbackAddress(port);
  return sendto(fd, data, len, 0, reinterpret_cast<sockaddr*>(&a), sizeof a) ==
         static_cast<ssize_t>(len);
}

inline unsigned char patternByte(uint32_t client, uint32_t offset) {
  uint32_t h = offset * 0x9E3779B1u ^ (client + 1) * 0x85EBCA77u;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  return static_cast<unsigned char>(h);
}

// What client c sends: its number, then bytesEach pattern bytes.
inline std::string clientStream(int client, size_t bytesEach) {
  std::string s(HEADER_BYTES + bytesEach, '\0');
  for (int i = 0; i < HEADER_BYTES; ++i) {
    s[static_cast<size_t>(i)] = static_cast<char>((static_cast<uint32_t>(client) >> (8 * i)) & 0xff);
  }
  for (size_t i = 0; i < bytesEach; ++i) {
    s[HEADER_BYTES + i] = static_cast<char>(patternByte(static_cast<uint32_t>(client),
                                                        static_cast<uint32_t>(i)));
  }
  return s;
}

// Checks one received stream against the stream of the client it names.
class StreamChecker {
 public:
  explicit StreamChecker(const std::vector<std::string>* streams) : streams_(streams) {}

  void feed(const char* data, size_t n) {
    for (; n > 0 && got_ < HEADER_BYTES; ++data, --n) {
      header_ |= static_cast<uint32_t>(static_cast<unsigned char>(*data)) << (8 * got_);
      ++got_;
    }
    if (n == 0) return;
    const std::string* expected = stream();
    if (expected == nullptr || got_ + n > expected->size() ||
        memcmp(expected->data() + got_, data, n) != 0) {
      wrong_ = true;
    }
    got_ += n;
  }

  // The client number, or -1 when the stream is not a whole, exact copy.
  int completeClient() const {
    const std::string* expected = stream();
    return expected != nullptr && !wrong_ && got_ == expected->size() ? static_cast<int>(header_)
                                                                      : -1;
  }

 private:
  const std::string* stream() const {
    if (got_ < HEADER_BYTES || header_ >= streams_->size()) return nullptr;
    return &(*streams_)[header_];
  }

  const std::vector<std::string>* streams_;
  size_t got_ = 0;
  uint32_t header_ = 0;
  bool wrong_ = false;
};

struct LoadResult {
  bool ok = false;
  std::string problem;
  double seconds = 0;
  size_t payloadBytes = 0;
  int receiveEvents = 0;
};

// Checks that the finished checkers hold every client exactly once.
inline void judge(const std::vector<const StreamChecker*>& checkers, int clients, LoadResult* r) {
  std::vector<int> seen(static_cast<size_t>(clients), 0);
  for (const StreamChecker* c : checkers) {
    const int client = c->completeClient();
    if (client < 0 || client >= clients) {
      r->problem = "a stream arrived incomplete, altered or out of order";
      return;
    }
    ++seen[static_cast<size_t>(client)];
  }
  for (int n : seen) {
    if (n != 1) {
      r->problem = "a client's stream is missing or duplicated";
      return;
    }
  }
  r->ok = true;
}

// Client threads: each sends its stream and then its end of file.
class Senders {
 public:
  Senders(const std::vector<int>& fds, const std::vector<std::string>& streams) : fds_(fds) {
    for (size_t i = 0; i < fds.size(); ++i) {
      threads_.emplace_back([this, i, &streams] {
        if (!sendAll(fds_[i], streams[i].data(), streams[i].size())) ++failures;
        shutdown(fds_[i], SHUT_WR);
      });
    }
  }
  // Unblocks senders stuck behind a reader that stopped.
  void abort() {
    for (int fd : fds_) shutdown(fd, SHUT_RDWR);
  }
  void join() {
    for (std::thread& t : threads_) t.join();
    threads_.clear();
  }
  ~Senders() {
    join();
    for (int fd : fds_) close(fd);
  }
  std::atomic<int> failures{0};

 private:
  std::vector<int> fds_;
  std::vector<std::thread> threads_;
};

inline std::vector<std::string> makeStreams(int clients, size_t bytesEach) {
  std::vector<std::string> streams;
  for (int c = 0; c < clients; ++c) streams.push_back(clientStream(c, bytesEach));
  return streams;
}

// Pushes a tick event every TICK_MS so that an event loop can check its deadline.
class Ticker {
 public:
  Ticker()
      : thread_([this] {
          while (!stop_) {
            SDL_Event e;
            memset(&e, 0, sizeof e);
            e.type = SDL_USEREVENT;
            e.user.code = TICK_CODE;
            // Never blocks: when the queue is full, the loop has events anyway,
            // and the event queue's broadcast wakes a waiter for this one.
            SDL_PushEvent(&e);
            SDL_Delay(TICK_MS);
          }
        }) {}
  ~Ticker() {
    stop_ = true;
    thread_.join();
  }

 private:
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

typedef std::chrono::steady_clock Clock;

// Polls for the next network event until the deadline; false when none came.
inline bool pollNetEvent(SDL_Event* e, Clock::time_point deadline) {
  while (Clock::now() < deadline) {
    if (FE_PollEvent(e) == 1 && e->type == SDL_USEREVENT && e->user.code != TICK_CODE) return true;
    SDL_Delay(1);
  }
  return false;
}

// Streams bytesEach bytes from each of `clients` plain clients into a server
// socket of the network layer, which must be started. The transfer is timed
// from the start of the sends to the last close event.
inline LoadResult runNet2Load(int clients, size_t bytesEach, int limitMs) {
  LoadResult r;
  const std::vector<std::string> streams = makeStreams(clients, bytesEach);
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(limitMs);
  const uint16_t port = freePort(SOCK_STREAM);
  const int server = NET2_TCPAcceptOn(port);
  if (server < 0) {
    r.problem = std::string("listen: ") + NET2_GetError();
    return r;
  }
  std::map<int, std::unique_ptr<StreamChecker>> connections;
  std::vector<int> fds;
  // One connection at a time: the listening backlog is short.
  for (int c = 0; c < clients; ++c) {
    const int fd = plainConnect(port);
    SDL_Event e;
    if (fd < 0 || !pollNetEvent(&e, deadline) || NET2_GetEventType(&e) != NET2_TCPACCEPTEVENT) {
      if (fd >= 0) close(fd);
      for (int f : fds) close(f);
      NET2_TCPClose(server);
      r.problem = "a client was not accepted";
      return r;
    }
    fds.push_back(fd);
    connections[NET2_GetSocket(&e)].reset(new StreamChecker(&streams));
  }
  NET2_TCPClose(server);

  Ticker ticker;
  const Clock::time_point start = Clock::now();
  Senders senders(fds, streams);
  char buf[READ_CHUNK_BYTES];
  int closed = 0;
  while (closed < clients && r.problem.empty()) {
    if (Clock::now() >= deadline) {
      r.problem = "the transfer did not end in time";
      break;
    }
    SDL_Event e;
    FE_WaitEvent(&e);
    if (e.type != SDL_USEREVENT || e.user.code == TICK_CODE) continue;
    const int kind = NET2_GetEventType(&e);
    const int socket = NET2_GetSocket(&e);
    auto it = connections.find(socket);
    if (kind == NET2_ERROREVENT) {
      r.problem = std::string("error event: ") + NET2_GetEventError(&e);
    } else if (it == connections.end() ||
               (kind != NET2_TCPRECEIVEEVENT && kind != NET2_TCPCLOSEEVENT)) {
      r.problem = "an unexpected event";
    } else {
      if (kind == NET2_TCPRECEIVEEVENT) ++r.receiveEvents;
      int n;
      while ((n = NET2_TCPRead(socket, buf, sizeof buf)) > 0) {
        it->second->feed(buf, static_cast<size_t>(n));
      }
      if (kind == NET2_TCPCLOSEEVENT) {
        NET2_TCPClose(socket);
        ++closed;
      }
    }
  }
  r.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  if (!r.problem.empty()) senders.abort();
  senders.join();
  if (r.problem.empty() && senders.failures > 0) r.problem = "a client could not send";
  if (r.problem.empty()) {
    std::vector<const StreamChecker*> checkers;
    for (const auto& c : connections) checkers.push_back(c.second.get());
    judge(checkers, clients, &r);
  }
  r.payloadBytes = static_cast<size_t>(clients) * bytesEach;
  return r;
}

// The same transfer between plain blocking sockets, one reader thread per connection.
inline LoadResult runPlainLoad(int clients, size_t bytesEach, int limitMs) {
  LoadResult r;
  const std::vector<std::string> streams = makeStreams(clients, bytesEach);
  uint16_t port = 0;
  const int listener = plainListen(&port, clients);
  if (listener < 0) {
    r.problem = "listen failed";
    return r;
  }
  std::vector<int> fds;
  std::vector<int> accepted;
  for (int c = 0; c < clients; ++c) {
    const int fd = plainConnect(port);
    const int in = fd >= 0 ? accept(listener, nullptr, nullptr) : -1;
    if (fd >= 0) fds.push_back(fd);
    if (in < 0) {
      r.problem = "a client was not accepted";
      break;
    }
    accepted.push_back(in);
  }
  close(listener);
  if (!r.problem.empty()) {
    for (int fd : fds) close(fd);
    for (int fd : accepted) close(fd);
    return r;
  }
  std::vector<std::unique_ptr<StreamChecker>> checkers;
  for (int c = 0; c < clients; ++c) checkers.emplace_back(new StreamChecker(&streams));
  std::atomic<int> finished{0};
  const Clock::time_point start = Clock::now();
  std::vector<std::thread> readers;
  for (size_t i = 0; i < accepted.size(); ++i) {
    readers.emplace_back([&, i] {
      std::vector<char> buf(SEND_CHUNK_BYTES);
      ssize_t n;
      while ((n = recv(accepted[i], buf.data(), buf.size(), 0)) > 0) {
        checkers[i]->feed(buf.data(), static_cast<size_t>(n));
      }
      ++finished;
    });
  }
  {
    Senders senders(fds, streams);
    const auto deadline = start + std::chrono::milliseconds(limitMs);
    while (finished < clients && Clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    r.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (finished < clients) {
      r.problem = "the transfer did not end in time";
      senders.abort();
      for (int fd : accepted) shutdown(fd, SHUT_RDWR);
    }
  }
  for (std::thread& t : readers) t.join();
  for (int fd : accepted) close(fd);
  if (r.problem.empty()) {
    std::vector<const StreamChecker*> all;
    for (const auto& c : checkers) all.push_back(c.get());
    judge(all, clients, &r);
  }
  r.payloadBytes = static_cast<size_t>(clients) * bytesEach;
  return r;
}

}  // namespace net2load

#endif
