// How the smooth menu puts itself on the screen: background, line, items (glow, caption,
// picture, notes, splitter), indicator and focus rectangle, over an image of its parent, through
// a memory bitmap so the 10 ms glide does not flicker.
#include <memory>

#include "controls/graphics/AdvSmoothMenu.h"
#include "controls/graphics/AdvSmoothMenuText.h"
#include "platform/gdi/Gdi.h"
#include "platform/rtl/RtlMath.h"

namespace {

constexpr TColor kDisabledCaption = 0x00808080;

int RoundInt(float v) { return static_cast<int>(Round(v)); }

// What an item is painted with in its state.
struct TItemLook {
  TFont* Font;
  TColor GlowColor;
  uint8_t GlowOpacity;
};

void PaintGlow(TGPGraphics& g, const TGPFloatRect& cell, TAdvSmoothMenuGlowShape shape,
               const TItemLook& look) {
  if (look.GlowOpacity == 0 || look.GlowColor == clNone) return;
  const float X = cell.X, Y = cell.Y, W = cell.Width, H = cell.Height;
  TGPGraphicsPath path;
  switch (shape) {
    case gsEllipse: path.AddEllipse(cell); break;
    case gsSquare: path.AddRectangle(cell); break;
    case gsDiamond:
      path.AddLine(X + W / 2, Y, X + W, Y + H / 2);
      path.AddLine(X + W, Y + H / 2, X + W / 2, Y + H);
      path.AddLine(X + W / 2, Y + H, X, Y + H / 2);
      path.CloseFigure();
      break;
  }
  TGPPathGradientBrush brush(&path);
  brush.SetCenterPointF(MakePointF(X + W / 2, Y + H / 2));
  brush.SetCenterColor(MakeColorAlpha(look.GlowOpacity, look.GlowColor));
  ARGB surround = MakeColorAlpha(0, 0x00FFFFFF);
  int colors = 1;
  brush.SetSurroundColors(&surround, colors);
  g.FillRectangle(&brush, cell);
}

// The picture's place in the picture area (edges l, t, r, b) for each position.
TRect PicturePlace(TFillPicturePosition position, int l, int t, int r, int b, int pw, int ph) {
  const int centreX = l + (r - l - pw) / 2, centreY = t + (b - t - ph) / 2;
  switch (position) {
    case ppTopLeft: return {l, t, l + pw, t + ph};
    case ppTopCenter: return {centreX, t, centreX + pw, t + ph};
    case ppTopRight: return {r - pw, t, r, t + ph};
    case ppBottomLeft: return {l, b - ph, l + pw, b};
    case ppBottomCenter: return {centreX, b - ph, centreX + pw, b};
    case ppBottomRight: return {r - pw, b - ph, r, b};
    case ppStretched: return {l, t, r, b};
    case ppCenterLeft: return {l, centreY, l + pw, centreY + ph};
    case ppCenterCenter: return {centreX, centreY, centreX + pw, centreY + ph};
    case ppCenterRight: return {r - pw, centreY, r, centreY + ph};
    default: return {};
  }
}

// The notes' offset in the notes area from the free space left beside and below them.
TPoint NotesPlace(TAdvSmoothMenuLocation location, int fw, int fh) {
  switch (location) {
    case plTopLeft: return {0, 0};
    case plTopCenter: return {fw / 2, 0};
    case plTopRight: return {fw, 0};
    case plCenterLeft: return {0, fh / 2};
    case plCenterCenter: return {fw / 2, fh / 2};
    case plCenterRight: return {fw, fh / 2};
    case plBottomLeft: return {0, fh};
    case plBottomCenter: return {fw / 2, fh};
    case plBottomRight: return {fw, fh};
    default: return {0, 0};
  }
}

void FillSplitterHalf(TGPGraphics& g, const TGPFloatRect& r, ARGB top, ARGB bottom) {
  TGPLinearGradientBrush brush(MakeRectF(r.X - 1, r.Y - 1, r.Width + 2, r.Height + 2), top, bottom,
                               LinearGradientModeVertical);
  g.FillRectangle(&brush, r);
}

}  // namespace

