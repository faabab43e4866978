#ifndef TESTS_NET2_LOAD_H
#define TESTS_NET2_LOAD_H

// Loopback plumbing for the network layer, and its load run: plain clients into a layer server.

#include <arpa/inet.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "fastevents.h"
#include "net2.h"

namespace net2load {

inline sockaddr_in loopbackAddress(uint16_t port) {
  sockaddr_in a = {};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(port);
  return a;
}

// A loopback port that was free a moment ago.
inline uint16_t freePort(int type) {
  const int fd = socket(AF_INET, type, 0);
  sockaddr_in a = loopbackAddress(0);
  socklen_t len = sizeof a;
  bind(fd, reinterpret_cast<sockaddr*>(&a), len);
  getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
  close(fd);
  return ntohs(a.sin_port);
}

inline int plainConnect(uint16_t port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  const sockaddr_in a = loopbackAddress(port);
  connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a);
  return fd;
}

// Bytes hashed from client and offset, so a lost, repeated or misplaced chunk shows.
inline std::string clientStream(size_t client, size_t bytes) {
  std::string s(bytes, '\0');
  for (uint32_t i = 0; i < bytes; ++i) {
    s[i] = static_cast<char>(((i * 0x9E3779B1u) ^ (client + 1) * 0x85EBCA77u) * 0x2C1B3C6Du >> 24);
  }
  return s;
}

// The next user event, polled a millisecond apart up to limitMs times; false if none came.
inline bool pollNetEvent(SDL_Event* e, int limitMs) {
  for (int waited = 0; waited < limitMs; ++waited) {
    if (FE_PollEvent(e) == 1 && e->type == SDL_USEREVENT) return true;
    SDL_Delay(1);
  }
  return false;
}

inline std::string readAll(int socket) {
  std::string got;
  char buf[1024];
  for (int n; (n = NET2_TCPRead(socket, buf, sizeof buf)) > 0;) got.append(buf, n);
  return got;
}

// Plain clients accepted one by one by a new layer server: their layer numbers, plain ends in fds.
inline std::vector<int> acceptClients(size_t clients, std::vector<int>* fds, int limitMs) {
  const uint16_t port = freePort(SOCK_STREAM);
  const int server = NET2_TCPAcceptOn(port);
  std::vector<int> sockets;
  SDL_Event e;
  while (server >= 0 && sockets.size() < clients) {
    fds->push_back(plainConnect(port));
    if (!pollNetEvent(&e, limitMs) || NET2_GetEventType(&e) != NET2_TCPACCEPTEVENT) break;
    if (NET2_GetEventData(&e) != port) break;
    sockets.push_back(NET2_GetSocket(&e));
  }
  NET2_TCPClose(server);
  return sockets;
}

const int TICK_CODE = 1000;  // a user event code no network event uses
const Uint32 TICK_MS = 20;

// Run by SDL's timer thread: the tick wakes FE_WaitEvent so the loop can look at its clock.
inline Uint32 pushTick(Uint32 interval, void*) {
  SDL_Event tick = {};
  tick.type = SDL_USEREVENT;
  tick.user.code = TICK_CODE;
  SDL_PushEvent(&tick);
  return interval;
}

// Streams bytesEach bytes from each client through the layer within limitMs, timed from the
// first send; what went wrong, or "".
inline std::string runNet2Load(size_t clients, size_t bytesEach, int limitMs, double* seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
  std::vector<int> fds;
  const std::vector<int> sockets = acceptClients(clients, &fds, limitMs);
  std::vector<std::string> streams, received(sockets.size());
  for (size_t c = 0; c < sockets.size(); ++c) streams.push_back(clientStream(c, bytesEach));
  for (std::string& r : received) r.reserve(bytesEach);
  const auto start = std::chrono::steady_clock::now();
  std::vector<std::thread> senders;
  for (size_t c = 0; c < sockets.size(); ++c) {
    senders.emplace_back([&fds, &streams, c] {
      send(fds[c], streams[c].data(), streams[c].size(), MSG_NOSIGNAL);
      shutdown(fds[c], SHUT_WR);
    });
  }
  std::string problem = sockets.size() < clients ? "a client was not accepted" : "";
  const SDL_TimerID ticker = SDL_AddTimer(TICK_MS, pushTick, nullptr);
  SDL_Event e;
  for (size_t closed = 0; closed < clients && problem.empty();) {
    if (std::chrono::steady_clock::now() > deadline) problem = "the transfer did not end in time";
    if (FE_WaitEvent(&e) != 1 || e.type != SDL_USEREVENT || e.user.code == TICK_CODE) continue;
    const int kind = NET2_GetEventType(&e);
    const size_t c = std::find(sockets.begin(), sockets.end(), NET2_GetSocket(&e)) - sockets.begin();
    if (kind == NET2_ERROREVENT) {
      problem = NET2_GetEventError(&e);
    } else if (c == sockets.size() || kind == NET2_TCPACCEPTEVENT) {
      problem = "an unexpected event";
    } else {
      received[c] += readAll(sockets[c]);
      closed += kind == NET2_TCPCLOSEEVENT;
    }
  }
  *seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  SDL_RemoveTimer(ticker);
  for (int fd : fds) shutdown(fd, SHUT_RDWR);  // frees senders stuck behind a reader that stopped
  for (std::thread& t : senders) t.join();
  for (size_t c = 0; c < sockets.size(); ++c) {
    if (received[c] != streams[c] && problem.empty()) problem = "a stream changed";
    NET2_TCPClose(sockets[c]);
  }
  for (int fd : fds) close(fd);
  return problem;
}

}  // namespace net2load

#endif
