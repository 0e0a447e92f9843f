// TCustomRichEdit: laying the document out in lines for a device context, painting it, formatting
// a range onto any context (EM_FORMATRANGE) and reporting the size the content needs.
#include <algorithm>
#include <climits>
#include <map>

#include "platform/gdi/Gdi.h"
#include "platform/rtl/RtlMath.h"
#include "platform/ui/RichEdit.h"

namespace {

// Fonts for the formats met while laying out or drawing on one context, selected on demand.
class TFontCache {
 public:
  explicit TFontCache(HDC dc) : FDC(dc), FPixelsPerInch(std::max(GetDeviceCaps(dc, LOGPIXELSY), 1)) {}
  ~TFontCache() {
    if (FOld) SelectObject(FDC, FOld);
  }
  TFontCache(const TFontCache&) = delete;
  TFontCache& operator=(const TFontCache&) = delete;

  // Selects the format's font; returns its metrics.
  const TEXTMETRICW& Select(const TRichCharFormat& format) {
    auto it = std::find_if(FFonts.begin(), FFonts.end(), [&](const TEntry& e) { return e.Format == format; });
    if (it == FFonts.end()) {
      TEntry entry;
      entry.Format = format;
      entry.Font = std::make_unique<TFont>();
      entry.Font->SetPixelsPerInch(FPixelsPerInch);
      entry.Font->SetName(format.Name);
      entry.Font->SetSize(format.Size);
      entry.Font->SetStyle(format.Style);
      HGDIOBJ old = SelectObject(FDC, entry.Font->Handle());
      if (!FOld) FOld = old;
      GetTextMetrics(FDC, &entry.Metrics);
      FFonts.push_back(std::move(entry));
      return FFonts.back().Metrics;
    }
    HGDIOBJ old = SelectObject(FDC, it->Font->Handle());
    if (!FOld) FOld = old;
    return it->Metrics;
  }

 private:
  struct TEntry {
    TRichCharFormat Format;
    std::unique_ptr<TFont> Font;
    TEXTMETRICW Metrics;
  };
  HDC FDC;
  int FPixelsPerInch;
  HGDIOBJ FOld = nullptr;
  std::vector<TEntry> FFonts;
};

// Tabs are measured and drawn as a blank; other control characters take no room.
String Shown(const String& text) {
  String out = text;
  for (char16_t& ch : out)
    if (ch == u'\t') ch = u' ';
  return out;
}

int TwipsToPixels(int twips, int pixelsPerInch) { return MulDiv(twips, pixelsPerInch, 1440); }

}  // namespace

