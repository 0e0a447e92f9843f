// The fill's painter and the geometry it shares with the other painters.
#include "controls/graphics/GDIPFill.h"

#include "platform/rtl/RtlMath.h"
#include "platform/win/Clipboard.h"

namespace {

int Rounded(double v) { return static_cast<int>(Round(v)); }

// The smoothing mode of a graphics, put back when the scope ends.
class TSmoothingScope {
 public:
  TSmoothingScope(TGPGraphics* g, GpSmoothingMode mode)
      : FGraphics(g), FSaved(g->GetSmoothingMode()) {
    g->SetSmoothingMode(mode);
  }
  ~TSmoothingScope() {
    if (FSaved >= 0) FGraphics->SetSmoothingMode(static_cast<GpSmoothingMode>(FSaved));
  }
  TSmoothingScope(const TSmoothingScope&) = delete;
  TSmoothingScope& operator=(const TSmoothingScope&) = delete;

 private:
  TGPGraphics* FGraphics;
  int FSaved;
};

TGPPathPtr Triangle(float x1, float y1, float x2, float y2, float x3, float y3) {
  TGPPathPtr path(new TGPGraphicsPath);
  path->AddLine(x1, y1, x2, y2);
  path->AddLine(x2, y2, x3, y3);
  path->CloseFigure();
  return path;
}

TGPFloatRect Grown(const TGPFloatRect& r) { return {r.X - 1, r.Y - 1, r.Width + 2, r.Height + 2}; }

// The glow's fading band with its two corner triangles.
void GlowBand(TGPGraphics* g, const TGPFloatRect& band, ARGB from, ARGB to, const TGPPathPtr& left,
              const TGPPathPtr& right) {
  TGPLinearGradientBrush brush(Grown(band), from, to, LinearGradientModeVertical);
  g->FillPath(&brush, left.get());
  g->FillPath(&brush, right.get());
  g->FillRectangle(&brush, band);
}

}  // namespace

void FillShadowPath(TGPGraphics* g, TGPGraphicsPath* path, ARGB color) {
  TGPPathGradientBrush brush(path);
  brush.SetWrapMode(WrapModeClamp);
  ARGB colors[3] = {0, color, color};
  float positions[3] = {0, 0.1f, 1};
  brush.SetInterpolationColors(colors, positions, 3);
  g->FillPath(&brush, path);
}

UINT GDIPFillClipboardFormat() {
  static const UINT format = RegisterClipboardFormat(u"GDI+ Fill");
  return format;
}

// --- Geometry ----------------------------------------------------------------------------------

void AddRoundRectFigure(TGPGraphicsPath* path, const TGPFloatRect& r, int radius,
                        TFillRoundingType roundingType) {
  const float x = r.X, y = r.Y, w = r.Width, h = r.Height;
  const float rad = static_cast<float>(radius), d = 2 * rad;
  auto topLeft = [&] { path->AddArc(x, y, d, d, 180, 90); };
  auto topRight = [&] { path->AddArc(x + w - d, y, d, d, 270, 90); };
  auto bottomRight = [&] { path->AddArc(x + w - d, y + h - d, d, d, 0, 90); };
  auto bottomLeft = [&] { path->AddArc(x, y + h - d, d, d, 90, 90); };
  switch (roundingType) {
    case rtNone:
      path->AddLine(x, y, x + w, y);
      path->AddLine(x + w, y, x + w, y + h);
      path->AddLine(x + w, y + h, x, y + h);
      path->AddLine(x, y + h, x, y);
      break;
    case rtTop:
      topLeft();
      path->AddLine(x + rad, y, x + w - rad, y);
      topRight();
      path->AddLine(x + w, y + rad, x + w, y + h);
      path->AddLine(x + w, y + h, x, y + h);
      path->AddLine(x, y + h, x, y + rad);
      break;
    case rtBottom:
      path->AddLine(x, y, x + w, y);
      path->AddLine(x + w, y, x + w, y + h - rad);
      bottomRight();
      path->AddLine(x + w - rad, y + h, x + rad, y + h);
      bottomLeft();
      path->AddLine(x, y + h - rad, x, y);
      break;
    case rtBoth:
      topLeft();
      path->AddLine(x + rad, y, x + w - rad, y);
      topRight();
      path->AddLine(x + w, y + rad, x + w, y + h - rad);
      bottomRight();
      path->AddLine(x + w - rad, y + h, x + rad, y + h);
      bottomLeft();
      path->AddLine(x, y + h - rad, x, y + rad);
      break;
    case rtLeft:
      topLeft();
      path->AddLine(x + rad, y, x + w - rad, y);
      path->AddLine(x + w, y, x + w, y + h);
      path->AddLine(x + w - rad, y + h, x + rad, y + h);
      bottomLeft();
      path->AddLine(x, y + h - rad, x, y + rad);
      break;
    case rtRight:
      path->AddLine(x, y, x + w - rad, y);
      topRight();
      path->AddLine(x + w, y + rad, x + w, y + h - rad);
      bottomRight();
      path->AddLine(x + w - rad, y + h, x, y + h);
      path->AddLine(x, y + h - rad, x, y + rad);
      break;
  }
  path->CloseFigure();
}

