#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "MemData_TestStore.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"

using namespace memdata_test;

namespace {

// One column of every type that has a fixed external form, written and read back.
class FieldAccess : public ::testing::Test {
 protected:
  FieldAccess()
      : store({{u"S", dtString, 5},           // 1
               {u"I8", dtInt8},               // 2
               {u"I16", dtSmallint},          // 3
               {u"I32", dtInteger},           // 4
               {u"F", dtFloat},               // 5
               {u"D", dtDate},                // 6
               {u"T", dtTime},                // 7
               {u"DT", dtDateTime},           // 8
               {u"W", dtWord},                // 9
               {u"B", dtBoolean},             // 10
               {u"I64", dtLargeint},          // 11
               {u"C", dtCurrency},            // 12
               {u"ES", dtExtString, 50},      // 13
               {u"BY", dtBytes, 3},           // 14
               {u"VB", dtVarBytes, 4},        // 15
               {u"EVB", dtExtVarBytes, 100},  // 16
               {u"U32", dtUInt32},            // 17
               {u"WS", dtWideString, 6},      // 18
               {u"EWS", dtExtWideString, 50}, // 19
               {u"BCD", dtBCD},               // 20
               {u"FB", dtFMTBCD},             // 21
               {u"G", dtGuid, 38},            // 22
               {u"TS", dtSQLTimeStamp}}),     // 23
        buf((store.InitFields(), store)) {}
  ~FieldAccess() override = default;

  template <typename T>
  T RoundTrip(int fieldNo, T in) {
    store.PutField(fieldNo, buf, false, &in);
    EXPECT_FALSE(store.GetNull(fieldNo, buf));
    return ReadValue<T>(store, fieldNo, buf);
  }
  template <typename T>
  T Stored(int fieldNo) {
    T v;
    std::memcpy(&v, buf.get() + store.Fields()[fieldNo - 1]->Offset(), sizeof v);
    return v;
  }
  // Each value stored in the DOUBLE field at each scale is, bit for bit, what printing it with
  // that many decimals and reading the text back gives.
  void ExpectStoredAsPrinted(const std::vector<double>& values, const std::vector<int>& scales) {
    for (int scale : scales) {
      store.Fields()[4]->SetScale(scale);
      for (double v : values) {
        char text[400];
        std::snprintf(text, sizeof text, "%.*f", scale, v);
        const double expected = std::strtod(text, nullptr);
        store.PutField(5, buf, false, &v);
        const double stored = Stored<double>(5);
        ASSERT_EQ(std::memcmp(&stored, &expected, sizeof stored), 0)
            << "value " << text << " (" << v << ") scale " << scale << " stored " << stored;
      }
    }
  }

