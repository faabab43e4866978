#ifndef ZEL_ACTIF_H
#define ZEL_ACTIF_H

#include <cstdint>

class ZEL_ListAnimData;
class ZEL_Space;
class ZEL_SpriteAnim;

// The base of everything that lives in a space: a world position, one
// playback state per animation of the actor's kind, a drawing priority and
// visibility, its place in the space, and a current action, a member
// operation of the actor that step() runs once every stepPeriod + 1 calls.
// Game classes create actors and hand them to the space (add); whoever
// kills them from the space owns them again and deletes them.
class ZEL_Actif {
 public:
  // A parameterless action of the actor. A game class stores one of its
  // own, converted with static_cast; it is only ever run on this actor.
  typedef void (ZEL_Actif::*Action)();

  // Length of the contextual text buffer, terminator included.
  static constexpr int CONTEXTUAL_TEXT_SIZE = 256;
  static constexpr int32_t DEFAULT_PRIORITY = 50;

  // An actor at (x, y) with a playback state for every animation of list
  // (which may be null: the actor is then invisible). Not added anywhere.
  ZEL_Actif(int period, ZEL_ListAnimData* list, long x, long y, int type);
  // Deletes the playback states. The caller kills the actor from its space
  // first; a collision detector forgets it here.
  virtual ~ZEL_Actif();
  ZEL_Actif(const ZEL_Actif&) = delete;
  ZEL_Actif& operator=(const ZEL_Actif&) = delete;

  virtual void setXworld(long x);
  // Stores y, then lets the space restore its drawing order.
  virtual void setYworld(long y);
  virtual bool isMovable();
  virtual bool isActionable();
  virtual bool isContainer();
  virtual void step();
  // Draws the current frame for a view whose world origin is (viewX,
  // viewY) and whose screen rectangle starts at (screenX, screenY). A
  // private actor first follows the view, so that it stays fixed on screen.
  virtual void draw(long viewX, long viewY, int screenX, int screenY, int width, int height);
  virtual void setVisible();
  virtual void unsetVisible();
  virtual bool isExtended();

  static void setSpace(ZEL_Space* space);
  static ZEL_Space* getSpace();

  int getType() { return type; }
  long getXworld() { return xworld; }
  long getYworld() { return yworld; }
  int getPriority() { return priority; }
  int getSpaceIndex() { return spaceIndex; }
  bool isVisible() { return visible; }
  bool isPrivate() { return privateFlag; }
  bool isPublic() { return !privateFlag; }
  ZEL_SpriteAnim* getCurrentSpriteAnim() { return currentSpriteAnim; }
  char* getContextualText() { return contextualText; }
  // Copies at most 255 characters; no reference to text is retained.
  void setContextualText(const char* text);
  // The current animation's size; 0 without one.
  int get_largeur();
  int get_hauteur();

  void executeCurrentAction();
  // Puts the current action aside and idles; a second sleep keeps the
  // action put aside by the first.
  void sleep();
  void wakeUp();
  void setPriority(int p);
  // The client of the first association holding this private actor; -1.
  long getIdClient();
  // Squared distance of the two positions, wrapping at 32 bits on purpose.
  int32_t getDistance(ZEL_Actif* other);

  // Bound-box tests, edges included. Coordinates are compared as unsigned
  // 32-bit values on purpose: a negative position compares as a large one.
  bool collisionLowLevel(ZEL_Actif* other);
  bool collision(int x, int y);
  bool collision(int x, int y, int w, int h);
  // Through the space (and its detector, when it has one).
  bool collision(ZEL_Actif* other);

  // The action run by step(), and the index of the current animation in
  // spriteAnims (-1 without one).
  Action getCurrentAction() { return currentAction; }
  int getCurrentSpriteAnimIndex();

  // Bookkeeping of the containers that hold the actor.
  void setSpaceIndex(int index) { spaceIndex = index; }
  void setPrivateFlag(bool p) { privateFlag = p; }

 protected:
  // Makes animation index current; an index the list does not hold keeps
  // the current one.
  void setCurrentSpriteAnim(int index);

  int32_t xRef;
  int32_t yRef;
  int32_t xworld;
  int32_t yworld;
  bool privateFlag;
  int32_t spaceIndex;
  int32_t priority;
  bool visible;
  int32_t type;
  char contextualText[CONTEXTUAL_TEXT_SIZE];
  int32_t stepCounter;
  int32_t stepPeriod;
  ZEL_SpriteAnim** spriteAnims;
  int32_t nbSpriteAnims;
  ZEL_SpriteAnim* currentSpriteAnim;
  Action currentAction;
  Action savedAction;

  static ZEL_Space* my_espace;
};

#endif
