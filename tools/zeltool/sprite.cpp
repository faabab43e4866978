#include "sprite.h"

#include <gif_lib.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <sstream>

#include "atomic_file.h"
#include "files.h"
#include "tool_error.h"
#include "zel_anim_data.h"
#include "zel_grafbox.h"
#include "zel_rect.h"
#include "zel_surface.h"

namespace {

const uint8_t OPAQUE = 255;
const char TEXT_KEY[] = "zeltool";  // the PNG text chunk and GIF comment zeltool reads back
const int GIF_COLOURS = 256;
const int GIF_TRANSPARENT = 0;        // index 0 is the key in every palette zeltool writes
const unsigned MAX_GIF_STEPS = 6553;  // 65535 hundredths
const size_t PNG_IHDR_END = 33;       // the signature's 8 bytes, then IHDR's 25

uint32_t rgbOf(const uint8_t* p) { return uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2]; }

RgbaImage pixelsOf(ZEL_Surface* s, int w, int h) {
  RgbaImage image(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      uint8_t* p = image.at(x, y);
      if (x < s->getLargeur() && y < s->getHauteur()) s->getPixel(x, y, &p[0], &p[1], &p[2]);
      p[3] = rgbOf(p) == 0 ? 0 : OPAQUE;
    }
  }
  return image;
}

ZEL_Surface* surfaceOf(const RgbaImage& image, ZEL_Grafbox* grafbox) {
  ZEL_Surface* s = grafbox->getSurface(image.width, image.height);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const uint8_t* p = image.at(x, y);
      if (p[3] == 0)
        s->setPixel(x, y, 0, 0, 0);
      else
        s->setPixel(x, y, p[0], p[1], p[2]);
    }
  }
  return s;
}

// "frame=WxH delays=d,d,... boxes=x1,y1,x2,y2;..." as zeltool writes it.
std::string describe(const Sprite& s) {
  std::ostringstream text;
  text << "frame=" << s.width << "x" << s.height << " delays=";
  for (size_t i = 0; i < s.delays.size(); ++i) text << (i ? "," : "") << s.delays[i];
  text << " boxes=";
  for (size_t i = 0; i < s.boxes.size(); ++i) {
    const auto& b = s.boxes[i];
    text << (i ? ";" : "") << b[0] << "," << b[1] << "," << b[2] << "," << b[3];
  }
  return text.str();
}

// What describe wrote, read back into sprite (delays and boxes for `frames` frames).
bool readDescription(const std::string& text, size_t frames, int* w, int* h, std::vector<unsigned>* delays,
                     std::vector<std::array<int32_t, 4>>* boxes) {
  std::istringstream in(text);
  std::string word;
  delays->clear();
  boxes->clear();
  while (in >> word) {
    if (word.compare(0, 6, "frame=") == 0 && sscanf(word.c_str() + 6, "%dx%d", w, h) != 2) return false;
    if (word.compare(0, 7, "delays=") == 0) {
      std::istringstream list(word.substr(7));
      for (unsigned d; list >> d; list.ignore()) delays->push_back(d);
    }
    if (word.compare(0, 6, "boxes=") == 0) {
      std::istringstream list(word.substr(6));
      std::array<int32_t, 4> b;
      char sep;
      while (list >> b[0] >> sep >> b[1] >> sep >> b[2] >> sep >> b[3]) {
        boxes->push_back(b);
        list >> sep;
      }
    }
  }
  return delays->size() == frames && boxes->size() == frames;
}

// The file's bytes, to look for zeltool's text in it; the file was read whole already.
std::vector<uint8_t> fileBytes(const std::string& path) {
  std::vector<uint8_t> bytes;
  readFileBytes(path, SIZE_MAX - 1, bytes);
  return bytes;
}

// The text of the PNG's tEXt chunk with zeltool's keyword; empty if none.
std::string pngText(const std::vector<uint8_t>& png) {
  std::string text;
  visitPngChunks(png, [&](const char* type, const uint8_t* bytes, uint32_t length) {
    const char* data = reinterpret_cast<const char*>(bytes);
    if (memcmp(type, "tEXt", 4) != 0 || length <= sizeof TEXT_KEY || strcmp(data, TEXT_KEY) != 0)
      return false;
    text.assign(data + sizeof TEXT_KEY, length - sizeof TEXT_KEY);
    return true;
  });
  return text;
}

