// zeltool info: what an engine file holds, read byte by byte with offsets,
// so that a bad file is explained rather than ending the process.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <sstream>

#include "command.h"
#include "files.h"
#include "sprite.h"
#include "tool_error.h"
#include "zel_list_anim_data.h"
#include "zel_tile.h"
#include "zel_tile_map.h"
#include "zel_utils.h"

namespace {

const size_t MAX_INFO_BYTES = 256u << 20;  // larger than any engine file
const int PIXEL_BYTES = 4;
const int TLE_HEADER_BYTES = 13, MAP_HEADER_BYTES = 24, SPR_HEADER_BYTES = 8, SPR_BOX_BYTES = 16;
const size_t MAX_TILE_LINES = 256;  // a tile set's own lines; the rest are counted

// A problem at a byte offset of the file being read (NO_OFFSET: the file as a whole).
const size_t NO_OFFSET = SIZE_MAX;
struct Problem {
  size_t offset;
  std::string what;
};

std::string grouped(uint64_t n) {
  std::string digits = std::to_string(n), out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

// Little-endian reads that report where the file ends too early.
class Bytes {
 public:
  explicit Bytes(std::vector<uint8_t> data) : data_(std::move(data)) {}
  size_t size() const { return data_.size(); }
  size_t left() const { return data_.size() - at_; }
  size_t at() const { return at_; }
  const uint8_t* here() const { return data_.data() + at_; }
  void need(uint64_t n, const std::string& what) const {
    if (n > left()) {
      throw Problem{at_, what + " needs " + grouped(n) + " bytes from byte " + grouped(at_) +
                             ", the file ends at byte " + grouped(data_.size())};
    }
  }
  uint32_t le(int bytes, const std::string& what) {
    need(bytes, what);
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | data_[at_ + i];
    at_ += bytes;
    return v;
  }
  void skip(uint64_t n, const std::string& what) {
    need(n, what);
    at_ += n;
  }

 private:
  std::vector<uint8_t> data_;
  size_t at_ = 0;
};

std::vector<uint8_t> fileBytes(const std::string& path) {
  std::vector<uint8_t> bytes;
  if (!readFileBytes(path, MAX_INFO_BYTES, bytes)) throw Problem{NO_OFFSET, "cannot open the file"};
  if (bytes.size() > MAX_INFO_BYTES) throw Problem{NO_OFFSET, "larger than any engine file"};
  return bytes;
}

// The engine's whole, non-empty records: what a tile map numbers.
int countTiles(Bytes& in, std::ostream* out) {
  int tiles = 0, walkable = 0, transparent = 0;
  std::map<std::pair<int32_t, int32_t>, int> sizes;
  std::ostringstream lines;
  for (int record = 1; in.left() > 0; ++record) {
    const size_t start = in.at();
    const std::string name = "record " + std::to_string(record);
    const int32_t w = static_cast<int32_t>(in.le(4, name + "'s width"));
    const int32_t h = static_cast<int32_t>(in.le(4, name + "'s height"));
    in.need(TLE_HEADER_BYTES - 8, name + "'s attributes");
    uint8_t a[5];
    memcpy(a, in.here(), sizeof a);
    in.skip(sizeof a, "");
    if (w < 0 || h < 0 || w > ZEL_Tile::MAX_SIDE || h > ZEL_Tile::MAX_SIDE) {
      throw Problem{start, name + " is " + std::to_string(w) + " x " + std::to_string(h) + " pixels (0 to " +
                               std::to_string(ZEL_Tile::MAX_SIDE) + " a side)"};
    }
    in.skip(static_cast<uint64_t>(w) * h * PIXEL_BYTES,
            name + " (" + std::to_string(w) + " x " + std::to_string(h) + " pixels)");
    if (w == 0 || h == 0) continue;  // an empty record is no tile
    ++sizes[{w, h}];
    walkable += a[4] == 1;
    transparent += a[1] == 1;
    if (static_cast<size_t>(tiles) < MAX_TILE_LINES) {
      lines << "  tile " << tiles << ": " << w << " x " << h << ", attr0 " << int{a[0]} << ", transparent "
            << int{a[1]} << ", attr2 " << int{a[2]} << ", attr3 " << int{a[3]} << ", walkable " << int{a[4]}
            << "\n";
    }
    ++tiles;
  }
  if (out == nullptr) return tiles;
  *out << "tile set, " << tiles << " tiles; walkable " << walkable << ", transparent " << transparent
       << "; sizes:";
  for (const auto& [size, n] : sizes) *out << " " << size.first << " x " << size.second << " (" << n << ")";
  *out << "\n" << lines.str();
  if (static_cast<size_t>(tiles) > MAX_TILE_LINES) *out << "  ... " << tiles - MAX_TILE_LINES << " more\n";
  return tiles;
}

void describeMap(Bytes& in, const std::string& tle, std::ostream& out) {
  const uint32_t columns = in.le(4, "the header"), rows = in.le(4, "the header");
  const int32_t tw = static_cast<int32_t>(in.le(4, "the header")),
                th = static_cast<int32_t>(in.le(4, "the header"));
  uint32_t attributes[5];
  for (int i = 0; i < 5; ++i) attributes[i] = in.le(i == 3 ? 4 : 1, "the header");
  const uint64_t cells = uint64_t{columns} * rows;
  if (cells > ZEL_TileMap::MAX_CELLS || tw < 0 || th < 0 ||
      int64_t{columns} * tw > ZEL_TileMap::MAX_WORLD_SIDE ||
      int64_t{rows} * th > ZEL_TileMap::MAX_WORLD_SIDE) {
    throw Problem{0, "header says " + grouped(columns) + " x " + grouped(rows) + " cells of " +
                         std::to_string(tw) + " x " + std::to_string(th) +
                         " pixels, beyond the engine's limits"};
  }
  if (in.left() < cells * 2) {
    throw Problem{in.size(), "header says " + grouped(columns) + " x " + grouped(rows) +
                                 " cells, file ends at byte " + grouped(in.size()) + " of " +
                                 grouped(MAP_HEADER_BYTES + cells * 2)};
  }
  std::map<uint32_t, uint64_t> histogram;
  for (uint64_t i = 0; i < cells; ++i) ++histogram[in.le(2, "")];
  out << "map, " << columns << " x " << rows << " cells of " << tw << " x " << th << " pixels ("
      << int64_t{columns} * tw << " x " << int64_t{rows} * th << "); header attributes";
  for (uint32_t a : attributes) out << " " << a;
  out << "\n  tiles used:";
  for (const auto& [tile, n] : histogram) out << " " << tile << " x" << n;
  out << "\n";
  if (tle.empty()) return;
  Bytes set(fileBytes(tle));
  const int tiles = countTiles(set, nullptr);
  uint64_t beyond = 0;
  for (const auto& [tile, n] : histogram) beyond += tile >= static_cast<uint32_t>(tiles) ? n : 0;
  out << "  " << tle << " holds " << tiles << " tiles; cells naming a tile beyond them: " << beyond << "\n";
  if (beyond > 0) throw Problem{MAP_HEADER_BYTES, grouped(beyond) + " cells name tiles beyond the tile set"};
}

// The colours and the box of the visible pixels of one frame.
struct FrameSummary {
  int x1, y1, x2, y2;
};

FrameSummary boxOf(const std::vector<bool>& visible, int w, int h) {
  FrameSummary b{w, h, -1, -1};
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if (!visible[static_cast<size_t>(y) * w + x]) continue;
      b = {std::min(b.x1, x), std::min(b.y1, y), std::max(b.x2, x), std::max(b.y2, y)};
    }
  }
  return b.x2 < 0 ? FrameSummary{0, 0, w - 1, h - 1} : b;  // none visible: the whole frame
}

