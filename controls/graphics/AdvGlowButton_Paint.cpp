// One frame of the glow button: which colour set its state and fades give, automatic sizing,
// transparency and the corner pixels given back to the parent (Paint), and the body and outline
// of the stateless painter (DrawGlowButton; the content is AdvGlowButton_Content.cpp).
#include <memory>

#include "controls/graphics/AdvGlowButton.h"
#include "controls/graphics/AdvGlowButtonContent.h"
#include "controls/graphics/GDIPFill.h"
#include "platform/gdi/Gdi.h"

using namespace AdvGlowButton;

namespace {

constexpr int kMeasureHeight = 4096;
constexpr TColor kFocusOuter = 0x00E4AD89;
constexpr TColor kFocusInner = 0x00808080;

TGPFloatRect RectF(const TRect& r) {
  return MakeRectF(float(r.Left), float(r.Top), float(r.Width()), float(r.Height()));
}

// Every colour of the set darkened by 10 %; "no colour" stays no colour.
TGlowColorSet Darkened(TGlowColorSet set) {
  for (TColor* c : {&set.Color, &set.ColorTo, &set.ColorMirror, &set.ColorMirrorTo, &set.Border})
    if (*c != clNone) *c = DarkerColor(*c, -10);
  return set;
}

void PaintUpper(TGPGraphics* g, const TRect& r, const TGlowColorSet& set) {
  PaintGlowHalf(g, r, true, set.Gradient, set.ColorTo, set.Color);
}

void PaintLower(TGPGraphics* g, const TRect& r, const TGlowColorSet& set) {
  PaintGlowHalf(g, r, false, set.GradientMirror, set.ColorMirror, set.ColorMirrorTo);
}

void PaintSplitBody(TGPGraphics* g, const TRect& r, const TGlowDrawParams& p) {
  const int L = r.Left, T = r.Top, R = r.Right, B = r.Bottom, H = r.Height(), h2 = H / 2;
  const int dd = kDropDownHotWidth;
  TRect ddLower, ddUpper, mainLower, mainUpper;
  bool hasDdLower = p.DropDownPosition == dpRight;
  if (hasDdLower) {
    ddLower = Rect(R - dd, T + h2 - 1, R, B);
    ddUpper = Rect(R - dd, T, R, B - h2);
    mainLower = Rect(L, T + h2 - 1, R - dd, B);
    mainUpper = Rect(L, T, R - dd, B - h2);
  } else {
    int h3 = (H - dd) / 2;
    ddUpper = Rect(L, B - dd, R, B);
    mainLower = Rect(L, T + h3 - 1, R, B - dd);
    mainUpper = Rect(L, T, R, B - dd - h3);
  }
  const TGlowColorSet& set = p.Colors;
  if (p.DropDownPartState == 2) {
    PaintLower(g, mainLower, set);
    PaintUpper(g, mainUpper, set);
    if (!p.TransparentHover) {
      TGlowColorSet dark = Darkened(set);
      if (hasDdLower) PaintLower(g, ddLower, dark);
      PaintUpper(g, ddUpper, dark);
    }
    return;
  }
  if (!p.TransparentHover) {
    TGlowColorSet dark = Darkened(set);
    PaintLower(g, mainLower, dark);
    PaintUpper(g, mainUpper, dark);
  }
  TGlowColorSet radial = set;
  radial.Gradient = ggRadial;
  PaintUpper(g, ddUpper, radial);
  if (hasDdLower) PaintLower(g, ddLower, set);
}

void AddArcIf(TGPGraphicsPath& path, float x, float y, float d, float start) {
  if (d > 0) path.AddArc(x, y, d, d, start, 90);
}

// The left edge of a middle or right button: a darker full line when hot or down, else a light
// line inset by 2.
void DrawInnerLeftEdge(TGPGraphics* g, const TGlowDrawParams& p, float L, float T, float h) {
  if (p.Hot || p.Down) {
    TGPPen pen(ColorToARGB(DarkerColor(p.Colors.Border, -5)));
    g->DrawLine(&pen, L, T, L, T + h);
  } else {
    TGPPen pen(ColorToARGB(DarkerColor(clWhite, -10)));
    g->DrawLine(&pen, L, T + 2, L, T + h - 2);
  }
}

void DrawOutline(TGPGraphics* g, const TRect& rect, const TGlowDrawParams& p, int r) {
  if (p.Colors.Border == clNone) return;
  const float L = float(rect.Left), T = float(rect.Top);
  const float w = float(rect.Width() - 1), h = float(rect.Height() - 1), rad = float(r),
              d = 2 * rad;
  TGPPen pen(ColorToARGB(p.Colors.Border));
  switch (p.Position) {
    case bpStandalone: {
      TGPPathPtr path = CreateRoundRectPath(MakeRectF(L, T, w, h), r, r > 0 ? rtBoth : rtNone);
      g->DrawPath(&pen, path.get());
      break;
    }
    case bpLeft: {
      TGPGraphicsPath path;
      path.AddLine(L + w, T + h, L + rad, T + h);
      AddArcIf(path, L, T + h - d, d, 90);
      path.AddLine(L, T + h - rad, L, T + rad);
      AddArcIf(path, L, T, d, 180);
      path.AddLine(L + rad, T, L + w, T);
      g->DrawPath(&pen, &path);
      TGPPen right(ColorToARGB(DarkerColor(p.Colors.Border, -5)));
      g->DrawLine(&right, L + w, T, L + w, T + h);
      break;
    }
    case bpMiddle: {
      g->DrawLine(&pen, L - 1, T, L + w, T);
      g->DrawLine(&pen, L - 1, T + h, L + w, T + h);
      TGPPen right(ColorToARGB(DarkerColor(p.Colors.Border, -5)));
      g->DrawLine(&right, L + w, T, L + w, T + h);
      DrawInnerLeftEdge(g, p, L, T, h);
      break;
    }
    case bpRight: {
      TGPGraphicsPath path;
      path.AddLine(L, T, L + w - rad, T);
      AddArcIf(path, L + w - d, T, d, 270);
      path.AddLine(L + w, T + rad, L + w, T + h - rad);
      AddArcIf(path, L + w - d, T + h - d, d, 0);
      path.AddLine(L + w - rad, T + h, L, T + h);
      g->DrawPath(&pen, &path);
      DrawInnerLeftEdge(g, p, L, T, h);
      break;
    }
  }
}

void DrawFocusOutline(TGPGraphics* g, const TRect& rect, int r) {
  const float L = float(rect.Left), T = float(rect.Top);
  const float w = float(rect.Width() - 1), h = float(rect.Height() - 1);
  TFillRoundingType rounding = r > 0 ? rtBoth : rtNone;
  TGPPen outer(ColorToARGB(kFocusOuter));
  TGPPathPtr outerPath = CreateRoundRectPath(MakeRectF(L + 1, T + 1, w - 2, h - 2), r, rounding);
  g->DrawPath(&outer, outerPath.get());
  TGPPen inner(ColorToARGB(kFocusInner));
  inner.SetDashStyle(DashStyleDot);
  TGPPathPtr innerPath = CreateRoundRectPath(MakeRectF(L + 2, T + 2, w - 4, h - 4), r, rounding);
  g->DrawPath(&inner, innerPath.get());
}

bool IsVerticalLayout(TButtonLayout layout) {
  return layout == blGlyphTop || layout == blGlyphBottom || layout == blGlyphTopAdjusted ||
         layout == blGlyphBottomAdjusted;
}

}  // namespace

