// TCanvas: drawing on a device context with a font, a pen and a brush that select themselves into
// it when a drawing operation needs them. A canvas without a context asks CreateHandle for one;
// the base has none to give and raises "Canvas does not allow drawing".
#pragma once

#include <memory>
#include <vector>

#include "platform/gdi/GraphicsObjects.h"

class TGraphic;
class TBitmap;

using TCopyMode = uint32_t;
constexpr TCopyMode cmBlackness = BLACKNESS;
constexpr TCopyMode cmDstInvert = DSTINVERT;
constexpr TCopyMode cmMergeCopy = MERGECOPY;
constexpr TCopyMode cmMergePaint = MERGEPAINT;
constexpr TCopyMode cmNotSrcCopy = NOTSRCCOPY;
constexpr TCopyMode cmNotSrcErase = NOTSRCERASE;
constexpr TCopyMode cmPatCopy = PATCOPY;
constexpr TCopyMode cmPatInvert = PATINVERT;
constexpr TCopyMode cmPatPaint = PATPAINT;
constexpr TCopyMode cmSrcAnd = SRCAND;
constexpr TCopyMode cmSrcCopy = SRCCOPY;
constexpr TCopyMode cmSrcErase = SRCERASE;
constexpr TCopyMode cmSrcInvert = SRCINVERT;
constexpr TCopyMode cmSrcPaint = SRCPAINT;
constexpr TCopyMode cmWhiteness = WHITENESS;

enum TFillStyle { fsSurface, fsBorder };

enum TTextFormats {
  tfBottom,
  tfCalcRect,
  tfCenter,
  tfEditControl,
  tfEndEllipsis,
  tfPathEllipsis,
  tfExpandTabs,
  tfExternalLeading,
  tfLeft,
  tfModifyString,
  tfNoClip,
  tfNoPrefix,
  tfRight,
  tfRtlReading,
  tfSingleLine,
  tfTop,
  tfVerticalCenter,
  tfWordBreak,
  tfHidePrefix,
  tfNoFullWidthCharBreak,
  tfPrefixOnly,
  tfWordEllipsis
};
using TTextFormat = TSet<TTextFormats, 32>;
// The DrawText flags of a text format.
uint32_t TextFormatFlags(TTextFormat format);

DECLARE_EXCEPTION(EInvalidGraphicOperation, Exception)

class TCanvas : public TPersistent {
 public:
  TCanvas();
  ~TCanvas() override;

  HDC Handle();
  // Attaches the canvas to a context (or detaches it, for null); the canvas does not own it.
  void SetHandle(HDC value);
  bool HandleAllocated() const { return FHandle != nullptr; }

  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* value) { FFont->Assign(value); }
  TPen* Pen() const { return FPen.get(); }
  void SetPen(TPen* value) { FPen->Assign(value); }
  TBrush* Brush() const { return FBrush.get(); }
  void SetBrush(TBrush* value) { FBrush->Assign(value); }
  TCopyMode CopyMode() const { return FCopyMode; }
  void SetCopyMode(TCopyMode value) { FCopyMode = value; }
  TPoint PenPos();
  void SetPenPos(TPoint value) { MoveTo(value.X, value.Y); }
  TColor Pixels(int x, int y);
  void SetPixels(int x, int y, TColor color);
  // The visible part of the canvas.
  TRect ClipRect();
  // ExtTextOut options added to every TextOut and TextRect.
  uint32_t TextFlags = 0;
  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

  void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
  void Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
  void Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
  void Ellipse(int x1, int y1, int x2, int y2);
  void Ellipse(const TRect& rect) { Ellipse(rect.Left, rect.Top, rect.Right, rect.Bottom); }
  void Rectangle(int x1, int y1, int x2, int y2);
  void Rectangle(const TRect& rect) { Rectangle(rect.Left, rect.Top, rect.Right, rect.Bottom); }
  void RoundRect(int x1, int y1, int x2, int y2, int x3, int y3);
  void RoundRect(const TRect& rect, int cx, int cy) { RoundRect(rect.Left, rect.Top, rect.Right, rect.Bottom, cx, cy); }
  void Polygon(const std::vector<TPoint>& points);
  void Polyline(const std::vector<TPoint>& points);
  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  void FillRect(const TRect& rect);
  void FrameRect(const TRect& rect);
  void DrawFocusRect(const TRect& rect);
  void FloodFill(int x, int y, TColor color, TFillStyle style);

  // Text at (x, y); the pen moves to the end of it.
  void TextOut(int x, int y, const String& text);
  // Text at (x, y) clipped to the rectangle, which the brush fills unless it is clear.
  void TextRect(const TRect& rect, int x, int y, const String& text);
  // Text formatted in the rectangle; with tfCalcRect only measured, the rectangle updated.
  void TextRect(TRect& rect, const String& text, TTextFormat format);
  TSize TextExtent(const String& text);
  int TextWidth(const String& text) { return TextExtent(text).cx; }
  int TextHeight(const String& text) { return TextExtent(text).cy; }

  // Draws a graphic at its own size at (x, y), with its transparency.
  void Draw(int x, int y, TGraphic* graphic);
  // Draws a graphic scaled into the rectangle.
  void StretchDraw(const TRect& rect, TGraphic* graphic);
  // Copies part of another canvas with the copy mode, scaled to the destination.
  void CopyRect(const TRect& dest, TCanvas* canvas, const TRect& source);
  // Copies part of a bitmap with the pixels of one colour replaced by the brush.
  void BrushCopy(const TRect& dest, TBitmap* bitmap, const TRect& source, TColor color);
  void Refresh();

  // Kept for callers that bracket drawing from other threads; painting is single-threaded here.
  void Lock() { ++FLockCount; }
  void Unlock() { --FLockCount; }
  int LockCount() const { return FLockCount; }

 protected:
  // Gives the canvas a context when it has none; the base has none to give.
  virtual void CreateHandle() {}
  // Called before and after every drawing operation: fire OnChanging and OnChange.
  virtual void Changing();
  virtual void Changed();
  enum TState { stFont = 1, stPen = 2, stBrush = 4 };
  // Makes sure the context exists and the named tools are selected into it.
  void RequiredState(int state);
  // Selects the stock objects back into the context and forgets what was selected.
  void DeselectHandles();

 private:
  HDC FHandle = nullptr;
  int FState = 0;
  std::unique_ptr<TFont> FFont;
  std::unique_ptr<TPen> FPen;
  std::unique_ptr<TBrush> FBrush;
  TCopyMode FCopyMode = cmSrcCopy;
  int FLockCount = 0;
};