// --- Showing the parent, without flicker ---------------------------------------------------------

// Every paint lays the parent's image down first, so a transparent menu shows what lies behind
// it. Double buffering (on from the start) makes this context the memory bitmap of the paint.
void TAdvSmoothMenu::PaintWindow(HDC dc) {
  if (TWinControl* parent = Parent()) {
    const bool buffered = parent->DoubleBuffered();
    parent->SetDoubleBuffered(false);
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, 0, 0, Width(), Height());
    TPoint viewport;
    GetViewportOrgEx(dc, &viewport);
    SetViewportOrgEx(dc, viewport.X - Left(), viewport.Y - Top(), nullptr);
    parent->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    parent->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    RestoreDC(dc, saved);
    parent->SetDoubleBuffered(buffered);
  }
  TCustomControl::PaintWindow(dc);
}

// --- The paint -----------------------------------------------------------------------------------

void TAdvSmoothMenu::Paint() {
  const TRect client = ClientRect();
  HDC dc = Canvas()->Handle();
  TGPGraphics g(dc);
  g.SetSmoothingMode(SmoothingModeAntiAlias);
  if (!FTransparent) {
    FAppearance->Fill()->Fill(&g, MakeRectF(float(client.Left), float(client.Top),
                                            float(client.Right - 1), float(client.Bottom - 1)));
  }
  if (FAppearance->LineVisible()) PaintLine(&g);
  if (FItems->Count() > 0) {
    for (int i = 0; i < FItems->Count(); ++i) PaintItem(i, dc, client);
    PaintIndicator(&g);
  }
  if (TabStop() && FFocused) PaintFocus(&g);
}

void TAdvSmoothMenu::PaintLine(TGPGraphics* g) {
  const TGDIPFill* fill = FAppearance->Fill();
  const float b = fill->BorderColor() == clNone ? 0.0f : float(fill->BorderWidth());
  const float y = float(FItemAppearance->Splitter()->Height() + 2);
  TGPPen pen(MakeColorAlpha(FAppearance->LineOpacity(), FAppearance->LineColor()), 0.1f);
  g->DrawLine(&pen, b, y, float(Width()) - 2 * b - float(ShadowWidth()), y);
}

void TAdvSmoothMenu::PaintIndicator(TGPGraphics* g) {
  if (!FAppearance->IndicatorVisible()) return;
  const float p = FIndicatorPos, z = float(FAppearance->IndicatorSize());
  const float y = float(FItemAppearance->Splitter()->Height() + 2);
  TGPGraphicsPath path;
  path.AddLine(p - z, y, p, y - z);
  path.AddLine(p, y - z, p + z, y);
  path.CloseFigure();
  TGPSolidBrush brush(
      MakeColorAlpha(FAppearance->IndicatorOpacity(), FAppearance->IndicatorColor()));
  g->FillPath(&brush, &path);
}

void TAdvSmoothMenu::PaintFocus(TGPGraphics* g) {
  g->SetSmoothingMode(SmoothingModeDefault);
  TGPPathPtr path =
      CreateRoundRectPath(MakeRectF(0, 0, float(Width() - 1), float(Height() - 1)), 0, rtBoth);
  TGPPen pen(MakeColorAlpha(255, 0x00000000), 1.0f);
  pen.SetDashStyle(DashStyleDot);
  g->DrawPath(&pen, path.get());
}

