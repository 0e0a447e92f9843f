#include "platform/gdi/FontFace.h"

#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>

#include <cmath>
#include <map>
#include <tuple>

#include "platform/gdi/GdiConst.h"
#include "platform/rtl/TextCompare.h"
#include "platform/rtl/UnicodeText.h"

namespace {

constexpr const char16_t* kDefaultSans = u"DejaVu Sans";
constexpr const char16_t* kDefaultMono = u"DejaVu Sans Mono";
constexpr const char16_t* kDefaultSerif = u"DejaVu Serif";

struct TAlias {
  const char16_t* Name;
  const char16_t* Family;
};
// Faces the controls and forms name, and the installed families that stand in for them.
constexpr TAlias kAliases[] = {
    {u"Tahoma", kDefaultSans},          {u"MS Sans Serif", kDefaultSans},
    {u"Microsoft Sans Serif", kDefaultSans}, {u"Segoe UI", kDefaultSans},
    {u"Arial", kDefaultSans},           {u"Verdana", kDefaultSans},
    {u"MS Shell Dlg", kDefaultSans},    {u"MS Shell Dlg 2", kDefaultSans},
    {u"System", kDefaultSans},          {u"Helvetica", kDefaultSans},
    {u"Calibri", kDefaultSans},         {u"Trebuchet MS", kDefaultSans},
    {u"Courier New", kDefaultMono},     {u"Courier", kDefaultMono},
    {u"FixedSys", kDefaultMono},        {u"Lucida Console", kDefaultMono},
    {u"Consolas", kDefaultMono},        {u"Terminal", kDefaultMono},
    {u"Times New Roman", kDefaultSerif}, {u"Times", kDefaultSerif},
    {u"Georgia", kDefaultSerif},        {u"Cambria", kDefaultSerif},
};

// An installed family of that name (any case) that covers Cyrillic; its own spelling, or empty.
String InstalledCyrillicFamily(std::u16string_view name) {
  AnsiString utf8 = UTF8Encode(name);
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(utf8.c_str()));
  FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_CHARSET, nullptr);
  FcFontSet* fonts = FcFontList(nullptr, pattern, objects);
  String found;
  for (int i = 0; fonts != nullptr && i < fonts->nfont && found.empty(); ++i) {
    FcCharSet* charset = nullptr;
    if (FcPatternGetCharSet(fonts->fonts[i], FC_CHARSET, 0, &charset) != FcResultMatch) continue;
    // Russian and Macedonian letters both.
    if (!FcCharSetHasChar(charset, 0x0416) || !FcCharSetHasChar(charset, 0x0459)) continue;
    FcChar8* family = nullptr;
    for (int k = 0; FcPatternGetString(fonts->fonts[i], FC_FAMILY, k, &family) == FcResultMatch; ++k) {
      String candidate = UTF8ToString(reinterpret_cast<const char*>(family));
      if (SameText(candidate, name)) {
        found = candidate;
        break;
      }
    }
  }
  if (fonts != nullptr) FcFontSetDestroy(fonts);
  FcObjectSetDestroy(objects);
  FcPatternDestroy(pattern);
  return found;
}

struct TFaceKey {
  String Face;
  int32_t Height, Width, Escapement, Weight;
  uint8_t Italic, Underline, StrikeOut, CharSet;
  int32_t EmQuarters;  // a fractional em size in 1/64 pixels, or 0
  auto Tie() const {
    return std::tie(Face, Height, Width, Escapement, Weight, Italic, Underline, StrikeOut, CharSet, EmQuarters);
  }
  bool operator<(const TFaceKey& o) const { return Tie() < o.Tie(); }
};

// The process's font machinery: one font map and context at 96 pixels per inch with whole-pixel
// advances, the family lookups and the shared faces.
class TFontSystem {
 public:
  static TFontSystem& Instance() {
    // Never destroyed: faces may be used by objects that outlive static destruction.
    static TFontSystem* system = new TFontSystem;
    return *system;
  }
  PangoFontMap* FontMap() const { return FFontMap; }
  PangoContext* Context() const { return FContext; }

