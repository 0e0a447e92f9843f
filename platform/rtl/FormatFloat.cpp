// FormatFloat: a number laid out by a picture such as "#,##0.00;(#,##0.00);'nil'".
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/rtl/FloatDigits.h"
#include "platform/rtl/NumberText.h"

using rtl_detail::DecimalDigits;
using rtl_detail::TDecimalDigits;

namespace {

struct TPictureToken {
  enum TKind { ptLiteral, ptIntDigit, ptFracDigit, ptPoint, ptExponent };
  TKind Kind;
  String Text;  // the literal text, or the letter of the exponent ("E" or "e")
};

// One section of a picture, read once before the number is laid out.
struct TPicture {
  std::vector<TPictureToken> Tokens;
  int IntCount = 0;       // digit places before the point
  int FracCount = 0;      // digit places after it
  int MinIntDigits = 0;   // integer places from the first "0" on
  int MinFracDigits = 0;  // fraction places up to the last "0"
  bool Thousands = false;
  bool Scientific = false;
  bool ExponentPlus = false;
  int ExponentDigits = 0;

  bool HasDigitPlaces() const { return IntCount + FracCount > 0; }
};

std::vector<String> SplitSections(const String& format) {
  std::vector<String> sections(1);
  char16_t quote = 0;
  for (char16_t c : format) {
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == u'"' || c == u'\'') {
      quote = c;
    } else if (c == u';' && sections.size() < 3) {
      sections.emplace_back();
      continue;
    }
    sections.back() += c;
  }
  return sections;
}

void AddLiteral(TPicture& p, const String& text) {
  if (!p.Tokens.empty() && p.Tokens.back().Kind == TPictureToken::ptLiteral)
    p.Tokens.back().Text += text;
  else
    p.Tokens.push_back({TPictureToken::ptLiteral, text});
}

TPicture ParsePicture(const String& section) {
  TPicture p;
  bool seenPoint = false;
  int firstIntZero = -1;
  size_t n = section.size();
  for (size_t i = 0; i < n; ++i) {
    char16_t c = section[i];
    if (c == u'"' || c == u'\'') {
      size_t close = section.find(c, i + 1);
      if (close == String::npos) close = n;
      AddLiteral(p, section.substr(i + 1, close - i - 1));
      i = close;
    } else if ((c == u'0' || c == u'#') && !p.Scientific) {
      if (seenPoint) {
        ++p.FracCount;
        if (c == u'0') p.MinFracDigits = p.FracCount;
        p.Tokens.push_back({TPictureToken::ptFracDigit, {}});
      } else {
        if (c == u'0' && firstIntZero < 0) firstIntZero = p.IntCount;
        ++p.IntCount;
        p.Tokens.push_back({TPictureToken::ptIntDigit, {}});
      }
    } else if (c == u'.' && !p.Scientific) {
      if (!seenPoint) p.Tokens.push_back({TPictureToken::ptPoint, {}});
      seenPoint = true;
    } else if (c == u',') {
      p.Thousands = true;
    } else if ((c == u'E' || c == u'e') && !p.Scientific && i + 1 < n &&
               (section[i + 1] == u'+' || section[i + 1] == u'-')) {
      p.Scientific = true;
      p.ExponentPlus = section[i + 1] == u'+';
      p.Tokens.push_back({TPictureToken::ptExponent, String(1, c)});
      ++i;
      int zeros = 0;
      while (i + 1 < n && section[i + 1] == u'0') ++zeros, ++i;
      p.ExponentDigits = std::min(zeros, 4);
    } else {
      AddLiteral(p, String(1, c));
    }
  }
  if (firstIntZero >= 0) p.MinIntDigits = p.IntCount - firstIntZero;
  return p;
}

// Lays the digits into the picture's places.
class TPictureWriter {
 public:
  TPictureWriter(const TPicture& picture, const TFormatSettings& settings)
      : FPicture(picture), FSettings(settings) {}

  String Write(const TDecimalDigits& d, bool minus) {
    if (FPicture.Scientific)
      SplitScientific(d);
    else
      SplitFixed(d);
    FOut = minus ? u"-" : u"";
    int intIndex = 0, fracIndex = 0;
    for (const TPictureToken& t : FPicture.Tokens) {
      switch (t.Kind) {
        case TPictureToken::ptLiteral:
          FOut += t.Text;
          break;
        case TPictureToken::ptIntDigit: {
          int len = static_cast<int>(FInt.size());
          if (intIndex == 0)
            for (int k = 0; k < len - FPicture.IntCount; ++k) PutIntDigit(k);
          int fromRight = FPicture.IntCount - 1 - intIndex++;
          if (fromRight < len) PutIntDigit(len - 1 - fromRight);
          break;
        }
        case TPictureToken::ptPoint:
          if (FPicture.IntCount == 0)
            for (size_t k = 0; k < FInt.size(); ++k) PutIntDigit(k);
          if (!FFrac.empty()) FOut += FSettings.DecimalSeparator;
          break;
        case TPictureToken::ptFracDigit:
          if (fracIndex < static_cast<int>(FFrac.size()))
            FOut += static_cast<char16_t>(FFrac[fracIndex]);
          ++fracIndex;
          break;
        case TPictureToken::ptExponent:
          PutExponent(t.Text);
          break;
      }
    }
    return FOut;
  }

