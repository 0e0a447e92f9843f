// Helpers of the Variant tests: a Variant's value as text that names exactly what it holds
// (independent of the locale and of Variant's own text conversion).
#pragma once

#include <charconv>
#include <cstdio>
#include <string>

#include "platform/rtl/UnicodeText.h"
#include "platform/rtl/Variant.h"

namespace variant_test {

inline std::string Shortest(double v) {
  char buffer[64];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
  return std::string(buffer, result.ptr);
}

// The value alone: integers in decimal, floating values in their shortest exact form, currency
// and decimals with a point, Booleans as True/False, texts as UTF-8.
inline std::string ValueText(const Variant& v) {
  switch (v.VarType()) {
    case varEmpty: return "Empty";
    case varNull: return "Null";
    case varShortInt: case varSmallint: case varInteger: case varInt64:
      return std::to_string(v.AsInt64());
    case varByte: case varWord: case varLongWord: case varUInt64:
      return std::to_string(v.AsUInt64());
    case varSingle: case varDouble: return Shortest(v.AsDouble());
    case varDate: return Shortest(v.AsDateTime());
    case varCurrency: return UTF8Encode(CurrToStr(v.AsCurrency(), TFormatSettings::Invariant()));
    case varBoolean: return v.AsBoolean() ? "True" : "False";
    case varString: case varUString: case varOleStr: return UTF8Encode(v.AsString());
    case varFMTBcd: return UTF8Encode(BcdToStr(v.AsBcd(), TFormatSettings::Invariant()));
    case varSQLTimeStamp: {
      TSQLTimeStamp ts = v.AsSQLTimeStamp();
      char buffer[48];
      std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02u %02u:%02u:%02u.%03u", ts.Year, ts.Month,
                    ts.Day, ts.Hour, ts.Minute, ts.Second, ts.Fractions);
      return buffer;
    }
  }
  if (v.IsArray()) {
    std::string text = "[";
    for (int i = v.LowBound(1); i <= v.HighBound(1); ++i)
      text += (i > v.LowBound(1) ? "," : "") + ValueText(v.GetElement({i}));
    return text + "]";
  }
  return "?";
}

// The type's name and the value: "Integer 42".
inline std::string Describe(const Variant& v) {
  return UTF8Encode(VarTypeAsText(v.VarType())) + " " + ValueText(v);
}

}  // namespace variant_test
