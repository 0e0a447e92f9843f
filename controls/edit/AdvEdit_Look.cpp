// TAdvEdit: alignment and the formatting rectangle, focus, error and modified colours, borders,
// the empty-text hint, the error marker, the link look and the hint for a long text.
#include <algorithm>

#include "controls/edit/AdvEdit.h"
#include "platform/gdi/Gdi.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Screen.h"
#include "platform/win/PlatformInfo.h"
#include "platform/win/Shell.h"

using namespace AdvEdit;

namespace {

// The sunken edge the platform edit paints inside its client area, and the pixel of room the
// platform edit keeps between its edge and the text.
int EdgeOf(TBorderStyle style) { return style == bsSingle ? 2 : 0; }
int TextInset(TBorderStyle style) { return EdgeOf(style) + 1; }

constexpr bool kComCtl6 = PlatformInfo::ComCtlMajorVersion >= 6;

}  // namespace

// --- The formatting rectangle and alignment ------------------------------------------------------

void TAdvEdit::SetEditRect() {
  if (!HandleAllocated()) return;
  const int width = ClientWidth();
  const int height = ClientHeight();
  const int edge = TextInset(BorderStyle());
  // The edit counts as three-dimensional, so no extra margin is taken off its sides.
  TRect r = FFlat ? TRect{4, 3, width - 4, height - 4} : TRect{0, 0, width, height};
  r = TRect{r.Left + edge, r.Top + edge, std::max(r.Left + edge, r.Right - edge),
            std::max(r.Top + edge, r.Bottom - edge)};
  Perform(EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&r));
}

void TAdvEdit::SetEditAlign(TEditAlign value) {
  if (FEditAlign == value) return;
  FEditAlign = value;
  if (HandleAllocated()) RecreateWnd();
  Invalidate();
}

// --- Colours -------------------------------------------------------------------------------------

void TAdvEdit::SetColor(TColor value) {
  FNormalColor = value;
  SetColorQuietly(value);
}

void TAdvEdit::ApplyStateColors() {
  if (FErrorState) {
    SetColorQuietly(ErrorColor);
    Font()->SetColor(ErrorFontColor);
  } else if (Focused()) {
    SetColorQuietly(FocusColor == clNone ? FNormalColor : FocusColor);
    if (FocusFontColor != clNone) Font()->SetColor(FocusFontColor);
  } else {
    SetColorQuietly(FNormalColor);
    Font()->SetColor(FNormalFontColor);
  }
}

void TAdvEdit::SetErrorState(bool value) {
  if (IsLoading() || ComponentState().Contains(csDesigning) || FErrorState == value) return;
  FErrorState = value;
  if (ShowError) ApplyStateColors();
}

void TAdvEdit::CMEnabledChanged() {
  if (IsLoading() || ComponentState().Contains(csDesigning)) return;
  if (Enabled()) {
    SetColorQuietly(FNormalColor);
    if (FErrorState) ApplyStateColors();
  } else {
    SetColorQuietly(FDisabledColor);
  }
  if (FLabel && !FLabelAlwaysEnabled) FLabel->SetEnabled(Enabled());
  Invalidate();
}

void TAdvEdit::SetDisabledColor(TColor value) {
  FDisabledColor = value;
  if (!Enabled()) SetColorQuietly(value);
  Invalidate();
}

void TAdvEdit::SetDisabledBorder(bool value) {
  FDisabledBorder = value;
  Invalidate();
}

// --- The flat look and borders -------------------------------------------------------------------

