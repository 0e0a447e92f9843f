// Fonts as the drawing layer sees them: a logical font resolved to an installed face, its metrics,
// measured advance widths and the drawing of single lines. Faces are shared by every font handle
// with the same logical font and live for the process, so widths are measured once per face.
// Used from the thread that paints.
#pragma once

#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/gdi/GdiStructs.h"
#include "platform/rtl/Types.h"

typedef struct _cairo cairo_t;
typedef struct _PangoLayout PangoLayout;
typedef struct _PangoFontDescription PangoFontDescription;
typedef struct _PangoFont PangoFont;
typedef struct _PangoContext PangoContext;

// The installed family that stands in for a family name: the common Windows UI, serif and
// monospaced faces map to the DejaVu families; an installed family with Cyrillic coverage is
// taken as it is; anything else falls back to the default sans face.
String ResolveFontFamily(std::u16string_view name);
// Whether a family of that name can be had: a known alias or an installed family.
bool FontFamilyExists(std::u16string_view name);
// The font names a program can choose from (the screen's fonts): the known aliases and the
// installed families with Cyrillic coverage, sorted, each once.
std::vector<String> ScreenFontNames();

class TFontFace {
 public:
  // emPixels, when above 0, gives the em size exactly and the logical font's height is not used.
  explicit TFontFace(const LOGFONTW& font, double emPixels = 0);
  ~TFontFace();
  TFontFace(const TFontFace&) = delete;
  TFontFace& operator=(const TFontFace&) = delete;

  const TEXTMETRICW& Metrics() const { return FMetrics; }
  PangoFontDescription* Description() const { return FDescription; }
  const String& Family() const { return FFamily; }
  double EmPixels() const { return FEmPixels; }
  bool Underline() const { return FUnderline; }
  bool StrikeOut() const { return FStrikeOut; }
  int Escapement() const { return FEscapement; }

  // Advance width of one line of text (no line breaks, no prefix processing), in pixels.
  int TextWidth(std::u16string_view text);
  // Advance widths of each UTF-16 unit of the text (the second unit of a pair gets 0).
  void CharWidths(std::u16string_view text, std::vector<int>& out);
  // Draws one line of text with its baseline at (x, baseline) in the cairo context's current source.
  // Text of simple scripts whose characters the face has is drawn from cached glyphs; anything
  // else is shaped by pango.
  void DrawLine(cairo_t* cr, double x, double baseline, std::u16string_view text, bool rtl = false);
  // The same through pango in every case.
  void DrawLineShaped(cairo_t* cr, double x, double baseline, std::u16string_view text, bool rtl);

 private:
  bool DrawLineFromGlyphs(cairo_t* cr, double x, double baseline, std::u16string_view text);
  uint32_t GlyphOf(char32_t cp);
  int MeasureWithLayout(std::u16string_view text);
  int CodePointWidth(char32_t cp);
  PangoLayout* Layout();

  String FFamily;
  double FEmPixels = 0;
  bool FUnderline = false;
  bool FStrikeOut = false;
  int FEscapement = 0;
  TEXTMETRICW FMetrics;
  PangoFontDescription* FDescription = nullptr;
  PangoLayout* FLayout = nullptr;
  std::vector<int16_t> FLowWidths;  // widths of U+0000..U+04FF, -1 until measured
  std::unordered_map<char32_t, int> FOtherWidths;
  // The primary font and its glyph indices (0: missing, kUnknownGlyph: not looked up yet).
  PangoFont* FFont = nullptr;
  std::vector<uint32_t> FLowGlyphs;
  std::unordered_map<char32_t, uint32_t> FOtherGlyphs;

};

// The context every layout of the drawing layer is made in: 96 pixels per inch, whole-pixel
// advances, grey antialiasing.
PangoContext* SharedPangoContext();

// The shared face of a logical font (with an exact em size when emPixels is above 0).
std::shared_ptr<TFontFace> AcquireFontFace(const LOGFONTW& font, double emPixels = 0);
