// TAdvEdit: typing filtered by the edit type, the keys around prefix and suffix, Escape, and
// the clipboard.
#include <algorithm>
#include <limits>

#include "controls/edit/AdvEdit.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/TextCompare.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/Forms.h"
#include "platform/win/VirtualKeys.h"

using namespace AdvEdit;

namespace {

constexpr char16_t kCtrlA = 1, kCtrlC = 3, kCtrlV = 22, kCtrlX = 24;

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool IsAsciiAlphaNumeric(char16_t c) {
  return IsDigit(c) || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}
bool IsHexChar(char16_t c) {
  return IsDigit(c) || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
}
bool IsRangeSeparator(char16_t c) { return c == u',' || c == u'-' || c == u';'; }
bool IsNumericSigned(TAdvEditType type) {
  return type == TAdvEditType::etNumeric || type == TAdvEditType::etFloat ||
         type == TAdvEditType::etMoney;
}
bool ControlDown() { return GetKeyState(VK_CONTROL) < 0; }
char16_t Decimal() { return FormatSettings().DecimalSeparator; }
char16_t Thousand() { return FormatSettings().ThousandSeparator; }

}  // namespace

// Characters before the first decimal separator, without thousand separators and (for a signed
// number) without its minus.
int TAdvEdit::DigitsBeforeDecimal(const String& value) const {
  size_t decimal = value.find(Decimal());
  String integer = value.substr(0, decimal);
  int count = 0;
  for (char16_t c : integer) {
    if (c == Thousand() && FEditType != TAdvEditType::etString) continue;
    if (c == u'-' && FSigned && IsNumericSigned(FEditType)) continue;
    ++count;
  }
  return count;
}

void TAdvEdit::MoveFocusOn(bool forward) {
  if (TCustomForm* form = GetParentForm(this))
    form->Perform(WM_NEXTDLGCTL, forward ? 0 : 1, 0);
}

// --- The keystroke filter ------------------------------------------------------------------------

