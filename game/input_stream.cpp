#include "input_stream.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "zel_byte_order.h"

namespace {

const char MAGIC[] = "ZELINPUT";
const size_t MAGIC_BYTES = sizeof MAGIC - 1;
const size_t HEADER_BYTES = 24;
const char INPUT_TAG = 'I', CHECK_TAG = 'C', END_TAG = 'E';
const uint32_t MAX_RUN = UINT16_MAX;
const size_t READ_CHUNK = 64 * 1024;

// Reads records from bytes, remembering where the first fault is.
class Parser {
 public:
  Parser(const std::vector<uint8_t>& bytes, const std::string& name, std::string* error)
      : bytes_(bytes), name_(name), error_(error) {}

  bool has(size_t n) const { return bytes_.size() - at_ >= n; }
  size_t at() const { return at_; }
  uint8_t byte() { return bytes_[at_++]; }
  uint16_t u16() { return zel_le::get16(take(2)); }
  uint32_t u32() { return zel_le::get32(take(4)); }
  uint64_t u64() { return zel_le::get64(take(8)); }
  const uint8_t* take(size_t n) {
    const uint8_t* p = bytes_.data() + at_;
    at_ += n;
    return p;
  }

  bool fail(const std::string& what) {
    *error_ = name_ + " " + what;
    return false;
  }
  bool damagedAt(size_t offset) { return fail("is damaged at byte " + std::to_string(offset)); }

 private:
  const std::vector<uint8_t>& bytes_;
  const std::string& name_;
  std::string* error_;
  size_t at_ = 0;
};

bool isValidHeader(const InputStream::Header& h) {
  const bool solo = h.mode == InputStream::SOLO && h.players == 1;
  const bool two = h.mode == InputStream::TWO_PLAYERS && h.players == 2;
  return h.rate > 0 && (solo || two);
}

}  // namespace

InputStream::InputStream(const Header& header) : header_(header) {}

void InputStream::addStep(const uint8_t* inputs) {
  Record* last = records_.empty() ? nullptr : &records_.back();
  if (last != nullptr && last->tag == INPUT_TAG && last->value < MAX_RUN &&
      memcmp(last->inputs, inputs, header_.players) == 0) {
    ++last->value;
  } else {
    Record r = {INPUT_TAG, 1, {}, 0};
    memcpy(r.inputs, inputs, header_.players);
    records_.push_back(r);
  }
  ++steps_;
}

void InputStream::addCheck(uint64_t hash) { records_.push_back({CHECK_TAG, steps_, {}, hash}); }

bool InputStream::Reader::next(uint8_t* inputs) {
  const std::vector<Record>& records = stream_.records_;
  while (record_ < records.size() && records[record_].tag != INPUT_TAG) ++record_;
  if (record_ == records.size()) return false;
  const Record& r = records[record_];
  memcpy(inputs, r.inputs, stream_.header_.players);
  ++step_;
  if (++usedOfRecord_ == r.value) {
    ++record_;
    usedOfRecord_ = 0;
  }
  return true;
}

bool InputStream::Reader::checkHere(Check* check) const {
  const std::vector<Record>& records = stream_.records_;
  if (usedOfRecord_ != 0 || record_ == records.size() || records[record_].tag != CHECK_TAG) return false;
  *check = {records[record_].value, records[record_].hash};
  return true;
}

std::vector<uint8_t> InputStream::encode() const {
  std::vector<uint8_t> out(MAGIC, MAGIC + MAGIC_BYTES);
  zel_le::append16(out, VERSION);
  zel_le::append16(out, header_.rate);
  zel_le::append64(out, header_.dataHash);
  out.push_back(header_.mode);
  out.push_back(header_.players);
  zel_le::append16(out, 0);
  for (const Record& r : records_) {
    out.push_back(static_cast<uint8_t>(r.tag));
    if (r.tag == INPUT_TAG) {
      zel_le::append16(out, static_cast<uint16_t>(r.value));
      out.insert(out.end(), r.inputs, r.inputs + header_.players);
    } else {
      zel_le::append32(out, r.value);
      zel_le::append64(out, r.hash);
    }
  }
  out.push_back(END_TAG);
  zel_le::append32(out, steps_);
  return out;
}

bool InputStream::save(const std::string& path, std::string* error) const {
  const std::vector<uint8_t> bytes = encode();
  const std::string temporary = path + ".part";
  FILE* f = fopen(temporary.c_str(), "wb");
  bool ok = f != nullptr && fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = f != nullptr && fclose(f) == 0 && ok;
  ok = ok && rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) {
    *error = "cannot write " + path + ": " + strerror(errno);
    if (f != nullptr) remove(temporary.c_str());
  }
  return ok;
}

bool InputStream::load(const std::string& path, InputStream* stream, std::string* error) {
  std::unique_ptr<FILE, int (*)(FILE*)> f(fopen(path.c_str(), "rb"), fclose);
  if (f == nullptr) {
    *error = "cannot open " + path + ": " + strerror(errno);
    return false;
  }
  std::vector<uint8_t> bytes;
  uint8_t chunk[READ_CHUNK];
  for (size_t n; (n = fread(chunk, 1, sizeof chunk, f.get())) > 0;) {
    if (bytes.size() + n > MAX_FILE_BYTES) {
      *error = path + " is too large for an input stream";
      return false;
    }
    bytes.insert(bytes.end(), chunk, chunk + n);
  }
  return parse(bytes, path, stream, error);
}

bool InputStream::parse(const std::vector<uint8_t>& bytes, const std::string& name, InputStream* stream,
                        std::string* error) {
  Parser in(bytes, name, error);
  if (!in.has(HEADER_BYTES) || memcmp(in.take(MAGIC_BYTES), MAGIC, MAGIC_BYTES) != 0 || in.u16() != VERSION) {
    return in.fail("is not an input stream of this game");
  }
  Header h;
  h.rate = in.u16();
  h.dataHash = in.u64();
  h.mode = static_cast<Mode>(in.byte());
  h.players = in.byte();
  if (in.u16() != 0 || !isValidHeader(h)) return in.damagedAt(MAGIC_BYTES + 2);
  *stream = InputStream(h);
  // Every CHECK_PERIOD-th step is followed by its check, then the end.
  bool checkDue = false;
  while (in.has(1)) {
    const size_t start = in.at();
    const char tag = static_cast<char>(in.byte());
    if (tag == INPUT_TAG && !checkDue && in.has(2 + h.players)) {
      const uint32_t count = in.u16();
      const uint8_t* inputs = in.take(h.players);
      const uint32_t toCheck = CHECK_PERIOD - stream->steps_ % CHECK_PERIOD;
      if (count == 0 || count > toCheck || stream->steps_ > UINT32_MAX - count) return in.damagedAt(start);
      stream->records_.push_back({INPUT_TAG, count, {}, 0});
      memcpy(stream->records_.back().inputs, inputs, h.players);
      stream->steps_ += count;
      checkDue = stream->steps_ % CHECK_PERIOD == 0;
    } else if (tag == CHECK_TAG && checkDue && in.has(12)) {
      const uint32_t step = in.u32();
      if (step != stream->steps_) return in.damagedAt(start);
      stream->records_.push_back({CHECK_TAG, step, {}, in.u64()});
      checkDue = false;
    } else if (tag == END_TAG && !checkDue && in.has(4)) {
      if (in.u32() != stream->steps_ || in.has(1)) return in.damagedAt(start);
      return true;
    } else {
      return in.damagedAt(start);
    }
  }
  return in.damagedAt(in.at());  // cut before its end
}
