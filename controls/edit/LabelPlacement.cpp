// Where an attached label goes beside its control.
#include "controls/edit/LabelPlacement.h"

#include "platform/gdi/Gdi.h"
#include "platform/gdi/GraphicsObjects.h"

namespace AdvEdit {

TPoint LabelOrigin(TLabelPosition position, const TRect& control, TSize label, int textWidth,
                   int margin) {
  const int l = control.Left, t = control.Top, w = control.Width(), h = control.Height();
  const int lw = label.cx, lh = label.cy, m = margin;
  const int centerTop = t + (h - lh) / 2;
  const int bottomTop = t + h - lh;
  switch (position) {
    case TLabelPosition::lpLeftTop: return {l - textWidth - m, t};
    case TLabelPosition::lpLeftCenter: return {l - textWidth - m, centerTop};
    case TLabelPosition::lpLeftBottom: return {l - textWidth - m, bottomTop};
    case TLabelPosition::lpTopLeft: return {l, t - lh - m};
    case TLabelPosition::lpBottomLeft: return {l, t + h + m};
    case TLabelPosition::lpLeftTopLeft: return {l - m, t};
    case TLabelPosition::lpLeftCenterLeft: return {l - m, centerTop};
    case TLabelPosition::lpLeftBottomLeft: return {l - m, bottomTop};
    case TLabelPosition::lpTopCenter: return {l + (w - lw) / 2, t - lh - m};
    case TLabelPosition::lpBottomCenter: return {l + (w - lw) / 2, t + h + m};
    case TLabelPosition::lpRightTop: return {l + w + m, t};
    case TLabelPosition::lpRightCenter: return {l + w + m, centerTop};
    case TLabelPosition::lpRighBottom: return {l + w + m, bottomTop};
    case TLabelPosition::lpTopRight: return {l + w - lw, t - lh - m};
    case TLabelPosition::lpBottomRight: return {l + w - lw, t + h + m};
  }
  return {l, t};
}

int CaptionWidth(TFont* font, const String& caption) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font->Handle());
  TRect r{0, 0, 1000, 255};
  DrawText(dc, caption, r, DT_CALCRECT | DT_SINGLELINE | DT_LEFT);
  SelectObject(dc, old);
  DeleteDC(dc);
  return r.Width();
}

}  // namespace AdvEdit
