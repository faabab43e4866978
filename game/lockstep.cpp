#include "lockstep.h"

#include <cstdlib>

#include "fastevents.h"
#include "net2.h"
#include "zel_byte_order.h"

namespace {

// Datagrams: "ZP", a kind, then by kind (little-endian):
// HELLO  the joiner's receiving port (16), its data hash (64);
// WELCOME  the host's data hash (64);
// STEPS  first step (32), count (8), count inputs, last check step (32) and hash (64).
const uint8_t MAGIC[] = {'Z', 'P'};
enum Kind : uint8_t { HELLO = 1, WELCOME = 2, STEPS = 3 };
const int KIND_AT = 2, BODY_AT = 3;
const int HELLO_BYTES = BODY_AT + 2 + 8;
const int WELCOME_BYTES = BODY_AT + 8;
// Within a STEPS body: the first step, the count, then the inputs.
const int COUNT_AT = 4, INPUTS_AT = 5;
const int CHECK_BYTES = 4 + 8;
const int MAX_DATAGRAM = BODY_AT + INPUTS_AT + Lockstep::WINDOW + CHECK_BYTES;

const uint32_t HELLO_PERIOD_MS = 100;
const uint32_t RESEND_PERIOD_MS = 10;  // one step: a waiting side is never starved
const int JOINER_PORTS = 100;          // tried from the host's port + 1
const int FAREWELLS = 3;
const int PERCENT = 100;

std::vector<uint8_t> datagram(Kind kind) { return {MAGIC[0], MAGIC[1], kind}; }

}  // namespace

const char Lockstep::DROP_VARIABLE[] = "PLATEFORME_TEST_DROP_PERCENT";

Lockstep::Lockstep(bool hosting, const std::string& host, int port, uint64_t dataHash)
    : hosting_(hosting),
      dataHash_(dataHash),
      local_(DELAY, 0),
      remote_(DELAY, 0),
      remoteKnown_(DELAY, true),
      remoteReady_(DELAY) {
  if (const char* drop = getenv(DROP_VARIABLE)) dropPercent_ = atoi(drop);
  if (FE_Init() != 0 || SDLNet_Init() != 0 || NET2_Init() != 0) {
    status_ = REFUSED;
    error_ = "the network layer did not start";
    return;
  }
  if (!hosting_) {
    NET2_ResolveHost(&peer_, host.c_str(), port);
    if (peer_.host == INADDR_NONE) {
      status_ = REFUSED;
      error_ = "cannot find " + host;
      return;
    }
  }
  openSocket(port);
  lastHeardMs_ = SDL_GetTicks();
}

Lockstep::~Lockstep() {
  NET2_Quit();
  SDLNet_Quit();
  FE_Quit();
}

void Lockstep::openSocket(int port) {
  const int last = hosting_ ? port : port + JOINER_PORTS;
  for (int p = hosting_ ? port : port + 1; p <= last && socket_ < 0; ++p) {
    socket_ = NET2_UDPAcceptOn(p, MAX_DATAGRAM);
    listenPort_ = p;
  }
  if (socket_ < 0) {
    status_ = REFUSED;
    error_ = "cannot receive on port " + std::to_string(port);
  }
}

void Lockstep::send(const std::vector<uint8_t>& bytes) {
  lastSentMs_ = SDL_GetTicks();
  if (dropPercent_ > 0) {  // xorshift32: the same drops in every run
    dropState_ ^= dropState_ << 13;
    dropState_ ^= dropState_ >> 17;
    dropState_ ^= dropState_ << 5;
    if (static_cast<int>(dropState_ % PERCENT) < dropPercent_) return;
  }
  NET2_UDPSend(&peer_, reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size()));
}

void Lockstep::sendHello() {
  std::vector<uint8_t> d = datagram(HELLO);
  zel_le::append16(d, static_cast<uint16_t>(listenPort_));
  zel_le::append64(d, dataHash_);
  send(d);
}

void Lockstep::sendSteps() {
  const uint32_t end = static_cast<uint32_t>(local_.size());
  const uint32_t first = end > WINDOW ? end - WINDOW : 0;
  std::vector<uint8_t> d = datagram(STEPS);
  zel_le::append32(d, first);
  d.push_back(static_cast<uint8_t>(end - first));
  d.insert(d.end(), local_.begin() + first, local_.end());
  zel_le::append32(d, localCheck_.step);
  zel_le::append64(d, localCheck_.hash);
  send(d);
}