  const String& Resolve(std::u16string_view name) {
    String key = LowerCase(name);
    auto it = FResolved.find(key);
    if (it != FResolved.end()) return it->second;
    String family;
    for (const TAlias& alias : kAliases) {
      if (SameText(alias.Name, name)) family = alias.Family;
    }
    if (family.empty() && !name.empty()) family = InstalledCyrillicFamily(name);
    if (family.empty()) family = kDefaultSans;
    return FResolved.emplace(key, family).first->second;
  }

  bool Exists(std::u16string_view name) {
    for (const TAlias& alias : kAliases) {
      if (SameText(alias.Name, name)) return true;
    }
    String key = LowerCase(name);
    auto it = FExists.find(key);
    if (it == FExists.end()) it = FExists.emplace(key, !InstalledCyrillicFamily(name).empty()).first;
    return it->second;
  }

  std::shared_ptr<TFontFace> Face(const LOGFONTW& font, double emPixels) {
    TFaceKey key{String(font.lfFaceName),
                 font.lfHeight,
                 font.lfWidth,
                 font.lfEscapement,
                 font.lfWeight,
                 font.lfItalic,
                 font.lfUnderline,
                 font.lfStrikeOut,
                 font.lfCharSet,
                 static_cast<int32_t>(std::lround(emPixels * 64))};
    auto it = FFaces.find(key);
    if (it != FFaces.end()) return it->second;
    if (FFaces.size() >= 512) Trim();
    auto face = std::make_shared<TFontFace>(font, emPixels);
    FFaces.emplace(key, face);
    return face;
  }

 private:
  TFontSystem() {
    FFontMap = pango_cairo_font_map_new();
    pango_cairo_font_map_set_resolution(PANGO_CAIRO_FONT_MAP(FFontMap), 96);
    FContext = pango_font_map_create_context(FFontMap);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    pango_cairo_context_set_font_options(FContext, options);
    cairo_font_options_destroy(options);
    pango_context_set_round_glyph_positions(FContext, TRUE);
    pango_context_set_language(FContext, pango_language_from_string("mk"));
  }
  ~TFontSystem() {
    FFaces.clear();
    g_object_unref(FContext);
    g_object_unref(FFontMap);
  }
  // Drops faces no font handle holds any more.
  void Trim() {
    for (auto it = FFaces.begin(); it != FFaces.end();) {
      it = it->second.use_count() == 1 ? FFaces.erase(it) : std::next(it);
    }
  }

  PangoFontMap* FFontMap = nullptr;
  PangoContext* FContext = nullptr;
  std::map<String, String> FResolved;
  std::map<String, bool> FExists;
  std::map<TFaceKey, std::shared_ptr<TFontFace>> FFaces;
};

bool IsCombining(char32_t cp) {
  return (cp >= 0x0300 && cp <= 0x036F) || (cp >= 0x0483 && cp <= 0x0489);
}

// Characters laid out one after another without shaping: their widths add up.
bool IsSimple(char32_t cp) {
  if (cp < 0x0590) return !IsCombining(cp);
  return (cp >= 0x2010 && cp <= 0x2027) || (cp >= 0x2030 && cp <= 0x205E) ||
         (cp >= 0x20A0 && cp <= 0x20CF) || (cp >= 0x2100 && cp <= 0x22FF) ||
         (cp >= 0x2500 && cp <= 0x25FF);
}

bool IsControl(char32_t cp) { return cp < 0x20 || cp == 0x7F; }

char32_t NextCodePoint(std::u16string_view text, size_t& i) {
  char16_t c = text[i++];
  if (c >= 0xD800 && c <= 0xDBFF && i < text.size() && text[i] >= 0xDC00 && text[i] <= 0xDFFF) {
    return 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text[i++] - 0xDC00);
  }
  return c;
}

// The text as UTF-8 without control characters, which draw nothing and take no room.
AnsiString DrawableUtf8(std::u16string_view text) {
  String clean;
  clean.reserve(text.size());
  for (char16_t c : text) {
    if (!IsControl(c)) clean += c;
  }
  return UTF8Encode(clean);
}

int PangoToPixels(int units) { return static_cast<int>(std::lround(units / double(PANGO_SCALE))); }

}  // namespace

