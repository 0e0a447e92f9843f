// What each tag of the mini-HTML does to the layout and the drawing.
#include <algorithm>

#include "controls/html/AsgHTMLE_Layout.h"

namespace AsgHtml {

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
  TFont* font = FFont;
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
      if (D.AnchorTitle) {
        if (!TagAttribute(tag, u"HREF", target)) break;
        TagAttribute(tag, u"TITLE", title);
      } else {
        TagAttribute(tag, u"", target);
      }
      F.InAnchor = true;
      F.Target = target;
      F.Title = title;
      F.AnchorStartX = line.Width;
      F.AnchorStartTop = lineRect.Top;
      F.AnchorStartLine = FLine;
      F.HoverApplied = false;
      if (!draw) break;
      if (F.AnchorCount == O.FocusLink + 1) {
        FFocusOpen = D.FocusRect;
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
      if (!D.BodyFill) {
        // Only the text background changes.
        if (O.Selected || !TagAttribute(tag, u"BGCOLOR", value)) break;
        FSavedBodyBack = FBack;
        TView to;
        FBack = D.BgColorTo && TagAttribute(tag, u"BGCOLORTO", to) ? clNone : Colour(value);
        break;
      }
      if (TagAttribute(tag, u"BACKGROUND", value)) {
        TPictureRoom room = FindPicture(value);
        if (room.Picture != nullptr && room.Found()) {
          FSurface.TiledPicture(room.Picture, FRect, TSize{room.Width, room.Height});
        }
      }
      if (TagAttribute(tag, u"BGCOLOR", value)) {
        FBack = Colour(value);
        FSurface.Fill(FRect, FBack);
      }
      break;
    }
    case TTag::Control:
      if (D.Controls) Control(tag, lineRect, mode, line, fits);
      break;
    case TTag::ErrorLine: F.ErrorLine = true; break;
    case TTag::EndErrorLine: F.ErrorLine = false; break;
    case TTag::Font: {
      TView value;
      if (TagAttribute(tag, u"FACE", value) && !value.empty()) font->SetName(String(value));
      if (draw && !O.Selected && TagAttribute(tag, u" COLOR", value)) {
        SetTextColor(Colour(value));
      }
      if (draw && !O.Selected && TagAttribute(tag, u"BGCOLOR", value)) {
        FSavedFontBack = FBack;
        FBack = Colour(value);
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
      if (D.ListItemTypes) {
        if (FLiOnLine) {
          fits = false;
          break;
        }
        ListItem(tag, lineRect, mode, line);
        break;
      }
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
      if (!D.ParagraphBand) {
        if (draw && D.BgColorTo && TagAttribute(tag, u"BGCOLORTO", value)) FBack = clNone;
        break;
      }
      if (TagAttribute(tag, u"BGCOLOR", value)) {
        if (mode == TPassMode::Measure) line.Band = Colour(value);
        if (draw) {
          FSavedParaBack = FBack;
          FBack = Colour(value);
          FParaBack = true;
        }
      }
      break;
    }
    case TTag::EndParagraph:
      if (draw && !D.ParagraphBand) {
        FBack = clNone;
      } else if (draw) {
        FBack = FSavedParaBack;
        FSavedParaBack = clNone;
        FParaBack = false;
      }
      endLine = true;
      break;
    case TTag::Rotate: {
      if (!D.Rotation) break;
      size_t a = FindNoCase(tag.substr(2), u"A");
      TView value;
      if (a != TView::npos && TagAttribute(tag.substr(2 + a), u"", value)) {
        font->SetOrientation(std::clamp(LooseInt(value), -3600, 3600) * 10 % 3600);
      }
      break;
    }
    case TTag::EndRotate:
      if (D.Rotation) font->SetOrientation(0);
      break;
    case TTag::Offset: {
      TView value;
      if (!D.OffsetTag || !TagAttribute(tag, u"X", value)) break;
      F.Offset = std::clamp(LooseInt(value), 0, kMaxRoom);
      line.Width = F.Offset;
      FX = lineRect.Left + F.Offset;
      break;
    }
    case TTag::EndOffset:
      if (D.OffsetTag) F.Offset = 0;
      break;
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
      FSurface.Focus(TRect{FFocusStart.X - 1, top, FX + 1, bottom});
      FFocusOpen = false;
    }
    if (F.HoverApplied) {
      TFontStyles st = FFont->Style();
      st >> fsUnderline;
      FFont->SetStyle(st);
      if (O.HoverColor != clNone) FBack = FSavedAnchorBack;
      if (O.HoverFontColor != clNone) SetTextColor(FSavedAnchorColor);
    }
    if (!O.Selected) SetTextColor(FBase.Color);
  }
  F.InAnchor = false;
  F.HoverApplied = false;
}

void THtmlLayout::ListItem(TView tag, const TRect& lineRect, TPassMode mode, TLineInfo& line) {
  FLiOnLine = true;
  const int level = std::max(F.ListLevel, 1);
  line.Width += kListIndent * level;
  FX += kListIndent * level - kListIndent;
  TView type, colour, name;
  TagAttribute(tag, u"TYPE", type);
  const bool coloured = TagAttribute(tag, u"COLOR", colour);
  const TColor c = coloured ? Colour(colour) : clNone;
  const bool draw = mode == TPassMode::Paint && !F.Hidden;
  const TRect box{FX, lineRect.Top + 2, FX + 8, lineRect.Top + 10};
  if (FindNoCase(type, u"SQUARE") == 0 && !type.empty()) {
    if (draw) FSurface.Fill(box, coloured ? c : clWhite);
  } else if (FindNoCase(type, u"CIRCLE") == 0 && !type.empty()) {
    if (draw) FSurface.Ellipse(box, coloured ? c : clWhite);
  } else if (FindNoCase(type, u"IMAGE") == 0 && !type.empty()) {
    TSize size{};
    TagAttribute(tag, u"NAME", name);
    const int picture = FSurface.FindNamedPicture(String(name), size);
    if (picture >= 0) {
      if (draw) {
        FSurface.NamedPicture(picture, TRect{FX, box.Top, FX + size.cx, box.Top + size.cy},
                              false);
      }
      if (size.cx > kListIndent) FX += size.cx - kListIndent;
    }
  } else if (draw) {
    TRect r{FX, lineRect.Top, lineRect.Right, RunBottom(lineRect, line)};
    FSurface.Run(r, level % 2 == 1 ? u"\u2022" : u"o", FFlags | DT_NOPREFIX,
                 coloured ? c : TextColor(), clNone);
  }
  FX += kListIndent;
}

}  // namespace AsgHtml
