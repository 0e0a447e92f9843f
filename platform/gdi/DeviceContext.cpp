#include "platform/gdi/DeviceContext.h"

#include <cairo.h>

#include <array>

#include "platform/gdi/DrawingLog.h"
#include "platform/gdi/FontFace.h"
#include "platform/gdi/SysColors.h"

namespace {

// Applies a binary raster operation (R2_*) to a pen colour and a destination pixel.
uint32_t Rop2(int rop2, uint32_t pen, uint32_t dst) {
  int code = rop2 - 1;
  uint32_t r = 0;
  if (code & 1) r |= ~pen & ~dst;
  if (code & 2) r |= ~pen & dst;
  if (code & 4) r |= pen & ~dst;
  if (code & 8) r |= pen & dst;
  return (r & 0x00FFFFFF) | 0xFF000000u;
}

cairo_pattern_t* HatchPattern(int style) {
  static std::array<cairo_pattern_t*, 6> patterns = [] {
    std::array<cairo_pattern_t*, 6> made{};
    for (int s = 0; s < 6; ++s) {
      cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, 8, 8);
      cairo_surface_flush(mask);
      auto* data = cairo_image_surface_get_data(mask);
      int stride = cairo_image_surface_get_stride(mask);
      for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) data[y * stride + x] = HatchCovers(s, x, y) ? 255 : 0;
      }
      cairo_surface_mark_dirty(mask);
      made[s] = cairo_pattern_create_for_surface(mask);
      cairo_surface_destroy(mask);
      cairo_pattern_set_extend(made[s], CAIRO_EXTEND_REPEAT);
      cairo_pattern_set_filter(made[s], CAIRO_FILTER_NEAREST);
    }
    return made;
  }();
  return patterns[std::clamp(style, 0, 5)];
}

// A mask of the black pixels of a monochrome bitmap, repeated.
cairo_pattern_t* MonoMaskPattern(TGdiBitmap* bitmap, bool black) {
  const uint32_t* pixels = bitmap->Pixels();
  int stride = bitmap->PixelStride();
  cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, bitmap->Width, bitmap->Height);
  cairo_surface_flush(mask);
  auto* data = cairo_image_surface_get_data(mask);
  int maskStride = cairo_image_surface_get_stride(mask);
  for (int y = 0; y < bitmap->Height; ++y) {
    for (int x = 0; x < bitmap->Width; ++x) {
      bool isBlack = (pixels[y * stride + x] & 0xFFFFFF) == 0;
      data[y * maskStride + x] = isBlack == black ? 255 : 0;
    }
  }
  cairo_surface_mark_dirty(mask);
  cairo_pattern_t* pattern = cairo_pattern_create_for_surface(mask);
  cairo_surface_destroy(mask);
  cairo_pattern_set_extend(pattern, CAIRO_EXTEND_REPEAT);
  cairo_pattern_set_filter(pattern, CAIRO_FILTER_NEAREST);
  return pattern;
}

void SetSourceColor(cairo_t* cr, COLORREF c) {
  cairo_set_source_rgb(cr, GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0);
}

}  // namespace

bool HatchCovers(int style, int x, int y) {
  switch (style) {
    case HS_HORIZONTAL: return y == 4;
    case HS_VERTICAL: return x == 4;
    case HS_FDIAGONAL: return x == y;
    case HS_BDIAGONAL: return x + y == 7;
    case HS_CROSS: return x == 4 || y == 4;
    case HS_DIAGCROSS: return x == y || x + y == 7;
  }
  return false;
}

TDeviceContext::TDeviceContext(cairo_surface_t* surface, TPoint origin, const TRect& bounds)
    : FKind(TKind::Surface), FSurface(cairo_surface_reference(surface)), FOrigin(origin),
      FBounds(bounds) {
  FState.Pen = TGdiRef<TGdiPen>(static_cast<TGdiPen*>(StockObject(BLACK_PEN)));
  FState.Brush = TGdiRef<TGdiBrush>(static_cast<TGdiBrush*>(StockObject(WHITE_BRUSH)));
  FState.Font = TGdiRef<TGdiFont>(static_cast<TGdiFont*>(StockObject(SYSTEM_FONT)));
}

