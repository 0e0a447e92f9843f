// Field conversions as tables: null values, empty text, float to integer rounding, text under two
// locales, Cyrillic text, and the native buffer forms the record store meets.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "platform/rtl/DateTime.h"
#include "platform/rtl/FMTBcd.h"
#include "tests/support/ScriptedDataSet.h"
#include "tests/platform/rtl/FormatSettingsFixture.h"

namespace {

std::vector<TColumn> AllTypes() {
  return {{u"S", ftString, 5},     {u"W", ftWideString, 6}, {u"SI", ftSmallint},
          {u"I", ftInteger},       {u"WD", ftWord},         {u"L", ftLargeint},
          {u"A", ftAutoInc},       {u"F", ftFloat},         {u"C", ftCurrency},
          {u"B", ftBCD, 2},        {u"FB", ftFMTBcd, 4},    {u"BO", ftBoolean},
          {u"D", ftDate},          {u"T", ftTime},          {u"DT", ftDateTime},
          {u"BY", ftBytes, 4},     {u"VB", ftVarBytes, 4},  {u"M", ftMemo},
          {u"G", ftGuid, 38}};
}

class FieldFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    FormatSettings() = TFormatSettings::Invariant();
    ds.Open();
    ds.Append();
  }
  TField* F(const char16_t* name) { return ds.FieldByName(name); }
  // The stored bytes of a column after posting the record.
  TBytes Stored(const char16_t* name) {
    if (ds.State() != dsBrowse) ds.Post();
    const auto& cell = ds.Rows().back()[F(name)->FieldNo() - 1];
    return cell.Present ? cell.Bytes : TBytes();
  }
  template <class T>
  T StoredAs(const char16_t* name) {
    TBytes bytes = Stored(name);
    T value{};
    EXPECT_GE(bytes.size(), sizeof(T));
    if (bytes.size() >= sizeof(T)) std::memcpy(&value, bytes.data(), sizeof(T));
    return value;
  }

  TFormatSettingsGuard guard;
  TScriptedDataSet ds{nullptr, AllTypes()};
};

TEST_F(FieldFixture, DefaultFieldsHaveTheClassOfTheirType) {
  struct TCase {
    const char16_t* Name;
    const char* ClassName;
    int DataSize;
    TAlignment Alignment;
  } cases[] = {
      {u"S", "TStringField", 6, taLeftJustify},     {u"W", "TWideStringField", 14, taLeftJustify},
      {u"SI", "TSmallintField", 2, taRightJustify}, {u"I", "TIntegerField", 4, taRightJustify},
      {u"WD", "TWordField", 2, taRightJustify},     {u"L", "TLargeintField", 8, taRightJustify},
      {u"A", "TAutoIncField", 4, taRightJustify},   {u"F", "TFloatField", 8, taRightJustify},
      {u"C", "TCurrencyField", 8, taRightJustify},  {u"B", "TBCDField", 34, taRightJustify},
      {u"FB", "TFMTBCDField", 34, taRightJustify},  {u"BO", "TBooleanField", 2, taLeftJustify},
      {u"D", "TDateField", 4, taLeftJustify},       {u"T", "TTimeField", 4, taLeftJustify},
      {u"DT", "TDateTimeField", 8, taLeftJustify},  {u"BY", "TBytesField", 4, taLeftJustify},
      {u"VB", "TVarBytesField", 6, taLeftJustify},  {u"M", "TMemoField", 0, taLeftJustify},
      {u"G", "TGuidField", 39, taLeftJustify},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(UTF8Encode(c.Name));
    EXPECT_EQ(UTF8Encode(F(c.Name)->ClassName()), c.ClassName);
    EXPECT_EQ(F(c.Name)->DataSize(), c.DataSize);
    EXPECT_EQ(F(c.Name)->Alignment(), c.Alignment);
  }
  EXPECT_TRUE(F(u"A")->ReadOnly());
  EXPECT_TRUE(F(u"M")->IsBlob());
}