void TAdvEdit::WMChar(TMessage& message) {
  char16_t key = static_cast<char16_t>(message.CharCode());
  const bool ctrl = ControlDown();
  const String value = Text();
  const int valueStart = ValueStart();
  const int caret = CaretPos();
  const int valueEnd = valueStart + static_cast<int>(value.size());
  const bool wholeValueSelected =
      !value.empty() && SelStart() <= valueStart && SelStart() + SelLength() >= valueEnd;
  // Overtyping the whole value replaces it in one step; the edit announces the result once.
  if (wholeValueSelected && FEditType != TAdvEditType::etPassword) FDropChange = true;
  auto stop = [&] {
    // A refused character changes nothing, so nothing is left to drop.
    FDropChange = false;
    message.Result = 0;
  };
  auto passOn = [&](char16_t ch) {
    message.SetCharCode(ch);
    TCustomEdit::Dispatch(message);
  };

  if (key == u'\r' && ctrl) {
    message.Result = 1;
    return stop();
  }
  if (key == u'\r') {
    if (OnKeyPress) OnKeyPress(this, key);
    return stop();
  }
  if (key == VK_ESCAPE) return passOn(key);
  if (key == kCtrlA && ctrl) {
    SelectValue();
    return stop();
  }
  if ((key == kCtrlC || key == kCtrlV || key == kCtrlX) && ctrl) return passOn(key);
  if (ExcelStyleDecimalSeparator && (key == u'.' || key == u',') && (message.LParam & (1 << 22)))
    key = Decimal();
  if (key == u'\b' && !FPrefix.empty() && SelLength() == 0 && caret <= valueStart) return stop();
  if (LengthLimit > 0 && SelLength() == 0 && key != u'\b' && key != Decimal() &&
      !(key == u'-' && FSigned && IsNumericSigned(FEditType)) &&
      DigitsBeforeDecimal(value) >= LengthLimit) {
    size_t decimal = value.find(Decimal());
    if (decimal == String::npos || caret - valueStart <= static_cast<int>(decimal)) return stop();
  }
  if (key == u'\b') {
    bool dropping = FDropChange;
    String after = value;
    int at = caret - valueStart;
    if (SelLength() > 0) {
      int from = std::max(SelStart() - valueStart, 0);
      after.erase(static_cast<size_t>(from), static_cast<size_t>(SelLength()));
    } else if (at > 0 && at <= static_cast<int>(after.size())) {
      after.erase(static_cast<size_t>(at - 1), 1);
    }
    bool answer = after != value ? true : FModifiedState;
    SetModifiedState(answer);
    passOn(key);
    if (FEditType == TAdvEditType::etMoney) FormatMoney();
    // The notification of a deletion that empties the edit was dropped above: announce it.
    if (Text().empty() && answer && dropping && !FDropChange) TCustomEdit::Change();
    FDropChange = false;
    SetModifiedState(answer);
    UpdateLookup();
    return;
  }
  if (key == 10 && ctrl) return stop();
  if (key == u'-' && IsNumericSigned(FEditType) && !FSigned) return stop();

  switch (InputType()) {
    case TAdvEditType::etString:
    case TAdvEditType::etPassword:
      if (key < 32 && key != u'\t') return stop();
      SetModifiedState(true);
      passOn(key);
      break;
    case TAdvEditType::etHex:
      if (!IsHexChar(key) && key != u'-' && key != u'\t') return stop();
      SetModifiedState(true);
      passOn(key);
      break;
    case TAdvEditType::etAlphaNumeric:
      if (!IsAsciiAlphaNumeric(key) && key != u'\t') return stop();
      SetModifiedState(true);
      passOn(key);
      break;
    case TAdvEditType::etValidChars:
      if (ValidChars.find(key) == String::npos) return stop();
      SetModifiedState(true);
      passOn(key);
      break;
    case TAdvEditType::etRange: {
      if (!IsDigit(key) && !IsRangeSeparator(key) && key != u'\t') return stop();
      if (IsRangeSeparator(key)) {
        const String window = WindowText();
        bool before = caret > 0 && IsRangeSeparator(window[static_cast<size_t>(caret - 1)]);
        bool after = caret < static_cast<int>(window.size()) &&
                     IsRangeSeparator(window[static_cast<size_t>(caret)]);
        if (caret <= valueStart || before || after) return stop();
      }
      SetModifiedState(true);
      passOn(key);
      break;
    }
    case TAdvEditType::etNumeric:
      if (key == u'-') {
        ToggleSign(wholeValueSelected);
        break;
      }
      if (!IsDigit(key) && key != u'\t' && !ctrl) return stop();
      passOn(key);
      break;
    case TAdvEditType::etUppercase:
    case TAdvEditType::etLowerCase: {
      if (key < 32 && key != u'\t') return stop();
      String one(1, key);
      one = FEditType == TAdvEditType::etUppercase ? AnsiUpperCase(one) : AnsiLowerCase(one);
      passOn(one.size() == 1 ? one[0] : key);
      break;
    }
    case TAdvEditType::etMixedCase: {
      if (key < 32 && key != u'\t') return stop();
      passOn(key);
      int at = caret - valueStart;
      String mixed = MixedCaseText(Text());
      if (mixed != Text()) {
        FDropChange = true;
        RebuildWindowText(mixed, std::min(at + 1, static_cast<int>(mixed.size())));
        FDropChange = false;
      }
      break;
    }
    case TAdvEditType::etFloat:
    case TAdvEditType::etMoney:
      if (!FilterFloatChar(key, value, wholeValueSelected)) return stop();
      break;
  }

  if (TabOnFullLength && LengthLimit > 0 && SelLength() == 0 &&
      DigitsBeforeDecimal(Text()) >= LengthLimit && CaretPos() - valueStart == LengthLimit)
    MoveFocusOn(true);
  if (Modified()) SetModifiedState(true);
  UpdateLookup();
}

// The sign key: whole value selected becomes "-"; otherwise a leading minus comes or goes.
void TAdvEdit::ToggleSign(bool wholeValueSelected) {
  String value = Text();
  int at = CaretPos() - ValueStart();
  FDropChange = false;
  if (wholeValueSelected) {
    RebuildWindowText(u"-", 1);
    return;
  }
  if (!value.empty() && value[0] == u'-') {
    value.erase(0, 1);
    RebuildWindowText(value, std::max(at - 1, 0));
  } else {
    RebuildWindowText(u"-" + value, at + 1);
    SetModifiedState(true);
  }
}

