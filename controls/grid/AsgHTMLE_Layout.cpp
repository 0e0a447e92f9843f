// The layout of the mini-HTML renderer: the text is laid out line by line, each line measured
// first and then drawn (or hit-tested) over exactly the text the measuring consumed.
#include <algorithm>

#include "controls/grid/AsgHTMLE_Layout.h"
#include "platform/win/PlatformInfo.h"

namespace AsgHtml {

bool THtmlLayout::Render(const String& html, const TRect& rect) {
  TPen* pen = FCanvas->Pen();
  TBrush* brush = FCanvas->Brush();
  const TColor penColor = pen->Color();
  const int penWidth = pen->Width();
  const TColor brushColor = brush->Color();
  const TBrushStyle brushStyle = brush->Style();
  FBase = ReadFont(FCanvas->Font());
  FStartBackground = brushStyle == bsClear ? clWindow : brushColor;
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
  SetBkMode(FCanvas->Handle(), TRANSPARENT);

  FFlags = ApplyBiDiFlags(DT_BOTTOM | DT_SINGLELINE | DT_EXPANDTABS | DT_EXTERNALLEADING,
                          O.BiDiMode);
  if (!O.WordWrap) FFlags |= DT_END_ELLIPSIS;
  FText = PrepareHtmlText(html);
  FEnd = FText.size();
  FRect = rect;
  FWork = rect;
  FWork.Left += 1;
  FWidth = FWork.Width();

  bool hit = false;
  int top = FWork.Top;
  size_t pos = 0;
  while (pos < FEnd) {
    ApplyFont(FCanvas->Font(), measureFont);
    const int gh = GhHeight();
    TLineInfo line;
    line.Height = gh;
    F.Sub = F.Sup = false;
    const TFlowState before = F;
    FRunSizes.clear();
    TRect measureRect{FWork.Left, top, FWork.Right, top + gh};
    const size_t lineEnd = Pass(pos, measureRect, TPassMode::Measure, line);
    measureFont = ReadFont(FCanvas->Font());
    // A line that takes nothing would never end the loop.
    if (lineEnd == pos) break;

    int lineX = FWork.Left;
    if (F.Align == 1 && FWork.Right - line.Width > FWork.Left) lineX = FWork.Right - line.Width;
    if (F.Align == 2 && FWork.Width() - line.Width > 0) {
      lineX = FWork.Left + (FWork.Width() - line.Width) / 2;
    }
    lineX += F.Indent;
    const int lineHeight = line.Height + line.SupExtra + line.SubExtra;
    TRect lineRect{lineX, top, FWork.Right, top + lineHeight};

    if (!O.MeasureOnly) {
      F = before;
      ApplyFont(FCanvas->Font(), drawFont);
      TLineInfo drawn = line;
      drawn.Width = 0;
      drawn.PictureHit = drawn.OverAnchorText = false;
      const size_t textEnd = FEnd;
      FEnd = lineEnd;
      FRunIndex = 0;
      Pass(pos, lineRect, O.HitTest ? TPassMode::HitTest : TPassMode::Paint, drawn);
      FEnd = textEnd;
      drawFont = ReadFont(FCanvas->Font());
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
    ApplyFont(FCanvas->Font(), FBase);
    R.HeightOut = GhHeight();
  }
  pen->SetColor(penColor);
  pen->SetWidth(penWidth);
  brush->SetColor(brushColor);
  brush->SetStyle(brushStyle);
  ApplyFont(FCanvas->Font(), FBase);
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
  if (draw && (FParaBack || line.Band != clNone)) {
    FSurface.Fill(TRect{FRect.Left, lineRect.Top, FRect.Right, lineRect.Top + line.Height},
                  line.Band != clNone ? line.Band : FBack);
  }
  // The focus rectangle continues from the line before.
  if (draw && FFocusOpen) FFocusStart = TPoint{lineRect.Left + 1, lineRect.Top};
  const TView text(FText);
  size_t nextTag = pos;
  bool ended = false;
  while (pos < FEnd && !ended) {
    // The next run: up to the next tag, or with word wrap up to and including a blank before it.
    if (nextTag <= pos) {
      nextTag = text.substr(0, FEnd).find(u'<', pos);
      if (nextTag == TView::npos) nextTag = FEnd;
    }
    size_t runEnd = nextTag;
    if (O.WordWrap) {
      size_t blank = text.substr(pos, nextTag - pos).find(u' ');
      if (blank != TView::npos) runEnd = pos + blank + 1;
    }
    if (runEnd > pos) {
      FRun.clear();
      DecodeRunEntities(text.substr(pos, runEnd - pos), FRun);
      // The drawing pass takes the sizes the measuring pass found for the same runs.
      const TSize size = mode != TPassMode::Measure && FRunIndex < FRunSizes.size()
                             ? FRunSizes[FRunIndex++]
                             : FSurface.Measure(FRun, FFlags);
      if (F.Sub) line.SubExtra = std::max(line.SubExtra, size.cy / 4);
      if (F.Sup) line.SupExtra = std::max(line.SupExtra, size.cy / 4);
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
      if (draw) DrawRun(lineRect, line, size.cx);
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
  R.WidthOut = std::max(R.WidthOut, line.Width);
  if (draw && FFocusOpen) {
    const int bottom = RunBottom(lineRect, line) - line.PictureOffset;
    FSurface.Focus(TRect{FFocusStart.X - 1, FFocusStart.Y, FX + 1, bottom});
  }
  return pos;
}

void THtmlLayout::DrawRun(const TRect& lineRect, const TLineInfo& line, int width) {
  int bottom = RunBottom(lineRect, line);
  if (F.Sup) bottom -= line.SupExtra;
  if (F.Sub) bottom += line.SubExtra;
  bottom -= line.PictureOffset;
  if (F.InAnchor && F.AnchorCount == O.FocusLink + 1) R.FocusAnchorOut = String(F.Target);
  // Words that follow each other with nothing changed between them are drawn in one call.
  TPendingRun& p = FPending;
  if (p.Active && p.Rect.Left + p.Width == FX && p.Rect.Bottom == bottom) {
    p.Text += FRun;
    p.Width += width;
    return;
  }
  FlushRun();
  p.Active = true;
  p.Rect = TRect{FX, lineRect.Top, lineRect.Right, bottom};
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
    for (int x = r.Left - r.Left % 2; x <= right; x += 2) {
      FZigZag.push_back(TPoint{x, x % 4 == 0 ? r.Bottom + 1 : r.Bottom - 1});
    }
    FSurface.Line(FZigZag, clRed);
  }
}

}  // namespace AsgHtml

bool RenderHtmlText(TCanvas* canvas, const String& html, const TRect& rect,
                    const THtmlRenderOptions& options, THtmlRenderResult& result) {
  if (canvas == nullptr) return false;
  AsgHtml::THtmlLayout layout(canvas, options, result);
  return layout.Render(html, rect);
}
