// Device contexts and their state.
#include <cairo.h>

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Gdi.h"

HDC CreateSurfaceDC(cairo_surface_t* surface, TPoint origin, const TRect& bounds) {
  if (surface == nullptr || cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE) return nullptr;
  return new TDeviceContext(surface, origin, bounds);
}

HDC CreateImageDC(int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  cairo_destroy(cr);
  HDC dc = new TDeviceContext(surface, {}, {0, 0, width, height});
  cairo_surface_destroy(surface);
  return dc;
}

HDC CreateRecordingDC(int width, int height, TDrawingLog* log) {
  HDC dc = CreateImageDC(width, height);
  dc->SetLog(log);
  return dc;
}

HDC CreateCompatibleDC(HDC) { return new TDeviceContext(); }

bool DeleteDC(HDC dc) {
  if (dc == nullptr) return false;
  delete dc;
  return true;
}

void SetDrawingLog(HDC dc, TDrawingLog* log) {
  if (dc != nullptr) dc->SetLog(log);
}

cairo_surface_t* GetDCSurface(HDC dc) { return dc == nullptr ? nullptr : dc->Surface(); }

bool GetDCOrgEx(HDC dc, TPoint* origin) {
  if (dc == nullptr || origin == nullptr) return false;
  *origin = dc->SurfaceOrigin();
  return true;
}

void SetDCVisibleRegion(HDC dc, const TRegionData& region) {
  if (dc != nullptr) dc->SetVisibleRegion(region);
}

int GetDeviceCaps(HDC dc, int index) {
  switch (index) {
    case LOGPIXELSX:
    case LOGPIXELSY: return 96;
    case BITSPIXEL: return dc != nullptr && dc->IsMonochrome() ? 1 : 32;
    case PLANES: return 1;
    case NUMCOLORS: return -1;
    case HORZRES: return dc == nullptr ? 0 : dc->DeviceBounds().Width();
    case VERTRES: return dc == nullptr ? 0 : dc->DeviceBounds().Height();
  }
  return 0;
}

int SaveDC(HDC dc) { return dc == nullptr ? 0 : dc->Save(); }

bool RestoreDC(HDC dc, int savedDC) { return dc != nullptr && dc->Restore(savedDC); }

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
  if (dc == nullptr || object == nullptr) return nullptr;
  TDcState& s = dc->State();
  HGDIOBJ old = nullptr;
  switch (object->Type) {
    case OBJ_PEN:
      old = s.Pen.get();
      s.Pen = TGdiRef<TGdiPen>(static_cast<TGdiPen*>(object));
      break;
    case OBJ_BRUSH:
      old = s.Brush.get();
      s.Brush = TGdiRef<TGdiBrush>(static_cast<TGdiBrush*>(object));
      break;
    case OBJ_FONT:
      old = s.Font.get();
      s.Font = TGdiRef<TGdiFont>(static_cast<TGdiFont*>(object));
      break;
    case OBJ_BITMAP:
      if (dc->Kind() != TDeviceContext::TKind::Memory) return nullptr;
      old = s.Bitmap.get();
      dc->SelectBitmap(static_cast<TGdiBitmap*>(object));
      break;
    case OBJ_REGION: {
      // Selecting a region selects a copy of it as the clip region.
      int result = SelectClipRgn(dc, static_cast<HRGN>(object));
      return reinterpret_cast<HGDIOBJ>(static_cast<intptr_t>(result));
    }
    default: return nullptr;
  }
  return old;
}

HGDIOBJ GetCurrentObject(HDC dc, int objectType) {
  if (dc == nullptr) return nullptr;
  const TDcState& s = dc->State();
  switch (objectType) {
    case OBJ_PEN: return s.Pen.get();
    case OBJ_BRUSH: return s.Brush.get();
    case OBJ_FONT: return s.Font.get();
    case OBJ_BITMAP: return s.Bitmap.get();
  }
  return nullptr;
}

namespace {

template <class T>
T Exchange(T& field, T value) {
  T old = field;
  field = value;
  return old;
}

}  // namespace