namespace AdvGlowButton {

void PaintGlowHalf(TGPGraphics* graphics, const TRect& r, bool upper, TGDIPGradient gradient,
                   TColor colorA, TColor colorB) {
  if (colorA == clNone) colorA = colorB;
  else if (colorB == clNone) colorB = colorA;
  // Both halves of "no colour": nothing to paint.
  if (colorA == clNone) return;
  TGPFloatRect rf = RectF(r);
  TGPSolidBrush solid(ColorToARGB(upper ? colorB : colorA));
  graphics->FillRectangle(&solid, rf);
  const int w = r.Width(), h = r.Height();
  if (gradient == ggRadial) {
    TGPGraphicsPath path;
    float top = upper ? float(r.Top - (h / 2 - 2)) : float(r.Top);
    path.AddEllipse(float(r.Left), top, float(w), float(h));
    TGPPathGradientBrush brush(&path);
    brush.SetCenterPoint(MakePoint(r.Left + w / 2, upper ? r.Top : r.Bottom));
    brush.SetCenterColor(ColorToARGB(upper ? colorA : colorB));
    ARGB surround = ColorToARGB(upper ? colorB : colorA);
    int count = 1;
    brush.SetSurroundColors(&surround, count);
    graphics->FillRectangle(&brush, rf);
    return;
  }
  GpLinearGradientMode mode = gradient == ggVertical          ? LinearGradientModeVertical
                              : gradient == ggDiagonalForward ? LinearGradientModeForwardDiagonal
                                                              : LinearGradientModeBackwardDiagonal;
  TGPLinearGradientBrush brush(rf, ColorToARGB(colorB), ColorToARGB(colorA), mode);
  graphics->FillRectangle(&brush, rf);
}

TSize DrawGlowButton(TControl* control, TCanvas* canvas, const TRect& r, const TGlowDrawParams& p) {
  TGPGraphics graphics(canvas->Handle());
  bool background = !(p.TransparentLook && !p.MenuShowing && !p.Down);
  if (!p.MeasureOnly && background) {
    if (p.DropDownButton && p.StateColors && p.DropDownSplit) {
      PaintSplitBody(&graphics, r, p);
    } else {
      const int h2 = r.Height() / 2;
      PaintLower(&graphics, Rect(r.Left, r.Top + h2 - 1, r.Right, r.Bottom), p.Colors);
      PaintUpper(&graphics, Rect(r.Left, r.Top, r.Right, r.Bottom - h2), p.Colors);
    }
  }
  graphics.SetSmoothingMode(SmoothingModeAntiAlias);
  const int radius = p.Rounded ? 3 : 0;
  if (!p.MeasureOnly) {
    if (background && p.DrawBorder) DrawOutline(&graphics, r, p, radius);
    if (p.FocusOutline) DrawFocusOutline(&graphics, r, radius);
  }
  return DrawGlowContent(control, canvas, &graphics, r, p);
}

}  // namespace AdvGlowButton

