#include "platform/gdi/GraphicsObjects.h"

#include "platform/gdi/Bitmap.h"
#include "platform/rtl/RtlMath.h"

void TGraphicsObject::Changed() {
  if (OnChange) OnChange(this);
}

// --- TFont -------------------------------------------------------------------------------------

TFont::TFont() = default;

TFont::~TFont() { FreeHandle(); }

void TFont::FreeHandle() {
  if (FHandle != nullptr) DeleteObject(FHandle);
  FHandle = nullptr;
}

void TFont::Change(const TFontData& data) {
  if (data == FLog) return;
  FLog = data;
  FreeHandle();
  Changed();
}

void TFont::Assign(TPersistent* source) {
  if (auto* font = dynamic_cast<TFont*>(source)) {
    bool same = font->FLog == FLog && font->FColor == FColor;
    FPixelsPerInch = font->FPixelsPerInch;
    if (same) return;
    FLog = font->FLog;
    FColor = font->FColor;
    FreeHandle();
    Changed();
    return;
  }
  TGraphicsObject::Assign(source);
}

void TFont::SetName(const String& value) {
  if (value.empty()) return;
  TFontData data = FLog;
  data.Name = value;
  Change(data);
}

int TFont::Size() const { return -MulDiv(FLog.Height, 72, FPixelsPerInch); }

void TFont::SetSize(int value) { SetHeight(-MulDiv(value, FPixelsPerInch, 72)); }

void TFont::SetHeight(int value) {
  TFontData data = FLog;
  data.Height = value;
  Change(data);
}

void TFont::SetColor(TColor value) {
  if (value == FColor) return;
  FColor = value;
  Changed();
}

void TFont::SetStyle(TFontStyles value) {
  TFontData data = FLog;
  data.Style = value;
  Change(data);
}

void TFont::SetCharset(TFontCharset value) {
  TFontData data = FLog;
  data.Charset = value;
  Change(data);
}

void TFont::SetPitch(TFontPitch value) {
  TFontData data = FLog;
  data.Pitch = value;
  Change(data);
}

void TFont::SetOrientation(int value) {
  TFontData data = FLog;
  data.Orientation = value;
  Change(data);
}

void TFont::SetQuality(TFontQuality value) {
  TFontData data = FLog;
  data.Quality = value;
  Change(data);
}

HFONT TFont::Handle() {
  if (FHandle != nullptr) return FHandle;
  LOGFONTW log;
  log.lfHeight = FLog.Height;
  log.lfEscapement = FLog.Orientation;
  log.lfOrientation = FLog.Orientation;
  log.lfWeight = FLog.Style.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
  log.lfItalic = FLog.Style.Contains(fsItalic);
  log.lfUnderline = FLog.Style.Contains(fsUnderline);
  log.lfStrikeOut = FLog.Style.Contains(fsStrikeOut);
  log.lfCharSet = FLog.Charset;
  log.lfQuality = static_cast<uint8_t>(FLog.Quality);
  log.lfPitchAndFamily = FLog.Pitch == fpFixed ? FIXED_PITCH : FLog.Pitch == fpVariable ? VARIABLE_PITCH
                                                                                         : DEFAULT_PITCH;
  String name = FLog.Name.substr(0, LF_FACESIZE - 1);
  std::copy(name.begin(), name.end(), log.lfFaceName);
  FHandle = CreateFontIndirect(&log);
  return FHandle;
}

void TFont::SetHandle(HFONT font) {
  LOGFONTW log;
  if (font == nullptr || GetObject(font, sizeof log, &log) == 0) return;
  TFontData data;
  data.Name = log.lfFaceName;
  data.Height = log.lfHeight;
  data.Orientation = log.lfEscapement;
  if (log.lfWeight >= FW_SEMIBOLD) data.Style << fsBold;
  if (log.lfItalic) data.Style << fsItalic;
  if (log.lfUnderline) data.Style << fsUnderline;
  if (log.lfStrikeOut) data.Style << fsStrikeOut;
  data.Charset = log.lfCharSet;
  data.Pitch = (log.lfPitchAndFamily & 3) == FIXED_PITCH      ? fpFixed
               : (log.lfPitchAndFamily & 3) == VARIABLE_PITCH ? fpVariable
                                                              : fpDefault;
  data.Quality = static_cast<TFontQuality>(std::min<int>(log.lfQuality, fqClearTypeNatural));
  Change(data);
}

// --- TPen --------------------------------------------------------------------------------------

