// Bit-block transfers: plain copies go through cairo; raster operations, colour conversion to and
// from monochrome and colour keys work pixel by pixel.
#include <cairo.h>

#include <memory>

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Dib.h"
#include "platform/gdi/Gdi.h"

namespace {

// Applies a ternary raster operation to pattern, source and destination pixels.
uint32_t Rop3(uint8_t code, uint32_t p, uint32_t s, uint32_t d) {
  switch (code) {
    case 0xCC: return s;
    case 0xF0: return p;
    case 0x66: return s ^ d;
    case 0x88: return s & d;
    case 0xEE: return s | d;
    case 0x55: return ~d & 0xFFFFFF;
    default: break;
  }
  uint32_t r = 0;
  for (int i = 0; i < 8; ++i) {
    if ((code & (1 << i)) == 0) continue;
    r |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
  }
  return r & 0xFFFFFF;
}

bool UsesSource(uint8_t code) { return ((code >> 2) & 0x33) != (code & 0x33); }
bool UsesPattern(uint8_t code) { return ((code >> 4) & 0x0F) != (code & 0x0F); }

// The colour the brush gives a device pixel.
uint32_t BrushPixel(TDeviceContext* dc, int dx, int dy) {
  const TDcState& s = dc->State();
  TGdiBrush* brush = s.Brush.get();
  COLORREF color = brush->SysColorIndex >= 0 ? GetSysColor(brush->SysColorIndex) : brush->Color;
  int px = ((dx - s.BrushOrg.X) % 8 + 8) % 8, py = ((dy - s.BrushOrg.Y) % 8 + 8) % 8;
  switch (brush->Style) {
    case BS_NULL: return PixelOf(s.BkColor);
    case BS_HATCHED: return PixelOf(HatchCovers(brush->Hatch, px, py) ? color : s.BkColor);
    case BS_PATTERN: {
      TGdiBitmap* bitmap = brush->Pattern;
      if (bitmap == nullptr || bitmap->Width == 0 || bitmap->Height == 0) return PixelOf(color);
      int bx = ((dx - s.BrushOrg.X) % bitmap->Width + bitmap->Width) % bitmap->Width;
      int by = ((dy - s.BrushOrg.Y) % bitmap->Height + bitmap->Height) % bitmap->Height;
      uint32_t p = bitmap->Pixels()[by * bitmap->PixelStride() + bx] & 0xFFFFFF;
      if (bitmap->BitsPixel == 1) return PixelOf(p == 0 ? s.TextColor : s.BkColor);
      return p;
    }
    default: return PixelOf(color);
  }
}

void Normalise(int& x, int& width) {
  if (width < 0) {
    x += width;
    width = -width;
  }
}

// The general transfer: each visible destination pixel samples the source (nearest pixel),
// converts between colour and monochrome, applies the raster operation or the colour key.
// Source extents are positive; the mirror flags flip the sampling.
void BlitPixels(TDeviceContext* dest, const TRect& logicalDest, TDeviceContext* src, int sx, int sy,
                int sw, int sh, bool mirrorX, bool mirrorY, uint8_t code, bool keyed, COLORREF key) {
  TRect deviceDest = dest->ToDevice(logicalDest);
  TRegionData visible = TRegionData::Combine(dest->VisibleRegion(), TRegionData::FromRect(deviceDest),
                                             TRegionData::TOp::And);
  if (visible.IsEmpty()) return;
  // Reading and writing the same surface: read from a copy.
  std::vector<uint32_t> copy;
  const uint32_t* srcPixels = nullptr;
  int srcStride = 0, srcWidth = 0, srcHeight = 0;
  TPoint srcOrigin;
  if (src != nullptr) {
    srcPixels = src->Pixels(srcStride, srcWidth, srcHeight);
    srcOrigin = src->SurfaceOrigin();
    if (src->Surface() == dest->Surface()) {
      copy.assign(srcPixels, srcPixels + static_cast<size_t>(srcStride) * srcHeight);
      srcPixels = copy.data();
    }
  }
  int stride, width, height;
  uint32_t* pixels = dest->Pixels(stride, width, height);
  TPoint origin = dest->SurfaceOrigin();
  bool srcMono = src != nullptr && src->IsMonochrome();
  bool destMono = dest->IsMonochrome();
  uint32_t destText = PixelOf(dest->State().TextColor), destBk = PixelOf(dest->State().BkColor);
  uint32_t srcBk = src != nullptr ? PixelOf(src->State().BkColor) : 0;
  TPoint srcDevice = src != nullptr ? src->ToDevice(TPoint{sx, sy}) : TPoint{};
  int dw = logicalDest.Width(), dh = logicalDest.Height();
  for (const TRect& r : visible.Rects()) {
    for (int dy = r.Top; dy < r.Bottom; ++dy) {
      int ty = dy + origin.Y;
      if (ty < 0 || ty >= height) continue;
      for (int dx = r.Left; dx < r.Right; ++dx) {
        int tx = dx + origin.X;
        if (tx < 0 || tx >= width) continue;
        uint32_t& d = pixels[ty * stride + tx];
        uint32_t s = 0;
        if (src != nullptr) {
          // The source pixel under the centre of the destination pixel.
          int ox = dx - deviceDest.Left, oy = dy - deviceDest.Top;
          int fx = static_cast<int>((static_cast<int64_t>(ox) * 2 + 1) * sw / (2 * int64_t(dw)));
          int fy = static_cast<int>((static_cast<int64_t>(oy) * 2 + 1) * sh / (2 * int64_t(dh)));
          int px = srcDevice.X + (mirrorX ? sw - 1 - fx : fx) + srcOrigin.X;
          int py = srcDevice.Y + (mirrorY ? sh - 1 - fy : fy) + srcOrigin.Y;
          if (px < 0 || py < 0 || px >= srcWidth || py >= srcHeight) continue;
          s = srcPixels[py * srcStride + px] & 0xFFFFFF;
          if (keyed && s == PixelOf(key)) continue;
          if (srcMono && !destMono) s = s == 0 ? destText : destBk;
          if (!srcMono && destMono) s = s == srcBk ? 0xFFFFFF : 0;
        }
        uint32_t p = UsesPattern(code) ? BrushPixel(dest, dx, dy) : 0;
        uint32_t result = keyed ? s : Rop3(code, p, s, d & 0xFFFFFF);
        if (destMono) result = result == 0xFFFFFF ? 0xFFFFFF : 0;
        d = 0xFF000000u | result;
      }
    }
  }
  dest->PixelsChanged();
}

// A plain copy through cairo, scaled when the extents differ.
void CopyWithCairo(TDeviceContext* dest, int x, int y, int w, int h, TDeviceContext* src, int sx,
                   int sy, int sw, int sh) {
  cairo_surface_t* source = src->Surface();
  cairo_surface_t* owned = nullptr;
  if (source == dest->Surface()) {
    // Overlapping copies within one surface (scrolling) read from a snapshot.
    int width = cairo_image_surface_get_width(source), height = cairo_image_surface_get_height(source);
    owned = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_t* c = cairo_create(owned);
    cairo_set_source_surface(c, source, 0, 0);
    cairo_set_operator(c, CAIRO_OPERATOR_SOURCE);
    cairo_paint(c);
    cairo_destroy(c);
    source = owned;
  }
  TPoint s = src->ToDevice(TPoint{sx, sy});
  s.X += src->SurfaceOrigin().X;
  s.Y += src->SurfaceOrigin().Y;
  cairo_t* cr = dest->Begin();
  cairo_rectangle(cr, x, y, w, h);
  cairo_clip(cr);
  cairo_translate(cr, x, y);
  cairo_scale(cr, static_cast<double>(w) / sw, static_cast<double>(h) / sh);
  cairo_set_source_surface(cr, source, -s.X, -s.Y);
  cairo_pattern_t* pattern = cairo_get_source(cr);
  cairo_pattern_set_filter(pattern, dest->State().StretchMode == HALFTONE ? CAIRO_FILTER_GOOD
                                                                          : CAIRO_FILTER_NEAREST);
  cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  // Outside the source surface nothing is copied.
  TRect area{0, 0, sw, sh}, surface{-s.X, -s.Y, -s.X + cairo_image_surface_get_width(source),
                                    -s.Y + cairo_image_surface_get_height(source)};
  if (IntersectRect(area, area, surface)) {
    cairo_rectangle(cr, area.Left, area.Top, area.Width(), area.Height());
    cairo_fill(cr);
  }
  dest->End();
  if (owned != nullptr) cairo_surface_destroy(owned);
}

// Logs under name unless it is null.
bool Transfer(HDC dest, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh,
              uint32_t rop, const char* name) {
  if (dest == nullptr) return false;
  uint8_t code = static_cast<uint8_t>(rop >> 16);
  if (name != nullptr) dest->Log(name, {x, y, x + w, y + h, sx, sy, sw, sh}, rop);
  if (!UsesSource(code)) return PatBlt(dest, x, y, w, h, rop);
  if (src == nullptr || w == 0 || h == 0 || sw == 0 || sh == 0) return src != nullptr;
  bool mirrorX = (w < 0) != (sw < 0), mirrorY = (h < 0) != (sh < 0);
  Normalise(x, w);
  Normalise(y, h);
  Normalise(sx, sw);
  Normalise(sy, sh);
  if (code == 0xCC && !src->IsMonochrome() && !dest->IsMonochrome() && !mirrorX && !mirrorY) {
    CopyWithCairo(dest, x, y, w, h, src, sx, sy, sw, sh);
  } else {
    BlitPixels(dest, {x, y, x + w, y + h}, src, sx, sy, sw, sh, mirrorX, mirrorY, code, false, 0);
  }
  return true;
}

}  // namespace