  TestStore store;
  RecBuf buf;
};

TEST_F(FieldAccess, NumbersKeepTheirWidthAndSign) {
  EXPECT_EQ(RoundTrip<int8_t>(2, -5), -5);
  EXPECT_EQ(RoundTrip<int16_t>(3, -32768), -32768);
  EXPECT_EQ(RoundTrip<int32_t>(4, -2000000000), -2000000000);
  EXPECT_EQ(RoundTrip<double>(5, 3.25), 3.25);
  EXPECT_EQ(RoundTrip<uint16_t>(9, 65535), 65535);
  EXPECT_EQ(RoundTrip<uint16_t>(10, 1), 1);
  EXPECT_EQ(RoundTrip<int64_t>(11, -(int64_t{1} << 62)), -(int64_t{1} << 62));
  EXPECT_EQ(RoundTrip<double>(12, 12.34), 12.34);
  EXPECT_EQ(RoundTrip<int64_t>(20, 123456789), 123456789);  // currency as its integer count
}

TEST_F(FieldAccess, UnsignedThirtyTwoBitsComeOutZeroExtended) {
  const uint64_t in = 0xFFFFFFF0u;
  EXPECT_EQ(RoundTrip<uint64_t>(17, in), 0xFFFFFFF0u);
  EXPECT_EQ(Stored<uint32_t>(17), 0xFFFFFFF0u);
  // Written back from the low four bytes of the external value.
  EXPECT_EQ(RoundTrip<uint64_t>(17, 0x1234567800000005ull), 5u);
}

TEST_F(FieldAccess, TextsAreCutToTheirLength) {
  store.PutField(1, buf, false, "abcdefgh");
  EXPECT_EQ(ReadText(store, 1, buf), "abcde");
  PutWide(store, 18, buf, u"Здраво свете");
  EXPECT_EQ(ReadWide(store, 18, buf), u"Здраво");
  store.PutField(22, buf, false, "{F19D8C39-5558-3849-A652-87CEE0C6DA7E}");
  EXPECT_EQ(ReadText(store, 22, buf), "{F19D8C39-5558-3849-A652-87CEE0C6DA7E}");
}

TEST_F(FieldAccess, TextsHeldByReferenceLiveInTheHeap) {
  store.PutField(13, buf, false, "heap text");
  char* first = Stored<char*>(13);
  EXPECT_STREQ(first, "heap text");
  EXPECT_EQ(TStringHeap::BufRefWord(first), 101);
  store.PutField(13, buf, false, "another");
  EXPECT_EQ(TStringHeap::BufRefWord(first), 100);  // the old buffer was disposed of
  EXPECT_EQ(ReadText(store, 13, buf), "another");
  PutWide(store, 19, buf, u"Ѓорѓи Ќосе");
  EXPECT_EQ(ReadWide(store, 19, buf), u"Ѓорѓи Ќосе");
}

TEST_F(FieldAccess, ByteValues) {
  const uint8_t fixed[3] = {1, 0, 3};
  store.PutField(14, buf, false, fixed);
  uint8_t out[3] = {};
  bool blank;
  store.GetField(14, buf, out, blank);
  EXPECT_EQ(std::memcmp(out, fixed, 3), 0);

  const uint8_t var[6] = {2, 0, 0xAA, 0xBB, 0, 0};  // 16-bit length, then the bytes
  store.PutField(15, buf, false, var);
  uint8_t varOut[6] = {};
  store.GetField(15, buf, varOut, blank);
  EXPECT_EQ(varOut[0], 2);
  EXPECT_EQ(varOut[3], 0xBB);

  const uint8_t ext[5] = {3, 0, 7, 8, 9};
  store.PutField(16, buf, false, ext);
  uint8_t extOut[5] = {};
  store.GetField(16, buf, extOut, blank);
  EXPECT_EQ(std::memcmp(extOut, ext, 5), 0);
}

// The MySQL record set keeps a fixed byte column in Length + 1 bytes, as it keeps text; the field
// reads and writes Length bytes only, so nothing may run past its buffers (heap buffers here, for
// the sanitizer to watch).
TEST(FieldAccessSpareByte, FixedBytesMoveOnlyTheirLength) {
  class SpareByteStore : public TestStore {
   public:
    using TestStore::TestStore;
    void DetectCommandType() override {
      TestStore::DetectCommandType();
      Fields()[0]->SetSize(Fields()[0]->Length() + 1);
    }
  } store({{u"BIN", dtBytes, 4}});
  store.InitFields();
  RecBuf buf(store);
  const std::vector<uint8_t> in = {0x00, 0xFF, 0x5C, 0x27};
  store.PutField(1, buf, false, in.data());
  std::vector<uint8_t> out(4, 0xEE);
  bool blank = true;
  store.GetField(1, buf, out.data(), blank);
  EXPECT_FALSE(blank);
  EXPECT_EQ(out, in);
}

TEST_F(FieldAccess, DatesAndTimesTravelAsTimeStampParts) {
  // 2024-02-29 is time-stamp day 738945.
  const int32_t day = DateTimeToTimeStamp(EncodeDate(2024, 2, 29)).Date;
  EXPECT_EQ(RoundTrip<int32_t>(6, day), day);
  EXPECT_EQ(Stored<double>(6), EncodeDate(2024, 2, 29));
  const int32_t msecs = ((13 * 60 + 45) * 60 + 30) * 1000 + 250;
  EXPECT_EQ(RoundTrip<int32_t>(7, msecs), msecs);
  EXPECT_NEAR(Stored<double>(7), EncodeTime(13, 45, 30, 250), 1e-12);
  const double stamp = static_cast<double>(day) * 86400000.0 + msecs;
  EXPECT_EQ(RoundTrip<double>(8, stamp), stamp);
  EXPECT_NEAR(Stored<double>(8), EncodeDate(2024, 2, 29) + EncodeTime(13, 45, 30, 250), 1e-9);
  // A date before 1899-12-30 keeps its time of day as a negative fraction.
  const int32_t oldDay = DateTimeToTimeStamp(EncodeDate(1800, 1, 1)).Date;
  const double oldStamp = static_cast<double>(oldDay) * 86400000.0 + 6 * 3600000.0;
  EXPECT_EQ(RoundTrip<double>(8, oldStamp), oldStamp);
  EXPECT_LT(Stored<double>(8), 0);
}

// Every stored date-time value reads out as the platform's conversion gives it, also at the
// rounding edges (half a millisecond goes to the even one, 23:59:59.9999 to the next midnight)
// and for values the conversion refuses.
TEST_F(FieldAccess, StoredDatesReadAsThePlatformConvertsThem) {
  const double ms = 1.0 / 86400000.0;
  const std::vector<double> values = {0.0,  0.5 * ms, 1.5 * ms, 2.5 * ms,
                                      45350.0 + 0.5 * ms, 45350.0 + 86399999.5 * ms,
                                      EncodeDate(9999, 12, 31) + 0.999, 1e-300, -1.25, -0.4 * ms,
                                      5.0e7, 1e300, std::nan("")};
  for (double value : values) {
    SCOPED_TRACE(value);
    bool refused = false;
    TTimeStamp expected{};
    try {
      expected = DateTimeToTimeStamp(value);
    } catch (const Exception&) {
      refused = true;
    }
    for (int fieldNo : {6, 7, 8}) {
      std::memcpy(buf.get() + store.Fields()[fieldNo - 1]->Offset(), &value, sizeof value);
      store.SetNull(fieldNo, buf, false);
      if (refused) {
        EXPECT_THROW(ReadValue<double>(store, fieldNo, buf), Exception);
        continue;
      }
      if (fieldNo == 8) {
        EXPECT_EQ(ReadValue<double>(store, 8, buf), TimeStampToMSecs(expected));
      } else {
        EXPECT_EQ(ReadValue<int32_t>(store, fieldNo, buf),
                  fieldNo == 6 ? expected.Date : expected.Time);
      }
    }
  }
}

TEST_F(FieldAccess, InvalidTimeStampsAreConversionErrors) {
  const int32_t zeroDay = 0;
  try {
    store.PutField(6, buf, false, &zeroDay);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), u"'0.0' is not a valid timestamp");
  }
  const int32_t negative = -1;
  EXPECT_THROW(store.PutField(7, buf, false, &negative), EConvertError);
  EXPECT_TRUE(store.GetNull(6, buf));  // nothing was stored
}

