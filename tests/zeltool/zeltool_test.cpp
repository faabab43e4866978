// zeltool on hand-made Tiled files: every data encoding, flips, layers, tilesets, hostile inputs, and the
// pictures Tiled itself draws.
#include <SDL.h>
#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>
#include <zstd.h>

#include <cmath>
#include <cstring>

#include "child_process.h"
#include "engine_files.h"
#include "files.h"
#include "loaded_files.h"
#include "rgba_image.h"

namespace {

const int TILE = 2;  // tiles of 2 x 2 pixels
const uint8_t R[4] = {255, 0, 0, 255}, G[4] = {0, 255, 0, 255}, B[4] = {0, 0, 255, 255},
              W[4] = {255, 255, 255, 255};
const uint8_t HALF_YELLOW[4] = {255, 255, 0, 128}, CLEAR[4] = {0, 0, 0, 0}, BLACK[4] = {0, 0, 0, 255};
const uint8_t CYAN[4] = {0, 255, 255, 255}, MAGENTA[4] = {255, 0, 255, 255};
const int ROUNDING_STEPS = 2;  // Tiled and zeltool each round once per layer
const uint32_t H = 0x80000000u, V = 0x40000000u, D = 0x20000000u;

ChildResult zeltool(const std::vector<std::string>& args) {
  return runInChild([&] {
    std::vector<char*> argv{const_cast<char*>(ZELTOOL)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(ZELTOOL, argv.data());
    _exit(127);
  });
}

// Tile 1 is R G / B W; tile 2 is half-yellow, clear / black, cyan. The image has a margin and spacing of 1 in
// magenta, the trans colour.
RgbaImage tileImage() {
  RgbaImage image(7, 4);
  for (int i = 0; i < 7 * 4; ++i) memcpy(image.at(i % 7, i / 7), MAGENTA, 4);
  const uint8_t* pixels[8] = {R, G, B, W, HALF_YELLOW, CLEAR, BLACK, CYAN};  // tile by tile
  for (int i = 0; i < 8; ++i) memcpy(image.at(1 + i / 4 * 3 + i % 2, 1 + i % 4 / 2), pixels[i], 4);
  return image;
}

std::string tilesetXml(const std::string& image) {
  const std::string head =
      "<tileset firstgid=\"1\" name=\"t\" tilewidth=\"2\" tileheight=\"2\" margin=\"1\" "
      "spacing=\"1\" tilecount=\"2\" columns=\"2\"><image source=\"";
  return head + image +
         "\" trans=\"ff00ff\" width=\"7\" height=\"4\"/><tile id=\"1\"><properties>"
         "<property name=\"walkable\" type=\"bool\" value=\"false\"/></properties></tile></tileset>";
}

std::string mapXml(int w, int h, const std::string& inside, const std::string& extra = "") {
  return "<?xml version=\"1.0\"?><map version=\"1.10\" orientation=\"orthogonal\" renderorder=\"right-down\" "
         "width=\"" +
         std::to_string(w) + "\" height=\"" + std::to_string(h) +
         "\" tilewidth=\"2\" tileheight=\"2\" infinite=\"0\"" + extra + ">" + inside + "</map>";
}

std::string layerXml(const std::string& name, const std::string& data, const std::string& attributes = "") {
  return "<layer name=\"" + name + "\" width=\"4\" height=\"2\"" + attributes + ">" + data + "</layer>";
}

std::string csv(const std::vector<uint32_t>& gids) {
  std::string s;
  for (uint32_t g : gids) s += (s.empty() ? "" : ",") + std::to_string(g);
  return "<data encoding=\"csv\">" + s + "</data>";
}

std::vector<uint8_t> littleEndian(const std::vector<uint32_t>& gids) {
  std::vector<uint8_t> bytes;
  for (uint32_t g : gids)
    bytes.insert(bytes.end(), {uint8_t(g), uint8_t(g >> 8), uint8_t(g >> 16), uint8_t(g >> 24)});
  return bytes;
}

std::vector<uint8_t> deflated(const std::vector<uint8_t>& in, bool gzip) {
  std::vector<uint8_t> out(compressBound(in.size()) + 32);
  z_stream z = {};
  deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, gzip ? 16 + MAX_WBITS : MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  z.next_in = const_cast<Bytef*>(in.data());
  z.avail_in = static_cast<uInt>(in.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

std::vector<uint8_t> zstd(const std::vector<uint8_t>& in) {
  std::vector<uint8_t> out(ZSTD_compressBound(in.size()));
  out.resize(ZSTD_compress(out.data(), out.size(), in.data(), in.size(), 3));
  return out;
}

// Every flip of tile 1 along the first row; tile 2 and nothing in the second.
const std::vector<uint32_t> FLIPS = {1, 1 | H, 1 | V, 1 | D, 1 | D | H, 1 | D | V, 1 | H | V | D, 2};
const std::vector<uint32_t> LAYER = {1 | H, 1 | D, 1 | H | V, 2, 0, 1, 2 | V, 0};

// The picture zeltool renders of `level` (imported first).
RgbaImage importAndRender(const TempDir& dir, const std::string& level,
                          const std::vector<std::string>& options = {}) {
  std::vector<std::string> import = {"import", level, dir.file("out.tle"), dir.file("out.map")};
  import.insert(import.end(), options.begin(), options.end());
  const ChildResult r = zeltool(import);
  EXPECT_EQ(r.exitCode, 0) << describe(r);
  const ChildResult drawn =
      zeltool({"render", dir.file("out.tle"), dir.file("out.map"), dir.file("out.png")});
  EXPECT_EQ(drawn.exitCode, 0) << describe(drawn);
  return readPng(dir.file("out.png"));
}

void expectPixel(const RgbaImage& image, int x, int y, const uint8_t* want, int slack = 0) {
  for (int c = 0; c < 4; ++c)
    EXPECT_NEAR(image.at(x, y)[c], want[c], slack) << "pixel " << x << "," << y << " channel " << c;
}

// A 24-bit BMP of the image's colours (alpha dropped), written by SDL.
void writeBmp(const std::string& path, RgbaImage image) {
  SDL_Surface* s = SDL_CreateRGBSurfaceFrom(image.pixels.data(), image.width, image.height, 32,
                                            image.width * 4, 0x000000ff, 0x0000ff00, 0x00ff0000, 0);
  ASSERT_EQ(SDL_SaveBMP(s, path.c_str()), 0) << SDL_GetError();
  SDL_FreeSurface(s);
}

// An 8-bit palette PNG whose palette carries the alpha (a tRNS chunk).
void writePalettePng(const std::string& path, const RgbaImage& image) {
  std::vector<uint8_t> colours, indices;
  for (size_t i = 0; i < image.pixels.size(); i += 4) {
    size_t k = 0;
    while (k < colours.size() && memcmp(&colours[k], &image.pixels[i], 4) != 0) k += 4;
    if (k == colours.size()) colours.insert(colours.end(), &image.pixels[i], &image.pixels[i] + 4);
    indices.push_back(static_cast<uint8_t>(k / 4));
  }
  png_image png = {};
  png.version = PNG_IMAGE_VERSION;
  png.width = image.width;
  png.height = image.height;
  png.format = PNG_FORMAT_RGBA_COLORMAP;
  png.colormap_entries = static_cast<png_uint_32>(colours.size() / 4);
  ASSERT_TRUE(png_image_write_to_file(&png, path.c_str(), 0, indices.data(), 0, colours.data()))
      << png.message;
}

bool hasTemporaryFile(const TempDir& dir) {
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    if (entry.path().filename().string().find(".tmp") != std::string::npos) return true;
  }
  return false;
}

}  // namespace

TEST(ZeltoolImportTest, EveryEncodingGivesTheSameLevelAndItsPixels) {
  TempDir dir;
  writePng(dir.file("tiles.png"), tileImage());
  const std::vector<uint8_t> raw = littleEndian(LAYER);
  const std::string encodings[] = {
      csv(LAYER),
      "<data encoding=\"base64\">\n  " + base64(raw) + "\n</data>",
      "<data encoding=\"base64\" compression=\"zlib\">" + base64(deflated(raw, false)) + "</data>",
      "<data encoding=\"base64\" compression=\"gzip\">" + base64(deflated(raw, true)) + "</data>",
      "<data encoding=\"base64\" compression=\"zstd\">" + base64(zstd(raw)) + "</data>",
      "<data><tile gid=\"2147483649\"/><tile gid=\"536870913\"/><tile gid=\"3221225473\"/><tile gid=\"2\"/>"
      "<tile/><tile gid=\"1\"/><tile gid=\"1073741826\"/><tile gid=\"0\"/></data>",
  };
  std::vector<uint8_t> firstTle, firstMap;
  for (const std::string& data : encodings) {
    importAndRender(dir,
                    writeFile(dir.file("level.tmx"),
                              bytesOf(mapXml(4, 2, tilesetXml("tiles.png") + layerXml("ground", data)))));
    if (firstTle.empty()) firstTle = readFile(dir.file("out.tle")), firstMap = readFile(dir.file("out.map"));
    EXPECT_EQ(readFile(dir.file("out.tle")), firstTle) << data;
    EXPECT_EQ(readFile(dir.file("out.map")), firstMap) << data;
  }
  // The same level gzip-compressed as a whole file.
  writeFile(dir.file("level.tmx.gz"), deflated(readFile(dir.file("level.tmx")), true));
  const RgbaImage image = importAndRender(dir, dir.file("level.tmx.gz"));
  EXPECT_EQ(readFile(dir.file("out.tle")), firstTle);
  ASSERT_EQ(image.width, 8);
  // Tile 2: half alpha counts as covered, its clear pixel keys out, and its black becomes the nearest colour
  // the engine draws; empty cells stay clear.
  const uint8_t YELLOW[4] = {255, 255, 0, 255}, NEAR_BLACK[4] = {0, 0, 1, 255};
  const struct {
    int x, y;
    const uint8_t* want;
  } tile2[] = {{6, 0, YELLOW}, {7, 0, CLEAR}, {6, 1, NEAR_BLACK}, {7, 1, CYAN}, {4, 2, NEAR_BLACK},
               {4, 3, YELLOW}, {5, 3, CLEAR}, {0, 2, CLEAR},      {7, 3, CLEAR}};
  for (const auto& p : tile2) expectPixel(image, p.x, p.y, p.want);
  // A background colour fills what no layer covers.
  const uint8_t BACKGROUND[4] = {0x10, 0x20, 0x30, 255};
  expectPixel(importAndRender(dir, dir.file("level.tmx.gz"), {"--background", "102030"}), 0, 2, BACKGROUND);
  // A tileset's offset of whole cells moves its tiles: tile 1 of cell 0 lands in cell (1, 1).
  std::string shifted = tilesetXml("tiles.png");
  shifted.insert(shifted.find("<image"), "<tileoffset x=\"2\" y=\"2\"/>");
  const RgbaImage moved = importAndRender(
      dir, writeFile(dir.file("offset.tmx"),
                     bytesOf(mapXml(4, 2, shifted + layerXml("ground", csv({1, 0, 0, 0, 0, 0, 0, 0}))))));
  expectPixel(moved, 0, 0, CLEAR);
  expectPixel(moved, TILE, TILE, R);
}

// Tiled's tmxrasterizer draws the reference: two tilesets (a BMP, and an external one with a palette PNG with
// transparency; a gap of global ids between them), a group with opacity over a flipped layer, a collision
// layer that is not drawn, an object layer, over the map's background colour.
TEST(ZeltoolImportTest, LayersOpacityAndFlipsMatchTiledsOwnRendering) {
  TempDir dir;
  writeBmp(dir.file("tiles.bmp"), tileImage());
  writePalettePng(dir.file("second.png"), tileImage());
  writeFile(dir.file("second.tsx"), bytesOf("<?xml version=\"1.0\"?>" + tilesetXml("second.png")));
  const std::string level = mapXml(
      4, 2,
      tilesetXml("tiles.bmp") + "<tileset firstgid=\"5\" source=\"second.tsx\"/>" +
          layerXml("ground", csv(FLIPS)) + "<group name=\"g\" opacity=\"0.8\">" +
          layerXml("over", csv({6 | D, 5 | H, 6 | V | H, 0, 5, 6, 6 | D | V, 5 | V}), " opacity=\"0.5\"") +
          "</group>" + layerXml("Collision", csv({0, 0, 0, 0, 1, 0, 0, 0})) +
          "<objectgroup name=\"things\"/>",
      " backgroundcolor=\"#336699\"");
  const RgbaImage ours = importAndRender(dir, writeFile(dir.file("level.tmx"), bytesOf(level)));
  const ChildResult tiled = runInChild([&] {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    execlp("tmxrasterizer", "tmxrasterizer", "--hide-layer", "Collision", dir.file("level.tmx").c_str(),
           dir.file("tiled.png").c_str(), nullptr);
    _exit(127);
  });
  ASSERT_EQ(tiled.exitCode, 0) << describe(tiled);
  const RgbaImage theirs = readPng(dir.file("tiled.png"));
  ASSERT_EQ(theirs.width, ours.width);
  ASSERT_EQ(theirs.height, ours.height);
  // tmxrasterizer leaves the background out: lay its picture over it.
  const double BACKGROUND[3] = {0x33, 0x66, 0x99};
  for (int y = 0; y < ours.height; ++y) {
    for (int x = 0; x < ours.width; ++x) {
      const uint8_t* t = theirs.at(x, y);
      uint8_t want[4] = {0, 0, 0, 255};
      for (int c = 0; c < 3; ++c)
        want[c] = static_cast<uint8_t>(lround(t[c] * t[3] / 255.0 + BACKGROUND[c] * (1 - t[3] / 255.0)));
      expectPixel(ours, x, y, want, ROUNDING_STEPS);
    }
  }
}

// Each bad input ends with status 1 and one line naming the file and the element, leaves no output nor
// temporary file, and keeps what was there.
TEST(ZeltoolImportTest, BadInputsAreRefusedWithoutTouchingTheOutputs) {
  TempDir dir;
  const std::string F = dir.file("level.tmx") + ": ";
  const std::string tileset = tilesetXml("tiles.png"), ground = layerXml("ground", csv(LAYER));
  const std::string good = mapXml(4, 2, tileset + ground);
  auto replaced = [](std::string text, const std::string& from, const std::string& to) {
    return text.replace(text.find(from), from.size(), to);
  };
  const std::vector<uint8_t> zeros(1 << 20);
  const std::pair<std::string, std::string> cases[] = {
      // the level, the message
      {good.substr(0, 60), F + "line 1: Error parsing element attribute"},
      {mapXml(4, 2, tilesetXml("none.png") + ground),
       dir.path() + "/none.png: cannot read the PNG image: No such file or directory"},
      {mapXml(4, 2, tilesetXml("cut.png") + ground),
       dir.path() + "/cut.png: cannot read the PNG image: Read Error"},
      {mapXml(4, 2, tileset + layerXml("ground", csv({1, 2, 0, 0, 0, 0, 1}))),
       F + "layer 'ground': the data holds 7 cells, not 8"},
      {mapXml(4, 2, tileset + layerXml("ground", csv({1, 2, 0, 0, 0, 9, 1, 1}))),
       F + "layer 'ground': cell 1,1 holds tile id 9, which no tileset has"},
      {mapXml(4, 2,
              tileset + layerXml("ground", "<data encoding=\"base64\" compression=\"zlib\">" +
                                               base64(deflated(zeros, false)) + "</data>")),
       F + "layer 'ground': the data is longer than the layer's cells"},
      {replaced(good, "orthogonal", "isometric"), F + "the map is isometric; only orthogonal maps import"},
      {replaced(good, "right-down", "left-up"), F + "render order left-up; only right-down imports"},
      {replaced(good, "infinite=\"0\"", "infinite=\"1\""), F + "infinite maps are not supported"},
      {mapXml(4, 2, "<tileset firstgid=\"1\" name=\"c\" tilewidth=\"2\" tileheight=\"2\"/>" + ground),
       F + "tileset 'c': a collection of images is not supported; use one tileset image"},
      {replaced(good, "tilewidth=\"2\" tileheight=\"2\" margin", "tilewidth=\"3\" tileheight=\"2\" margin"),
       F + "tileset 't': tiles of 3 x 2 pixels in a map of 2 x 2"},
      {mapXml(100000, 100000, tileset),
       F + "a map of 100000 x 100000 cells is beyond the engine's limits (4194304 cells)"},
  };
  writePng(dir.file("tiles.png"), tileImage());
  const std::vector<uint8_t> png = readFile(dir.file("tiles.png"));
  writeFile(dir.file("cut.png"), std::vector<uint8_t>(png.begin(), png.begin() + png.size() / 2));
  for (const auto& c : cases) {
    writeFile(dir.file("level.tmx"), bytesOf(c.first));
    writeFile(dir.file("out.tle"), {'k', 'e', 'e', 'p'});
    const ChildResult r =
        zeltool({"import", dir.file("level.tmx"), dir.file("out.tle"), dir.file("out.map")});
    EXPECT_EQ(r.exitCode, 1) << describe(r);
    EXPECT_EQ(r.err, "zeltool import: " + c.second + "\n");
    EXPECT_EQ(readFile(dir.file("out.tle")), (std::vector<uint8_t>{'k', 'e', 'e', 'p'}));
    EXPECT_TRUE(readFile(dir.file("out.map")).empty());
    EXPECT_FALSE(hasTemporaryFile(dir));
  }
  EXPECT_EQ(zeltool({"import", dir.file("level.tmx")}).exitCode, 2);
  EXPECT_EQ(zeltool({"render", "a", "b", "c", "--scale", "0"}).exitCode, 2);
  EXPECT_EQ(zeltool({"frobnicate"}).exitCode, 2);
  // An engine file the engine refuses: its own message, then zeltool's, and status 1.
  const ChildResult r = zeltool({"export", dir.file("no.tle"), dir.file("no.map"), dir.file("x.tmx")});
  EXPECT_EQ(std::make_tuple(r.exitCode, r.out, r.err),
            std::make_tuple(1, "erreur d'ouverture du fichier " + dir.file("no.tle") + "\n",
                            "zeltool export: " + dir.file("no.tle") + ", " + dir.file("no.map") +
                                ": the engine cannot load it\n"));
}

// export then import gives back both files, composited and flipped tiles included.
TEST(ZeltoolExportTest, ExportThenImportGivesBackTheSameBytes) {
  TempDir dir;
  writePng(dir.file("tiles.png"), tileImage());
  const std::string level = mapXml(4, 2,
                                   tilesetXml("tiles.png") + layerXml("ground", csv(FLIPS)) +
                                       layerXml("top", csv(LAYER), " opacity=\"0.6\""));
  importAndRender(dir, writeFile(dir.file("level.tmx"), bytesOf(level)));
  // The .map header's attribute fields (bytes 16 to 23) travel as map properties.
  std::vector<uint8_t> map = readFile(dir.file("out.map"));
  const uint8_t header[] = {1, 2, 3, 0x44, 0x33, 0x22, 0x11, 5};
  std::copy(std::begin(header), std::end(header), map.begin() + 16);
  writeFile(dir.file("out.map"), map);
  const ChildResult exported =
      zeltool({"export", dir.file("out.tle"), dir.file("out.map"), dir.file("back.tmx")});
  ASSERT_EQ(exported.exitCode, 0) << describe(exported);
  const ChildResult imported =
      zeltool({"import", dir.file("back.tmx"), dir.file("back.tle"), dir.file("back.map")});
  ASSERT_EQ(imported.exitCode, 0) << describe(imported);
  EXPECT_EQ(readFile(dir.file("back.tle")), readFile(dir.file("out.tle")));
  EXPECT_EQ(readFile(dir.file("back.map")), readFile(dir.file("out.map")));
  // Tile 2 blocks: cells holding it are outlined in red; the others keep their colours (here G at 0.6 over
  // R).
  const ChildResult drawn = zeltool({"render", dir.file("back.tle"), dir.file("back.map"), dir.file("c.png"),
                                     "--collision", "--scale", "3"});
  ASSERT_EQ(drawn.exitCode, 0) << describe(drawn);
  const RgbaImage collision = readPng(dir.file("c.png"));
  ASSERT_EQ(collision.width, 4 * TILE * 3);
  expectPixel(collision, 6 * 3, 0, R);
  const uint8_t GREEN_OVER_RED[4] = {102, 153, 0, 255};
  expectPixel(collision, 2, 2, GREEN_OVER_RED);  // inside the scaled corner pixel
}

// info describes the game's own files, and names the byte where each cut one goes wrong, going on through the
// list and ending with status 1.
TEST(ZeltoolInfoTest, GoodFilesAreDescribedAndCutOnesNamedAtTheirByte) {
  const std::string data = GAME_DATA_DIR;
  const ChildResult good = zeltool({"info", data + "/dirod.map", "--tle", data + "/dirod.tle",
                                    data + "/player1.dat", data + "/fly_left.gif", data + "/intro.wav"});
  EXPECT_EQ(good.exitCode, 0) << describe(good);
  for (const char* line :
       {"dirod.map: map, 96 x 15 cells of 32 x 32 pixels (3072 x 480); header attributes 0 0 0 0 0\n",
        "dirod.tle holds 19 tiles; cells naming a tile beyond them: 0\n",
        "  0 player_walk_right.spr: 4 frames of 24 x 32, delay 3 steps",
        "fly_left.gif: 4 frames on a 24 x 16 screen (GIF89a)",
        "intro.wav: sound, format 1 (PCM), 16-bit, 22050 Hz, 1 channel, 16758 frames"}) {
    EXPECT_NE(good.out.find(line), std::string::npos) << line;
  }
  const struct {
    const char* file;
    size_t keep;
    const char* message;
  } cuts[] = {
      {"dirod.map", 2070, "header says 96 x 15 cells, file ends at byte 2,070 of 2,904"},
      {"dirod.tle", 1000,
       "record 1 (32 x 32 pixels) needs 4,096 bytes from byte 13, the file ends at byte 1,000"},
      {"bullet_east.spr", 500, "header says 2 frames of 10 x 10, file ends at byte 500 of 808 (frame 2)"},
      {"fly_left.gif", 300, "the colour table needs 768 bytes from byte 13, the file ends at byte 300"},
      {"intro.wav", 2000, "the data chunk needs 33,516 bytes from byte 44, the file ends at byte 2,000"},
  };
  TempDir dir;
  std::vector<std::string> args = {"info"};
  std::string want;
  for (const auto& c : cuts) {
    const std::vector<uint8_t> bytes = readFile(data + "/" + c.file);
    writeFile(dir.file(c.file), std::vector<uint8_t>(bytes.begin(), bytes.begin() + c.keep));
    args.push_back(dir.file(c.file));
    want += "zeltool info: " + dir.file(c.file) + ": " + c.message + "\n";
  }
  args.push_back(data + "/bullet.dat");  // after the bad ones, still described
  const ChildResult bad = zeltool(args);
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_EQ(bad.err, want + "zeltool info: some files could not be read whole\n");
  EXPECT_NE(bad.out.find("bullet.dat: animation list, 2 animations"), std::string::npos) << bad.out;
}

// The demo's sprites go to GIF and to PNG sheets and back to the same bytes.
TEST(ZeltoolSpriteTest, SprThroughGifAndPngGivesBackTheSameBytes) {
  TempDir dir;
  for (const char* name : {"bullet_east.spr", "player_walk_left.spr", "shit_splash.spr", "cartoon.spr"}) {
    const std::string spr = std::string(GAME_DATA_DIR) + "/" + name;
    for (const char* middle : {"m.gif", "m.png"}) {
      EXPECT_EQ(zeltool({"sprite", spr, dir.file(middle)}).exitCode, 0) << name << " " << middle;
      EXPECT_EQ(zeltool({"sprite", dir.file(middle), dir.file("back.spr")}).exitCode, 0)
          << name << " " << middle;
      EXPECT_EQ(readFile(dir.file("back.spr")), readFile(spr)) << name << " " << middle;
    }
  }
}

// A sheet with a margin and spacing: partly transparent pixels are refused unless a threshold cuts them; a
// key colour; per-frame delays of a GIF.
TEST(ZeltoolSpriteTest, SheetsAreCutAsToldAndMixedGifsWarn) {
  TempDir dir;
  writePng(dir.file("rgba.png"), tileImage());
  writePalettePng(dir.file("palette.png"), tileImage());
  const std::vector<std::string> cut = {"--frame", "2x2", "--margin", "1", "--spacing", "1", "--delay", "7"};
  auto sprite = [&](const std::string& in, std::vector<std::string> options) {
    options.insert(options.begin(), {"sprite", dir.file(in), dir.file("out.spr")});
    return zeltool(options);
  };
  const ChildResult refused = sprite("rgba.png", cut);
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_EQ(refused.err, "zeltool sprite: " + dir.file("rgba.png") +
                             ": frame 2 has 1 partly transparent pixels, the first at 0,0; give "
                             "--alpha-threshold N to cut them\n");
  // Pixels of frame 2 in the .spr (RGB and an unused byte each, after the 8-byte header and frame 1).
  const struct {
    const char* in;
    std::vector<std::string> more;
    std::vector<uint8_t> frame2;
  } rows[] = {
      {"rgba.png", {"--alpha-threshold", "100"}, {255, 255, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 255, 255, 0}},
      {"palette.png", {"--alpha-threshold", "200"}, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 255, 255, 0}},
      {"rgba.png",
       {"--key", "00ffff", "--alpha-threshold", "100"},
       {255, 255, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0}}};
  for (const auto& row : rows) {
    std::vector<std::string> options = cut;
    options.insert(options.end(), row.more.begin(), row.more.end());
    const ChildResult r = sprite(row.in, options);
    ASSERT_EQ(r.exitCode, 0) << describe(r);
    const std::vector<uint8_t> spr = readFile(dir.file("out.spr"));
    ASSERT_GE(spr.size(), 8u + 32u);
    EXPECT_EQ(std::vector<uint8_t>(spr.begin(), spr.begin() + 4), (std::vector<uint8_t>{2, 0, 7, 0}));
    EXPECT_EQ(std::vector<uint8_t>(spr.begin() + 24, spr.begin() + 40), row.frame2) << row.in;
  }
  // Frames unlike the first in delay or size: a warning, the first's kept.
  const std::vector<uint8_t> frame = lzwRootCodes({1, 1, 1, 1}, 2);
  const GifBuilder first = GifBuilder(2, 2, {0, 0, 0, 255, 0, 0}).control(30).image(2, 2, 2, frame);
  const std::pair<std::vector<uint8_t>, std::string> mixed[] = {
      {GifBuilder(first).control(50).image(2, 2, 2, frame).finish(),
       "frame 2 lasts 5 steps, not 3 like the first"},
      {GifBuilder(first).control(30).image(1, 1, 2, lzwRootCodes({1}, 2)).finish(),
       "frame 2 is 1 x 1, not 2 x 2 like the first"}};
  for (const auto& m : mixed) {
    writeFile(dir.file("mixed.gif"), m.first);
    const ChildResult warned = sprite("mixed.gif", {});
    EXPECT_EQ(warned.exitCode, 0);
    EXPECT_EQ(warned.err, "zeltool sprite: " + dir.file("mixed.gif") + ": warning: " + m.second + "\n");
    EXPECT_EQ(readFile(dir.file("out.spr"))[2], 3);
  }
}

// A list's animations, one a row, bound boxes outlined (no font beside the list: no names).
TEST(ZeltoolSheetTest, EveryAnimationOfAListOnItsRowWithItsBoxes) {
  TempDir dir;
  for (const char* name : {"bullet.dat", "bullet_east.spr", "bullet_west.spr"}) {
    writeFile(dir.file(name), readFile(std::string(GAME_DATA_DIR) + "/" + name));
  }
  const ChildResult r = zeltool({"sheet", dir.file("bullet.dat"), dir.file("sheet.png")});
  ASSERT_EQ(r.exitCode, 0) << describe(r);
  const RgbaImage sheet = readPng(dir.file("sheet.png"));
  EXPECT_EQ(std::make_pair(sheet.width, sheet.height),
            std::make_pair(6 + 2 * 16, 6 + 2 * 16));  // 10 x 10 frames
  const uint8_t OUTLINE[4] = {255, 0, 255, 255};
  expectPixel(sheet, 6, 6, OUTLINE);               // frame 1's box: the whole frame
  expectPixel(sheet, 6 + 16 + 2, 6 + 2, OUTLINE);  // frame 2's: (2, 2)-(7, 7)
  expectPixel(sheet, 6 + 16 + 2, 6 + 16 + 2, OUTLINE);
}