bool PatBlt(HDC dc, int x, int y, int width, int height, uint32_t rop) {
  if (dc == nullptr) return false;
  Normalise(x, width);
  Normalise(y, height);
  uint8_t code = static_cast<uint8_t>(rop >> 16);
  if (code == 0xF0) {
    // A pattern copy is a brush fill that ignores the binary raster operation.
    TDcState& s = dc->State();
    int rop2 = s.Rop2;
    s.Rop2 = R2_COPYPEN;
    dc->PaintWithBrush(s.Brush.get(), [&](cairo_t* cr) { cairo_rectangle(cr, x, y, width, height); });
    s.Rop2 = rop2;
    return true;
  }
  BlitPixels(dc, {x, y, x + width, y + height}, nullptr, 0, 0, 0, 0, false, false, code, false, 0);
  return true;
}

bool BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY, uint32_t rop) {
  return Transfer(dest, x, y, width, height, src, srcX, srcY, width, height, rop, "BitBlt");
}

bool StretchBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY,
                int srcWidth, int srcHeight, uint32_t rop) {
  return Transfer(dest, x, y, width, height, src, srcX, srcY, srcWidth, srcHeight, rop, "StretchBlt");
}

bool TransparentBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY,
                    int srcWidth, int srcHeight, COLORREF transparent) {
  if (dest == nullptr || src == nullptr || width <= 0 || height <= 0 || srcWidth <= 0 ||
      srcHeight <= 0) {
    return false;
  }
  dest->Log("TransparentBlt", {x, y, x + width, y + height, srcX, srcY, srcWidth, srcHeight},
            transparent);
  BlitPixels(dest, {x, y, x + width, y + height}, src, srcX, srcY, srcWidth, srcHeight, false, false,
             0xCC, true, transparent & 0xFFFFFF);
  return true;
}

