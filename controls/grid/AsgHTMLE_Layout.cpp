// The layout of the mini-HTML renderer: the text is laid out line by line, each line measured
// first and then drawn (or hit-tested) over exactly the text the measuring consumed.
#include <algorithm>
#include <cmath>
#include <vector>

#include "controls/grid/AsgHTMLE.h"
#include "controls/grid/AsgHTMLE_Markup.h"
#include "controls/grid/AsgHTMLE_Surface.h"
#include "platform/win/PlatformInfo.h"

using namespace AsgHtml;

namespace {

constexpr int kMaxRoom = 32767;
constexpr int kMaxFontPoints = 1000;
constexpr int kListIndent = 12;

// The font attributes the markup changes; each chain (measuring, drawing) keeps its own.
struct TFontState {
  String Name;
  int Size = 8;
  TFontStyles Style;
  TColor Color = clBlack;
  int Orientation = 0;
};

TFontState ReadFont(const TFont* font) {
  return TFontState{font->Name(), font->Size(), font->Style(), font->Color(), font->Orientation()};
}

void ApplyFont(TFont* font, const TFontState& s) {
  if (font->Name() != s.Name) font->SetName(s.Name);
  if (font->Size() != s.Size) font->SetSize(s.Size);
  if (font->Style() != s.Style) font->SetStyle(s.Style);
  if (font->Color() != s.Color) font->SetColor(s.Color);
  if (font->Orientation() != s.Orientation) font->SetOrientation(s.Orientation);
}

// What a line pass carries over from line to line; the drawing pass of a line starts from the
// state its measuring pass started from.
struct TFlowState {
  int Align = 0;  // 0 left, 1 right, 2 centre
  int Indent = 0;
  int ListLevel = 0;
  int AnchorCount = 0;
  bool InAnchor = false;
  TView Target, Title;
  int AnchorStartX = 0;  // line width where the anchor opened
  int AnchorStartTop = 0;
  int AnchorStartLine = -1;
  int PictureCount = 0;
  bool Shadow = false, Hidden = false, ErrorLine = false;
  bool Sub = false, Sup = false;
  bool HoverApplied = false;  // the opening anchor took the hover look
};

// What one pass reports about its line.
struct TLineInfo {
  int Height = 0;
  int Width = 0;
  int SupExtra = 0, SubExtra = 0;
  int PictureOffset = 0;
  TColor Band = clNone;  // a paragraph background that a tag of this line starts
  bool PictureHit = false;
  bool OverAnchorText = false;
};

// A picture source as the image tag names it.
struct TPictureRoom {
  ::PictureContainer::THTMLPicture* Picture = nullptr;
  int ListIndex = -1;
  String SystemName;
  bool SystemLarge = false;
  int Width = 0, Height = 0;
  bool Stretch = false;
  bool Found() const { return Width > 0 && Height > 0; }
};

// A measuring pass lays a line out; a drawing pass paints it, or tests the point instead.
enum class TPassMode { Measure, HitTest, Paint };

class THtmlLayout {
 public:
  THtmlLayout(TCanvas* canvas, const THtmlRenderOptions& o, THtmlRenderResult& r)
      : FCanvas(canvas), FSurface(canvas), O(o), R(r) {}
  bool Render(const String& html, const TRect& rect);

