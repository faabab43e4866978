#ifndef NET2_H
#define NET2_H

#include <SDL.h>
#include <SDL_net.h>

#include "net2_events.h"

// Network events over SDL_net. Sockets are small integers; one background
// thread watches them, buffers TCP data (1024 bytes per connection) and UDP
// datagrams (256 per socket), and announces accepts, data, closes and errors
// as SDL_USEREVENTs pushed with FE_PushEvent. The application then moves the
// data with NET2_TCPRead and NET2_UDPRead. Start SDL's event queue, FE_Init
// and SDLNet_Init before NET2_Init; the layer starts none of them.
//
// Calls that fail return -1 (or null) and leave the reason in NET2_GetError().
// Socket numbers that are out of range, free or of the wrong kind are refused.

// Starts the layer and its thread; 0, or -1 with nothing left behind.
// A call while started returns 0.
int NET2_Init();
// Stops the thread, closes every socket and discards every pending SDL event.
void NET2_Quit();

// Listens on port (all addresses); the accept events carry port.
int NET2_TCPAcceptOn(int port);
// Listens on *ip; the accept events carry ip->port as stored (network order).
int NET2_TCPAcceptOnIP(IPaddress* ip);
int NET2_TCPConnectTo(const char* host, int port);
int NET2_TCPConnectToIP(IPaddress* ip);
// Marks a TCP socket for closing; the thread closes it. Other numbers: nothing.
void NET2_TCPClose(int socket);
// Sends len bytes on a connection, blocking until they are sent.
int NET2_TCPSend(int socket, const char* buf, int len);
// Takes up to len buffered bytes of a connection (also once it is closing).
int NET2_TCPRead(int socket, char* buf, int len);
// SDL_net's peer address of a connection, valid while it is open; else null.
IPaddress* NET2_TCPGetPeerAddress(int s);

// Receives datagrams of up to size bytes on port.
int NET2_UDPAcceptOn(int port, int size);
// Sends one datagram of len bytes to *ip; 0 or -1.
int NET2_UDPSend(IPaddress* ip, const char* buf, int len);
// Takes the oldest queued datagram, or null; free it with NET2_UDPFreePacket.
UDPpacket* NET2_UDPRead(int socket);
void NET2_UDPClose(int socket);
void NET2_UDPFreePacket(UDPpacket* p);

// SDLNet_ResolveHost; its result is not passed on.
void NET2_ResolveHost(IPaddress* ip, const char* name, int port);
// Text of the last failure of a call, or null.
const char* NET2_GetError();

#endif