// zeltool's comment in a GIF's blocks (extension 0x21 0xFE, one sub-block); empty if none.
std::string gifComment(const std::vector<uint8_t>& gif) {
  const std::string prefix = std::string(TEXT_KEY) + " ";
  const std::string all(gif.begin(), gif.end());
  for (size_t found = all.find(prefix); found != std::string::npos; found = all.find(prefix, found + 1)) {
    if (found < 3 || all[found - 3] != '\x21' || all[found - 2] != '\xFE') continue;
    const size_t length = static_cast<uint8_t>(all[found - 1]);
    if (length >= prefix.size() && found + length <= all.size()) {
      return all.substr(found + prefix.size(), length - prefix.size());
    }
  }
  return "";
}

void warnIfMixed(const std::string& path, const Sprite& s, const std::vector<std::pair<int, int>>& sizes) {
  for (size_t i = 1; i < s.frames.size(); ++i) {
    if (sizes[i] != sizes[0]) {
      fprintf(stderr, "zeltool sprite: %s: warning: frame %zu is %d x %d, not %d x %d like the first\n",
              path.c_str(), i + 1, sizes[i].first, sizes[i].second, s.width, s.height);
    }
    if (s.delays[i] != s.delays[0]) {
      fprintf(stderr, "zeltool sprite: %s: warning: frame %zu lasts %u steps, not %u like the first\n",
              path.c_str(), i + 1, s.delays[i], s.delays[0]);
    }
  }
}

// One frame of the sheet in the engine's terms: key and alpha to the
// engine's transparent black, opaque black to near-black.
RgbaImage cutFrame(const RgbaImage& sheet, int x0, int y0, const SheetOptions& o, const std::string& path,
                   int frame) {
  RgbaImage out(o.frameWidth, o.frameHeight);
  int partly = 0, firstX = 0, firstY = 0;
  for (int y = 0; y < o.frameHeight; ++y) {
    for (int x = 0; x < o.frameWidth; ++x) {
      const uint8_t* in = sheet.at(x0 + x, y0 + y);
      uint8_t* p = out.at(x, y);
      memcpy(p, in, 3);
      const bool partial = in[3] != 0 && in[3] != OPAQUE;
      if (partial && o.alphaThreshold < 0 && partly++ == 0) {
        firstX = x;
        firstY = y;
      }
      const bool clear =
          (o.hasKey && memcmp(in, o.key, 3) == 0) || in[3] == 0 || (partial && in[3] < o.alphaThreshold);
      if (!clear && rgbOf(p) == 0) memcpy(p, NEAR_BLACK, 3);
      p[3] = clear ? 0 : OPAQUE;
      if (clear) memset(p, 0, 3);
    }
  }
  if (partly > 0) {
    throw ToolError(path + ": frame " + std::to_string(frame) + " has " + std::to_string(partly) +
                    " partly transparent pixels, the first at " + std::to_string(firstX) + "," +
                    std::to_string(firstY) + "; give --alpha-threshold N to cut them");
  }
  return out;
}

}  // namespace

Sprite readAnimation(const std::string& path, ZEL_Grafbox* grafbox, ZEL_Timer* timer) {
  ZEL_AnimData anim(path.c_str(), grafbox, timer);
  Sprite s;
  s.width = static_cast<int>(anim.get_largeur());
  s.height = static_cast<int>(anim.get_hauteur());
  std::vector<std::pair<int, int>> sizes;
  for (uint32_t i = 0; i < anim.getNbFrames(); ++i) {
    ZEL_Surface* frame = anim.getFrames()->elementAt(static_cast<int>(i));
    if (i == 0) {
      s.width = frame->getLargeur();
      s.height = frame->getHauteur();
    }
    sizes.emplace_back(frame->getLargeur(), frame->getHauteur());
    s.frames.push_back(pixelsOf(frame, s.width, s.height));
    s.delays.push_back(*anim.getDelays()->elementAt(static_cast<int>(i)));
    const ZEL_Rect* r = anim.getBoundBoxes()->elementAt(static_cast<int>(i));
    s.boxes.push_back({r->x1, r->y1, r->x2, r->y2});
  }
  const std::string comment = gifComment(fileBytes(path));
  int w = 0, h = 0;
  std::vector<unsigned> delays;
  std::vector<std::array<int32_t, 4>> boxes;
  if (!comment.empty() && readDescription(comment, s.frames.size(), &w, &h, &delays, &boxes)) s.boxes = boxes;
  warnIfMixed(path, s, sizes);
  return s;
}