TEST_F(FieldAccess, FloatsRoundToTheirScaleUnlessExact) {
  store.Fields()[4]->SetScale(2);
  const double v = 1.005;
  store.PutField(5, buf, false, &v);
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", v);
  EXPECT_EQ(Stored<double>(5), std::strtod(text, nullptr));
  const double w = 2.3456;
  store.PutField(5, buf, false, &w);
  EXPECT_EQ(Stored<double>(5), 2.35);
  store.PutField(5, buf, true, &w);
  EXPECT_EQ(Stored<double>(5), 2.3456);
}

// Rounding to the scale gives, bit for bit, the value printed with that many decimals and read
// back: ties of the exact binary value go to the even digit, signs and zeros as printed.
TEST_F(FieldAccess, FloatRoundingMatchesPrintingAndReadingBack) {
  std::vector<double> values = {0.5,       1.5,        2.5,       0.125,     0.375,
                                1.005,     2.675,      0.045,     1.0 / 3,   2.0 / 3,
                                -0.5,      -2.5,       -1.005,    -0.001,    -0.0,
                                0.0,       1e-300,     -5e-324,   1e15,      -123456789.125,
                                4503599627370495.5,    4503599627370496.0,   9007199254740993.0,
                                1e20,      -1e22,      1e300,     HUGE_VAL,  -HUGE_VAL,
                                std::nan(""),          -std::nan("")};
  // Halves of the last kept digit at each scale, and a spread of magnitudes and digits.
  for (int s = 0; s <= 22; ++s) {
    const double unit = std::pow(10.0, -s);
    for (double k : {0.5, 1.5, 12.5, 99999.5}) values.push_back(k * unit);
  }
  uint64_t seed = 88172645463325252ull;
  for (int i = 0; i < 4000; ++i) {
    seed ^= seed << 13, seed ^= seed >> 7, seed ^= seed << 17;
    const double mantissa = static_cast<double>(seed >> 11) / 9007199254740992.0;
    const int exponent = static_cast<int>(seed % 60) - 30;
    values.push_back((seed & 1 ? -1 : 1) * std::ldexp(mantissa, exponent));
  }
  std::vector<int> scales;
  for (int scale = 1; scale <= 25; ++scale) scales.push_back(scale);
  ExpectStoredAsPrinted(values, scales);
}

