// Text output, measuring and DrawText.
#include <cairo.h>

#include <cmath>

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/FontFace.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/TextLayout.h"
#include "platform/rtl/UnicodeText.h"

namespace {

void SetSource(cairo_t* cr, COLORREF c) {
  cairo_set_source_rgb(cr, GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0);
}

int ExtraWidth(HDC dc, std::u16string_view text) {
  return dc->State().TextCharExtra * static_cast<int>(text.size());
}

class TFaceMeasure : public TTextMeasure {
 public:
  TFaceMeasure(HDC dc, bool externalLeading)
      : FDc(dc), FFace(dc->State().Font->Face()), FExternal(externalLeading) {}
  int Width(std::u16string_view text) override { return FFace.TextWidth(text) + ExtraWidth(FDc, text); }
  int LineHeight() override {
    const TEXTMETRICW& tm = FFace.Metrics();
    return tm.tmHeight + (FExternal ? tm.tmExternalLeading : 0);
  }
  int AveCharWidth() override { return FFace.Metrics().tmAveCharWidth; }
  TFontFace& Face() { return FFace; }

 private:
  HDC FDc;
  TFontFace& FFace;
  bool FExternal;
};

// Draws a text starting at (x, top), character by character when advances are given.
void DrawRun(HDC dc, cairo_t* cr, TFontFace& face, double x, double top, std::u16string_view text,
             const int* dx, bool rtl) {
  double baseline = top + face.Metrics().tmAscent;
  int extra = dc->State().TextCharExtra;
  if (dx == nullptr && extra == 0) {
    face.DrawLine(cr, x, baseline, text, rtl);
    return;
  }
  std::vector<int> widths;
  face.CharWidths(text, widths);
  for (size_t i = 0; i < text.size(); ++i) {
    size_t n = (i + 1 < text.size() && text[i] >= 0xD800 && text[i] <= 0xDBFF) ? 2 : 1;
    face.DrawLine(cr, x, baseline, text.substr(i, n), rtl);
    for (size_t k = 0; k < n; ++k) x += dx != nullptr ? dx[i + k] : widths[i + k] + extra;
    i += n - 1;
  }
}

bool OutputText(HDC dc, int x, int y, uint32_t options, const TRect* rect, std::u16string_view text,
                const int* dx, const char* name) {
  if (dc == nullptr) return false;
  TDcState& s = dc->State();
  TFontFace& face = s.Font->Face();
  const TEXTMETRICW& tm = face.Metrics();
  if (rect != nullptr) {
    dc->Log(name, {x, y, rect->Left, rect->Top, rect->Right, rect->Bottom}, options, text);
  } else {
    dc->Log(name, {x, y}, options, text);
  }
  bool updateCp = (s.TextAlign & TA_UPDATECP) != 0;
  if (updateCp) {
    x = s.CurrentPos.X;
    y = s.CurrentPos.Y;
  }
  int width = 0;
  if (dx != nullptr) {
    for (size_t i = 0; i < text.size(); ++i) width += dx[i];
  } else {
    width = face.TextWidth(text) + ExtraWidth(dc, text);
  }
  uint32_t horizontal = s.TextAlign & TA_CENTER, vertical = s.TextAlign & TA_BASELINE;
  double left = horizontal == TA_CENTER ? -width / 2 : horizontal == TA_RIGHT ? -width : 0;
  double top = vertical == TA_BASELINE ? -tm.tmAscent : vertical == TA_BOTTOM ? -tm.tmHeight : 0;

  cairo_t* cr = dc->Begin();
  if (rect != nullptr && (options & ETO_OPAQUE)) {
    cairo_rectangle(cr, rect->Left, rect->Top, rect->Width(), rect->Height());
    SetSource(cr, s.BkColor);
    cairo_fill(cr);
  }
  if (rect != nullptr && (options & ETO_CLIPPED)) {
    cairo_rectangle(cr, rect->Left, rect->Top, rect->Width(), rect->Height());
    cairo_clip(cr);
  }
  if (!text.empty()) {
    cairo_save(cr);
    cairo_translate(cr, x, y);
    // Escapement turns the text counter-clockwise about its reference point.
    if (face.Escapement() != 0) cairo_rotate(cr, -face.Escapement() / 10.0 * M_PI / 180.0);
    if (s.BkMode == OPAQUE) {
      cairo_rectangle(cr, left, top, width, tm.tmHeight);
      SetSource(cr, s.BkColor);
      cairo_fill(cr);
    }
    SetSource(cr, s.TextColor);
    DrawRun(dc, cr, face, left, top, text, dx, (options & ETO_RTLREADING) != 0);
    cairo_restore(cr);
  }
  dc->End();
  if (updateCp) {
    s.CurrentPos.X = horizontal == TA_RIGHT ? x - width : horizontal == TA_CENTER ? x : x + width;
  }
  return true;
}

}  // namespace

bool TextOut(HDC dc, int x, int y, std::u16string_view text) {
  return OutputText(dc, x, y, 0, nullptr, text, nullptr, "TextOut");
}

bool TextOut(HDC dc, int x, int y, std::string_view utf8) { return TextOut(dc, x, y, UTF8ToString(utf8)); }

bool ExtTextOut(HDC dc, int x, int y, uint32_t options, const TRect* rect, std::u16string_view text,
                const int* dx) {
  return OutputText(dc, x, y, options, rect, text, dx, "ExtTextOut");
}

