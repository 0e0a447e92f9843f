// The graphics wrapper: drawing, clipping and the state the call log reports with each call.
#include <algorithm>

#include "controls/graphics/AdvGDIP.h"
#include "controls/graphics/AdvGDIP_Log.h"

TGPGraphics::TGPGraphics(HDC dc) { SetStatus(GdipCreateFromHDC(dc, &FNative)); }

TGPGraphics::TGPGraphics(TGPImage* image) {
  if (image == nullptr) return;
  SetStatus(GdipGetImageGraphicsContext(image->NativeHandle(), &FNative));
}

TGPGraphics::~TGPGraphics() {
  if (FNative != nullptr) GdipDeleteGraphics(FNative);
}

TGPCall TGPGraphics::NewCall(const char* name, GpStatus status, std::initializer_list<float> args,
                             const TGPBrush* brush, const TGPPen* pen,
                             const TGPGraphicsPath* path) {
  TGPCall call = gplog::NewCall(name, status, args);
  if (brush != nullptr) call.Brush = brush->Info();
  if (pen != nullptr) call.Pen = pen->Info();
  if (path != nullptr) gplog::SetPath(call, gplog::NativeOf(path));
  call.Clipped = FClipped;
  call.ClipBounds = FClipBounds;
  GpSmoothingMode smoothing;
  if (GdipGetSmoothingMode(FNative, &smoothing) == Ok) call.SmoothingMode = smoothing;
  GpTextRenderingHint hint;
  if (GdipGetTextRenderingHint(FNative, &hint) == Ok) call.TextHint = hint;
  return call;
}

GpStatus TGPGraphics::Log(const char* name, GpStatus status, std::initializer_list<float> args,
                          const TGPBrush* brush, const TGPPen* pen, const TGPGraphicsPath* path) {
  SetStatus(status);
  if (TGPCallLog* log = ActiveGPCallLog()) log->Add(NewCall(name, status, args, brush, pen, path));
  return status;
}

GpStatus TGPGraphics::Clear(ARGB color) {
  return Log("GdipGraphicsClear", GdipGraphicsClear(FNative, color), {float(color)});
}

GpStatus TGPGraphics::GetHDC(HDC& dc) { return Log("GdipGetDC", GdipGetDC(FNative, &dc), {}); }

GpStatus TGPGraphics::ReleaseHDC(HDC dc) {
  return Log("GdipReleaseDC", GdipReleaseDC(FNative, dc), {});
}

GpStatus TGPGraphics::SetTextRenderingHint(GpTextRenderingHint hint) {
  return Log("GdipSetTextRenderingHint", GdipSetTextRenderingHint(FNative, hint), {float(hint)});
}

int TGPGraphics::GetSmoothingMode() {
  GpSmoothingMode mode = SmoothingModeInvalid;
  if (SetStatus(GdipGetSmoothingMode(FNative, &mode)) != Ok) return -1;
  return mode;
}

GpStatus TGPGraphics::SetSmoothingMode(GpSmoothingMode mode) {
  return Log("GdipSetSmoothingMode", GdipSetSmoothingMode(FNative, mode), {float(mode)});
}

GpStatus TGPGraphics::DrawPath(TGPPen* pen, TGPGraphicsPath* path) {
  return Log("GdipDrawPath", GdipDrawPath(FNative, gplog::NativeOf(pen), gplog::NativeOf(path)), {},
             nullptr, pen, path);
}

GpStatus TGPGraphics::FillPath(TGPBrush* brush, TGPGraphicsPath* path) {
  return Log("GdipFillPath", GdipFillPath(FNative, gplog::NativeOf(brush), gplog::NativeOf(path)),
             {}, brush, nullptr, path);
}

GpStatus TGPGraphics::FillRectangle(TGPBrush* brush, float x, float y, float width, float height) {
  return Log("GdipFillRectangle",
             GdipFillRectangle(FNative, gplog::NativeOf(brush), x, y, width, height),
             {x, y, width, height}, brush);
}

GpStatus TGPGraphics::FillRectangle(TGPBrush* brush, const TGPFloatRect& r) {
  return FillRectangle(brush, r.X, r.Y, r.Width, r.Height);
}