// --- Paint --------------------------------------------------------------------------------------

void TAdvCustomGlowButton::Paint() {
  if (FPainting) return;
  FPainting = true;
  try {
    DoPaint();
  } catch (...) {
    FPainting = false;
    throw;
  }
  FPainting = false;
}

void TAdvCustomGlowButton::PaintParentBackground(HRGN clip) {
  TWinControl* parent = Parent();
  if (parent == nullptr) return;
  HDC dc = Canvas()->Handle();
  int saved = SaveDC(dc);
  if (clip != nullptr)
    ExtSelectClipRgn(dc, clip, RGN_AND);
  else
    IntersectClipRect(dc, 0, 0, Width(), Height());
  TPoint viewport;
  GetViewportOrgEx(dc, &viewport);
  SetViewportOrgEx(dc, viewport.X - Left(), viewport.Y - Top(), nullptr);
  // The parent's WM_PAINT with a context paints its own face and its graphic children into it.
  parent->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  parent->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  RestoreDC(dc, saved);
}

void TAdvCustomGlowButton::GiveBackCorners() {
  const int w = Width(), h = Height();
  bool left = FPosition == bpStandalone || FPosition == bpLeft;
  bool right = FPosition == bpStandalone || FPosition == bpRight;
  if (!left && !right) return;
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  auto add = [&](int x, int y) {
    HRGN pixel = CreateRectRgn(x, y, x + 1, y + 1);
    CombineRgn(region, region, pixel, RGN_OR);
    DeleteObject(pixel);
  };
  if (left) {
    add(0, 0);
    add(0, h - 1);
  }
  if (right) {
    add(w - 1, 0);
    add(w - 1, h - 1);
  }
  PaintParentBackground(region);
  DeleteObject(region);
}