bool ExtTextOut(HDC dc, int x, int y, uint32_t options, const TRect* rect, std::string_view utf8,
                const int* dx) {
  String text = UTF8ToString(utf8);
  // Advances given for the bytes cannot follow the conversion; they are dropped.
  return ExtTextOut(dc, x, y, options, rect, text, text.size() == utf8.size() ? dx : nullptr);
}

bool GetTextExtentPoint32(HDC dc, std::u16string_view text, TSize* size) {
  if (dc == nullptr || size == nullptr) return false;
  TFontFace& face = dc->State().Font->Face();
  *size = {face.TextWidth(text) + ExtraWidth(dc, text), face.Metrics().tmHeight};
  return true;
}

bool GetTextExtentPoint32(HDC dc, std::string_view utf8, TSize* size) {
  return GetTextExtentPoint32(dc, UTF8ToString(utf8), size);
}

bool GetTextExtentExPoint(HDC dc, std::u16string_view text, int maxExtent, int* fit, int* dx,
                          TSize* size) {
  if (dc == nullptr) return false;
  TFontFace& face = dc->State().Font->Face();
  std::vector<int> widths;
  face.CharWidths(text, widths);
  int extra = dc->State().TextCharExtra;
  int x = 0, fitted = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    x += widths[i] + extra;
    if (dx != nullptr) dx[i] = x;
    if (x <= maxExtent) fitted = static_cast<int>(i) + 1;
  }
  if (fit != nullptr) *fit = fitted;
  if (size != nullptr) *size = {x, face.Metrics().tmHeight};
  return true;
}

bool GetTextMetrics(HDC dc, TEXTMETRICW* metrics) {
  if (dc == nullptr || metrics == nullptr) return false;
  *metrics = dc->State().Font->Face().Metrics();
  return true;
}

String GetTextFace(HDC dc) { return dc == nullptr ? String() : String(dc->State().Font->Log.lfFaceName); }

int DrawTextEx(HDC dc, std::u16string_view text, TRect& rect, uint32_t format, DRAWTEXTPARAMS* params) {
  if (dc == nullptr) return 0;
  dc->Log("DrawText", {rect.Left, rect.Top, rect.Right, rect.Bottom}, format, text);
  TTextLayoutFormat layoutFormat;
  if (format & DT_TABSTOP) {
    layoutFormat.TabLength = static_cast<int>((format >> 8) & 0xFF);
    format &= ~0xFF00u;
  }
  int leftMargin = 0, rightMargin = 0;
  if (params != nullptr) {
    if (params->iTabLength > 0) layoutFormat.TabLength = params->iTabLength;
    leftMargin = params->iLeftMargin;
    rightMargin = params->iRightMargin;
    params->uiLengthDrawn = static_cast<uint32_t>(text.size());
  }
  layoutFormat.Flags = format;
  TRect area{rect.Left + leftMargin, rect.Top, rect.Right - rightMargin, rect.Bottom};
  TFaceMeasure measure(dc, (format & DT_EXTERNALLEADING) != 0);
  TTextBlock block = LayoutText(text, area, layoutFormat, measure);
  if (format & DT_CALCRECT) {
    rect.Right = block.Bounds.Right + rightMargin;
    rect.Bottom = block.Bounds.Bottom;
    return block.Result;
  }
  TDcState& s = dc->State();
  TFontFace& face = measure.Face();
  int lineHeight = measure.LineHeight();
  bool rtl = (format & DT_RTLREADING) != 0;
  cairo_t* cr = dc->Begin();
  if ((format & DT_NOCLIP) == 0) {
    cairo_rectangle(cr, rect.Left, rect.Top, rect.Width(), rect.Height());
    cairo_clip(cr);
  }
  double clipLeft, clipTop, clipRight, clipBottom;
  cairo_clip_extents(cr, &clipLeft, &clipTop, &clipRight, &clipBottom);
  for (const TTextLine& line : block.Lines) {
    if (line.Y >= clipBottom || line.Y + lineHeight <= clipTop) continue;
    if (s.BkMode == OPAQUE && line.Width > 0) {
      cairo_rectangle(cr, line.X, line.Y, line.Width, lineHeight);
      SetSource(cr, s.BkColor);
      cairo_fill(cr);
    }
    SetSource(cr, s.TextColor);
    for (size_t r = 0; r < line.Runs.size(); ++r) {
      const TTextRun& run = line.Runs[r];
      if ((format & DT_PREFIXONLY) == 0) DrawRun(dc, cr, face, line.X + run.X, line.Y, run.Text, nullptr, rtl);
      if (static_cast<int>(r) == line.UnderlineRun) {
        std::u16string_view view(run.Text);
        int x = line.X + run.X + measure.Width(view.substr(0, line.UnderlinePos));
        int w = measure.Width(view.substr(line.UnderlinePos, 1));
        cairo_rectangle(cr, x, line.Y + face.Metrics().tmAscent + 1, w, 1);
        cairo_fill(cr);
      }
    }
  }
  dc->End();
  return block.Result;
}

int DrawTextEx(HDC dc, std::string_view utf8, TRect& rect, uint32_t format, DRAWTEXTPARAMS* params) {
  return DrawTextEx(dc, UTF8ToString(utf8), rect, format, params);
}

int DrawText(HDC dc, std::u16string_view text, TRect& rect, uint32_t format) {
  return DrawTextEx(dc, text, rect, format, nullptr);
}

int DrawText(HDC dc, std::string_view utf8, TRect& rect, uint32_t format) {
  return DrawTextEx(dc, UTF8ToString(utf8), rect, format, nullptr);
}
