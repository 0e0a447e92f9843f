// TAsgSpinEdit: values read from and written to the text, stepping, typed keys and layout.
#include "controls/grid/asgspin.h"

#include <algorithm>
#include <cmath>

#include "controls/grid/AsgCtl3D.h"
#include "controls/grid/AsgEditLayout.h"
#include "platform/rtl/NumberText.h"
#include "platform/rtl/StrUtils.h"
#include "platform/win/VirtualKeys.h"

using namespace asgspin;

namespace {

// The keypad's decimal key: its key data carries bit 22 (part of scan code 0x53).
constexpr LPARAM kKeypadBit = 0x400000;

bool Contains(const String& text, char16_t ch) { return text.find(ch) != String::npos; }

// The 1-based position of ch in text after the 1-based position `after`; 0 when none.
int PosAfter(const String& text, char16_t ch, int after) {
  size_t at = text.find(ch, static_cast<size_t>(after));
  return at == String::npos ? 0 : static_cast<int>(at) + 1;
}

// The same day `months` months on; a day the month lacks becomes its last day. False past the
// calendar's ends.
bool TryIncMonth(TDateTime value, int months, TDateTime& result) {
  uint16_t y, m, d;
  DecodeDate(value, y, m, d);
  int total = y * 12 + (m - 1) + months;
  int year = total / 12;
  int month = total % 12 + 1;
  if (year < 1 || year > 9999) return false;
  auto day = std::min<uint16_t>(d, DaysInAMonth(static_cast<uint16_t>(year),
                                                static_cast<uint16_t>(month)));
  TDateTime date;
  if (!TryEncodeDate(static_cast<uint16_t>(year), static_cast<uint16_t>(month), day, date))
    return false;
  result = date + (value - std::floor(value));
  return true;
}

TDateTime Clamp(TDateTime value, TDateTime min, TDateTime max) {
  if (min == max) return value;
  return std::clamp(value, min, std::max(min, max));
}

}  // namespace

TAsgSpinEdit::TAsgSpinEdit(TComponent* owner) : TCustomMaskEdit(owner) {
  FButton = new TAsgSpinButton(this);
  FButton->SetBounds(0, 0, 15, 17);
  FButton->SetParent(this);
  FButton->SetFocusControl(this);
  FButton->OnUpClick = [this](TObject* sender) { UpClick(sender); };
  FButton->OnDownClick = [this](TObject* sender) { DownClick(sender); };
  SetText(u"0");
  TControlStyle style = ControlStyle();
  style >> csSetCaption;
  SetControlStyle(style);
}

TAsgSpinEdit::~TAsgSpinEdit() { FButton = nullptr; }

// --- Values --------------------------------------------------------------------------------------

int TAsgSpinEdit::Value() {
  String text = Trim(Text());
  if (text.empty()) return 0;
  int32_t value;
  return TryStrToInt(text, value) ? value : MinValue;
}

void TAsgSpinEdit::SetValue(int value) {
  if (MinValue != MaxValue) value = std::clamp(value, MinValue, std::max(MinValue, MaxValue));
  SetText(IntToStr(value));
  if (!EditorEnabled) SelectAll();
}

double TAsgSpinEdit::FloatValue() {
  double value;
  return TryStrToFloat(Text(), value) ? value : MinFloatValue;
}

void TAsgSpinEdit::SetFloatValue(double value) {
  if (MaxFloatValue != MinFloatValue) {
    if (value <= MinFloatValue) value = MinFloatValue;
    if (value >= MaxFloatValue) value = MaxFloatValue;
  }
  SetText(FPrecision != 0 ? FloatToStrF(value, ffFixed, 15, FPrecision) : FloatToStr(value));
}

TDateTime TAsgSpinEdit::DateValue() {
  String text = Text();
  if (text == u"0" || text.empty()) return Now();
  TDateTime value;
  return TryStrToDate(text, value) ? value : MinDateValue;
}

void TAsgSpinEdit::SetDateValue(TDateTime value) {
  FDateValue = value;
  if (Loading()) return;
  value = Clamp(value, MinDateValue, MaxDateValue);
  int caret = SelStart();
  SetText(DateToStr(value));
  SetSelStart(caret);
}

