#include "Common/DBAccess_Macros.h"

#include <gtest/gtest.h>

#include "platform/rtl/Component.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/UnicodeText.h"

namespace {

// A component that keeps macros, recording how often it was asked to rebuild its statement.
class TMacroOwnerStub : public TComponent, public IMacroOwner {
 public:
  TMacroOwnerStub() : TComponent(nullptr), Macros(this) { SetName(u"PaymentQuery"); }
  bool MacroOwnerIsCommand() const override { return IsCommand; }
  bool MacroOwnerActive() const override { return Active; }
  String MacroOwnerSQLText() const override { return SQL; }
  void MacrosChanged() override { ++Changes; }

  bool IsCommand = false;
  bool Active = false;
  String SQL;
  int Changes = 0;
  TMacros Macros;
};

String Expanded(const TMacros& macros, const String& sql) {
  String text = sql;
  macros.Expand(text);
  return text;
}

TEST(Macros, ExpandReplacesReferencesByActiveValues) {
  TMacros macros(nullptr);
  macros.Scan(u"SELECT * FROM t &cond");
  ASSERT_EQ(macros.Count(), 1);
  macros.MacroByName(u"COND")->SetValue(u"WHERE id > 5");
  EXPECT_EQ(Expanded(macros, u"SELECT * FROM t &cond"), u"SELECT * FROM t WHERE id > 5");
  macros.Items(0)->SetActive(false);
  EXPECT_EQ(Expanded(macros, u"SELECT * FROM t &cond"), u"SELECT * FROM t ");
  // A reference to a name the collection does not hold becomes nothing.
  EXPECT_EQ(Expanded(macros, u"SELECT &other, 1"), u"SELECT , 1");
}

TEST(Macros, ValuesWithQuotesAndMacroCharactersAreCopiedAsTheyAre) {
  TMacros macros(nullptr);
  const String sql = u"SELECT '&kept', \"&x\" FROM t /* &c */ &where &order";
  macros.Scan(sql);
  ASSERT_EQ(macros.Count(), 2);  // no reference inside the string, nor inside the comment
  EXPECT_EQ(macros.Items(0)->Name(), u"where");
  EXPECT_EQ(macros.Items(1)->Name(), u"order");
  macros.MacroByName(u"where")->SetValue(u"WHERE name = 'O''Brien & Sons' AND tag = \"a&b\"");
  macros.MacroByName(u"order")->SetValue(u"ORDER BY &where");
  // The value is inserted as text: its own "&" is not expanded again.
  EXPECT_EQ(Expanded(macros, sql),
            u"SELECT '&kept', \"&x\" FROM t /* &c */ WHERE name = 'O''Brien & Sons' AND tag = "
            u"\"a&b\" ORDER BY &where");
}

TEST(Macros, WhatIsNoReference) {
  TMacros macros(nullptr);
  struct {
    const char16_t* sql;
    int count;
  } cases[] = {
      {u"SELECT a & 1 FROM t", 0},    // a blank after the macro character
      {u"SELECT &1 FROM t", 0},       // numbers are no names in these dialects
      {u"SELECT &&x FROM t", 0},      // the second character goes with the first as text
      {u"SELECT &Name, &NAME, &name FROM t", 1},  // names compare without case
      {u"SELECT &select FROM &from", 2},          // keywords may be names
  };
  for (const auto& c : cases) {
    macros.Scan(c.sql);
    EXPECT_EQ(macros.Count(), c.count) << UTF8Encode(c.sql);
  }
  macros.Scan(u"SELECT &&x, &1 FROM t");
  EXPECT_EQ(Expanded(macros, u"SELECT &&x, &1 FROM t"), u"SELECT &&x, &1 FROM t");
}

TEST(Macros, ScanKeepsValuesWhenReferencesMoveAndEmptiesWithoutMacroCharacter) {
  TMacroOwnerStub owner;
  TMacros& macros = owner.Macros;
  macros.Scan(u"SELECT &a FROM &b");
  EXPECT_EQ(owner.Changes, 1);
  macros.MacroByName(u"a")->SetValue(u"x");
  macros.MacroByName(u"b")->SetValue(u"t");
  macros.MacroByName(u"b")->SetActive(false);
  owner.Changes = 0;

  macros.Scan(u"SELECT &a FROM &b WHERE 1 = 1");  // the same macros: nothing changes
  EXPECT_EQ(owner.Changes, 0);

  macros.Scan(u"SELECT &b FROM &a");
  EXPECT_EQ(owner.Changes, 1);  // one notice for the whole new list
  ASSERT_EQ(macros.Count(), 2);
  EXPECT_EQ(macros.Items(0)->Name(), u"b");
  EXPECT_EQ(macros.Items(0)->Value(), u"t");
  EXPECT_FALSE(macros.Items(0)->Active());
  EXPECT_EQ(macros.Items(1)->Name(), u"a");
  EXPECT_EQ(macros.Items(1)->Value(), u"x");

  macros.Scan(u"SELECT * FROM t");
  EXPECT_EQ(macros.Count(), 0);
  EXPECT_EQ(owner.Changes, 2);
  macros.Scan(u"SELECT 1");  // already empty: no notice
  EXPECT_EQ(owner.Changes, 2);
}

TEST(Macros, OwnerHearsOfChangesThatMatter) {
  TMacroOwnerStub owner;
  owner.SQL = u"SELECT * FROM t &cond &Other";
  owner.Macros.Scan(owner.SQL);
  owner.Macros.Add()->SetName(u"unused");
  owner.Changes = 0;
  TMacro* cond = owner.Macros.MacroByName(u"cond");
  TMacro* other = owner.Macros.MacroByName(u"other");
  TMacro* unused = owner.Macros.MacroByName(u"unused");

  cond->SetValue(u"WHERE a = 1");
  cond->SetValue(u"WHERE a = 1");  // the same value: no notice
  EXPECT_EQ(owner.Changes, 1);

  owner.Active = true;  // an open dataset: only macros its SQL refers to, case-sensitively
  unused->SetValue(u"x");
  EXPECT_EQ(owner.Changes, 1);
  other->SetActive(false);
  EXPECT_EQ(owner.Changes, 2);
  owner.SQL = u"SELECT * FROM t &cond &other";
  other->SetActive(true);
  EXPECT_EQ(owner.Changes, 2);

  owner.IsCommand = true;  // a command hears of everything
  unused->SetValue(u"y");
  EXPECT_EQ(owner.Changes, 3);
}

TEST(Macros, MacroByNameNamesTheOwner) {
  TMacroOwnerStub owner;
  owner.Macros.Scan(u"SELECT &a");
  EXPECT_EQ(owner.Macros.FindMacro(u"b"), nullptr);
  try {
    owner.Macros.MacroByName(u"b");
    FAIL() << "no error";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), u"PaymentQuery: Macro b not found");
  }
}

