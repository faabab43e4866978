#include "zel_sorted_vector.h"

#include "zel_actif.h"

namespace {

ZEL_Actif* actor(void* p) { return static_cast<ZEL_Actif*>(p); }

// Wraps at 32 bits, as the positions do.
int32_t bottomEdge(ZEL_Actif* a) {
  return static_cast<int32_t>(static_cast<uint32_t>(a->getYworld()) + static_cast<uint32_t>(a->get_hauteur()));
}

}  // namespace

int lowerINT(void* a, void* b) {
  return *static_cast<int32_t*>(a) < *static_cast<int32_t*>(b) ? 1 : 0;
}

int lowerPriorityActif(void* a, void* b) {
  return actor(a)->getPriority() < actor(b)->getPriority() ? 1 : 0;
}

int lowerUpPerspectiveActif(void* a, void* b) {
  return bottomEdge(actor(a)) < bottomEdge(actor(b)) ? 1 : 0;
}

int lowerPriorityAndUpPerspectiveActif(void* a, void* b) {
  const int pa = actor(a)->getPriority();
  const int pb = actor(b)->getPriority();
  if (pa != pb) return pa < pb ? 1 : 0;
  return lowerUpPerspectiveActif(a, b);
}