TDateTime TAsgSpinEdit::TimeValue() {
  TDateTime value;
  return TryStrToTime(Text(), value) ? value : 0;
}

void TAsgSpinEdit::SetTimeValue(TDateTime value) {
  FTimeValue = value;
  if (Loading()) return;
  value = Clamp(value, MinDateValue, MaxDateValue);
  int caret = SelStart();
  SetText(ShowSeconds ? TimeToStr(value) : FormatDateTime(u"h:nn", value));
  SetSelStart(caret);
}

void TAsgSpinEdit::Reformat() {
  switch (FSpinType) {
    case sptNormal: SetValue(Value()); break;
    case sptFloat: SetFloatValue(FloatValue()); break;
    case sptDate: SetDateValue(DateValue()); break;
    case sptTime: SetTimeValue(TimeValue()); break;
  }
}

void TAsgSpinEdit::SetSpinType(TAsgSpinType value) {
  FSpinType = value;
  Reformat();
}

void TAsgSpinEdit::SetPrecision(int value) {
  FPrecision = value;
  if (FSpinType == sptFloat) SetFloatValue(FloatValue());
}

void TAsgSpinEdit::Loaded() {
  TCustomMaskEdit::Loaded();
  if (FSpinType == sptDate) SetText(DateToStr(FDateValue));
  if (FSpinType == sptTime)
    SetText(ShowSeconds ? TimeToStr(FTimeValue) : FormatDateTime(u"h:nn", FTimeValue));
  SetSpinType(FSpinType);
}

// --- Looks ---------------------------------------------------------------------------------------

void TAsgSpinEdit::NudgeWidth() {
  // Resizing makes the edit lay out its button pair again.
  SetWidth(Width() + 1);
  SetWidth(Width() - 1);
}

void TAsgSpinEdit::SetDirection(TSpinDirection value) {
  if (FDirection == value) return;
  FDirection = value;
  FButton->SetDirection(value);
  NudgeWidth();
}

void TAsgSpinEdit::SetEditAlign(TEditAlign value) {
  FEditAlign = value;
  RecreateWnd();
}

void TAsgSpinEdit::SetSpinFlat(bool value) {
  FButton->UpButton()->SetFlat(value);
  FButton->DownButton()->SetFlat(value);
  FSpinFlat = value;
}

void TAsgSpinEdit::SetSpinTransparent(bool value) {
  FButton->UpButton()->SetTransparent(value);
  FButton->DownButton()->SetTransparent(value);
  FSpinTransparent = value;
  NudgeWidth();
}

void TAsgSpinEdit::SetIsWinXP(bool value) {
  FIsWinXP = value;
  FButton->SetIsWinXP(value);
}

void TAsgSpinEdit::SetCtl3D(bool value) {
  AsgCtl3D::Change(this, FCtl3D, value);
  PlaceButton();
}

// --- Stepping ------------------------------------------------------------------------------------

void TAsgSpinEdit::StepUp(bool page) { Step(+1, page); }

void TAsgSpinEdit::StepDown(bool page) { Step(-1, page); }

void TAsgSpinEdit::UpClick(TObject*) { StepUp(false); }

void TAsgSpinEdit::DownClick(TObject*) { StepDown(false); }

void TAsgSpinEdit::Step(int sign, bool page) {
  if (ReadOnly()) {
    MessageBeep(0);
    return;
  }
  switch (FSpinType) {
    case sptNormal: SetValue(Value() + sign * Increment); break;
    case sptFloat:
      SetFloatValue(FloatValue() + sign * (page ? IncrementFloatPage : IncrementFloat));
      break;
    case sptDate: StepDate(sign); break;
    case sptTime: StepTime(sign); break;
  }
}

