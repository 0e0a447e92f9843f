// Where the mini-HTML layout puts its output: text runs, fills, pictures, embedded controls, the
// focus frame and thin lines. The layout decides where; the surface decides how. The grid's
// surface draws on a canvas (TCanvasHtmlSurface); another back end (the smooth panel draws
// through GDI+) derives its own and hands it to RenderHtml.
#pragma once

#include <string_view>
#include <vector>

#include "controls/html/AsgHTMLE.h"
#include "controls/html/PictureContainer.h"
#include "platform/gdi/Canvas.h"
#include "platform/gdi/ImgList.h"

namespace AsgHtml {

enum class TControlKind { Edit, Password, Combo, Check, Radio, Button };

// One embedded control as the layout placed it.
struct TControlLook {
  TControlKind Kind = TControlKind::Edit;
  int X = 0;
  int Bottom = 0;       // the run bottom the control stands on
  int Width = 0;
  int LineHeight = 0;   // the height the control takes in its line
  int Height = 25;      // the HEIGHT attribute
  String Value;         // shown text (already masked for a password)
  bool Checked = false;
  bool Hot = false;     // the point is over it
  bool Down = false;    // and the mouse button is down
};

class THtmlSurface {
 public:
  virtual ~THtmlSurface() = default;
  // The working font: the tags change it, runs are measured and drawn in it.
  virtual TFont* Font() = 0;
  // Device pixels for 96 logical ones, for the sizes of pictures.
  virtual double PixelScale() { return 1.0; }
  // What the text looks like while the blink phase is off, unless the markup says white.
  virtual TColor Background() { return clWhite; }
  // The size of a run in the working font with the given text flags.
  virtual TSize Measure(std::u16string_view text, uint32_t flags) = 0;
  // A run drawn in the rectangle in the colour, on the background unless it is clNone.
  virtual void Run(const TRect& rect, std::u16string_view text, uint32_t flags, TColor color,
                   TColor background) = 0;
  virtual void Fill(const TRect& rect, TColor color) = 0;
  virtual void Ellipse(const TRect& rect, TColor color) = 0;
  virtual void Line(const std::vector<TPoint>& points, TColor color) = 0;
  virtual void ListPicture(TCustomImageList* images, int index, const TRect& rect,
                           bool stretch) = 0;
  // A system icon found by DrawSystemIcon's rule at the point, scaled when stretch is set.
  virtual void SystemIcon(const String& name, bool large, TPoint at, bool stretch,
                          double scale) = 0;
  // Pictures of the HTML picture container; a surface without them ignores these.
  virtual void Picture(::PictureContainer::THTMLPicture*, const TRect&, bool) {}
  virtual void TiledPicture(::PictureContainer::THTMLPicture*, const TRect&, TSize) {}
  // Pictures the surface itself knows by name: a handle from 0 and the size, or -1.
  virtual int FindNamedPicture(const String&, TSize&) { return -1; }
  virtual void NamedPicture(int, const TRect&, bool) {}
  virtual void Control(const TControlLook&) {}
  virtual void Focus(const TRect&) {}
};

// The grid's surface: GDI on a canvas. It sets the canvas up for transparent text and gives the
// pen, brush and font back as it found them when it goes.
class TCanvasHtmlSurface : public THtmlSurface {
 public:
  explicit TCanvasHtmlSurface(TCanvas* canvas);
  ~TCanvasHtmlSurface() override;
  TCanvas* Canvas() const { return FCanvas; }
  TFont* Font() override { return FCanvas->Font(); }
  double PixelScale() override;
  TColor Background() override { return FBackground; }
  // Prefix processing is on unless the flags say DT_NOPREFIX.
  TSize Measure(std::u16string_view text, uint32_t flags) override;
  void Run(const TRect& rect, std::u16string_view text, uint32_t flags, TColor color,
           TColor background) override;
  void Fill(const TRect& rect, TColor color) override;
  void Ellipse(const TRect& rect, TColor color) override;
  void Line(const std::vector<TPoint>& points, TColor color) override;
  void ListPicture(TCustomImageList* images, int index, const TRect& rect, bool stretch) override;
  void SystemIcon(const String& name, bool large, TPoint at, bool stretch, double scale) override;
  void Picture(::PictureContainer::THTMLPicture* picture, const TRect& rect,
               bool stretch) override;
  void TiledPicture(::PictureContainer::THTMLPicture* picture, const TRect& area,
                    TSize tile) override;
  void Control(const TControlLook& look) override;
  void Focus(const TRect& rect) override;

 private:
  TCanvas* FCanvas;
  TColor FPenColor;
  int FPenWidth;
  TColor FBrushColor;
  TBrushStyle FBrushStyle;
  TColor FBackground;
};

// RenderHtmlText on any surface.
bool RenderHtml(THtmlSurface& surface, const String& html, const TRect& rect,
                const THtmlRenderOptions& options, THtmlRenderResult& result);

}  // namespace AsgHtml
