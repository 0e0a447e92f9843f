// The mini-HTML layout engine, shared by its sources: the line loop and text runs
// (AsgHTMLE_Layout.cpp), the tags (AsgHTMLE_Tags.cpp) and the pictures and embedded controls
// (AsgHTMLE_Objects.cpp).
#pragma once

#include <vector>

#include "controls/html/AsgHTMLE.h"
#include "controls/html/AsgHTMLE_Markup.h"
#include "controls/html/AsgHTMLE_Surface.h"

namespace AsgHtml {

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

inline TFontState ReadFont(const TFont* font) {
  return TFontState{font->Name(), font->Size(), font->Style(), font->Color(), font->Orientation()};
}

inline void ApplyFont(TFont* font, const TFontState& s) {
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
  int Offset = 0;             // the OF tag's x offset, kept from line to line
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
  int Named = -1;  // a picture the surface knows by name
  int ListIndex = -1;
  bool System = false;  // a system icon of that name (an empty name is a plain file)
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
  THtmlLayout(THtmlSurface& surface, const THtmlRenderOptions& o, THtmlRenderResult& r)
      : FSurface(surface), FFont(surface.Font()), O(o), D(o.Dialect), R(r) {}
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
  TColor TextColor() const { return FFont->Color(); }
  void SetTextColor(TColor c) { FFont->SetColor(c); }
  // A colour attribute's value; an empty one is clNone in the panel's dialect.
  TColor Colour(TView value) const {
    return value.empty() && D.EmptyColorNone ? clNone : ColorValue(value);
  }
  void ListItem(TView tag, const TRect& lineRect, TPassMode mode, TLineInfo& line);
  // Whether the markup from pos has a blank before its first "</A" (searched once per anchor).
  bool BlankBeforeAnchorEnd(size_t pos);
  // Where the next "<" at or after pos is, within the text being laid out.
  size_t NextTag(size_t pos);
  // The text height of "gh" in the canvas font, measured once per font.
  int GhHeight() {
    HFONT font = FFont->Handle();
    if (font != FGhFont) {
      FGhFont = font;
      FGh = FSurface.Measure(u"gh", FFlags).cy;
    }
    return FGh;
  }
  // The width of a blank in the canvas font, measured once per font.
  int BlankWidth() {
    HFONT font = FFont->Handle();
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

  THtmlSurface& FSurface;
  TFont* FFont;
  const THtmlRenderOptions& O;
  const THtmlDialect& D;
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
  TColor FSavedParaBack = clNone, FSavedBodyBack = clNone;
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
  size_t FAnchorEndFrom = String::npos, FAnchorEnd = String::npos;  // the "</A" search
  size_t FTagFrom = String::npos, FTagAt = String::npos;  // the "<" search
};
}  // namespace AsgHtml
