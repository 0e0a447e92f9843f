// Start-up, graphics objects, clipping and the shape calls of the GDI+ flat API.
#include <cairo.h>

#include <atomic>
#include <cmath>
#include <cstdlib>

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiPlusObjects.h"

namespace {

// How many start-ups are not yet shut down: GdipAlloc works only while there is one.
std::atomic<int> gStartups{0};

void Fill(GpGraphics* g, const GpBrush* brush, GpFillMode mode, const std::function<void(cairo_t*)>& path) {
  cairo_t* cr = g->Begin();
  path(cr);
  cairo_pattern_t* pattern = brush->Pattern();
  if (brush->Kind == TBrushKind::Hatch) {
    // Hatches line up with the device's pixels, whatever the world origin.
    cairo_matrix_t m;
    cairo_matrix_init_translate(&m, g->OriginX + 0.5, g->OriginY + 0.5);
    cairo_pattern_set_matrix(pattern, &m);
  }
  cairo_set_source(cr, pattern);
  cairo_set_fill_rule(cr, mode == FillModeWinding ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
  cairo_fill(cr);
  cairo_pattern_destroy(pattern);
  g->End();
}

void Stroke(GpGraphics* g, const GpPen* pen, const std::function<void(cairo_t*)>& path) {
  cairo_t* cr = g->Begin();
  path(cr);
  double width = pen->Width > 0 ? pen->Width : 1;
  cairo_set_line_width(cr, width);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
  std::vector<double> dashes;
  switch (pen->Dash) {
    case DashStyleDash: dashes = {3, 1}; break;
    case DashStyleDot: dashes = {1, 1}; break;
    case DashStyleDashDot: dashes = {3, 1, 1, 1}; break;
    case DashStyleDashDotDot: dashes = {3, 1, 1, 1, 1, 1}; break;
    default: break;
  }
  for (double& d : dashes) d *= width;
  if (!dashes.empty()) cairo_set_dash(cr, dashes.data(), static_cast<int>(dashes.size()), 0);
  SetSourceArgb(cr, pen->Color);
  cairo_stroke(cr);
  g->End();
}

void EllipsePath(cairo_t* cr, REAL x, REAL y, REAL width, REAL height) {
  if (width <= 0 || height <= 0) return;
  cairo_save(cr);
  cairo_translate(cr, x + width / 2.0, y + height / 2.0);
  cairo_scale(cr, width / 2.0, height / 2.0);
  cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
  cairo_restore(cr);
  cairo_close_path(cr);
}

}  // namespace

GpStatus GdiplusStartup(uintptr_t* token, const GdiplusStartupInput* input, GdiplusStartupOutput* output) {
  if (token == nullptr || input == nullptr) return InvalidParameter;
  if (input->GdiplusVersion != 1) return UnsupportedGdiplusVersion;
  *token = static_cast<uintptr_t>(++gStartups);
  if (output != nullptr) *output = {};
  return Ok;
}

void GdiplusShutdown(uintptr_t) {
  if (gStartups > 0) --gStartups;
}

void* GdipAlloc(size_t size) { return gStartups > 0 ? std::malloc(size == 0 ? 1 : size) : nullptr; }

void GdipFree(void* memory) { std::free(memory); }

GpGraphics::~GpGraphics() {
  if (OwnDc != nullptr) DeleteDC(OwnDc);
  if (Cr != nullptr) cairo_destroy(Cr);
}

cairo_t* GpGraphics::Begin() {
  cairo_save(Cr);
  cairo_identity_matrix(Cr);
  cairo_reset_clip(Cr);
  cairo_new_path(Cr);
  if (Visible) {
    for (const TRect& r : Visible->Rects()) cairo_rectangle(Cr, r.Left, r.Top, r.Width(), r.Height());
    cairo_clip(Cr);
  }
  // Pixel centres lie on whole world coordinates.
  cairo_translate(Cr, OriginX + 0.5, OriginY + 0.5);
  if (Clip) {
    for (const TRect& r : Clip->Rects()) cairo_rectangle(Cr, r.Left - 0.5, r.Top - 0.5, r.Width(), r.Height());
    cairo_clip(Cr);
  }
  bool smooth = Smoothing == SmoothingModeAntiAlias || Smoothing == SmoothingModeAntiAlias8x8 ||
                Smoothing == SmoothingModeHighQuality;
  cairo_set_antialias(Cr, smooth ? CAIRO_ANTIALIAS_GOOD : CAIRO_ANTIALIAS_NONE);
  cairo_set_operator(Cr, CAIRO_OPERATOR_OVER);
  return Cr;
}

void GpGraphics::End() { cairo_restore(Cr); }

GpStatus GdipCreateFromHDC(HDC dc, GpGraphics** graphics) {
  if (dc == nullptr || graphics == nullptr) return InvalidParameter;
  auto* g = new GpGraphics;
  g->Dc = dc;
  g->Cr = cairo_create(dc->Surface());
  TPoint origin = dc->SurfaceOrigin();
  TRegionData visible = dc->VisibleRegion();
  visible.Offset(origin.X, origin.Y);
  g->Visible = visible;
  TPoint world = dc->ToDevice(TPoint{0, 0});
  g->OriginX = world.X + origin.X;
  g->OriginY = world.Y + origin.Y;
  *graphics = g;
  return Ok;
}

GpStatus GdipGetImageGraphicsContext(GpImage* image, GpGraphics** graphics) {
  if (image == nullptr || graphics == nullptr || image->Surface == nullptr) return InvalidParameter;
  // Indexed pictures cannot be drawn on.
  if (image->PixelFormat & PixelFormatIndexed) return OutOfMemory;
  auto* g = new GpGraphics;
  g->Image = image;
  g->Cr = cairo_create(image->Surface);
  *graphics = g;
  return Ok;
}

GpStatus GdipDeleteGraphics(GpGraphics* graphics) {
  if (graphics == nullptr) return InvalidParameter;
  cairo_surface_flush(cairo_get_target(graphics->Cr));
  delete graphics;
  return Ok;
}

GpStatus GdipGetDC(GpGraphics* graphics, HDC* dc) {
  if (graphics == nullptr || dc == nullptr) return InvalidParameter;
  if (graphics->Dc != nullptr) {
    *dc = graphics->Dc;
    return Ok;
  }
  if (graphics->OwnDc != nullptr) return ObjectBusy;
  cairo_surface_t* surface = graphics->Image->Surface;
  graphics->OwnDc = CreateSurfaceDC(surface, {0, 0},
                                    {0, 0, cairo_image_surface_get_width(surface), cairo_image_surface_get_height(surface)});
  *dc = graphics->OwnDc;
  return Ok;
}

GpStatus GdipReleaseDC(GpGraphics* graphics, HDC dc) {
  if (graphics == nullptr || dc == nullptr) return InvalidParameter;
  if (dc == graphics->Dc) return Ok;
  if (dc != graphics->OwnDc) return InvalidParameter;
  DeleteDC(graphics->OwnDc);
  graphics->OwnDc = nullptr;
  return Ok;
}

GpStatus GdipGraphicsClear(GpGraphics* graphics, ARGB color) {
  if (graphics == nullptr) return InvalidParameter;
  cairo_t* cr = graphics->Begin();
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  SetSourceArgb(cr, color);
  cairo_paint(cr);
  graphics->End();
  return Ok;
}

GpStatus GdipSetSmoothingMode(GpGraphics* graphics, GpSmoothingMode mode) {
  if (graphics == nullptr || mode < SmoothingModeDefault || mode > SmoothingModeAntiAlias8x8) return InvalidParameter;
  graphics->Smoothing = mode;
  return Ok;
}

GpStatus GdipGetSmoothingMode(GpGraphics* graphics, GpSmoothingMode* mode) {
  if (graphics == nullptr || mode == nullptr) return InvalidParameter;
  *mode = graphics->Smoothing;
  return Ok;
}

GpStatus GdipSetTextRenderingHint(GpGraphics* graphics, GpTextRenderingHint hint) {
  if (graphics == nullptr || hint < TextRenderingHintSystemDefault || hint > TextRenderingHintClearTypeGridFit) {
    return InvalidParameter;
  }
  graphics->TextHint = hint;
  return Ok;
}

GpStatus GdipGetTextRenderingHint(GpGraphics* graphics, GpTextRenderingHint* hint) {
  if (graphics == nullptr || hint == nullptr) return InvalidParameter;
  *hint = graphics->TextHint;
  return Ok;
}

GpStatus GdipSetClipRegion(GpGraphics* graphics, GpRegion* region, GpCombineMode mode) {
  if (graphics == nullptr || region == nullptr) return InvalidParameter;
  if (mode == CombineModeReplace || !graphics->Clip) {
    // Without a clip the graphics is unbounded: combining with "everything" where needed.
    if (mode == CombineModeReplace || mode == CombineModeIntersect) {
      graphics->Clip = region->Data;
      return Ok;
    }
    if (mode == CombineModeUnion || mode == CombineModeExclude || mode == CombineModeXor || mode == CombineModeComplement) {
      TRegionData everything = TRegionData::FromRect({-(1 << 16), -(1 << 16), 1 << 16, 1 << 16});
      graphics->Clip = everything;
    }
  }
  using TOp = TRegionData::TOp;
  const TRegionData& current = *graphics->Clip;
  switch (mode) {
    case CombineModeIntersect: graphics->Clip = TRegionData::Combine(current, region->Data, TOp::And); break;
    case CombineModeUnion: graphics->Clip = TRegionData::Combine(current, region->Data, TOp::Or); break;
    case CombineModeXor: graphics->Clip = TRegionData::Combine(current, region->Data, TOp::Xor); break;
    case CombineModeExclude: graphics->Clip = TRegionData::Combine(current, region->Data, TOp::Diff); break;
    case CombineModeComplement: graphics->Clip = TRegionData::Combine(region->Data, current, TOp::Diff); break;
    default: return InvalidParameter;
  }
  return Ok;
}

GpStatus GdipSetClipRect(GpGraphics* graphics, REAL x, REAL y, REAL width, REAL height, GpCombineMode mode) {
  if (graphics == nullptr) return InvalidParameter;
  GpRectF rect{x, y, width, height};
  GpRegion* region = nullptr;
  GpStatus status = GdipCreateRegionRect(&rect, &region);
  if (status != Ok) return status;
  status = GdipSetClipRegion(graphics, region, mode);
  GdipDeleteRegion(region);
  return status;
}

GpStatus GdipResetClip(GpGraphics* graphics) {
  if (graphics == nullptr) return InvalidParameter;
  graphics->Clip.reset();
  return Ok;
}

GpStatus GdipDrawPath(GpGraphics* graphics, GpPen* pen, GpPath* path) {
  if (graphics == nullptr || pen == nullptr || path == nullptr) return InvalidParameter;
  Stroke(graphics, pen, [&](cairo_t* cr) { path->Trace(cr); });
  return Ok;
}

GpStatus GdipFillPath(GpGraphics* graphics, GpBrush* brush, GpPath* path) {
  if (graphics == nullptr || brush == nullptr || path == nullptr) return InvalidParameter;
  Fill(graphics, brush, path->FillMode, [&](cairo_t* cr) { path->Trace(cr); });
  return Ok;
}

GpStatus GdipDrawLine(GpGraphics* graphics, GpPen* pen, REAL x1, REAL y1, REAL x2, REAL y2) {
  if (graphics == nullptr || pen == nullptr || !Finite({x1, y1, x2, y2})) return InvalidParameter;
  Stroke(graphics, pen, [&](cairo_t* cr) {
    cairo_move_to(cr, x1, y1);
    cairo_line_to(cr, x2, y2);
  });
  return Ok;
}

GpStatus GdipDrawRectangle(GpGraphics* graphics, GpPen* pen, REAL x, REAL y, REAL width, REAL height) {
  if (graphics == nullptr || pen == nullptr || !Finite({x, y, width, height})) return InvalidParameter;
  Stroke(graphics, pen, [&](cairo_t* cr) { cairo_rectangle(cr, x, y, width, height); });
  return Ok;
}

GpStatus GdipFillRectangle(GpGraphics* graphics, GpBrush* brush, REAL x, REAL y, REAL width, REAL height) {
  if (graphics == nullptr || brush == nullptr || !Finite({x, y, width, height})) return InvalidParameter;
  Fill(graphics, brush, FillModeAlternate, [&](cairo_t* cr) { cairo_rectangle(cr, x, y, width, height); });
  return Ok;
}

GpStatus GdipDrawEllipse(GpGraphics* graphics, GpPen* pen, REAL x, REAL y, REAL width, REAL height) {
  if (graphics == nullptr || pen == nullptr || !Finite({x, y, width, height})) return InvalidParameter;
  Stroke(graphics, pen, [&](cairo_t* cr) { EllipsePath(cr, x, y, width, height); });
  return Ok;
}

GpStatus GdipFillEllipse(GpGraphics* graphics, GpBrush* brush, REAL x, REAL y, REAL width, REAL height) {
  if (graphics == nullptr || brush == nullptr || !Finite({x, y, width, height})) return InvalidParameter;
  Fill(graphics, brush, FillModeAlternate, [&](cairo_t* cr) { EllipsePath(cr, x, y, width, height); });
  return Ok;
}

GpStatus GdipFillEllipseI(GpGraphics* graphics, GpBrush* brush, int32_t x, int32_t y, int32_t width, int32_t height) {
  return GdipFillEllipse(graphics, brush, REAL(x), REAL(y), REAL(width), REAL(height));
}
