// The network thread: one rule per record and pass, under the data lock.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "fastevents.h"
#include "net2_private.h"

namespace net2 {
namespace {

// Longest wait for socket activity in one pass of the thread.
const Uint32 CHECK_TIMEOUT_MS = 10;
// Exit status of a process that sends an event without holding the data lock.
const int UNLOCKED_SEND_STATUS = 1;
const intptr_t NO_DATA = -1;

// Pushes a network event. Called with the data lock held, which it releases
// while it pushes: SDL's queue may be full, and the application must be able
// to call in while the thread waits for room.
void sendEvent(int code, intptr_t data1, intptr_t data2) {
  if (!dataLocked) exit(UNLOCKED_SEND_STATUS);
  SDL_Event event;
  memset(&event, 0, sizeof event);
  event.type = SDL_USEREVENT;
  event.user.code = code;
  event.user.data1 = reinterpret_cast<void*>(data1);
  event.user.data2 = reinterpret_cast<void*>(data2);
  unlockData();
  FE_PushEvent(&event);
  lockData();
}

void sendError(const char* text, int socket) {
  sendEvent(NET2_ERROREVENT, socket, reinterpret_cast<intptr_t>(text));
}

bool isReady(const NET2_Socket* r) { return SDLNet_SocketReady(r->s.genSocket); }

bool isKnownType(Uint8 type) {
  return type == TCPServerSocket || type == TCPClientSocket || type == UDPServerSocket;
}

// Puts the socket in the watched set; false when SDL_net refuses.
bool joinSet(NET2_Socket* r) {
  const NetLock net;
  r->inSet = SDLNet_AddSocket(socketSet, r->s.genSocket) != -1;
  return r->inSet;
}

// Takes the socket out of the watched set; false when SDL_net refuses.
bool leaveSet(NET2_Socket* r) {
  r->inSet = false;
  const NetLock net;
  return SDLNet_DelSocket(socketSet, r->s.genSocket) != -1;
}

// A record of no known type cannot happen; it is dropped so the report is
// not repeated.
void dropUnknown(int socket, const char* unusedText) {
  NET2_Socket* r = socketHeap[socket];
  const char* text = r->type == unusedSocket ? unusedText : INVALID_TYPE;
  clearRecord(r, unusedSocket);
  sendError(text, socket);
}

void addToSet(int socket) {
  NET2_Socket* r = socketHeap[socket];
  if (!isKnownType(r->type)) {
    dropUnknown(socket, ADD_UNUSED);
    return;
  }
  if (joinSet(r)) {
    r->state = readyState;
    return;
  }
  r->state = delState;
  sendError(r->type == UDPServerSocket ? CANT_ADD_UDP : CANT_ADD_TCP, socket);
}

void deleteSocket(int socket) {
  NET2_Socket* r = socketHeap[socket];
  if (!isKnownType(r->type)) {
    dropUnknown(socket, DEL_UNUSED);
    return;
  }
  // A socket that never joined the set, or left it when dying, is not removed again.
  if (r->inSet && !leaveSet(r)) {
    sendError(r->type == UDPServerSocket ? CANT_DEL_UDP : CANT_DEL_TCP, socket);
  }
  closeSdlSocket(r);
  freeSocket(socket);
}

// A dying connection leaves the set, or its end of file would wake the thread on every pass.
void dropDying(int socket) {
  NET2_Socket* r = socketHeap[socket];
  if (r->inSet && !leaveSet(r)) sendError(CANT_DEL_TCP, socket);
  if (r->closePending) {
    r->closePending = false;
    sendEvent(NET2_TCPCLOSEEVENT, socket, NO_DATA);
  }
}

TCPsocket acceptOn(TCPsocket server) {
  const NetLock net;
  return SDLNet_TCP_Accept(server);
}

void closeConnection(TCPsocket connection) {
  const NetLock net;
  SDLNet_TCP_Close(connection);
}

void acceptConnection(int socket) {
  NET2_Socket* server = socketHeap[socket];
  TCPsocket connection = acceptOn(server->s.tcpSocket);
  if (connection == nullptr) return;
  const int accepted = isWatchable(reinterpret_cast<SDLNet_GenericSocket>(connection))
                           ? allocSocket(TCPClientSocket)
                           : NO_SOCKET;
  if (accepted == NO_SOCKET) {
    closeConnection(connection);
    sendError(ACCEPT_FAILED, socket);
    return;
  }
  NET2_Socket* r = socketHeap[accepted];
  r->s.tcpSocket = connection;
  r->state = addState;
  sendEvent(NET2_TCPACCEPTEVENT, accepted, server->p.tcpPort);
  // Watched at once, unless the application closed it during the event:
  // its place may come before this pass's.
  if (r->state == addState) addToSet(accepted);
}

// Receives into the free room of the connection's buffer; SDL_net's result.
int receiveBytes(NET2_Socket* r) {
  CharQue& q = r->q.tb;
  const NetLock net;
  return SDLNet_TCP_Recv(r->s.tcpSocket, q.buf + q.len, TCP_BUFFER_BYTES - q.len);
}

// Out of the watched set until the application takes from its full buffer
// or queue; every other socket goes on being served.
void pause(int socket) {
  NET2_Socket* r = socketHeap[socket];
  r->paused = true;
  if (!leaveSet(r)) sendError(r->type == UDPServerSocket ? CANT_DEL_UDP : CANT_DEL_TCP, socket);
}

void receiveTcp(int socket) {
  NET2_Socket* r = socketHeap[socket];
  CharQue& q = r->q.tb;
  if (q.len < TCP_BUFFER_BYTES) {
    const int got = receiveBytes(r);
    if (got < 1) {
      r->state = dyingState;
      const bool left = leaveSet(r);
      sendEvent(NET2_TCPCLOSEEVENT, socket, NO_DATA);
      if (!left) sendError(CANT_DEL_TCP, socket);
      return;
    }
    const bool wasEmpty = q.len == 0;
    q.len += got;
    // One event per change from empty to filled, not one per chunk.
    if (wasEmpty) sendEvent(NET2_TCPRECEIVEEVENT, socket, NO_DATA);
  }
  // The event let the application in: look at the buffer as it is now.
  if (r->state == readyState && q.len >= TCP_BUFFER_BYTES) pause(socket);
}

// One datagram in a new packet of udpLen bytes, or null when none came;
// *noMemory tells that no packet could be had.
UDPpacket* receiveDatagram(const NET2_Socket* r, bool* noMemory) {
  const NetLock net;
  UDPpacket* packet = SDLNet_AllocPacket(r->p.udpLen);
  *noMemory = packet == nullptr;
  if (packet == nullptr || SDLNet_UDP_Recv(r->s.udpSocket, packet) == 1) return packet;
  SDLNet_FreePacket(packet);
  return nullptr;
}

void receiveUdp(int socket) {
  NET2_Socket* r = socketHeap[socket];
  PacketQue& q = r->q.ub;
  bool noMemory = false;
  while (r->state == readyState && q.length < UDP_QUEUE_PACKETS) {
    UDPpacket* packet = receiveDatagram(r, &noMemory);
    if (packet == nullptr) break;
    const bool wasEmpty = q.length == 0;
    q.buf[q.tail] = packet;
    q.tail = (q.tail + 1) % UDP_QUEUE_PACKETS;
    ++q.length;
    if (wasEmpty) sendEvent(NET2_UDPRECEIVEEVENT, socket, NO_DATA);
  }
  if (noMemory && q.length < UDP_QUEUE_PACKETS) sendError(OUT_OF_MEMORY, socket);
  if (r->state == readyState && q.length >= UDP_QUEUE_PACKETS) pause(socket);
}

void serveSocket(int socket) {
  NET2_Socket* r = socketHeap[socket];
  if (r->state == addState) {
    addToSet(socket);
  } else if (r->state == delState) {
    deleteSocket(socket);
  } else if (r->state == dyingState) {
    dropDying(socket);
  } else if (r->type == TCPServerSocket && isReady(r)) {
    acceptConnection(socket);
  } else if (r->type == TCPClientSocket && r->state == readyState && isReady(r)) {
    receiveTcp(socket);
  } else if (r->type == UDPServerSocket && r->state == readyState && isReady(r)) {
    receiveUdp(socket);
  }
}

}  // namespace

int PumpNetworkEvents(void*) {
  while (!doneYet) {
    if (SDLNet_CheckSockets(socketSet, CHECK_TIMEOUT_MS) == -1) setError(CHECK_FAILED, NO_SOCKET);
    const DataLock held;
    takeWakeups();
    for (int i = 0; i < lastHeapSocket && !doneYet; ++i) serveSocket(i);
  }
  threadEnded = true;
  return 0;
}

}  // namespace net2