void TAdvEdit::SetFlat(bool value) {
  if (IsLoading()) {
    FFlat = value;
    return;
  }
  if (FFlat == value) return;
  FFlat = value;
  if (value) {
    TColor before = Color();
    if (FFlatParentColor && Parent()) {
      // The parent's colour stays the edit's colour, also after the focus has left.
      TColor parentColor = Parent()->Brush()->Color();
      SetColorQuietly(parentColor);
      FocusColor = parentColor;
      FNormalColor = parentColor;
    } else {
      SetColorQuietly(FNormalColor);
      FNormalColor = before;
    }
    FLoadedBorderStyle = BorderStyle();
    SetBorderStyle(bsNone);
  } else {
    SetColorQuietly(FNormalColor);
    SetBorderStyle(FLoadedBorderStyle);
  }
  SetEditRect();
  Invalidate();
}

void TAdvEdit::SetFlatLineColor(TColor value) {
  FFlatLineColor = value;
  Invalidate();
}

void TAdvEdit::SetFlatParentColor(bool value) {
  FFlatParentColor = value;
  Invalidate();
}

void TAdvEdit::SetSoftBorder(bool value) {
  FSoftBorder = value;
  Invalidate();
}

void TAdvEdit::SetFocusBorder(bool value) {
  FFocusBorder = value;
  Invalidate();
}

void TAdvEdit::SetBorderColor(TColor value) {
  FBorderColor = value;
  Invalidate();
}

void TAdvEdit::SetTransparent(bool value) {
  FTransparent = value;
  Invalidate();
}

void TAdvEdit::PaintFlatLine(TCanvas* canvas) {
  TRect format = FormattingRect();
  const int width = ClientWidth();
  const int height = ClientHeight();
  canvas->Pen()->SetWidth(1);
  canvas->Pen()->SetStyle(psSolid);
  canvas->Pen()->SetColor(Enabled() ? FFlatLineColor : clGray);
  if (FSoftBorder) {
    canvas->Polyline({{format.Left - 4, height - 1}, {width - 1, height - 1},
                      {width - 1, format.Top - 3}, {format.Left - 4, format.Top - 3},
                      {format.Left - 4, height - 1}});
  } else {
    canvas->MoveTo(format.Left - 2, height - 1);
    canvas->LineTo(width, height - 1);
  }
}

void TAdvEdit::DrawBorder(TCanvas* canvas) {
  const bool designing = ComponentState().Contains(csDesigning);
  if (designing && FBorderColor == clNone) return;
  const bool focused = Focused();
  TColor color;
  if (!Enabled() && kComCtl6 && FDisabledBorder) {
    color = clSilver;
  } else {
    color = FBorderColor;
    if (color == clNone || (focused && FocusBorderColor != clNone))
      color = focused ? FocusBorderColor : clNone;
  }
  TRect r = ClientRect();
  canvas->Brush()->SetStyle(bsSolid);
  if (color != clNone) {
    canvas->Brush()->SetColor(color);
    canvas->FrameRect(r);
    return;
  }
  if (!Enabled() || (FFocusBorder && kComCtl6)) return;
  TCustomForm* form = GetParentForm(this);
  bool active = form && form->ActiveControl() == this;
  if (FFocusBorder && (FHot || active)) {
    DrawEdge(canvas->Handle(), r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    canvas->Brush()->SetColor(clBtnFace);
    canvas->FrameRect(r);
    return;
  }
  // Blends into the parent.
  TColor parent = Parent() ? Parent()->Brush()->Color() : clBtnFace;
  canvas->Brush()->SetColor(parent);
  canvas->FrameRect(r);
  InflateRect(r, -1, -1);
  canvas->FrameRect(r);
}

// --- Painting ------------------------------------------------------------------------------------

void TAdvEdit::Paint() {
  TCustomEdit::Paint();
  TCanvas* canvas = Canvas();
  if (FFlat && !(FFocusBorder && Focused()) && FFlatLineColor != clNone) PaintFlatLine(canvas);
  if (FDropCaret.X >= 0) {
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Font()->Color());
    canvas->FillRect({FDropCaret.X, FDropCaret.Y, FDropCaret.X + 1,
                      FDropCaret.Y + canvas->TextHeight(u"gh")});
  }
  PaintEmptyText(canvas);
  PaintErrorMarker(canvas);
  if (FocusBorderColor != clNone || FBorderColor != clNone || (!Enabled() && FDisabledBorder))
    DrawBorder(canvas);
}

