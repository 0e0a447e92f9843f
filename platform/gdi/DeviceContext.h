// The device context behind an HDC: a cairo image surface (its own, a window's part of a shared
// one, or the bitmap selected into a memory context) and the drawing state of the GDI calls. Used
// by the drawing calls; callers outside the drawing layer use the handle functions of Gdi.h.
#pragma once

#include <functional>
#include <initializer_list>
#include <string_view>
#include <string>
#include <vector>

#include "platform/gdi/GdiObjects.h"
#include "platform/rtl/Types.h"

typedef struct _cairo cairo_t;
class TDrawingLog;
struct TDrawingCall;

struct TDcState {
  TGdiRef<TGdiPen> Pen;
  TGdiRef<TGdiBrush> Brush;
  TGdiRef<TGdiFont> Font;
  TGdiRef<TGdiBitmap> Bitmap;  // memory contexts only
  COLORREF TextColor = 0;
  COLORREF BkColor = 0xFFFFFF;
  int BkMode = OPAQUE;
  int Rop2 = R2_COPYPEN;
  uint32_t TextAlign = TA_LEFT | TA_TOP;
  int StretchMode = BLACKONWHITE;
  int PolyFillMode = ALTERNATE;
  int TextCharExtra = 0;
  TPoint WindowOrg;
  TPoint ViewportOrg;
  TPoint BrushOrg;
  TPoint CurrentPos;
  bool HasClip = false;
  TRegionData Clip;  // device coordinates
};

class TDeviceContext {
 public:
  enum class TKind { Surface, Memory };

  // A context over part of a surface: device (0, 0) lies at origin in the surface and the
  // context may paint only inside bounds (device coordinates).
  TDeviceContext(cairo_surface_t* surface, TPoint origin, const TRect& bounds);
  // A memory context: draws into the bitmap selected into it (a 1 x 1 monochrome one at first).
  TDeviceContext();
  ~TDeviceContext();
  TDeviceContext(const TDeviceContext&) = delete;
  TDeviceContext& operator=(const TDeviceContext&) = delete;

  TKind Kind() const { return FKind; }
  TDcState& State() { return FState; }
  const TDcState& State() const { return FState; }
  int Save();
  bool Restore(int which);

  cairo_surface_t* Surface();
  // The surface as 32-bit words, for pixel work; call PixelsChanged after writing.
  uint32_t* Pixels(int& stride, int& width, int& height);
  void PixelsChanged();
  // Where device (0, 0) lies in the surface.
  TPoint SurfaceOrigin() const { return FKind == TKind::Memory ? TPoint{} : FOrigin; }
  // The paintable part of the context, device coordinates.
  TRect DeviceBounds() const;
  // The visible part: bounds within the visible and clip regions, device coordinates. Kept until
  // one of them or the selected bitmap changes.
  const TRegionData& VisibleRegion() const;
  // The clip region (device coordinates), or none for null; changes go through these so that the
  // visible part is worked out again.
  void SetClip(const TRegionData* clip);
  void OffsetClip(int32_t dx, int32_t dy);
  void SelectBitmap(TGdiBitmap* bitmap);
  // Limits painting to a region of device space besides the clip region (a window's visible part).
  void SetVisibleRegion(const TRegionData& region);
  // Whether a 1-bit bitmap is selected (copies into it keep only black and white).
  bool IsMonochrome() const;

  TPoint ToDevice(TPoint logical) const;
  TPoint ToLogical(TPoint device) const;
  TRect ToDevice(const TRect& logical) const;
  TRect ToLogical(const TRect& device) const;

  // A cairo context on the surface, clipped to the visible region, in logical coordinates and
  // without antialiasing; End() after drawing.
  cairo_t* Begin();
  void End();
  // Paints a shape: `paint` fills or strokes on the cairo context it is given, whose source is
  // already the colour. With a raster operation other than copy the shape is painted into a
  // coverage mask and the operation applied to each covered pixel.
  void PaintShape(COLORREF color, int rop2, const std::function<void(cairo_t*)>& paint);
  // Same for a shape filled with a brush (solid, hatched or pattern) under the context's ROP2.
  void PaintWithBrush(TGdiBrush* brush, const std::function<void(cairo_t*)>& path);

  void SetLog(TDrawingLog* log) { FLog = log; }
  bool Logging() const { return FLog != nullptr; }
  // Records a call with the current colours and clip (nothing is built unless a log is attached).
  void Log(const char* name, std::initializer_list<int32_t> args, uint32_t flags = 0,
           std::u16string_view text = {}) {
    if (FLog != nullptr) Record(name, std::vector<int32_t>(args), flags, text);
  }
  void Log(const char* name, const std::vector<int32_t>& args, uint32_t flags = 0, std::u16string_view text = {}) {
    if (FLog != nullptr) Record(name, args, flags, text);
  }

 private:
  void Record(const char* name, std::vector<int32_t> args, uint32_t flags, std::u16string_view text);
  void ApplyClipAndTransform(cairo_t* cr, TPoint shift) const;
  cairo_t* Cairo();

  TKind FKind;
  cairo_surface_t* FSurface = nullptr;  // surface contexts: referenced
  TPoint FOrigin;
  TRect FBounds;
  bool FHasVisible = false;
  TRegionData FVisible;
  mutable bool FVisibleKnown = false;
  mutable TRegionData FVisibleCache;
  TDcState FState;
  std::vector<TDcState> FSaved;
  cairo_t* FCairo = nullptr;
  cairo_surface_t* FCairoTarget = nullptr;
  int FBeginDepth = 0;
  TDrawingLog* FLog = nullptr;
};

// Whether the 8 x 8 pattern of a hatch style (HS_*) covers (x, y), counted from the brush origin.
bool HatchCovers(int style, int x, int y);
// The handle behind a stock object index.
HGDIOBJ StockObject(int index);
// The monochrome 1 x 1 bitmap of new memory contexts.
TGdiBitmap* DefaultBitmap();