int PenModeToRop2(TPenMode mode) {
  static constexpr int kRop2[] = {R2_BLACK,       R2_WHITE,       R2_NOP,        R2_NOT,
                                  R2_COPYPEN,     R2_NOTCOPYPEN,  R2_MERGEPENNOT, R2_MASKPENNOT,
                                  R2_MERGENOTPEN, R2_MASKNOTPEN,  R2_MERGEPEN,   R2_NOTMERGEPEN,
                                  R2_MASKPEN,     R2_NOTMASKPEN,  R2_XORPEN,     R2_NOTXORPEN};
  return kRop2[mode];
}

TPen::~TPen() { FreeHandle(); }

void TPen::FreeHandle() {
  if (FHandle != nullptr) DeleteObject(FHandle);
  FHandle = nullptr;
}

void TPen::Assign(TPersistent* source) {
  if (auto* pen = dynamic_cast<TPen*>(source)) {
    if (pen->FColor == FColor && pen->FWidth == FWidth && pen->FStyle == FStyle && pen->FMode == FMode) {
      return;
    }
    FColor = pen->FColor;
    FWidth = pen->FWidth;
    FStyle = pen->FStyle;
    FMode = pen->FMode;
    FreeHandle();
    Changed();
    return;
  }
  TGraphicsObject::Assign(source);
}

void TPen::SetColor(TColor value) {
  if (value == FColor) return;
  FColor = value;
  FreeHandle();
  Changed();
}

void TPen::SetWidth(int value) {
  if (value < 0 || value == FWidth) return;
  FWidth = value;
  FreeHandle();
  Changed();
}

void TPen::SetStyle(TPenStyle value) {
  if (value == FStyle) return;
  FStyle = value;
  FreeHandle();
  Changed();
}

void TPen::SetMode(TPenMode value) {
  if (value == FMode) return;
  FMode = value;
  Changed();
}

HPEN TPen::Handle() {
  if (FHandle != nullptr) return FHandle;
  static constexpr uint32_t kStyles[] = {PS_SOLID,      PS_DASH,      PS_DOT,       PS_DASHDOT,  PS_DASHDOTDOT,
                                         PS_NULL,       PS_INSIDEFRAME, PS_USERSTYLE, PS_ALTERNATE};
  uint32_t style = kStyles[FStyle];
  if (style == PS_ALTERNATE || style == PS_USERSTYLE) {
    LOGBRUSH brush{BS_SOLID, ColorToRGB(FColor), 0};
    static constexpr uint32_t kDots[] = {1, 1};
    FHandle = ExtCreatePen(PS_COSMETIC | (style == PS_USERSTYLE ? PS_USERSTYLE : PS_ALTERNATE), 1, &brush,
                           style == PS_USERSTYLE ? 2 : 0, style == PS_USERSTYLE ? kDots : nullptr);
  } else {
    FHandle = CreatePen(static_cast<int>(style), FWidth, ColorToRGB(FColor));
  }
  return FHandle;
}

// --- TBrush ------------------------------------------------------------------------------------

TBrush::~TBrush() { FreeHandle(); }

void TBrush::FreeHandle() {
  if (FHandle != nullptr) DeleteObject(FHandle);
  FHandle = nullptr;
}

void TBrush::Assign(TPersistent* source) {
  if (auto* brush = dynamic_cast<TBrush*>(source)) {
    if (brush->FColor == FColor && brush->FStyle == FStyle && brush->FBitmap == FBitmap) return;
    FColor = brush->FColor;
    FStyle = brush->FStyle;
    FBitmap = brush->FBitmap;
    FreeHandle();
    Changed();
    return;
  }
  TGraphicsObject::Assign(source);
}

void TBrush::SetColor(TColor value) {
  if (value == FColor && FStyle != bsClear) return;
  FColor = value;
  if (FStyle == bsClear) FStyle = bsSolid;
  FreeHandle();
  Changed();
}

void TBrush::SetStyle(TBrushStyle value) {
  if (value == FStyle) return;
  FStyle = value;
  FreeHandle();
  Changed();
}

void TBrush::SetBitmap(TBitmap* value) {
  if (value == FBitmap) return;
  FBitmap = value;
  FreeHandle();
  Changed();
}

HBRUSH TBrush::Handle() {
  if (FHandle != nullptr) return FHandle;
  if (FBitmap != nullptr && !FBitmap->Empty()) {
    FHandle = CreatePatternBrush(FBitmap->Handle());
  } else if (FStyle == bsClear) {
    LOGBRUSH clear{BS_NULL, 0, 0};
    FHandle = CreateBrushIndirect(&clear);
  } else if (FStyle == bsSolid) {
    FHandle = CreateSolidBrush(ColorToRGB(FColor));
  } else {
    FHandle = CreateHatchBrush(FStyle - bsHorizontal + HS_HORIZONTAL, ColorToRGB(FColor));
  }
  return FHandle;
}