TDeviceContext::TDeviceContext() : FKind(TKind::Memory) {
  FState.Pen = TGdiRef<TGdiPen>(static_cast<TGdiPen*>(StockObject(BLACK_PEN)));
  FState.Brush = TGdiRef<TGdiBrush>(static_cast<TGdiBrush*>(StockObject(WHITE_BRUSH)));
  FState.Font = TGdiRef<TGdiFont>(static_cast<TGdiFont*>(StockObject(SYSTEM_FONT)));
  FState.Bitmap = TGdiRef<TGdiBitmap>(DefaultBitmap());
}

TDeviceContext::~TDeviceContext() {
  if (FCairo != nullptr) cairo_destroy(FCairo);
  if (FSurface != nullptr) cairo_surface_destroy(FSurface);
}

int TDeviceContext::Save() {
  FSaved.push_back(FState);
  return static_cast<int>(FSaved.size());
}

bool TDeviceContext::Restore(int which) {
  int index = which > 0 ? which - 1 : static_cast<int>(FSaved.size()) + which;
  if (which == 0 || index < 0 || index >= static_cast<int>(FSaved.size())) return false;
  FState = FSaved[index];
  FSaved.resize(index);
  FVisibleKnown = false;
  return true;
}

cairo_surface_t* TDeviceContext::Surface() {
  return FKind == TKind::Memory ? FState.Bitmap->Surface() : FSurface;
}

uint32_t* TDeviceContext::Pixels(int& stride, int& width, int& height) {
  cairo_surface_t* surface = Surface();
  cairo_surface_flush(surface);
  stride = cairo_image_surface_get_stride(surface) / 4;
  width = cairo_image_surface_get_width(surface);
  height = cairo_image_surface_get_height(surface);
  return reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(surface));
}

void TDeviceContext::PixelsChanged() { cairo_surface_mark_dirty(Surface()); }

TRect TDeviceContext::DeviceBounds() const {
  if (FKind == TKind::Memory) return {0, 0, FState.Bitmap->Width, FState.Bitmap->Height};
  return FBounds;
}

const TRegionData& TDeviceContext::VisibleRegion() const {
  if (!FVisibleKnown) {
    TRegionData region = TRegionData::FromRect(DeviceBounds());
    if (FHasVisible) region = TRegionData::Combine(region, FVisible, TRegionData::TOp::And);
    if (FState.HasClip) region = TRegionData::Combine(region, FState.Clip, TRegionData::TOp::And);
    FVisibleCache = std::move(region);
    FVisibleKnown = true;
  }
  return FVisibleCache;
}

void TDeviceContext::SetVisibleRegion(const TRegionData& region) {
  FHasVisible = true;
  FVisible = region;
  FVisibleKnown = false;
}

void TDeviceContext::SetClip(const TRegionData* clip) {
  FState.HasClip = clip != nullptr;
  FState.Clip = clip != nullptr ? *clip : TRegionData();
  FVisibleKnown = false;
}

void TDeviceContext::OffsetClip(int32_t dx, int32_t dy) {
  if (!FState.HasClip) return;
  FState.Clip.Offset(dx, dy);
  FVisibleKnown = false;
}

void TDeviceContext::SelectBitmap(TGdiBitmap* bitmap) {
  FState.Bitmap = TGdiRef<TGdiBitmap>(bitmap);
  FVisibleKnown = false;
}

bool TDeviceContext::IsMonochrome() const {
  return FKind == TKind::Memory && FState.Bitmap->BitsPixel == 1;
}

TPoint TDeviceContext::ToDevice(TPoint p) const {
  return {p.X - FState.WindowOrg.X + FState.ViewportOrg.X,
          p.Y - FState.WindowOrg.Y + FState.ViewportOrg.Y};
}

TPoint TDeviceContext::ToLogical(TPoint p) const {
  return {p.X + FState.WindowOrg.X - FState.ViewportOrg.X,
          p.Y + FState.WindowOrg.Y - FState.ViewportOrg.Y};
}

TRect TDeviceContext::ToDevice(const TRect& r) const {
  TPoint a = ToDevice(r.TopLeft()), b = ToDevice(r.BottomRight());
  return {a.X, a.Y, b.X, b.Y};
}

