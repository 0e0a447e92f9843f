#include "platform/gdi/TextLayout.h"

#include "platform/gdi/GdiConst.h"

namespace {

constexpr std::u16string_view kEllipsis = u"...";

bool IsBreakSpace(char16_t c) { return c == u' ' || c == u'\t'; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

struct TPlainText {
  String Text;
  int Underline = -1;  // position of the access key in Text
};

TPlainText StripPrefixes(std::u16string_view text, bool process) {
  TPlainText out;
  if (!process) {
    out.Text = String(text);
    return out;
  }
  out.Text.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'&') {
      out.Text += text[i];
    } else if (i + 1 < text.size()) {
      ++i;
      if (text[i] != u'&') out.Underline = static_cast<int>(out.Text.size());
      out.Text += text[i];
    }
  }
  return out;
}

struct TLineText {
  String Text;
  int Underline = -1;
};

class TLayouter {
 public:
  TLayouter(const TPlainText& plain, const TRect& rect, const TTextLayoutFormat& format,
            TTextMeasure& measure)
      : FPlain(plain), FRect(rect), FFlags(format.Flags), FMeasure(measure) {
    FTabWidth = std::max(1, format.TabLength) * std::max(1, measure.AveCharWidth());
  }

  // Width of a line, tabs moved to the next tab stop when they are expanded.
  int Width(std::u16string_view s) {
    if (!(FFlags & DT_EXPANDTABS) || s.find(u'\t') == std::u16string_view::npos) return FMeasure.Width(s);
    int x = 0;
    size_t start = 0;
    for (;;) {
      size_t tab = s.find(u'\t', start);
      x += FMeasure.Width(s.substr(start, tab == std::u16string_view::npos ? tab : tab - start));
      if (tab == std::u16string_view::npos) return x;
      x = (x / FTabWidth + 1) * FTabWidth;
      start = tab + 1;
    }
  }

  std::vector<TLineText> Lines() {
    std::vector<TLineText> lines;
    const String& t = FPlain.Text;
    std::vector<std::pair<size_t, size_t>> paragraphs;
    if (FFlags & DT_SINGLELINE) {
      paragraphs.push_back({0, t.size()});
    } else {
      size_t start = 0;
      for (size_t i = 0; i <= t.size(); ++i) {
        if (i == t.size() || t[i] == u'\r' || t[i] == u'\n') {
          paragraphs.push_back({start, i});
          if (i + 1 < t.size() && t[i] == u'\r' && t[i + 1] == u'\n') ++i;
          start = i + 1;
        }
      }
      // A text that ends with a line break has no empty line after it.
      if (paragraphs.size() > 1 && paragraphs.back().first == t.size() && !t.empty()) paragraphs.pop_back();
    }
    bool wrap = (FFlags & DT_WORDBREAK) && !(FFlags & DT_SINGLELINE);
    auto add = [&](size_t from, size_t to, size_t paragraphEnd) {
      lines.push_back(Slice(from, to));
      FLineStarts.push_back(from);
      FParagraphEnds.push_back(paragraphEnd);
    };
    for (auto [ps, pe] : paragraphs) {
      if (!wrap || ps == pe) {
        add(ps, pe, pe);
        continue;
      }
      for (size_t pos = ps; pos < pe;) {
        auto [end, next] = BreakLine(pos, pe);
        add(pos, end, pe);
        pos = next;
      }
    }
    return lines;
  }

  // The last line that fits the rectangle takes the rest of its paragraph, and an ellipsis when
  // anything was left out.
  void CutToHeight(std::vector<TLineText>& lines) {
    int lineHeight = std::max(1, FMeasure.LineHeight());
    size_t fit = static_cast<size_t>(std::max(1, FRect.Height() / lineHeight));
    if (lines.size() <= fit) return;
    size_t last = fit - 1;
    TLineText rest = Slice(FLineStarts[last], FParagraphEnds[last]);
    lines.resize(fit);
    lines[last] = Ellipsize(rest, FRect.Width(), DT_END_ELLIPSIS, true);
  }