// GCC says it builds with the address sanitizer by a macro, clang by a feature test.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define FONTFACE_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(FONTFACE_ADDRESS_SANITIZER)
// The font stack (fontconfig, cairo's font cache, pango's font sets) keeps patterns for the life of
// the process and never frees them; they are not ours to free, so the leak checker is told so.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\nleak:libpangoft2-1.0.so\n";
}
#endif

PangoContext* SharedPangoContext() { return TFontSystem::Instance().Context(); }

String ResolveFontFamily(std::u16string_view name) { return TFontSystem::Instance().Resolve(name); }

bool FontFamilyExists(std::u16string_view name) { return TFontSystem::Instance().Exists(name); }

std::vector<String> ScreenFontNames() {
  std::vector<String> names;
  for (const TAlias& alias : kAliases) names.push_back(alias.Name);
  FcPattern* pattern = FcPatternCreate();
  FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_CHARSET, nullptr);
  FcFontSet* fonts = FcFontList(nullptr, pattern, objects);
  for (int i = 0; fonts != nullptr && i < fonts->nfont; ++i) {
    FcCharSet* charset = nullptr;
    if (FcPatternGetCharSet(fonts->fonts[i], FC_CHARSET, 0, &charset) != FcResultMatch ||
        !FcCharSetHasChar(charset, 0x0416) || !FcCharSetHasChar(charset, 0x0459)) {
      continue;
    }
    FcChar8* family = nullptr;
    for (int k = 0; FcPatternGetString(fonts->fonts[i], FC_FAMILY, k, &family) == FcResultMatch; ++k) {
      names.push_back(UTF8ToString(reinterpret_cast<const char*>(family)));
    }
  }
  if (fonts != nullptr) FcFontSetDestroy(fonts);
  FcObjectSetDestroy(objects);
  FcPatternDestroy(pattern);
  std::sort(names.begin(), names.end(), [](const String& a, const String& b) { return CompareText(a, b) < 0; });
  names.erase(std::unique(names.begin(), names.end(), [](const String& a, const String& b) { return SameText(a, b); }),
              names.end());
  return names;
}

std::shared_ptr<TFontFace> AcquireFontFace(const LOGFONTW& font, double emPixels) {
  return TFontSystem::Instance().Face(font, emPixels > 0 ? emPixels : 0);
}

TFontFace::TFontFace(const LOGFONTW& font, double emPixels) : FLowWidths(0x500, -1) {
  TFontSystem& system = TFontSystem::Instance();
  String name(font.lfFaceName);
  FFamily = system.Resolve(name.empty() ? u"Tahoma" : name);
  FUnderline = font.lfUnderline != 0;
  FStrikeOut = font.lfStrikeOut != 0;
  FEscapement = font.lfEscapement;

  FDescription = pango_font_description_new();
  pango_font_description_set_family(FDescription, UTF8Encode(FFamily).c_str());
  int weight = font.lfWeight == FW_DONTCARE ? FW_NORMAL : std::clamp(font.lfWeight, 100, 1000);
  pango_font_description_set_weight(FDescription, static_cast<PangoWeight>(weight));
  pango_font_description_set_style(FDescription,
                                   font.lfItalic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);

  auto metricsAt = [&](double em, PangoFontMetrics*& metrics) {
    pango_font_description_set_absolute_size(FDescription, em * PANGO_SCALE);
    PangoFont* loaded = pango_font_map_load_font(system.FontMap(), system.Context(), FDescription);
    metrics = pango_font_get_metrics(loaded, pango_language_from_string("mk"));
    g_object_unref(loaded);
  };
  PangoFontMetrics* metrics = nullptr;
  if (emPixels > 0) {
    FEmPixels = emPixels;
  } else if (font.lfHeight < 0) {
    FEmPixels = -static_cast<double>(font.lfHeight);
  } else {
    // A cell height: scale the em so that ascent plus descent come to it.
    metricsAt(100, metrics);
    double cell = (pango_font_metrics_get_ascent(metrics) + pango_font_metrics_get_descent(metrics)) /
                  double(PANGO_SCALE);
    pango_font_metrics_unref(metrics);
    FEmPixels = (font.lfHeight == 0 ? 16 : font.lfHeight) * 100 / cell;
  }
  FEmPixels = std::clamp(FEmPixels, 1.0, 2000.0);
  metricsAt(FEmPixels, metrics);

  TEXTMETRICW& tm = FMetrics;
  tm.tmAscent = PANGO_PIXELS_CEIL(pango_font_metrics_get_ascent(metrics));
  tm.tmDescent = PANGO_PIXELS_CEIL(pango_font_metrics_get_descent(metrics));
  tm.tmHeight = tm.tmAscent + tm.tmDescent;
  tm.tmInternalLeading = std::max(0, tm.tmHeight - static_cast<int>(std::lround(FEmPixels)));
  int lineHeight = PangoToPixels(pango_font_metrics_get_height(metrics));
  tm.tmExternalLeading = std::max(0, lineHeight - tm.tmHeight);
  tm.tmAveCharWidth = std::max(1, PangoToPixels(pango_font_metrics_get_approximate_char_width(metrics)));
  pango_font_metrics_unref(metrics);
  tm.tmWeight = weight;
  tm.tmItalic = font.lfItalic ? 1 : 0;
  tm.tmUnderlined = FUnderline ? 1 : 0;
  tm.tmStruckOut = FStrikeOut ? 1 : 0;
  tm.tmCharSet = font.lfCharSet == DEFAULT_CHARSET ? ANSI_CHARSET : font.lfCharSet;
  bool mono = FFamily.find(u"Mono") != String::npos;
  constexpr uint8_t kSwiss = 0x20, kModern = 0x30;
  tm.tmPitchAndFamily = TMPF_TRUETYPE | TMPF_VECTOR | (mono ? kModern : (TMPF_FIXED_PITCH | kSwiss));
  tm.tmMaxCharWidth = std::max({CodePointWidth(U'W'), CodePointWidth(U'M'), CodePointWidth(U'Ш'),
                                CodePointWidth(U'Щ'), CodePointWidth(U'Ж')});
}