TEST_F(FieldFixture, NullReadsAsEmptyZeroFalseAndNull) {
  for (TField* field : *ds.Fields()) {
    SCOPED_TRACE(UTF8Encode(field->FieldName()));
    EXPECT_TRUE(field->IsNull());
    EXPECT_EQ(field->AsString(), u"");
    EXPECT_TRUE(field->Value().IsNull());
    EXPECT_TRUE(field->OldValue().IsNull());
  }
  for (const char16_t* name : {u"SI", u"I", u"WD", u"L", u"A", u"F", u"C", u"B", u"FB"}) {
    SCOPED_TRACE(UTF8Encode(name));
    EXPECT_EQ(F(name)->AsInteger(), 0);
    EXPECT_EQ(F(name)->AsLargeInt(), 0);
    EXPECT_EQ(F(name)->AsFloat(), 0.0);
    EXPECT_EQ(F(name)->AsCurrency(), Currency());
    EXPECT_EQ(F(name)->DisplayText(), u"");
  }
  for (const char16_t* name : {u"D", u"T", u"DT"}) {
    EXPECT_EQ(F(name)->AsDateTime(), 0.0);
    EXPECT_EQ(F(name)->DisplayText(), u"");
  }
  EXPECT_FALSE(F(u"BO")->AsBoolean());
  EXPECT_EQ(F(u"BO")->DisplayText(), u"");
  // Text fields read as numbers give 0 while null, not a conversion error.
  EXPECT_EQ(F(u"W")->AsInteger(), 0);
  EXPECT_FALSE(F(u"S")->AsBoolean());
  // What a grid shows for a value it cannot show as text.
  EXPECT_EQ(F(u"M")->DisplayText(), u"(Memo)");
  EXPECT_EQ(F(u"BY")->DisplayText(), u"(Bytes)");
}

TEST_F(FieldFixture, EmptyTextClearsFieldsThatHoldNoText) {
  struct TCase {
    const char16_t* Name;
    const char16_t* Value;
  } cases[] = {{u"SI", u"7"},     {u"I", u"-12"},         {u"WD", u"65535"},
               {u"L", u"-9000000000"}, {u"F", u"2.25"},   {u"C", u"3.5"},
               {u"B", u"4.75"},   {u"FB", u"-1.0625"},    {u"BO", u"True"},
               {u"D", u"02/29/2024"}, {u"T", u"13:05:09"}, {u"DT", u"02/29/2024 13:05:09"}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(UTF8Encode(c.Name));
    F(c.Name)->SetAsString(c.Value);
    EXPECT_FALSE(F(c.Name)->IsNull());
    EXPECT_EQ(F(c.Name)->AsString(), c.Value);
    F(c.Name)->SetAsString(u"");
    EXPECT_TRUE(F(c.Name)->IsNull());
  }
  // A text field keeps an empty text as a value.
  for (const char16_t* name : {u"S", u"W"}) {
    F(name)->SetAsString(u"");
    EXPECT_FALSE(F(name)->IsNull());
    EXPECT_EQ(F(name)->AsString(), u"");
  }
  // Clear works on every kind, Value Null too.
  F(u"I")->SetAsInteger(5);
  F(u"I")->SetValue(Variant::Null());
  EXPECT_TRUE(F(u"I")->IsNull());
  F(u"W")->Clear();
  EXPECT_TRUE(F(u"W")->IsNull());
}

TEST_F(FieldFixture, FloatsBecomeIntegersRoundedHalfToEven) {
  struct TCase {
    double Value;
    int32_t Expected;
  } cases[] = {{0.5, 0},  {1.5, 2},   {2.5, 2},         {3.5, 4},        {-0.5, 0},
               {-1.5, -2}, {-2.5, -2}, {2.4999999, 2},   {2.5000001, 3},  {-7.7, -8},
               {1e9, 1000000000}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Value);
    F(u"I")->SetAsFloat(c.Value);
    EXPECT_EQ(F(u"I")->AsInteger(), c.Expected);
    F(u"L")->SetAsFloat(c.Value);
    EXPECT_EQ(F(u"L")->AsLargeInt(), c.Expected);
    F(u"F")->SetAsFloat(c.Value);
    EXPECT_EQ(F(u"F")->AsInteger(), c.Expected);
    F(u"I")->SetValue(Variant(c.Value));
    EXPECT_EQ(F(u"I")->AsInteger(), c.Expected);
  }
  F(u"B")->SetAsCurrency(Currency::FromDouble(2.5));
  EXPECT_EQ(F(u"B")->AsInteger(), 2);
  F(u"B")->SetAsCurrency(Currency::FromDouble(3.5));
  EXPECT_EQ(F(u"B")->AsInteger(), 4);
}

