#ifndef NET2_EVENTS_H
#define NET2_EVENTS_H

#include <SDL.h>

// The network layer's events, as a program reading its event queue sees
// them (net2.h: the layer itself).

// Kinds of network events: the code of the SDL_USEREVENT that announces them.
// data1 is always the socket number (or -1); data2 is given per kind.
enum {
  NET2_ERROREVENT = 0,       // data2: the error text
  NET2_TCPACCEPTEVENT = 1,   // data1: the new connection; data2: the listening port
  NET2_TCPRECEIVEEVENT = 2,  // data2: -1
  NET2_TCPCLOSEEVENT = 3,    // data2: -1
  NET2_UDPRECEIVEEVENT = 4   // data2: -1
};

// Decoding of a network event taken from the event queue.
int NET2_GetEventType(const SDL_Event* e);
int NET2_GetSocket(const SDL_Event* e);
int NET2_GetEventData(const SDL_Event* e);
// The error text of a NET2_ERROREVENT; null for any other event.
const char* NET2_GetEventError(const SDL_Event* e);

#endif
