#ifndef NET2_PRIVATE_H
#define NET2_PRIVATE_H

// What the calls and records (net2.cpp) share with the network thread
// (net2_thread.cpp). Not part of the layer's interface.

#include <atomic>

#include "net2.h"

namespace net2 {

// Socket records, and places in the set the thread watches.
constexpr int MAX_SOCKETS = 1024;
// Bytes buffered per TCP connection; once full, the connection leaves the
// watched set until the application reads from it.
constexpr int TCP_BUFFER_BYTES = 1024;
// Datagrams queued per UDP socket; the same once full.
constexpr int UDP_QUEUE_PACKETS = 256;
constexpr int NO_SOCKET = -1;

// The layer's error texts, as NET2_GetError and the error events give them.
inline constexpr char OUT_OF_MEMORY[] = "NET2: out of memory";
inline constexpr char CANT_CREATE_MUTEX[] = "NET2: can't create a mutex";
inline constexpr char CANT_CREATE_COND[] = "NET2: can't create a condition variable";
inline constexpr char CANT_OPEN_UDP_SEND[] = "NET2: can't open the UDP send socket";
inline constexpr char CANT_START_THREAD[] = "NET2: can't start the network thread";
inline constexpr char CANT_RESOLVE_HOST[] = "NET2: can't resolve that host name or address";
inline constexpr char CANT_FIND_HOST[] = "NET2: can't find that host name or address";
inline constexpr char CANT_OPEN_SOCKET[] = "NET2: can't open a socket";
inline constexpr char UDP_SEND_FAILED[] = "NET2: UDP send failed";
inline constexpr char CANT_SEND_ON_SOCKET[] = "NET2: you can't do a TCP send on that socket";
inline constexpr char CANT_SEND_TCP[] = "NET2: can't send TCP data, expect a close event";
inline constexpr char CANT_LOCK_DATA[] = "NET2: can't lock Data mutex";
inline constexpr char CANT_UNLOCK_DATA[] = "NET2: can't unlock Data mutex";
inline constexpr char CANT_LOCK_SDLNET[] = "NET2: can't lock SDLNet mutex";
inline constexpr char CANT_UNLOCK_SDLNET[] = "NET2: can't unlock SDLNet mutex";
inline constexpr char CHECK_FAILED[] = "NET2: the CheckSockets call failed";
inline constexpr char CANT_ADD_TCP[] = "NET2: can't add a TCP socket to the socket set";
inline constexpr char CANT_ADD_UDP[] = "NET2: can't add a UDP socket to the socket set";
inline constexpr char CANT_DEL_TCP[] = "NET2: can't delete a TCP socket from the socket set";
inline constexpr char CANT_DEL_UDP[] = "NET2: can't delete a UDP socket from the socket set";
inline constexpr char ADD_UNUSED[] = "NET2: trying to add an unused socket";
inline constexpr char DEL_UNUSED[] = "NET2: trying to delete an unused socket";
inline constexpr char INVALID_TYPE[] = "NET2: invalid socket type, this should never happen";
inline constexpr char ACCEPT_FAILED[] = "NET2: a TCP accept failed";

enum SocketType : Uint8 { unusedSocket = 0, TCPServerSocket = 1, TCPClientSocket = 2, UDPServerSocket = 3 };

enum SocketState : Uint8 { unusedState = 1, readyState = 2, dyingState = 4, addState = 8, delState = 16 };

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

// One socket record; its index in socketHeap is the socket number. Made by
// allocSocket, reused once freeSocket marks it unused, deleted by NET2_Quit.
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
  bool paused;  // out of socketSet while its buffer or queue is full
  // A failed send has made it die: the thread owes the close event.
  bool closePending;
};

// Module state, guarded by the data lock except the two flags of the
// thread's lifetime.
extern NET2_Socket* socketHeap[MAX_SOCKETS];
extern int lastHeapSocket;
extern SDLNet_SocketSet socketSet;
extern SDL_mutex* dataLock;
extern int dataLocked;  // 1 while the data lock is held
extern std::atomic<int> doneYet;
extern std::atomic<bool> threadEnded;

// Sets the text NET2_GetError answers, and its socket.
void setError(const char* text, int socket);

// Failures to take or release a lock set its text and go on.
void lockData();
void unlockData();
void lockNet();
void unlockNet();

// Holds one of the layer's locks from construction to the end of the scope,
// when asked to take it. The data lock is always taken before the net lock.
template <void (*take)(), void (*release)()>
class ScopedLock {
 public:
  explicit ScopedLock(bool wanted = true) : held_(wanted) {
    if (held_) take();
  }
  ~ScopedLock() {
    if (held_) release();
  }
  ScopedLock(const ScopedLock&) = delete;
  ScopedLock& operator=(const ScopedLock&) = delete;
  bool held() const { return held_; }

 private:
  const bool held_;
};

// The records, buffers, queues and flags.
using DataLock = ScopedLock<lockData, unlockData>;
// Every call into SDL_net but SDLNet_CheckSockets.
using NetLock = ScopedLock<lockNet, unlockNet>;

// Ends the thread's wait on its sockets at once (the data lock held): it has
// work. Without a descriptor to wake it by, the wait ends by itself.
void wakeThread();
// In the thread, the data lock held: takes the wake-ups sent so far.
void takeWakeups();

// Whether select() can watch the socket's descriptor.
bool isWatchable(SDLNet_GenericSocket socket);
void clearRecord(NET2_Socket* r, Uint8 type);
// A record of this type for a new socket, or NO_SOCKET when none can be had.
int allocSocket(Uint8 type);
// Releases a UDP socket's queued datagrams and marks the record unused.
void freeSocket(int socket);
// Closes the record's SDL_net socket.
void closeSdlSocket(NET2_Socket* r);

// The network thread, started by NET2_Init: serves every record until doneYet.
int PumpNetworkEvents(void*);

}  // namespace net2

#endif
