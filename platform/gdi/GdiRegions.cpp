// Regions and the clip region of device contexts.
#include <cairo.h>

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Gdi.h"

namespace {

HRGN NewRegion(TRegionData data) {
  auto* region = new TGdiRegion;
  region->Data = std::move(data);
  return region;
}

TRect Ordered(int left, int top, int right, int bottom) {
  return {std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
}

// The clip region a context has, or its whole device area when none is selected.
TRegionData CurrentClip(HDC dc) {
  if (dc->State().HasClip) return dc->State().Clip;
  return TRegionData::FromRect(dc->DeviceBounds());
}

int SetClip(HDC dc, const TRegionData& clip) {
  dc->SetClip(&clip);
  return dc->VisibleRegion().Complexity();
}

}  // namespace

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
  return NewRegion(TRegionData::FromRect(Ordered(left, top, right, bottom)));
}

HRGN CreateRectRgnIndirect(const TRect& rect) {
  return CreateRectRgn(rect.Left, rect.Top, rect.Right, rect.Bottom);
}

HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int width, int height) {
  return NewRegion(TRegionData::FromRoundRect(Ordered(left, top, right, bottom), std::abs(width),
                                              std::abs(height)));
}

HRGN CreateEllipticRgn(int left, int top, int right, int bottom) {
  return NewRegion(TRegionData::FromEllipse(Ordered(left, top, right, bottom)));
}

HRGN CreateEllipticRgnIndirect(const TRect& rect) {
  return CreateEllipticRgn(rect.Left, rect.Top, rect.Right, rect.Bottom);
}

HRGN CreatePolygonRgn(const TPoint* points, int count, int fillMode) {
  if (points == nullptr || count < 0) return nullptr;
  return NewRegion(TRegionData::FromPolygon(points, count, fillMode));
}

bool SetRectRgn(HRGN region, int left, int top, int right, int bottom) {
  if (region == nullptr) return false;
  region->Data = TRegionData::FromRect(Ordered(left, top, right, bottom));
  return true;
}

int CombineRgn(HRGN dest, HRGN a, HRGN b, int mode) {
  if (dest == nullptr || a == nullptr) return RGN_ERROR;
  if (mode == RGN_COPY) {
    dest->Data = a->Data;
    return dest->Data.Complexity();
  }
  if (b == nullptr) return RGN_ERROR;
  TRegionData::TOp op;
  switch (mode) {
    case RGN_AND: op = TRegionData::TOp::And; break;
    case RGN_OR: op = TRegionData::TOp::Or; break;
    case RGN_XOR: op = TRegionData::TOp::Xor; break;
    case RGN_DIFF: op = TRegionData::TOp::Diff; break;
    default: return RGN_ERROR;
  }
  dest->Data = TRegionData::Combine(a->Data, b->Data, op);
  return dest->Data.Complexity();
}

bool EqualRgn(HRGN a, HRGN b) { return a != nullptr && b != nullptr && a->Data == b->Data; }

int OffsetRgn(HRGN region, int dx, int dy) {
  if (region == nullptr) return RGN_ERROR;
  region->Data.Offset(dx, dy);
  return region->Data.Complexity();
}

int GetRgnBox(HRGN region, TRect* box) {
  if (region == nullptr || box == nullptr) return RGN_ERROR;
  *box = region->Data.Bounds();
  return region->Data.Complexity();
}

bool PtInRegion(HRGN region, int x, int y) { return region != nullptr && region->Data.Contains({x, y}); }

bool RectInRegion(HRGN region, const TRect& rect) {
  return region != nullptr && region->Data.IntersectsRect(rect);
}

const TRegionData* RegionData(HRGN region) { return region == nullptr ? nullptr : &region->Data; }

namespace {

// Region calls take device coordinates; the shape is drawn in logical ones.
void RegionPath(HDC dc, const TRegionData& region, cairo_t* cr) {
  for (const TRect& r : region.Rects()) {
    TRect l = dc->ToLogical(r);
    cairo_rectangle(cr, l.Left, l.Top, l.Width(), l.Height());
  }
}

}  // namespace

bool FillRgn(HDC dc, HRGN region, HBRUSH brush) {
  if (dc == nullptr || region == nullptr || brush == nullptr) return false;
  TRect box = region->Data.Bounds();
  dc->Log("FillRgn", {box.Left, box.Top, box.Right, box.Bottom});
  dc->PaintWithBrush(brush, [&](cairo_t* cr) { RegionPath(dc, region->Data, cr); });
  return true;
}

