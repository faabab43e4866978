#include "net2.h"

#include <sys/select.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include "fastevents.h"

namespace {

// Socket records, and places in the set the thread watches.
const int MAX_SOCKETS = 1024;
// Bytes buffered per TCP connection before the thread waits for a read.
const int TCP_BUFFER_BYTES = 1024;
// Datagrams queued per UDP socket before the thread waits for a read.
const int UDP_QUEUE_PACKETS = 256;
// Longest wait for socket activity in one pass of the thread.
const Uint32 CHECK_TIMEOUT_MS = 10;
// Largest datagram payload UDP can carry.
const int MAX_UDP_BYTES = 65535;
// Pause between looks at SDL's queue while NET2_Quit waits for the thread.
const Uint32 QUIT_POLL_MS = 1;
// Exit status of a process that sends an event without holding the data lock.
const int UNLOCKED_SEND_STATUS = 1;
const int NO_SOCKET = -1;
const intptr_t NO_DATA = -1;
const Uint16 ANY_PORT = 0;
// SDLNet_UDP_Send's channel for "the packet's own address".
const int PACKET_ADDRESS_CHANNEL = -1;

const char OUT_OF_MEMORY[] = "NET2: out of memory";
const char CANT_CREATE_MUTEX[] = "NET2: can't create a mutex";
const char CANT_CREATE_COND[] = "NET2: can't create a condition variable";
const char CANT_OPEN_UDP_SEND[] = "NET2: can't open the UDP send socket";
const char CANT_START_THREAD[] = "NET2: can't start the network thread";
const char CANT_RESOLVE_HOST[] = "NET2: can't resolve that host name or address";
const char CANT_FIND_HOST[] = "NET2: can't find that host name or address";
const char CANT_OPEN_SOCKET[] = "NET2: can't open a socket";
const char UDP_SEND_FAILED[] = "NET2: UDP send failed";
const char CANT_SEND_ON_SOCKET[] = "NET2: you can't do a TCP send on that socket";
const char CANT_SEND_TCP[] = "NET2: can't send TCP data, expect a close event";
const char CANT_LOCK_DATA[] = "NET2: can't lock Data mutex";
const char CANT_UNLOCK_DATA[] = "NET2: can't unlock Data mutex";
const char CANT_LOCK_SDLNET[] = "NET2: can't lock SDLNet mutex";
const char CANT_UNLOCK_SDLNET[] = "NET2: can't unlock SDLNet mutex";
const char CHECK_FAILED[] = "NET2: the CheckSockets call failed";
const char CANT_ADD_TCP[] = "NET2: can't add a TCP socket to the socket set";
const char CANT_ADD_UDP[] = "NET2: can't add a UDP socket to the socket set";
const char CANT_DEL_TCP[] = "NET2: can't delete a TCP socket from the socket set";
const char CANT_DEL_UDP[] = "NET2: can't delete a UDP socket from the socket set";
const char ADD_UNUSED[] = "NET2: trying to add an unused socket";
const char DEL_UNUSED[] = "NET2: trying to delete an unused socket";
const char INVALID_TYPE[] = "NET2: invalid socket type, this should never happen";
const char ACCEPT_FAILED[] = "NET2: a TCP accept failed";

enum SocketType : Uint8 {
  unusedSocket = 0,
  TCPServerSocket = 1,
  TCPClientSocket = 2,
  UDPServerSocket = 3
};

enum SocketState : Uint8 {
  unusedState = 1,
  readyState = 2,
  dyingState = 4,
  addState = 8,
  delState = 16
};

// States in which a socket still has to be closed by its owner.
const Uint8 OPEN_STATES = readyState | dyingState | addState;
// States in which a connection may send.
const Uint8 SENDING_STATES = readyState | addState;

struct CharQue {
  Sint32 len;
  char buf[TCP_BUFFER_BYTES];
};

// A ring of datagrams: head is the next to take, tail the next free place.
struct PacketQue {
  Sint32 length;
  Sint32 head;
  Sint32 tail;
  UDPpacket* buf[UDP_QUEUE_PACKETS];
};

struct NET2_Socket {
  Uint8 type;
  Uint8 state;
  union {
    Sint32 tcpPort;
    Sint32 udpLen;
  } p;
  union {
    TCPsocket tcpSocket;
    UDPsocket udpSocket;
    SDLNet_GenericSocket genSocket;
  } s;
  union {
    CharQue tb;
    PacketQue ub;
  } q;
  bool inSet;  // the socket is in socketSet
  // A failed send has made it die: the thread owes the close event.
  bool closePending;
};

NET2_Socket* socketHeap[MAX_SOCKETS];
int lastHeapSocket = 0;
int freeHeapSocket = 0;
SDLNet_SocketSet socketSet = nullptr;
int initialized = 0;
UDPsocket udpSendSocket = nullptr;
// Read by NET2_GetError without the data lock.
std::atomic<const char*> error{nullptr};
std::atomic<int> errorSocket{NO_SOCKET};
SDL_mutex* dataLock = nullptr;
int dataLocked = 0;
SDL_cond* dataWait = nullptr;
int waitForRead = 0;
SDL_mutex* sdlNetLock = nullptr;
SDL_Thread* processSockets = nullptr;
std::atomic<int> doneYet{0};
std::atomic<bool> threadEnded{false};

void setError(const char* text, int socket) {
  error = text;
  errorSocket = socket;
}

void lockData() {
  if (SDL_mutexP(dataLock) == -1) setError(CANT_LOCK_DATA, NO_SOCKET);
  dataLocked = 1;
}

void unlockData() {
  dataLocked = 0;
  if (SDL_mutexV(dataLock) == -1) setError(CANT_UNLOCK_DATA, NO_SOCKET);
}

void lockNet() {
  if (SDL_mutexP(sdlNetLock) == -1) setError(CANT_LOCK_SDLNET, NO_SOCKET);
}

void unlockNet() {
  if (SDL_mutexV(sdlNetLock) == -1) setError(CANT_UNLOCK_SDLNET, NO_SOCKET);
}

// Takes the data lock for a public call; false (lock text set) when the layer
// is not started and there is no lock to take.
bool enterCall() {
  if (!initialized) {
    setError(CANT_LOCK_DATA, NO_SOCKET);
    return false;
  }
  lockData();
  return true;
}

// The record of a socket number from a caller, if it exists and its type is
// one of typeMask's bits (1 << type); null otherwise.
NET2_Socket* findSocket(int socket, unsigned typeMask) {
  if (socket < 0 || socket >= lastHeapSocket) return nullptr;
  NET2_Socket* r = socketHeap[socket];
  if (r->type == unusedSocket || (typeMask & (1u << r->type)) == 0) return nullptr;
  return r;
}

const unsigned TCP_TYPES = (1u << TCPServerSocket) | (1u << TCPClientSocket);
const unsigned CLIENT_TYPE = 1u << TCPClientSocket;
const unsigned UDP_TYPE = 1u << UDPServerSocket;

// SDL_net 1.2 keeps every socket's descriptor right after its ready flag.
struct SocketLayout {
  int ready;
  int channel;
};

// select() cannot watch a descriptor at or above FD_SETSIZE.
bool isWatchable(SDLNet_GenericSocket socket) {
  int fd;
  memcpy(&fd, reinterpret_cast<const char*>(socket) + offsetof(SocketLayout, channel), sizeof fd);
  return fd >= 0 && fd < FD_SETSIZE;
}

bool isReady(const NET2_Socket* r) { return SDLNet_SocketReady(r->s.genSocket); }

void clearRecord(NET2_Socket* r, Uint8 type) {
  r->type = type;
  r->state = unusedState;
  r->p.tcpPort = 0;
  r->s.genSocket = nullptr;
  memset(&r->q, 0, sizeof r->q);
  r->inSet = false;
  r->closePending = false;
}

// A record for a new socket: the first unused one from freeHeapSocket on,
// else a new one while fewer than MAX_SOCKETS exist. -1 when none can be had.
int allocSocket(Uint8 type) {
  int found = NO_SOCKET;
  for (int looked = 0; looked < lastHeapSocket; ++looked) {
    if (socketHeap[freeHeapSocket]->type == unusedSocket) {
      found = freeHeapSocket;
      break;
    }
    freeHeapSocket = (freeHeapSocket + 1) % lastHeapSocket;
  }
  if (found == NO_SOCKET) {
    if (lastHeapSocket >= MAX_SOCKETS) return NO_SOCKET;
    NET2_Socket* r = new (std::nothrow) NET2_Socket;
    if (r == nullptr) return NO_SOCKET;
    socketHeap[lastHeapSocket] = r;
    found = lastHeapSocket++;
  }
  clearRecord(socketHeap[found], type);
  return found;
}

// Releases a UDP socket's queued datagrams and marks the record unused.
void freeSocket(int socket) {
  NET2_Socket* r = socketHeap[socket];
  if (r->type == UDPServerSocket) {
    PacketQue& q = r->q.ub;
    lockNet();
    for (; q.length > 0; --q.length) {
      SDLNet_FreePacket(q.buf[q.head]);
      q.head = (q.head + 1) % UDP_QUEUE_PACKETS;
    }
    unlockNet();
  }
  clearRecord(r, unusedSocket);
}

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

void wakeThread() {
  waitForRead = 0;
  SDL_CondSignal(dataWait);
}

void closeSdlSocket(NET2_Socket* r) {
  lockNet();
  if (r->type == UDPServerSocket) {
    SDLNet_UDP_Close(r->s.udpSocket);
  } else {
    SDLNet_TCP_Close(r->s.tcpSocket);
  }
  unlockNet();
  r->s.genSocket = nullptr;
}

// Takes the socket out of the watched set; false when SDL_net refuses.
bool leaveSet(NET2_Socket* r) {
  lockNet();
  const int left = SDLNet_DelSocket(socketSet, r->s.genSocket);
  unlockNet();
  r->inSet = false;
  return left != -1;
}

// ---- The network thread: one rule per record and pass ----

void addToSet(int socket) {
  NET2_Socket* r = socketHeap[socket];
  const char* failure;
  if (r->type == TCPServerSocket || r->type == TCPClientSocket) {
    failure = CANT_ADD_TCP;
  } else if (r->type == UDPServerSocket) {
    failure = CANT_ADD_UDP;
  } else {
    // Cannot happen; the record is dropped so the report is not repeated.
    const char* text = r->type == unusedSocket ? ADD_UNUSED : INVALID_TYPE;
    clearRecord(r, unusedSocket);
    sendError(text, socket);
    return;
  }
  lockNet();
  const bool added = SDLNet_AddSocket(socketSet, r->s.genSocket) != -1;
  unlockNet();
  if (added) {
    r->inSet = true;
    r->state = readyState;
  } else {
    r->state = delState;
    sendError(failure, socket);
  }
}

void deleteSocket(int socket) {
  NET2_Socket* r = socketHeap[socket];
  if (r->type != TCPServerSocket && r->type != TCPClientSocket && r->type != UDPServerSocket) {
    const char* text = r->type == unusedSocket ? DEL_UNUSED : INVALID_TYPE;
    clearRecord(r, unusedSocket);
    sendError(text, socket);
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

void acceptConnection(int socket) {
  NET2_Socket* server = socketHeap[socket];
  lockNet();
  TCPsocket connection = SDLNet_TCP_Accept(server->s.tcpSocket);
  unlockNet();
  if (connection == nullptr) return;
  const int accepted = isWatchable(reinterpret_cast<SDLNet_GenericSocket>(connection))
                           ? allocSocket(TCPClientSocket)
                           : NO_SOCKET;
  if (accepted == NO_SOCKET) {
    lockNet();
    SDLNet_TCP_Close(connection);
    unlockNet();
    sendError(ACCEPT_FAILED, socket);
    return;
  }
  NET2_Socket* r = socketHeap[accepted];
  r->s.tcpSocket = connection;
  r->state = addState;
  sendEvent(NET2_TCPACCEPTEVENT, accepted, server->p.tcpPort);
}

void receiveTcp(int socket) {
  NET2_Socket* r = socketHeap[socket];
  CharQue& q = r->q.tb;
  if (q.len < TCP_BUFFER_BYTES) {
    lockNet();
    const int got = SDLNet_TCP_Recv(r->s.tcpSocket, q.buf + q.len, TCP_BUFFER_BYTES - q.len);
    unlockNet();
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
  if (r->state == readyState && q.len >= TCP_BUFFER_BYTES) waitForRead = 1;
}

void receiveUdp(int socket) {
  NET2_Socket* r = socketHeap[socket];
  PacketQue& q = r->q.ub;
  if (q.length >= UDP_QUEUE_PACKETS) {
    waitForRead = 1;
    return;
  }
  bool allocationFailed = false;
  while (r->state == readyState && q.length < UDP_QUEUE_PACKETS) {
    lockNet();
    UDPpacket* packet = SDLNet_AllocPacket(r->p.udpLen);
    const int got = packet != nullptr ? SDLNet_UDP_Recv(r->s.udpSocket, packet) : 0;
    if (packet != nullptr && got != 1) SDLNet_FreePacket(packet);
    unlockNet();
    if (packet == nullptr) {
      allocationFailed = true;
      break;
    }
    if (got != 1) break;
    const bool wasEmpty = q.length == 0;
    q.buf[q.tail] = packet;
    q.tail = (q.tail + 1) % UDP_QUEUE_PACKETS;
    ++q.length;
    if (wasEmpty) sendEvent(NET2_UDPRECEIVEEVENT, socket, NO_DATA);
  }
  if (allocationFailed && q.length < UDP_QUEUE_PACKETS) sendError(OUT_OF_MEMORY, socket);
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

int PumpNetworkEvents(void*) {
  while (!doneYet) {
    if (SDLNet_CheckSockets(socketSet, CHECK_TIMEOUT_MS) == -1) setError(CHECK_FAILED, NO_SOCKET);
    lockData();
    // A full buffer or queue stops every socket until the application reads.
    while (waitForRead && !doneYet) {
      dataLocked = 0;
      SDL_CondWait(dataWait, dataLock);
      dataLocked = 1;
    }
    for (int i = 0; i < lastHeapSocket && !doneYet; ++i) serveSocket(i);
    unlockData();
  }
  threadEnded = true;
  return 0;
}

// ---- Start and stop ----

void discardEvents() {
  SDL_Event event;
  while (FE_PollEvent(&event) > 0) {
  }
}

// Closes every socket still open and releases every record.
void releaseSockets() {
  for (int i = 0; i < lastHeapSocket; ++i) {
    NET2_Socket* r = socketHeap[i];
    if (r->type != unusedSocket && r->s.genSocket != nullptr) closeSdlSocket(r);
    freeSocket(i);
    delete r;
    socketHeap[i] = nullptr;
  }
  lastHeapSocket = 0;
  freeHeapSocket = 0;
}

// Releases what NET2_Init made; the thread has ended or never started.
void releaseResources() {
  if (socketSet != nullptr) {
    SDLNet_FreeSocketSet(socketSet);
    socketSet = nullptr;
  }
  if (udpSendSocket != nullptr) {
    SDLNet_UDP_Close(udpSendSocket);
    udpSendSocket = nullptr;
  }
  if (dataWait != nullptr) SDL_DestroyCond(dataWait);
  if (sdlNetLock != nullptr) SDL_DestroyMutex(sdlNetLock);
  if (dataLock != nullptr) SDL_DestroyMutex(dataLock);
  dataWait = nullptr;
  sdlNetLock = nullptr;
  dataLock = nullptr;
  dataLocked = 0;
  waitForRead = 0;
  processSockets = nullptr;
}

int failInit(const char* text) {
  releaseResources();
  setError(text, NO_SOCKET);
  return -1;
}

// Opens a TCP socket on ip in a new record; the caller holds the data lock.
int openTcp(IPaddress* ip, Uint8 type) {
  if (ip == nullptr) {
    setError(CANT_OPEN_SOCKET, NO_SOCKET);
    return -1;
  }
  const int socket = allocSocket(type);
  if (socket == NO_SOCKET) {
    setError(OUT_OF_MEMORY, NO_SOCKET);
    return -1;
  }
  NET2_Socket* r = socketHeap[socket];
  lockNet();
  TCPsocket opened = SDLNet_TCP_Open(ip);
  if (opened != nullptr && !isWatchable(reinterpret_cast<SDLNet_GenericSocket>(opened))) {
    SDLNet_TCP_Close(opened);
    opened = nullptr;
  }
  unlockNet();
  if (opened == nullptr) {
    freeSocket(socket);
    setError(CANT_OPEN_SOCKET, NO_SOCKET);
    return -1;
  }
  r->s.tcpSocket = opened;
  // The port as stored in the address, in network order, as SDL_net keeps it.
  if (type == TCPServerSocket) r->p.tcpPort = ip->port;
  r->state = addState;
  return socket;
}

}  // namespace

int NET2_Init() {
  if (initialized) return 0;
  signal(SIGPIPE, SIG_IGN);
  setError(nullptr, NO_SOCKET);
  doneYet = 0;
  threadEnded = false;
  if ((dataLock = SDL_CreateMutex()) == nullptr) return failInit(CANT_CREATE_MUTEX);
  if ((sdlNetLock = SDL_CreateMutex()) == nullptr) return failInit(CANT_CREATE_MUTEX);
  if ((dataWait = SDL_CreateCond()) == nullptr) return failInit(CANT_CREATE_COND);
  lastHeapSocket = 0;
  freeHeapSocket = 0;
  std::fill(socketHeap, socketHeap + MAX_SOCKETS, nullptr);
  if ((socketSet = SDLNet_AllocSocketSet(MAX_SOCKETS)) == nullptr) return failInit(OUT_OF_MEMORY);
  if ((udpSendSocket = SDLNet_UDP_Open(ANY_PORT)) == nullptr) return failInit(CANT_OPEN_UDP_SEND);
  if ((processSockets = SDL_CreateThread(PumpNetworkEvents, nullptr)) == nullptr) {
    return failInit(CANT_START_THREAD);
  }
  initialized = 1;
  return 0;
}

void NET2_Quit() {
  if (!initialized) return;
  lockData();
  doneYet = 1;
  wakeThread();
  unlockData();
  // The thread may be waiting for room in SDL's queue: keep emptying it
  // until the thread has ended, then once more for its last events.
  while (!threadEnded) {
    discardEvents();
    SDL_Delay(QUIT_POLL_MS);
  }
  SDL_WaitThread(processSockets, nullptr);
  discardEvents();
  lockData();
  releaseSockets();
  unlockData();
  releaseResources();
  setError(nullptr, NO_SOCKET);
  initialized = 0;
}

int NET2_TCPAcceptOn(int port) {
  if (!enterCall()) return -1;
  IPaddress ip;
  lockNet();
  const int resolved = SDLNet_ResolveHost(&ip, nullptr, static_cast<Uint16>(port));
  unlockNet();
  int socket = -1;
  if (resolved == -1) {
    setError(CANT_RESOLVE_HOST, NO_SOCKET);
  } else {
    socket = openTcp(&ip, TCPServerSocket);
    if (socket != -1) socketHeap[socket]->p.tcpPort = port;
  }
  unlockData();
  return socket;
}

int NET2_TCPAcceptOnIP(IPaddress* ip) {
  if (!enterCall()) return -1;
  const int socket = openTcp(ip, TCPServerSocket);
  unlockData();
  return socket;
}

int NET2_TCPConnectTo(const char* host, int port) {
  if (!enterCall()) return -1;
  IPaddress ip;
  int resolved = -1;
  // No host would resolve to the listening address, not to a peer.
  if (host != nullptr) {
    lockNet();
    resolved = SDLNet_ResolveHost(&ip, host, static_cast<Uint16>(port));
    unlockNet();
  }
  int socket = -1;
  if (resolved == -1) {
    setError(CANT_FIND_HOST, NO_SOCKET);
  } else {
    socket = openTcp(&ip, TCPClientSocket);
  }
  unlockData();
  return socket;
}

int NET2_TCPConnectToIP(IPaddress* ip) {
  if (!enterCall()) return -1;
  const int socket = openTcp(ip, TCPClientSocket);
  unlockData();
  return socket;
}

void NET2_TCPClose(int socket) {
  if (!enterCall()) return;
  NET2_Socket* r = findSocket(socket, TCP_TYPES);
  if (r != nullptr && (r->state & OPEN_STATES) != 0) {
    r->state = delState;
    // Its buffer may be what the thread waits on.
    wakeThread();
  }
  unlockData();
}

int NET2_TCPSend(int socket, const char* buf, int len) {
  if (!enterCall()) return -1;
  NET2_Socket* r = findSocket(socket, CLIENT_TYPE);
  int result = 0;
  if (r == nullptr || (r->state & SENDING_STATES) == 0) {
    setError(CANT_SEND_ON_SOCKET, socket);
    result = -1;
  } else if (len > 0) {
    lockNet();
    const int sent = SDLNet_TCP_Send(r->s.tcpSocket, buf, len);
    unlockNet();
    if (sent < len) {
      // The close event comes from the thread: pushed from here, into a
      // full queue that only this caller empties, it would never return.
      r->state = dyingState;
      r->closePending = true;
      setError(CANT_SEND_TCP, socket);
      wakeThread();
      result = -1;
    } else {
      result = sent;
    }
  }
  unlockData();
  return result;
}

int NET2_TCPRead(int socket, char* buf, int len) {
  if (!enterCall()) return -1;
  NET2_Socket* r = findSocket(socket, CLIENT_TYPE);
  int copied = 0;
  if (r != nullptr && len > 0) {
    CharQue& q = r->q.tb;
    copied = std::min(len, static_cast<int>(q.len));
    memcpy(buf, q.buf, static_cast<size_t>(copied));
    q.len -= copied;
    memmove(q.buf, q.buf + copied, static_cast<size_t>(q.len));
  }
  wakeThread();
  unlockData();
  return copied;
}

IPaddress* NET2_TCPGetPeerAddress(int s) {
  if (!enterCall()) return nullptr;
  NET2_Socket* r = findSocket(s, CLIENT_TYPE);
  IPaddress* peer = nullptr;
  if (r != nullptr && r->s.tcpSocket != nullptr) {
    lockNet();
    peer = SDLNet_TCP_GetPeerAddress(r->s.tcpSocket);
    unlockNet();
  }
  unlockData();
  return peer;
}

int NET2_UDPAcceptOn(int port, int size) {
  if (!enterCall()) return -1;
  int socket = -1;
  if (size < 1 || size > MAX_UDP_BYTES) {
    setError(CANT_OPEN_SOCKET, NO_SOCKET);
  } else if ((socket = allocSocket(UDPServerSocket)) == NO_SOCKET) {
    setError(OUT_OF_MEMORY, NO_SOCKET);
  } else {
    lockNet();
    UDPsocket opened = SDLNet_UDP_Open(static_cast<Uint16>(port));
    if (opened != nullptr && !isWatchable(reinterpret_cast<SDLNet_GenericSocket>(opened))) {
      SDLNet_UDP_Close(opened);
      opened = nullptr;
    }
    unlockNet();
    if (opened == nullptr) {
      freeSocket(socket);
      setError(CANT_OPEN_SOCKET, socket);
      socket = -1;
    } else {
      NET2_Socket* r = socketHeap[socket];
      r->s.udpSocket = opened;
      r->p.udpLen = size;
      r->state = addState;
    }
  }
  unlockData();
  return socket;
}

int NET2_UDPSend(IPaddress* ip, const char* buf, int len) {
  if (!enterCall()) return -1;
  int result = -1;
  if (ip == nullptr || len < 0 || len > MAX_UDP_BYTES) {
    setError(UDP_SEND_FAILED, NO_SOCKET);
  } else {
    lockNet();
    // An empty datagram still needs a packet to describe it.
    UDPpacket* packet = SDLNet_AllocPacket(std::max(len, 1));
    bool sent = false;
    if (packet != nullptr) {
      if (len > 0) memcpy(packet->data, buf, static_cast<size_t>(len));
      packet->len = len;
      packet->address = *ip;
      sent = SDLNet_UDP_Send(udpSendSocket, PACKET_ADDRESS_CHANNEL, packet) == 1;
      SDLNet_FreePacket(packet);
    }
    unlockNet();
    if (packet == nullptr) {
      setError(OUT_OF_MEMORY, NO_SOCKET);
    } else if (!sent) {
      setError(UDP_SEND_FAILED, NO_SOCKET);
    } else {
      result = 0;
    }
  }
  unlockData();
  return result;
}

UDPpacket* NET2_UDPRead(int socket) {
  if (!enterCall()) return nullptr;
  NET2_Socket* r = findSocket(socket, UDP_TYPE);
  UDPpacket* packet = nullptr;
  if (r != nullptr && r->q.ub.length > 0) {
    PacketQue& q = r->q.ub;
    packet = q.buf[q.head];
    q.buf[q.head] = nullptr;
    q.head = (q.head + 1) % UDP_QUEUE_PACKETS;
    --q.length;
  }
  wakeThread();
  unlockData();
  return packet;
}

void NET2_UDPClose(int socket) {
  if (!enterCall()) return;
  NET2_Socket* r = findSocket(socket, UDP_TYPE);
  if (r != nullptr && (r->state & OPEN_STATES) != 0) {
    r->state = delState;
    wakeThread();
  }
  unlockData();
}

void NET2_UDPFreePacket(UDPpacket* p) {
  if (p == nullptr) return;
  // Packets may outlive the layer: without its lock, SDL_net is called directly.
  if (sdlNetLock != nullptr) lockNet();
  SDLNet_FreePacket(p);
  if (sdlNetLock != nullptr) unlockNet();
}

void NET2_ResolveHost(IPaddress* ip, const char* name, int port) {
  if (sdlNetLock != nullptr) lockNet();
  SDLNet_ResolveHost(ip, name, static_cast<Uint16>(port));
  if (sdlNetLock != nullptr) unlockNet();
}

const char* NET2_GetError() { return error; }

namespace {

// Event data words carry small integers in pointer fields.
int wordToInt(void* word) { return static_cast<int>(reinterpret_cast<intptr_t>(word)); }

}  // namespace

int NET2_GetEventType(const SDL_Event* e) { return e->user.code; }

int NET2_GetSocket(const SDL_Event* e) { return wordToInt(e->user.data1); }

int NET2_GetEventData(const SDL_Event* e) { return wordToInt(e->user.data2); }

const char* NET2_GetEventError(const SDL_Event* e) {
  if (e->type != SDL_USEREVENT || e->user.code != NET2_ERROREVENT) return nullptr;
  return static_cast<const char*>(e->user.data2);
}