void TAdvSmoothMenu::PaintItem(int index, HDC dc, const TRect& client) {
  const TAdvSmoothMenuItem* item = FItems->Items(index);
  const TAdvSmoothMenuItemAppearance& a = *FItemAppearance;
  TItemLook look{a.Font(), a.GlowColor(), a.GlowOpacity()};
  // A disabled caption is grey in a copy of the normal font, so the stored one keeps its colour.
  TFont disabledFont;
  if (!item->Enabled()) {
    disabledFont.Assign(a.Font());
    disabledFont.SetColor(kDisabledCaption);
    look = {&disabledFont, a.GlowColorDisabled(), a.GlowOpacityDisabled()};
  } else if (index == FHoverIndex && index != FSelectedItemIndex) {
    look = {a.HoverFont(), a.GlowColorHover(), a.GlowOpacityHover()};
  } else if (index == FSelectedItemIndex) {
    look = {a.SelectedFont(), a.GlowColorSelected(), a.GlowOpacitySelected()};
  }

  TGPGraphics g(dc);
  g.SetTextRenderingHint(TextRenderingHintClearTypeGridFit);
  const TGPFloatRect& cell = item->ItemRect();
  PaintGlow(g, cell, a.GlowShape(), look);

  if (!item->Caption().empty()) {
    TMenuFont font(g, look.Font);
    TGPStringFormat format;
    TGPSolidBrush brush(MakeColorAlpha(255, look.Font->Color()));
    g.DrawWideString(item->Caption(), static_cast<int>(item->Caption().size()), font.Get(),
                     item->CaptionRect(), &format, &brush);
  }

  const int SH = a.Splitter()->Height();
  const bool showsNotes =
      index == FHoverIndex || (index == FSelectedItemIndex && FHoverIndex == -1);
  if (showsNotes) {
    const TGPFloatRect notes = MakeRectF(float(client.Left + 2), float(SH + 4),
                                         float(client.Right), float(client.Bottom - SH - 4));
    TAdvGDIPPicture* picture = item->Picture();
    int pw = 0, ph = 0;
    if (!picture->Empty()) {
      pw = item->PictureSize() == psCustom ? item->PictureWidth() : picture->Width();
      ph = item->PictureSize() == psCustom ? item->PictureHeight() : picture->Height();
      const int l = client.Left + RoundInt(FNotesOffset), t = SH + 4;
      const int r = l + RoundInt(notes.Width), b = t + RoundInt(notes.Height);
      TRect place;
      if (item->PicturePosition() == ppCustom) {
        place = Bounds(RoundInt(FNotesOffset) + item->PictureLeft(), item->PictureTop(), pw, ph);
      } else {
        place = PicturePlace(item->PicturePosition(), l, t, r, b, pw, ph);
      }
      // A tiled picture is not drawn.
      if (item->PicturePosition() != ppTiled) picture->GDIPDraw(&g, place);
    }
    if (!item->Notes().empty()) {
      TMenuFont font(g, a.NotesFont());
      TGPStringFormat format;
      TGPFloatRect measured;
      g.MeasureString(item->Notes(), static_cast<int>(item->Notes().size()), font.Get(), notes,
                      &format, measured);
      const float fw = notes.Width - measured.Width - float(pw);
      const float fh = notes.Height - measured.Height;
      const TPoint d = item->NotesLocation() == plCustom
                           ? TPoint{item->NotesLeft(), item->NotesTop()}
                           : NotesPlace(item->NotesLocation(), RoundInt(fw), RoundInt(fh));
      TGPSolidBrush brush(MakeColorAlpha(FFadeOpacity, a.NotesFont()->Color()));
      g.DrawWideString(item->Notes(), static_cast<int>(item->Notes().size()), font.Get(),
                       MakePointF(notes.X + float(d.X + pw) + FNotesOffset, notes.Y + float(d.Y)),
                       &brush);
    }
  }

  const TAdvSmoothMenuSplitter& s = *a.Splitter();
  if (s.Visible() && FItems->Count() > 1 && index < FItems->Count() - 1) {
    const float x = cell.X + cell.Width, mid = cell.Y + cell.Height / 2, half = float(SH) / 2;
    const ARGB outer = MakeColorAlpha(s.Opacity(), s.Color());
    const ARGB inner = MakeColorAlpha(s.OpacityTo(), s.ColorTo());
    FillSplitterHalf(g, MakeRectF(x, mid - half, 1, half), outer, inner);
    FillSplitterHalf(g, MakeRectF(x, mid, 1, half), inner, outer);
  }
}
