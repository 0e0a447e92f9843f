// Format: the specifier parser and the conversion of each argument.
#include "platform/rtl/Format.h"

#include <algorithm>
#include <cstdint>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FloatDigits.h"
#include "platform/rtl/NumberText.h"
#include "platform/rtl/UnicodeText.h"

namespace {

char16_t UpAscii(char16_t c) { return (c >= u'a' && c <= u'z') ? c - 32 : c; }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

constexpr int kNone = -1;
// Larger widths and precisions are taken as this, so a typo cannot ask for gigabytes.
constexpr int kMaxCount = 1 << 20;

class TFormatter {
 public:
  TFormatter(const String& format, const TVarRec* args, size_t count,
             const TFormatSettings& settings)
      : FFormat(format), FArgs(args), FCount(count), FSettings(settings) {}

  String Run() {
    size_t n = FFormat.size();
    for (size_t i = 0; i < n; ++i) {
      if (FFormat[i] != u'%') {
        FOut += FFormat[i];
        continue;
      }
      if (++i == n) Invalid();
      if (FFormat[i] == u'%') {
        FOut += u'%';
        continue;
      }
      WriteSpecifier(i);
    }
    return FOut;
  }

 private:
  [[noreturn]] void Invalid() const {
    throw EConvertError(u"Format '" + FFormat + u"' invalid or incompatible with argument");
  }

  const TVarRec& NextArg() {
    if (FArgIndex >= FCount) throw EConvertError(u"No argument for format '" + FFormat + u"'");
    return FArgs[FArgIndex++];
  }

  // A count written as digits or as "*" (taken from the next argument); kNone when absent.
  int ScanCount(size_t& i) {
    if (i < FFormat.size() && FFormat[i] == u'*') {
      ++i;
      const TVarRec& arg = NextArg();
      if (arg.Kind() != TVarRec::vkInt && arg.Kind() != TVarRec::vkUInt) Invalid();
      int64_t v = arg.Kind() == TVarRec::vkInt
                      ? arg.AsInt()
                      : static_cast<int64_t>(std::min<uint64_t>(arg.AsUInt(), kMaxCount));
      return static_cast<int>(std::clamp<int64_t>(v, 0, kMaxCount));
    }
    if (i >= FFormat.size() || !IsDigit(FFormat[i])) return kNone;
    int v = 0;
    for (; i < FFormat.size() && IsDigit(FFormat[i]); ++i)
      v = std::min(v * 10 + (FFormat[i] - u'0'), kMaxCount);
    return v;
  }

  // i is on the first character after '%'; it ends on the type letter.
  void WriteSpecifier(size_t& i) {
    size_t n = FFormat.size();
    int first = ScanCount(i);
    if (i < n && FFormat[i] == u':') {
      FArgIndex = first == kNone ? 0 : static_cast<size_t>(first);
      ++i;
      first = kNone;
    }
    bool leftJustify = false;
    if (first == kNone && i < n && FFormat[i] == u'-') {
      leftJustify = true;
      ++i;
    }
    int width = first != kNone ? first : ScanCount(i);
    int precision = kNone;
    if (i < n && FFormat[i] == u'.') {
      ++i;
      precision = ScanCount(i);
      if (precision == kNone) precision = 0;
    }
    if (i >= n) Invalid();
    String text = Convert(UpAscii(FFormat[i]), NextArg(), precision);
    if (width != kNone && static_cast<int>(text.size()) < width) {
      String padding(width - text.size(), u' ');
      text = leftJustify ? text + padding : padding + text;
    }
    FOut += text;
  }

  String Convert(char16_t type, const TVarRec& arg, int precision) {
    switch (type) {
      case u'D':
      case u'U':
      case u'X':
        return IntegerText(type, arg, precision);
      case u'E':
      case u'F':
      case u'G':
      case u'N':
      case u'M':
        return FloatText(type, arg, precision);
      case u'P':
        if (arg.Kind() != TVarRec::vkPointer) Invalid();
        return IntToHex(static_cast<uint64_t>(reinterpret_cast<uintptr_t>(arg.AsPointer())),
                        static_cast<int>(sizeof(void*) * 2));
      case u'S': {
        String text = StringText(arg);
        if (precision != kNone && precision < static_cast<int>(text.size())) text.resize(precision);
        return text;
      }
      default:
        Invalid();
    }
  }

  String IntegerText(char16_t type, const TVarRec& arg, int precision) {
    bool negative = false;
    uint64_t magnitude;
    if (arg.Kind() == TVarRec::vkUInt) {
      magnitude = arg.AsUInt();
    } else if (arg.Kind() == TVarRec::vkInt) {
      int64_t v = arg.AsInt();
      if (type == u'D') {
        negative = v < 0;
        magnitude = negative ? 0u - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
      } else {
        // Unsigned and hex show the bit pattern of the argument's own width.
        magnitude = arg.Is64() ? static_cast<uint64_t>(v) : static_cast<uint32_t>(v);
      }
    } else {
      Invalid();
    }
    String digits = type == u'X' ? IntToHex(magnitude, 0) : UIntToStr(magnitude);
    if (precision != kNone && precision > static_cast<int>(digits.size()))
      digits.insert(0, precision - digits.size(), u'0');
    return negative ? u"-" + digits : digits;
  }

  String FloatText(char16_t type, const TVarRec& arg, int precision) {
    if (arg.Kind() != TVarRec::vkFloat) Invalid();
    long double v = arg.AsFloat();
    constexpr int kDigits = rtl_detail::kMaxFloatDigits;
    switch (type) {
      case u'E':
        return rtl_detail::FloatToText(v, ffExponent, precision == kNone ? 15 : precision, 3,
                                       FSettings);
      case u'F':
        return rtl_detail::FloatToText(v, ffFixed, kDigits, precision == kNone ? 2 : precision,
                                       FSettings);
      case u'G':
        return rtl_detail::FloatToText(v, ffGeneral, precision == kNone ? 15 : precision, 0,
                                       FSettings);
      case u'N':
        return rtl_detail::FloatToText(v, ffNumber, kDigits, precision == kNone ? 2 : precision,
                                       FSettings);
      default:
        return rtl_detail::FloatToText(v, ffCurrency, kDigits,
                                       precision == kNone ? FSettings.CurrencyDecimals : precision,
                                       FSettings);
    }
  }

  String StringText(const TVarRec& arg) {
    switch (arg.Kind()) {
      case TVarRec::vkString:
        return arg.AsString();
      case TVarRec::vkWideChars:
        return arg.AsWideChars() ? String(arg.AsWideChars()) : String();
      case TVarRec::vkAnsiString:
        return UTF8ToString(arg.AsAnsiString());
      case TVarRec::vkAnsiChars:
        return arg.AsAnsiChars() ? UTF8ToString(arg.AsAnsiChars()) : String();
      case TVarRec::vkChar:
        return String(1, static_cast<char16_t>(arg.AsInt()));
      default:
        Invalid();
    }
  }

  const String& FFormat;
  const TVarRec* FArgs;
  size_t FCount;
  const TFormatSettings& FSettings;
  size_t FArgIndex = 0;
  String FOut;
};

}  // namespace

String Format(const String& format, const TVarRec* args, size_t count,
              const TFormatSettings& settings) {
  return TFormatter(format, args, count, settings).Run();
}

String Format(const String& format, std::initializer_list<TVarRec> args,
              const TFormatSettings& settings) {
  return Format(format, args.begin(), args.size(), settings);
}
