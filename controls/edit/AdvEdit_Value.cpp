// TAdvEdit: the value between prefix and suffix, its numeric views and its formatting.
#include <cmath>
#include <limits>

#include "controls/edit/AdvEdit.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/NumberText.h"
#include "platform/rtl/TextCompare.h"

using namespace AdvEdit;

namespace {

bool IsNumericType(TAdvEditType type) {
  return type == TAdvEditType::etNumeric || type == TAdvEditType::etFloat ||
         type == TAdvEditType::etMoney || type == TAdvEditType::etHex;
}

bool IsFloatType(TAdvEditType type) {
  return type == TAdvEditType::etFloat || type == TAdvEditType::etMoney;
}

String FormatFixed(double value, int decimals, bool thousands) {
  return Format(u"%." + IntToStr(std::clamp(decimals, 0, 18)) + (thousands ? u"n" : u"f"),
                {value});
}

// The integer part of a number as hexadecimal digits, modulo 2^32 as the edit reads them back.
String HexDigits(double value) {
  if (!std::isfinite(value)) return u"0";
  double whole = std::trunc(std::fmod(value, 4294967296.0));
  if (whole < 0) whole += 4294967296.0;
  return IntToHex(static_cast<uint32_t>(whole), 1);
}

}  // namespace

// --- Reading and writing the value ---------------------------------------------------------------

String TAdvEdit::Text() { return ValueOfWindowText(WindowText()); }

// The suffix is taken off only when the text really ends with it.
String TAdvEdit::ValueOfWindowText(String text) const {
  if (!FPrefix.empty() && text.compare(0, FPrefix.size(), FPrefix) == 0)
    text.erase(0, FPrefix.size());
  if (!FSuffix.empty() && text.size() >= FSuffix.size() &&
      text.compare(text.size() - FSuffix.size(), FSuffix.size(), FSuffix) == 0)
    text.resize(text.size() - FSuffix.size());
  return text;
}

int TAdvEdit::ValueEnd() { return ValueStart() + static_cast<int>(Text().size()); }

void TAdvEdit::SetText(const String& value) {
  String v = value;
  if (v.empty() && !FAllowNumericNullValue && IsNumericType(FEditType)) v = u"0";
  if (!v.empty() && FPrecisionDisplay == TPrecisionDisplay::pdShortest && IsFloatType(FEditType)) {
    v = Format(u"%g", {ParseFloatText(v)});
  } else if (!v.empty() && (FPrecision > 0 || FEditType == TAdvEditType::etMoney)) {
    if (FEditType == TAdvEditType::etMoney)
      v = FormatFixed(ParseFloatText(v), FPrecision, true);
    else if (FEditType == TAdvEditType::etFloat)
      v = FormatFixed(ParseFloatText(v), FPrecision, false);
  }
  if (FEditType == TAdvEditType::etHex) v = AnsiUpperCase(v);
  TControl::SetText(FPrefix + v + FSuffix);
  SetModifiedState(false);
  if (ShowURL) UpdateURLLook();
}

void TAdvEdit::SetWindowTextQuietly(const String& text) {
  if (text == WindowText()) return;
  FDropChange = true;
  SetEditBuffer(text);
  FDropChange = false;
}

void TAdvEdit::RebuildWindowText(const String& value, int valueCaret) {
  String text = FPrefix + value + FSuffix;
  int caret = ValueStart() + valueCaret;
  ChangeByUser(text, caret, caret, false);
}

// --- Numeric views -------------------------------------------------------------------------------

double TAdvEdit::FloatValue() {
  String value = Text();
  switch (FEditType) {
    case TAdvEditType::etString: {
      double read = 0;
      int code = 0;
      Val(value, read, code);
      return read;
    }
    case TAdvEditType::etMoney: {
      value = StripThousandSeparators(value);
      if (!value.empty() && value.back() == FormatSettings().DecimalSeparator) value.pop_back();
      [[fallthrough]];
    }
    case TAdvEditType::etNumeric:
    case TAdvEditType::etFloat:
      if (value.empty() || value == u"-") return 0;
      return ParseFloatText(value);
    case TAdvEditType::etHex: return HexToInt(value);
    default: return 0;
  }
}

void TAdvEdit::SetFloatValue(double value) {
  auto general = [&] { return Format(u"%g", {value}); };
  switch (FEditType) {
    case TAdvEditType::etString:
    case TAdvEditType::etFloat:
      SetText(FPrecision < 0 ? general() : FormatFixed(value, FPrecision, false));
      break;
    case TAdvEditType::etNumeric:
      // A whole number of the numeric type is written without thousand separators, so it
      // reads back through the edit's own rules.
      SetText(FPrecision < 0 ? general() : FormatFixed(value, FPrecision, false));
      break;
    case TAdvEditType::etMoney:
      SetText(FPrecision < 0 ? general() : FormatFixed(value, FPrecision, false));
      FormatMoney();
      break;
    case TAdvEditType::etHex: SetText(HexDigits(value)); break;
    default: break;
  }
  SetModifiedState(true);
}

int32_t TAdvEdit::IntValue() {
  String value = Text();
  int32_t read = 0;
  int code = 0;
  switch (FEditType) {
    case TAdvEditType::etMoney: value = StripThousandSeparators(value); [[fallthrough]];
    case TAdvEditType::etNumeric:
    case TAdvEditType::etFloat: Val(value, read, code); return read;
    case TAdvEditType::etHex: return static_cast<int32_t>(HexToInt(value));
    default: return 0;
  }
}