TEST_F(FieldFixture, ValuesOutsideTheRangeAreRefusedWithTheFieldsMessage) {
  struct TCase {
    const char16_t* Name;
    std::function<void(TField*)> Set;
    const char16_t* Message;
  } cases[] = {
      {u"SI", [](TField* f) { f->SetAsInteger(32768); },
       u"32768 is not a valid value for field 'SI'. The allowed range is -32768 to 32767"},
      {u"SI", [](TField* f) { f->SetAsFloat(32767.5); },
       u"32768 is not a valid value for field 'SI'. The allowed range is -32768 to 32767"},
      {u"WD", [](TField* f) { f->SetAsInteger(-1); },
       u"-1 is not a valid value for field 'WD'. The allowed range is 0 to 65535"},
      {u"I", [](TField* f) { f->SetAsLargeInt(int64_t{1} << 31); },
       u"2147483648 is not a valid value for field 'I'. The allowed range is -2147483648 to "
       u"2147483647"},
      {u"I", [](TField* f) { f->SetAsString(u"12a"); },
       u"'12a' is not a valid integer value for field 'I'"},
      {u"F", [](TField* f) { f->SetAsString(u"1,5"); },
       u"'1,5' is not a valid floating point value for field 'F'"},
      {u"BO", [](TField* f) { f->SetAsString(u"maybe"); },
       u"'maybe' is not a valid boolean value for field 'BO'"},
      {u"I", [](TField* f) { f->SetAsBoolean(true); },
       u"Cannot access field 'I' as type Boolean"},
      {u"BY", [](TField* f) { f->SetAsBytes(TBytes(5, 1)); },
       u"Invalid variant type or size for field 'BY'"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(UTF8Encode(c.Message));
    try {
      c.Set(F(c.Name));
      ADD_FAILURE() << "no error";
    } catch (const EDatabaseError& e) {
      EXPECT_EQ(e.Message(), c.Message);
    }
    EXPECT_TRUE(F(c.Name)->IsNull()) << "nothing was stored";
  }
  // A field's own range narrows the type's.
  auto* field = static_cast<TIntegerField*>(F(u"I"));
  field->SetMinValue(1);
  field->SetMaxValue(10);
  EXPECT_THROW(field->SetAsInteger(11), EDatabaseError);
  field->SetAsInteger(10);
  EXPECT_EQ(field->AsInteger(), 10);
}

TEST_F(FieldFixture, TextUnderTwoLocales) {
  F(u"D")->SetAsDateTime(EncodeDate(2024, 2, 29));
  F(u"T")->SetAsDateTime(EncodeTime(13, 5, 9, 0));
  F(u"DT")->SetAsDateTime(EncodeDate(2024, 2, 29) + EncodeTime(13, 5, 9, 0));
  F(u"F")->SetAsFloat(1234.5);
  static_cast<TFloatField*>(F(u"F"))->SetDisplayFormat(u"###,###,##0.00");
  F(u"C")->SetAsFloat(1234.5);
  F(u"FB")->SetAsString(u"-12.5");
  struct TCase {
    const char16_t* Name;
    const char16_t* Invariant;
    const char16_t* Macedonian;
  } cases[] = {
      {u"D", u"02/29/2024", u"29.02.2024"},
      {u"T", u"13:05:09", u"13:05:09"},
      {u"DT", u"02/29/2024 13:05:09", u"29.02.2024 13:05:09"},
      {u"F", u"1,234.50", u"1.234,50"},
      {u"C", u"\u00A41,234.50", u"1.234,50 ден."},
      {u"FB", u"-12.5", u"-12,5"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(UTF8Encode(c.Name));
    FormatSettings() = TFormatSettings::Invariant();
    EXPECT_EQ(F(c.Name)->DisplayText(), c.Invariant);
    FormatSettings() = MacedonianSettings();
    EXPECT_EQ(F(c.Name)->DisplayText(), c.Macedonian);
  }
  // Editing text shows money without the currency sign; without an EditFormat the display
  // picture serves editing too.
  EXPECT_EQ(F(u"C")->Text(), u"1234,50");
  EXPECT_EQ(F(u"F")->Text(), u"1.234,50");
  static_cast<TFloatField*>(F(u"F"))->SetEditFormat(u"0.###");
  EXPECT_EQ(F(u"F")->Text(), u"1234,5");
  // Midnight leaves the time out of a date-time's text.
  F(u"DT")->SetAsDateTime(EncodeDate(2024, 3, 1));
  EXPECT_EQ(F(u"DT")->DisplayText(), u"01.03.2024");
  // Typed text is read in the locale.
  F(u"D")->SetAsString(u"1.3.2024");
  EXPECT_EQ(F(u"D")->AsDateTime(), EncodeDate(2024, 3, 1));
  F(u"F")->SetAsString(u"-1234,25");
  EXPECT_EQ(F(u"F")->AsFloat(), -1234.25);
  F(u"B")->SetAsString(u"4,75");
  EXPECT_EQ(F(u"B")->AsCurrency(), Currency::FromDouble(4.75));
  EXPECT_THROW(F(u"D")->SetAsString(u"31.02.2024"), EConvertError);
}

TEST_F(FieldFixture, CyrillicText) {
  // UTF-16 text keeps every character; Size counts UTF-16 units.
  F(u"W")->SetAsString(u"Скопје");
  EXPECT_EQ(F(u"W")->AsString(), u"Скопје");
  EXPECT_EQ(F(u"W")->Value(), Variant(String(u"Скопје")));
  F(u"W")->SetAsString(u"Македонија");
  EXPECT_EQ(F(u"W")->AsString(), u"Македо") << "cut at Size characters";
  // 8-bit text holds UTF-8: Size is bytes, and a value is never cut inside a character.
  F(u"S")->SetAsString(u"Жж");
  EXPECT_EQ(F(u"S")->AsString(), u"Жж");
  F(u"S")->SetAsString(u"Жжж");
  EXPECT_EQ(F(u"S")->AsString(), u"Жж");
  F(u"S")->SetAsString(u"aЖжж");
  EXPECT_EQ(F(u"S")->AsString(), u"aЖж");
  // Every printable character may be typed into text fields; numbers take digits, signs, the
  // locale's decimal separator and an exponent.
  FormatSettings() = MacedonianSettings();
  struct TCase {
    const char16_t* Name;
    char16_t Char;
    bool Valid;
  } cases[] = {{u"W", u'Ж', true},  {u"S", u'ѓ', true},  {u"M", u'Љ', true},
               {u"W", u'1', true},  {u"I", u'7', true},  {u"I", u'-', true},
               {u"I", u'+', true},  {u"I", u',', false}, {u"I", u'Ж', false},
               {u"I", u'E', false}, {u"F", u',', true},  {u"F", u'.', false},
               {u"F", u'e', true},  {u"B", u',', true},  {u"F", u'Ж', false}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(UTF8Encode(c.Name) + " " + UTF8Encode(String(1, c.Char)));
    EXPECT_EQ(F(c.Name)->IsValidChar(c.Char), c.Valid);
  }
}

TEST_F(FieldFixture, BooleanTextAcceptsLeadingPartsOfItsNames) {
  auto* field = static_cast<TBooleanField*>(F(u"BO"));
  struct TCase {
    const char16_t* Text;
    bool Value;
  } cases[] = {{u"True", true}, {u"t", true}, {u"TR", true}, {u"False", false}, {u"f", false}};
  for (const TCase& c : cases) {
    field->SetAsString(c.Text);
    EXPECT_EQ(field->AsBoolean(), c.Value);
  }
  field->SetDisplayValues(u"Да;Не");
  field->SetAsString(u"д");
  EXPECT_TRUE(field->AsBoolean());
  EXPECT_EQ(field->DisplayText(), u"Да");
  field->SetAsString(u"НЕ");
  EXPECT_EQ(field->AsString(), u"Не");
}

// ---- The native forms a descendant stores and hands back.

TEST_F(FieldFixture, DateAndTimeBuffersHoldTimeStampForms) {
  TDateTime day = EncodeDate(2024, 2, 29);
  TDateTime time = EncodeTime(13, 5, 9, 250);
  F(u"D")->SetAsDateTime(day + time);  // the date part only
  F(u"T")->SetAsDateTime(day + time);  // the time part only
  F(u"DT")->SetAsDateTime(day + time);
  EXPECT_EQ(StoredAs<int32_t>(u"D"), 738945) << "days since 0001-01-01, that day being 1";
  EXPECT_EQ(StoredAs<int32_t>(u"T"), 47109250) << "milliseconds since midnight";
  EXPECT_EQ(StoredAs<double>(u"DT"), 63844895109250.0) << "milliseconds of the time stamp";
  EXPECT_EQ(F(u"D")->AsDateTime(), day);
  EXPECT_EQ(F(u"T")->AsDateTime(), time);
  EXPECT_NEAR(F(u"DT")->AsDateTime(), day + time, 1e-9);
  // A date before 1899-12-30 keeps its day and time.
  ds.Edit();
  // Before day 0 the time of day is the fraction's absolute value.
  TDateTime early = EncodeDate(1800, 1, 1) - EncodeTime(6, 0, 0, 0);
  F(u"DT")->SetAsDateTime(early);
  EXPECT_EQ(F(u"DT")->AsDateTime(), early);
  EXPECT_EQ(FormatDateTime(u"yyyy-mm-dd hh:nn", F(u"DT")->AsDateTime()), u"1800-01-01 06:00");
}

TEST_F(FieldFixture, TextAndNumberBuffersHoldTheirNativeForms) {
  F(u"S")->SetAsString(u"Жa");
  F(u"W")->SetAsString(u"Ж");
  F(u"SI")->SetAsInteger(-2);
  F(u"WD")->SetAsInteger(65535);
  F(u"I")->SetAsInteger(-70000);
  F(u"L")->SetAsLargeInt(-(int64_t{1} << 40));
  F(u"F")->SetAsFloat(0.1);
  F(u"C")->SetAsFloat(2.75);
  F(u"BO")->SetAsBoolean(true);
  F(u"B")->SetAsString(u"12.34");
  F(u"FB")->SetAsString(u"-98765.4321");
  F(u"BY")->SetAsBytes({1, 2});
  F(u"VB")->SetAsBytes({7, 8, 9});
  ds.Post();
  EXPECT_EQ(Stored(u"S"), (TBytes{0xD0, 0x96, 'a', 0, 0, 0}));
  EXPECT_EQ(Stored(u"W"), (TBytes{0x16, 0x04, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(StoredAs<int16_t>(u"SI"), -2);
  EXPECT_EQ(StoredAs<uint16_t>(u"WD"), 65535);
  EXPECT_EQ(StoredAs<int32_t>(u"I"), -70000);
  EXPECT_EQ(StoredAs<int64_t>(u"L"), -(int64_t{1} << 40));
  EXPECT_EQ(StoredAs<double>(u"F"), 0.1);
  EXPECT_EQ(StoredAs<double>(u"C"), 2.75);
  EXPECT_NE(StoredAs<uint16_t>(u"BO"), 0);
  TBcd bcd = StoredAs<TBcd>(u"B");
  EXPECT_EQ(BcdToStr(bcd, TFormatSettings::Invariant()), u"12.34");
  EXPECT_EQ(BcdScale(bcd), 2) << "a BCD field's buffer has its Size as decimals";
  EXPECT_EQ(BcdToStr(StoredAs<TBcd>(u"FB"), TFormatSettings::Invariant()), u"-98765.4321");
  EXPECT_EQ(Stored(u"BY"), (TBytes{1, 2, 0, 0}));
  EXPECT_EQ(Stored(u"VB"), (TBytes{3, 0, 7, 8, 9, 0}));
  // And back: every accessor reads what was stored.
  EXPECT_EQ(F(u"S")->AsString(), u"Жa");
  EXPECT_EQ(F(u"SI")->Value(), Variant(int16_t{-2}));
  EXPECT_EQ(F(u"WD")->AsInteger(), 65535);
  EXPECT_EQ(F(u"B")->AsCurrency(), Currency::FromDouble(12.34));
  EXPECT_EQ(F(u"BY")->AsBytes(), (TBytes{1, 2, 0, 0}));
  EXPECT_EQ(F(u"VB")->AsBytes(), (TBytes{7, 8, 9}));
}

TEST_F(FieldFixture, ValidateSeesTheNewValueAndCanRefuseIt) {
  ds.Post();
  ds.Edit();
  F(u"I")->SetAsInteger(1);
  String seen;
  F(u"I")->OnValidate = [&](TField* field) {
    seen = field->AsString();
    if (field->AsInteger() < 0) throw EDatabaseError(String(u"must not be negative"));
  };
  F(u"I")->SetAsInteger(5);
  EXPECT_EQ(seen, u"5");
  EXPECT_THROW(F(u"I")->SetAsInteger(-3), EDatabaseError);
  EXPECT_EQ(seen, u"-3");
  EXPECT_EQ(F(u"I")->AsInteger(), 5) << "the refused value was not stored";
  F(u"I")->Clear();
  EXPECT_EQ(seen, u"") << "a null value validates as null";
}

TEST_F(FieldFixture, ChangeAndTextEventsRunAroundTheValue) {
  int changes = 0;
  F(u"W")->OnChange = [&](TField* field) {
    ++changes;
    EXPECT_EQ(field->AsString(), u"abc") << "OnChange comes after the value is stored";
  };
  F(u"W")->SetAsString(u"abc");
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(ds.Modified());
  F(u"I")->OnGetText = [](TField* field, String& text, bool display) {
    text = (display ? u"#" : u"=") + IntToStr(field->AsInteger());
  };
  F(u"I")->OnSetText = [](TField* field, const String& text) {
    field->SetAsInteger(StrToInt(text.substr(1)));
  };
  F(u"I")->SetText(u"#42");
  EXPECT_EQ(F(u"I")->AsInteger(), 42);
  EXPECT_EQ(F(u"I")->DisplayText(), u"#42");
  EXPECT_EQ(F(u"I")->Text(), u"=42");
}

TEST_F(FieldFixture, MemoFieldsGoThroughTheBlobStream) {
  auto* memo = static_cast<TBlobField*>(F(u"M"));
  memo->SetAsString(u"Првa линија\r\nВтора");
  EXPECT_FALSE(memo->IsNull());
  EXPECT_EQ(memo->DisplayText(), u"(MEMO)");
  ds.Post();
  EXPECT_EQ(memo->AsString(), u"Првa линија\r\nВтора");
  EXPECT_EQ(memo->Value().VarType(), varString);
  TMemoryStream saved;
  memo->SaveToStream(&saved);
  EXPECT_EQ(saved.Size(), static_cast<int64_t>(UTF8Encode(u"Првa линија\r\nВтора").size()));
  // A cancelled edit keeps the stored text.
  ds.Edit();
  TStringStream replacement(String(u"друго"));
  memo->LoadFromStream(&replacement);
  EXPECT_EQ(memo->AsString(), u"друго");
  ds.Cancel();
  EXPECT_EQ(memo->AsString(), u"Првa линија\r\nВтора");
  // Writing outside an edit is refused.
  EXPECT_THROW(memo->SetAsString(u"x"), EDatabaseError);
}

TEST_F(FieldFixture, OldValueIsTheValueBeforeTheEdit) {
  F(u"I")->SetAsInteger(1);
  ds.Post();
  ds.Edit();
  F(u"I")->SetAsInteger(2);
  EXPECT_EQ(F(u"I")->OldValue(), Variant(int32_t{1}));
  EXPECT_EQ(F(u"I")->Value(), Variant(int32_t{2}));
  ds.Cancel();
}

}  // namespace