TGPPathPtr CreateRoundRectPath(const TGPFloatRect& r, int radius, TFillRoundingType roundingType) {
  TGPPathPtr path(new TGPGraphicsPath(FillModeAlternate));
  AddRoundRectFigure(path.get(), r, radius, roundingType);
  return path;
}

void FillGradientPart(const TFillPartParams& p) {
  TGPGraphics* g = p.Graphics;
  if (g == nullptr) return;
  const TGPFloatRect& r = p.R;
  ARGB from = MakeColorAlpha(p.Opacity, p.Color), to = MakeColorAlpha(p.OpacityTo, p.ColorTo);
  auto paint = [&](TGPBrush* brush) {
    if (p.UsePath) {
      g->FillPath(brush, p.Path);
    } else {
      g->FillRectangle(brush, r);
    }
  };
  switch (p.GradientType) {
    case gtSolid: {
      TGPSolidBrush brush(from);
      paint(&brush);
      break;
    }
    case gtVertical:
    case gtHorizontal:
    case gtForwardDiagonal:
    case gtBackwardDiagonal: {
      static const GpLinearGradientMode kModes[] = {
          LinearGradientModeVertical, LinearGradientModeHorizontal,
          LinearGradientModeForwardDiagonal, LinearGradientModeBackwardDiagonal};
      TGPLinearGradientBrush brush(Grown(r), from, to, kModes[p.GradientType - gtVertical]);
      brush.SetGammaCorrection(true);
      paint(&brush);
      if (p.FirstLine) {
        TGPSolidBrush line(from);
        g->FillRectangle(&line, r.X, r.Y, r.Width, 1);
      }
      break;
    }
    case gtAngle: {
      TGPLinearGradientBrush brush(Grown(r), from, to, static_cast<float>(p.Angle), true);
      brush.SetGammaCorrection(true);
      paint(&brush);
      break;
    }
    case gtHatch: {
      TGPHatchBrush brush(p.Hatch, from, to);
      paint(&brush);
      break;
    }
    case gtTexture:
      if (p.UsePath) {
        FillTexturePath(p.Texture, g, p.Path);
      } else {
        FillTextureRect(p.Texture, g, r);
      }
      break;
    default:  // gtRadial, gtPath and gtNone paint no body here
      break;
  }
  if (p.OutlineColor == clNone) return;
  TGPPen pen(MakeColorAlpha(p.Opacity, p.OutlineColor), static_cast<float>(p.OutlineWidth));
  pen.SetDashStyle(p.OutlineDash);
  if (p.UsePath) {
    g->DrawPath(&pen, p.Path);
  } else {
    g->DrawRectangle(&pen, r);
  }
}

void FillRadialPart(TGPGraphics* g, const TGPFloatRect& r, TColor color, TColor colorTo,
                    int opacity, int opacityTo, bool topMode, int radius,
                    TFillRoundingType roundingType) {
  if (g == nullptr) return;
  ARGB from = MakeColorAlpha(opacity, color), to = MakeColorAlpha(opacityTo, colorTo);
  TGPPathPtr outline = CreateRoundRectPath(r, radius, roundingType);
  TGPSolidBrush underlay(topMode ? from : to);
  g->FillPath(&underlay, outline.get());
  TGPRegion clip(outline.get());
  g->SetClip(&clip, CombineModeReplace);
  TGPGraphicsPath ellipse;
  ellipse.AddEllipse(r.X, topMode ? r.Y - r.Height / 2 : r.Y, r.Width, 1.5f * r.Height);
  TGPPathGradientBrush brush(&ellipse);
  brush.SetCenterPointF(MakePointF(r.X + r.Width / 2, topMode ? r.Y : r.Y + r.Height));
  brush.SetCenterColor(topMode ? to : from);
  ARGB surround = topMode ? from : to;
  int count = 1;
  brush.SetSurroundColors(&surround, count);
  g->FillRectangle(&brush, r);
  g->ResetClip();
}

