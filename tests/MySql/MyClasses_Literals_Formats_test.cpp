// Literals are written digit by digit into the statement; the text must be the one the platform's
// invariant formatting gives (FloatToStr, FormatDateTime, IntToStr, UTF8Encode), which is what
// the server has always been sent.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "Common/MemData_Blob.h"
#include "MySql/MyClasses_Literals.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/NumberText.h"
#include "platform/rtl/UnicodeText.h"

namespace {

AnsiString Literal(TDataTypeCode type, const Variant& value) {
  AnsiString out = "<";  // what was there before stays
  AppendMySQLLiteral(out, type, value, "utf8", true, false, false);
  EXPECT_EQ(out.substr(0, 1), "<");
  return out.substr(1);
}

const TFormatSettings& Invariant() {
  static const TFormatSettings settings = TFormatSettings::Invariant();
  return settings;
}

TEST(MySQLLiteralFormats, FloatsAsFloatToStrWritesThem) {
  for (double v : {0.0, -0.0, 1.0, -1.0, 100.0, 10099.0, 0.1, 1.5, -2.5e-7, 123456789012345.0,
                   -999999999999999.0, 1e15, 1e16, 4503599627370497.0, 9007199254740993.0, 1e300,
                   -1e-300, 5e-324, std::numeric_limits<double>::max()})
    EXPECT_EQ(Literal(dtFloat, v), UTF8Encode(FloatToStr(v, Invariant()))) << v;
}

TEST(MySQLLiteralFormats, DateTimesAsFormatDateTimeWritesThem) {
  const TDateTime moments[] = {
      EncodeDate(2026, 12, 10) + EncodeTime(9, 30, 0, 0),
      EncodeDate(1, 1, 2),
      EncodeDate(999, 2, 3) + EncodeTime(23, 59, 59, 999),
      EncodeDate(1850, 7, 1) + EncodeTime(0, 0, 1, 0),
      EncodeDate(9999, 12, 31) + EncodeTime(23, 59, 59, 0),
      EncodeDate(2024, 2, 29) + EncodeTime(12, 0, 0, 0) - 0.4 / 86400000.0,
      -1.75,
      0.0,
  };
  for (TDateTime moment : moments) {
    Variant value = Variant::FromDate(moment);
    EXPECT_EQ(Literal(dtDateTime, value),
              "'" + UTF8Encode(FormatDateTime(u"yyyy-mm-dd hh:nn:ss", moment, Invariant())) + "'")
        << moment;
    EXPECT_EQ(Literal(dtDate, value),
              "'" + UTF8Encode(FormatDateTime(u"yyyy-mm-dd", moment, Invariant())) + "'")
        << moment;
  }
}

TEST(MySQLLiteralFormats, WholeNumbersAndTimes) {
  for (int64_t v : {int64_t{0}, int64_t{-1}, int64_t{7}, std::numeric_limits<int64_t>::min(),
                    std::numeric_limits<int64_t>::max()})
    EXPECT_EQ(Literal(dtLargeint, Variant(v)), UTF8Encode(IntToStr(v)));
  EXPECT_EQ(Literal(dtTime, Variant::FromDate(-(1.0 + 2.0 / 24 + 3.0 / 1440 + 4.0 / 86400))),
            "'-26:03:04'");
  EXPECT_EQ(Literal(dtTime, Variant::FromDate(100.0 / 86400)), "'0:01:40'");
}

// Surrogate pairs become one four-byte character and a lone surrogate U+FFFD, as UTF8Encode
// writes them, for text values and for text kept in a Unicode blob alike.
TEST(MySQLLiteralFormats, WideTextAsUtf8EncodeWritesIt) {
  const String texts[] = {
      u"Донација",
      u"a\u00e9\u20ac",
      String(u"x\xD83D\xDE00y"),
      String(u"lone \xD800 high"),
      String(u"lone \xDC00 low"),
      String(u"ends high \xDBFF"),
      String(2000, u'ж') + u"'",
  };
  for (const String& text : texts) {
    AnsiString expected = "'" + UTF8Encode(text) + "'";
    if (text.back() == u'\'') expected.insert(expected.size() - 2, "\\");
    EXPECT_EQ(Literal(dtWideString, Variant(text)), expected);
    auto* blob = new TBlob(true);
    blob->SetAsWideString(text);
    Variant blobValue = Variant::FromObject(static_cast<TSharedObject*>(blob));
    EXPECT_EQ(Literal(dtWideMemo, blobValue), expected);
    blob->Free();
  }
}

}  // namespace
