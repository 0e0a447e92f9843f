// The status badge and the glossy button of the expander button panel, with the colour arithmetic
// and the gloss paths they paint with.
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "controls/graphics/GDIPFill.h"
#include "controls/graphics/GDIPPictureContainer.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/ImgList.h"
#include "platform/rtl/RtlMath.h"

namespace {

int Rounded(double v) { return static_cast<int>(Round(v)); }

constexpr double kPi = 3.14159265358979323846;

// A GDI+ font of a class-library font with bold, italic and underline (no strike-out); an unknown
// face falls back to "Arial" as everywhere else, so a caption is never lost.
std::unique_ptr<TGPFont, TObjectFree> CaptionFont(TGPGraphics* g, TFont* font) {
  TFont plain;
  plain.Assign(font);
  TFontStyles styles = font->Style();
  styles.Exclude(fsStrikeOut);
  plain.SetStyle(styles);
  return std::unique_ptr<TGPFont, TObjectFree>(g->MakeFont(&plain));
}

GpStringAlignment AlignmentOf(TAlignment a) {
  return a == taLeftJustify ? StringAlignmentNear
         : a == taCenter    ? StringAlignmentCenter
                            : StringAlignmentFar;
}

void FillBlend(TGPGraphics* g, TGPGraphicsPath* path, const TGPFloatRect& over,
               const std::array<ARGB, 3>& colors, const std::array<float, 3>& positions) {
  TGPLinearGradientBrush brush(over, colors[0], colors[2], LinearGradientModeVertical);
  brush.SetGammaCorrection(true);
  brush.SetInterpolationColors(colors.data(), positions.data(), 3);
  g->FillPath(&brush, path);
}

// The arc through the rectangle's bottom corners raised by depth, touching the bottom in the
// middle: its bounding square, and the half-angle it spans either side of straight down.
struct TGlossArc {
  TGPFloatRect Square;
  float Alpha;
};

TGlossArc GlossArc(const TRect& r, int depth) {
  double w = r.Right - r.Left;
  double rho = (w / 2 * w / 2 + double(depth) * depth) / (2.0 * depth);
  int side = Rounded(rho);
  TGlossArc arc;
  arc.Square = MakeRectF(r.Left + int(w) / 2 - side, r.Bottom - 2 * side, 2 * side, 2 * side);
  arc.Alpha = rho - depth == 0 ? 90 : float(std::atan2(w / 2, rho - depth) * 180 / kPi);
  return arc;
}

}  // namespace

// --- Colour arithmetic -------------------------------------------------------------------------

TColor LightenColor(TColor color, int amount) {
  COLORREF rgb = ColorToRGB(color);
  auto shift = [amount](int channel) { return std::clamp(channel + amount, 0, 255); };
  return static_cast<TColor>(
      RGB(shift(GetRValue(rgb)), shift(GetGValue(rgb)), shift(GetBValue(rgb))));
}

void RGBToHSV(double r, double g, double b, double& h, double& s, double& v) {
  double max = std::max({r, g, b}), min = std::min({r, g, b});
  double delta = max - min;
  v = max;
  s = max == 0 ? 0 : delta / max;
  if (s == 0) {
    h = std::numeric_limits<double>::quiet_NaN();
    return;
  }
  if (r == max) {
    h = 60 * (g - b) / delta;
  } else if (g == max) {
    h = 120 + 60 * (b - r) / delta;
  } else {
    h = 240 + 60 * (r - g) / delta;
  }
  if (h < 0) h += 360;
}

void HSVToRGB(double h, double s, double v, double& r, double& g, double& b) {
  if (s == 0) {
    if (!std::isnan(h)) throw EColorError(u"HSVtoRGB: S = 0 and H has a value");
    r = g = b = v;
    return;
  }
  if (h == 360) h = 0;
  h /= 60;
  int sector = static_cast<int>(std::floor(h));
  double f = h - sector;
  double p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
  switch (sector) {
    case 0: r = v, g = t, b = p; break;
    case 1: r = q, g = v, b = p; break;
    case 2: r = p, g = v, b = t; break;
    case 3: r = p, g = q, b = v; break;
    case 4: r = t, g = p, b = v; break;
    default: r = v, g = p, b = q; break;
  }
}

// --- Gloss paths -------------------------------------------------------------------------------

