#ifndef ZEL_LIST_ANIM_DATA_H
#define ZEL_LIST_ANIM_DATA_H

#include <cstdint>

class ZEL_AnimData;
class ZEL_Grafbox;
class ZEL_Timer;

// An actor kind's numbered list of animations, named in a .dat text file
// (file names separated by white space, animation 0 first). Loaded once by
// the program entry; the list and its animations live as long as the
// process. Actors read nbAnims and anims directly.
class ZEL_ListAnimData {
 public:
  // Longest animation file name a .dat may hold.
  static constexpr int MAX_NAME_LENGTH = 55;

  // Loads every animation file names; any failure ends the process.
  ZEL_ListAnimData(const char* file, ZEL_Grafbox* grafbox, ZEL_Timer* timer);
  ZEL_ListAnimData(const ZEL_ListAnimData&) = delete;
  ZEL_ListAnimData& operator=(const ZEL_ListAnimData&) = delete;

  void ReadDat(const char* file);

  int32_t nbAnims;
  ZEL_AnimData** anims;

 private:
  ZEL_Grafbox* grafbox;
  ZEL_Timer* timer;
};

#endif
