#include "sprites.h"

#include <cstdio>
#include <map>
#include <memory>

#include "gif_writer.h"
#include "pixel_art.h"
#include "source_text.h"
#include "zel_anim_data.h"
#include "zel_rect.h"
#include "zel_surface.h"

namespace {

const int MAX_DELAY_STEPS = 0xFFFF;  // the .spr header holds 16 bits
// The engine's list reader takes names of at most this many characters.
const size_t MAX_NAME = 55;

bool endsWith(const std::string& s, const std::string& end) {
  return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

void writeSpr(const std::string& path, const std::vector<Image>& frames, unsigned delay, ZEL_Grafbox* grafbox) {
  // The animation does not own its frames: they go after it.
  std::vector<std::unique_ptr<ZEL_Surface>> surfaces;
  ZEL_AnimData anim(grafbox, nullptr);
  for (const Image& image : frames) {
    surfaces.emplace_back(toSurface(image, grafbox));
    ZEL_Rect box;
    ZEL_AnimData::calculateOptimizedBoundBox(&box, surfaces.back().get(), static_cast<unsigned>(image.largeur),
                                             static_cast<unsigned>(image.hauteur));
    anim.addFrame(surfaces.back().get(), delay, box);
  }
  anim.WriteSpr(path.c_str());
}

struct AnimLine {
  std::string file;
  unsigned delay;
  bool mirror;
  std::vector<std::string> frameNames;
};

AnimLine parseAnim(const SourceText& source, const std::vector<std::string>& words) {
  // anim FILE delay N [mirror] frames NAME...
  if (words.size() < 6 || words[2] != "delay") source.fail("expected: anim FILE delay N [mirror] frames NAME...");
  AnimLine a{words[1], static_cast<unsigned>(parseInt(source, words[3], 0, MAX_DELAY_STEPS)), false, {}};
  size_t i = 4;
  if (words[i] == "mirror") {
    a.mirror = true;
    ++i;
  }
  if (i >= words.size() || words[i] != "frames" || i + 1 >= words.size()) source.fail("expected: frames NAME...");
  a.frameNames.assign(words.begin() + static_cast<long>(i) + 1, words.end());
  if (a.file.size() > MAX_NAME) source.fail("an animation name longer than 55 characters");
  if (!endsWith(a.file, ".spr") && !endsWith(a.file, ".gif")) source.fail("an animation file is .spr or .gif");
  return a;
}

}  // namespace

std::vector<MadeAnimation> makeSprites(const std::string& path, const std::string& outDir, ZEL_Grafbox* grafbox) {
  SourceText source(path);
  PixelArt art;
  std::map<std::string, Image> frames;
  std::string listName;
  std::vector<MadeAnimation> made;
  std::vector<std::string> words;
  while (source.nextWords(&words)) {
    if (art.apply(source, words)) continue;
    if (words[0] == "frame" && words.size() == 2) {
      if (frames.count(words[1]) != 0) source.fail("frame " + words[1] + " is defined twice");
      frames[words[1]] = art.readPicture(source);
    } else if (words[0] == "list" && words.size() == 2 && endsWith(words[1], ".dat")) {
      listName = words[1];
    } else if (words[0] == "anim") {
      const AnimLine a = parseAnim(source, words);
      MadeAnimation m{a.file, {}};
      for (const std::string& name : a.frameNames) {
        const auto found = frames.find(name);
        if (found == frames.end()) source.fail("no frame named " + name);
        m.frames.push_back(a.mirror ? mirrored(found->second) : found->second);
      }
      const Image& first = m.frames[0];
      if (!made.empty() && (first.largeur != made[0].frames[0].largeur || first.hauteur != made[0].frames[0].hauteur)) {
        source.fail(a.file + " is not the size of the kind's first animation");
      }
      const std::string out = outDir + "/" + a.file;
      if (endsWith(a.file, ".gif")) {
        writeGif(out, m.frames, a.delay);
      } else {
        writeSpr(out, m.frames, a.delay, grafbox);
      }
      made.push_back(m);
    } else {
      source.fail("unknown line: " + words[0]);
    }
  }
  if (listName.empty() || made.empty()) source.fail("a sprite source names a list and its animations");

  const std::string listPath = outDir + "/" + listName;
  FILE* f = fopen(listPath.c_str(), "w");
  if (f == nullptr) failTool("cannot write " + listPath);
  for (const MadeAnimation& m : made) fprintf(f, "%s\n", m.file.c_str());
  if (fclose(f) != 0) failTool("cannot write " + listPath);
  return made;
}