void describeSpr(Bytes& in, std::ostream& out, bool brief) {
  const uint32_t count = in.le(2, "the header"), delay = in.le(2, "the header");
  const uint32_t w = in.le(2, "the header"), h = in.le(2, "the header");
  if (count == 0 || w == 0 || h == 0 || w > MAX_FRAME_SIDE || h > MAX_FRAME_SIDE) {
    throw Problem{0, "header says " + std::to_string(count) + " frames of " + std::to_string(w) + " x " +
                         std::to_string(h) + " (1 to " + std::to_string(MAX_FRAME_SIDE) + " a side)"};
  }
  const uint64_t frameBytes = uint64_t{w} * h * PIXEL_BYTES;
  if (in.left() < frameBytes * count) {
    throw Problem{in.size(), "header says " + std::to_string(count) + " frames of " + std::to_string(w) +
                                 " x " + std::to_string(h) + ", file ends at byte " + grouped(in.size()) +
                                 " of " + grouped(SPR_HEADER_BYTES + frameBytes * count) + " (frame " +
                                 std::to_string((in.size() - SPR_HEADER_BYTES) / frameBytes + 1) + ")"};
  }
  std::set<uint32_t> colours;
  for (uint64_t i = 0; i < uint64_t{w} * h * count; ++i) {
    const uint32_t rgb = in.le(4, "") & 0xFFFFFF;
    if (rgb != 0) colours.insert(rgb);
  }
  out << count << " frames of " << w << " x " << h << ", delay " << delay << " steps, " << colours.size()
      << " colours besides the transparent black\n";
  if (brief) return;
  for (uint32_t i = 0; i < count; ++i) {
    if (in.left() < static_cast<size_t>(SPR_BOX_BYTES)) {
      out << "  boxes end at byte " << grouped(in.size()) << ": frame " << i + 1 << " on read as 0\n";
      return;
    }
    int32_t box[4];
    for (int32_t& v : box) v = static_cast<int32_t>(in.le(4, ""));
    out << "  frame " << i + 1 << ": box (" << box[0] << ", " << box[1] << ")-(" << box[2] << ", " << box[3]
        << ")\n";
  }
}

