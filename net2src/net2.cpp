#include "net2.h"

#include <sys/select.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <type_traits>

#include "fastevents.h"
#include "net2_private.h"

namespace net2 {

NET2_Socket* socketHeap[MAX_SOCKETS];
int lastHeapSocket = 0;
SDLNet_SocketSet socketSet = nullptr;
SDL_mutex* dataLock = nullptr;
int dataLocked = 0;
std::atomic<int> doneYet{0};
std::atomic<bool> threadEnded{false};

namespace {

// Largest datagram payload UDP can carry.
const int MAX_UDP_BYTES = 65535;
// Pause between looks at SDL's queue while NET2_Quit waits for the thread.
const Uint32 QUIT_POLL_MS = 1;
const Uint16 ANY_PORT = 0;
// SDLNet_UDP_Send's channel for "the packet's own address".
const int PACKET_ADDRESS_CHANNEL = -1;
// SDLNet_UDP_GetPeerAddress's channel for the socket's own address.
const int OWN_ADDRESS_CHANNEL = -1;
const Uint32 LOOPBACK = 0x7F000001;
// A wake-up is one byte; anything longer that reaches the send socket is cut.
const int WAKE_BYTES = 1;

// States in which a socket still has to be closed by its owner.
const Uint8 OPEN_STATES = readyState | dyingState | addState;
// States in which a connection may send.
const Uint8 SENDING_STATES = readyState | addState;

int freeHeapSocket = 0;
int initialized = 0;
UDPsocket udpSendSocket = nullptr;
// The send socket, watched by the thread, is also where wake-ups go.
bool wakeReady = false;
bool wakePending = false;
IPaddress wakeAddress = {};
UDPpacket* wakePacket = nullptr;
// Read by NET2_GetError without the data lock.
std::atomic<const char*> error{nullptr};
std::atomic<int> errorSocket{NO_SOCKET};
SDL_mutex* sdlNetLock = nullptr;
SDL_Thread* processSockets = nullptr;

}  // namespace

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

namespace {

// SDL_net 1.2 keeps every socket's descriptor right after the ready flag
// that its public generic socket shows.
struct SocketLayout {
  int ready;
  int channel;
};
static_assert(sizeof(std::remove_pointer_t<SDLNet_GenericSocket>) == offsetof(SocketLayout, channel),
              "SDL_net's generic socket no longer ends where the descriptor starts");

}  // namespace

// select() cannot watch a descriptor at or above FD_SETSIZE.
bool isWatchable(SDLNet_GenericSocket socket) {
  int fd;
  memcpy(&fd, reinterpret_cast<const char*>(socket) + offsetof(SocketLayout, channel), sizeof fd);
  return fd >= 0 && fd < FD_SETSIZE;
}

void clearRecord(NET2_Socket* r, Uint8 type) {
  r->type = type;
  r->state = unusedState;
  r->p.tcpPort = 0;
  r->s.genSocket = nullptr;
  memset(&r->q, 0, sizeof r->q);
  r->inSet = false;
  r->paused = false;
  r->closePending = false;
}

// The first unused record from freeHeapSocket on, else a new one while fewer
// than MAX_SOCKETS exist.
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

void freeSocket(int socket) {
  NET2_Socket* r = socketHeap[socket];
  if (r->type == UDPServerSocket) {
    PacketQue& q = r->q.ub;
    const NetLock net;
    for (; q.length > 0; --q.length) {
      SDLNet_FreePacket(q.buf[q.head]);
      q.head = (q.head + 1) % UDP_QUEUE_PACKETS;
    }
  }
  clearRecord(r, unusedSocket);
}

void closeSdlSocket(NET2_Socket* r) {
  const NetLock net;
  if (r->type == UDPServerSocket) {
    SDLNet_UDP_Close(r->s.udpSocket);
  } else {
    SDLNet_TCP_Close(r->s.tcpSocket);
  }
  r->s.genSocket = nullptr;
}

namespace {

// Whether a public call may take the data lock: only while the layer is
// started. Otherwise there is no lock, and its text is set.
bool canLockForCall() {
  if (initialized) return true;
  setError(CANT_LOCK_DATA, NO_SOCKET);
  return false;
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

// Back in the watched set once the application has taken something.
void resume(NET2_Socket* r) {
  if (!r->paused || r->state != readyState) return;
  r->paused = false;
  r->state = addState;
  wakeThread();
}

// The send socket watched for wake-ups at its own loopback address; false
// when select() cannot watch it.
bool prepareWakeups() {
  const IPaddress* own = SDLNet_UDP_GetPeerAddress(udpSendSocket, OWN_ADDRESS_CHANNEL);
  if (own == nullptr || !isWatchable(reinterpret_cast<SDLNet_GenericSocket>(udpSendSocket))) return false;
  SDLNet_Write32(LOOPBACK, &wakeAddress.host);
  wakeAddress.port = own->port;
  wakePacket = SDLNet_AllocPacket(WAKE_BYTES);
  return wakePacket != nullptr && SDLNet_UDP_AddSocket(socketSet, udpSendSocket) != -1;
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
  SDLNet_FreePacket(wakePacket);
  wakePacket = nullptr;
  wakeReady = false;
  wakePending = false;
  if (sdlNetLock != nullptr) SDL_DestroyMutex(sdlNetLock);
  if (dataLock != nullptr) SDL_DestroyMutex(dataLock);
  sdlNetLock = nullptr;
  dataLock = nullptr;
  dataLocked = 0;
  processSockets = nullptr;
}

int failInit(const char* text) {
  releaseResources();
  setError(text, NO_SOCKET);
  return -1;
}

// ---- Opening ----

// SDLNet_ResolveHost under the net lock when the layer has one: names may
// also be resolved while it is stopped. False when it fails.
bool resolveHost(IPaddress* ip, const char* host, int port) {
  const NetLock net(sdlNetLock != nullptr);
  return SDLNet_ResolveHost(ip, host, static_cast<Uint16>(port)) != -1;
}

// A record for a new socket, or NO_SOCKET with the out-of-memory text.
int newRecord(Uint8 type) {
  const int socket = allocSocket(type);
  if (socket == NO_SOCKET) setError(OUT_OF_MEMORY, NO_SOCKET);
  return socket;
}

// Ends an open whose SDL_net socket the caller has put in the record: one
// that did not open, or whose descriptor select() cannot watch, is closed and
// its record freed (false, with the open text for refusedSocket). Otherwise
// the socket waits for the thread to add it.
bool finishOpen(int socket, int refusedSocket) {
  NET2_Socket* r = socketHeap[socket];
  const SDLNet_GenericSocket opened = r->s.genSocket;
  if (opened != nullptr && isWatchable(opened)) {
    r->state = addState;
    wakeThread();
    return true;
  }
  if (opened != nullptr) closeSdlSocket(r);
  freeSocket(socket);
  setError(CANT_OPEN_SOCKET, refusedSocket);
  return false;
}

// Opens a TCP socket on ip in a new record; the caller holds the data lock.
int openTcp(IPaddress* ip, Uint8 type) {
  if (ip == nullptr) {
    setError(CANT_OPEN_SOCKET, NO_SOCKET);
    return -1;
  }
  const int socket = newRecord(type);
  if (socket == NO_SOCKET) return -1;
  NET2_Socket* r = socketHeap[socket];
  {
    const NetLock net;
    r->s.tcpSocket = SDLNet_TCP_Open(ip);
  }
  if (!finishOpen(socket, NO_SOCKET)) return -1;
  // The port as stored in the address, in network order, as SDL_net keeps it.
  if (type == TCPServerSocket) r->p.tcpPort = ip->port;
  return socket;
}

// ---- Moving data ----

int sendBytes(TCPsocket connection, const char* buf, int len) {
  const NetLock net;
  return SDLNet_TCP_Send(connection, buf, len);
}

// Sends one datagram of len bytes to `to` from the send socket. Null, or the
// text of the failure.
const char* sendDatagram(const IPaddress& to, const char* buf, int len) {
  const NetLock net;
  // An empty datagram still needs a packet to describe it.
  UDPpacket* packet = SDLNet_AllocPacket(std::max(len, 1));
  if (packet == nullptr) return OUT_OF_MEMORY;
  if (len > 0) memcpy(packet->data, buf, static_cast<size_t>(len));
  packet->len = len;
  packet->address = to;
  const bool sent = SDLNet_UDP_Send(udpSendSocket, PACKET_ADDRESS_CHANNEL, packet) == 1;
  SDLNet_FreePacket(packet);
  return sent ? nullptr : UDP_SEND_FAILED;
}

}  // namespace

// One byte from the send socket to itself, unless one is on its way.
void wakeThread() {
  if (!wakeReady || wakePending) return;
  const char wake = 0;
  wakePending = sendDatagram(wakeAddress, &wake, WAKE_BYTES) == nullptr;
}

void takeWakeups() {
  if (!wakeReady) return;
  const NetLock net;
  while (SDLNet_UDP_Recv(udpSendSocket, wakePacket) == 1) {
  }
  wakePending = false;
}

namespace {

// Moves up to len bytes from the front of the buffer to buf; how many.
int takeBytes(CharQue* q, char* buf, int len) {
  const int copied = std::min(len, static_cast<int>(q->len));
  memcpy(buf, q->buf, static_cast<size_t>(copied));
  q->len -= copied;
  memmove(q->buf, q->buf + copied, static_cast<size_t>(q->len));
  return copied;
}

// The oldest datagram of the queue, or null when it is empty.
UDPpacket* takePacket(PacketQue* q) {
  if (q->length == 0) return nullptr;
  UDPpacket* packet = q->buf[q->head];
  q->buf[q->head] = nullptr;
  q->head = (q->head + 1) % UDP_QUEUE_PACKETS;
  --q->length;
  return packet;
}

// Leaves a socket of one of typeMask's kinds, still open, to the thread to
// close. Any other number does nothing.
void markForClose(int socket, unsigned typeMask) {
  const DataLock call(canLockForCall());
  if (!call.held()) return;
  NET2_Socket* r = findSocket(socket, typeMask);
  if (r == nullptr || (r->state & OPEN_STATES) == 0) return;
  r->state = delState;
  // Its buffer or queue may be what the thread waits on.
  wakeThread();
}

}  // namespace
}  // namespace net2

// The interface, written in the layer's own names.
using namespace net2;

int NET2_Init() {
  if (initialized) return 0;
  signal(SIGPIPE, SIG_IGN);
  setError(nullptr, NO_SOCKET);
  doneYet = 0;
  threadEnded = false;
  if ((dataLock = SDL_CreateMutex()) == nullptr) return failInit(CANT_CREATE_MUTEX);
  if ((sdlNetLock = SDL_CreateMutex()) == nullptr) return failInit(CANT_CREATE_MUTEX);
  lastHeapSocket = 0;
  freeHeapSocket = 0;
  std::fill(socketHeap, socketHeap + MAX_SOCKETS, nullptr);
  // One place more for the send socket.
  if ((socketSet = SDLNet_AllocSocketSet(MAX_SOCKETS + 1)) == nullptr) return failInit(OUT_OF_MEMORY);
  if ((udpSendSocket = SDLNet_UDP_Open(ANY_PORT)) == nullptr) return failInit(CANT_OPEN_UDP_SEND);
  wakeReady = prepareWakeups();
  if ((processSockets = SDL_CreateThread(PumpNetworkEvents, nullptr)) == nullptr) {
    return failInit(CANT_START_THREAD);
  }
  initialized = 1;
  return 0;
}

void NET2_Quit() {
  if (!initialized) return;
  {
    const DataLock held;
    doneYet = 1;
    wakeThread();
  }
  // The thread may be waiting for room in SDL's queue: keep emptying it
  // until the thread has ended, then once more for its last events.
  while (!threadEnded) {
    discardEvents();
    SDL_Delay(QUIT_POLL_MS);
  }
  SDL_WaitThread(processSockets, nullptr);
  discardEvents();
  {
    const DataLock held;
    releaseSockets();
  }
  releaseResources();
  setError(nullptr, NO_SOCKET);
  initialized = 0;
}

int NET2_TCPAcceptOn(int port) {
  const DataLock call(canLockForCall());
  if (!call.held()) return -1;
  IPaddress ip;
  if (!resolveHost(&ip, nullptr, port)) {
    setError(CANT_RESOLVE_HOST, NO_SOCKET);
    return -1;
  }
  const int socket = openTcp(&ip, TCPServerSocket);
  if (socket != -1) socketHeap[socket]->p.tcpPort = port;
  return socket;
}

int NET2_TCPAcceptOnIP(IPaddress* ip) {
  const DataLock call(canLockForCall());
  if (!call.held()) return -1;
  return openTcp(ip, TCPServerSocket);
}

int NET2_TCPConnectTo(const char* host, int port) {
  const DataLock call(canLockForCall());
  if (!call.held()) return -1;
  IPaddress ip;
  // No host would resolve to the listening address, not to a peer.
  if (host == nullptr || !resolveHost(&ip, host, port)) {
    setError(CANT_FIND_HOST, NO_SOCKET);
    return -1;
  }
  return openTcp(&ip, TCPClientSocket);
}

int NET2_TCPConnectToIP(IPaddress* ip) {
  const DataLock call(canLockForCall());
  if (!call.held()) return -1;
  return openTcp(ip, TCPClientSocket);
}

void NET2_TCPClose(int socket) { markForClose(socket, TCP_TYPES); }

int NET2_TCPSend(int socket, const char* buf, int len) {
  const DataLock call(canLockForCall());
  if (!call.held()) return -1;
  NET2_Socket* r = findSocket(socket, CLIENT_TYPE);
  if (r == nullptr || (r->state & SENDING_STATES) == 0) {
    setError(CANT_SEND_ON_SOCKET, socket);
    return -1;
  }
  if (len <= 0) return 0;
  const int sent = sendBytes(r->s.tcpSocket, buf, len);
  if (sent >= len) return sent;
  // The close event comes from the thread: pushed from here, into a
  // full queue that only this caller empties, it would never return.
  r->state = dyingState;
  r->closePending = true;
  setError(CANT_SEND_TCP, socket);
  wakeThread();
  return -1;
}

int NET2_TCPRead(int socket, char* buf, int len) {
  const DataLock call(canLockForCall());
  if (!call.held()) return -1;
  NET2_Socket* r = findSocket(socket, CLIENT_TYPE);
  const int copied = r != nullptr && len > 0 ? takeBytes(&r->q.tb, buf, len) : 0;
  if (copied > 0) resume(r);
  return copied;
}

IPaddress* NET2_TCPGetPeerAddress(int s) {
  const DataLock call(canLockForCall());
  if (!call.held()) return nullptr;
  NET2_Socket* r = findSocket(s, CLIENT_TYPE);
  if (r == nullptr || r->s.tcpSocket == nullptr) return nullptr;
  const NetLock net;
  return SDLNet_TCP_GetPeerAddress(r->s.tcpSocket);
}

int NET2_UDPAcceptOn(int port, int size) {
  const DataLock call(canLockForCall());
  if (!call.held()) return -1;
  if (size < 1 || size > MAX_UDP_BYTES) {
    setError(CANT_OPEN_SOCKET, NO_SOCKET);
    return -1;
  }
  const int socket = newRecord(UDPServerSocket);
  if (socket == NO_SOCKET) return -1;
  NET2_Socket* r = socketHeap[socket];
  {
    const NetLock net;
    r->s.udpSocket = SDLNet_UDP_Open(static_cast<Uint16>(port));
  }
  // Unlike a TCP open, a refused UDP open names its record.
  if (!finishOpen(socket, socket)) return -1;
  r->p.udpLen = size;
  return socket;
}

int NET2_UDPSend(IPaddress* ip, const char* buf, int len) {
  const DataLock call(canLockForCall());
  if (!call.held()) return -1;
  const char* failure = UDP_SEND_FAILED;
  if (ip != nullptr && len >= 0 && len <= MAX_UDP_BYTES) failure = sendDatagram(*ip, buf, len);
  if (failure == nullptr) return 0;
  setError(failure, NO_SOCKET);
  return -1;
}

UDPpacket* NET2_UDPRead(int socket) {
  const DataLock call(canLockForCall());
  if (!call.held()) return nullptr;
  NET2_Socket* r = findSocket(socket, UDP_TYPE);
  UDPpacket* packet = r != nullptr ? takePacket(&r->q.ub) : nullptr;
  if (packet != nullptr) resume(r);
  return packet;
}

void NET2_UDPClose(int socket) { markForClose(socket, UDP_TYPE); }

void NET2_UDPFreePacket(UDPpacket* p) {
  if (p == nullptr) return;
  // Packets may outlive the layer: without its lock, SDL_net is called directly.
  const NetLock net(sdlNetLock != nullptr);
  SDLNet_FreePacket(p);
}

void NET2_ResolveHost(IPaddress* ip, const char* name, int port) { resolveHost(ip, name, port); }

const char* NET2_GetError() { return error; }