TEST(Macros, AssignAndIsEqual) {
  TMacros a(nullptr), b(nullptr);
  a.Scan(u"SELECT &x, &y");
  a.Items(0)->SetValue(u"1");
  EXPECT_FALSE(a.IsEqual(&b));
  b.Assign(&a);
  EXPECT_TRUE(a.IsEqual(&b));
  EXPECT_TRUE(b.IsEqual(&a));
  b.Items(1)->SetActive(false);
  EXPECT_FALSE(a.IsEqual(&b));
  EXPECT_TRUE(a.IsEqual(&a));
}

TEST(Macros, DataPropertyRoundTripsLongValuesWhole) {
  const String sql = u"SELECT &head FROM t &cond &tail";
  TMacros written(nullptr);
  written.Scan(sql);
  written.MacroByName(u"head")->SetValue(u"a, b");
  // Longer than a thousand bytes, and not a multiple of anything, between two short values.
  String longValue = u"WHERE note IN (";
  for (int i = 0; i < 300; ++i) longValue += u"'заметка', ";
  longValue += u"'конец')";
  written.MacroByName(u"cond")->SetValue(longValue);
  written.MacroByName(u"tail")->SetValue(u"LIMIT 5");
  written.MacroByName(u"tail")->SetActive(false);

  TMemoryStream stream;
  written.WriteData(stream);
  stream.SetPosition(0);
  TMacros read(nullptr);
  read.Scan(sql);
  read.ReadData(stream);
  EXPECT_TRUE(read.IsEqual(&written));
  EXPECT_EQ(read.Items(1)->Value(), longValue);
  EXPECT_EQ(read.Items(2)->Value(), u"LIMIT 5");
  EXPECT_FALSE(read.Items(2)->Active());
  EXPECT_EQ(stream.Position(), stream.Size());
}

TEST(Macros, DataPropertyErrors) {
  TMacros written(nullptr);
  written.Scan(u"SELECT &gone");
  TMemoryStream stream;
  written.WriteData(stream);

  TMacros other(nullptr);
  other.Scan(u"SELECT &kept");
  stream.SetPosition(0);
  EXPECT_THROW(other.ReadData(stream), EDatabaseError);

  // A stream cut inside an entry is an error, not a half-read value.
  TMemoryStream cut;
  cut.WriteBuffer(stream.Memory(), static_cast<int32_t>(stream.Size() - 1));
  cut.SetPosition(0);
  TMacros same(nullptr);
  same.Scan(u"SELECT &gone");
  EXPECT_THROW(same.ReadData(cut), EReadError);

  // A value too long for its length field is refused before anything is written.
  written.Items(0)->SetValue(String(70000, u'x'));
  TMemoryStream refused;
  EXPECT_THROW(written.WriteData(refused), EWriteError);
  EXPECT_EQ(refused.Size(), 0);
}

}  // namespace