TGPPathPtr CreateGlossUpperPath(const TRect& r, int radius, int depth) {
  TGPPathPtr path(new TGPGraphicsPath);
  if (depth == 0) return path;
  const float rad = float(radius), d = 2 * rad;
  const float left = r.Left, top = r.Top, right = r.Right, bottom = r.Bottom;
  path->AddArc(left, top, d, d, 180, 90);
  path->AddLine(left + rad, top, right - rad, top);
  path->AddArc(right - d, top, d, d, 270, 90);
  path->AddLine(right, top + rad, right, bottom - depth);
  // The curve from right to left, so the outline runs on without crossing itself.
  TGlossArc arc = GlossArc(r, depth);
  path->AddArc(arc.Square, 90 - arc.Alpha, 2 * arc.Alpha);
  path->AddLine(left, bottom - depth, left, top + rad);
  path->CloseFigure();
  return path;
}

TGPPathPtr CreateGlossLowerPath(const TRect& r, int radius, int depth) {
  TGPPathPtr path(new TGPGraphicsPath);
  if (depth == 0) return path;
  const float rad = float(radius), d = 2 * rad;
  const float left = r.Left, right = r.Right, bottom = r.Bottom;
  const float bottom2 = 2.0f * r.Bottom - r.Top;
  TGlossArc arc = GlossArc(r, depth);
  path->AddArc(arc.Square, 90 + arc.Alpha, -2 * arc.Alpha);
  path->AddLine(right, bottom - depth, right, bottom2 - rad);
  path->AddArc(right - d, bottom2 - d, d, d, 0, 90);
  path->AddLine(right - rad, bottom2, left + rad, bottom2);
  path->AddArc(left, bottom2 - d, d, d, 90, 90);
  path->AddLine(left, bottom2 - rad, left, bottom - depth);
  path->CloseFigure();
  return path;
}

TGPPathPtr CreateRingPath(const TRect& r, int radius, TFillRoundingType roundingType, int inset) {
  TGPPathPtr path(new TGPGraphicsPath(FillModeAlternate));
  AddRoundRectFigure(path.get(), MakeRectF(r.Left, r.Top, r.Width(), r.Height()), radius,
                     roundingType);
  AddRoundRectFigure(
      path.get(),
      MakeRectF(r.Left + inset, r.Top + inset, r.Width() - 2 * inset, r.Height() - 2 * inset),
      radius, roundingType);
  return path;
}

// --- Status badge ------------------------------------------------------------------------------

TGDIPStatus::TGDIPStatus() : FFill(new TGDIPFill), FFont(new TFont) {
  FFont->SetName(u"Tahoma");
  FFill->OnChange = [this](TObject*) { Changed(); };
  FFont->OnChange = [this](TObject*) { Changed(); };
}

TGDIPStatus::~TGDIPStatus() = default;

void TGDIPStatus::Changed() {
  if (OnChange) OnChange(this);
}

void TGDIPStatus::Assign(TPersistent* source) {
  auto* s = dynamic_cast<TGDIPStatus*>(source);
  if (s == nullptr) return;
  FFill->Assign(s->FFill.get());
  FFont->Assign(s->FFont.get());
  FGlow = s->FGlow;
  FSpacing = s->FSpacing;
  Changed();
}

void TGDIPStatus::SetSpacing(int value) {
  if (value == FSpacing) return;
  FSpacing = value;
  Changed();
}

void TGDIPStatus::SetGlow(bool value) {
  if (value == FGlow) return;
  FGlow = value;
  Changed();
}

void TGDIPStatus::CalcSize(TGPGraphics* g, const String& caption) {
  if (g == nullptr) return;
  if (!caption.empty()) {
    auto font = CaptionFont(g, FFont.get());
    TGPStringFormat format;
    TGPFloatRect bounds;
    g->MeasureString(caption, -1, font.get(), MakeRectF(0, 0, 10000, 10000), &format, bounds);
    FHeight = Rounded(bounds.Height + 4);
    FWidth = std::max(FHeight, Rounded(bounds.Width + 4)) + 2 * FSpacing;
  }
  TAdvGDIPPicture* picture = FFill->Picture();
  if (!picture->Empty()) {
    picture->GetImageSizes();
    bool custom = FFill->PictureSize() == psCustom;
    FWidth = std::max(FWidth, custom ? FFill->PictureWidth() : picture->Width());
    FHeight = std::max(FHeight, custom ? FFill->PictureHeight() : picture->Height());
  }
}

