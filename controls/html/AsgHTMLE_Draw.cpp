// The drawing side of the mini-HTML: the canvas surface the layout writes to, and the small
// drawing operations around it.
#include <sys/stat.h>

#include <cmath>

#include "controls/html/AsgHTMLE.h"
#include "controls/html/AsgHTMLE_Markup.h"
#include "controls/html/AsgHTMLE_Surface.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/RasterDraw.h"
#include "platform/rtl/UnicodeText.h"
#include "platform/win/PlatformInfo.h"
#include "platform/win/Shell.h"

namespace AsgHtml {

TCanvasHtmlSurface::TCanvasHtmlSurface(TCanvas* canvas)
    : FCanvas(canvas),
      FPenColor(canvas->Pen()->Color()),
      FPenWidth(canvas->Pen()->Width()),
      FBrushColor(canvas->Brush()->Color()),
      FBrushStyle(canvas->Brush()->Style()),
      FBackground(FBrushStyle == bsClear ? clWindow : FBrushColor) {
  SetBkMode(FCanvas->Handle(), TRANSPARENT);
}

TCanvasHtmlSurface::~TCanvasHtmlSurface() {
  FCanvas->Pen()->SetColor(FPenColor);
  FCanvas->Pen()->SetWidth(FPenWidth);
  FCanvas->Brush()->SetColor(FBrushColor);
  FCanvas->Brush()->SetStyle(FBrushStyle);
}

double TCanvasHtmlSurface::PixelScale() {
  return GetDeviceCaps(FCanvas->Handle(), LOGPIXELSX) / 96.0;
}

TSize TCanvasHtmlSurface::Measure(std::u16string_view text, uint32_t flags) {
  HDC dc = FCanvas->Handle();
  TRect r{0, 0, 0, 0};
  DrawTextEx(dc, text, r, (flags | DT_CALCRECT) & ~DT_END_ELLIPSIS, nullptr);
  return TSize{r.Width(), r.Height()};
}

void TCanvasHtmlSurface::Run(const TRect& rect, std::u16string_view text, uint32_t flags,
                             TColor color, TColor background) {
  HDC dc = FCanvas->Handle();
  SetTextColor(dc, ColorToRGB(color));
  if (background == clNone) {
    SetBkMode(dc, TRANSPARENT);
  } else {
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, ColorToRGB(background));
  }
  TRect r = rect;
  DrawTextEx(dc, text, r, flags, nullptr);
  SetBkMode(dc, TRANSPARENT);
}

void TCanvasHtmlSurface::Fill(const TRect& rect, TColor color) {
  if (color == clNone || rect.Width() <= 0 || rect.Height() <= 0) return;
  // The canvas brush takes the colour (the surface puts the caller's brush back at the end).
  FCanvas->Brush()->SetColor(color);
  FCanvas->Brush()->SetStyle(bsSolid);
  FCanvas->FillRect(rect);
}

void TCanvasHtmlSurface::Ellipse(const TRect& rect, TColor color) {
  if (color == clNone) return;
  FCanvas->Brush()->SetColor(color);
  FCanvas->Brush()->SetStyle(bsSolid);
  FCanvas->Pen()->SetColor(color);
  FCanvas->Ellipse(rect);
}

void TCanvasHtmlSurface::Picture(::PictureContainer::THTMLPicture* picture, const TRect& rect,
                                 bool stretch) {
  if (picture == nullptr || picture->Empty()) return;
  bool keep = picture->Stretch();
  picture->SetStretch(stretch || keep);
  picture->Draw(FCanvas, rect);
  picture->SetStretch(keep);
}

void TCanvasHtmlSurface::TiledPicture(::PictureContainer::THTMLPicture* picture,
                                      const TRect& area, TSize tile) {
  if (tile.cx <= 0 || tile.cy <= 0) return;
  HDC dc = FCanvas->Handle();
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, area.Left, area.Top, area.Right, area.Bottom);
  for (int y = area.Top; y < area.Bottom; y += tile.cy) {
    for (int x = area.Left; x < area.Right; x += tile.cx) {
      Picture(picture, TRect{x, y, x + tile.cx, y + tile.cy}, false);
    }
  }
  RestoreDC(dc, saved);
}

void TCanvasHtmlSurface::ListPicture(TCustomImageList* images, int index, const TRect& rect,
                                     bool stretch) {
  if (images == nullptr || index < 0 || index >= images->Count()) return;
  if (!stretch) {
    images->Draw(FCanvas, rect.Left, rect.Top, index);
    return;
  }
  DrawRasterImage(FCanvas->Handle(), rect, images->Image(index));
}

void TCanvasHtmlSurface::SystemIcon(const String& name, bool large, TPoint at, bool stretch,
                                    double scale) {
  TSize size{};
  DrawSystemIcon(FCanvas, at.X, at.Y, name, large, true, stretch, scale, size);
}

