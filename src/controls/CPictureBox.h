#pragma once
#include "controls/CControl.h"

namespace merilane {

// A plain child window that other windows are parented into.
class CPictureBox : public CControl {
  public:
    void Create(HWND parent, int id);
};

} // namespace merilane