// Each image of a GIF decoded through the engine's LZW decoder.
void describeGif(Bytes& in, std::ostream& out, bool brief) {
  in.need(6, "the signature");
  const std::string signature(reinterpret_cast<const char*>(in.here()), 6);
  if (signature != "GIF87a" && signature != "GIF89a") throw Problem{0, "not a GIF file"};
  in.skip(6, "");
  const uint32_t sw = in.le(2, "the screen"), sh = in.le(2, "the screen"), flags = in.le(1, "the screen");
  in.skip(2, "the screen");
  std::vector<uint8_t> global;
  if (flags & 0x80) {
    in.need(3u << ((flags & 7) + 1), "the colour table");
    global.assign(in.here(), in.here() + (3u << ((flags & 7) + 1)));
    in.skip(global.size(), "");
  }
  std::ostringstream frames;
  std::set<uint32_t> colours;
  int count = 0, transparent = -1;
  uint32_t delay = 0;
  for (;;) {
    const size_t start = in.at();
    const uint32_t block = in.le(1, "the next block");
    if (block == 0x3B) break;  // the trailer
    if (block == 0x21) {
      const uint32_t label = in.le(1, "an extension");
      for (uint32_t n; (n = in.le(1, "an extension's block")) != 0;) {
        const uint8_t* p = in.here();
        in.skip(n, "an extension's block");  // the block is whole before it is read
        if (label == 0xF9 && n >= 4) {
          delay = p[1] | p[2] << 8;
          transparent = (p[0] & 1) ? p[3] : -1;
        }
      }
      continue;
    }
    if (block != 0x2C)
      throw Problem{start, "block " + std::to_string(block) + " is neither image nor extension"};
    in.skip(4, "the image's place");
    const uint32_t w = in.le(2, "the image"), h = in.le(2, "the image"), f = in.le(1, "the image");
    std::vector<uint8_t> table = global;
    if (f & 0x80) {
      in.need(3u << ((f & 7) + 1), "the image's colour table");
      table.assign(in.here(), in.here() + (3u << ((f & 7) + 1)));
      in.skip(table.size(), "");
    }
    const uint32_t codeSize = in.le(1, "the code size");
    if (w == 0 || h == 0 || w > MAX_FRAME_SIDE || h > MAX_FRAME_SIDE || codeSize < 1 || codeSize > 8) {
      throw Problem{start, "image " + std::to_string(count + 1) + " is " + std::to_string(w) + " x " +
                               std::to_string(h) + " with code size " + std::to_string(codeSize)};
    }
    std::vector<char> data;
    for (uint32_t n; (n = in.le(1, "the image data")) != 0;) {
      in.need(n, "the image data");
      data.insert(data.end(), in.here(), in.here() + n);
      in.skip(n, "");
    }
    std::vector<char> indices(static_cast<size_t>(w) * h, 0);
    if (data.empty() || LZWDecoder(data.data(), indices.data(), static_cast<short>(codeSize),
                                   static_cast<int>(w), static_cast<int>(w), static_cast<int>(h),
                                   (f & 0x40) != 0, static_cast<int>(data.size())) == 0) {
      throw Problem{start, "image " + std::to_string(count + 1) + ": corrupt image data"};
    }
    std::vector<bool> visible(indices.size());
    for (size_t i = 0; i < indices.size(); ++i) {
      const int index = static_cast<uint8_t>(indices[i]);
      visible[i] = index != transparent;
      if (visible[i] && 3 * index + 2 < static_cast<int>(table.size())) {
        colours.insert(table[3 * index] << 16 | table[3 * index + 1] << 8 | table[3 * index + 2]);
      }
    }
    const FrameSummary b = boxOf(visible, static_cast<int>(w), static_cast<int>(h));
    const uint32_t steps = delay >= GIF_HUNDREDTHS_PER_STEP ? delay / GIF_HUNDREDTHS_PER_STEP : delay;
    frames << "  frame " << ++count << ": " << w << " x " << h << ", delay " << steps << " steps, box ("
           << b.x1 << ", " << b.y1 << ")-(" << b.x2 << ", " << b.y2 << ")\n";
    transparent = -1;
    delay = 0;
  }
  if (count == 0) throw Problem{in.at(), "no image before the trailer"};
  out << count << " frames on a " << sw << " x " << sh << " screen (" << signature << "), " << colours.size()
      << " colours\n";
  if (!brief) out << frames.str();
}