int StretchDIBits(HDC dc, int x, int y, int width, int height, int srcX, int srcY, int srcWidth,
                  int srcHeight, const void* bits, const BITMAPINFO* info, uint32_t, uint32_t rop) {
  if (dc == nullptr || bits == nullptr || info == nullptr) return 0;
  const auto* header = reinterpret_cast<const uint8_t*>(info);
  size_t headerBytes = DibHeaderBytes(header);
  if (headerBytes == 0) return 0;
  const BITMAPINFOHEADER& h = info->bmiHeader;
  int rows = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  size_t rowBytes = static_cast<size_t>((h.biWidth * int64_t(h.biBitCount) + 31) / 32) * 4;
  TRasterImage image;
  TDibInfo dib;
  if (!DecodeDib(header, headerBytes, static_cast<const uint8_t*>(bits), rowBytes * rows, image, dib)) {
    return 0;
  }
  auto* made = new TGdiBitmap(image.Width, image.Height, 32);
  TGdiRef<TGdiBitmap> bitmap(made);
  GdiRelease(made);  // the reference above owns it now
  uint32_t* pixels = bitmap->Pixels();
  for (int row = 0; row < image.Height; ++row) {
    for (int col = 0; col < image.Width; ++col) {
      pixels[row * bitmap->PixelStride() + col] = image.At(col, row) & 0xFFFFFF;
    }
  }
  bitmap->PixelsChanged();
  std::unique_ptr<TDeviceContext> memory(new TDeviceContext());
  memory->SelectBitmap(bitmap.get());
  // The source rectangle of a bottom-up bitmap counts from its bottom row.
  int top = dib.TopDown ? srcY : image.Height - srcY - srcHeight;
  dc->Log("StretchDIBits", {x, y, x + width, y + height, srcX, srcY, srcWidth, srcHeight}, rop);
  bool ok = Transfer(dc, x, y, width, height, memory.get(), srcX, top, srcWidth, srcHeight, rop,
                     nullptr);
  return ok ? srcHeight : 0;
}