 private:
  void SplitFixed(const TDecimalDigits& d) {
    if (d.Exponent > 0) {
      FInt = d.Digits.substr(0, d.Exponent);
      FInt.resize(d.Exponent, '0');
      FFrac = d.Exponent < static_cast<int>(d.Digits.size()) ? d.Digits.substr(d.Exponent) : "";
    } else {
      FInt.clear();
      FFrac = d.IsZero() ? "" : std::string(-d.Exponent, '0') + d.Digits;
    }
    if (static_cast<int>(FInt.size()) < FPicture.MinIntDigits)
      FInt.insert(0, FPicture.MinIntDigits - FInt.size(), '0');
    if (static_cast<int>(FFrac.size()) < FPicture.MinFracDigits)
      FFrac.resize(FPicture.MinFracDigits, '0');
  }

  void SplitScientific(const TDecimalDigits& d) {
    size_t intCount = FPicture.IntCount;
    if (d.IsZero()) {
      FInt = std::string(intCount > 0 ? std::max(FPicture.MinIntDigits, 1) : 0, '0');
      FFrac.clear();
      FExponent = 0;
    } else {
      FInt = d.Digits.substr(0, intCount);
      FInt.resize(intCount, '0');
      FFrac = d.Digits.size() > intCount ? d.Digits.substr(intCount) : "";
      FExponent = d.Exponent - static_cast<int>(intCount);
    }
    if (static_cast<int>(FFrac.size()) < FPicture.MinFracDigits)
      FFrac.resize(FPicture.MinFracDigits, '0');
  }

  void PutIntDigit(size_t k) {
    FOut += static_cast<char16_t>(FInt[k]);
    size_t rest = FInt.size() - 1 - k;
    char16_t separator = FSettings.ThousandSeparator;
    if (FPicture.Thousands && !FPicture.Scientific && separator != 0 && rest > 0 && rest % 3 == 0)
      FOut += separator;
  }

  void PutExponent(const String& letter) {
    FOut += letter;
    if (FExponent < 0)
      FOut += u'-';
    else if (FPicture.ExponentPlus)
      FOut += u'+';
    std::string digits = std::to_string(std::abs(FExponent));
    if (static_cast<int>(digits.size()) < FPicture.ExponentDigits)
      digits.insert(0, FPicture.ExponentDigits - digits.size(), '0');
    FOut.append(digits.begin(), digits.end());
  }

  const TPicture& FPicture;
  const TFormatSettings& FSettings;
  std::string FInt, FFrac;
  int FExponent = 0;
  String FOut;
};

TDecimalDigits DigitsFor(const TPicture& p, double v) {
  if (p.Scientific)
    return DecimalDigits(v, std::max(p.IntCount + p.FracCount, 1), rtl_detail::kAnyDecimals);
  return DecimalDigits(v, rtl_detail::kMaxFloatDigits, p.FracCount);
}

}  // namespace

String FormatFloat(const String& format, double v, const TFormatSettings& settings) {
  TDecimalDigits probe = DecimalDigits(v, 1, rtl_detail::kAnyDecimals);
  if (probe.Special != TDecimalDigits::dsFinite) return rtl_detail::SpecialText(probe);

  // The positive section serves a negative value (with a minus sign) when the negative section is
  // missing or empty, and zero when the zero section is; with no positive section either, the
  // general layout does.
  std::vector<String> sections = SplitSections(format);
  auto usable = [&](size_t k) { return k < sections.size() && !sections[k].empty(); };
  size_t index = v > 0 ? 0 : (v < 0 ? 1 : 2);
  if (!usable(index)) index = 0;
  if (!usable(index)) return FloatToStr(v, settings);

  TPicture picture = ParsePicture(sections[index]);
  TDecimalDigits d = DigitsFor(picture, v);
  if (d.IsZero() && v != 0) {
    // Rounded away to nothing: written as a zero, without a sign.
    index = usable(2) ? 2 : 0;
    picture = ParsePicture(sections[index]);
    d = DigitsFor(picture, 0.0);
  }
  // Beyond the 18 digits a picture can hold, the general layout tells the size honestly.
  if (!picture.Scientific && d.Exponent > rtl_detail::kMaxFloatDigits)
    return FloatToStr(v, settings);
  bool minus = d.Negative && index == 0;
  return TPictureWriter(picture, settings).Write(d, minus);
}
