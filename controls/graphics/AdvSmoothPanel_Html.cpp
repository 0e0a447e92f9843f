// The smooth panel's HTML caption: where it is laid out and drawn, and the anchor under a point.
#include <algorithm>

#include "controls/graphics/AdvSmoothPanel.h"
#include "controls/graphics/AdvSmoothPanelHtml.h"
#include "platform/rtl/RtlMath.h"

namespace {

// Lines wholly below the panel cannot be seen: drawing and hit tests stop past them. Twice the
// panel's height leaves room for the last, partly visible line whatever its font.
TRect VisiblePart(const TRect& html, int panelHeight) {
  TRect r = html;
  r.Bottom = std::min(r.Bottom, std::max(r.Top, 0) + 2 * panelHeight);
  return r;
}

}  // namespace

void TAdvSmoothPanel::DrawHTMLCaption(TGPGraphics* graphics, TGPFloatRect body, float textHeight) {
  TAdvSmoothPanelCaption* c = FCaption.get();
  const int h0 = static_cast<int>(Round(textHeight));
  const int shadow = FFill->ShadowColor() != clNone ? FFill->ShadowOffset() : 0;
  const int a = Width() - shadow - 2 * FFill->BorderWidth();
  const bool custom = c->HTMLLocation() == AdvSmoothPanel::plCustom;
  THtmlRenderOptions o =
      PanelHtmlOptions(FImages, c->HTMLURLColor(), c->HTMLShadowColor(), c->HTMLShadowOffset());
  o.MeasureOnly = true;
  THtmlRenderResult measured;
  const TRect layout = custom ? TRect{0, h0, a - c->HTMLLeft(), 10000}
                              : TRect{c->HTMLLeft(), h0, a, 10000};
  RenderHtmlTextPanel(graphics, c->HTMLFont(), c->HTMLText(), layout, o, FPictureContainer,
                      measured);
  int w = measured.WidthOut;
  const int h = measured.HeightOut;
  body.Height -= static_cast<float>(h0);
  if (custom) {
    if (c->HTMLLeft() + w > a) w = a - c->HTMLLeft();
    FHTMLRect = Bounds(c->HTMLLeft(), c->HTMLTop(), a - c->HTMLLeft(), h);
  } else {
    const TPoint p = PlaceInFrame(c->HTMLLocation(), body, w, h);
    FHTMLRect = Bounds(p.X, p.Y + h0, w, h);
  }
  o.MeasureOnly = false;
  THtmlRenderResult drawn;
  RenderHtmlTextPanel(graphics, c->HTMLFont(), c->HTMLText(), VisiblePart(FHTMLRect, Height()), o,
                      FPictureContainer, drawn);
}

String TAdvSmoothPanel::GetAnchorAt(int x, int y) {
  if (FCaption->HTMLText().empty() || !PtInRect(FHTMLRect, TPoint{x, y})) return String();
  TAdvSmoothPanelCaption* c = FCaption.get();
  THtmlRenderOptions o =
      PanelHtmlOptions(FImages, c->HTMLURLColor(), c->HTMLShadowColor(), c->HTMLShadowOffset());
  o.HitTest = true;
  o.XPos = x;
  o.YPos = y;
  THtmlRenderResult found;
  TGPGraphics graphics(Canvas()->Handle());
  RenderHtmlTextPanel(&graphics, c->HTMLFont(), c->HTMLText(), VisiblePart(FHTMLRect, Height()), o,
                      FPictureContainer, found);
  return found.AnchorOut;
}