std::vector<TRichLine> TCustomRichEdit::Layout(HDC dc, int first, int width, bool wrap) const {
  std::vector<TRichLine> lines;
  TFontCache fonts(dc);
  int dpi = std::max(GetDeviceCaps(dc, LOGPIXELSX), 1);
  const String& text = FDoc.Text();
  int top = 0;
  first = std::clamp(first, 0, FDoc.Length());
  for (int p = FDoc.ParagraphOf(first); p < FDoc.ParagraphCount(); ++p) {
    const TRichParaFormat& para = FDoc.ParaFormat(p);
    int start = FDoc.ParagraphStart(p);
    int end = FDoc.ParagraphEnd(p);
    int count = end - start;
    // The advance of every character and the tallest font of the paragraph's runs.
    std::vector<int> advance(static_cast<size_t>(count), 0);
    std::vector<int> height(static_cast<size_t>(count), 0), ascent(static_cast<size_t>(count), 0);
    const TEXTMETRICW& base = fonts.Select(FDoc.CharFormat(start < FDoc.Length() || start == 0 ? start : start - 1));
    int emptyHeight = base.tmHeight, emptyAscent = base.tmAscent;
    for (int i = 0; i < count;) {
      const TRichCharFormat& format = FDoc.CharFormat(start + i);
      int j = i + 1;
      while (j < count && FDoc.CharFormat(start + j) == format) ++j;
      const TEXTMETRICW& metrics = fonts.Select(format);
      String run = Shown(text.substr(static_cast<size_t>(start + i), static_cast<size_t>(j - i)));
      std::vector<int> extents(run.size(), 0);
      int fit = 0;
      TSize size;
      GetTextExtentExPoint(dc, run, INT_MAX, &fit, extents.data(), &size);
      for (int k = i; k < j; ++k) {
        int before = k == i ? 0 : extents[static_cast<size_t>(k - i - 1)];
        advance[static_cast<size_t>(k)] = std::max(extents[static_cast<size_t>(k - i)] - before, 0);
        height[static_cast<size_t>(k)] = metrics.tmHeight;
        ascent[static_cast<size_t>(k)] = metrics.tmAscent;
      }
      i = j;
    }

    int left = TwipsToPixels(para.LeftIndent, dpi);
    int right = TwipsToPixels(para.RightIndent, dpi);
    int lineStart = 0;
    bool firstLine = true;
    do {
      int indent = std::max(left + (firstLine ? TwipsToPixels(para.FirstIndent, dpi) : 0), 0);
      int room = width - indent - right;
      // Greedy breaking: the most characters that fit, cut after the last blank when there is one.
      int lineEnd = lineStart;
      int used = 0;
      int lastBreak = -1;
      while (lineEnd < count) {
        int w = advance[static_cast<size_t>(lineEnd)];
        char16_t ch = text[static_cast<size_t>(start + lineEnd)];
        if (wrap && used + w > room && ch != u' ' && lineEnd > lineStart) {
          if (lastBreak > lineStart) lineEnd = lastBreak;
          break;
        }
        used += w;
        ++lineEnd;
        if (ch == u' ' || ch == u'\t') lastBreak = lineEnd;
      }
      TRichLine line;
      line.Start = start + lineStart;
      line.End = start + lineEnd;
      line.Paragraph = p;
      line.Top = top;
      int lineWidth = 0, shownWidth = 0;
      for (int k = lineStart; k < lineEnd; ++k) {
        lineWidth += advance[static_cast<size_t>(k)];
        if (text[static_cast<size_t>(start + k)] != u' ') shownWidth = lineWidth;
        line.Height = std::max(line.Height, height[static_cast<size_t>(k)]);
        line.Ascent = std::max(line.Ascent, ascent[static_cast<size_t>(k)]);
      }
      if (line.Height == 0) {
        line.Height = emptyHeight;
        line.Ascent = emptyAscent;
      }
      int x = indent;
      if (para.Alignment == taRightJustify) x += std::max(room - shownWidth, 0);
      else if (para.Alignment == taCenter) x += std::max((room - shownWidth) / 2, 0);
      line.CharX.push_back(x);
      for (int k = lineStart; k < lineEnd; ++k) {
        x += advance[static_cast<size_t>(k)];
        line.CharX.push_back(x);
      }
      top += line.Height;
      if (line.End > first || line.End == FDoc.Length()) lines.push_back(std::move(line));
      lineStart = lineEnd;
      firstLine = false;
    } while (lineStart < count);
  }
  return lines;
}

void TCustomRichEdit::DrawLines(HDC dc, const std::vector<TRichLine>& lines, TPoint origin, int width,
                                bool selection) {
  TFontCache fonts(dc);
  int selStart = selection ? SelStart() : 0;
  int selEnd = selection ? SelStart() + SelLength() : 0;
  const String& text = FDoc.Text();
  int topShift = lines.empty() ? 0 : lines.front().Top;
  int oldMode = SetBkMode(dc, TRANSPARENT);
  for (const TRichLine& line : lines) {
    int y = origin.Y + line.Top - topShift;
    for (int i = line.Start; i < line.End;) {
      const TRichCharFormat& format = FDoc.CharFormat(i);
      bool selected = i >= selStart && i < selEnd;
      int j = i + 1;
      while (j < line.End && FDoc.CharFormat(j) == format && (j >= selStart && j < selEnd) == selected) ++j;
      int x1 = origin.X + line.CharX[static_cast<size_t>(i - line.Start)];
      int x2 = origin.X + line.CharX[static_cast<size_t>(j - line.Start)];
      const TEXTMETRICW& metrics = fonts.Select(format);
      TColor back = selected ? clHighlight : format.BackColor;
      if (back != clNone) {
        HBRUSH brush = CreateSolidBrush(ColorToRGB(back));
        TRect r{x1, y, x2, y + line.Height};
        FillRect(dc, r, brush);
        DeleteObject(brush);
      }
      SetTextColor(dc, ColorToRGB(selected ? clHighlightText : format.Color == clDefault ? clWindowText : format.Color));
      String run = Shown(text.substr(static_cast<size_t>(i), static_cast<size_t>(j - i)));
      TextOut(dc, x1, y + line.Ascent - metrics.tmAscent, run);
      i = j;
    }
  }
  SetBkMode(dc, oldMode);
  (void)width;
}