void GetAspectSize(double& width, double& height, TPictureMode mode, double pictureWidth,
                   double pictureHeight, double rectWidth, double rectHeight) {
  width = height = 0;
  if (pictureWidth <= 0 || pictureHeight <= 0 || rectWidth <= 0 || rectHeight <= 0) return;
  if (mode == pmNormal && pictureWidth < rectWidth && pictureHeight < rectHeight) {
    width = pictureWidth;
    height = pictureHeight;
  } else if (rectWidth / rectHeight > pictureWidth / pictureHeight) {
    height = rectHeight;
    width = pictureWidth * rectHeight / pictureHeight;
  } else {
    width = rectWidth;
    height = pictureHeight * rectWidth / pictureWidth;
  }
}

void DrawFillPicture(TGPGraphics* g, bool aspectRatio, TPictureMode aspectMode,
                     TAdvGDIPPicture* picture, TFillPicturePosition position, int w, int h,
                     const TRect& r, int x, int y) {
  if (g == nullptr || picture == nullptr || picture->Empty()) return;
  int left = r.Left, top = r.Top, right = r.Right, bottom = r.Bottom;
  auto centreH = [&] { left += (right - left - w) / 2; };
  auto centreV = [&] { top += (bottom - top - h) / 2; };
  TRect dest;
  switch (position) {
    case ppTopLeft: dest = {left, top, left + w, top + h}; break;
    case ppTopCenter:
      centreH();
      dest = {left, top, left + w, top + h};
      break;
    case ppTopRight: dest = {right - w, top, right, top + h}; break;
    case ppBottomLeft: dest = {left, bottom - h, left + w, bottom}; break;
    case ppBottomCenter:
      centreH();
      dest = {left, bottom - h, left + w, bottom};
      break;
    case ppBottomRight: dest = {right - w, bottom - h, right, bottom}; break;
    case ppCenterLeft:
      centreV();
      dest = {left, top, left + w, top + h};
      break;
    case ppCenterCenter:
      centreH();
      centreV();
      dest = {left, top, left + w, top + h};
      break;
    case ppCenterRight:
      centreV();
      dest = {right - w, top, right, top + h};
      break;
    case ppCustom: dest = {x, y, x + w, y + h}; break;
    case ppStretched: {
      double sw = right - left, sh = bottom - top;
      if (aspectRatio) {
        GetAspectSize(sw, sh, aspectMode, w, h, right - left, bottom - top);
      }
      int dx = Rounded(left + (right - left - sw) / 2), dy = Rounded(top + (bottom - top - sh) / 2);
      dest = {dx, dy, dx + Rounded(sw), dy + Rounded(sh)};
      break;
    }
    case ppTiled: {
      TFillPartParams tiled;
      tiled.Graphics = g;
      tiled.R = MakeRectF(left, top, right - left, bottom - top);
      tiled.GradientType = gtTexture;
      tiled.Texture = picture;
      FillGradientPart(tiled);
      return;
    }
  }
  picture->GDIPDraw(g, dest);
}

// --- The fill ----------------------------------------------------------------------------------

TGDIPFill::TGDIPFill() : FBackGroundPicture(new TAdvGDIPPicture), FPicture(new TAdvGDIPPicture) {
  FBackGroundPicture->OnChange = [this](TObject*) { Changed(); };
  FPicture->OnChange = [this](TObject*) { Changed(); };
}

TGDIPFill::~TGDIPFill() = default;

void TGDIPFill::Changed() {
  if (FUpdateCount == 0 && OnChange) OnChange(this);
}

void TGDIPFill::SetBackGroundPicture(TAdvGDIPPicture* v) {
  if (v != FBackGroundPicture.get()) FBackGroundPicture->Assign(v);
}

void TGDIPFill::SetPicture(TAdvGDIPPicture* v) {
  if (v != FPicture.get()) FPicture->Assign(v);
}

