#include "MySql/MyClasses_Literals.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <limits>

#include "Common/CLRClasses.h"
#include "Common/MemData_Blob.h"
#include "MySql/MyClasses_Error.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/MySql/MySqlLiteralModel.h"
#include "tests/platform/rtl/FormatSettingsFixture.h"

namespace {

AnsiString Literal(TDataTypeCode type, const Variant& value, bool backslashes = true,
                   bool compress = false, bool isNull = false, const AnsiString& charset = "utf8") {
  AnsiStringBuilder sb(16);
  MySQLValueToSQL(sb, type, value, charset, 10, backslashes, compress, true, isNull);
  return sb.ToString();
}

struct BlobRef {
  explicit BlobRef(TBlob* b) : blob(b) {}
  ~BlobRef() { blob->Free(); }
  Variant AsVariant() const { return Variant::FromObject(static_cast<TSharedObject*>(blob)); }
  TBlob* blob;
};

TEST(MySQLLiterals, NullOfEveryKind) {
  BlobRef blob(new TBlob());
  blob.blob->SetAsAnsiString("content");
  for (TDataTypeCode t : {dtString, dtInteger, dtFloat, dtDate, dtBlob, dtWideMemo, dtBoolean})
    EXPECT_EQ(Literal(t, int32_t(1), true, false, true), "NULL") << t;
  EXPECT_EQ(Literal(dtBlob, blob.AsVariant(), true, false, true), "NULL");
  EXPECT_EQ(Literal(dtInteger, Variant::Null()), "NULL");
}

TEST(MySQLLiterals, ZeroDateForEveryDateKind) {
  Variant zero = Variant::FromDate(EncodeDate(1, 1, 1));
  for (TDataTypeCode t : {dtDate, dtTime, dtDateTime})
    EXPECT_EQ(Literal(t, zero), "'0000-00-00 00:00:00'") << t;
}

TEST(MySQLLiterals, DatesAndTimes) {
  TDateTime moment = EncodeDate(2024, 3, 5) + EncodeTime(13, 45, 30, 0);
  struct {
    TDataTypeCode type;
    TDateTime value;
    const char* literal;
  } cases[] = {
      {dtDate, moment, "'2024-03-05'"},
      {dtDateTime, moment, "'2024-03-05 13:45:30'"},
      {dtDateTime, EncodeDate(1850, 7, 1), "'1850-07-01 00:00:00'"},
      {dtTime, -1.5 / 24, "'-1:30:00'"},
      {dtTime, 26.0 / 24, "'26:00:00'"},
      {dtTime, (3600 + 5 * 60 + 3) / 86400.0, "'1:05:03'"},
      {dtTime, 0, "'0:00:00'"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Literal(c.type, Variant::FromDate(c.value)), c.literal) << c.literal;
}

TEST(MySQLLiterals, TheLocaleNeverLeaksIntoSql) {
  TFormatSettingsGuard guard;
  FormatSettings() = MacedonianSettings();
  FormatSettings().TimeSeparator = u'.';
  FormatSettings().DateSeparator = u'/';
  EXPECT_EQ(Literal(dtFloat, 1.5), "1.5");
  EXPECT_EQ(Literal(dtFloat, -1234567.25), "-1234567.25");
  EXPECT_EQ(Literal(dtCurrency, Currency::FromDouble(12.3456)), "12.3456");
  EXPECT_EQ(Literal(dtBCD, Currency::FromDouble(-0.5)), "-0.5");
  EXPECT_EQ(Literal(dtFMTBCD, VarFMTBcdCreate(StrToBcd(u"123456789012345678,125"))),
            "123456789012345678.125");
  EXPECT_EQ(Literal(dtDateTime, Variant::FromDate(EncodeDate(2024, 3, 5) +
                                                  EncodeTime(7, 8, 9, 0))),
            "'2024-03-05 07:08:09'");
}

TEST(MySQLLiterals, NumbersAreWrittenAsNumbersOrRefused) {
  EXPECT_EQ(Literal(dtLargeint, int64_t(INT64_MIN)), "-9223372036854775808");
  EXPECT_EQ(Literal(dtLargeint, int64_t(INT64_MAX)), "9223372036854775807");
  EXPECT_EQ(Literal(dtUInt32, uint32_t(4294967295u)), "4294967295");
  EXPECT_EQ(Literal(dtInteger, u"42"), "42");
  EXPECT_EQ(Literal(dtBoolean, true), "1");
  EXPECT_EQ(Literal(dtBoolean, false), "0");
  // Text that is no number never reaches the statement unquoted.
  EXPECT_THROW(Literal(dtInteger, u"1 OR 1=1"), EVariantTypeCastError);
  EXPECT_THROW(Literal(dtFloat, u"0; DROP TABLE t"), EVariantTypeCastError);
  EXPECT_EQ(Literal(dtGuid, u"{00000000-0000-0000-0000-000000000001}"),
            "'{00000000-0000-0000-0000-000000000001}'");
  EXPECT_EQ(Literal(dtVariant, u"x' OR '1"), "'x\\' OR \\'1'");
  EXPECT_EQ(Literal(dtVariant, int32_t(7)), "7");
}

TEST(MySQLLiterals, QuotesAndBackslashesByMode) {
  EXPECT_EQ(Literal(dtString, u"O'Neil\\"), "'O\\'Neil\\\\'");
  EXPECT_EQ(Literal(dtString, u"O'Neil\\", false), "'O''Neil\\'");
  EXPECT_EQ(Literal(dtString, AnsiString("a\0b\n\r\x1a\"", 7)), "'a\\0b\\n\\r\\Z\\\"'");
  EXPECT_EQ(Literal(dtString, Variant()), "''");
  EXPECT_EQ(MySQLValueToText(dtString, u"it's", false, 10, false, true), "'it''s'");
}

// Hostile values: whatever a value holds, the server reads back exactly that value and the
// literal ends where the writer ended it.
TEST(MySQLLiterals, HostileValuesCannotEndTheLiteralEarly) {
  const AnsiString values[] = {
      "'",
      "\\",
      "\\'",
      "''",
      "\\\\'",
      "x' OR '1'='1",
      "x\\' OR 1=1 -- ",
      AnsiString("nul\0' inside", 12),
      "%_ wildcards %%__",
      "Македонија: ѓ ќ љ њ џ ѕ",
      "emoji 😀 4-byte 𝄞",
      "\xC0'",  // a byte that no UTF-8 text holds, before a quote
      "\"double\" `back`",
      "\r\n\x1a\t\b",
  };
  for (bool backslashes : {true, false}) {
    for (const auto& v : values) {
      AnsiString lit = Literal(dtString, Variant(v), backslashes);
      auto parsed = literal_model::Read(lit, backslashes);
      ASSERT_TRUE(parsed.has_value()) << lit;
      EXPECT_EQ(parsed->length, lit.size()) << "ends early: " << lit;
      EXPECT_EQ(parsed->value, v) << lit;
      AnsiString bytes = Literal(dtVarBytes, Variant(TBytes(v.begin(), v.end())), backslashes);
      EXPECT_EQ(bytes, lit);
    }
  }
}

TEST(MySQLLiterals, WideTextGoesAsUtf8) {
  EXPECT_EQ(Literal(dtWideString, u"Скопје"), "'Скопје'");
  EXPECT_EQ(Literal(dtWideMemo, S("😀")), "'😀'");
}

// In these character sets a backslash can be the second byte of a character, so an escape could
// be swallowed: values are written in hexadecimal there.
TEST(MySQLLiterals, MultiByteSetsWithBackslashTrailBytesGetHex) {
  EXPECT_EQ(Literal(dtString, AnsiString("\xAC'"), true, false, false, "GBK"), "X'AC27'");
  EXPECT_EQ(Literal(dtString, AnsiString("\xAC'"), false, false, false, "gbk"), "'\xAC'''");
  EXPECT_EQ(Literal(dtString, u"", true, false, false, "sjis"), "''");
}

TEST(MySQLLiterals, ByteArraysAndBlobs) {
  TBytes bytes = {0, '\'', 0xFF, '\\'};
  EXPECT_EQ(Literal(dtBlob, Variant(bytes)), AnsiString("'\\0\\'\xFF\\\\'"));

  BlobRef empty(new TBlob());
  EXPECT_EQ(Literal(dtBlob, empty.AsVariant()), "''");

  BlobRef wide(new TBlob(true));
  wide.blob->SetAsWideString(u"Охрид's");
  EXPECT_EQ(Literal(dtWideMemo, wide.AsVariant()), "'Охрид\\'s'");
  EXPECT_EQ(Literal(dtMemo, wide.AsVariant(), false), "'Охрид''s'");

  BlobRef raw(new TBlob());
  raw.blob->SetAsBytes({1, 2, 0, 3});
  EXPECT_EQ(Literal(dtBlob, raw.AsVariant()), AnsiString("'\x01\x02\\0\x03'", 7));
}

TEST(MySQLLiterals, CompressedBlobsOnlyAboveFiftyBytes) {
  BlobRef small(new TBlob());
  small.blob->SetAsAnsiString(AnsiString(40, 'a'));
  EXPECT_EQ(Literal(dtBlob, small.AsVariant(), true, true), "'" + AnsiString(40, 'a') + "'");

  BlobRef large(new TBlob());
  large.blob->SetAsAnsiString(AnsiString(51, 'a'));
  AnsiString lit = Literal(dtBlob, large.AsVariant(), true, true);
  auto parsed = literal_model::Read(lit, true);
  ASSERT_TRUE(parsed.has_value());
  ASSERT_GT(parsed->value.size(), TCompressedBlobData::HeaderSize);
  EXPECT_EQ(std::memcmp(parsed->value.data(), TCompressedBlobData::HeaderGuid, 16), 0);
  EXPECT_EQ(large.blob->GetAsAnsiString(), AnsiString(51, 'a'));  // the parameter is untouched

  // Without compression a stored-compressed blob goes as its content.
  BlobRef packed(new TCompressedBlob());
  packed.blob->SetAsAnsiString(AnsiString(200, 'z'));
  ASSERT_TRUE(static_cast<TCompressedBlob*>(packed.blob)->SetCompressed(true));
  EXPECT_EQ(Literal(dtBlob, packed.AsVariant()), "'" + AnsiString(200, 'z') + "'");
  AnsiString compressed = Literal(dtBlob, packed.AsVariant(), true, true);
  EXPECT_LT(compressed.size(), 100u);
}

// Whatever kind of blob a parameter carries, its literal is the literal of the text it holds: a
// plain blob or one of the compressing kind, text or bytes, with the content stored as it is or
// packed.
TEST(MySQLLiterals, EveryBlobKindWritesTheLiteralOfItsText) {
  const String texts[] = {
      u"",
      u"'",
      u"\\",
      u"\\'",
      u"x' OR '1'='1",
      String(u"nul\0' inside", 12),
      u"Македонија: ѓ ќ љ њ",
      S("emoji 😀 4-byte 𝄞"),
      u"\r\n\x1a\t\"double\" `back`",
      String(120, u'ж') + u"'\\",  // long enough to be packed
  };
  for (bool backslashes : {true, false}) {
    for (const String& text : texts) {
      const AnsiString expected = Literal(dtWideString, text, backslashes);
      const AnsiString utf8 = UTF8Encode(text);
      BlobRef plainWide(new TBlob(true));
      plainWide.blob->SetAsWideString(text);
      BlobRef plainBytes(new TBlob());
      plainBytes.blob->SetAsAnsiString(utf8);
      EXPECT_EQ(Literal(dtWideMemo, plainWide.AsVariant(), backslashes), expected);
      EXPECT_EQ(Literal(dtBlob, plainBytes.AsVariant(), backslashes), expected);
      for (bool packed : {false, true}) {
        BlobRef wide(new TCompressedBlob(true));
        wide.blob->SetAsWideString(text);
        BlobRef bytes(new TCompressedBlob());
        bytes.blob->SetAsAnsiString(utf8);
        if (packed) {
          auto* w = static_cast<TCompressedBlob*>(wide.blob);
          auto* b = static_cast<TCompressedBlob*>(bytes.blob);
          // The long text is packed; the short ones stay plain whatever is asked.
          EXPECT_EQ(w->SetCompressed(true), text.size() > 100) << utf8;
          EXPECT_EQ(b->SetCompressed(true), text.size() > 100) << utf8;
        }
        EXPECT_EQ(Literal(dtWideMemo, wide.AsVariant(), backslashes), expected) << packed;
        EXPECT_EQ(Literal(dtBlob, bytes.AsVariant(), backslashes), expected) << packed;
      }
    }
  }
}

// Dates and date-times are written as the invariant formatting writes them, at the edges of the
// calendar and of the rounding to the millisecond.
TEST(MySQLLiterals, DatesMatchTheInvariantFormatting) {
  const TFormatSettings invariant = TFormatSettings::Invariant();
  const TDateTime values[] = {
      EncodeDate(1, 1, 2),
      EncodeDate(1, 12, 31) + EncodeTime(23, 59, 59, 999),
      EncodeDate(9999, 12, 31) + EncodeTime(23, 59, 59, 0),
      EncodeDate(2000, 2, 29) + EncodeTime(0, 0, 0, 1),
      EncodeDate(1900, 2, 28) + EncodeTime(12, 0, 0, 0),
      EncodeDate(1899, 12, 30),  // day zero
      EncodeDate(1899, 12, 29) + EncodeTime(6, 0, 0, 0),  // before day zero: negative
      EncodeDate(1850, 7, 1) + EncodeTime(18, 30, 15, 0),
      EncodeDate(2024, 3, 5) + 0.9999999999,  // rounds to the next midnight
      EncodeDate(2024, 12, 31) + EncodeTime(23, 59, 59, 999) + 0.6 / 86400000.0,
      EncodeDate(2026, 12, 10) + EncodeTime(9, 30, 0, 0),
  };
  for (TDateTime value : values) {
    const AnsiString date = UTF8Encode(u"'" + FormatDateTime(u"yyyy-mm-dd", value, invariant) +
                                       u"'");
    const AnsiString dateTime = UTF8Encode(
        u"'" + FormatDateTime(u"yyyy-mm-dd hh:nn:ss", value, invariant) + u"'");
    EXPECT_EQ(Literal(dtDate, Variant::FromDate(value)), date) << value;
    EXPECT_EQ(Literal(dtDateTime, Variant::FromDate(value)), dateTime) << value;
    EXPECT_EQ(Literal(dtSQLTimeStamp, Variant::FromDate(value)), dateTime) << value;
  }
}

// The literal of a date-time as the full decoder gives its parts: the reference the writer's
// own, shorter decoding must match byte for byte.
AnsiString DecodedLiteral(TDateTime value, bool withTime) {
  uint16_t y, m, d, h, n, s, ms;
  DecodeDateTime(value, y, m, d, h, n, s, ms);
  char text[64];
  if (withTime)
    std::snprintf(text, sizeof text, "'%04u-%02u-%02u %02u:%02u:%02u'", unsigned{y}, unsigned{m},
                  unsigned{d}, unsigned{h}, unsigned{n}, unsigned{s});
  else
    std::snprintf(text, sizeof text, "'%04u-%02u-%02u'", unsigned{y}, unsigned{m}, unsigned{d});
  return text;
}

void ExpectDecodedLiteral(TDateTime value) {
  EXPECT_EQ(Literal(dtDate, Variant::FromDate(value)), DecodedLiteral(value, false)) << value;
  EXPECT_EQ(Literal(dtDateTime, Variant::FromDate(value)), DecodedLiteral(value, true)) << value;
}

// Leap days of every rule, ties of the millisecond rounding (half to even, on both sides of day
// zero), days before day 1 (written as year 0), a year of five digits, a year past 16 bits (the
// decoder keeps 16) and values too large for the short route.
TEST(MySQLLiterals, DatesMatchTheFullDecoder) {
  const double ms = 1.0 / MSecsPerDay;
  const TDateTime values[] = {
      EncodeDate(1, 1, 1) + EncodeTime(0, 0, 0, 1),
      EncodeDate(4, 2, 29) + EncodeTime(23, 59, 59, 0),
      EncodeDate(100, 3, 1),
      EncodeDate(400, 2, 29),
      EncodeDate(1600, 2, 29) + 0.5,
      EncodeDate(1900, 2, 28) + EncodeTime(23, 59, 59, 999),
      EncodeDate(1900, 3, 1),
      EncodeDate(2000, 2, 29) + 0.75,
      EncodeDate(2100, 2, 28),
      EncodeDate(2100, 3, 1) - 0.4 * ms,
      EncodeDate(2024, 3, 5) + 0.9999999999,
      0.5 * ms, 1.5 * ms, 2.5 * ms, -0.5 * ms, -1.5 * ms, -2.5 * ms,
      -0.25, -0.9999999999, -1.75, -693593.5, -693594.25, -700000.5,
      EncodeDate(9999, 12, 31) + EncodeTime(23, 59, 59, 999) + 0.6 * ms,  // into year 10000
      2.5e7 + 0.3,   // past year 65535
      6e7 + 0.125,   // beyond the short route
  };
  for (TDateTime value : values) ExpectDecodedLiteral(value);
  // A sweep over both sides of day zero with a spread of times of day.
  uint32_t seed = 12345;
  for (double day = -700000; day < 3000000; day += 997) {
    seed = seed * 1664525u + 1013904223u;
    const double fraction = (seed >> 8) / double(1u << 24);
    ExpectDecodedLiteral(day + fraction);
    ExpectDecodedLiteral(day - fraction);
  }
  // Values the decoder refuses are refused by the writer too.
  for (double bad : {std::numeric_limits<double>::quiet_NaN(), 1e300}) {
    EXPECT_ANY_THROW(DecodedLiteral(bad, true));
    EXPECT_ANY_THROW(Literal(dtDateTime, Variant::FromDate(bad)));
  }
}

TEST(MySQLErrors, NumbersAndSyntaxErrorLines) {
  EMyError syntax(1064,
                  u"You have an error in your SQL syntax; check the manual near 'FORM t' at line 3");
  EXPECT_EQ(syntax.LineNumber(), 3);
  EXPECT_EQ(syntax.ErrorCode(), 1064);
  EXPECT_EQ(EMyError(1064, u"no number here").LineNumber(), 0);
  EXPECT_EQ(EMyError(1064, u"near '99999999999999' at line").LineNumber(), 0);  // does not fit
  EXPECT_EQ(EMyError(1146, u"Table 't2' doesn't exist at line 7").LineNumber(), 0);

  for (int lost : {1053, 2003, 2006, 2013}) {
    EXPECT_TRUE(EMyError(lost, u"").IsConnectionLost()) << lost;
    EXPECT_FALSE(EMyError(lost, u"").IsDuplicateKey()) << lost;
  }
  EXPECT_TRUE(EMyError(1062, u"Duplicate entry '1' for key 'PRIMARY'").IsDuplicateKey());
  EXPECT_FALSE(EMyError(1062, u"").IsConnectionLost());
  EXPECT_FALSE(EMyError(1045, u"").IsConnectionLost());
}

}  // namespace
