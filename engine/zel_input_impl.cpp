#include "zel_input_impl.h"

ZEL_Vector<ZEL_InputImpl> ZEL_InputImpl::inputs;

ZEL_InputImpl::ZEL_InputImpl() { inputs.add(this); }

ZEL_InputImpl::~ZEL_InputImpl() { inputs.remove(this); }

void ZEL_InputImpl::update() {
  for (int i = 0; i < inputs.getSize(); ++i) inputs.elementAt(i)->updateTable();
}

void ZEL_InputImpl::clear() {
  for (int i = 0; i < inputs.getSize(); ++i) inputs.elementAt(i)->clearInput();
}