void TGDIPFill::Assign(TPersistent* source) {
  auto* s = dynamic_cast<TGDIPFill*>(source);
  if (s == nullptr) return;
  FColor = s->FColor;
  FColorTo = s->FColorTo;
  FColorMirror = s->FColorMirror;
  FColorMirrorTo = s->FColorMirrorTo;
  FGradientType = s->FGradientType;
  FGradientMirrorType = s->FGradientMirrorType;
  FHatchStyle = s->FHatchStyle;
  FHatchStyleMirror = s->FHatchStyleMirror;
  FBackGroundPictureAspectRatio = s->FBackGroundPictureAspectRatio;
  FBackGroundPictureMode = s->FBackGroundPictureMode;
  FBackGroundPicturePosition = s->FBackGroundPicturePosition;
  FBackGroundPictureLeft = s->FBackGroundPictureLeft;
  FBackGroundPictureTop = s->FBackGroundPictureTop;
  FBackGroundPictureAspectMode = s->FBackGroundPictureAspectMode;
  FPicturePosition = s->FPicturePosition;
  FPictureLeft = s->FPictureLeft;
  FPictureTop = s->FPictureTop;
  FPictureSize = s->FPictureSize;
  FPictureWidth = s->FPictureWidth;
  FPictureHeight = s->FPictureHeight;
  FPictureAspectRatio = s->FPictureAspectRatio;
  FPictureAspectMode = s->FPictureAspectMode;
  FOpacity = s->FOpacity;
  FOpacityTo = s->FOpacityTo;
  FOpacityMirror = s->FOpacityMirror;
  FOpacityMirrorTo = s->FOpacityMirrorTo;
  FBorderColor = s->FBorderColor;
  FBorderOpacity = s->FBorderOpacity;
  FBorderWidth = s->FBorderWidth;
  FRounding = s->FRounding;
  FRoundingType = s->FRoundingType;
  FShadowColor = s->FShadowColor;
  FShadowOffset = s->FShadowOffset;
  FShadowType = s->FShadowType;
  FAngle = s->FAngle;
  FGlow = s->FGlow;
  FGlowGradientColor = s->FGlowGradientColor;
  FGlowRadialColor = s->FGlowRadialColor;
  FBackGroundPicture->Assign(s->FBackGroundPicture.get());
  FPicture->Assign(s->FPicture.get());
  Changed();
}

void TGDIPFill::PaintPart(TGPGraphics* g, const TGPFloatRect& r, bool mirror, const TOpacities& o) {
  TFillPartParams part;
  part.Graphics = g;
  part.R = r;
  part.Color = mirror ? FColorMirror : FColor;
  part.ColorTo = mirror ? FColorMirrorTo : FColorTo;
  part.GradientType = mirror ? FGradientMirrorType : FGradientType;
  part.Hatch = mirror ? FHatchStyleMirror : FHatchStyle;
  part.Opacity = mirror ? o.Mirror : o.Color;
  part.OpacityTo = mirror ? o.MirrorTo : o.ColorTo;
  if (part.Color == clNone) {
    part.GradientType = gtNone;
  } else if (part.ColorTo == clNone) {
    part.GradientType = gtSolid;
  }
  part.Texture = FBackGroundPicturePosition == ppTiled ? FBackGroundPicture.get() : nullptr;
  part.Angle = FAngle;
  part.FirstLine = mirror;
  if (FRounding == 0) {
    FillGradientPart(part);
    return;
  }
  // With a mirror half the two halves round only their own outer corners.
  TFillRoundingType type = FRoundingType;
  if (FColorMirror != clNone) {
    if (!mirror && (type == rtNone || type == rtBottom)) type = rtNone;
    if (!mirror && (type == rtTop || type == rtBoth)) type = rtTop;
    if (mirror && (type == rtNone || type == rtTop)) type = rtNone;
    if (mirror && (type == rtBottom || type == rtBoth)) type = rtBottom;
  }
  TGPPathPtr path = CreateRoundRectPath(r, FRounding, type);
  part.Path = path.get();
  part.UsePath = true;
  TSmoothingScope smooth(g, SmoothingModeAntiAlias);
  FillGradientPart(part);
}

