// Where the mini-HTML layout puts its output: text runs, fills, pictures, embedded controls, the
// focus frame and thin lines. The layout decides where; the surface decides how, so another
// drawing back end can take the same layout.
#pragma once

#include <string_view>
#include <vector>

#include "controls/grid/PictureContainer.h"
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
  explicit THtmlSurface(TCanvas* canvas) : FCanvas(canvas) {}
  TCanvas* Canvas() const { return FCanvas; }
  // The size of a run in the canvas font with the given text flags (prefix processing on).
  TSize Measure(std::u16string_view text, uint32_t flags);
  // A run drawn in the rectangle (bottom-aligned by the flags) in the colour, on the background
  // unless it is clNone.
  void Run(const TRect& rect, std::u16string_view text, uint32_t flags, TColor color,
           TColor background);
  void Fill(const TRect& rect, TColor color);
  void Picture(::PictureContainer::THTMLPicture* picture, const TRect& rect, bool stretch);
  void ListPicture(TCustomImageList* images, int index, const TRect& rect, bool stretch);
  void Control(const TControlLook& look);
  void Focus(const TRect& rect);
  void Line(const std::vector<TPoint>& points, TColor color);

 private:
  TCanvas* FCanvas;
};

}  // namespace AsgHtml
