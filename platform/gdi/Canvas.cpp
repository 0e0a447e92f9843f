#include "platform/gdi/Canvas.h"

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Graphic.h"

uint32_t TextFormatFlags(TTextFormat format) {
  struct TPair {
    TTextFormats Format;
    uint32_t Flag;
  };
  static constexpr TPair kFlags[] = {
      {tfBottom, DT_BOTTOM},           {tfCalcRect, DT_CALCRECT},       {tfCenter, DT_CENTER},
      {tfEditControl, DT_EDITCONTROL}, {tfEndEllipsis, DT_END_ELLIPSIS}, {tfPathEllipsis, DT_PATH_ELLIPSIS},
      {tfExpandTabs, DT_EXPANDTABS},   {tfExternalLeading, DT_EXTERNALLEADING}, {tfLeft, DT_LEFT},
      {tfModifyString, DT_MODIFYSTRING}, {tfNoClip, DT_NOCLIP},         {tfNoPrefix, DT_NOPREFIX},
      {tfRight, DT_RIGHT},             {tfRtlReading, DT_RTLREADING},   {tfSingleLine, DT_SINGLELINE},
      {tfTop, DT_TOP},                 {tfVerticalCenter, DT_VCENTER},  {tfWordBreak, DT_WORDBREAK},
      {tfHidePrefix, DT_HIDEPREFIX},   {tfNoFullWidthCharBreak, DT_NOFULLWIDTHCHARBREAK},
      {tfPrefixOnly, DT_PREFIXONLY},   {tfWordEllipsis, DT_WORD_ELLIPSIS},
  };
  uint32_t flags = 0;
  for (const TPair& pair : kFlags) {
    if (format.Contains(pair.Format)) flags |= pair.Flag;
  }
  return flags;
}

TCanvas::TCanvas()
    : FFont(std::make_unique<TFont>()), FPen(std::make_unique<TPen>()), FBrush(std::make_unique<TBrush>()) {
  // A tool that changes is selected again before the next drawing.
  FFont->OnChange = [this](TObject*) { FState &= ~stFont; };
  FPen->OnChange = [this](TObject*) { FState &= ~stPen; };
  FBrush->OnChange = [this](TObject*) { FState &= ~stBrush; };
}

TCanvas::~TCanvas() { SetHandle(nullptr); }

HDC TCanvas::Handle() {
  // Whoever takes the raw handle draws with the canvas's font, pen and brush through the GDI
  // calls, so all three are selected first (a label's DrawText kept the stock font otherwise).
  RequiredState(stFont | stPen | stBrush);
  return FHandle;
}

void TCanvas::SetHandle(HDC value) {
  if (value == FHandle) return;
  if (FHandle != nullptr) DeselectHandles();
  FHandle = value;
  FState = 0;
}

void TCanvas::DeselectHandles() {
  if (FHandle == nullptr) return;
  SelectObject(FHandle, GetStockObject(BLACK_PEN));
  SelectObject(FHandle, GetStockObject(HOLLOW_BRUSH));
  SelectObject(FHandle, GetStockObject(SYSTEM_FONT));
  FState = 0;
}

void TCanvas::RequiredState(int state) {
  if (FHandle == nullptr) {
    CreateHandle();
    if (FHandle == nullptr) throw EInvalidOperation(u"Canvas does not allow drawing");
  }
  int missing = state & ~FState;
  if (missing & stFont) {
    SelectObject(FHandle, FFont->Handle());
    SetTextColor(FHandle, ColorToRGB(FFont->Color()));
  }
  if (missing & stPen) {
    SelectObject(FHandle, FPen->Handle());
    SetROP2(FHandle, PenModeToRop2(FPen->Mode()));
  }
  if (missing & stBrush) {
    SelectObject(FHandle, FBrush->Handle());
    SetBkColor(FHandle, ColorToRGB(FBrush->Color()));
    SetBkMode(FHandle, FBrush->Style() == bsSolid ? OPAQUE : TRANSPARENT);
  }
  FState |= state;
}

void TCanvas::Changing() {
  if (OnChanging) OnChanging(this);
}

void TCanvas::Changed() {
  if (OnChange) OnChange(this);
}

TPoint TCanvas::PenPos() {
  RequiredState(0);
  TPoint p;
  GetCurrentPositionEx(FHandle, &p);
  return p;
}

TColor TCanvas::Pixels(int x, int y) {
  RequiredState(0);
  return static_cast<TColor>(GetPixel(FHandle, x, y));
}

void TCanvas::SetPixels(int x, int y, TColor color) {
  Changing();
  RequiredState(stPen | stBrush);
  SetPixel(FHandle, x, y, ColorToRGB(color));
  Changed();
}

TRect TCanvas::ClipRect() {
  RequiredState(0);
  TRect r;
  GetClipBox(FHandle, &r);
  return r;
}

void TCanvas::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  Changing();
  RequiredState(stPen | stBrush);
  ::Arc(FHandle, x1, y1, x2, y2, x3, y3, x4, y4);
  Changed();
}

void TCanvas::Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  Changing();
  RequiredState(stPen | stBrush);
  ::Chord(FHandle, x1, y1, x2, y2, x3, y3, x4, y4);
  Changed();
}