void TGDIPFill::PaintShadow(TGPGraphics* g, TGPFloatRect& r) {
  const int o = FShadowOffset;
  if (o <= 0 || FShadowColor == clNone) return;
  const float f = static_cast<float>(o);
  switch (FShadowType) {
    case stRightBottom: {
      TGPPathPtr path = CreateRoundRectPath(r, FRounding, FRoundingType);
      FillShadowPath(g, path.get(), MakeColorAlpha(180, FShadowColor));
      r.Width -= f;
      r.Height -= f;
      break;
    }
    case stSurround: {
      TGPPathPtr path = CreateRoundRectPath(r, o, rtBoth);
      FillShadowPath(g, path.get(), MakeColorAlpha(180, FShadowColor));
      r = {r.X + f, r.Y + f, r.Width - 2 * f, r.Height - 2 * f};
      break;
    }
    case stBottom:
      FillRadialPart(g, MakeRectF(r.X, r.Y + r.Height - 2 * f, r.Width, 2 * f), FShadowColor,
                     FShadowColor, 0, 255, true, FRounding, rtBottom);
      r.Height -= f;
      break;
  }
}

void TGDIPFill::PaintBody(TGPGraphics* g, const TGPFloatRect& r, const TOpacities& o) {
  auto radial = [&](const TGPFloatRect& part, TFillRoundingType type) {
    if (FColor == clNone) return;
    FillRadialPart(g, part, FColor, FColorTo == clNone ? FColor : FColorTo, o.Color, o.ColorTo,
                   true, FRounding, type);
  };
  if (FGradientType == gtHatch || FGradientType == gtTexture || FColorMirror == clNone) {
    if (FGradientType == gtRadial) {
      radial(r, FRoundingType);
    } else {
      PaintPart(g, r, false, o);
    }
    return;
  }
  // Two halves that overlap by two pixels, so no seam shows between them.
  const float h = r.Height / 2;
  TGPFloatRect top = MakeRectF(r.X, r.Y, r.Width, r.Height - h + 1);
  TGPFloatRect bottom = MakeRectF(r.X, r.Y + h - 1, r.Width, r.Height - h + 1);
  if (FGradientType == gtRadial) {
    radial(top, rtTop);
  } else {
    PaintPart(g, top, false, o);
  }
  if (FGradientMirrorType != gtRadial) {
    PaintPart(g, bottom, true, o);
  } else if (FColorMirror != clNone) {
    FillRadialPart(g, bottom, FColorMirror,
                   FColorMirrorTo == clNone ? FColorMirror : FColorMirrorTo, o.Mirror, o.MirrorTo,
                   false, FRounding, rtBottom);
  }
}

void TGDIPFill::PaintGlow(TGPGraphics* g, const TGPFloatRect& r) {
  if (FGlow == gmNone) return;
  TGPRegion clip(r);
  g->SetClip(&clip);
  const TGPFloatRect G = MakeRectF(r.X + 1, r.Y + 1, r.Width - 2, r.Height - 2);
  if (FGlow == gmGradient || FGlow == gmRadialGradient) {
    const TColor c = FGlowGradientColor;
    TGPPathPtr outline = CreateRoundRectPath(G, FRounding, FRoundingType);
    TGPPen pen(MakeColorAlpha(200, c), 1);
    g->DrawPath(&pen, outline.get());
    const float right = G.X + G.Width, bottom = G.Y + G.Height;
    GlowBand(g, MakeRectF(G.X + 5, G.Y, G.Width - 10, 4), MakeColorAlpha(175, c),
             MakeColorAlpha(0, c), Triangle(G.X, G.Y, G.X + 5, G.Y, G.X + 5, G.Y + 4),
             Triangle(right, G.Y, right - 5, G.Y, right - 5, G.Y + 4));
    GlowBand(g, MakeRectF(G.X + 5, bottom - 7, G.Width - 10, 7), MakeColorAlpha(0, c),
             MakeColorAlpha(220, c), Triangle(G.X, bottom, G.X + 5, bottom, G.X + 5, bottom - 7),
             Triangle(right, bottom, right - 5, bottom, right - 5, bottom - 7));
  }
  if (FGlow == gmRadial || FGlow == gmRadialGradient) {
    TGPFloatRect box = MakeRectF(G.X + 10, G.Y - G.Height / 2, G.Width - 20, 3 * G.Height);
    TGPGraphicsPath ellipse;
    ellipse.AddEllipse(box);
    TGPPathGradientBrush brush(&ellipse);
    brush.SetCenterPointF(MakePointF(box.X + box.Width / 2, box.Y + box.Height / 2));
    brush.SetCenterColor(MakeColorAlpha(150, FGlowRadialColor));
    ARGB surround = MakeColorAlpha(0, FColor);
    int count = 1;
    brush.SetSurroundColors(&surround, count);
    g->FillPath(&brush, &ellipse);
  }
  g->ResetClip();
}

