// A canvas over a recording context: every drawing call is kept in a log for order and geometry,
// and the raster behind it can be read back for pixel samples.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/gdi/Canvas.h"
#include "platform/gdi/DrawingLog.h"
#include "platform/gdi/Gdi.h"

namespace drawtest {

class TRecordingCanvas {
 public:
  explicit TRecordingCanvas(int width = 200, int height = 120)
      : FDc(CreateRecordingDC(width, height, &Log)) {
    Canvas.SetHandle(FDc);
  }
  ~TRecordingCanvas() {
    Canvas.SetHandle(nullptr);
    DeleteDC(FDc);
  }
  TRecordingCanvas(const TRecordingCanvas&) = delete;
  TRecordingCanvas& operator=(const TRecordingCanvas&) = delete;

  std::vector<TDrawingCall> Named(const std::string& name) const { return Log.Named(name); }
  // The call names, without the selection of tools.
  std::vector<std::string> Names() const { return Log.Names(); }
  COLORREF Pixel(int x, int y) { return GetPixel(FDc, x, y); }
  HDC Dc() const { return FDc; }

  TDrawingLog Log;
  TCanvas Canvas;

 private:
  HDC FDc;
};

inline std::vector<int32_t> Points(std::initializer_list<TPoint> points) {
  std::vector<int32_t> args;
  for (TPoint p : points) {
    args.push_back(p.X);
    args.push_back(p.Y);
  }
  return args;
}

}  // namespace drawtest