// Beyond 22 decimals (a DOUBLE column without declared decimals reports 31) most values come
// back unchanged and are no longer printed; the tiny ones still round. Both kinds, across the
// magnitudes where one turns into the other, stay bit for bit what printing gives.
TEST_F(FieldAccess, FloatRoundingBeyondExactPowersMatchesPrinting) {
  std::vector<double> values = {100.0, -2.5, 0.1, 1.0 / 3, 1e-30, -1e-31, 5e-32, 1.5e-31,
                                std::ldexp(1.0, -31), std::ldexp(3.0, -33), 1e300, -5e-324,
                                std::ldexp(1.0, -48), std::ldexp(1.0, -49), -0.0};
  uint64_t seed = 2463534242ull;
  for (int i = 0; i < 6000; ++i) {
    seed ^= seed << 13, seed ^= seed >> 7, seed ^= seed << 17;
    const double mantissa = 1 + static_cast<double>(seed >> 12) / 4503599627370496.0;
    // Most magnitudes near where a unit of the scale meets the gap between doubles.
    const int exponent = i % 3 == 0 ? static_cast<int>(seed % 200) - 100
                                    : static_cast<int>(seed % 40) - 75;
    values.push_back((seed & 1 ? -1 : 1) * std::ldexp(mantissa, exponent));
  }
  ExpectStoredAsPrinted(values, {23, 24, 26, 30, 31, 32, 38, 45});
}

TEST_F(FieldAccess, FixedSizeRecordsCopyWhole) {
  uint8_t bcd[34];
  for (int i = 0; i < 34; ++i) bcd[i] = static_cast<uint8_t>(i + 1);
  store.PutField(21, buf, false, bcd);
  uint8_t out[34] = {};
  bool blank;
  store.GetField(21, buf, out, blank);
  EXPECT_EQ(std::memcmp(out, bcd, 34), 0);
  uint8_t ts[16];
  for (int i = 0; i < 16; ++i) ts[i] = static_cast<uint8_t>(100 + i);
  store.PutField(23, buf, false, ts);
  uint8_t tsOut[16] = {};
  store.GetField(23, buf, tsOut, blank);
  EXPECT_EQ(std::memcmp(tsOut, ts, 16), 0);
}

TEST_F(FieldAccess, NilAndEmptyTexts) {
  int32_t sentinel = 77;
  store.PutField(4, buf, false, &sentinel);
  store.PutField(4, buf, false, nullptr);  // nil sets null
  bool blank = false;
  int32_t out = -1;
  store.GetField(4, buf, &out, blank);
  EXPECT_TRUE(blank);
  EXPECT_EQ(out, -1);  // a null field leaves the destination alone

  store.PutField(1, buf, false, "");
  EXPECT_FALSE(store.GetNull(1, buf));
  EXPECT_EQ(ReadText(store, 1, buf), "");
  store.SetSetEmptyStrToNull(true);
  struct Case {
    int fieldNo;
    bool wide;
  } cases[] = {{1, false}, {13, false}, {18, true}, {19, true}};
  for (const Case& c : cases) {
    if (c.wide)
      PutWide(store, c.fieldNo, buf, u"");
    else
      store.PutField(c.fieldNo, buf, false, "");
    EXPECT_TRUE(store.GetNull(c.fieldNo, buf)) << c.fieldNo;
  }
}

