// Helpers of the mini-HTML tests: a canvas over a recording context, the text runs and other
// calls it received, and small picture files made in memory.
#pragma once

#include <string>
#include <vector>

#include "controls/html/AsgHTMLE.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DrawingLog.h"
#include "platform/gdi/Gdi.h"
#include "platform/rtl/UnicodeText.h"
#include "platform/win/Shell.h"

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

namespace htmltest {

// A PNG file of one colour.
inline TBytes PngOf(int width, int height, uint32_t argb = 0xFF2080C0) {
  TRasterImage image;
  image.Resize(width, height, argb);
  return EncodePngFile(image);
}

// Puts a picture of the size into the container under the name.
inline ::PictureContainer::THTMLPicture* AddPicture(::PictureContainer::TPictureContainer& box,
                                                    const String& name, int width, int height) {
  ::PictureContainer::TPictureItem* item = box.Items()->Add();
  item->SetName(name);
  TBytesStream stream(PngOf(width, height));
  item->Picture()->LoadFromStream(&stream);
  return item->Picture();
}

// A 2 x 2 GIF of two 1 x 1 frames: red at (0, 0), then blue at (1, 1). The second frame's
// image data carries, after its end code, the very bytes of a graphic control extension and an
// image descriptor, which a reader scanning bytes would count as a third frame.
inline TBytes TwoFrameGif() {
  return TBytes{
      'G', 'I', 'F', '8', '9', 'a', 2, 0, 2, 0, 0x80, 0, 0,  // screen, two global colours
      0xFF, 0, 0, 0, 0, 0xFF,                                 // red, blue
      0x21, 0xF9, 4, 0, 10, 0, 0, 0,                          // frame 1
      0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 0x01, 0,
      0x21, 0xF9, 4, 0, 10, 0, 0, 0,  // frame 2
      0x2C, 1, 0, 1, 0, 1, 0, 1, 0, 0, 2, 11, 0x4C, 0x01,
      0x21, 0xF9, 4, 0, 10, 0, 0, 0, 0x2C, 0,  // inside the image data
      0x3B};
}

}  // namespace htmltest