void TAsgSpinEdit::StepDate(int sign) {
  const String text = Text();
  const char16_t separator = FormatSettings().DateSeparator;
  const int p1 = PosAfter(text, separator, 0);
  const int p2 = p1 > 0 ? PosAfter(text, separator, p1) : 0;
  const int caret = SelStart();
  const int field = caret < p1 ? 0 : caret < p2 ? 1 : 2;
  const String format = AnsiUpperCase(FormatSettings().ShortDateFormat);
  const size_t month = format.find(u'M'), day = format.find(u'D');
  const bool monthFirst = month != String::npos && (day == String::npos || month < day);

  TDateTime value = DateValue();
  TDateTime stepped = value;
  if (field == 2) {
    uint16_t y, m, d;
    DecodeDate(value, y, m, d);
    int year = y + sign;
    if (year < 1 || year > 9999) return;
    // 29 February of a year without one becomes the 28th.
    d = std::min<uint16_t>(d, DaysInAMonth(static_cast<uint16_t>(year), m));
    if (!TryEncodeDate(static_cast<uint16_t>(year), m, d, stepped)) return;
    stepped += value - std::floor(value);
  } else if ((field == 0) == monthFirst) {
    if (!TryIncMonth(value, sign, stepped)) return;
  } else {
    stepped = value + sign;
  }
  SetDateValue(stepped);
}

void TAsgSpinEdit::StepTime(int sign) {
  const String text = Text();
  const char16_t separator = FormatSettings().TimeSeparator;
  const int p1 = PosAfter(text, separator, 0);
  const int caret = SelStart();
  int seconds;
  if (caret < p1) {
    seconds = IncrementHours * 3600;
  } else {
    const int p2 = ShowSeconds && p1 > 0 ? PosAfter(text, separator, p1) : 0;
    seconds = p2 > 0 && caret >= p2 ? IncrementSeconds : IncrementMinutes * 60;
  }
  // A step is a fraction of a day; only the time of day shows, so midnight wraps.
  double value = TimeValue() + sign * static_cast<double>(seconds) / SecsPerDay;
  value -= std::floor(value);
  SetTimeValue(value);
}

// --- Keys ----------------------------------------------------------------------------------------

bool TAsgSpinEdit::IsValidChar(char16_t& key) {
  if (key == u'\b') return EditorEnabled;
  const TFormatSettings& settings = FormatSettings();
  const char16_t decimal = settings.DecimalSeparator, thousand = settings.ThousandSeparator;
  const char16_t timeSep = settings.TimeSeparator, dateSep = settings.DateSeparator;
  const bool digit = key >= u'0' && key <= u'9';
  bool result = key == decimal || key == thousand || key == timeSep || key == dateSep ||
                key == u'-' || digit || (key < 32 && key != u'\r');
  const bool numeric = FSpinType == sptNormal || FSpinType == sptFloat;
  // A separator of another kind passes only where it doubles as a number's own character.
  auto numberCharacter = [&](char16_t separator) {
    return numeric && (separator == decimal || separator == thousand || separator == u'-' ||
                       separator == u'+');
  };
  if (key == timeSep && FSpinType != sptTime && !numberCharacter(timeSep)) result = false;
  if (key == dateSep && FSpinType != sptDate && !numberCharacter(dateSep)) result = false;

  const String text = Text();
  const String selected = SelText();
  if (key == u'-') {
    // One minus sign, at the start.
    if (Contains(text, u'-') && !Contains(selected, u'-'))
      result = false;
    else if (SelStart() > 0)
      result = false;
  }
  if (FSpinType == sptNormal && !digit && key != u'-') result = false;
  if (FSpinType == sptFloat && key != 27 && key != u'\r') {
    if (key == thousand) result = false;
    if (key == decimal && Contains(text, decimal) && !Contains(selected, decimal)) result = false;
    const int p = PosAfter(text, decimal, 0);
    if (FPrecision > 0 && p > 0 && SelStart() >= p && SelLength() == 0 && result &&
        static_cast<int>(text.size()) >= p + FPrecision)
      result = false;
  }
  if (FSpinType == sptTime && key == timeSep && std::count(text.begin(), text.end(), timeSep) >= 2)
    result = false;
  if (!EditorEnabled && result && key >= 32) result = false;
  return result;
}