void Lockstep::pump() {
  if (status_ == REFUSED) return;
  while (UDPpacket* p = NET2_UDPRead(socket_)) {
    receive(*p);
    NET2_UDPFreePacket(p);
  }
  const uint32_t now = SDL_GetTicks();
  if (status_ == CONNECTING && !hosting_) {
    if (now - lastHeardMs_ > SILENCE_MS) {
      status_ = REFUSED;
      error_ = "no answer from the host";
    } else if (now - lastSentMs_ >= HELLO_PERIOD_MS) {
      sendHello();
    }
  }
  if (status_ != PLAYING) return;
  if (now - lastHeardMs_ > SILENCE_MS) {
    status_ = GONE;
    goneFrom_ = remoteReady_;
  } else if (now - lastSentMs_ >= RESEND_PERIOD_MS) {
    sendSteps();
  }
}

void Lockstep::receive(const UDPpacket& p) {
  if (p.len < BODY_AT || p.data[0] != MAGIC[0] || p.data[1] != MAGIC[1]) return;
  const uint8_t* body = p.data + BODY_AT;
  // The other side's datagrams come from its layer's send socket, whose
  // address the first hello or welcome tells.
  const bool fromPeer = p.address.host == peerSource_.host && p.address.port == peerSource_.port;
  switch (p.data[KIND_AT]) {
    case HELLO:
      if (!hosting_ || p.len != HELLO_BYTES || (status_ != CONNECTING && !fromPeer)) return;
      peerSource_ = p.address;
      answerHello(p.address.host, body);
      break;
    case WELCOME:
      if (hosting_ || status_ != CONNECTING || p.len != WELCOME_BYTES || p.address.host != peer_.host) return;
      peerSource_ = p.address;
      status_ = zel_le::get64(body) == dataHash_ ? PLAYING : REFUSED;
      if (status_ == REFUSED) error_ = "the other player has other data files";
      break;
    case STEPS:
      if (status_ == PLAYING && fromPeer) receiveSteps(body, p.len - BODY_AT);
      return;  // lastHeard moves only when the steps are sound
    default:
      return;
  }
  lastHeardMs_ = SDL_GetTicks();
}

// Answers every hello (a welcome may be lost) from where it came, at the
// port it names; a joiner with other data files ends the wait.
void Lockstep::answerHello(Uint32 host, const uint8_t* body) {
  peer_.host = host;
  SDLNet_Write16(zel_le::get16(body), &peer_.port);
  if (status_ == CONNECTING && zel_le::get64(body + 2) != dataHash_) {
    status_ = REFUSED;
    error_ = "the other player has other data files";
  } else if (status_ == CONNECTING) {
    status_ = PLAYING;
  }
  std::vector<uint8_t> d = datagram(WELCOME);
  zel_le::append64(d, dataHash_);
  send(d);
}

void Lockstep::receiveSteps(const uint8_t* p, int len) {
  if (len <= INPUTS_AT) return;
  const uint32_t first = zel_le::get32(p);
  const uint32_t count = p[COUNT_AT];
  if (count == 0 || count > WINDOW || len != INPUTS_AT + static_cast<int>(count) + CHECK_BYTES) return;
  // Never more than a window and the delay ahead of this side.
  if (first > local_.size() + DELAY || first + count > local_.size() + DELAY + WINDOW) return;
  const uint8_t* inputs = p + INPUTS_AT;
  if (remote_.size() < first + count) {
    remote_.resize(first + count, 0);
    remoteKnown_.resize(first + count, false);
  }
  for (uint32_t i = 0; i < count; ++i) {
    remote_[first + i] = inputs[i];
    remoteKnown_[first + i] = true;
  }
  while (remoteReady_ < remoteKnown_.size() && remoteKnown_[remoteReady_]) ++remoteReady_;
  const Check check = {zel_le::get32(inputs + count), zel_le::get64(inputs + count + 4)};
  if (check.step > remoteCheck_.step) remoteCheck_ = check;
  compareChecks();
  lastHeardMs_ = SDL_GetTicks();
}

void Lockstep::compareChecks() {
  if (status_ == PLAYING && remoteCheck_.step != 0 && remoteCheck_.step == localCheck_.step &&
      remoteCheck_.hash != localCheck_.hash) {
    status_ = OUT_OF_SYNC;
    outOfSyncStep_ = localCheck_.step;
  }
}

void Lockstep::setLocal(uint8_t bits) {
  local_.push_back(bits);
  if (status_ == PLAYING) sendSteps();
}

bool Lockstep::ready(uint32_t step) const {
  return step < local_.size() && (status_ == GONE || step < remoteReady_);
}

uint8_t Lockstep::remote(uint32_t step) const {
  return step < goneFrom_ && step < remote_.size() ? remote_[step] : 0;
}

void Lockstep::addCheck(uint32_t step, uint64_t hash) {
  localCheck_ = {step, hash};
  compareChecks();
}

void Lockstep::goAlone(uint32_t fromStep) {
  if (status_ != PLAYING) return;
  status_ = GONE;
  goneFrom_ = fromStep;
}

void Lockstep::farewell() {
  if (status_ == CONNECTING || status_ == REFUSED) return;
  for (int i = 0; i < FAREWELLS; ++i) sendSteps();
}
