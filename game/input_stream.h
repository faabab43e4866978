#ifndef INPUT_STREAM_H
#define INPUT_STREAM_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A game as its inputs: one byte per player and step (bit i holds the i-th
// question of ZEL_Input, up first), and after every CHECK_PERIOD-th step a
// hash of the game's state, so that a replay can tell where it parts.
//
// File, little-endian: "ZELINPUT", version (16 bits), steps a second (16),
// hash of the data files (64), mode (8), players (8), 0 (16); then records,
// each a tag byte: 'I' count (16) and one byte per player, for count steps
// alike; 'C' step (32) and state hash (64); 'E' step count (32), last.
class InputStream {
 public:
  static constexpr int MAX_PLAYERS = 2;
  static constexpr uint32_t CHECK_PERIOD = 100;
  static constexpr uint16_t VERSION = 1;
  // Far above an hour of play, checks included; a larger file is refused.
  static constexpr size_t MAX_FILE_BYTES = 64u << 20;

  enum Mode : uint8_t { SOLO = 0, TWO_PLAYERS = 1 };

  struct Header {
    uint16_t rate;
    uint64_t dataHash;
    Mode mode;
    uint8_t players;
  };

  struct Check {
    uint32_t step;
    uint64_t hash;
  };

  explicit InputStream(const Header& header);

  const Header& header() const { return header_; }
  uint32_t steps() const { return steps_; }

  // Appends a step: one byte per player. A check follows each
  // CHECK_PERIOD-th step, given by the caller with addCheck.
  void addStep(const uint8_t* inputs);
  void addCheck(uint64_t hash);

  // The inputs of each step in turn, and the checks between them.
  class Reader {
   public:
    explicit Reader(const InputStream& stream) : stream_(stream) {}
    // The next step's inputs into inputs (players bytes); false at the end.
    bool next(uint8_t* inputs);
    // The check recorded after the last step read, if there is one.
    bool checkHere(Check* check) const;

   private:
    const InputStream& stream_;
    size_t record_ = 0;
    uint32_t usedOfRecord_ = 0;
    uint32_t step_ = 0;
  };

  // Writes to a temporary name beside path, then renames it; false with
  // the reason in error.
  bool save(const std::string& path, std::string* error) const;
  // Reads a whole stream; false with the reason in error ("<path> is ...").
  static bool load(const std::string& path, InputStream* stream, std::string* error);
  // The same from bytes; name is used in the messages.
  static bool parse(const std::vector<uint8_t>& bytes, const std::string& name, InputStream* stream,
                    std::string* error);

 private:
  struct Record {
    char tag;
    uint32_t value;  // steps of an input run, or the step of a check
    uint8_t inputs[MAX_PLAYERS];
    uint64_t hash;
  };

  std::vector<uint8_t> encode() const;

  Header header_;
  std::vector<Record> records_;
  uint32_t steps_ = 0;
};

#endif