void TAsgSpinEdit::KeyPress(char16_t& key) {
  if (!IsValidChar(key)) {
    key = 0;
    MessageBeep(0);
  }
  if (key != 0) TCustomMaskEdit::KeyPress(key);
}

void TAsgSpinEdit::KeyDown(WORD& key, TShiftState shift) {
  if (key == VK_RETURN && ReturnIsTab) {
    key = VK_TAB;
    PostMessage(Handle(), WM_KEYDOWN, VK_TAB, 0);
  }
  if (key == VK_DELETE && !EditorEnabled) key = 0;
  TCustomMaskEdit::KeyDown(key, shift);
}

void TAsgSpinEdit::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_CHAR:
      if (ExcelStyleDecimalSeparator && message.WParam == u'.' && (message.LParam & kKeypadBit))
        message.WParam = FormatSettings().DecimalSeparator;
      break;
    case WM_KEYDOWN:
      switch (message.WParam) {
        case VK_PRIOR: StepUp(true); break;
        case VK_NEXT: StepDown(true); break;
        case VK_UP: StepUp(false); break;
        case VK_DOWN: StepDown(false); break;
        default: TCustomMaskEdit::Dispatch(message); return;
      }
      message.Result = 0;
      return;
    case WM_PASTE:
    case WM_CUT:
      if (!EditorEnabled || ReadOnly()) return;
      break;
    default: break;
  }
  TCustomMaskEdit::Dispatch(message);
}

void TAsgSpinEdit::DoEnter() {
  if (AutoSelect() && (!ControlState().Contains(csLButtonDown) || !EditorEnabled)) SelectAll();
  TCustomMaskEdit::DoEnter();
}

void TAsgSpinEdit::DoExit() {
  TCustomMaskEdit::DoExit();
  // A value typed outside the limits is brought back inside them.
  switch (FSpinType) {
    case sptNormal: {
      int value = Value();
      if (MinValue != MaxValue && (value < MinValue || value > MaxValue)) SetValue(value);
      break;
    }
    case sptFloat: {
      double value = FloatValue();
      if (MinFloatValue != MaxFloatValue && (value < MinFloatValue || value > MaxFloatValue))
        SetFloatValue(value);
      break;
    }
    case sptDate: {
      TDateTime value = DateValue();
      if (Clamp(value, MinDateValue, MaxDateValue) != value) SetDateValue(value);
      break;
    }
    case sptTime: {
      TDateTime value = TimeValue();
      if (Clamp(value, MinDateValue, MaxDateValue) != value) SetTimeValue(value);
      break;
    }
  }
}

// --- Layout --------------------------------------------------------------------------------------

void TAsgSpinEdit::CreateParams(TCreateParams& params) {
  TCustomMaskEdit::CreateParams(params);
  params.Style |= WS_CLIPCHILDREN;
  params.Style &= ~(ES_RIGHT | ES_CENTER);
  if (FEditAlign == eaRight) params.Style |= ES_RIGHT;
  if (FEditAlign == eaCenter) params.Style |= ES_CENTER;
}

void TAsgSpinEdit::CreateWnd() {
  TCustomMaskEdit::CreateWnd();
  PlaceButton();
}

int TAsgSpinEdit::MinHeight() {
  int height = AsgEditLayout::MinHeight(this) + 2;
  if (BorderStyle() == bsSingle) height += 4 * GetSystemMetrics(SM_CYBORDER);
  return height;
}

void TAsgSpinEdit::PlaceButton() {
  if (!FButton || !HandleAllocated()) return;
  AsgEditLayout::PlaceButton(this, FButton, FCtl3D);
  SetEditRect();
}

void TAsgSpinEdit::SetEditRect() {
  const int margin = BorderStyle() == bsNone ? 3 : 0;
  AsgEditLayout::SetFormattingRect(this, margin, margin,
                                   AsgEditLayout::InnerWidth(this) - FButton->Width() - 2 - margin,
                                   AsgEditLayout::InnerHeight(this) + 1);
}

void TAsgSpinEdit::Resize() {
  TCustomMaskEdit::Resize();
  if (!FButton) return;
  if (Height() < MinHeight())
    SetHeight(MinHeight());
  else
    PlaceButton();
}