void TGDIPStatus::Draw(TGPGraphics* g, int x, int y, int width, int height, bool useOwnSize,
                       const String& caption) {
  if (g == nullptr) return;
  auto font = CaptionFont(g, FFont.get());
  TGPStringFormat format;
  TGPFloatRect text;
  g->MeasureString(caption, -1, font.get(), MakeRectF(0, 0, 10000, 10000), &format, text);
  int w = useOwnSize ? FWidth : width, h = useOwnSize ? FHeight : height;
  // The pill: rounding half the height. The fill keeps that value, silently for its owner.
  FFill->BeginUpdate();
  int b = FFill->BorderColor() != clNone ? FFill->BorderWidth() / 2 : 0;
  TGPFloatRect body = MakeRectF(x, y, w - 2 * b, h - 2 * b);
  FFill->SetRounding(Rounded(body.Height / 2));
  FFill->Fill(g, body);
  FFill->EndUpdate();
  TGPSolidBrush brush(MakeColorAlpha(255, FFont->Color()));
  g->DrawWideString(
      caption, -1, font.get(),
      MakePointF(x + FSpacing + (w - 2 * FSpacing - text.Width) / 2, y + (h - text.Height) / 2),
      &format, &brush);
  if (FGlow) {
    TGDIPFill gloss;
    gloss.SetColor(clWhite);
    gloss.SetColorTo(clWhite);
    gloss.SetGradientType(gtVertical);
    gloss.SetOpacity(170);
    gloss.SetOpacityTo(30);
    gloss.SetRoundingType(rtTop);
    gloss.SetRounding(FFill->Rounding());
    gloss.Fill(g, MakeRectF(x, y, body.Width, body.Height / 2));
  }
}

// --- Glossy button -----------------------------------------------------------------------------

TGDIPButton::TGDIPButton() : FFont(new TFont) {
  FFont->SetName(u"Tahoma");
  FFont->OnChange = [this](TObject*) { FontChanged(); };
}

TGDIPButton::~TGDIPButton() = default;

void TGDIPButton::Changed() {
  if (FUpdateCount == 0 && OnChange) OnChange(this);
}

void TGDIPButton::FontChanged() {
  Changed();
  if (OnFontChange) OnFontChange(this);
}

bool TGDIPButton::IsFontStored() {
  bool stored = true;
  if (OnIsFontStored) OnIsFontStored(this, stored);
  return stored;
}

void TGDIPButton::Assign(TPersistent* source) {
  auto* s = dynamic_cast<TGDIPButton*>(source);
  if (s == nullptr) return;
  FPictureStretch = s->FPictureStretch;
  FFont->OnChange = nullptr;
  FFont->Assign(s->FFont.get());
  FFont->OnChange = [this](TObject*) { FontChanged(); };
  FLayout = s->FLayout;
  FSpacing = s->FSpacing;
  FShiftDown = s->FShiftDown;
  FAlignment = s->FAlignment;
  FPictureAlignment = s->FPictureAlignment;
  FFocusColor = s->FFocusColor;
  FSimpleLayout = s->FSimpleLayout;
  FPictureStretchMode = s->FPictureStretchMode;
  FGlowPercentage = s->FGlowPercentage;
  Changed();
}

void TGDIPButton::Notification(TComponent* owner, TComponent* component, TOperation operation) {
  if (operation != opRemove) return;
  if (owner != nullptr && owner->ComponentState().Contains(csDestroying)) return;
  if (component == FPictureContainer) FPictureContainer = nullptr;
  if (component == FImageList) FImageList = nullptr;
}

void TGDIPButton::WorkingPicture(const TGDIPButtonPaint& p, TAdvGDIPPicture& picture) {
  if (p.Picture != nullptr) picture.Assign(p.Picture);
  if (FPictureContainer != nullptr && !p.PictureName.empty()) {
    // A name the container does not hold empties the picture.
    picture.Assign(FPictureContainer->FindPicture(p.PictureName));
  }
  if (FImageList != nullptr && p.ImageIndex >= 0 && p.ImageIndex <= FImageList->Count() - 1) {
    TBitmap bitmap;
    if (FImageList->GetBitmap(p.ImageIndex, &bitmap) && !bitmap.Empty()) picture.Assign(&bitmap);
  }
}