void TAdvEdit::SetIntValue(int32_t value) {
  switch (FEditType) {
    case TAdvEditType::etNumeric:
    case TAdvEditType::etFloat: SetText(IntToStr(value)); break;
    case TAdvEditType::etMoney:
      SetText(IntToStr(value));
      FormatMoney();
      break;
    case TAdvEditType::etHex: SetText(IntToHex(value, 1)); break;
    default: break;
  }
  SetModifiedState(true);
}

// --- Formatting ----------------------------------------------------------------------------------

// Puts thousand separators into the integer part as the user types, keeping the caret where it
// was relative to the end of the value.
void TAdvEdit::FormatMoney() {
  String value = Text();
  int oldLength = static_cast<int>(value.size());
  int caret = CaretPos();
  String sign, fraction;
  if (!value.empty()) {
    if (value[0] == u'-') sign = u"-";
    size_t decimal = value.find(FormatSettings().DecimalSeparator);
    if (decimal != String::npos) fraction = value.substr(decimal);
  }
  double whole = std::trunc(std::fabs(FloatValue()));
  String integer = FormatFixed(whole, 0, FAutoThousandSeparator);
  size_t cut = integer.find(FormatSettings().DecimalSeparator);
  if (cut != String::npos) integer.resize(cut);
  if (value.empty()) integer.clear();
  int16_t precision = FPrecision;
  FPrecision = 0;
  String formatted = sign + integer + fraction;
  SetWindowTextQuietly(FPrefix + formatted + FSuffix);
  FPrecision = precision;
  int newCaret = caret + static_cast<int>(formatted.size()) - oldLength;
  SetSel(newCaret, newCaret);
}

void TAdvEdit::SetModifiedState(bool value) {
  if (IsLoading() || ReadOnly()) return;
  if (ShowModified) Font()->SetColor(value ? ModifiedColor : FNormalFontColor);
  SetModified(value);
  FModifiedState = value;
}

// --- Properties ----------------------------------------------------------------------------------

void TAdvEdit::SetEditType(TAdvEditType value) {
  if (FEditType == value) return;
  FEditType = value;
  if (value == TAdvEditType::etPassword) {
    SetPasswordChar(u'*');
    FCanUndo = false;
    if (HandleAllocated()) RecreateWnd();
  } else {
    SetPasswordChar(0);
  }
  String current = Text();
  if (current.empty() && FAllowNumericNullValue) return;
  int kind = NumberKind(current);
  switch (value) {
    case TAdvEditType::etNumeric:
      if (kind != 0) SetIntValue(0);
      break;
    case TAdvEditType::etFloat:
    case TAdvEditType::etMoney:
      if (kind > 1) SetFloatValue(0);
      break;
    case TAdvEditType::etHex:
      if (kind != 0 && kind != 5) SetIntValue(0);
      break;
    default: break;
  }
}

void TAdvEdit::SetPrecision(int16_t value) {
  if (FPrecision == value) return;
  if (FEditType != TAdvEditType::etString && !IsFloatType(FEditType)) return;
  FPrecision = value;
  String current = Text();
  if (current.empty() && FAllowNumericNullValue) return;
  // Only a number is reformatted; anything else becomes 0.
  if (NumberKind(current) > 1)
    SetFloatValue(0);
  else if (FEditType != TAdvEditType::etString)
    SetFloatValue(FloatValue());
}

void TAdvEdit::SetPrecisionDisplay(TPrecisionDisplay value) {
  if (FPrecisionDisplay == value) return;
  FPrecisionDisplay = value;
  SetFloatValue(FloatValue());
}

void TAdvEdit::SetAutoThousandSeparator(bool value) {
  if (FAutoThousandSeparator == value) return;
  FAutoThousandSeparator = value;
  if (IsFloatType(FEditType)) FormatMoney();
}

void TAdvEdit::SetPrefix(const String& value) {
  if (FPrefix == value) return;
  String current = Text();
  FPrefix = value;
  SetText(current);
}

void TAdvEdit::SetSuffix(const String& value) {
  if (FSuffix == value) return;
  String current = Text();
  FSuffix = value;
  SetText(current);
}

void TAdvEdit::SetCanUndo(bool value) {
  if (FEditType == TAdvEditType::etPassword) value = false;
  if (FCanUndo == value) return;
  FCanUndo = value;
  if (HandleAllocated()) {
    RecreateWnd();
    Invalidate();
  }
}

void TAdvEdit::SelectValue() {
  String value = Text();
  int length = static_cast<int>(value.size());
  // The selection never takes the prefix in, wherever the caret stood.
  int start = ValueStart();
  if (ShowURL) {
    size_t scheme = value.find(u"://");
    size_t mail = value.find(u"mailto:");
    if (scheme != String::npos)
      start = ValueStart() + static_cast<int>(scheme) + 3;
    else if (mail != String::npos)
      start = ValueStart() + static_cast<int>(mail) + 7;
  }
  SetSel(start, std::min(start + length, ValueEnd()));
}

bool TAdvEdit::IsValidValue(const String& value) {
  if (FValidating) return true;
  FValidating = true;
  bool valid = true;
  try {
    ValidateValue(value, valid);
  } catch (...) {
    FValidating = false;
    throw;
  }
  FValidating = false;
  return valid;
}

void TAdvEdit::ValidateValue(const String& value, bool& isValid) {
  if (OnValueValidate) OnValueValidate(this, value, isValid);
}

void TAdvEdit::Change() {
  if (FDropChange) {
    FDropChange = false;
    return;
  }
  TCustomEdit::Change();
  if (!IsLoading() && ShowError) SetErrorState(!IsValidValue(Text()));
  if (ShowURL) UpdateURLLook();
}
