// Text through GDI+: measuring and drawing strings, and the bridge from class-library fonts.
#include <memory>

#include "controls/graphics/AdvGDIP.h"
#include "controls/graphics/AdvGDIP_Log.h"
#include "platform/gdi/GdiConst.h"
#include "platform/rtl/RtlMath.h"
#include "platform/rtl/UnicodeText.h"

GpStatus TGPGraphics::LogText(const char* name, GpStatus status, const String& text, TGPFont* font,
                              const TGPFloatRect& layout, const TGPBrush* brush) {
  SetStatus(status);
  TGPCallLog* log = ActiveGPCallLog();
  if (log == nullptr) return status;
  TGPCall call = NewCall(name, status, {layout.X, layout.Y, layout.Width, layout.Height}, brush);
  call.Text = text;
  if (GpFont* native = gplog::NativeOf(font)) {
    call.FontFamily = native->Family;
    call.FontSize = native->Size;
    call.FontStyle = native->Style;
  }
  log->Add(std::move(call));
  return status;
}

GpStatus TGPGraphics::MeasureString(const String& text, int length, TGPFont* font,
                                    const TGPFloatRect& layout, TGPStringFormat* format,
                                    TGPFloatRect& bounds, int* codepointsFitted, int* linesFilled) {
  int32_t fitted = 0, lines = 0;
  GpStatus status = GdipMeasureString(FNative, text.c_str(), length, gplog::NativeOf(font), &layout,
                                      gplog::NativeOf(format), &bounds, &fitted, &lines);
  if (codepointsFitted != nullptr) *codepointsFitted = fitted;
  if (linesFilled != nullptr) *linesFilled = lines;
  return LogText("GdipMeasureString", status, text, font, layout, nullptr);
}

GpStatus TGPGraphics::MeasureString(const String& text, int length, TGPFont* font,
                                    const TGPFloatRect& layout, TGPFloatRect& bounds) {
  return MeasureString(text, length, font, layout, nullptr, bounds);
}

// The text goes to GDI+ whole: the length is not consulted. The round trip through the ANSI code
// page is the identity here, as that page is UTF-8.
GpStatus TGPGraphics::DrawStringAt(const char* name, const String& text, TGPFont* font,
                                   const TGPFloatRect& layout, TGPStringFormat* format,
                                   TGPBrush* brush) {
  GpStatus status = GdipDrawString(FNative, text.c_str(), -1, gplog::NativeOf(font), &layout,
                                   gplog::NativeOf(format), gplog::NativeOf(brush));
  return LogText(name, status, text, font, layout, brush);
}

GpStatus TGPGraphics::DrawString(const AnsiString& text, int, TGPFont* font,
                                 const TGPFloatRect& layout, TGPStringFormat* format,
                                 TGPBrush* brush) {
  return DrawStringAt("GdipDrawString", AnsiToString(text), font, layout, format, brush);
}

GpStatus TGPGraphics::DrawWideString(const String& text, int, TGPFont* font,
                                     const TGPFloatRect& layout, TGPStringFormat* format,
                                     TGPBrush* brush) {
  return DrawStringAt("GdipDrawString", text, font, layout, format, brush);
}

GpStatus TGPGraphics::DrawWideString(const String& text, int length, TGPFont* font,
                                     const TGPFloatPoint& origin, TGPBrush* brush) {
  return DrawWideString(text, length, font, origin, nullptr, brush);
}

GpStatus TGPGraphics::DrawWideString(const String& text, int, TGPFont* font,
                                     const TGPFloatPoint& origin, TGPStringFormat* format,
                                     TGPBrush* brush) {
  return DrawStringAt("GdipDrawString", text, font, {origin.X, origin.Y, 0, 0}, format, brush);
}

TGPFont* TGPGraphics::MakeFont(TFont* font) {
  int style = 0;
  TFontStyles styles = font->Style();
  if (styles.Contains(fsBold)) style |= FontStyleBold;
  if (styles.Contains(fsItalic)) style |= FontStyleItalic;
  if (styles.Contains(fsUnderline)) style |= FontStyleUnderline;
  if (styles.Contains(fsStrikeOut)) style |= FontStyleStrikeout;
  float size = static_cast<float>(font->Size());
  auto family = std::make_unique<TGPFontFamily>(font->Name());
  GpStatus status = family->GetLastStatus();
  if (status != FontFamilyNotFound && status != FontStyleNotFound) {
    auto made = std::make_unique<TGPFont>(family.get(), size, style, UnitPoint);
    status = made->GetLastStatus();
    if (status != FontFamilyNotFound && status != FontStyleNotFound) return made.release();
  }
  family = std::make_unique<TGPFontFamily>(u"Arial");
  return new TGPFont(family.get(), size, style, UnitPoint);
}

int TGPGraphics::TextHeight(const String& text, TFont* font) {
  std::unique_ptr<TGPFont, TObjectFree> gpFont(MakeFont(font));
  TGPFloatRect bounds;
  MeasureString(text, static_cast<int>(text.size()), gpFont.get(), MakeRectF(0, 0, 10000, 10000),
                bounds);
  return static_cast<int>(Round(bounds.Height));
}

// Measuring (DT_CALCRECT, or a background to fill) uses a margin that grows with the font size,
// and measures a trailing blank as the letter i, whose width GDI+ would otherwise drop.
int TGPGraphics::DrawText(const String& text, int length, TRect& rect, TFont* font, uint32_t flags,
                          TColor background) {
  std::unique_ptr<TGPFont, TObjectFree> gpFont(MakeFont(font));
  bool measuring = (flags & DT_CALCRECT) != 0 || background != clNone;
  if (measuring) {
    float margin = 2;
    if (font->Size() > 8) margin += static_cast<float>(Round((font->Size() - 8) / 1.5));
    String measured = text;
    if (measured.size() > 1 && measured.back() == u' ') measured.back() = u'i';
    TGPFloatRect layout =
        MakeRectF(rect.Left, rect.Top, rect.Right - rect.Left + 1000, rect.Bottom - rect.Top);
    TGPFloatRect bounds;
    MeasureString(measured, static_cast<int>(measured.size()), gpFont.get(), layout, bounds);
    rect.Right = rect.Left + static_cast<int>(Round(bounds.Width - margin));
    rect.Bottom = rect.Top + static_cast<int>(Round(bounds.Height));
    if (background != clNone) {
      TGPSolidBrush fill(ColorToARGB(background));
      FillRectangle(&fill, rect.Left + 1, rect.Top, bounds.Width - margin + 1, bounds.Height);
    }
  }
  if ((flags & DT_CALCRECT) == 0) {
    TGPSolidBrush brush(ColorToARGB(font->Color()));
    DrawWideString(text, length, gpFont.get(), MakePointF(rect.Left, rect.Top), &brush);
  }
  return rect.Bottom - rect.Top;
}
