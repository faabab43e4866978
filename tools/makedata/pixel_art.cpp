#include "pixel_art.h"

namespace {
const int MAX_ART_SIDE = 256;
const int MAX_SCALE = 8;
}  // namespace

Rgb parseColour(const SourceText& source, const std::vector<std::string>& words, size_t first) {
  if (words.size() < first + 3) source.fail("expected red, green and blue");
  Rgb c;
  c.r = static_cast<uint8_t>(parseInt(source, words[first], 0, 255));
  c.g = static_cast<uint8_t>(parseInt(source, words[first + 1], 0, 255));
  c.b = static_cast<uint8_t>(parseInt(source, words[first + 2], 0, 255));
  if (c.isTransparent()) source.fail("0 0 0 is the transparent colour: write black as 0 0 1");
  return c;
}

bool PixelArt::apply(const SourceText& source, const std::vector<std::string>& words) {
  const std::string& key = words[0];
  if (key == "size" && words.size() == 3) {
    largeur_ = parseInt(source, words[1], 1, MAX_ART_SIDE);
    hauteur_ = parseInt(source, words[2], 1, MAX_ART_SIDE);
  } else if (key == "scale" && words.size() == 2) {
    scale_ = parseInt(source, words[1], 1, MAX_SCALE);
  } else if (key == "outline" && words.size() == 4) {
    outline_ = parseColour(source, words, 1);
    hasOutline_ = true;
  } else if (key == "color" && words.size() >= 3 && words[1].size() == 1) {
    const char c = words[1][0];
    if (words.size() == 3 && words[2] == "transparent") {
      palette_[c] = TRANSPARENT;
    } else if (words.size() == 5) {
      palette_[c] = parseColour(source, words, 2);
    } else {
      source.fail("expected: color C R G B, or color C transparent");
    }
  } else {
    return false;
  }
  return true;
}

Image PixelArt::readPicture(SourceText& source) const {
  if (largeur_ == 0) source.fail("a picture before its size");
  Image art(largeur_, hauteur_);
  for (int y = 0; y < hauteur_; ++y) {
    std::string row;
    if (!source.next(&row)) source.fail("the picture ends early");
    if (static_cast<int>(row.size()) != largeur_) {
      source.fail("a picture row of " + std::to_string(row.size()) + " characters, not " +
                  std::to_string(largeur_));
    }
    for (int x = 0; x < largeur_; ++x) {
      const auto found = palette_.find(row[static_cast<size_t>(x)]);
      if (found == palette_.end()) source.fail(std::string("no colour for '") + row[static_cast<size_t>(x)] + "'");
      art.at(x, y) = found->second;
    }
  }
  if (hasOutline_) art = outlined(art, outline_);
  return scaled(art, scale_);
}