// The rules of a number with decimals; true when the character went in (or was handled here).
bool TAdvEdit::FilterFloatChar(char16_t& key, const String& value, bool wholeValueSelected) {
  const char16_t decimal = Decimal();
  const bool money = FEditType == TAdvEditType::etMoney;
  // A whole-number edit that takes a decimal number has no limit on its decimals.
  const bool unlimited = FEditType != TAdvEditType::etFloat && !money;
  const int precision = unlimited ? std::numeric_limits<int>::max() : FPrecision;
  const int valueStart = ValueStart();
  const int caret = CaretPos() - valueStart;
  const size_t existing = value.find(decimal);
  const String selected = SelText();
  auto caretAfterDecimal = [&] {
    size_t at = Text().find(decimal);
    if (at == String::npos) return;
    int after = valueStart + static_cast<int>(at) + 1;
    SetSel(after, after);
  };

  if (money && key == decimal && (existing != String::npos || precision == 0)) {
    if (precision > 0) {
      if (wholeValueSelected) SetText(String(u"0") + decimal + u"0");
      caretAfterDecimal();
    }
    FDropChange = false;
    return true;
  }
  bool accepted = IsDigit(key) || key == u'\t' || key == u'-' || key == decimal;
  if (!accepted) return false;
  if (!money && key == decimal && selected.find(decimal) == String::npos &&
      (existing != String::npos || precision == 0)) {
    if (precision > 0) caretAfterDecimal();
    FDropChange = false;
    return true;
  }
  if (key == decimal || key == Thousand()) {
    // Decimals go only where the thousand separators left a group of three.
    for (size_t i = 0; i < value.size(); ++i) {
      if (value[i] != Thousand()) continue;
      int distance = std::abs(caret - static_cast<int>(i)) - (static_cast<int>(i) < caret ? 1 : 0);
      if (distance < 3 && static_cast<int>(i) < caret + 3) return false;
    }
    size_t left =
        caret > 0 ? value.rfind(Thousand(), static_cast<size_t>(caret - 1)) : String::npos;
    if (left != String::npos && caret - static_cast<int>(left) - 1 > 3) return false;
  }
  if (precision > 0 && existing != String::npos && caret > static_cast<int>(existing) &&
      static_cast<int>(value.size() - existing - 1) >= precision && SelLength() == 0 &&
      (IsDigit(key) || key == decimal)) {
    // A full fraction: a digit overwrites the next one.
    if (!IsDigit(key) || caret >= static_cast<int>(value.size())) return false;
    SetSel(CaretPos(), CaretPos() + 1);
  }
  if (caret == 0 && value.empty() && key == decimal) {
    RebuildWindowText(String(u"0") + decimal, 2);
    SetModifiedState(true);
    return true;
  }
  if (key == u'-' && SelLength() == 0) {
    int16_t saved = FPrecision;
    FPrecision = 0;
    ToggleSign(false);
    FPrecision = saved;
    return true;
  }
  TMessage message{WM_CHAR, key, 0, 0};
  TCustomEdit::Dispatch(message);
  String now = Text();
  if (money && !now.empty() && now != u"-" && key != decimal) {
    if (Modified()) SetModifiedState(true);
    FormatMoney();
  }
  return true;
}

// --- Key-down ------------------------------------------------------------------------------------