void TCanvasHtmlSurface::Control(const TControlLook& c) {
  HDC dc = FCanvas->Handle();
  const int h = c.LineHeight;
  auto box = [&](const TRect& r) {
    Fill(r, clWhite);
    HBRUSH frame = CreateSolidBrush(ColorToRGB(clGray));
    FrameRect(dc, r, frame);
    DeleteObject(frame);
  };
  auto text = [&](TRect r, uint32_t flags) {
    SetTextColor(dc, ColorToRGB(FCanvas->Font()->Color()));
    SetBkMode(dc, TRANSPARENT);
    DrawTextEx(dc, c.Value, r, flags | DT_SINGLELINE | DT_NOPREFIX, nullptr);
  };
  switch (c.Kind) {
    case TControlKind::Edit:
    case TControlKind::Password:
      box(TRect{c.X, c.Bottom - h + 4, c.X + c.Width, c.Bottom + 2});
      text(TRect{c.X + 2, c.Bottom - h + 4, c.X + c.Width, c.Bottom}, DT_VCENTER);
      break;
    case TControlKind::Combo: {
      box(TRect{c.X, c.Bottom - h + 4, c.X + c.Width, c.Bottom + 2});
      text(TRect{c.X + 4, c.Bottom - h + 4, c.X + c.Width - 18, c.Bottom}, DT_VCENTER);
      TRect button{c.X + c.Width - 18, c.Bottom - h + 5, c.X + c.Width - 1, c.Bottom + 1};
      DrawFrameControl(dc, button, DFC_SCROLL, DFCS_SCROLLCOMBOBOX | (c.Hot ? DFCS_HOT : 0));
      break;
    }
    case TControlKind::Check: {
      TRect r{c.X + 2, c.Bottom - 15, c.X + 15, c.Bottom};
      DrawFrameControl(dc, r, DFC_BUTTON,
                       DFCS_BUTTONCHECK | DFCS_FLAT | (c.Checked ? DFCS_CHECKED : 0));
      break;
    }
    case TControlKind::Radio: {
      TRect r{c.X + 2, c.Bottom - 14, c.X + 14, c.Bottom};
      DrawFrameControl(dc, r, DFC_BUTTON,
                       DFCS_BUTTONRADIO | DFCS_FLAT | (c.Checked ? DFCS_CHECKED : 0));
      break;
    }
    case TControlKind::Button: {
      TRect r{c.X + 2, c.Bottom - c.Height, c.X + c.Width - 2, c.Bottom};
      DrawFrameControl(dc, r, DFC_BUTTON,
                       DFCS_BUTTONPUSH | (c.Hot && c.Down ? DFCS_PUSHED : 0));
      text(TRect{r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2}, DT_CENTER | DT_VCENTER);
      break;
    }
  }
}

void TCanvasHtmlSurface::Focus(const TRect& rect) { DrawFocusRect(FCanvas->Handle(), rect); }

void TCanvasHtmlSurface::Line(const std::vector<TPoint>& points, TColor color) {
  if (points.size() < 2) return;
  HDC dc = FCanvas->Handle();
  HPEN pen = CreatePen(PS_SOLID, 1, ColorToRGB(color));
  HGDIOBJ old = SelectObject(dc, pen);
  Polyline(dc, points.data(), static_cast<int>(points.size()));
  SelectObject(dc, old);
  DeleteObject(pen);
}

}  // namespace AsgHtml

HFONT SelectRotatedFont(TCanvas* canvas, int angle) {
  LOGFONTW log{};
  GetObject(canvas->Font()->Handle(), sizeof(log), &log);
  log.lfEscapement = angle * 10;
  log.lfOrientation = angle * 10;
  HFONT rotated = CreateFontIndirect(&log);
  return static_cast<HFONT>(SelectObject(canvas->Handle(), rotated));
}

void RestoreRotatedFont(TCanvas* canvas, HFONT previous) {
  HGDIOBJ rotated = SelectObject(canvas->Handle(), previous);
  if (rotated != nullptr && rotated != previous) DeleteObject(rotated);
}

uint32_t ApplyBiDiFlagsFor(uint32_t flags, TBiDiMode mode, bool middleEastLocale) {
  if (!middleEastLocale) return flags;
  if (mode == bdRightToLeft) {
    if (flags & DT_RIGHT) {
      flags &= ~DT_RIGHT;
    } else if ((flags & DT_CENTER) == 0) {
      flags |= DT_RIGHT;
    }
  }
  if (mode != bdLeftToRight) flags |= DT_RTLREADING;
  return flags;
}

uint32_t ApplyBiDiFlags(uint32_t flags, TBiDiMode mode) {
  return ApplyBiDiFlagsFor(flags, mode, PlatformInfo::MiddleEastLocale);
}

bool IsDirectory(const String& path) {
  struct stat st {};
  return stat(UTF8Encode(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

const TRasterImage* FindSystemIcon(const String& name, bool large) {
  int index = AsgHtml::LooseInt(name);
  bool numeric = !name.empty() && name.find_first_not_of(u"0123456789") == String::npos;
  if (!numeric) index = SystemImageIndex(name, IsDirectory(name));
  if (index < 0 || index >= SystemImageCount()) return nullptr;
  return &SystemImage(index, large);
}

void DrawSystemIcon(TCanvas* canvas, int x, int y, const String& name, bool large, bool draw,
                    bool stretch, double scale, TSize& size) {
  size = TSize{0, 0};
  const TRasterImage* found = FindSystemIcon(name, large);
  if (found == nullptr) return;
  const TRasterImage& icon = *found;
  size = TSize{icon.Width, icon.Height};
  if (!draw || canvas == nullptr) return;
  TRect dest{x, y, x + icon.Width, y + icon.Height};
  if (stretch) {
    dest.Right = x + static_cast<int>(std::lround(icon.Width * scale));
    dest.Bottom = y + static_cast<int>(std::lround(icon.Height * scale));
  }
  DrawRasterImage(canvas->Handle(), dest, icon);
}

void StretchBitmapTo(TCanvas* canvas, const TRect& rect, TBitmap* bitmap) {
  if (canvas == nullptr || bitmap == nullptr || bitmap->Empty()) return;
  DrawRasterImage(canvas->Handle(), rect, bitmap->ToRaster());
}
