#include "Common/LxAccess_Command.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/rtl/UnicodeText.h"

namespace {

// A command of the neutral SQL dialect, with a cursor state and nothing to execute.
class TSqlCommand : public TLxCommand {
 public:
  TParserClass GetParserClass() const override { return &NewParser<TSQLParser>; }
  bool GetPrepared() const override { return FState >= csPrepared; }
  void Execute(int) override {}
  TCursorState GetCursorState() const override { return FState; }
  void SetCursorState(TCursorState value) override { FState = value; }
  String CreateProcCall(const String& name, bool) override { return u"CALL " + name; }

 private:
  TCursorState FState = csInactive;
};

std::vector<String> Names(const TLxCommand& cmd) {
  std::vector<String> names;
  for (int i = 0; i < cmd.GetParamCount(); ++i) names.push_back(cmd.GetParam(i)->GetName());
  return names;
}

struct ScanCase {
  const char* name;
  const char* sql;
  const char* native;
  std::vector<String> params;
};

TEST(CommandParameterScan, Table) {
  const ScanCase cases[] = {
      {"two references", "a = :a AND b = :b", "a = ? AND b = ?", {u"a", u"b"}},
      {"colon in a string literal", "t = '12:30' AND x = :x", "t = '12:30' AND x = ?", {u"x"}},
      {"doubled quote inside a literal", "s = 'it''s :no' OR :y", "s = 'it''s :no' OR ?", {u"y"}},
      {"colon in a block comment", "x = 1 /* :c */ + :d", "x = 1 /* :c */ + ?", {u"d"}},
      {"colon in a line comment", "-- see :c\nWHERE a = :d", "-- see :c\nWHERE a = ?", {u"d"}},
      {"colon in a quoted identifier", "\"col:x\" = :v", "\"col:x\" = ?", {u"v"}},
      {"double colon stays", "a::int + :p", "a::int + ?", {u"p"}},
      {"assignment stays", "SET @a:=1, @b := :v", "SET @a:=1, @b := ?", {u"v"}},
      {"colon before a blank stays", "CASE WHEN a : b", "CASE WHEN a : b", {}},
      {"colon at the end stays", "x = :", "x = :", {}},
      {"at-sign names", "CALL p(:@x)", "CALL p(?)", {u"@x"}},
      {"quoted name loses its quotes", "x = :\"my name\"", "x = ?", {u"my name"}},
      {"number as name", "x = :1", "x = ?", {u"1"}},
      {"keyword as name keeps its case", "x = :order AND y = :Select", "x = ? AND y = ?",
       {u"order", u"Select"}},
      {"duplicates give two descriptors", ":a, :A, :a", "?, ?, ?", {u"a", u"A", u"a"}},
      {"cyrillic name", "ime = :име", "ime = ?", {u"име"}},
      {"adjacent text", "(:a)||(:b)", "(?)||(?)", {u"a", u"b"}},
      {"no colon at all", "SELECT 'x' FROM t", "SELECT 'x' FROM t", {}},
  };
  for (const auto& c : cases) {
    TSqlCommand cmd;
    cmd.SetSQL(UTF8ToString(c.sql));
    EXPECT_EQ(UTF8Encode(cmd.NativeSQL()), c.native) << c.name;
    EXPECT_EQ(Names(cmd), c.params) << c.name;
    EXPECT_EQ(UTF8Encode(cmd.SQL()), c.sql) << c.name;
  }
}

TEST(CommandParameterScan, RenameFormForBatches) {
  TSqlCommand cmd;
  struct {
    const char* sql;
    const char* renamed;
  } cases[] = {
      {"a = :name", "a = :P_1_name"},
      {"a = :@name", "a = :P_1_@name"},
      {"a = :\"q n\"", "a = :P_1_q n"},
      {"a::int = ':x' AND b := 1", "a::int = ':x' AND b := 1"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(UTF8Encode(cmd.ParseSQL(UTF8ToString(c.sql), nullptr, u":P_1_")), c.renamed)
        << c.sql;
  // Neither list nor prefix: the text comes back as it was.
  EXPECT_EQ(cmd.ParseSQL(u"a = :x AND b = :\"y\"", nullptr), u"a = :x AND b = :\"y\"");
}

TEST(CommandParameterScan, SameTextKeepsTheList) {
  TSqlCommand cmd;
  cmd.SetSQL(u"x = :a");
  cmd.GetParam(0)->SetValue(int32_t(5));
  cmd.SetSQL(u"x = :a");
  ASSERT_EQ(cmd.GetParamCount(), 1);
  EXPECT_EQ(cmd.GetParam(0)->GetValue().AsInteger(), 5);
  cmd.SetSQL(u"x = :b");
  ASSERT_EQ(cmd.GetParamCount(), 1);
  EXPECT_EQ(cmd.GetParam(0)->GetName(), u"b");
  EXPECT_TRUE(cmd.GetParam(0)->GetValue().IsEmpty());
}

TEST(CommandParameterScan, DisabledScanStoresTheTextAsItIs) {
  TSqlCommand cmd;
  cmd.SetSQL(u"x = :a");
  cmd.SetProp(pcDisableParamScan, true);
  cmd.SetSQL(u"y = :b AND z = :c");
  EXPECT_EQ(cmd.NativeSQL(), u"y = :b AND z = :c");
  EXPECT_EQ(Names(cmd), std::vector<String>{u"a"});
}

TEST(CommandParameterScan, SwitchingParamCheckOnReparses) {
  TSqlCommand cmd;
  cmd.SetProp(pcParamCheck, false);
  cmd.SetSQL(u"CREATE TRIGGER t BEFORE INSERT ON x FOR EACH ROW SET :new.a = 1");
  EXPECT_EQ(cmd.GetParamCount(), 0);
  EXPECT_EQ(cmd.NativeSQL(), cmd.SQL());

  cmd.SetProp(pcParamCheck, true);
  EXPECT_EQ(Names(cmd), std::vector<String>{u"new"});
  EXPECT_EQ(cmd.NativeSQL(), u"CREATE TRIGGER t BEFORE INSERT ON x FOR EACH ROW SET ?.a = 1");

  cmd.GetParam(0)->SetValue(u"kept");
  cmd.SetProp(pcParamCheck, true);  // unchanged: no re-parse
  EXPECT_EQ(cmd.GetParam(0)->GetValue().AsString(), u"kept");
}

TEST(CommandParameters, FindDeleteAndAdd) {
  TSqlCommand cmd;
  cmd.SetSQL(u"a = :ID AND b = :Име AND c = :ID");
  EXPECT_EQ(cmd.FindParam(u"id"), cmd.GetParam(0));
  EXPECT_EQ(cmd.FindParam(u"ИМЕ"), cmd.GetParam(1));
  EXPECT_EQ(cmd.FindParam(u"none"), nullptr);
  cmd.DeleteParam(0);
  EXPECT_EQ(cmd.FindParam(u"id"), cmd.GetParam(1));
  EXPECT_THROW(cmd.DeleteParam(5), Exception);
  TParamDesc* added = cmd.AddParam();
  EXPECT_EQ(cmd.GetParam(cmd.GetParamCount() - 1), added);
  EXPECT_TRUE(added->GetIsBound());
  EXPECT_EQ(added->GetDataType(), 0);
}

TEST(CommandParameters, ValuesNullsAndObjects) {
  TParamDesc p;
  EXPECT_FALSE(p.GetNull());
  EXPECT_TRUE(p.SetValue(Variant::Null()));
  EXPECT_TRUE(p.SetValue(Variant()));
  EXPECT_FALSE(p.SetValue(int32_t(7)));
  EXPECT_FALSE(p.GetNull());
  EXPECT_THROW(p.GetObject(), EAssertionFailed);  // an integer is no object
  p.SetNull(true);
  EXPECT_TRUE(p.GetNull());
  EXPECT_TRUE(p.GetValue().IsEmpty());

  int blob = 0;
  p.SetObject(&blob);
  EXPECT_EQ(p.GetValue().VarType(), varObject);
  EXPECT_EQ(p.GetObject(), &blob);
  p.SetNull(true);  // the object reference survives the flag
  EXPECT_EQ(p.GetObject(), &blob);
  EXPECT_TRUE(p.GetNull());
  p.SetValue(Variant::Null());
  EXPECT_EQ(p.GetObject(), nullptr);
}

TEST(Command, NumberedPropertiesAndCursor) {
  TSqlCommand cmd;
  Variant v;
  EXPECT_TRUE(cmd.GetProp(pcCanReadParams, v));
  EXPECT_TRUE(v.AsBoolean());
  EXPECT_TRUE(cmd.GetProp(pcIsSelectParams, v));
  EXPECT_FALSE(v.AsBoolean());
  EXPECT_TRUE(cmd.GetProp(pcDescribeParams, v));
  EXPECT_FALSE(v.AsBoolean());
  EXPECT_TRUE(cmd.GetProp(pcExecuting, v));
  EXPECT_FALSE(v.AsBoolean());

  EXPECT_TRUE(cmd.SetProp(pcAutoCommit, true));
  EXPECT_TRUE(cmd.SetProp(pcCompressBlobMode, int32_t(cbClientServer)));
  EXPECT_TRUE(cmd.SetProp(pcQuoteNames, true));
  EXPECT_TRUE(cmd.SetProp(pcEnableBCD, true));
  EXPECT_TRUE(cmd.SetProp(pcEnableFMTBCD, true));
  EXPECT_TRUE(cmd.SetProp(pcCanReadParams, false));
  EXPECT_TRUE(cmd.SetProp(pcStoredProc, true));
  EXPECT_TRUE(cmd.AutoCommit());
  EXPECT_EQ(cmd.CompressBlob(), cbClientServer);
  EXPECT_TRUE(cmd.QuoteNames());
  EXPECT_TRUE(cmd.EnableBCD() && cmd.EnableFMTBCD());
  EXPECT_THROW(cmd.SetProp(pcDatabase, u"x"), EAssertionFailed);
  EXPECT_THROW(cmd.GetProp(pcAutoCommit, v), EAssertionFailed);

  cmd.Prepare();
  EXPECT_EQ(cmd.GetCursorState(), csPrepared);
  cmd.Unprepare();
  EXPECT_EQ(cmd.GetCursorState(), csInactive);
  EXPECT_EQ(cmd.GetCursor(), nullptr);
  try {
    cmd.SetCursor(nullptr);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Operation is not supported by the database");
  }
}

TEST(Command, ABaseWithoutLexerFailsItsAssertion) {
  struct TNoLexer : TSqlCommand {
    TParserClass GetParserClass() const override { return TLxCommand::GetParserClass(); }
  } cmd;
  EXPECT_THROW(cmd.SetSQL(u"x = :a"), EAssertionFailed);
}

TEST(Command, OwnSqlInformationWithoutConnection) {
  TSqlCommand cmd;
  TSQLInfo* info = cmd.GetSQLInfo();
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(cmd.GetSQLInfo(), info);
  EXPECT_EQ(info->ParserClass(), cmd.GetParserClass());
}

}  // namespace