void TGDIPFill::PaintFocus(TGPGraphics* g, const TOpacities& o) {
  if (!Focus) return;
  TGPPathPtr path = CreateRoundRectPath(FocusRect, FRounding - FBorderWidth, FRoundingType);
  TGPPen pen(MakeColorAlpha(o.Color, FocusColor), 1);
  pen.SetDashStyle(DashStyleDot);
  TSmoothingScope plain(g, SmoothingModeDefault);
  g->DrawPath(&pen, path.get());
}

void TGDIPFill::PaintBackGroundPicture(TGPGraphics* g, const TGPFloatRect& r, bool clipped) {
  TAdvGDIPPicture* picture = FBackGroundPicture.get();
  if (FGradientType != gtTexture || picture->Empty()) return;
  picture->GetImageSizes();
  TGPPathPtr path;
  std::unique_ptr<TGPRegion, TObjectFree> region;
  if (clipped) {
    path = CreateRoundRectPath(r, FRounding, FRoundingType);
    region.reset(new TGPRegion(path.get()));
    g->SetClip(region.get());
  }
  TRect bounds = Bounds(Rounded(r.X), Rounded(r.Y), Rounded(r.Width), Rounded(r.Height));
  DrawFillPicture(g, FBackGroundPictureAspectRatio, FBackGroundPictureAspectMode, picture,
                  FBackGroundPicturePosition, picture->Width(), picture->Height(), bounds,
                  FBackGroundPictureLeft, FBackGroundPictureTop);
  if (clipped) g->ResetClip();
}

void TGDIPFill::PaintPicture(TGPGraphics* g, const TGPFloatRect& r) {
  TAdvGDIPPicture* picture = FPicture.get();
  if (picture->Empty()) return;
  picture->GetImageSizes();
  int w = FPictureSize == psCustom ? FPictureWidth : picture->Width();
  int h = FPictureSize == psCustom ? FPictureHeight : picture->Height();
  TRect bounds = Bounds(Rounded(r.X), Rounded(r.Y), Rounded(r.Width), Rounded(r.Height));
  DrawFillPicture(g, FPictureAspectRatio, FPictureAspectMode, picture, FPicturePosition, w, h,
                  bounds, FPictureLeft, FPictureTop);
}

TGPFloatRect TGDIPFill::Fill(TGPGraphics* g, const TGPFloatRect& rect, int borderOpacity,
                             int opacity, int opacityTo, int opacityMirror, int opacityMirrorTo) {
  if (g == nullptr) return rect;
  auto resolve = [](int given, uint8_t own) { return given == 255 ? int(own) : given; };
  const TOpacities o{resolve(borderOpacity, FBorderOpacity), resolve(opacity, FOpacity),
                     resolve(opacityTo, FOpacityTo), resolve(opacityMirror, FOpacityMirror),
                     resolve(opacityMirrorTo, FOpacityMirrorTo)};
  TGPFloatRect r = rect;
  const bool border = FBorderWidth > 0 && FBorderColor != clNone;
  if (r.Height == 1 || r.Width == 1) {
    // A line: no shadow, body, inside picture or rounded border.
    if (border) {
      TGPPen pen(MakeColorAlpha(o.Border, FBorderColor), static_cast<float>(FBorderWidth));
      g->DrawLine(&pen, r.X, r.Y, r.X + r.Width, r.Y + r.Height);
    }
  } else {
    PaintShadow(g, r);
    PaintBody(g, r, o);
    if (FBackGroundPictureMode == pmInsideFill) PaintBackGroundPicture(g, r, true);
    if (border) {
      TGPPathPtr path = CreateRoundRectPath(r, FRounding, FRoundingType);
      TGPPen pen(MakeColorAlpha(o.Border, FBorderColor), static_cast<float>(FBorderWidth));
      g->DrawPath(&pen, path.get());
    }
  }
  PaintGlow(g, r);
  const float bw = static_cast<float>(FBorderWidth);
  FocusRect = MakeRectF(r.X + bw, r.Y + bw, r.Width - 2 * bw, r.Height - 2 * bw);
  PaintFocus(g, o);
  if (FBackGroundPictureMode == pmOutsideFill) PaintBackGroundPicture(g, r, false);
  PaintPicture(g, r);
  return r;
}