void TAdvEdit::WMKeyDown(TMessage& message) {
  if (LookupVisible() && LookupKeyDown(message)) return;
  WORD key = static_cast<WORD>(message.CharCode());
  const TShiftState shift = KeyDataToShiftState(message.KeyData());
  const bool ctrl = ControlDown();
  const int valueStart = ValueStart();
  const int valueEnd = ValueEnd();
  const int selEnd = SelStart() + SelLength();

  if (key == VK_UP || key == VK_DOWN) {
    if (OnKeyDown) OnKeyDown(this, key, shift);
    message.Result = 1;
    return;
  }
  if ((key == VK_TAB || key == VK_RETURN) && ctrl) {
    TCustomEdit::Dispatch(message);
    return;
  }
  if (key == VK_RETURN && ReturnIsTab) {
    message.SetCharCode(VK_TAB);
    if (Showing()) MoveFocusOn(true);
    return;
  }
  if (key == VK_RIGHT && !FSuffix.empty() && selEnd >= valueEnd) return;
  if (key == VK_DELETE && !FSuffix.empty() && SelLength() == 0 && CaretPos() >= valueEnd) return;
  if (key == VK_LEFT && !FPrefix.empty() && (selEnd <= valueStart || CaretPos() <= valueStart))
    return;
  if (key == VK_END && !FSuffix.empty()) {
    if (OnKeyDown) OnKeyDown(this, key, shift);
    SetSel(shift.Contains(ssShift) ? (CaretPos() == SelStart() ? selEnd : SelStart()) : valueEnd,
           valueEnd);
    return;
  }
  if (key == VK_HOME && !FPrefix.empty()) {
    if (OnKeyDown) OnKeyDown(this, key, shift);
    if (shift.Contains(ssShift))
      SetSel(valueEnd, valueStart);
    else
      SetSel(valueStart, valueStart);
    return;
  }
  if (key == VK_BACK && !FPrefix.empty() && CaretPos() <= valueStart + 1) {
    if (OnKeyDown) OnKeyDown(this, key, shift);
    return;
  }
  if (key == VK_DELETE && CaretPos() >= valueStart) {
    String after = Text();
    int at = CaretPos() - valueStart;
    if (SelLength() > 0)
      after.erase(static_cast<size_t>(std::max(SelStart() - valueStart, 0)),
                  static_cast<size_t>(SelLength()));
    else if (at < static_cast<int>(after.size()))
      after.erase(static_cast<size_t>(at), 1);
    if (LengthLimit > 0 && DigitsBeforeDecimal(after) > LengthLimit) return;
    SetModifiedState(true);
  }
  if (key == VK_BACK) SetModifiedState(true);
  TCustomEdit::Dispatch(message);
  if (key == VK_DELETE && FEditType == TAdvEditType::etMoney) FormatMoney();
  if (!FPrefix.empty() && CaretPos() < valueStart) SetSel(valueStart, valueStart);
}

// After a click: the caret never stays inside the prefix nor beyond the value.
void TAdvEdit::CorrectCaretAfterClick() {
  const int valueStart = ValueStart();
  const int valueEnd = ValueEnd();
  if (!FPrefix.empty() && CaretPos() < valueStart) {
    SelectValue();
    return;
  }
  if (FSuffix.empty()) return;
  if (SelLength() == 0 && CaretPos() > valueEnd) {
    SetSel(valueEnd, valueEnd);
  } else if (SelStart() + SelLength() > valueEnd) {
    SetSel(SelStart(), valueEnd);
  }
}

// --- Escape --------------------------------------------------------------------------------------

void TAdvEdit::CMWantSpecialKey(TMessage& message) {
  TCustomForm* form = GetParentForm(this);
  if (message.CharCode() == VK_ESCAPE && FCanUndo && form && !form->KeyPreview()) {
    if (LookupVisible()) {
      HideLookup();
    } else {
      SetText(FFocusValue);
      SelectValue();
    }
    if (FocusFontColor != clNone) Font()->SetColor(FocusFontColor);
    SetModifiedState(false);
    // Not claimed: the form's cancel handling still sees the key.
    message.Result = 0;
    return;
  }
  TCustomEdit::Dispatch(message);
}

// --- The clipboard -------------------------------------------------------------------------------

void TAdvEdit::WMCopy(TMessage& message) {
  if (OnClipboardCopy) {
    bool allow = true;
    OnClipboardCopy(this, SelText(), allow);
    if (!allow) return;
  }
  TCustomEdit::Dispatch(message);
}

void TAdvEdit::WMCut(TMessage& message) {
  bool allow = true;
  if (OnClipboardCut) OnClipboardCut(this, SelText(), allow);
  if (allow && !ReadOnly()) {
    // The cut never takes the prefix or the suffix along.
    int start = std::max(SelStart(), ValueStart());
    int end = std::min(SelStart() + SelLength(), ValueEnd());
    if (end > start) {
      SetSel(start, end);
      TCustomEdit::Dispatch(message);
    }
  }
  Change();
}

