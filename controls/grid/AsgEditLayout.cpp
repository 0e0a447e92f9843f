// The button and text layout the grid's edit editors share.
#include "controls/grid/AsgEditLayout.h"

#include <algorithm>

#include "platform/gdi/Gdi.h"

namespace AsgEditLayout {

namespace {

// The system edit's sunken border.
constexpr int kEdge = 2;

int FontHeight(HDC dc, HGDIOBJ font) {
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICW metrics;
  GetTextMetrics(dc, &metrics);
  SelectObject(dc, old);
  return metrics.tmHeight;
}

}  // namespace

int EdgeOffset(TCustomEdit* edit) { return edit->BorderStyle() == bsNone ? 0 : kEdge; }

int InnerWidth(TCustomEdit* edit) { return edit->ClientWidth() - 2 * EdgeOffset(edit); }

int InnerHeight(TCustomEdit* edit) { return edit->ClientHeight() - 2 * EdgeOffset(edit); }

int MinHeight(TCustomEdit* edit) {
  HDC dc = CreateCompatibleDC(nullptr);
  int system = FontHeight(dc, GetStockObject(SYSTEM_FONT));
  int own = FontHeight(dc, edit->Font()->Handle());
  DeleteDC(dc);
  return own + std::min(system, own) / 4;
}

void PlaceButton(TCustomEdit* edit, TWinControl* button, bool ctl3D) {
  const int edge = EdgeOffset(edit);
  const int w = button->Width();
  if (ctl3D) {
    int d = edit->BorderStyle() == bsNone ? 1 : 5;
    button->SetBounds(edge + edit->Width() - w - d, edge, w, edit->Height() - d);
  } else {
    // Flat: the button meets the edge, one pixel below the top.
    button->SetBounds(edit->Width() - edge - w, edge + 1, w, edit->Height() - 2 * edge - 3);
  }
}

void SetFormattingRect(TCustomEdit* edit, int left, int top, int right, int bottom) {
  if (!edit->HandleAllocated()) return;
  const int edge = EdgeOffset(edit);
  TRect r{left + edge, top + edge, right + edge, bottom + edge};
  edit->Perform(EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&r));
}

}  // namespace AsgEditLayout