TEST(FieldTrimming, TrailingBlanksByOption) {
  TestStore store({{u"V", dtString, 8}, {u"F", dtString, 8, 0, true}, {u"W", dtWideString, 8}});
  store.InitFields();
  RecBuf buf(store);
  store.PutField(1, buf, false, "abc  ");
  store.PutField(2, buf, false, "abc  ");
  PutWide(store, 3, buf, u"жаба  ");
  EXPECT_EQ(ReadText(store, 1, buf), "abc  ");
  store.SetTrimVarChar(true);
  EXPECT_EQ(ReadText(store, 1, buf), "abc");
  EXPECT_EQ(ReadText(store, 2, buf), "abc  ");  // a fixed column follows TrimFixedChar only
  EXPECT_EQ(ReadWide(store, 3, buf), u"жаба");
  store.SetTrimFixedChar(true);
  EXPECT_EQ(ReadText(store, 2, buf), "abc");
}

TEST(FieldLineEnds, ConvertedWhenTheProviderAsks) {
  TestStore store({{u"S", dtString, 4}, {u"W", dtExtWideString, 10}});
  store.InitFields();
  RecBuf buf(store);
  store.PutField(1, buf, false, "a\nbc");
  PutWide(store, 2, buf, u"x\ny\r\nz");
  EXPECT_EQ(ReadText(store, 1, buf), "a\nbc");
  store.ConvertEOL = true;
  EXPECT_EQ(ReadText(store, 1, buf), "a\r\nb");  // still at most Length characters
  EXPECT_EQ(ReadWide(store, 2, buf), u"x\r\ny\r\nz");
}

TEST(BlobFields, NullStateFollowsTheBlob) {
  TestStore store({{u"ID", dtInteger}, {u"NOTE", dtMemo}, {u"WNOTE", dtWideMemo}});
  store.InitFields();
  RecBuf buf(store);
  EXPECT_TRUE(store.GetNull(2, buf));
  TBlob* blob = store.GetBlob(2, buf);
  EXPECT_FALSE(blob->IsUnicode());
  EXPECT_TRUE(store.GetBlob(3, buf)->IsUnicode());
  EXPECT_TRUE(blob->RollbackEnabled());
  blob->SetAsAnsiString("text");  // the null byte still says null
  const int nullByte = store.DataSize() + 1;
  EXPECT_EQ(buf[nullByte], 1);
  EXPECT_FALSE(store.GetNull(2, buf));
  EXPECT_EQ(buf[nullByte], 0);
  store.SetNull(2, buf, true);  // empties the blob
  EXPECT_TRUE(blob->IsEmpty());
  try {
    store.GetBlob(1, buf);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Field is not BLOB");
  }
  EXPECT_EQ(store.GetBlobObject(1, buf), nullptr);
}

TEST(BlobFields, AnsiOperationsOnUnicodeBlobs) {
  TestStore store({{u"WNOTE", dtWideMemo}});
  store.InitFields();
  RecBuf buf(store);
  const std::string text = "Здраво, world";  // 6 Cyrillic letters of 2 bytes each
  store.WriteBlob(1, buf, 0, static_cast<uint32_t>(text.size()), text.data());
  EXPECT_FALSE(store.GetNull(1, buf));
  EXPECT_EQ(store.GetBlob(1, buf)->GetAsWideString(), u"Здраво, world");
  EXPECT_EQ(store.GetBlobSize(1, buf), text.size());
  EXPECT_EQ(store.GetBlobSize(1, buf, true), 13u * 2);  // raw: UTF-16 bytes
  char out[64] = {};
  EXPECT_EQ(store.ReadBlob(1, buf, 4, 6, out), 6u);  // from the third letter, six bytes
  EXPECT_EQ(std::string(out), "рав");
  EXPECT_EQ(store.ReadBlob(1, buf, 12, 0, out), 7u);
  EXPECT_EQ(std::string(out, 7), ", world");
  EXPECT_EQ(store.ReadBlob(1, buf, 0, 3, out), 2u);  // never half a character
  EXPECT_THROW(store.ReadBlob(1, buf, 3, 2, out), Exception);  // inside a character
  EXPECT_THROW(store.WriteBlob(1, buf, 100, 1, "x"), Exception);  // past the end
  store.TruncateBlob(1, buf, 6);
  EXPECT_EQ(store.GetBlob(1, buf)->GetAsWideString(), u"Здр");
  store.SetBlobSize(1, buf, 8);
  EXPECT_EQ(store.GetBlobSize(1, buf), 8u);
  store.TruncateBlob(1, buf, 0);
  EXPECT_TRUE(store.GetNull(1, buf));
}