// Whether the edit type takes a pasted value.
bool TAdvEdit::AcceptsPaste(const String& value, const String& clip) const {
  auto noMinus = [&] { return FSigned || value.find(u'-') == String::npos; };
  // A whole-number edit that takes a decimal number takes any number of decimals.
  const bool decimalsLimited =
      FEditType == TAdvEditType::etFloat || FEditType == TAdvEditType::etMoney;
  switch (InputType()) {
    case TAdvEditType::etNumeric: return NumberKind(value) == 0 && noMinus();
    case TAdvEditType::etFloat:
    case TAdvEditType::etMoney: {
      String trimmed = Trim(value);
      int kind = NumberKind(trimmed);
      if (kind != 0 && kind != 1) return false;
      if (decimalsLimited && FPrecision == 0 && clip.find(Decimal()) != String::npos)
        return false;
      return noMinus();
    }
    case TAdvEditType::etHex: {
      int kind = NumberKind(value);
      return kind == 0 || kind == 5;
    }
    case TAdvEditType::etAlphaNumeric:
      return std::all_of(value.begin(), value.end(), IsAsciiAlphaNumeric);
    case TAdvEditType::etValidChars:
      return std::all_of(value.begin(), value.end(),
                         [&](char16_t c) { return ValidChars.find(c) != String::npos; });
    case TAdvEditType::etRange: {
      // What a person could type: digits and single separators, none leading.
      if (!value.empty() && IsRangeSeparator(value[0])) return false;
      for (size_t i = 0; i < value.size(); ++i) {
        if (!IsDigit(value[i]) && !IsRangeSeparator(value[i])) return false;
        if (i > 0 && IsRangeSeparator(value[i]) && IsRangeSeparator(value[i - 1])) return false;
      }
      return true;
    }
    default: return true;
  }
}

void TAdvEdit::WMPaste() {
  if (ReadOnly()) return;
  String clip = Clipboard()->AsText();
  size_t lineEnd = clip.find_first_of(u"\r\n");
  if (lineEnd != String::npos) clip.resize(lineEnd);
  const String value = Text();
  const int valueStart = ValueStart();
  int from = std::clamp(SelStart() - valueStart, 0, static_cast<int>(value.size()));
  int to = std::clamp(SelStart() + SelLength() - valueStart, from, static_cast<int>(value.size()));
  const bool hadSelection = to > from;
  String pasted = clip;
  switch (FEditType) {
    case TAdvEditType::etUppercase: pasted = AnsiUpperCase(pasted); break;
    case TAdvEditType::etLowerCase: pasted = AnsiLowerCase(pasted); break;
    default: break;
  }
  String result = value;
  result.replace(static_cast<size_t>(from), static_cast<size_t>(to - from), pasted);
  if (FEditType == TAdvEditType::etMixedCase) result = MixedCaseText(result);
  if (OnClipboardPaste) {
    bool allow = true;
    OnClipboardPaste(this, result, allow);
    if (!allow) return;
  }
  if (MaxLength() > 0 &&
      static_cast<int>(clip.size() + value.size()) - (to - from) > MaxLength())
    return;
  if (!AcceptsPaste(result, clip)) return;
  bool floatType = FEditType == TAdvEditType::etFloat || FEditType == TAdvEditType::etMoney;
  SetText(result);
  if (floatType) SetFloatValue(FloatValue());
  switch (FEditType) {
    case TAdvEditType::etNumeric:
    case TAdvEditType::etFloat:
    case TAdvEditType::etMoney:
    case TAdvEditType::etAlphaNumeric:
    case TAdvEditType::etValidChars: SetModifiedState(true); break;
    default: break;
  }
  if (FEditType == TAdvEditType::etMoney && Text().size() > 3) {
    SelectValue();
  } else {
    int end = std::min(valueStart + from + static_cast<int>(pasted.size()), ValueEnd());
    if (hadSelection)
      SetSel(valueStart + from, end);
    else
      SetSel(end, end);
  }
  switch (FEditType) {
    case TAdvEditType::etString:
    case TAdvEditType::etUppercase:
    case TAdvEditType::etMixedCase:
    case TAdvEditType::etLowerCase:
    case TAdvEditType::etPassword: SetModifiedState(true); break;
    default: break;
  }
  UpdateLookup();
  if (TabOnFullLength && LengthLimit > 0 && static_cast<int>(Text().size()) == LengthLimit)
    MoveFocusOn(false);
}