TFontFace::~TFontFace() {
  if (FFont != nullptr) g_object_unref(FFont);
  if (FLayout != nullptr) g_object_unref(FLayout);
  pango_font_description_free(FDescription);
}

PangoLayout* TFontFace::Layout() {
  if (FLayout != nullptr) return FLayout;
  FLayout = pango_layout_new(TFontSystem::Instance().Context());
  pango_layout_set_font_description(FLayout, FDescription);
  pango_layout_set_single_paragraph_mode(FLayout, TRUE);
  PangoAttrList* attrs = pango_attr_list_new();
  // Advances add up as the widths measured one character at a time, and each character takes its
  // face's nominal glyph, as the cached glyph path draws it.
  pango_attr_list_insert(attrs, pango_attr_font_features_new("-kern,-liga,-clig,-locl"));
  if (FUnderline) pango_attr_list_insert(attrs, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
  if (FStrikeOut) pango_attr_list_insert(attrs, pango_attr_strikethrough_new(TRUE));
  pango_layout_set_attributes(FLayout, attrs);
  pango_attr_list_unref(attrs);
  return FLayout;
}

int TFontFace::MeasureWithLayout(std::u16string_view text) {
  PangoLayout* layout = Layout();
  AnsiString utf8 = DrawableUtf8(text);
  pango_layout_set_text(layout, utf8.data(), static_cast<int>(utf8.size()));
  int width = 0, height = 0;
  pango_layout_get_size(layout, &width, &height);
  return PangoToPixels(width);
}

int TFontFace::CodePointWidth(char32_t cp) {
  if (IsControl(cp)) return 0;
  if (cp < FLowWidths.size() && FLowWidths[cp] >= 0) return FLowWidths[cp];
  if (cp >= FLowWidths.size()) {
    auto it = FOtherWidths.find(cp);
    if (it != FOtherWidths.end()) return it->second;
  }
  String one;
  if (cp >= 0x10000) {
    one += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
    one += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
  } else {
    one += static_cast<char16_t>(cp);
  }
  int width = MeasureWithLayout(one);
  if (cp < FLowWidths.size()) {
    FLowWidths[cp] = static_cast<int16_t>(std::min(width, 32767));
  } else {
    FOtherWidths.emplace(cp, width);
  }
  return width;
}

int TFontFace::TextWidth(std::u16string_view text) {
  int width = 0;
  for (size_t i = 0; i < text.size();) {
    char32_t cp = NextCodePoint(text, i);
    if (!IsSimple(cp)) return MeasureWithLayout(text);
    width += CodePointWidth(cp);
  }
  return width;
}

void TFontFace::CharWidths(std::u16string_view text, std::vector<int>& out) {
  out.assign(text.size(), 0);
  for (size_t i = 0; i < text.size();) {
    size_t at = i;
    char32_t cp = NextCodePoint(text, i);
    out[at] = IsSimple(cp) ? CodePointWidth(cp) : MeasureWithLayout(text.substr(at, i - at));
  }
}

namespace {
constexpr uint32_t kUnknownGlyph = 0xFFFFFFFF;
}

uint32_t TFontFace::GlyphOf(char32_t cp) {
  if (FFont == nullptr) {
    TFontSystem& system = TFontSystem::Instance();
    FFont = pango_font_map_load_font(system.FontMap(), system.Context(), FDescription);
    FLowGlyphs.assign(0x500, kUnknownGlyph);
  }
  uint32_t* slot = cp < FLowGlyphs.size() ? &FLowGlyphs[cp] : nullptr;
  if (slot == nullptr) {
    auto it = FOtherGlyphs.find(cp);
    if (it != FOtherGlyphs.end()) return it->second;
  } else if (*slot != kUnknownGlyph) {
    return *slot;
  }
  hb_codepoint_t glyph = 0;
  if (FFont == nullptr || !hb_font_get_nominal_glyph(pango_font_get_hb_font(FFont), cp, &glyph)) glyph = 0;
  if (slot != nullptr) {
    *slot = glyph;
  } else {
    FOtherGlyphs.emplace(cp, glyph);
  }
  return glyph;
}

bool TFontFace::DrawLineFromGlyphs(cairo_t* cr, double x, double baseline, std::u16string_view text) {
  if (FUnderline || FStrikeOut) return false;
  std::vector<cairo_glyph_t> glyphs;
  glyphs.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    char32_t cp = NextCodePoint(text, i);
    if (!IsSimple(cp)) return false;
    int width = CodePointWidth(cp);
    if (IsControl(cp)) continue;
    uint32_t glyph = GlyphOf(cp);
    if (glyph == 0) return false;  // the face lacks it: pango finds another face
    glyphs.push_back({glyph, x, baseline});
    x += width;
  }
  cairo_scaled_font_t* scaled = pango_cairo_font_get_scaled_font(PANGO_CAIRO_FONT(FFont));
  if (scaled == nullptr) return false;
  cairo_set_scaled_font(cr, scaled);
  cairo_show_glyphs(cr, glyphs.data(), static_cast<int>(glyphs.size()));
  return true;
}