void TCanvas::Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  Changing();
  RequiredState(stPen | stBrush);
  ::Pie(FHandle, x1, y1, x2, y2, x3, y3, x4, y4);
  Changed();
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2) {
  Changing();
  RequiredState(stPen | stBrush);
  ::Ellipse(FHandle, x1, y1, x2, y2);
  Changed();
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  Changing();
  RequiredState(stPen | stBrush);
  ::Rectangle(FHandle, x1, y1, x2, y2);
  Changed();
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) {
  Changing();
  RequiredState(stPen | stBrush);
  ::RoundRect(FHandle, x1, y1, x2, y2, x3, y3);
  Changed();
}

void TCanvas::Polygon(const std::vector<TPoint>& points) {
  Changing();
  RequiredState(stPen | stBrush);
  ::Polygon(FHandle, points.data(), static_cast<int>(points.size()));
  Changed();
}

void TCanvas::Polyline(const std::vector<TPoint>& points) {
  Changing();
  RequiredState(stPen | stBrush);
  ::Polyline(FHandle, points.data(), static_cast<int>(points.size()));
  Changed();
}

void TCanvas::MoveTo(int x, int y) {
  RequiredState(0);
  MoveToEx(FHandle, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y) {
  Changing();
  RequiredState(stPen | stBrush);
  ::LineTo(FHandle, x, y);
  Changed();
}

void TCanvas::FillRect(const TRect& rect) {
  Changing();
  RequiredState(stBrush);
  ::FillRect(FHandle, rect, FBrush->Handle());
  Changed();
}

void TCanvas::FrameRect(const TRect& rect) {
  Changing();
  RequiredState(stBrush);
  ::FrameRect(FHandle, rect, FBrush->Handle());
  Changed();
}

void TCanvas::DrawFocusRect(const TRect& rect) {
  Changing();
  RequiredState(stBrush);
  ::DrawFocusRect(FHandle, rect);
  Changed();
}

void TCanvas::FloodFill(int x, int y, TColor color, TFillStyle style) {
  Changing();
  RequiredState(stBrush);
  ExtFloodFill(FHandle, x, y, ColorToRGB(color), style == fsSurface ? FLOODFILLSURFACE : FLOODFILLBORDER);
  Changed();
}

void TCanvas::TextOut(int x, int y, const String& text) {
  Changing();
  RequiredState(stFont | stBrush);
  ExtTextOut(FHandle, x, y, TextFlags, nullptr, text, nullptr);
  MoveToEx(FHandle, x + TextWidth(text), y, nullptr);
  Changed();
}

void TCanvas::TextRect(const TRect& rect, int x, int y, const String& text) {
  Changing();
  RequiredState(stFont | stBrush);
  uint32_t options = ETO_CLIPPED | TextFlags;
  if (FBrush->Style() != bsClear) options |= ETO_OPAQUE;
  ExtTextOut(FHandle, x, y, options, &rect, text, nullptr);
  Changed();
}

void TCanvas::TextRect(TRect& rect, const String& text, TTextFormat format) {
  Changing();
  RequiredState(stFont | stBrush);
  if (FBrush->Style() == bsClear) SetBkMode(FHandle, TRANSPARENT);
  DrawText(FHandle, text, rect, TextFormatFlags(format));
  Changed();
}

TSize TCanvas::TextExtent(const String& text) {
  RequiredState(stFont);
  TSize size;
  GetTextExtentPoint32(FHandle, text, &size);
  return size;
}

void TCanvas::Draw(int x, int y, TGraphic* graphic) {
  if (graphic == nullptr || graphic->Empty()) return;
  Changing();
  RequiredState(0);
  graphic->Draw(this, Bounds(x, y, graphic->Width(), graphic->Height()));
  Changed();
}

void TCanvas::StretchDraw(const TRect& rect, TGraphic* graphic) {
  if (graphic == nullptr || graphic->Empty()) return;
  Changing();
  RequiredState(0);
  graphic->Draw(this, rect);
  Changed();
}

void TCanvas::CopyRect(const TRect& dest, TCanvas* canvas, const TRect& source) {
  if (canvas == nullptr) return;
  Changing();
  RequiredState(stBrush);
  HDC src = canvas->Handle();
  StretchBlt(FHandle, dest.Left, dest.Top, dest.Width(), dest.Height(), src, source.Left, source.Top,
             source.Width(), source.Height(), FCopyMode);
  Changed();
}

void TCanvas::BrushCopy(const TRect& dest, TBitmap* bitmap, const TRect& source, TColor color) {
  if (bitmap == nullptr || bitmap->Empty()) return;
  Changing();
  RequiredState(stBrush);
  ::FillRect(FHandle, dest, FBrush->Handle());
  HDC src = bitmap->Canvas()->Handle();
  TransparentBlt(FHandle, dest.Left, dest.Top, dest.Width(), dest.Height(), src, source.Left, source.Top,
                 source.Width(), source.Height(), ColorToRGB(color));
  Changed();
}

void TCanvas::Refresh() { DeselectHandles(); }