  TLineText Ellipsize(const TLineText& line, int width, uint32_t kind, bool force) {
    const String& s = line.Text;
    if (!force && Width(s) <= width) return line;
    TLineText out;
    auto fits = [&](const String& candidate) { return Width(candidate) <= width; };
    if (kind == DT_PATH_ELLIPSIS) {
      size_t slash = s.find_last_of(u"\\/");
      size_t tailStart = slash == String::npos ? s.size() : slash;
      String tail = s.substr(tailStart);
      for (size_t keep = tailStart; keep-- > 0;) {
        if (keep > 0 && IsLowSurrogate(s[keep])) continue;
        String candidate = s.substr(0, keep) + String(kEllipsis) + tail;
        if (fits(candidate)) {
          out.Text = candidate;
          out.Underline = line.Underline < static_cast<int>(keep) ? line.Underline : -1;
          return out;
        }
      }
      // Not even the last part fits: keep as much of its end as does.
      for (size_t from = 0; from < tail.size(); ++from) {
        if (IsLowSurrogate(tail[from])) continue;
        String candidate = String(kEllipsis) + tail.substr(from);
        if (fits(candidate)) {
          out.Text = candidate;
          return out;
        }
      }
      out.Text = String(kEllipsis);
      return out;
    }
    // A forced ellipsis may keep the whole text.
    for (size_t keep = force ? s.size() + 1 : s.size(); keep-- > 0;) {
      if (keep > 0 && keep < s.size() && IsLowSurrogate(s[keep])) continue;
      // A word ellipsis cuts only where a word ends.
      bool wordEnd = keep > 0 && !IsBreakSpace(s[keep - 1]) && (keep == s.size() || IsBreakSpace(s[keep]));
      if (kind == DT_WORD_ELLIPSIS && !wordEnd) continue;
      // The dots follow the last word, not the spaces after it.
      size_t end = keep;
      while (end > 0 && IsBreakSpace(s[end - 1])) --end;
      String head = s.substr(0, end) + String(kEllipsis);
      if (fits(head)) {
        out.Text = head;
        out.Underline = line.Underline < static_cast<int>(end) ? line.Underline : -1;
        return out;
      }
    }
    out.Text = String(kEllipsis);
    return out;
  }

 private:
  TLineText Slice(size_t start, size_t end) {
    TLineText line{FPlain.Text.substr(start, end - start), -1};
    if (FPlain.Underline >= static_cast<int>(start) && FPlain.Underline < static_cast<int>(end)) {
      line.Underline = FPlain.Underline - static_cast<int>(start);
    }
    return line;
  }

  // Where the line starting at pos ends, and where the next one starts.
  std::pair<size_t, size_t> BreakLine(size_t pos, size_t end) {
    const String& t = FPlain.Text;
    std::u16string_view view(t);
    int width = FRect.Width();
    size_t lineEnd = pos, next = pos;
    bool any = false;
    size_t i = pos;
    while (i < end) {
      size_t j = i;
      if (i == pos) {
        while (j < end && IsBreakSpace(t[j])) ++j;  // a paragraph's leading spaces stay
      }
      while (j < end && !IsBreakSpace(t[j])) ++j;
      size_t k = j;
      while (k < end && IsBreakSpace(t[k])) ++k;
      if (Width(view.substr(pos, j - pos)) > width) {
        if (any) break;
        if (FFlags & DT_EDITCONTROL) {
          // A word wider than the line is broken between characters.
          size_t m = pos + 1;
          if (m < j && IsLowSurrogate(t[m])) ++m;
          for (size_t c = m + 1; c <= j; ++c) {
            if (c < j && IsLowSurrogate(t[c])) continue;
            if (Width(view.substr(pos, c - pos)) > width) break;
            m = c;
          }
          return {m, m};
        }
        return {j, k};
      }
      any = true;
      lineEnd = j;
      next = k;
      i = k;
    }
    return {lineEnd, next};
  }