Sprite readSheet(const std::string& path, const SheetOptions& given, ZEL_Grafbox* grafbox) {
  const RgbaImage sheet = readPng(path);
  SheetOptions o = given;
  Sprite s;
  int w = 0, h = 0;
  std::vector<unsigned> delays;
  std::vector<std::array<int32_t, 4>> boxes;
  const std::string text = pngText(fileBytes(path));
  const bool described = !text.empty() && sscanf(text.c_str(), "frame=%dx%d", &w, &h) == 2;
  if (o.frameWidth == 0 && described) {
    o.frameWidth = w;
    o.frameHeight = h;
  }
  if (o.frameWidth < 1 || o.frameHeight < 1) throw UsageError("--frame WxH is needed for this sheet");
  const int columns = (sheet.width - 2 * o.margin + o.spacing) / (o.frameWidth + o.spacing);
  const int rows = (sheet.height - 2 * o.margin + o.spacing) / (o.frameHeight + o.spacing);
  const int count = o.count > 0 ? o.count : columns * rows;
  if (columns < 1 || rows < 1 || count > columns * rows) {
    throw ToolError(path + ": " + std::to_string(count) + " frames of " + std::to_string(o.frameWidth) +
                    " x " + std::to_string(o.frameHeight) + " do not fit a sheet of " +
                    std::to_string(sheet.width) + " x " + std::to_string(sheet.height));
  }
  s.width = o.frameWidth;
  s.height = o.frameHeight;
  for (int i = 0; i < count; ++i) {
    const int x0 = o.margin + i % columns * (o.frameWidth + o.spacing);
    const int y0 = o.margin + i / columns * (o.frameHeight + o.spacing);
    s.frames.push_back(cutFrame(sheet, x0, y0, o, path, i + 1));
  }
  const bool same = described && w == o.frameWidth && h == o.frameHeight &&
                    readDescription(text, s.frames.size(), &w, &h, &delays, &boxes);
  for (size_t i = 0; i < s.frames.size(); ++i) {
    s.delays.push_back(o.delay >= 0 ? static_cast<unsigned>(o.delay) : same ? delays[i] : 0);
    if (same) {
      s.boxes.push_back(boxes[i]);
      continue;
    }
    ZEL_Surface* surface = surfaceOf(s.frames[i], grafbox);
    ZEL_Rect r;
    ZEL_AnimData::calculateOptimizedBoundBox(&r, surface, s.width, s.height);
    delete surface;
    s.boxes.push_back({r.x1, r.y1, r.x2, r.y2});
  }
  return s;
}

void writeSpr(const Sprite& s, const std::string& path, ZEL_Grafbox* grafbox, ZEL_Timer* timer) {
  AtomicFile out(path);
  ZEL_AnimData anim(grafbox, timer);
  std::vector<ZEL_Surface*> surfaces;  // the animation points at them without owning them
  for (size_t i = 0; i < s.frames.size(); ++i) {
    surfaces.push_back(surfaceOf(s.frames[i], grafbox));
    ZEL_Rect r;
    r.x1 = s.boxes[i][0];
    r.y1 = s.boxes[i][1];
    r.x2 = s.boxes[i][2];
    r.y2 = s.boxes[i][3];
    anim.addFrame(surfaces.back(), s.delays[i], r);
  }
  anim.WriteSpr(out.temporary().c_str());
  for (ZEL_Surface* surface : surfaces) delete surface;
  out.commit();
}