const std::vector<TRichLine>& TCustomRichEdit::LaidOutLines() {
  TRect format = FormattingRect();
  if (!FLayoutValid || FLayoutWidth != format.Width()) {
    HDC dc = CreateImageDC(1, 1);
    FLayout = Layout(dc, 0, format.Width(), FWordWrap);
    DeleteDC(dc);
    FLayoutValid = true;
    FLayoutWidth = format.Width();
  }
  return FLayout;
}

void TCustomRichEdit::InvalidateLayout() {
  FLayoutValid = false;
  if (HandleAllocated()) Invalidate();
}

TRect TCustomRichEdit::ContentRect() {
  TRect format = FormattingRect();
  const std::vector<TRichLine>& lines = LaidOutLines();
  int height = lines.empty() ? 0 : lines.back().Top + lines.back().Height;
  int width = 0;
  for (const TRichLine& line : lines) width = std::max(width, line.CharX.back());
  if (FWordWrap) width = std::max(width, format.Width());
  return {format.Left, format.Top, format.Left + width, format.Top + height};
}

void TCustomRichEdit::RequestSize() {
  if (FRequesting || !(FEventMask & ENM_REQUESTRESIZE)) return;
  FRequesting = true;
  REQRESIZE request;
  request.nmhdr.hwndFrom = HandleAllocated() ? Handle() : nullptr;
  request.nmhdr.code = EN_REQUESTRESIZE;
  request.rc = ContentRect();
  // The parent reflects the notification back to the control; without a parent window the control
  // takes it directly, so a hidden editor that only measures still hears it.
  if (request.nmhdr.hwndFrom && Parent() && Parent()->HandleAllocated())
    SendMessage(Parent()->Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&request));
  else
    Perform(CN_NOTIFY, 0, reinterpret_cast<LPARAM>(&request));
  FRequesting = false;
}

LRESULT TCustomRichEdit::FormatRange(bool render, FORMATRANGE* range) {
  if (!range) return 0;  // releasing the cached layout: nothing is cached between calls
  HDC dc = range->hdc ? range->hdc : range->hdcTarget;
  if (!dc) return 0;
  int dpiX = std::max(GetDeviceCaps(dc, LOGPIXELSX), 1);
  int dpiY = std::max(GetDeviceCaps(dc, LOGPIXELSY), 1);
  TRect area{TwipsToPixels(range->rc.Left, dpiX), TwipsToPixels(range->rc.Top, dpiY),
             TwipsToPixels(range->rc.Right, dpiX), TwipsToPixels(range->rc.Bottom, dpiY)};
  int first = std::clamp(range->chrg.cpMin, 0, FDoc.Length());
  int last = range->chrg.cpMax < 0 ? FDoc.Length() : std::clamp(range->chrg.cpMax, first, FDoc.Length());
  // A page always wraps at its width.
  std::vector<TRichLine> lines = Layout(dc, first, area.Width(), true);
  std::vector<TRichLine> shown;
  int used = 0;
  int next = last;
  for (TRichLine& line : lines) {
    if (line.Start >= last && !(line.Start == last && shown.empty())) break;
    int top = shown.empty() ? line.Top : shown.front().Top;
    int bottom = line.Top + line.Height - top;
    // At least one line goes on a page, or a page too small would never advance.
    if (!shown.empty() && bottom > area.Height()) {
      next = line.Start;
      break;
    }
    used = bottom;
    if (line.Start < first) {
      // The range starts inside the line: its earlier characters are left out.
      int skip = first - line.Start;
      line.CharX.erase(line.CharX.begin(), line.CharX.begin() + skip);
      line.Start = first;
    }
    if (line.End > last) {
      line.CharX.resize(static_cast<size_t>(last - line.Start + 1));
      line.End = last;
    }
    shown.push_back(std::move(line));
  }
  if (render) DrawLines(dc, shown, area.TopLeft(), area.Width(), false);
  range->rc.Bottom = range->rc.Top + MulDiv(used, 1440, dpiY);
  return next;
}

void TCustomRichEdit::Paint() {
  TCanvas* canvas = Canvas();
  TRect client = ClientRect();
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(Enabled() ? Color() : clBtnFace);
  canvas->FillRect(client);
  if (FBorderStyle != bsNone) DrawEdge(canvas->Handle(), client, EDGE_SUNKEN, BF_RECT);
  TRect format = FormattingRect();
  HDC dc = canvas->Handle();
  int saved = SaveDC(dc);
  IntersectClipRect(dc, format.Left, format.Top, format.Right, format.Bottom);
  bool selection = !FHideSelection || Focused();
  DrawLines(dc, LaidOutLines(), {format.Left, format.Top - FScrollY}, format.Width(), selection);
  RestoreDC(dc, saved);
}
