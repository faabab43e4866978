#ifndef ZEL_VIEW_H
#define ZEL_VIEW_H

#include <cstdint>

// A camera and a viewport: shows the part of the world around an actor in
// a rectangle of the screen. Views added to a space are drawn by its step.
class ZEL_View {
 public:
  explicit ZEL_View(long idClient) : id_client(static_cast<int32_t>(idClient)) {}
  virtual ~ZEL_View() {}
  ZEL_View(const ZEL_View&) = delete;
  ZEL_View& operator=(const ZEL_View&) = delete;

  virtual void draw() {}
  long get_id_client() { return id_client; }

 protected:
  int32_t id_client;
};

#endif