TRect TDeviceContext::ToLogical(const TRect& r) const {
  TPoint a = ToLogical(r.TopLeft()), b = ToLogical(r.BottomRight());
  return {a.X, a.Y, b.X, b.Y};
}

cairo_t* TDeviceContext::Cairo() {
  cairo_surface_t* target = Surface();
  if (FCairo == nullptr || FCairoTarget != target) {
    if (FCairo != nullptr) cairo_destroy(FCairo);
    FCairo = cairo_create(target);
    FCairoTarget = target;
  }
  return FCairo;
}

void TDeviceContext::ApplyClipAndTransform(cairo_t* cr, TPoint shift) const {
  TPoint origin = SurfaceOrigin();
  double dx = origin.X - shift.X, dy = origin.Y - shift.Y;
  cairo_identity_matrix(cr);
  cairo_new_path(cr);
  if (FState.HasClip || FHasVisible) {
    for (const auto& band : VisibleRegion().Bands()) {
      for (const auto& span : band.Spans) {
        cairo_rectangle(cr, span.Left + dx, band.Top + dy, span.Right - span.Left, band.Bottom - band.Top);
      }
    }
  } else {
    TRect r = DeviceBounds();
    cairo_rectangle(cr, r.Left + dx, r.Top + dy, r.Width(), r.Height());
  }
  cairo_clip(cr);
  cairo_translate(cr, dx + FState.ViewportOrg.X - FState.WindowOrg.X,
                  dy + FState.ViewportOrg.Y - FState.WindowOrg.Y);
}

cairo_t* TDeviceContext::Begin() {
  cairo_t* cr = Cairo();
  if (FBeginDepth++ == 0) {
    cairo_save(cr);
    ApplyClipAndTransform(cr, {});
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
  }
  cairo_new_path(cr);
  return cr;
}

void TDeviceContext::End() {
  if (--FBeginDepth == 0) cairo_restore(FCairo);
}

void TDeviceContext::PaintShape(COLORREF color, int rop2, const std::function<void(cairo_t*)>& paint) {
  color &= 0xFFFFFF;
  switch (rop2) {
    case R2_NOP: return;
    case R2_BLACK: color = 0; rop2 = R2_COPYPEN; break;
    case R2_WHITE: color = 0xFFFFFF; rop2 = R2_COPYPEN; break;
    case R2_NOTCOPYPEN: color = ~color & 0xFFFFFF; rop2 = R2_COPYPEN; break;
    default: break;
  }
  if (rop2 == R2_COPYPEN) {
    cairo_t* cr = Begin();
    SetSourceColor(cr, color);
    paint(cr);
    End();
    return;
  }
  // Coverage of the shape over the visible box, then the operation pixel by pixel.
  TRect box = VisibleRegion().Bounds();
  if (IsRectEmpty(box)) return;
  TPoint origin = SurfaceOrigin();
  OffsetRect(box, origin.X, origin.Y);
  cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, box.Width(), box.Height());
  cairo_t* mcr = cairo_create(mask);
  ApplyClipAndTransform(mcr, box.TopLeft());
  cairo_set_antialias(mcr, CAIRO_ANTIALIAS_NONE);
  cairo_set_source_rgba(mcr, 1, 1, 1, 1);
  paint(mcr);
  cairo_destroy(mcr);
  cairo_surface_flush(mask);
  const uint8_t* coverage = cairo_image_surface_get_data(mask);
  int maskStride = cairo_image_surface_get_stride(mask);
  int stride, width, height;
  uint32_t* pixels = Pixels(stride, width, height);
  uint32_t pen = PixelOf(color);
  for (int y = 0; y < box.Height(); ++y) {
    int sy = box.Top + y;
    if (sy < 0 || sy >= height) continue;
    for (int x = 0; x < box.Width(); ++x) {
      int sx = box.Left + x;
      if (sx < 0 || sx >= width || coverage[y * maskStride + x] < 128) continue;
      uint32_t& p = pixels[sy * stride + sx];
      p = Rop2(rop2, pen, p);
    }
  }
  PixelsChanged();
  cairo_surface_destroy(mask);
}

