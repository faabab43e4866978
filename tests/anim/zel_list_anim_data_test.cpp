#include "zel_list_anim_data.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "anim_files.h"
#include "child_process.h"
#include "zel_anim_data.h"
#include "zel_grafbox_sdl.h"

namespace {

// A one-frame 1 x 1 .spr whose delay tells the files apart.
void writeTaggedSpr(const std::string& path, uint16_t tag) {
  writeFile(path, sprBytes(1, tag, 1, 1, {{1, 2, 3}}, {0, 0, 0, 0}));
}

ChildResult readDatInChild(const std::string& dat) {
  return runInChild([&] {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ZEL_GrafboxSDL box(16, 16, 32, false);
    box.setVideoMode(16, 16, 32, false);
    ZEL_ListAnimData list(dat.c_str(), &box, nullptr);
    printf("%d", list.nbAnims);
  });
}

}  // namespace

TEST(ListAnimDataTest, NamesInOrderWhateverTheSpacing) {
  const std::string a = tempPath("stand.spr"), b = tempPath("walk.spr"), c = tempPath("jump.spr");
  writeTaggedSpr(a, 10);
  writeTaggedSpr(b, 11);
  writeTaggedSpr(c, 12);
  const std::string dat = tempPath("kind.dat");
  for (const std::string& layout : {a + " " + b + "\n" + c + "\n", "\t\n " + a + "\t\t" + b + "\r\n" + c}) {
    writeFile(dat, std::vector<uint8_t>(layout.begin(), layout.end()));
    ZEL_GrafboxSDL box(16, 16, 32, false);
    box.init_graf();
    ZEL_ListAnimData list(dat.c_str(), &box, nullptr);
    ASSERT_EQ(list.nbAnims, 3);
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(*list.anims[i]->getDelays()->elementAt(0), 10u + i);
    }
  }
  for (const std::string& p : {a, b, c, dat}) remove(p.c_str());
}

TEST(ListAnimDataTest, BadListsEndWithTheirMessages) {
  const std::string dat = tempPath("bad.dat");
  const char* structure = "pas assez de memoire pour allouer la structure DAT ";

  ChildResult r = readDatInChild(tempPath("missing.dat"));
  EXPECT_EQ(r.exitCode, 255) << describe(r);
  EXPECT_EQ(r.out, "erreur d'ouverture du fichier " + tempPath("missing.dat"));

  for (const std::string& empty : {std::string(""), std::string(" \n\t \r\n")}) {
    writeFile(dat, std::vector<uint8_t>(empty.begin(), empty.end()));
    r = readDatInChild(dat);
    EXPECT_EQ(r.exitCode, 255) << describe(r);
    EXPECT_EQ(r.out, structure);
  }

  // 55 characters fit the name buffer, 56 do not.
  const std::string dir = tempPath("");
  const std::string fits = dir + std::string(55 - dir.size() - 4, 'a') + ".spr";
  ASSERT_EQ(fits.size(), 55u);
  writeTaggedSpr(fits, 1);
  writeFile(dat, std::vector<uint8_t>(fits.begin(), fits.end()));
  r = readDatInChild(dat);
  EXPECT_EQ(r.exitCode, 0) << describe(r);
  EXPECT_EQ(r.out, "1");
  const std::string tooLong = dir + std::string(56 - dir.size() - 4, 'a') + ".spr";
  writeTaggedSpr(tooLong, 1);
  writeFile(dat, std::vector<uint8_t>(tooLong.begin(), tooLong.end()));
  r = readDatInChild(dat);
  EXPECT_EQ(r.exitCode, 255) << describe(r);
  EXPECT_EQ(r.out, structure);

  // A named animation that is missing ends with its loader's message.
  const std::string names = fits + "\n" + dir + "nowhere.spr\n";
  writeFile(dat, std::vector<uint8_t>(names.begin(), names.end()));
  r = readDatInChild(dat);
  EXPECT_EQ(r.exitCode, 255) << describe(r);
  EXPECT_EQ(r.out, "erreur d'ouverture du fichier " + dir + "nowhere.spr\n");
  for (const std::string& p : {fits, tooLong, dat}) remove(p.c_str());
}