TEST(BlobFields, ReadingTheRollbackCopy) {
  TestStore store({{u"NOTE", dtMemo}});
  store.InitFields();
  RecBuf buf(store);
  store.WriteBlob(1, buf, 0, 3, "old");
  store.GetBlob(1, buf)->Commit();
  store.WriteBlob(1, buf, 0, 5, "newer");
  char out[8] = {};
  EXPECT_EQ(store.ReadBlob(1, buf, 0, 0, out, false, true), 3u);
  EXPECT_EQ(std::string(out, 3), "old");
  EXPECT_EQ(store.GetBlobSize(1, buf, false, true), 3u);
  EXPECT_EQ(store.GetBlobSize(1, buf), 5u);
  store.RevertBlobs(buf);
  EXPECT_EQ(store.GetBlob(1, buf)->GetAsAnsiString(), "old");
}

}  // namespace

// The blob size read in line must answer as the blob itself does for every shape of value: none
// written, one piece, a chain of pieces, compressed content, Unicode content counted as ANSI,
// the rollback copy shown, and a NULL value. A fast path that read only the first piece, took
// compressed bytes for the size or ignored the rollback or ANSI request fails one of these.
TEST(BlobFields, SizeReadInLineAnswersAsTheBlobForEveryShape) {
  const std::string longText(300, 'x');
  const std::string wide = "Здраво, world";  // 19 UTF-8 bytes, 13 UTF-16 units
  struct Case {
    const char* name;
    TDataTypeCode type;
    std::string text;
    uint32_t pieceCapacity;  // 0: the default
    bool compress;
    bool raw;
    uint32_t expected;
  };
  const Case cases[] = {
      {"empty", dtMemo, "", 0, false, false, 0},
      {"one piece", dtMemo, "hello", 0, false, false, 5},
      {"chain of pieces", dtMemo, longText, 7, false, false, 300},
      {"compressed", dtMemo, longText, 0, true, false, 300},
      {"wide counted as ANSI", dtWideMemo, wide, 0, false, false, 19},
      {"wide raw", dtWideMemo, wide, 0, false, true, 26},
      {"wide chain raw", dtWideMemo, wide, 4, false, true, 26},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestStore store({{u"ID", dtInteger}, {u"NOTE", c.type}});
    store.InitFields();
    RecBuf buf(store);
    TBlob* blob = store.GetBlob(2, buf);
    if (c.pieceCapacity != 0) blob->Store()->SetPieceCapacity(c.pieceCapacity);
    if (!c.text.empty())
      store.WriteBlob(2, buf, 0, static_cast<uint32_t>(c.text.size()), c.text.data());
    if (c.pieceCapacity != 0 && c.text.size() > c.pieceCapacity) {
      ASSERT_NE(blob->GetFirstPiece()->Next, nullptr) << "the case needs a chain";
    }
    if (c.compress) {
      ASSERT_TRUE(static_cast<TCompressedBlob*>(blob)->SetCompressed(true));
      ASSERT_LT(blob->GetFirstPiece()->UsedBytes, 300u);
    }
    EXPECT_EQ(store.GetBlobSize(2, buf, c.raw), c.expected);
    EXPECT_EQ(store.GetBlobSize(2, buf, c.raw),
              c.raw || !blob->IsUnicode() ? blob->GetSize() : blob->GetSizeUni());
  }

  // The rollback copy shown, and a NULL value, whatever its blob holds.
  TestStore store({{u"ID", dtInteger}, {u"NOTE", dtMemo}});
  store.InitFields();
  RecBuf buf(store);
  store.WriteBlob(2, buf, 0, 3, "old");
  store.GetBlob(2, buf)->Commit();
  store.WriteBlob(2, buf, 0, 9, "newer one");
  EXPECT_EQ(store.GetBlobSize(2, buf), 9u);
  EXPECT_EQ(store.GetBlobSize(2, buf, true, true), 3u);
  store.SetNull(2, buf, true);
  EXPECT_EQ(store.GetBlobSize(2, buf), 0u);
  EXPECT_EQ(store.GetBlobSize(2, buf, true), 0u);
}