GpStatus TGPGraphics::DrawRectangle(TGPPen* pen, float x, float y, float width, float height) {
  return Log("GdipDrawRectangle",
             GdipDrawRectangle(FNative, gplog::NativeOf(pen), x, y, width, height),
             {x, y, width, height}, nullptr, pen);
}

GpStatus TGPGraphics::DrawRectangle(TGPPen* pen, const TGPFloatRect& r) {
  return DrawRectangle(pen, r.X, r.Y, r.Width, r.Height);
}

GpStatus TGPGraphics::DrawLine(TGPPen* pen, float x1, float y1, float x2, float y2) {
  return Log("GdipDrawLine", GdipDrawLine(FNative, gplog::NativeOf(pen), x1, y1, x2, y2),
             {x1, y1, x2, y2}, nullptr, pen);
}

GpStatus TGPGraphics::DrawEllipse(TGPPen* pen, float x, float y, float width, float height) {
  return Log("GdipDrawEllipse", GdipDrawEllipse(FNative, gplog::NativeOf(pen), x, y, width, height),
             {x, y, width, height}, nullptr, pen);
}

GpStatus TGPGraphics::FillEllipse(TGPBrush* brush, float x, float y, float width, float height) {
  return Log("GdipFillEllipse",
             GdipFillEllipse(FNative, gplog::NativeOf(brush), x, y, width, height),
             {x, y, width, height}, brush);
}

GpStatus TGPGraphics::FillEllipseI(TGPBrush* brush, int x, int y, int width, int height) {
  return Log("GdipFillEllipseI",
             GdipFillEllipseI(FNative, gplog::NativeOf(brush), x, y, width, height),
             {float(x), float(y), float(width), float(height)}, brush);
}

GpStatus TGPGraphics::DrawImage(TGPImage* image, int x, int y) {
  return Log("GdipDrawImageI", GdipDrawImageI(FNative, gplog::NativeOf(image), x, y),
             {float(x), float(y)});
}

GpStatus TGPGraphics::DrawImageStretched(TGPImage* image, int x, int y, int width, int height) {
  GpImage* native = gplog::NativeOf(image);
  return Log("GdipDrawImageRect", GdipDrawImageRect(FNative, native, x, y, width, height),
             {float(x), float(y), float(width), float(height)});
}

GpStatus TGPGraphics::DrawImageRect(TGPImage* image, const TGPFloatRect& d, float srcX, float srcY,
                                    float srcWidth, float srcHeight, GpUnit srcUnit,
                                    TGPImageAttributes* attributes) {
  GpImage* native = gplog::NativeOf(image);
  GpImageAttributes* attrs = gplog::NativeOf(attributes);
  return Log("GdipDrawImageRectRect",
             GdipDrawImageRectRect(FNative, native, d.X, d.Y, d.Width, d.Height, srcX, srcY,
                                   srcWidth, srcHeight, srcUnit, attrs, nullptr, nullptr),
             {d.X, d.Y, d.Width, d.Height, srcX, srcY, srcWidth, srcHeight});
}

GpStatus TGPGraphics::SetClip(TGPRegion* region, GpCombineMode mode) {
  GpStatus status = GdipSetClipRegion(FNative, gplog::NativeOf(region), mode);
  if (status == Ok) {
    const TGPFloatRect& r = region->Bounds();
    if (mode == CombineModeIntersect && FClipped) {
      float left = std::max(FClipBounds.X, r.X), top = std::max(FClipBounds.Y, r.Y);
      float right = std::min(FClipBounds.X + FClipBounds.Width, r.X + r.Width);
      float bottom = std::min(FClipBounds.Y + FClipBounds.Height, r.Y + r.Height);
      FClipBounds = {left, top, std::max(0.0f, right - left), std::max(0.0f, bottom - top)};
    } else {
      FClipBounds = r;
    }
    FClipped = true;
  }
  TGPFloatRect r = region != nullptr ? region->Bounds() : TGPFloatRect{};
  return Log("GdipSetClipRegion", status, {r.X, r.Y, r.Width, r.Height, float(mode)});
}

GpStatus TGPGraphics::ResetClip() {
  GpStatus status = GdipResetClip(FNative);
  if (status == Ok) FClipped = false;
  return Log("GdipResetClip", status, {});
}