// A RIFF WAVE file: its format and data chunks.
void describeWav(Bytes& in, std::ostream& out) {
  in.need(12, "the RIFF header");
  if (memcmp(in.here(), "RIFF", 4) != 0 || memcmp(in.here() + 8, "WAVE", 4) != 0) {
    throw Problem{0, "not a RIFF WAVE file"};
  }
  in.skip(12, "");
  uint32_t format = 0, channels = 0, rate = 0, blockAlign = 0, bits = 0;
  for (;;) {
    const size_t start = in.at();
    in.need(8, "a chunk header");
    const std::string id(reinterpret_cast<const char*>(in.here()), 4);
    in.skip(4, "");
    const uint32_t size = in.le(4, "a chunk header");
    if (id == "fmt " && size >= 16) {
      format = in.le(2, "");
      channels = in.le(2, "");
      rate = in.le(4, "");
      in.skip(4, "");
      blockAlign = in.le(2, "");
      bits = in.le(2, "");
      in.skip(size - 16, "the format chunk");
    } else if (id == "data") {
      if (rate == 0 || blockAlign == 0) throw Problem{start, "data before a usable format chunk"};
      in.need(size, "the data chunk");
      out << "sound, format " << format << (format == 1 ? " (PCM)" : "") << ", " << bits << "-bit, " << rate
          << " Hz, " << channels << (channels == 1 ? " channel, " : " channels, ") << size / blockAlign
          << " frames (" << static_cast<double>(size / blockAlign) / rate << " s)\n";
      return;
    } else {
      in.skip(size + (size & 1), "the chunk " + id);
    }
  }
}

void describe(const std::string& path, const std::string& tle, std::ostream& out, bool brief);

void describeDat(const std::string& path, std::ostream& out) {
  Bytes in(fileBytes(path));
  const std::string text(reinterpret_cast<const char*>(in.here()), in.size());
  std::istringstream names(text);
  std::vector<std::string> list;
  for (std::string name; names >> name;) {
    if (name.size() > static_cast<size_t>(ZEL_ListAnimData::MAX_NAME_LENGTH)) {
      throw Problem{text.find(name), "the name " + name.substr(0, 16) + "... is over " +
                                         std::to_string(ZEL_ListAnimData::MAX_NAME_LENGTH) + " characters"};
    }
    list.push_back(name);
  }
  if (list.empty()) throw Problem{0, "names no animation"};
  out << "animation list, " << list.size() << " animations\n";
  const std::string dir = directoryOf(path);
  for (size_t i = 0; i < list.size(); ++i) {
    std::ostringstream line;
    try {
      describe(dir + list[i], "", line, true);
      out << "  " << i << " " << list[i] << ": " << line.str();
    } catch (const Problem& p) {
      throw Problem{p.offset, "animation " + std::to_string(i) + ", " + list[i] + ": " + p.what};
    }
  }
}

void describe(const std::string& path, const std::string& tle, std::ostream& out, bool brief) {
  if (endsWith(path, ".dat")) return describeDat(path, out);
  Bytes in(fileBytes(path));
  if (endsWith(path, ".tle")) {
    countTiles(in, &out);
  } else if (endsWith(path, ".map")) {
    describeMap(in, tle, out);
  } else if (endsWith(path, ".spr")) {
    describeSpr(in, out, brief);
  } else if (endsWith(path, ".gif")) {
    describeGif(in, out, brief);
  } else if (endsWith(path, ".wav")) {
    describeWav(in, out);
  } else {
    throw Problem{NO_OFFSET, "not an engine file (.tle, .map, .spr, .gif, .dat, .wav)"};
  }
}

}  // namespace

int runInfo(const std::vector<std::string>& words) {
  std::vector<std::string> files;
  std::string tle;
  for (size_t i = 0; i < words.size(); ++i) {
    if (words[i] == "--tle" && i + 1 < words.size()) {
      tle = words[++i];
    } else if (words[i].compare(0, 2, "--") == 0) {
      throw UsageError("unknown option " + words[i]);
    } else {
      files.push_back(words[i]);
    }
  }
  if (files.empty()) throw UsageError("no file named");
  bool allGood = true;
  for (const std::string& path : files) {
    std::ostringstream out;
    try {
      describe(path, tle, out, false);
      printf("%s: %s", path.c_str(), out.str().c_str());
    } catch (const Problem& p) {
      if (!out.str().empty()) printf("%s: %s", path.c_str(), out.str().c_str());
      fflush(stdout);
      // Messages that name the byte where the file ends say where already.
      const bool named = p.offset == NO_OFFSET || p.what.find("byte") != std::string::npos;
      fprintf(stderr, "zeltool info: %s: %s%s\n", path.c_str(), p.what.c_str(),
              named ? "" : (" (at byte " + grouped(p.offset) + ")").c_str());
      allGood = false;
    }
  }
  if (!allGood) throw ToolError("some files could not be read whole");
  return 0;
}