TColor TGDIPButton::FaceColor(const TGDIPButtonPaint& p) const {
  if (!p.Down) return p.Color;
  if (p.DownColor != clNone) return p.DownColor;
  COLORREF rgb = ColorToRGB(p.Color);
  double h, s, v, r, g, b;
  RGBToHSV(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb), h, s, v);
  HSVToRGB(h, s, v * 0.7, r, g, b);
  return static_cast<TColor>(RGB(Rounded(r), Rounded(g), Rounded(b)));
}

TGDIPButtonLayout TGDIPButton::EffectiveLayout(const TGDIPButtonPaint& p) const {
  if (!p.Rotated) return FLayout;
  switch (FLayout) {
    case blPictureLeft: return p.RotateBack ? blPictureBottom : blPictureTop;
    case blPictureRight: return p.RotateBack ? blPictureTop : blPictureBottom;
    case blPictureBottom: return blPictureRight;
    case blPictureTop: return blPictureLeft;
    default: return blNone;
  }
}

void TGDIPButton::Draw(TGPGraphics* g, const TGDIPButtonPaint& p) {
  if (g == nullptr) return;
  const int X = p.X, Y = p.Y, HM = p.HMargin, VM = p.VMargin;
  int W = p.W, H = p.H;
  TAdvGDIPPicture picture;
  WorkingPicture(p, picture);
  const bool hasPicture = !picture.Empty();
  int pw = 0, ph = 0;
  if (hasPicture) {
    picture.GetImageSizes();
    pw = picture.Width();
    ph = picture.Height();
    if (FPictureStretch) {
      double w, h;
      GetAspectSize(w, h, FPictureStretchMode, pw, ph, H - 7, H - 7);
      pw = Rounded(w);
      ph = Rounded(h);
    }
  }
  const TColor c = FaceColor(p);

  if (p.Shadow) {
    TGPPathPtr path =
        CreateRoundRectPath(MakeRectF(X + HM + 2, Y + VM + 2, W - 2 * HM - 4, H - 2 * VM - 2),
                            FRounding, p.RoundingType);
    FillShadowPath(g, path.get(), MakeColorAlpha(180, clBlack));
    H -= 4;
    W -= 6;
  }
  const TGPFloatRect face = MakeRectF(X + HM, Y + VM, W - 2 * HM, H - 2 * VM);
  if (FSimpleLayout) {
    TGPPathPtr path = CreateRoundRectPath(face, FRounding, p.RoundingType);
    TGPSolidBrush brush(ColorToARGB(c));
    g->FillPath(&brush, path.get());
    TGPPen pen(ColorToARGB(c), 1);
    g->DrawPath(&pen, path.get());
  } else {
    const int h6 = H / 6, mid = Y + H / 2;
    auto L = [&](int k) { return ColorToARGB(LightenColor(c, FGlowPercentage * k / 100)); };
    TGPSolidBrush band(ColorToARGB(LightenColor(c, -40)));
    g->FillRectangle(&band, X + HM, mid - h6, W - 2 * HM - 1, 2 * h6);
    const TRect r1{X + HM, Y + VM, X + W - HM - 1, mid};
    TGPPathPtr lower = CreateGlossLowerPath(r1, FRounding, h6);
    FillBlend(g, lower.get(), MakeRectF(X + HM - 1, mid - h6 - 1, W - 2 * HM + 1, H / 2 + h6 + 2),
              {L(-40), L(100), L(220)}, {0, 0.9f, 1});
    TGPPathPtr upper = CreateGlossUpperPath(r1, FRounding, h6);
    FillBlend(g, upper.get(), MakeRectF(X + HM - 1, Y + VM - 1, W - 2 * HM + 1, H / 2 + 3),
              {L(220), L(100), ColorToARGB(c)}, {0, 0.2f, 1});
    if (p.Bevel) {
      TGPPathPtr ring = CreateRingPath(TRect{X + HM, Y + VM + 1, X + W - HM - 1, Y + H - VM - 1},
                                       FRounding - 1, p.RoundingType, 2);
      TGPSolidBrush bevel(MakeColorAlpha(160, p.BevelColor));
      g->FillPath(&bevel, ring.get());
    }
  }

  // The caption's room, its measure and its place.
  const TGDIPButtonLayout layout = EffectiveLayout(p);
  const bool sideways = layout == blPictureLeft || layout == blPictureRight;
  const bool stacked = layout == blPictureBottom || layout == blPictureTop;
  TGPFloatRect room = face;
  if (p.Down) {
    room.X += FShiftDown;
    room.Y += FShiftDown;
  }
  if (hasPicture) room.X += 2;
  room.Width -= 4;
  if (hasPicture) {
    if (sideways) room.Width -= pw + FSpacing;
    if (stacked) room.Height -= ph + FSpacing;
    if (FSpacing % 2 != 0) room.Width -= 1;
  }
  const bool hasCaption = !p.Caption.empty();
  float tw = 0, th = 0;
  std::unique_ptr<TGPFont, TObjectFree> font;
  TGPStringFormat format;
  if (hasCaption && !p.Rotated) {
    font = CaptionFont(g, FFont.get());
    format.SetAlignment(AlignmentOf(FAlignment));
    format.SetLineAlignment(AlignmentOf(FAlignment));
    g->SetTextRenderingHint(TextRenderingHintClearTypeGridFit);
    TGPFloatRect measured;
    g->MeasureString(p.Caption, -1, font.get(), room, &format, measured);
    tw = measured.Width;
    th = measured.Height;
  } else if (hasCaption) {
    tw = float(p.CaptionWidth);
    th = float(p.CaptionHeight);
  }
  float ox = X, oy = Y + (H - th) / 2, captionWidth = tw;
  if (p.Down) {
    ox += FShiftDown;
    oy += FShiftDown;
  }
  if (hasPicture && layout != blNone) {
    ox = room.X + (room.Width - tw) / 2;
    oy = room.Y + (room.Height - th) / 2;
    if (sideways) ox = std::max(ox, float(FSpacing));
    if (layout == blPictureLeft) ox += pw + FSpacing;
    if (layout == blPictureRight) captionWidth = W - pw - 2 * FSpacing;
    if (layout == blPictureTop) oy += ph + FSpacing;
  }
  TGPFloatRect box = MakeRectF(X + HM + 4, oy, W - 2 * HM - 8, th);
  if (hasPicture && layout == blPictureLeft) box = MakeRectF(ox, oy, W - HM - 8 - (ox - X), th);
  if (hasPicture && layout == blPictureRight) {
    box = MakeRectF(X + HM + 4, oy, W - pw - FSpacing - 8 - (ox - X) - HM, th);
  }

  if (hasPicture) {
    int px = FPictureAlignment == taLeftJustify    ? HM + 4
             : FPictureAlignment == taRightJustify ? W - HM - pw - 4
                                                   : (W - picture.Width()) / 2;
    int py = (H - ph) / 2;
    if (p.Down) {
      px += FShiftDown;
      py += FShiftDown;
    }
    TRect at;
    if (hasCaption && layout != blNone) {
      if (layout == blPictureLeft) {
        px = FPictureAlignment == taLeftJustify    ? X + px
             : FPictureAlignment == taRightJustify ? Rounded(ox - pw - FSpacing)
                                                   : Rounded(ox - (ox + pw - X) / 2);
        at = Bounds(px, Y + py, pw, ph);
      } else if (layout == blPictureRight) {
        float t = ox + captionWidth;
        px = FPictureAlignment == taLeftJustify    ? Rounded(ox + captionWidth + FSpacing)
             : FPictureAlignment == taRightJustify ? X + px
                                                   : Rounded(t + (W - t - pw) / 2);
        at = Bounds(px, Y + py, pw, ph);
      } else if (layout == blPictureBottom) {
        at = Bounds(X + px, Rounded(oy + th + FSpacing), pw, ph);
      } else {
        at = Bounds(X + px, Rounded(oy - ph - FSpacing), pw, ph);
      }
    } else {
      at = Bounds(X + px, Y + py, picture.Width(), picture.Height());
    }
    picture.GDIPDraw(g, at);
    if (FLayout == blPictureLeft) {
      box =
          MakeRectF(px + pw + FSpacing, box.Y, X + W - 2 * HM - pw - px - FSpacing - 8, box.Height);
    } else if (FLayout == blPictureRight) {
      box = MakeRectF(2 * HM + X + 8, box.Y, px - FSpacing - 2 * HM - X - 8, box.Height);
    }
  }

  if (hasCaption && !p.Rotated) {
    format.SetHotkeyPrefix(HotkeyPrefixShow);
    TGPSolidBrush brush(ColorToARGB(p.TextColor));
    TGPFloatRect where = p.FullWidthCaption ? MakeRectF(box.X - 2, box.Y, box.Width + 2, box.Height)
                                            : MakeRectF(box.X, box.Y, tw, th);
    g->DrawWideString(p.Caption, -1, font.get(), where, &format, &brush);
  }
}