void TAdvEdit::PaintEmptyText(TCanvas* canvas) {
  if (FEmptyText.empty() || !Text().empty() || (Focused() && !EmptyTextFocused)) return;
  const int edge = EdgeOf(BorderStyle());
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(Color());
  canvas->Font()->Assign(Font());
  canvas->Font()->SetStyle(FEmptyTextStyle);
  canvas->Font()->SetColor(clGray);
  canvas->TextOut(3 + edge, 2 + edge, FEmptyText);
}

// The client point of a value character's top left; past the end, right of the last one.
TPoint TAdvEdit::CharPoint(int index) {
  const String window = WindowText();
  const int length = static_cast<int>(window.size());
  if (length == 0) return {0, 0};
  if (index < length) return PosFromChar(index);
  TPoint last = PosFromChar(length - 1);
  Canvas()->Font()->Assign(Font());
  String w = u"w";
  int width = Canvas()->TextWidth(w + window.back()) - Canvas()->TextWidth(w);
  return {last.X + width, last.Y};
}

void TAdvEdit::PaintErrorMarker(TCanvas* canvas) {
  if (Focused() || FErrorMarkerLen <= 0) return;
  const int valueEnd = ValueEnd();
  const int from = ValueStart() + FErrorMarkerPos;
  const int to = from + FErrorMarkerLen - 1;
  TPoint start = CharPoint(std::min(from, valueEnd));
  if (from >= valueEnd) start.X += 4;
  TPoint end = CharPoint(std::min(to, std::max(valueEnd - 1, 0)));
  end.X += to >= valueEnd - 1 ? CharPoint(valueEnd).X - CharPoint(std::max(valueEnd - 1, 0)).X + 4
                              : 0;
  canvas->Font()->Assign(Font());
  const int baseline = start.Y + canvas->TextHeight(u"gh") - 1;
  canvas->Pen()->SetColor(clRed);
  canvas->Pen()->SetWidth(2);
  std::vector<TPoint> points;
  bool low = false;
  for (int x = start.X; x <= std::max(end.X, start.X); x += 3) {
    points.push_back({x, low ? baseline + 3 : baseline});
    low = !low;
  }
  if (points.size() > 1) canvas->Polyline(points);
  canvas->Pen()->SetWidth(1);
}

void TAdvEdit::SetErrorMarkerPos(int value) {
  FErrorMarkerPos = std::max(value, 0);
  Invalidate();
}

void TAdvEdit::SetErrorMarkerLen(int value) {
  FErrorMarkerLen = std::max(value, 0);
  Invalidate();
}

void TAdvEdit::SetEmptyText(const String& value) {
  FEmptyText = value;
  Invalidate();
}

void TAdvEdit::SetEmptyTextStyle(TFontStyles value) {
  FEmptyTextStyle = value;
  Invalidate();
}

// --- Focus ---------------------------------------------------------------------------------------

void TAdvEdit::DoEnter() {
  if (IsLoading()) {
    TCustomEdit::DoEnter();
    return;
  }
  TCustomEdit::DoEnter();
  FFocusValue = Text();
  if (FocusColor != clNone && IsValidValue(Text())) SetColorQuietly(FocusColor);
  if (!((FErrorState && ShowError) || ShowModified)) {
    FNormalFontColor = FURLLook ? FNormalFontColor : Font()->Color();
    if (!(ShowURL && IsURL()) && FocusFontColor != clNone) Font()->SetColor(FocusFontColor);
  }
  // The base selects the whole window text; the value alone is meant.
  if (AutoSelect()) SelectValue();
  if (FocusLabel && FLabel) {
    FLabel->Font()->SetStyle(FLabel->Font()->Style() << fsBold);
    PlaceLabel();
  }
  if (FocusWidthInc > 0) SetWidth(Width() + FocusWidthInc);
  FSavedAlign = FEditAlign;
  FFocusAlignActive = FocusAlign != TEditAlign::eaDefault && FocusAlign != FEditAlign;
  if (FFocusAlignActive) SetEditAlign(FocusAlign);
  Invalidate();
}

