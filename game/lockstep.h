#ifndef LOCKSTEP_H
#define LOCKSTEP_H

#include <SDL.h>
#include <SDL_net.h>

#include <cstdint>
#include <string>
#include <vector>

// Two copies of the game kept in step over the network layer's UDP: each
// side sends its player's input DELAY steps ahead, every datagram repeating
// the last WINDOW steps (a lost one costs nothing), and runs a step only
// once both inputs of that step are known. The sides also trade the state
// hash of every CHECK_PERIOD-th step. The host is player 0, the joiner 1.
class Lockstep {
 public:
  static constexpr uint32_t DELAY = 3;   // steps
  static constexpr uint32_t WINDOW = 16;  // steps of input in each datagram
  static constexpr uint32_t SILENCE_MS = 5000;  // then the other side is gone
  // Test-only: the share of datagrams the sending path drops, in percent.
  static const char DROP_VARIABLE[];

  enum Status { CONNECTING, PLAYING, GONE, OUT_OF_SYNC, REFUSED };

  // Starts the layer (SDL must be up) and opens the socket; on failure
  // error() says why and status() is REFUSED.
  Lockstep(bool hosting, const std::string& host, int port, uint64_t dataHash);
  ~Lockstep();
  Lockstep(const Lockstep&) = delete;
  Lockstep& operator=(const Lockstep&) = delete;

  int me() const { return hosting_ ? 0 : 1; }
  Status status() const { return status_; }
  const std::string& error() const { return error_; }
  uint32_t outOfSyncStep() const { return outOfSyncStep_; }

  // Reads what has arrived and answers or repeats what is due; call it
  // often, also while waiting.
  void pump();
  // This side's input for step (the next one after those given).
  void setLocal(uint8_t bits);
  // Whether both inputs of step are known (always when playing alone).
  bool ready(uint32_t step) const;
  // This side's and the other side's input of a ready step; the other's
  // is 0 once it is gone.
  uint8_t local(uint32_t step) const { return local_[step]; }
  uint8_t remote(uint32_t step) const;
  // The other side has left: its input is 0 from fromStep on.
  void goAlone(uint32_t fromStep);
  // The state hash after step, compared with the other side's.
  void addCheck(uint32_t step, uint64_t hash);
  // Sends the last window a few times: the other side learns how this one ended.
  void farewell();

 private:
  void openSocket(int port);
  void send(const std::vector<uint8_t>& datagram);
  void sendHello();
  void sendSteps();
  void receive(const UDPpacket& p);
  void answerHello(Uint32 host, const uint8_t* body);
  void receiveSteps(const uint8_t* p, int len);
  void compareChecks();

  bool hosting_;
  Status status_ = CONNECTING;
  std::string error_;
  uint64_t dataHash_;
  int socket_ = -1;
  int listenPort_ = 0;
  IPaddress peer_ = {};        // where this side sends
  IPaddress peerSource_ = {};  // where the other side's datagrams come from
  uint32_t lastHeardMs_ = 0;
  uint32_t lastSentMs_ = 0;
  int dropPercent_ = 0;
  uint32_t dropState_ = 1;
  std::vector<uint8_t> local_;
  std::vector<uint8_t> remote_;
  std::vector<bool> remoteKnown_;
  uint32_t remoteReady_ = 0;  // steps known from 0 without a gap
  uint32_t goneFrom_ = UINT32_MAX;
  struct Check {
    uint32_t step;
    uint64_t hash;
  };
  Check localCheck_ = {0, 0};
  Check remoteCheck_ = {0, 0};
  uint32_t outOfSyncStep_ = 0;
};

#endif