void TFontFace::DrawLine(cairo_t* cr, double x, double baseline, std::u16string_view text,
                         bool rtl) {
  if (text.empty()) return;
  if (!rtl && DrawLineFromGlyphs(cr, x, baseline, text)) return;
  DrawLineShaped(cr, x, baseline, text, rtl);
}

void TFontFace::DrawLineShaped(cairo_t* cr, double x, double baseline, std::u16string_view text,
                               bool rtl) {
  if (text.empty()) return;
  AnsiString utf8 = DrawableUtf8(text);
  PangoLayout* layout = Layout();
  PangoContext* own = nullptr;
  if (rtl) {
    // Right-to-left reading is rare: it gets a context of its own rather than changing the shared one.
    own = pango_font_map_create_context(TFontSystem::Instance().FontMap());
    pango_cairo_context_set_font_options(
        own, pango_cairo_context_get_font_options(TFontSystem::Instance().Context()));
    pango_context_set_round_glyph_positions(own, TRUE);
    pango_context_set_base_dir(own, PANGO_DIRECTION_RTL);
    layout = pango_layout_new(own);
    pango_layout_set_font_description(layout, FDescription);
    pango_layout_set_auto_dir(layout, FALSE);
    pango_layout_set_attributes(layout, pango_layout_get_attributes(Layout()));
  }
  pango_layout_set_text(layout, utf8.data(), static_cast<int>(utf8.size()));
  cairo_move_to(cr, x, baseline);
  pango_cairo_show_layout_line(cr, pango_layout_get_line_readonly(layout, 0));
  if (own != nullptr) {
    g_object_unref(layout);
    g_object_unref(own);
  }
}
