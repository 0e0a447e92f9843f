// The three-dimensional look flag the grid's cell editors keep. The platform draws one edge
// either way, so the flag is stored and announced (CM_CTL3DCHANGED) for the editors that paint
// by it.
#pragma once

#include "platform/ui/Controls.h"

namespace AsgCtl3D {

// Stores a changed value and tells the control.
inline void Change(TControl* control, bool& field, bool value) {
  if (field == value) return;
  field = value;
  control->Perform(CM_CTL3DCHANGED);
}

}  // namespace AsgCtl3D