TGlowColorSet TAdvCustomGlowButton::ChooseColors(bool& stateColors) {
  const TGlowButtonAppearance& a = *FAppearance;
  const bool check = FStyle == bsCheck;
  stateColors = false;
  TGlowColorSet set;
  auto blendFill = [&](const TGlowColorSet& one, const TGlowColorSet& two, int percent) {
    set.Color = BlendColor(one.Color, two.Color, percent);
    set.ColorTo = BlendColor(one.ColorTo, two.ColorTo, percent);
    set.ColorMirror = BlendColor(one.ColorMirror, two.ColorMirror, percent);
    set.ColorMirrorTo = BlendColor(one.ColorMirrorTo, two.ColorMirrorTo, percent);
  };
  const bool fading = FFadeTimer != nullptr;
  if ((!Enabled() || FState == 1) && FShowDisabled) {
    set = a.DisabledSet();
  } else if (FState == 2 && !check) {
    set = a.DownSet();
    stateColors = true;
  } else if (FState == 4 || (FState == 2 && check)) {
    set = a.CheckedSet();
    if (fading && (FMouseInside || (!check && (FGroupIndex < 1 || FState == 2))))
      blendFill(a.CheckedSet(), a.DownSet(), FDownFade);
    if (fading && FHot && check && FState == 2) blendFill(a.CheckedSet(), a.DownSet(), FDownFade);
  } else if (FHotColors) {
    set = a.HotSet();
    stateColors = true;
  } else {
    set = a.NormalSet();
  }
  if (set.ColorMirror == clNone) set.ColorMirror = set.Color;

  if (fading) {
    if (FPressed || FTransparent || FState == 4 || (check && FState == 2)) {
      if (check && FState == 2 && FPressed) {
        if (FHot)
          blendFill(a.CheckedSet(), a.DownSet(), FDownFade);
        else
          blendFill(a.DownSet(), a.CheckedSet(), FDownFade);
      } else if (FPressed && FState != 4) {
        blendFill(a.DownSet(), a.HotSet(), FDownFade);
        set.Border = BlendColor(a.BorderColorDown(), a.BorderColorHot(), FDownFade);
      }
    } else {
      blendFill(a.HotSet(), a.NormalSet(), FHotFade);
      set.Border = BlendColor(a.BorderColorHot(), a.BorderColor(), FHotFade);
    }
  }
  return set;
}