 private:
  // One pass over the line starting at pos; returns where the line ends.
  size_t Pass(size_t pos, const TRect& lineRect, TPassMode mode, TLineInfo& line);
  void DrawRun(const TRect& lineRect, const TLineInfo& line, int width);
  void FlushRun();
  // Handles the tag at pos; false when the line ends before it (the tag stays).
  bool Tag(size_t& pos, const TRect& lineRect, TPassMode mode, TLineInfo& line, bool& endLine);
  void Picture(TView tag, const TRect& lineRect, TPassMode mode, TLineInfo& line, bool& fits);
  void Control(TView tag, const TRect& lineRect, TPassMode mode, TLineInfo& line, bool& fits);
  TPictureRoom FindPicture(TView source);
  TColor TextColor() const { return FCanvas->Font()->Color(); }
  void SetTextColor(TColor c) { FCanvas->Font()->SetColor(c); }
  // The text height of "gh" in the canvas font, measured once per font.
  int GhHeight() {
    HFONT font = FCanvas->Font()->Handle();
    if (font != FGhFont) {
      FGhFont = font;
      FGh = FSurface.Measure(u"gh", FFlags).cy;
    }
    return FGh;
  }
  // The width of a blank in the canvas font, measured once per font.
  int BlankWidth() {
    HFONT font = FCanvas->Font()->Handle();
    if (font != FBlankFont) {
      FBlankFont = font;
      FBlankWidth = FSurface.Measure(u" ", FFlags).cx;
    }
    return FBlankWidth;
  }
  int RunBottom(const TRect& lineRect, const TLineInfo& line) const {
    return lineRect.Bottom - line.SubExtra;
  }
  // Places a room of the size at the current X: false when it does not fit the line.
  bool Fits(int width, const TLineInfo& line) const {
    return !(line.Width + width > FWidth && width < FWidth);
  }
  void EndAnchor(const TRect& lineRect, TPassMode mode, const TLineInfo& line);
  // A run the measuring pass takes into its line: its text goes to the plain text (once, even
  // when a run that did not fit is measured again on the next line) and its size is kept.
  void Consumed(TSize size) {
    R.PlainTextOut += FRun;
    FRunSizes.push_back(size);
  }