void TDeviceContext::PaintWithBrush(TGdiBrush* brush, const std::function<void(cairo_t*)>& path) {
  if (brush == nullptr || brush->Style == BS_NULL) return;
  COLORREF color = brush->SysColorIndex >= 0 ? GetSysColor(brush->SysColorIndex) : brush->Color;
  auto fill = [&](cairo_t* cr) {
    path(cr);
    cairo_fill(cr);
  };
  // The brush pattern starts at the brush origin in device space.
  auto patternOrigin = [&](cairo_pattern_t* pattern) {
    cairo_matrix_t m;
    cairo_matrix_init_translate(&m, FState.ViewportOrg.X - FState.WindowOrg.X - FState.BrushOrg.X,
                                FState.ViewportOrg.Y - FState.WindowOrg.Y - FState.BrushOrg.Y);
    cairo_pattern_set_matrix(pattern, &m);
  };
  auto maskedFill = [&](cairo_pattern_t* pattern) {
    return [&, pattern](cairo_t* cr) {
      path(cr);
      cairo_clip(cr);
      patternOrigin(pattern);
      cairo_mask(cr, pattern);
    };
  };
  switch (brush->Style) {
    case BS_SOLID: PaintShape(color, FState.Rop2, fill); break;
    case BS_HATCHED:
      if (FState.BkMode == OPAQUE) PaintShape(FState.BkColor, FState.Rop2, fill);
      PaintShape(color, FState.Rop2, maskedFill(HatchPattern(brush->Hatch)));
      break;
    case BS_PATTERN: {
      TGdiBitmap* bitmap = brush->Pattern;
      if (bitmap == nullptr || bitmap->Width == 0 || bitmap->Height == 0) break;
      if (bitmap->BitsPixel == 1) {
        // Monochrome patterns paint their black in the text colour, their white in the background.
        cairo_pattern_t* black = MonoMaskPattern(bitmap, true);
        cairo_pattern_t* white = MonoMaskPattern(bitmap, false);
        PaintShape(FState.TextColor, FState.Rop2, maskedFill(black));
        PaintShape(FState.BkColor, FState.Rop2, maskedFill(white));
        cairo_pattern_destroy(black);
        cairo_pattern_destroy(white);
        break;
      }
      cairo_t* cr = Begin();
      cairo_pattern_t* pattern = cairo_pattern_create_for_surface(bitmap->Surface());
      cairo_pattern_set_extend(pattern, CAIRO_EXTEND_REPEAT);
      cairo_pattern_set_filter(pattern, CAIRO_FILTER_NEAREST);
      patternOrigin(pattern);
      cairo_set_source(cr, pattern);
      fill(cr);
      cairo_pattern_destroy(pattern);
      End();
      break;
    }
    default: break;
  }
}

void TDeviceContext::Record(const char* name, std::vector<int32_t> args, uint32_t flags,
                            std::u16string_view text) {
  TDrawingCall call;
  call.Name = name;
  call.Args = std::move(args);
  call.Flags = flags;
  call.Text = String(text);
  TGdiPen* pen = FState.Pen.get();
  call.PenColor = pen->Kind() == PS_NULL ? CLR_INVALID : pen->Color;
  TGdiBrush* brush = FState.Brush.get();
  call.BrushColor = brush->Style == BS_NULL ? CLR_INVALID
                    : brush->SysColorIndex >= 0 ? GetSysColor(brush->SysColorIndex)
                                                : brush->Color;
  call.TextColor = FState.TextColor;
  call.BkColor = FState.BkColor;
  call.BkMode = FState.BkMode;
  call.FontName = FState.Font->Log.lfFaceName;
  call.FontHeight = FState.Font->Log.lfHeight;
  call.FontWeight = FState.Font->Log.lfWeight;
  call.FontItalic = FState.Font->Log.lfItalic != 0;
  call.FontUnderline = FState.Font->Log.lfUnderline != 0;
  call.FontStrikeOut = FState.Font->Log.lfStrikeOut != 0;
  call.FontEscapement = FState.Font->Log.lfEscapement;
  call.Clipped = FState.HasClip;
  call.ClipBox = ToLogical(VisibleRegion().Bounds());
  FLog->Add(std::move(call));
}