void TAdvEdit::DoExit() {
  if (IsLoading()) {
    TCustomEdit::DoExit();
    return;
  }
  HideLookup();
  if (!FErrorState && Color() != FNormalColor) SetColorQuietly(FNormalColor);
  if (!((FErrorState && ShowError) || ShowModified || (ShowURL && IsURL())))
    Font()->SetColor(FNormalFontColor);
  if (FocusLabel && FLabel) {
    FLabel->Font()->SetStyle(FLabel->Font()->Style() >> fsBold);
    PlaceLabel();
  }
  const bool floatType = FEditType == TAdvEditType::etFloat || FEditType == TAdvEditType::etMoney;
  const String value = Text();
  if (FPrecision > 0 && floatType && (!value.empty() || !FAllowNumericNullValue)) {
    bool modified = Modified();
    SetFloatValue(FloatValue());
    SetModifiedState(modified);
  }
  if (value.empty() && !FAllowNumericNullValue) {
    if (FEditType == TAdvEditType::etNumeric) SetText(u"0");
    if (floatType) SetFloatValue(0);
  }
  ExitAfterFormatting();
  if (FocusWidthInc > 0) SetWidth(Width() - FocusWidthInc);
  if (FFocusAlignActive) {
    FFocusAlignActive = false;
    SetEditAlign(FSavedAlign);
  }
  AddToHistory();
  Invalidate();
}

// --- The mouse -----------------------------------------------------------------------------------

void TAdvEdit::CMMouseEnter() {
  if (AutoFocus && !ComponentState().Contains(csDesigning)) {
    TCustomForm* form = GetParentForm(this);
    if ((!form || form->Active()) && CanFocus()) SetFocus();
  }
  if (!FHot && Enabled()) {
    FHot = true;
    if (FFocusBorder) Invalidate();
  }
}

void TAdvEdit::CMMouseLeave() {
  if (FHot && Enabled()) {
    FHot = false;
    if (FFocusBorder) Invalidate();
  }
}

void TAdvEdit::CMHintShow(TMessage& message) {
  auto* info = reinterpret_cast<THintInfo*>(message.LParam);
  if (HintShowLargeText && info) {
    Canvas()->Font()->Assign(Font());
    String value = Text();
    if (Canvas()->TextWidth(value) > Width()) {
      info->HintStr = value;
      info->HintPos = ClientToScreen({0, 0});
    }
  }
  TCustomEdit::Dispatch(message);
}

// --- Links ---------------------------------------------------------------------------------------

bool TAdvEdit::IsURL() {
  String value = Text();
  if (value.find(u"://") != String::npos) return true;
  if (value.find(u'@', 1) != String::npos && !value.empty()) return true;
  String lower = value.substr(0, 4);
  for (char16_t& c : lower)
    if (c >= u'A' && c <= u'Z') c += 32;
  return lower == u"www.";
}

void TAdvEdit::SetURLLook(bool on) {
  if (on) {
    Font()->SetStyle(Font()->Style() << fsUnderline);
    Font()->SetColor(URLColor);
    SetCursor(crHandPoint);
  } else {
    Font()->SetStyle(Font()->Style() >> fsUnderline);
    Font()->SetColor(FNormalFontColor);
    SetCursor(crIBeam);
  }
  FURLLook = on;
  Invalidate();
}

void TAdvEdit::UpdateURLLook() {
  bool url = IsURL();
  if (url && !FURLLook) SetURLLook(true);
  if (!url && FURLLook) SetURLLook(false);
}
