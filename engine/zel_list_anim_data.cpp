#include "zel_list_anim_data.h"

#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "zel_alloc.h"
#include "zel_anim_data.h"
#include "zel_fatal.h"

namespace {

[[noreturn]] void failStructure(FILE* f) {
  fclose(f);
  ZEL_fatal("pas assez de memoire pour allouer la structure DAT ");
}

// Reads the white-space-separated names of the file. A name too long for
// the list's name buffer, or a file with no name at all, makes a list
// that cannot be built.
std::vector<std::string> readNames(FILE* f) {
  std::vector<std::string> names;
  std::string word;
  int c;
  while ((c = fgetc(f)) != EOF) {
    if (isspace(c)) {
      if (!word.empty()) names.push_back(word);
      word.clear();
      continue;
    }
    if (word.size() == static_cast<size_t>(ZEL_ListAnimData::MAX_NAME_LENGTH)) failStructure(f);
    word += static_cast<char>(c);
  }
  if (!word.empty()) names.push_back(word);
  if (names.empty()) failStructure(f);
  return names;
}

}  // namespace

ZEL_ListAnimData::ZEL_ListAnimData(const char* file, ZEL_Grafbox* g, ZEL_Timer* t)
    : nbAnims(0), anims(nullptr), grafbox(g), timer(t) {
  ReadDat(file);
}

void ZEL_ListAnimData::ReadDat(const char* file) {
  FILE* f = fopen(file, "rb");
  if (f == nullptr) ZEL_fatal("erreur d'ouverture du fichier %s", file);
  const std::vector<std::string> names = readNames(f);
  anims = zel_alloc::array<ZEL_AnimData*>(names.size(), [f] { failStructure(f); }).release();
  nbAnims = static_cast<int32_t>(names.size());
  for (size_t i = 0; i < names.size(); ++i) {
    anims[i] = new ZEL_AnimData(names[i].c_str(), grafbox, timer);
  }
  fclose(f);
}
