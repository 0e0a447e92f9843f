// Helpers of the mini-HTML tests: a canvas over a recording context, the text runs and other
// calls it received, and small picture files made in memory.
#pragma once

#include <string>
#include <vector>

#include "controls/grid/AsgHTMLE.h"
#include "platform/gdi/DrawingLog.h"
#include "platform/gdi/Gdi.h"
#include "platform/rtl/UnicodeText.h"

namespace htmltest {

class TRecordingCanvas {
 public:
  explicit TRecordingCanvas(int width = 400, int height = 300)
      : FDc(CreateRecordingDC(width, height, &Log)) {
    Canvas.SetHandle(FDc);
  }
  ~TRecordingCanvas() {
    Canvas.SetHandle(nullptr);
    DeleteDC(FDc);
  }
  TRecordingCanvas(const TRecordingCanvas&) = delete;
  TRecordingCanvas& operator=(const TRecordingCanvas&) = delete;

  // The runs drawn (measuring calls left out).
  std::vector<TDrawingCall> Runs() const {
    std::vector<TDrawingCall> runs;
    for (const TDrawingCall& c : Log.Named("DrawText")) {
      if ((c.Flags & DT_CALCRECT) == 0) runs.push_back(c);
    }
    return runs;
  }
  // The first run drawn with exactly this text; fails the test when there is none.
  TDrawingCall Run(const String& text) const {
    for (const TDrawingCall& c : Runs()) {
      if (c.Text == text) return c;
    }
    ADD_FAILURE() << "no run " << UTF8Encode(text) << "\n" << Log.Dump();
    return TDrawingCall{};
  }
  String RunTexts() const {
    String all;
    for (const TDrawingCall& c : Runs()) all += c.Text;
    return all;
  }

  TDrawingLog Log;
  TCanvas Canvas;

 private:
  HDC FDc;
};

// Renders with the options into the rectangle; the result is returned and kept.
struct TRender {
  THtmlRenderResult Result;
  bool Hit = false;
  TRender(TCanvas* canvas, const String& html, const TRect& rect,
          const THtmlRenderOptions& options = THtmlRenderOptions()) {
    Hit = RenderHtmlText(canvas, html, rect, options, Result);
  }
};

inline THtmlRenderOptions MeasureOnly() {
  THtmlRenderOptions o;
  o.MeasureOnly = true;
  return o;
}

inline THtmlRenderOptions HitAt(int x, int y) {
  THtmlRenderOptions o;
  o.HitTest = true;
  o.XPos = x;
  o.YPos = y;
  return o;
}

}  // namespace htmltest