  TCanvas* FCanvas;
  THtmlSurface FSurface;
  const THtmlRenderOptions& O;
  THtmlRenderResult& R;
  String FText;
  size_t FEnd = 0;
  TRect FRect{}, FWork{};
  int FWidth = 0;
  uint32_t FFlags = 0;
  TFontState FBase;
  TColor FStartBackground = clNone;
  TFlowState F;
  int FLine = 0;
  int FX = 0;  // current drawing X
  bool FLiOnLine = false;
  bool FLineHasText = false, FLineEndsBlank = false;
  // Drawing state that only drawing passes change.
  TColor FBack = clNone;
  TColor FSavedAnchorBack = clNone, FSavedAnchorColor = clNone;
  TColor FSavedFontBack = clNone, FSavedHiBack = clNone, FSavedHiColor = clNone;
  TColor FSavedParaBack = clNone;
  bool FParaBack = false;
  // The focus rectangle of anchor FocusLink + 1 while it is open.
  bool FFocusOpen = false;
  TPoint FFocusStart{};
  // The anchor whose text the point is over, until its closing tag.
  int FHoverAnchor = -1;
  int FHitPicture = -1;
  String FRun;  // the decoded run, reused
  // Words waiting to be drawn in one call.
  struct TPendingRun {
    bool Active = false;
    TRect Rect{};
    String Text;
    int Width = 0;
  } FPending;
  std::vector<TPoint> FZigZag;
  std::vector<TSize> FRunSizes;  // the sizes of the line's runs, from its measuring pass
  size_t FRunIndex = 0;
  HFONT FBlankFont = nullptr, FGhFont = nullptr;
  int FGh = 0;
  int FBlankWidth = 0;
};

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

bool THtmlLayout::Tag(size_t& pos, const TRect& lineRect, TPassMode mode, TLineInfo& line,
                      bool& endLine) {
  const bool draw = mode == TPassMode::Paint;
  if (draw) FlushRun();  // a tag may change what the words before it are drawn with
  const size_t close = FText.find(u'>', pos);
  if (close == String::npos || close >= FEnd || FEnd - pos < 3) {
    // A tag without its ">" drops the rest of the text.
    FEnd = pos;
    return false;
  }
  const TView tag(FText.data() + pos, close + 1 - pos);
  TFont* font = FCanvas->Font();
  auto style = [&](TFontStyle s, bool on) {
    TFontStyles st = font->Style();
    if (on) {
      st << s;
    } else {
      st >> s;
    }
    font->SetStyle(st);
  };
  bool fits = true;
  switch (ClassifyTag(tag)) {
    case TTag::Anchor: {
      ++F.AnchorCount;
      R.LinkCountOut = std::max(R.LinkCountOut, F.AnchorCount);
      TView target, title;
      if (!TagAttribute(tag, u"HREF", target)) break;
      TagAttribute(tag, u"TITLE", title);
      F.InAnchor = true;
      F.Target = target;
      F.Title = title;
      F.AnchorStartX = line.Width;
      F.AnchorStartTop = lineRect.Top;
      F.AnchorStartLine = FLine;
      F.HoverApplied = false;
      if (!draw) break;
      if (F.AnchorCount == O.FocusLink + 1) {
        FFocusOpen = true;
        FFocusStart = TPoint{FX, lineRect.Top};
        R.FocusAnchorOut = String(target);
      }
      const bool hovered = F.AnchorCount == O.HoverLink;
      if (!O.HoverOnlyLink || hovered) {
        F.HoverApplied = true;
        style(fsUnderline, true);
        if (O.HoverColor != clNone) {
          FSavedAnchorBack = FBack;
          FBack = O.HoverColor;
        }
        if (O.HoverFontColor != clNone) {
          FSavedAnchorColor = TextColor();
          SetTextColor(O.HoverFontColor);
        }
      }
      if (!O.Selected && !(O.HoverOnlyLink && hovered && O.HoverFontColor != clNone)) {
        SetTextColor(O.UrlColor);
      }
      break;
    }
    case TTag::EndAnchor:
      EndAnchor(lineRect, mode, line);
      break;
    case TTag::Bold: style(fsBold, true); break;
    case TTag::EndBold: style(fsBold, false); break;
    case TTag::Italic: style(fsItalic, true); break;
    case TTag::EndItalic: style(fsItalic, false); break;
    case TTag::Underline: style(fsUnderline, true); break;
    case TTag::EndUnderline: style(fsUnderline, false); break;
    case TTag::Strike: style(fsStrikeOut, true); break;
    case TTag::EndStrike: style(fsStrikeOut, false); break;
    case TTag::Break:
      if (mode == TPassMode::Measure) R.PlainTextOut += u"\r";
      endLine = true;
      break;
    case TTag::Blink:
      if (draw && !O.BlinkOn) SetTextColor(FStartBackground);
      break;
    case TTag::EndColor:
      if (draw) SetTextColor(FBase.Color);
      break;
    case TTag::Body: {
      if (!draw) break;
      TView value;
      if (TagAttribute(tag, u"BACKGROUND", value)) {
        TPictureRoom room = FindPicture(value);
        if (room.Picture != nullptr && room.Found()) {
          HDC dc = FCanvas->Handle();
          const int saved = SaveDC(dc);
          IntersectClipRect(dc, FRect.Left, FRect.Top, FRect.Right, FRect.Bottom);
          for (int y = FRect.Top; y < FRect.Bottom; y += room.Height) {
            for (int x = FRect.Left; x < FRect.Right; x += room.Width) {
              FSurface.Picture(room.Picture, TRect{x, y, x + room.Width, y + room.Height}, false);
            }
          }
          RestoreDC(dc, saved);
        }
      }
      if (TagAttribute(tag, u"BGCOLOR", value)) {
        FBack = ColorValue(value);
        FSurface.Fill(FRect, FBack);
      }
      break;
    }
    case TTag::Control:
      Control(tag, lineRect, mode, line, fits);
      break;
    case TTag::ErrorLine: F.ErrorLine = true; break;
    case TTag::EndErrorLine: F.ErrorLine = false; break;
    case TTag::Font: {
      TView value;
      if (TagAttribute(tag, u"FACE", value) && !value.empty()) font->SetName(String(value));
      if (draw && !O.Selected && TagAttribute(tag, u" COLOR", value)) {
        SetTextColor(ColorValue(value));
      }
      if (draw && !O.Selected && TagAttribute(tag, u"BGCOLOR", value)) {
        FSavedFontBack = FBack;
        FBack = ColorValue(value);
      }
      size_t at = FindNoCase(tag, u"SIZE");
      if (at != TView::npos) {
        size_t eq = tag.find(u'=', at);
        size_t quote = eq == TView::npos ? TView::npos : tag.find(u'"', eq);
        if (quote != TView::npos) {
          int n = LooseInt(tag.substr(quote + 1));
          static const int kSizes[] = {8, 10, 12, 14, 16};
          int points = (n >= 1 && n <= 5) ? kSizes[n - 1] : n;
          font->SetSize(std::clamp(points, 1, kMaxFontPoints));
        }
      }
      break;
    }
    case TTag::EndFont:
      font->SetName(FBase.Name);
      font->SetSize(FBase.Size);
      if (draw && !O.Selected) {
        SetTextColor(FBase.Color);
        FBack = FSavedFontBack;
        FSavedFontBack = clNone;
      }
      break;
    case TTag::Highlight:
      if (!draw) break;
      FSavedHiBack = FBack;
      FSavedHiColor = TextColor();
      FBack = HtmlHighlightColor();
      SetTextColor(HtmlHighlightTextColor());
      break;
    case TTag::EndHighlight:
      if (!draw) break;
      FBack = FSavedHiBack;
      SetTextColor(FSavedHiColor);
      break;
    case TTag::Rule:
      if (draw) {
        const int y = RunBottom(lineRect, line) + 1;
        FSurface.Line({TPoint{lineRect.Left, y}, TPoint{FRect.Right, y}}, clBlack);
      }
      endLine = true;
      break;
    case TTag::Indent: {
      size_t x = FindNoCase(tag.substr(3), u"X");
      if (x == TView::npos) break;
      TView value;
      if (!TagAttribute(tag.substr(3 + x), u"X", value)) break;
      const int indent = std::clamp(LooseInt(value), 0, kMaxRoom);
      if (line.Width < indent) {
        line.Width = indent;
        FX = FRect.Left + indent;
      }
      break;
    }
    case TTag::Image:
      Picture(tag, lineRect, mode, line, fits);
      break;
    case TTag::ListItem: {
      if (FLiOnLine) {
        fits = false;
        break;
      }
      FLiOnLine = true;
      const int level = std::max(F.ListLevel, 1);
      line.Width += kListIndent * level;
      const int bulletX = FX + kListIndent * (level - 1);
      if (draw) {
        TRect r{bulletX, lineRect.Top, lineRect.Right, RunBottom(lineRect, line)};
        FSurface.Run(r, level % 2 == 1 ? u"\u2022" : u"o", FFlags | DT_NOPREFIX, TextColor(),
                     clNone);
      }
      FX = bulletX + kListIndent;
      break;
    }
    case TTag::EndListItem: endLine = true; break;
    case TTag::Paragraph: {
      TView value;
      if (TagAttribute(tag, u"ALIGN", value)) {
        if (FindNoCase(value, u"RIGHT") != TView::npos) F.Align = 1;
        if (FindNoCase(value, u"LEFT") != TView::npos) F.Align = 0;
        if (FindNoCase(value, u"CENTER") != TView::npos) F.Align = 2;
      }
      if (TagAttribute(tag, u"INDENT", value)) F.Indent = std::clamp(LooseInt(value), 0, kMaxRoom);
      if (TagAttribute(tag, u"BGCOLOR", value)) {
        if (mode == TPassMode::Measure) line.Band = ColorValue(value);
        if (draw) {
          FSavedParaBack = FBack;
          FBack = ColorValue(value);
          FParaBack = true;
        }
      }
      break;
    }
    case TTag::EndParagraph:
      if (draw) {
        FBack = FSavedParaBack;
        FSavedParaBack = clNone;
        FParaBack = false;
      }
      endLine = true;
      break;
    case TTag::Rotate: {
      size_t a = FindNoCase(tag.substr(2), u"A");
      TView value;
      if (a != TView::npos && TagAttribute(tag.substr(2 + a), u"", value)) {
        font->SetOrientation(std::clamp(LooseInt(value), -3600, 3600) * 10 % 3600);
      }
      break;
    }
    case TTag::EndRotate: font->SetOrientation(0); break;
    case TTag::Shadow: F.Shadow = true; break;
    case TTag::EndShadow: F.Shadow = false; break;
    case TTag::Sub: F.Sub = true; break;
    case TTag::Sup: F.Sup = true; break;
    case TTag::EndSubSup: F.Sub = F.Sup = false; break;
    case TTag::List:
      ++F.ListLevel;
      endLine = true;
      break;
    case TTag::EndList:
      if (F.ListLevel > 0) {
        --F.ListLevel;
      } else {
        style(fsUnderline, false);
      }
      break;
    case TTag::Hidden: F.Hidden = true; break;
    case TTag::EndHidden: F.Hidden = false; break;
    case TTag::Unknown: break;
  }
  if (!fits) return false;
  pos = close + 1;
  return true;
}

void THtmlLayout::EndAnchor(const TRect& lineRect, TPassMode mode, const TLineInfo& line) {
  if (!F.InAnchor) return;
  const bool draw = mode == TPassMode::Paint;
  if (mode == TPassMode::HitTest && FHoverAnchor == F.AnchorCount) {
    const bool sameLine = F.AnchorStartLine == FLine;
    R.HoverRectOut = TRect{lineRect.Left + (sameLine ? F.AnchorStartX : 0),
                           sameLine ? F.AnchorStartTop : lineRect.Top,
                           lineRect.Left + line.Width, RunBottom(lineRect, line)};
    R.MouseLinkOut = F.AnchorCount;
    FHoverAnchor = -1;
  }
  if (draw) {
    if (F.AnchorCount == O.FocusLink + 1 && FFocusOpen) {
      const int bottom = RunBottom(lineRect, line) - line.PictureOffset;
      const int top = bottom - GhHeight();
      FSurface.Focus(TRect{FFocusStart.X - 1, std::min(top, FFocusStart.Y), FX + 1, bottom});
      FFocusOpen = false;
    }
    if (F.HoverApplied) {
      TFontStyles st = FCanvas->Font()->Style();
      st >> fsUnderline;
      FCanvas->Font()->SetStyle(st);
      if (O.HoverColor != clNone) FBack = FSavedAnchorBack;
      if (O.HoverFontColor != clNone) SetTextColor(FSavedAnchorColor);
    }
    if (!O.Selected) SetTextColor(FBase.Color);
  }
  F.InAnchor = false;
  F.HoverApplied = false;
}

TPictureRoom THtmlLayout::FindPicture(TView source) {
  TPictureRoom room;
  const double ppi = GetDeviceCaps(FCanvas->Handle(), LOGPIXELSX) / 96.0;
  const double scale = O.ScaleImages ? O.ImageScale : 1.0;
  auto scaled = [&](int v) {
    return std::clamp(static_cast<int>(std::lround(v * ppi * scale)), 0, kMaxRoom);
  };
  if (FindNoCase(source, u"IDX:") == 0) {
    const int index = LooseInt(source.substr(4));
    if (O.Images != nullptr && index >= 0 && index < O.Images->Count()) {
      room.ListIndex = index;
      room.Width = scaled(O.Images->Width());
      room.Height = scaled(O.Images->Height());
      room.Stretch = O.ScaleImages;
    }
    return room;
  }
  const bool small = FindNoCase(source, u"SSYS:") == 0;
  if (small || FindNoCase(source, u"LSYS:") == 0) {
    room.SystemName = String(source.substr(5));
    room.SystemLarge = !small;
    TSize size{};
    DrawSystemIcon(nullptr, 0, 0, room.SystemName, room.SystemLarge, false, false, 1.0, size);
    room.Width = scaled(size.cx);
    room.Height = scaled(size.cy);
    room.Stretch = O.ScaleImages;
    return room;
  }
  if (source.find(u':') == TView::npos && O.PictureContainer != nullptr) {
    room.Picture = O.PictureContainer->FindPicture(String(source));
  }
  if (source.find(u"://") != TView::npos && O.PictureCache != nullptr) {
    const String url(source);
    room.Picture = O.PictureCache->FindPicture(url);
    if (room.Picture == nullptr) {
      room.Picture = O.PictureCache->AddPicture();
      room.Picture->LoadFromURL(url);
    }
  }
  if (room.Picture != nullptr && !room.Picture->Empty()) {
    room.Width = room.Picture->FrameWidth();
    room.Height = room.Picture->FrameHeight();
  }
  return room;
}

void THtmlLayout::Picture(TView tag, const TRect& lineRect, TPassMode mode, TLineInfo& line,
                          bool& fits) {
  const bool draw = mode == TPassMode::Paint;
  TView source;
  if (!TagAttribute(tag, u"SRC", source)) return;
  const int number = F.PictureCount + 1;
  TView alt;
  if (FHitPicture == number && F.InAnchor && TagAttribute(tag, u"ALT", alt)) source = alt;
  TPictureRoom room = FindPicture(source);
  if (!room.Found()) {
    F.PictureCount = number;
    return;
  }
  if (room.Picture != nullptr) {
    auto attribute = [&](TView name) {
      int v = TagNumber(tag, name, -1);
      return v < 0 ? -1 : std::min(v, kMaxRoom);
    };
    const int w = attribute(u"WIDTH"), h = attribute(u"HEIGHT");
    const int pw = room.Width, ph = room.Height;
    if (w >= 0 && h >= 0) {
      room.Width = w;
      room.Height = h;
    } else if (w >= 0) {
      room.Width = w;
      room.Height = static_cast<int>(std::lround(static_cast<double>(w) * ph / pw));
    } else if (h >= 0) {
      room.Height = h;
      room.Width = static_cast<int>(std::lround(static_cast<double>(h) * pw / ph));
    }
    room.Stretch = w >= 0 || h >= 0;
    const double ppi = GetDeviceCaps(FCanvas->Handle(), LOGPIXELSX) / 96.0;
    room.Width = std::min(static_cast<int>(std::lround(room.Width * ppi)), kMaxRoom);
    room.Height = std::min(static_cast<int>(std::lround(room.Height * ppi)), kMaxRoom);
  }
  if (!Fits(room.Width, line)) {
    fits = false;
    return;
  }
  F.PictureCount = number;
  const int x = O.XPos - lineRect.Left;
  if (F.InAnchor && x > line.Width && x < line.Width + room.Width && O.YPos > lineRect.Top &&
      O.YPos < lineRect.Top + room.Height) {
    line.PictureHit = true;
    R.AnchorOut = String(F.Target);
    R.AnchorTitleOut = String(F.Title);
    FHitPicture = number;
  }
  if (draw) {
    const TRect r{FX, lineRect.Top, FX + room.Width, lineRect.Top + room.Height};
    if (room.ListIndex >= 0) {
      FSurface.ListPicture(O.Images, room.ListIndex, r, room.Stretch);
    } else if (!room.SystemName.empty()) {
      TSize size{};
      DrawSystemIcon(FCanvas, r.Left, r.Top, room.SystemName, room.SystemLarge, true,
                     room.Stretch, O.ImageScale, size);
    } else {
      if (room.Picture->FrameCount() > 1) {
        const int fx = r.Left + room.Picture->FrameXPos(), fy = r.Top + room.Picture->FrameYPos();
        FSurface.Fill(TRect{fx, fy, fx + room.Picture->FrameWidth(),
                            fy + room.Picture->FrameHeight()},
                      FStartBackground);
      }
      FSurface.Picture(room.Picture, r, room.Stretch);
    }
  }
  line.Width += room.Width;
  FX += room.Width;
  line.Height = std::max(line.Height, room.Height);
  if (FindNoCase(tag, u"\"TOP") != TView::npos) {
    line.PictureOffset = line.Height - GhHeight();
  } else if (FindNoCase(tag, u"\"MIDDLE") != TView::npos) {
    line.PictureOffset = (line.Height - GhHeight()) / 2;
  }
}

void THtmlLayout::Control(TView tag, const TRect& lineRect, TPassMode mode, TLineInfo& line,
                          bool& fits) {
  const bool draw = mode == TPassMode::Paint;
  const THtmlControlTag c = ParseControlTag(String(tag));
  TView widthText(c.Width);
  if (widthText.empty() || widthText[0] < u'0' || widthText[0] > u'9') return;
  const int width = std::min(LooseInt(widthText), kMaxRoom);
  int height = 25;
  if (!c.Height.empty() && c.Height[0] >= u'0' && c.Height[0] <= u'9') {
    height = std::min(LooseInt(c.Height), kMaxRoom);
  }
  TControlLook look;
  if (c.Type == u"PASSWORD") {
    look.Kind = TControlKind::Password;
  } else if (c.Type == u"COMBO") {
    look.Kind = TControlKind::Combo;
  } else if (c.Type == u"CHECK") {
    look.Kind = TControlKind::Check;
  } else if (c.Type == u"RADIO") {
    look.Kind = TControlKind::Radio;
  } else if (c.Type == u"BUTTON") {
    look.Kind = TControlKind::Button;
  }
  const bool box = look.Kind == TControlKind::Check || look.Kind == TControlKind::Radio;
  int h = box ? 16 : 23;
  if (height > 25) h = height - 2;
  int roomW = width, roomH;
  switch (look.Kind) {
    case TControlKind::Check:
    case TControlKind::Radio: roomW = 16; roomH = 16; break;
    case TControlKind::Combo:
    case TControlKind::Button: roomH = 25; break;
    default: roomH = GhHeight() + 10; break;
  }
  const int x = O.XPos - lineRect.Left;
  if ((x > line.Width && x < line.Width + roomW && O.YPos > lineRect.Top &&
       O.YPos < lineRect.Top + roomH) ||
      (O.HitTest && !c.Id.empty() && R.ControlId == c.Id)) {
    line.PictureHit = true;
    R.AnchorOut = u"ctrl";
    R.ControlRectOut = TRect{lineRect.Left + line.Width, lineRect.Top,
                             lineRect.Left + line.Width + roomW, lineRect.Top + roomH};
    R.ControlValueOut = c.Value;
    R.ControlId = c.Id;
    R.ControlTypeOut = c.Type;
  }
  if (!Fits(roomW, line)) {
    fits = false;
    return;
  }
  line.Height = std::max(line.Height, std::max(h, roomH));
  if (draw) {
    look.X = FX;
    look.Bottom = RunBottom(lineRect, line);
    look.Width = width;
    look.LineHeight = h;
    look.Height = height;
    look.Value = look.Kind == TControlKind::Password ? MaskPassword(c.Value) : c.Value;
    look.Checked = UpperCase(c.Value) == u"TRUE";
    look.Hot = FX - 2 < O.XPos && O.XPos < FX - 2 + width &&
               look.Bottom - roomH - 2 < O.YPos && O.YPos < look.Bottom - 2;
    look.Down = O.ControlDown;
    FSurface.Control(look);
  }
  line.Width += roomW;
  FX += roomW;
}

}  // namespace

bool RenderHtmlText(TCanvas* canvas, const String& html, const TRect& rect,
                    const THtmlRenderOptions& options, THtmlRenderResult& result) {
  if (canvas == nullptr) return false;
  THtmlLayout layout(canvas, options, result);
  return layout.Render(html, rect);
}
