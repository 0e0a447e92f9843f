// Font families, fonts, string formats and text of the GDI+ flat API, laid out by pango.
#include <cairo.h>
#include <pango/pangocairo.h>

#include <cmath>

#include "platform/gdi/GdiConst.h"
#include "platform/gdi/GdiPlusObjects.h"
#include "platform/rtl/UnicodeText.h"

namespace {

double EmPixelsOf(REAL size, int32_t unit) {
  switch (unit) {
    case UnitPoint: return size * 96.0 / 72.0;
    case UnitInch: return size * 96.0;
    case UnitDocument: return size * 96.0 / 300.0;
    case UnitMillimeter: return size * 96.0 / 25.4;
    default: return size;  // world, display and pixel units are pixels here
  }
}

String TextOf(const char16_t* text, int32_t length) {
  if (text == nullptr) return {};
  if (length < 0) return String(text);
  return String(text, static_cast<size_t>(length));
}

struct TLaidOut {
  PangoLayout* Layout = nullptr;
  PangoContext* OwnContext = nullptr;
  double X = 0, Y = 0;          // where the layout's top-left goes
  double Width = 0, Height = 0;  // of the text
  double Pad = 0;
  int Lines = 0;
  int Fitted = 0;
  ~TLaidOut() {
    if (Layout != nullptr) g_object_unref(Layout);
    if (OwnContext != nullptr) g_object_unref(OwnContext);
  }
};

// Lays text out in the rectangle as the format says: a sixth of an em of padding each side,
// wrapping at words within the width unless told not to, alignment in both directions, ellipses
// by the trimming, the hot-key prefix shown, hidden or kept. A rectangle of no width (or height)
// is an origin the text is aligned about.
void LayOut(const String& source, const GpFont* font, const GpRectF& rect, const GpStringFormat* format,
            bool singleBit, TLaidOut& out) {
  GpStringFormat defaults;
  const GpStringFormat& f = format != nullptr ? *format : defaults;
  String text;
  int underline = -1;
  if (f.Hotkey == HotkeyPrefixNone) {
    text = source;
  } else {
    for (size_t i = 0; i < source.size(); ++i) {
      if (source[i] != u'&') {
        text += source[i];
      } else if (i + 1 < source.size()) {
        ++i;
        if (source[i] != u'&' && f.Hotkey == HotkeyPrefixShow) underline = static_cast<int>(text.size());
        text += source[i];
      }
    }
  }
  PangoContext* context = SharedPangoContext();
  if (singleBit) {
    out.OwnContext = pango_font_map_create_context(pango_context_get_font_map(context));
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    pango_cairo_context_set_font_options(out.OwnContext, options);
    cairo_font_options_destroy(options);
    context = out.OwnContext;
  }
  PangoLayout* layout = pango_layout_new(context);
  out.Layout = layout;
  pango_layout_set_font_description(layout, font->Face->Description());
  AnsiString utf8 = UTF8Encode(text);
  pango_layout_set_text(layout, utf8.data(), static_cast<int>(utf8.size()));
  PangoAttrList* attrs = pango_attr_list_new();
  if (font->Style & FontStyleUnderline) pango_attr_list_insert(attrs, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
  if (font->Style & FontStyleStrikeout) pango_attr_list_insert(attrs, pango_attr_strikethrough_new(TRUE));
  if (underline >= 0) {
    size_t start = UTF8Encode(text.substr(0, underline)).size();
    size_t end = UTF8Encode(text.substr(0, underline + 1)).size();
    PangoAttribute* attr = pango_attr_underline_new(PANGO_UNDERLINE_SINGLE);
    attr->start_index = static_cast<unsigned>(start);
    attr->end_index = static_cast<unsigned>(end);
    pango_attr_list_insert(attrs, attr);
  }
  pango_layout_set_attributes(layout, attrs);
  pango_attr_list_unref(attrs);

  out.Pad = font->EmPixels() / 6;
  double available = rect.Width - 2 * out.Pad;
  bool bounded = rect.Width > 0;
  bool wrap = bounded && (f.Flags & StringFormatFlagsNoWrap) == 0;
  bool ellipsis = f.Trimming >= StringTrimmingEllipsisCharacter;
  // Rounded to the nearest Pango unit, so a width measured here lays the same text out again
  // without a float's last bit making it a hair too narrow.
  if (bounded && (wrap || ellipsis)) {
    pango_layout_set_width(layout,
                           static_cast<int>(std::lround(std::max(1.0, available) * PANGO_SCALE)));
  }
  if (wrap) pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
  if (ellipsis && bounded) {
    pango_layout_set_ellipsize(layout, f.Trimming == StringTrimmingEllipsisPath ? PANGO_ELLIPSIZE_MIDDLE : PANGO_ELLIPSIZE_END);
    if (wrap && rect.Height > 0) pango_layout_set_height(layout, static_cast<int>(rect.Height * PANGO_SCALE));
  }
  if (wrap) {
    pango_layout_set_alignment(layout, f.Align == StringAlignmentCenter ? PANGO_ALIGN_CENTER
                                       : f.Align == StringAlignmentFar  ? PANGO_ALIGN_RIGHT
                                                                        : PANGO_ALIGN_LEFT);
  }
  PangoRectangle ink, logical, exact;
  pango_layout_get_pixel_extents(layout, &ink, &logical);
  // The width in whole pixels rounded up: a box rounded down would be narrower than its text,
  // and the text laid out in it again would wrap.
  pango_layout_get_extents(layout, nullptr, &exact);
  out.Width = text.empty() ? 0 : std::ceil(static_cast<double>(exact.width) / PANGO_SCALE);
  out.Height = text.empty() ? 0 : logical.height;
  out.Lines = pango_layout_get_line_count(layout);
  out.Fitted = static_cast<int>(source.size());
  double factor = f.Align == StringAlignmentCenter ? 0.5 : f.Align == StringAlignmentFar ? 1 : 0;
  if (wrap) {
    out.X = rect.X + out.Pad;  // pango aligns each line within the width
  } else if (bounded) {
    out.X = rect.X + out.Pad + (available - out.Width) * factor;
  } else {
    out.X = rect.X + out.Pad - (out.Width + 2 * out.Pad) * factor;
  }
  double vfactor = f.LineAlign == StringAlignmentCenter ? 0.5 : f.LineAlign == StringAlignmentFar ? 1 : 0;
  out.Y = rect.Height > 0 ? rect.Y + (rect.Height - out.Height) * vfactor : rect.Y - out.Height * vfactor;
}

}  // namespace

GpStatus GdipCreateFontFamilyFromName(const char16_t* name, GpFontCollection*, GpFontFamily** family) {
  if (name == nullptr || family == nullptr) return InvalidParameter;
  *family = nullptr;
  if (!FontFamilyExists(name)) return FontFamilyNotFound;
  *family = new GpFontFamily{String(name)};
  return Ok;
}

GpStatus GdipDeleteFontFamily(GpFontFamily* family) {
  if (family == nullptr) return InvalidParameter;
  delete family;
  return Ok;
}

GpStatus GdipCreateFont(const GpFontFamily* family, REAL emSize, int32_t style, int32_t unit, GpFont** font) {
  if (family == nullptr || font == nullptr || !std::isfinite(emSize) || emSize <= 0 || unit == UnitDisplay) {
    return InvalidParameter;
  }
  double em = EmPixelsOf(emSize, unit);
  if (em > 2000) return InvalidParameter;
  LOGFONTW log;
  log.lfHeight = -static_cast<int32_t>(std::lround(em));
  log.lfWeight = (style & FontStyleBold) ? FW_BOLD : FW_NORMAL;
  log.lfItalic = (style & FontStyleItalic) ? 1 : 0;
  log.lfUnderline = (style & FontStyleUnderline) ? 1 : 0;
  log.lfStrikeOut = (style & FontStyleStrikeout) ? 1 : 0;
  String name = family->Name.substr(0, LF_FACESIZE - 1);
  std::copy(name.begin(), name.end(), log.lfFaceName);
  auto* made = new GpFont;
  made->Family = family->Name;
  made->Size = emSize;
  made->Style = style;
  made->Unit = unit;
  made->Face = AcquireFontFace(log, em);
  *font = made;
  return Ok;
}

GpStatus GdipDeleteFont(GpFont* font) {
  if (font == nullptr) return InvalidParameter;
  delete font;
  return Ok;
}

GpStatus GdipCreateStringFormat(int32_t formatAttributes, uint16_t, GpStringFormat** format) {
  if (format == nullptr) return InvalidParameter;
  *format = new GpStringFormat;
  (*format)->Flags = formatAttributes;
  return Ok;
}

GpStatus GdipDeleteStringFormat(GpStringFormat* format) {
  if (format == nullptr) return InvalidParameter;
  delete format;
  return Ok;
}

GpStatus GdipSetStringFormatFlags(GpStringFormat* format, int32_t flags) {
  if (format == nullptr) return InvalidParameter;
  format->Flags = flags;
  return Ok;
}

GpStatus GdipSetStringFormatAlign(GpStringFormat* format, GpStringAlignment align) {
  if (format == nullptr || align < StringAlignmentNear || align > StringAlignmentFar) return InvalidParameter;
  format->Align = align;
  return Ok;
}

GpStatus GdipSetStringFormatLineAlign(GpStringFormat* format, GpStringAlignment align) {
  if (format == nullptr || align < StringAlignmentNear || align > StringAlignmentFar) return InvalidParameter;
  format->LineAlign = align;
  return Ok;
}

GpStatus GdipSetStringFormatTrimming(GpStringFormat* format, GpStringTrimming trimming) {
  if (format == nullptr || trimming < StringTrimmingNone || trimming > StringTrimmingEllipsisPath) {
    return InvalidParameter;
  }
  format->Trimming = trimming;
  return Ok;
}

GpStatus GdipSetStringFormatHotkeyPrefix(GpStringFormat* format, int32_t hotkeyPrefix) {
  if (format == nullptr || hotkeyPrefix < HotkeyPrefixNone || hotkeyPrefix > HotkeyPrefixHide) return InvalidParameter;
  format->Hotkey = hotkeyPrefix;
  return Ok;
}

GpStatus GdipMeasureString(GpGraphics* graphics, const char16_t* text, int32_t length, const GpFont* font,
                           const GpRectF* layoutRect, const GpStringFormat* format, GpRectF* boundingBox,
                           int32_t* codepointsFitted, int32_t* linesFilled) {
  if (graphics == nullptr || text == nullptr || font == nullptr || layoutRect == nullptr || boundingBox == nullptr) {
    return InvalidParameter;
  }
  String s = TextOf(text, length);
  TLaidOut laid;
  bool singleBit = graphics->TextHint == TextRenderingHintSingleBitPerPixel ||
                   graphics->TextHint == TextRenderingHintSingleBitPerPixelGridFit;
  LayOut(s, font, *layoutRect, format, singleBit, laid);
  if (s.empty()) {
    *boundingBox = {layoutRect->X, layoutRect->Y, 0, 0};
  } else {
    *boundingBox = {static_cast<REAL>(laid.X - laid.Pad), static_cast<REAL>(laid.Y),
                    static_cast<REAL>(laid.Width + 2 * laid.Pad), static_cast<REAL>(laid.Height)};
  }
  if (codepointsFitted != nullptr) *codepointsFitted = s.empty() ? 0 : laid.Fitted;
  if (linesFilled != nullptr) *linesFilled = s.empty() ? 0 : laid.Lines;
  return Ok;
}

GpStatus GdipDrawString(GpGraphics* graphics, const char16_t* text, int32_t length, const GpFont* font,
                        const GpRectF* layoutRect, const GpStringFormat* format, const GpBrush* brush) {
  if (graphics == nullptr || text == nullptr || font == nullptr || layoutRect == nullptr || brush == nullptr) {
    return InvalidParameter;
  }
  String s = TextOf(text, length);
  if (s.empty()) return Ok;
  TLaidOut laid;
  bool singleBit = graphics->TextHint == TextRenderingHintSingleBitPerPixel ||
                   graphics->TextHint == TextRenderingHintSingleBitPerPixelGridFit;
  LayOut(s, font, *layoutRect, format, singleBit, laid);
  cairo_t* cr = graphics->Begin();
  bool clip = layoutRect->Width > 0 && layoutRect->Height > 0 &&
              (format == nullptr || (format->Flags & StringFormatFlagsNoClip) == 0);
  if (clip) {
    cairo_rectangle(cr, layoutRect->X - 0.5, layoutRect->Y - 0.5, layoutRect->Width, layoutRect->Height);
    cairo_clip(cr);
  }
  cairo_pattern_t* pattern = brush->Pattern();
  cairo_set_source(cr, pattern);
  // Glyph outlines are placed on the pixel grid, not on pixel centres.
  cairo_move_to(cr, laid.X - 0.5, laid.Y - 0.5);
  pango_cairo_show_layout(cr, laid.Layout);
  cairo_pattern_destroy(pattern);
  graphics->End();
  return Ok;
}
