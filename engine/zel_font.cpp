#include "zel_font.h"

#include <cstdio>

#include "zel_anim_data.h"

ZEL_Font::ZEL_Font(const char* file, ZEL_Grafbox* g) : hauteur(0), largeur(0), grafbox(g), animData(nullptr) {
  animData = new ZEL_AnimData(file, grafbox, nullptr);  // a font holds no timing
  largeur = animData->get_largeur();
  hauteur = animData->get_hauteur();
  if (animData->getNbFrames() != NB_GLYPHS) printf("fichier %sn'est pas une police valide!\n", file);
}

ZEL_Font::~ZEL_Font() { delete animData; }

ZEL_Surface* ZEL_Font::getSurface(unsigned char c) { return animData->getFrames()->elementAt(c); }
