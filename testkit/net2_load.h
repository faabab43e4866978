#ifndef TESTKIT_NET2_LOAD_H
#define TESTKIT_NET2_LOAD_H

// Loopback plumbing for the network layer, and its load run: plain clients into a layer server.

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "fastevents.h"
#include "net2.h"
#include "wait_until.h"

// A port that was free a moment ago.
inline uint16_t freePort(int type) {
  const int fd = socket(AF_INET, type, 0);
  sockaddr_in a = {};
  a.sin_family = AF_INET;
  socklen_t len = sizeof a;
  bind(fd, reinterpret_cast<sockaddr*>(&a), len);
  getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
  close(fd);
  return ntohs(a.sin_port);
}

inline sockaddr_in loopbackAddress(uint16_t port) {
  sockaddr_in a = {};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(port);
  return a;
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

// The next user event within limitMs; false if none came.
inline bool pollNetEvent(SDL_Event* e, int limitMs) {
  return waitUntil([e] { return FE_PollEvent(e) == 1 && e->type == SDL_USEREVENT; }, limitMs);
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

// Streams bytesEach bytes from each client through the layer within limitMs; what went wrong, or "".
// The highest layer socket number used goes to highestSocket when given.
inline std::string runNet2Load(size_t clients, size_t bytesEach, int limitMs, int* highestSocket = nullptr) {
  std::vector<int> fds;
  const std::vector<int> sockets = acceptClients(clients, &fds, limitMs);
  for (int s : sockets) {
    if (highestSocket != nullptr && s > *highestSocket) *highestSocket = s;
  }
  std::vector<std::string> received(sockets.size());
  std::vector<std::thread> senders;
  for (size_t c = 0; c < sockets.size(); ++c) {
    senders.emplace_back([fd = fds[c], c, bytesEach] {
      const std::string stream = clientStream(c, bytesEach);
      send(fd, stream.data(), stream.size(), MSG_NOSIGNAL);
      shutdown(fd, SHUT_WR);
    });
  }
  std::string problem = sockets.size() < clients ? "a client was not accepted" : "";
  // At the deadline SDL's timer thread pushes an error event, as the layer's, that wakes FE_WaitEvent.
  const SDL_TimerID timer = SDL_AddTimer(
      limitMs,
      [](Uint32 interval, void*) {
        static char text[] = "the transfer did not end in time";
        SDL_Event timeout;
        timeout.user = {SDL_USEREVENT, NET2_ERROREVENT, nullptr, text};
        SDL_PushEvent(&timeout);
        return interval;
      },
      nullptr);
  SDL_Event e;
  for (size_t closed = 0; closed < sockets.size() && problem.empty() && FE_WaitEvent(&e) == 1;) {
    if (e.type != SDL_USEREVENT) continue;
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
  SDL_RemoveTimer(timer);
  for (int fd : fds) shutdown(fd, SHUT_RDWR);  // frees senders stuck behind a reader that stopped
  for (std::thread& t : senders) t.join();
  for (size_t c = 0; c < sockets.size(); ++c) {
    if (received[c] != clientStream(c, bytesEach) && problem.empty()) problem = "a stream changed";
    NET2_TCPClose(sockets[c]);
  }
  for (int fd : fds) close(fd);
  return problem;
}

#endif