bool PaintRgn(HDC dc, HRGN region) {
  return dc != nullptr && FillRgn(dc, region, dc->State().Brush.get());
}

bool FrameRgn(HDC dc, HRGN region, HBRUSH brush, int width, int height) {
  if (dc == nullptr || region == nullptr || brush == nullptr) return false;
  // The frame is the region less the region shrunk by the frame's width and height.
  TRegionData inner = region->Data;
  for (int dx : {-width, width}) {
    TRegionData moved = region->Data;
    moved.Offset(dx, 0);
    inner = TRegionData::Combine(inner, moved, TRegionData::TOp::And);
  }
  for (int dy : {-height, height}) {
    TRegionData moved = region->Data;
    moved.Offset(0, dy);
    inner = TRegionData::Combine(inner, moved, TRegionData::TOp::And);
  }
  TRegionData frame = TRegionData::Combine(region->Data, inner, TRegionData::TOp::Diff);
  dc->PaintWithBrush(brush, [&](cairo_t* cr) { RegionPath(dc, frame, cr); });
  return true;
}

bool InvertRgn(HDC dc, HRGN region) {
  if (dc == nullptr || region == nullptr) return false;
  dc->PaintShape(0xFFFFFF, R2_XORPEN, [&](cairo_t* cr) {
    RegionPath(dc, region->Data, cr);
    cairo_fill(cr);
  });
  return true;
}

int SelectClipRgn(HDC dc, HRGN region) {
  if (dc == nullptr) return RGN_ERROR;
  if (region == nullptr) {
    dc->SetClip(nullptr);
    return dc->VisibleRegion().Complexity();
  }
  return SetClip(dc, region->Data);
}

int ExtSelectClipRgn(HDC dc, HRGN region, int mode) {
  if (dc == nullptr) return RGN_ERROR;
  if (mode == RGN_COPY || (region == nullptr && mode == RGN_COPY)) return SelectClipRgn(dc, region);
  if (region == nullptr) return RGN_ERROR;
  TRegionData::TOp op;
  switch (mode) {
    case RGN_AND: op = TRegionData::TOp::And; break;
    case RGN_OR: op = TRegionData::TOp::Or; break;
    case RGN_XOR: op = TRegionData::TOp::Xor; break;
    case RGN_DIFF: op = TRegionData::TOp::Diff; break;
    default: return RGN_ERROR;
  }
  return SetClip(dc, TRegionData::Combine(CurrentClip(dc), region->Data, op));
}

int IntersectClipRect(HDC dc, int left, int top, int right, int bottom) {
  if (dc == nullptr) return RGN_ERROR;
  TRect device = dc->ToDevice(Ordered(left, top, right, bottom));
  dc->Log("IntersectClipRect", {left, top, right, bottom});
  return SetClip(dc, TRegionData::Combine(CurrentClip(dc), TRegionData::FromRect(device),
                                          TRegionData::TOp::And));
}

int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom) {
  if (dc == nullptr) return RGN_ERROR;
  TRect device = dc->ToDevice(Ordered(left, top, right, bottom));
  dc->Log("ExcludeClipRect", {left, top, right, bottom});
  return SetClip(dc, TRegionData::Combine(CurrentClip(dc), TRegionData::FromRect(device),
                                          TRegionData::TOp::Diff));
}

int OffsetClipRgn(HDC dc, int dx, int dy) {
  if (dc == nullptr) return RGN_ERROR;
  dc->OffsetClip(dx, dy);
  return dc->VisibleRegion().Complexity();
}

int GetClipBox(HDC dc, TRect* box) {
  if (dc == nullptr || box == nullptr) return RGN_ERROR;
  TRegionData visible = dc->VisibleRegion();
  *box = dc->ToLogical(visible.Bounds());
  return visible.Complexity();
}

int GetClipRgn(HDC dc, HRGN region) {
  if (dc == nullptr || region == nullptr) return -1;
  if (!dc->State().HasClip) return 0;
  region->Data = dc->State().Clip;
  return 1;
}

bool PtVisible(HDC dc, int x, int y) {
  return dc != nullptr && dc->VisibleRegion().Contains(dc->ToDevice(TPoint{x, y}));
}

bool RectVisible(HDC dc, const TRect& rect) {
  return dc != nullptr && dc->VisibleRegion().IntersectsRect(dc->ToDevice(rect));
}