void TAdvCustomGlowButton::DoPaint() {
  TCanvas* canvas = Canvas();
  const TGlowButtonAppearance& a = *FAppearance;
  const bool check = FStyle == bsCheck;

  if (FTransparent && (a.TransparentHover() || !FHot)) PaintParentBackground(nullptr);

  if (Enabled() && FState == 1) FState = FDown && FGroupIndex != 0 ? 4 : 0;
  if (!Enabled()) {
    FState = 1;
    FTracking = false;
  }
  if (check && FDown) FState = 2;

  TGlowDrawParams p;
  p.Colors = ChooseColors(p.StateColors);

  if (Enabled() || FDisabledImages == nullptr) {
    p.Images = FHotColors && FHotImages != nullptr ? FHotImages : FImages;
    p.ImageEnabled = Enabled();
  } else {
    p.Images = FDisabledImages;
    p.ImageEnabled = true;
  }
  p.ImageIndex = FImageIndex;
  if (!Enabled() && !FDisabledPicture->Empty())
    p.Picture = FDisabledPicture.get();
  else if (FHotColors && !FHotPicture->Empty())
    p.Picture = FHotPicture.get();
  else
    p.Picture = FPicture.get();

  p.Caption = FShowCaption ? Caption() : String();
  if (FDropDownButton && (FMouseInside || FHeld)) p.DropDownPartState = FOverDropDown ? 1 : 2;
  if (FPosition != bpStandalone && FHeld && FAppliedPreset < 4) p.Colors.Border = a.BorderColor();
  if ((FState == 1 || !Enabled()) && FShowDisabled) {
    p.Colors = a.DisabledSet();
    if (p.Colors.ColorMirror == clNone) p.Colors.ColorMirror = p.Colors.Color;
  }
  bool hotFocus = FFocusType == ftHot || FFocusType == ftHotBorder;
  if (FFocused && hotFocus && !FPressed) {
    p.Colors = a.HotSet();
    if (p.Colors.ColorMirror == clNone) p.Colors.ColorMirror = p.Colors.Color;
    p.StateColors = true;
  }
  p.FocusOutline = HasFocusBorder();

  TFont font;
  font.Assign(Font());
  if (FHotColors) font.SetColor(a.TextColorHot());
  if (FState == 2) font.SetColor(a.TextColorDown());
  if (check && FState == 2) font.SetColor(a.TextColorChecked());
  if (a.SystemFont()) font.SetName(GetDefaultFontName());

  TBitmap glyph(1, 1);
  GetGlyphBitmap(&glyph);
  if (glyph.Width() >= 2 && glyph.Height() >= 2) p.GlyphBitmap = &glyph;

  if (auto* action = dynamic_cast<TCustomAction*>(Action())) {
    TCustomActionList* list = action->ActionList();
    if (action->ImageIndex() >= 0 && list != nullptr && list->Images() != nullptr) {
      if (p.Images == nullptr || FImageListType == ipActionList) {
        p.Images = list->Images();
        p.ImageEnabled = Enabled();
      }
      p.ImageIndex = action->ImageIndex();
    }
  }

  if (FAutoSize && FSizeState < bsLarge) {
    p.ForcedWidth = p.ForcedHeight = 16;
    if (p.Images != nullptr && p.ImageIndex >= 0) p.Picture = nullptr;
    if (FSizeState == bsGlyph) p.Caption.clear();
  }

  p.Font = &font;
  p.Layout = FLayout;
  p.DropDownButton = FDropDownButton;
  p.DropDownPosition = FDropDownPosition;
  p.DropDownSplit = FDropDownSplit;
  p.ArrowDown = FDropDownDirection == ddDown;
  p.Enabled = Enabled();
  p.Position = FPosition;
  p.DrawBorder = DrawsBorder();
  p.Rounded = FRounded;
  p.WordWrap = FWordWrap;
  p.Trimming = FTrimming;
  p.Spacing = FSpacing;
  p.AntiAlias = FAntiAlias;
  p.Notes = FNotes.get();
  p.NotesFont = FNotesFont.get();
  p.Hot = FHot;
  p.Down = FDown;
  p.MenuShowing = FMenuShowing;
  p.TransparentHover = a.TransparentHover() && FTransparent;

  const TRect client = ClientRect();
  if (FMeasureRequested || (FMeasureOnNextPaint && FAutoSize)) {
    TGlowDrawParams measure = p;
    measure.MeasureOnly = true;
    TRect r = client;
    r.Bottom = r.Top + kMeasureHeight;
    TSize content = DrawGlowButton(this, canvas, r, measure);
    if (FAutoSize) {
      int w = 3 * FSpacing + content.cx + 2 * FMarginHorz + 2;
      int h = IsVerticalLayout(FLayout) ? 2 * FMarginVert + content.cy
                                        : 2 * FSpacing + content.cy + 2 * FMarginVert;
      if (FDropDownButton) (FDropDownPosition == dpRight ? w : h) += kDropDownWidth;
      if (w != Width()) SetWidth(w);
      if (h != Height()) SetHeight(h);
    }
    FMeasureOnNextPaint = false;
  }

  p.TransparentLook = FTransparent && !FHot && !(FFocused && hotFocus) && FState != 2;
  DrawGlowButton(this, canvas, client, p);

  AfterPaint();
  if (OnDrawButton) {
    TGlowButtonState state = FState == 2 ? gsDown : FHot ? gsHot : gsNormal;
    OnDrawButton(this, canvas, state, client);
  }

  if (Parent() != nullptr && FRounded && (!FTransparent || FHot || FState == 2 || FHotColors))
    GiveBackCorners();
}

bool TAdvCustomGlowButton::HasFocusBorder() const {
  return FFocused && (FFocusType == ftBorder || FFocusType == ftHotBorder);
}
