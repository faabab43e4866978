#include "net2.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include "event_test_support.h"

TEST(Net2EventTest, AccessorsDecodeUserEvents) {
  static const char TEXT[] = "NET2: out of memory";
  SDL_Event error = makeUserEvent(NET2_ERROREVENT, -1, reinterpret_cast<intptr_t>(TEXT));
  EXPECT_EQ(NET2_GetEventType(&error), NET2_ERROREVENT);
  EXPECT_EQ(NET2_GetSocket(&error), -1);
  EXPECT_EQ(NET2_GetEventError(&error), TEXT);

  SDL_Event accept = makeUserEvent(NET2_TCPACCEPTEVENT, 1023, 65535);
  EXPECT_EQ(NET2_GetEventType(&accept), NET2_TCPACCEPTEVENT);
  EXPECT_EQ(NET2_GetSocket(&accept), 1023);
  EXPECT_EQ(NET2_GetEventData(&accept), 65535);
  // Only an error event carries a text.
  EXPECT_EQ(NET2_GetEventError(&accept), nullptr);
  SDL_Event receive = makeUserEvent(NET2_TCPRECEIVEEVENT, 3, -1);
  EXPECT_EQ(NET2_GetEventData(&receive), -1);
  EXPECT_EQ(NET2_GetEventError(&receive), nullptr);
  SDL_Event key;
  key.type = SDL_KEYDOWN;
  EXPECT_EQ(NET2_GetEventError(&key), nullptr);
}