void writeGif(const Sprite& s, const std::string& path) {
  // One palette for all frames when the colours fit, else one per frame.
  std::map<uint32_t, int> all;
  for (const RgbaImage& f : s.frames) {
    for (size_t i = 0; i < f.pixels.size(); i += 4) {
      if (f.pixels[i + 3] != 0) all.emplace(rgbOf(&f.pixels[i]), 0);
    }
  }
  const bool global = all.size() < GIF_COLOURS;
  auto paletteOf = [&](const std::vector<const RgbaImage*>& frames, std::map<uint32_t, int>& index) {
    ColorMapObject* map = GifMakeMapObject(GIF_COLOURS, nullptr);
    for (int i = 0; i < GIF_COLOURS; ++i) map->Colors[i] = GifColorType{0, 0, 0};
    for (const RgbaImage* f : frames) {
      for (size_t i = 0; i < f->pixels.size(); i += 4) {
        if (f->pixels[i + 3] == 0 || index.count(rgbOf(&f->pixels[i])) > 0) continue;
        const int n = static_cast<int>(index.size()) + 1;
        if (n >= GIF_COLOURS) {
          GifFreeMapObject(map);
          throw ToolError(path + ": a frame has more than " + std::to_string(GIF_COLOURS - 1) + " colours");
        }
        index[rgbOf(&f->pixels[i])] = n;
        map->Colors[n] = GifColorType{f->pixels[i], f->pixels[i + 1], f->pixels[i + 2]};
      }
    }
    return map;
  };
  AtomicFile out(path);
  int error = 0;
  GifFileType* gif = EGifOpenFileName(out.temporary().c_str(), false, &error);
  if (gif == nullptr) throw ToolError(path + ": cannot write the file");
  auto check = [&](int status) {
    if (status == GIF_OK) return;
    const int reason = gif->Error;
    EGifCloseFile(gif, &error);
    throw ToolError(path + ": cannot write the GIF: " + GifErrorString(reason));
  };
  EGifSetGifVersion(gif, true);
  std::vector<const RgbaImage*> frames;
  for (const RgbaImage& f : s.frames) frames.push_back(&f);
  std::map<uint32_t, int> globalIndex;
  ColorMapObject* screen = global ? paletteOf(frames, globalIndex) : nullptr;
  const int status = EGifPutScreenDesc(gif, s.width, s.height, 8, GIF_TRANSPARENT, screen);
  if (screen != nullptr) GifFreeMapObject(screen);
  check(status);
  const std::string comment = std::string(TEXT_KEY) + " " + describe(s);
  if (comment.size() < 256) check(EGifPutComment(gif, comment.c_str()));
  std::vector<GifPixelType> line(static_cast<size_t>(s.width));
  for (size_t i = 0; i < s.frames.size(); ++i) {
    const unsigned hundredths = std::min(s.delays[i], MAX_GIF_STEPS) * GIF_HUNDREDTHS_PER_STEP;
    const unsigned char control[4] = {1, static_cast<unsigned char>(hundredths & 0xFF),
                                      static_cast<unsigned char>(hundredths >> 8), GIF_TRANSPARENT};
    check(EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, sizeof control, control));
    std::map<uint32_t, int> localIndex;
    ColorMapObject* local = global ? nullptr : paletteOf({&s.frames[i]}, localIndex);
    const int described = EGifPutImageDesc(gif, 0, 0, s.width, s.height, false, local);
    if (local != nullptr) GifFreeMapObject(local);
    check(described);
    const std::map<uint32_t, int>& index = global ? globalIndex : localIndex;
    for (int y = 0; y < s.height; ++y) {
      for (int x = 0; x < s.width; ++x) {
        const uint8_t* p = s.frames[i].at(x, y);
        line[static_cast<size_t>(x)] =
            static_cast<GifPixelType>(p[3] == 0 ? GIF_TRANSPARENT : index.at(rgbOf(p)));
      }
      check(EGifPutLine(gif, line.data(), s.width));
    }
  }
  if (EGifCloseFile(gif, &error) != GIF_OK) throw ToolError(path + ": cannot write the GIF");
  out.commit();
}

void writeSheet(const Sprite& s, const std::string& path) {
  RgbaImage sheet(s.width * static_cast<int>(s.frames.size()), s.height);
  for (size_t i = 0; i < s.frames.size(); ++i) {
    for (int y = 0; y < s.height; ++y)
      memcpy(sheet.at(static_cast<int>(i) * s.width, y), s.frames[i].at(0, y), s.width * 4u);
  }
  std::vector<uint8_t> bytes = encodePng(path, sheet);
  // A tEXt chunk right after IHDR: length, type, keyword, NUL, text, CRC.
  const std::string text = describe(s);
  std::vector<uint8_t> chunk = {0, 0, 0, 0, 't', 'E', 'X', 't'};
  chunk.insert(chunk.end(), TEXT_KEY, TEXT_KEY + sizeof TEXT_KEY);
  chunk.insert(chunk.end(), text.begin(), text.end());
  const uint32_t length = static_cast<uint32_t>(chunk.size() - 8);
  for (int i = 0; i < 4; ++i) chunk[i] = static_cast<uint8_t>(length >> (24 - 8 * i));
  const uint32_t crc = crc32(crc32(0, nullptr, 0), &chunk[4], static_cast<uInt>(chunk.size() - 4));
  for (int i = 0; i < 4; ++i) chunk.push_back(static_cast<uint8_t>(crc >> (24 - 8 * i)));
  bytes.insert(bytes.begin() + PNG_IHDR_END, chunk.begin(), chunk.end());
  writeBytes(path, bytes);
}