  const TPlainText& FPlain;
  TRect FRect;
  uint32_t FFlags;
  TTextMeasure& FMeasure;
  int FTabWidth = 64;
  std::vector<size_t> FLineStarts;
  std::vector<size_t> FParagraphEnds;
};

}  // namespace

TTextBlock LayoutText(std::u16string_view text, const TRect& rect, const TTextLayoutFormat& format,
                      TTextMeasure& measure) {
  uint32_t flags = format.Flags;
  TPlainText plain = StripPrefixes(text, (flags & DT_NOPREFIX) == 0);
  TLayouter layouter(plain, rect, format, measure);
  std::vector<TLineText> lines = layouter.Lines();
  bool calc = (flags & DT_CALCRECT) != 0;
  bool single = (flags & DT_SINGLELINE) != 0;
  int lineHeight = measure.LineHeight();

  if ((flags & DT_END_ELLIPSIS) && (flags & DT_WORDBREAK) && !single && !calc) {
    layouter.CutToHeight(lines);
  }
  uint32_t ellipsis = flags & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS | DT_PATH_ELLIPSIS);
  if (ellipsis != 0) {
    uint32_t kind = (ellipsis & DT_PATH_ELLIPSIS) ? DT_PATH_ELLIPSIS
                    : (ellipsis & DT_END_ELLIPSIS) ? DT_END_ELLIPSIS
                                                   : DT_WORD_ELLIPSIS;
    for (TLineText& line : lines) line = layouter.Ellipsize(line, rect.Width(), kind, false);
  }
  if ((flags & DT_EDITCONTROL) && !single && !calc) {
    size_t fit = static_cast<size_t>(std::max(1, rect.Height() / std::max(1, lineHeight)));
    if (lines.size() > fit) lines.resize(fit);
  }

  TTextBlock block;
  int tabWidth = std::max(1, format.TabLength) * std::max(1, measure.AveCharWidth());
  for (const TLineText& source : lines) {
    TTextLine line;
    size_t start = 0;
    int x = 0;
    bool expand = (flags & DT_EXPANDTABS) != 0;
    for (;;) {
      size_t tab = expand ? source.Text.find(u'\t', start) : String::npos;
      size_t end = tab == String::npos ? source.Text.size() : tab;
      TTextRun run{x, source.Text.substr(start, end - start)};
      if (source.Underline >= static_cast<int>(start) && source.Underline < static_cast<int>(end)) {
        line.UnderlineRun = static_cast<int>(line.Runs.size());
        line.UnderlinePos = source.Underline - static_cast<int>(start);
      }
      x += measure.Width(run.Text);
      line.Runs.push_back(std::move(run));
      if (tab == String::npos) break;
      x = (x / tabWidth + 1) * tabWidth;
      start = tab + 1;
    }
    line.Width = x;
    if (flags & DT_HIDEPREFIX) line.UnderlineRun = line.UnderlinePos = -1;
    block.Width = std::max(block.Width, line.Width);
    block.Lines.push_back(std::move(line));
  }
  block.Height = static_cast<int>(block.Lines.size()) * lineHeight;

  int top = rect.Top;
  if (single && !calc) {
    if (flags & DT_VCENTER) {
      top = rect.Top + (rect.Height() - lineHeight) / 2;
    } else if (flags & DT_BOTTOM) {
      top = rect.Bottom - lineHeight;
    }
  }
  for (size_t i = 0; i < block.Lines.size(); ++i) {
    TTextLine& line = block.Lines[i];
    line.Y = top + static_cast<int>(i) * lineHeight;
    if (calc || !(flags & (DT_CENTER | DT_RIGHT))) {
      line.X = rect.Left;
    } else if (flags & DT_CENTER) {
      line.X = rect.Left + (rect.Width() - line.Width) / 2;
    } else {
      line.X = rect.Right - line.Width;
    }
  }
  block.Bounds = {rect.Left, rect.Top, rect.Left + block.Width, rect.Top + block.Height};
  block.Result = block.Height;
  if (single && !calc && (flags & (DT_VCENTER | DT_BOTTOM))) block.Result = top - rect.Top + lineHeight;
  return block;
}
