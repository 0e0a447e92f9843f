// FloatToStr and FloatToStrF: floating point to text in the five standard layouts.
#include <algorithm>
#include <cstdlib>

#include "platform/rtl/FloatDigits.h"
#include "platform/rtl/NumberText.h"

using rtl_detail::DecimalDigits;
using rtl_detail::kAnyDecimals;
using rtl_detail::TDecimalDigits;

namespace {

String Ascii(const std::string& text) { return String(text.begin(), text.end()); }

// The exponent with its sign ('-' always, '+' only when asked) and at least `minDigits` digits.
String ExponentText(int exponent, bool plusSign, int minDigits) {
  String text = exponent < 0 ? u"-" : (plusSign ? u"+" : u"");
  std::string digits = std::to_string(std::abs(exponent));
  if (static_cast<int>(digits.size()) < minDigits) digits.insert(0, minDigits - digits.size(), '0');
  return text + Ascii(digits);
}

String GeneralText(const TDecimalDigits& d, int precision, int exponentDigits,
                   const TFormatSettings& settings) {
  if (d.IsZero()) return u"0";
  String text = d.Negative ? u"-" : u"";
  if (d.Exponent > precision || d.Exponent < -3) {
    text += static_cast<char16_t>(d.Digits[0]);
    if (d.Digits.size() > 1) text += settings.DecimalSeparator + Ascii(d.Digits.substr(1));
    return text + u"E" + ExponentText(d.Exponent - 1, false, exponentDigits);
  }
  if (d.Exponent <= 0) {
    return text + u"0" + settings.DecimalSeparator + String(-d.Exponent, u'0') + Ascii(d.Digits);
  }
  std::string intPart = d.Digits.substr(0, d.Exponent);
  intPart.resize(d.Exponent, '0');
  text += Ascii(intPart);
  if (d.Digits.size() > static_cast<size_t>(d.Exponent))
    text += settings.DecimalSeparator + Ascii(d.Digits.substr(d.Exponent));
  return text;
}

String ExponentFormText(const TDecimalDigits& d, int precision, int exponentDigits,
                        const TFormatSettings& settings) {
  std::string mantissa = d.Digits;
  mantissa.resize(precision, '0');
  String text = d.Negative ? u"-" : u"";
  text += static_cast<char16_t>(mantissa[0]);
  if (precision > 1) text += settings.DecimalSeparator + Ascii(mantissa.substr(1));
  int exponent = d.IsZero() ? 0 : d.Exponent - 1;
  return text + u"E" + ExponentText(exponent, true, exponentDigits);
}

// The integer and fraction digits of a fixed layout with `decimals` places.
void SplitFixed(const TDecimalDigits& d, int decimals, std::string& intPart,
                std::string& fraction) {
  if (d.Exponent > 0) {
    intPart = d.Digits.substr(0, d.Exponent);
    intPart.resize(d.Exponent, '0');
    fraction = d.Exponent < static_cast<int>(d.Digits.size()) ? d.Digits.substr(d.Exponent) : "";
  } else {
    intPart = "0";
    fraction = std::string(-d.Exponent, '0') + d.Digits;
  }
  fraction.resize(decimals, '0');
}

// The unsigned amount of a fixed, number or currency layout.
String FixedMagnitude(const TDecimalDigits& d, int decimals, char16_t thousandSeparator,
                      const TFormatSettings& settings) {
  std::string intPart, fraction;
  SplitFixed(d, decimals, intPart, fraction);
  String text;
  rtl_detail::AppendGroupedDigits(text, intPart, thousandSeparator);
  if (decimals > 0) text += settings.DecimalSeparator + Ascii(fraction);
  return text;
}

String CurrencyText(const String& amount, bool negative, const TFormatSettings& settings) {
  const String& c = settings.CurrencyString;
  if (!negative) {
    switch (settings.CurrencyFormat) {
      case 1:
        return amount + c;
      case 2:
        return c + u" " + amount;
      case 3:
        return amount + u" " + c;
      default:
        return c + amount;
    }
  }
  switch (settings.NegCurrFormat) {
    case 1:
      return u"-" + c + amount;
    case 2:
      return c + u"-" + amount;
    case 3:
      return c + amount + u"-";
    case 4:
      return u"(" + amount + c + u")";
    case 5:
      return u"-" + amount + c;
    case 6:
      return amount + u"-" + c;
    case 7:
      return amount + c + u"-";
    case 8:
      return u"-" + amount + u" " + c;
    case 9:
      return u"-" + c + u" " + amount;
    case 10:
      return amount + u" " + c + u"-";
    case 11:
      return c + u" " + amount + u"-";
    case 12:
      return c + u" -" + amount;
    case 13:
      return amount + u"- " + c;
    case 14:
      return u"(" + c + u" " + amount + u")";
    case 15:
      return u"(" + amount + u" " + c + u")";
    default:
      return u"(" + c + amount + u")";
  }
}

}  // namespace

namespace rtl_detail {

String FloatToText(long double v, TFloatFormat format, int precision, int digits,
                   const TFormatSettings& settings) {
  precision = std::clamp(precision, 1, kMaxFloatDigits);
  if (format == ffGeneral || format == ffExponent) {
    TDecimalDigits d = DecimalDigits(v, precision, kAnyDecimals);
    if (d.Special != TDecimalDigits::dsFinite) return SpecialText(d);
    int exponentDigits = std::clamp(digits, 0, 4);
    return format == ffGeneral ? GeneralText(d, precision, exponentDigits, settings)
                               : ExponentFormText(d, precision, exponentDigits, settings);
  }
  int decimals = std::clamp(digits, 0, kMaxFloatDigits);
  TDecimalDigits d = DecimalDigits(v, precision, decimals);
  if (d.Special != TDecimalDigits::dsFinite) return SpecialText(d);
  // More integer digits than the precision holds: the general layout says it honestly.
  if (d.Exponent > precision) return FloatToText(v, ffGeneral, precision, 0, settings);
  char16_t separator = format == ffFixed ? 0 : settings.ThousandSeparator;
  String amount = FixedMagnitude(d, decimals, separator, settings);
  if (format == ffCurrency) return CurrencyText(amount, d.Negative, settings);
  return d.Negative ? u"-" + amount : amount;
}

}  // namespace rtl_detail

String FloatToStr(double v, const TFormatSettings& settings) {
  return rtl_detail::FloatToText(v, ffGeneral, 15, 0, settings);
}

String FloatToStrF(double v, TFloatFormat format, int precision, int digits,
                   const TFormatSettings& settings) {
  return rtl_detail::FloatToText(v, format, precision, digits, settings);
}