COLORREF SetTextColor(HDC dc, COLORREF color) {
  return dc == nullptr ? CLR_INVALID : Exchange(dc->State().TextColor, color & 0xFFFFFF);
}
COLORREF GetTextColor(HDC dc) { return dc == nullptr ? CLR_INVALID : dc->State().TextColor; }
COLORREF SetBkColor(HDC dc, COLORREF color) {
  return dc == nullptr ? CLR_INVALID : Exchange(dc->State().BkColor, color & 0xFFFFFF);
}
COLORREF GetBkColor(HDC dc) { return dc == nullptr ? CLR_INVALID : dc->State().BkColor; }
int SetBkMode(HDC dc, int mode) {
  if (dc == nullptr || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
  return Exchange(dc->State().BkMode, mode);
}
int GetBkMode(HDC dc) { return dc == nullptr ? 0 : dc->State().BkMode; }
int SetROP2(HDC dc, int mode) {
  if (dc == nullptr || mode < R2_BLACK || mode > R2_WHITE) return 0;
  return Exchange(dc->State().Rop2, mode);
}
int GetROP2(HDC dc) { return dc == nullptr ? 0 : dc->State().Rop2; }
uint32_t SetTextAlign(HDC dc, uint32_t align) {
  return dc == nullptr ? 0xFFFFFFFF : Exchange(dc->State().TextAlign, align);
}
uint32_t GetTextAlign(HDC dc) { return dc == nullptr ? 0xFFFFFFFF : dc->State().TextAlign; }
int SetStretchBltMode(HDC dc, int mode) {
  return dc == nullptr ? 0 : Exchange(dc->State().StretchMode, mode);
}
int GetStretchBltMode(HDC dc) { return dc == nullptr ? 0 : dc->State().StretchMode; }
int SetPolyFillMode(HDC dc, int mode) {
  if (dc == nullptr || (mode != ALTERNATE && mode != WINDING)) return 0;
  return Exchange(dc->State().PolyFillMode, mode);
}
int GetPolyFillMode(HDC dc) { return dc == nullptr ? 0 : dc->State().PolyFillMode; }
int SetTextCharacterExtra(HDC dc, int extra) {
  return dc == nullptr ? 0x80000000 : Exchange(dc->State().TextCharExtra, extra);
}

namespace {

bool SetOrigin(TPoint& field, int x, int y, TPoint* old) {
  if (old != nullptr) *old = field;
  field = {x, y};
  return true;
}

}  // namespace

bool SetWindowOrgEx(HDC dc, int x, int y, TPoint* old) {
  return dc != nullptr && SetOrigin(dc->State().WindowOrg, x, y, old);
}
bool GetWindowOrgEx(HDC dc, TPoint* origin) {
  if (dc == nullptr || origin == nullptr) return false;
  *origin = dc->State().WindowOrg;
  return true;
}
bool OffsetWindowOrgEx(HDC dc, int dx, int dy, TPoint* old) {
  if (dc == nullptr) return false;
  TPoint o = dc->State().WindowOrg;
  return SetOrigin(dc->State().WindowOrg, o.X + dx, o.Y + dy, old);
}
bool SetViewportOrgEx(HDC dc, int x, int y, TPoint* old) {
  return dc != nullptr && SetOrigin(dc->State().ViewportOrg, x, y, old);
}
bool GetViewportOrgEx(HDC dc, TPoint* origin) {
  if (dc == nullptr || origin == nullptr) return false;
  *origin = dc->State().ViewportOrg;
  return true;
}
bool OffsetViewportOrgEx(HDC dc, int dx, int dy, TPoint* old) {
  if (dc == nullptr) return false;
  TPoint o = dc->State().ViewportOrg;
  return SetOrigin(dc->State().ViewportOrg, o.X + dx, o.Y + dy, old);
}
bool SetBrushOrgEx(HDC dc, int x, int y, TPoint* old) {
  return dc != nullptr && SetOrigin(dc->State().BrushOrg, x, y, old);
}

bool LPtoDP(HDC dc, TPoint* points, int count) {
  if (dc == nullptr || (points == nullptr && count > 0)) return false;
  for (int i = 0; i < count; ++i) points[i] = dc->ToDevice(points[i]);
  return true;
}

bool DPtoLP(HDC dc, TPoint* points, int count) {
  if (dc == nullptr || (points == nullptr && count > 0)) return false;
  for (int i = 0; i < count; ++i) points[i] = dc->ToLogical(points[i]);
  return true;
}
