#ifndef ZEL_INPUT_H
#define ZEL_INPUT_H

// The eight yes/no questions a controllable actor asks its device once per
// step. Each answers whether that control is held now, as the last input
// update saw it; none of them polls events.
class ZEL_Input {
 public:
  virtual ~ZEL_Input() {}
  virtual bool go_up() = 0;
  virtual bool go_down() = 0;
  virtual bool go_left() = 0;
  virtual bool go_right() = 0;
  virtual bool go_jump() = 0;
  virtual bool go_fire1() = 0;
  virtual bool go_fire2() = 0;
  virtual bool go_escape() = 0;
};

#endif
