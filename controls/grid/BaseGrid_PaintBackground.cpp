// The background of a cell. Gradients and the rounded selection come with the drawing routines;
// until then every cell is filled in its colour.
#include "controls/grid/BaseGrid.h"
#include "platform/gdi/Canvas.h"

void TBaseGrid::PaintCellBackground(TCanvas* canvas, int, const TRect& r, bool fixed,
                                    bool selected, const TCellLook&) {
  if (PaintsFixedAndSelected() && (fixed || selected)) return;
  canvas->FillRect(r);
}
