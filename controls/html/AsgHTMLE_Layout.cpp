// The layout of the mini-HTML renderer: the text is laid out line by line, each line measured
// first and then drawn (or hit-tested) over exactly the text the measuring consumed.
#include <algorithm>

#include "controls/html/AsgHTMLE_Layout.h"
#include "platform/win/PlatformInfo.h"

namespace AsgHtml {

bool THtmlLayout::Render(const String& html, const TRect& rect) {
  FBase = ReadFont(FFont);
  FStartBackground = D.BlinkBackground ? FSurface.Background() : clWhite;
  TFontState measureFont = FBase, drawFont = FBase;

  R.ControlRectOut = TRect{};
  R.PlainTextOut.clear();
  R.FocusAnchorOut.clear();
  R.AnchorTitleOut.clear();
  if (!O.HitTest) R.ControlId.clear();
  R.ControlValueOut.clear();
  R.ControlTypeOut.clear();
  R.WidthOut = R.HeightOut = R.LinkCountOut = 0;
  R.MouseLinkOut = -1;

  FFlags = ApplyBiDiFlags(DT_BOTTOM | DT_SINGLELINE | DT_EXPANDTABS | DT_EXTERNALLEADING,
                          O.BiDiMode);
  if (!O.WordWrap && D.Ellipsis) FFlags |= DT_END_ELLIPSIS;
  if (!D.Prefix) FFlags |= DT_NOPREFIX;
  FText = PrepareHtmlText(html, D.AllHashMarkers);
  FEnd = FText.size();
  FRect = rect;
  FWork = rect;
  FWork.Left += 1;
  FWidth = FWork.Width();

  bool hit = false;
  int top = FWork.Top;
  size_t pos = 0;
  while (pos < FEnd) {
    ApplyFont(FFont, measureFont);
    const int gh = GhHeight();
    TLineInfo line;
    line.Height = gh;
    F.Sub = F.Sup = false;
    const TFlowState before = F;
    FRunSizes.clear();
    TRect measureRect{FWork.Left, top, FWork.Right, top + gh};
    const size_t lineEnd = Pass(pos, measureRect, TPassMode::Measure, line);
    measureFont = ReadFont(FFont);
    // A line that takes nothing would never end the loop.
    if (lineEnd == pos) break;

    int lineX = FWork.Left;
    if (F.Align == 1 && FWork.Right - line.Width > FWork.Left) lineX = FWork.Right - line.Width;
    if (F.Align == 2 && FWork.Width() - line.Width > 0) {
      lineX = FWork.Left + (FWork.Width() - line.Width) / 2;
    }
    lineX += F.Indent;
    if (lineEnd < FEnd) line.Height += D.LineSpacing;
    const int lineHeight = line.Height + line.SupExtra + line.SubExtra;
    TRect lineRect{lineX, top, FWork.Right, top + lineHeight};

    if (!O.MeasureOnly) {
      F = before;
      ApplyFont(FFont, drawFont);
      TLineInfo drawn = line;
      drawn.Width = 0;
      drawn.PictureHit = drawn.OverAnchorText = false;
      const size_t textEnd = FEnd;
      FEnd = lineEnd;
      FRunIndex = 0;
      Pass(pos, lineRect, O.HitTest ? TPassMode::HitTest : TPassMode::Paint, drawn);
      FEnd = textEnd;
      drawFont = ReadFont(FFont);
      const int textBottom = lineRect.Bottom - drawn.PictureOffset;
      if ((drawn.OverAnchorText && O.YPos > textBottom - gh && O.YPos < textBottom) ||
          drawn.PictureHit) {
        hit = true;
      }
    }
    pos = lineEnd;
    top += lineHeight;
    R.HeightOut += lineHeight;
    ++FLine;
    if (!O.MeasureOnly && top + gh > rect.Bottom) break;
  }
  if (R.HeightOut == 0) {
    ApplyFont(FFont, FBase);
    R.HeightOut = GhHeight();
  }
  if (D.SizeMargin) R.HeightOut += 2;
  ApplyFont(FFont, FBase);
  return hit;
}

size_t THtmlLayout::Pass(size_t pos, const TRect& lineRect, TPassMode mode, TLineInfo& line) {
  const bool draw = mode == TPassMode::Paint;
  FX = lineRect.Left;
  FLiOnLine = false;
  FLineHasText = false;
  FLineEndsBlank = false;
  int trailingBlank = 0;
  bool firstRun = true;
  // The band goes down before any of the line is drawn, also when a tag halfway starts it.
  if (draw && D.ParagraphBand && (FParaBack || line.Band != clNone)) {
    FSurface.Fill(TRect{FRect.Left, lineRect.Top, FRect.Right, lineRect.Top + line.Height},
                  line.Band != clNone ? line.Band : FBack);
  }
  // The focus rectangle continues from the line before.
  if (draw && FFocusOpen) FFocusStart = TPoint{lineRect.Left + 1, lineRect.Top};
  // An OF offset of the line before goes on here.
  if (D.OffsetTag && F.Offset > 0) {
    FX = lineRect.Left + F.Offset;
    line.Width = F.Offset;
  }
  const TView text(FText);
  size_t nextTag = pos;
  bool ended = false;
  while (pos < FEnd && !ended) {
    // The next run: up to the next tag, or with word wrap up to and including a blank before it.
    if (nextTag <= pos) nextTag = NextTag(pos);
    size_t runEnd = nextTag;
    if (O.WordWrap) {
      size_t blank = text.substr(pos, nextTag - pos).find(u' ');
      if (blank != TView::npos) runEnd = pos + blank + 1;
    }
    if (runEnd > pos) {
      FRun.clear();
      DecodeRunEntities(text.substr(pos, runEnd - pos), FRun, D.Prefix);
      // The drawing pass takes the sizes the measuring pass found for the same runs.
      TSize size = mode != TPassMode::Measure && FRunIndex < FRunSizes.size()
                       ? FRunSizes[FRunIndex++]
                       : FSurface.Measure(FRun, FFlags);
      if (D.BlankRunEmpty && FRun == u" ") size.cx = 0;
      if (D.HalfScriptExtra) {
        if (F.Sub && line.SubExtra < size.cy / 4) line.SubExtra = size.cy / 2;
        if (F.Sup && line.SupExtra < size.cy / 4) line.SupExtra = size.cy / 2;
      } else {
        if (F.Sub) line.SubExtra = std::max(line.SubExtra, size.cy / 4);
        if (F.Sup) line.SupExtra = std::max(line.SupExtra, size.cy / 4);
      }
      line.Height = std::max(line.Height, size.cy);
      if (F.Hidden) {
        if (mode == TPassMode::Measure) Consumed(size);
        pos = runEnd;
        continue;
      }
      if (mode != TPassMode::Paint) {
        const bool fits = line.Width + size.cx < FWidth || size.cx >= FWidth;
        if (!fits && O.WordWrap && !(FLineHasText && !FLineEndsBlank)) break;
        // Without word wrap only one line is shown: what follows an overflowing run goes.
        if (!fits && !O.WordWrap && !firstRun && mode == TPassMode::Measure) FEnd = runEnd;
      }
      if (mode == TPassMode::Measure) Consumed(size);
      const int before = line.Width;
      line.Width += size.cx;
      if (mode == TPassMode::HitTest && F.InAnchor) {
        // The line's full height is known here, so only a point inside the band counts.
        const int x = O.XPos - lineRect.Left;
        if (x >= before && x <= line.Width) {
          line.OverAnchorText = true;
          if (O.YPos > lineRect.Top && O.YPos < lineRect.Bottom) {
            R.AnchorOut = String(F.Target);
            R.AnchorTitleOut = String(F.Title);
            FHoverAnchor = F.AnchorCount;
          }
        }
      }
      if (draw) {
        // An anchor's underline runs on across the blank to its next word.
        const bool underscore = D.UnderlineBlanks && F.InAnchor &&
                                FFont->Style().Contains(fsUnderline) && runEnd < FEnd &&
                                BlankBeforeAnchorEnd(runEnd);
        if (underscore) FRun.push_back(u'_');
        DrawRun(lineRect, line, size.cx);
        if (underscore) FlushRun();
      }
      FX += size.cx;
      FLineHasText = true;
      FLineEndsBlank = FRun.back() == u' ';
      trailingBlank = FLineEndsBlank ? BlankWidth() : 0;
      firstRun = false;
      pos = runEnd;
      continue;
    }
    const int widthBefore = line.Width;
    if (!Tag(pos, lineRect, mode, line, ended)) break;
    if (line.Width != widthBefore) trailingBlank = 0;
  }
  if (draw) FlushRun();
  line.Width -= trailingBlank;
  if (D.SizeMargin) {
    if (line.Width > R.WidthOut) R.WidthOut = line.Width + 2;
  } else {
    R.WidthOut = std::max(R.WidthOut, line.Width);
  }
  if (draw && FFocusOpen) {
    const int bottom = RunBottom(lineRect, line) - line.PictureOffset;
    FSurface.Focus(TRect{FFocusStart.X - 1, FFocusStart.Y, FX + 1, bottom});
  }
  return pos;
}

void THtmlLayout::DrawRun(const TRect& lineRect, const TLineInfo& line, int width) {
  int bottom = RunBottom(lineRect, line);
  int top = lineRect.Top;
  if (F.Sup) bottom -= line.SupExtra;
  if (F.Sub) bottom += line.SubExtra;
  if (D.CentredScripts && F.Sup) top -= line.SupExtra / 2;
  if (D.CentredScripts && F.Sub) top += line.SubExtra / 2;
  bottom -= line.PictureOffset;
  if (F.InAnchor && F.AnchorCount == O.FocusLink + 1) R.FocusAnchorOut = String(F.Target);
  // Words that follow each other with nothing changed between them are drawn in one call.
  TPendingRun& p = FPending;
  if (p.Active && p.Rect.Left + p.Width == FX && p.Rect.Bottom == bottom && p.Rect.Top == top) {
    p.Text += FRun;
    p.Width += width;
    return;
  }
  FlushRun();
  p.Active = true;
  p.Rect = TRect{FX, top, lineRect.Right, bottom};
  p.Text = FRun;
  p.Width = width;
}

void THtmlLayout::FlushRun() {
  TPendingRun& p = FPending;
  if (!p.Active) return;
  p.Active = false;
  const TRect& r = p.Rect;
  if (F.Shadow) {
    const int d = O.ShadowOffset;
    FSurface.Run(TRect{r.Left + d, r.Top + d, r.Right + d, r.Bottom + d}, p.Text, FFlags,
                 O.ShadowColor, clNone);
  }
  FSurface.Run(r, p.Text, FFlags, TextColor(), FBack);
  if (F.ErrorLine) {
    FZigZag.clear();
    const int right = r.Left + p.Width;
    const int high = D.RaisedZigZag ? r.Bottom - 4 : r.Bottom + 1;
    const int low = D.RaisedZigZag ? r.Bottom - 2 : r.Bottom - 1;
    for (int x = r.Left - r.Left % 2; x <= right; x += 2) {
      FZigZag.push_back(TPoint{x, x % 4 == 0 ? high : low});
    }
    FSurface.Line(FZigZag, clRed);
  }
}

size_t THtmlLayout::NextTag(size_t pos) {
  // Every line starts its own pass; the "<" found stays good for them until it is passed, so a
  // long text without tags is not searched again for each line.
  if (FTagFrom == String::npos || pos < FTagFrom || (FTagAt != String::npos && pos > FTagAt)) {
    FTagFrom = pos;
    FTagAt = FText.find(u'<', pos);
  }
  return FTagAt == String::npos ? FEnd : std::min(FTagAt, FEnd);
}

bool THtmlLayout::BlankBeforeAnchorEnd(size_t pos) {
  // The runs of one line ask with growing positions: the "</A" found stays good until passed.
  if (FAnchorEndFrom == String::npos || pos < FAnchorEndFrom ||
      (FAnchorEnd != String::npos && pos > FAnchorEnd)) {
    FAnchorEndFrom = pos;
    FAnchorEnd = FindNoCase(TView(FText), u"</A", pos);
  }
  if (FAnchorEnd == String::npos) return false;
  const size_t blank = TView(FText).substr(0, FAnchorEnd).find(u' ', pos);
  return blank != TView::npos;
}

bool RenderHtml(THtmlSurface& surface, const String& html, const TRect& rect,
                const THtmlRenderOptions& options, THtmlRenderResult& result) {
  THtmlLayout layout(surface, options, result);
  return layout.Render(html, rect);
}

}  // namespace AsgHtml

THtmlDialect PanelHtmlDialect() {
  THtmlDialect d;
  d.Prefix = d.Controls = d.Rotation = d.BodyFill = d.ParagraphBand = d.AnchorTitle = false;
  d.UrlPictures = d.AnimatedPictures = d.PixelsPerInch = d.AspectRatio = false;
  d.AllHashMarkers = d.BlinkBackground = d.FocusRect = d.Ellipsis = false;
  d.OffsetTag = d.BgColorTo = d.ListItemTypes = d.ImageWrap = true;
  d.LineSpacing = 2;
  d.HalfScriptExtra = d.CentredScripts = d.SizeMargin = d.RaisedZigZag = true;
  d.UnderlineBlanks = d.EmptyColorNone = d.BlankRunEmpty = true;
  return d;
}

bool RenderHtmlText(TCanvas* canvas, const String& html, const TRect& rect,
                    const THtmlRenderOptions& options, THtmlRenderResult& result) {
  if (canvas == nullptr) return false;
  AsgHtml::TCanvasHtmlSurface surface(canvas);
  return AsgHtml::RenderHtml(surface, html, rect, options, result);
}
