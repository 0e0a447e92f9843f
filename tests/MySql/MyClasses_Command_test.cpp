// The MySQL command without a server: routine headers parsed into parameter infos and
// descriptors, the CAST items that read OUT values back, which parameter fills which marker in a
// routine call, the text with the literals written in, and Execute refusing to run over a
// pending result.
#include <gtest/gtest.h>

#include "Common/CLRClasses.h"
#include "MySql/MyClasses.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/UnicodeText.h"

namespace {

class MySQLCommandOffline : public ::testing::Test {
 protected:
  void SetUp() override { cmd.SetConnection(&conn); }

  TParamDesc* Add(const String& name, uint8_t type, TDataTypeCode dataType, const Variant& v) {
    TParamDesc* p = cmd.AddParam();
    p->SetName(name);
    p->SetParamType(type);
    p->SetDataType(dataType);
    p->SetValue(v);
    return p;
  }
  std::string Substituted() {
    AnsiStringBuilder b(16);
    cmd.SubstituteParams(b);
    return b.ToString();
  }

  TMySQLConnection conn;  // not connected: no character set, backslash escapes on
  TMySQLCommand cmd;
};

TEST_F(MySQLCommandOffline, RoutineHeaderGivesInfosAndDescriptors) {
  TParamInfos infos;
  TParamDescs list;
  cmd.ParseParamInfos(
      u"IN a TINYINT(4), INOUT b VARCHAR(20) CHARSET utf8, OUT c DECIMAL(10, 2) UNSIGNED, "
      u"d /* comment */ INT UNSIGNED, OUT `set` SET('x','y'), e TINYINT",
      false, &list, infos);
  ASSERT_EQ(infos.size(), 6u);
  ASSERT_EQ(list.Count(), 6);
  struct Expect {
    const char16_t* name;
    uint8_t paramType;
    const char16_t* typeName;
    bool isUnsigned;
    int32_t size;
    TDataTypeCode dataType;
  } expected[] = {
      {u"a", 1, u"TINYINT", false, 4, dtBoolean},
      {u"b", 3, u"VARCHAR", false, 20, dtString},
      {u"c", 2, u"DECIMAL(10,2)", true, 2, dtFloat},
      {u"d", 1, u"INT", true, -1, dtInteger},
      {u"set", 2, u"SET", false, -1, dtString},
      {u"e", 1, u"TINYINT", false, -1, dtInt8},
  };
  for (size_t i = 0; i < infos.size(); ++i) {
    SCOPED_TRACE(i);
    const Expect& e = expected[i];
    EXPECT_EQ(infos[i].Name, e.name);
    EXPECT_EQ(infos[i].ParamType, e.paramType);
    EXPECT_EQ(infos[i].TypeName, e.typeName);
    EXPECT_EQ(infos[i].IsUnsigned, e.isUnsigned);
    EXPECT_EQ(infos[i].Size, e.size);
    EXPECT_EQ(list.GetItem(static_cast<int>(i))->GetDataType(), e.dataType);
    EXPECT_EQ(list.GetItem(static_cast<int>(i))->GetParamType(), e.paramType);
  }
  EXPECT_EQ(list.GetItem(1)->GetSize(), 20);

  TParamInfos result;
  cmd.ParseParamInfos(u"bigint(20) unsigned", true, nullptr, result);
  ASSERT_EQ(result.size(), 1u);
  EXPECT_EQ(result[0].ParamType, 4);
  EXPECT_EQ(result[0].Name, u"Result");
  EXPECT_TRUE(result[0].IsUnsigned);

  TParamInfos none;
  cmd.ParseParamInfos(u"", false, nullptr, none);
  EXPECT_TRUE(none.empty());
}

TEST_F(MySQLCommandOffline, UnknownTypeAndMalformedHeaderAreRefused) {
  TParamInfos infos;
  try {
    cmd.ParseParamInfos(u"IN a WIDGET", false, nullptr, infos);
    ADD_FAILURE();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Unknown column type \"WIDGET\" in \"IN a WIDGET\"");
  }
  EXPECT_THROW(cmd.ParseParamInfos(u"IN 5 INT", false, nullptr, infos), Exception);
}

// A length in a routine header is server text: one that does not fit the size is refused with the
// engine's error, never cut down to another size nor let through as a foreign exception.
TEST_F(MySQLCommandOffline, HeaderLengthsOutsideTheSizeAreRefused) {
  const char16_t* refused[] = {
      u"IN a VARCHAR(2147483648)",             // one past the largest size
      u"IN a VARCHAR(4294967316)",             // 2^32 + 20 would become 20
      u"IN a VARCHAR(9223372036854775807)",    // the largest 64-bit value would become -1
      u"IN a VARCHAR(123456789012345678901)",  // more digits than any integer holds
      u"IN a DECIMAL(99999999999999999999, 2)",
  };
  for (const char16_t* header : refused) {
    SCOPED_TRACE(UTF8Encode(header));
    TParamInfos infos;
    TParamDescs list;
    try {
      cmd.ParseParamInfos(header, false, &list, infos);
      ADD_FAILURE() << "accepted";
    } catch (const Exception&) {
    } catch (...) {
      ADD_FAILURE() << "an exception outside the engine's errors";
    }
  }
  TParamInfos infos;
  TParamDescs list;
  cmd.ParseParamInfos(u"IN a VARCHAR(2147483647), b CHAR(0)", false, &list, infos);
  ASSERT_EQ(infos.size(), 2u);
  EXPECT_EQ(infos[0].Size, 2147483647);
  EXPECT_EQ(list.GetItem(0)->GetSize(), 2147483647);
  EXPECT_EQ(infos[1].Size, 0);
}

TEST_F(MySQLCommandOffline, ProcedureHeaderSplitsIntoParametersAndReturnType) {
  struct Case {
    const char16_t* create;
    const char16_t* params;
    const char16_t* returns;
  } cases[] = {
      {u"CREATE DEFINER=`root`@`%` PROCEDURE `p`(IN a INT, OUT b DECIMAL(10,2))\nBEGIN SELECT 1; END",
       u"IN a INT, OUT b DECIMAL(10,2)", u""},
      {u"CREATE FUNCTION `f`(x INT) RETURNS decimal(8,3)\n RETURN x", u"x INT", u"decimal(8,3)"},
      {u"CREATE FUNCTION f() RETURNS INT RETURN 1", u"", u"INT"},
      {u"CREATE PROCEDURE p() SELECT '(' ", u"", u""},
      {u"CREATE PROCEDURE p(a VARCHAR(5) /* ) */", u"", u""},  // unbalanced
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(UTF8Encode(c.create));
    TMyParamBlockResult r;
    TMySQLCommand::SplitProcHeader(c.create, r);
    EXPECT_EQ(r.Params, c.params);
    EXPECT_EQ(r.ReturnType, c.returns);
  }
}

TEST_F(MySQLCommandOffline, OutValuesAreReadBackWithTheirCasts) {
  auto info = [](const char16_t* type, bool isUnsigned) {
    TParamInfo i;
    i.TypeName = type;
    i.IsUnsigned = isUnsigned;
    return i;
  };
  EXPECT_EQ(TMySQLCommand::CastOutParam(u"@b", u"@b", info(u"INT", true)),
            u"CAST(@b AS UNSIGNED) AS '@b'");
  EXPECT_EQ(TMySQLCommand::CastOutParam(u"@b", u"@b", info(u"BIGINT", false)),
            u"CAST(@b AS SIGNED) AS '@b'");
  EXPECT_EQ(TMySQLCommand::CastOutParam(u"@d", u"@d", info(u"DECIMAL(10,2)", false)),
            u"CAST(@d AS DECIMAL(10,2)) AS '@d'");
  EXPECT_EQ(TMySQLCommand::CastOutParam(u"@it's", u"@`it's`", info(u"BLOB", false)),
            u"CAST(@`it's` AS BINARY) AS '@it''s'");
  EXPECT_EQ(TMySQLCommand::CastOutParam(u"@v", u"@v", info(u"VARCHAR", false)), u"@v AS '@v'");
  EXPECT_EQ(TMySQLCommand::CastOutParam(u"@y", u"@y", info(u"YEAR", false)),
            u"CAST(@y AS UNSIGNED) AS '@y'");
}

TEST_F(MySQLCommandOffline, RoutineMarkersTakeInOutValuesFirst) {
  // SET @b = ?; CALL p(?, @b, @c, ?)
  cmd.SetProp(pcStoredProc, true);
  TParamDesc* a = Add(u"a", 1, dtInteger, Variant(int32_t(1)));
  TParamDesc* b = Add(u"b", 3, dtInteger, Variant(int32_t(2)));
  Add(u"c", 2, dtInteger, Variant::Null());
  TParamDesc* d = Add(u"d", 1, dtInteger, Variant(int32_t(4)));
  EXPECT_EQ(cmd.GetParamForMarker(0), b);
  EXPECT_EQ(cmd.GetParamForMarker(1), a);
  EXPECT_EQ(cmd.GetParamForMarker(2), d);
  EXPECT_EQ(cmd.GetParamForMarker(3), nullptr);
  cmd.SetProp(pcStoredProc, false);
  EXPECT_EQ(cmd.GetParamForMarker(0), a);
}

TEST_F(MySQLCommandOffline, LiteralsReplaceMarkersButNotQuestionMarksInStrings) {
  cmd.SetSQL(u"SELECT '?', :a, `x?`, :b /* ? */, \"?\"");
  EXPECT_EQ(cmd.NativeSQL(), u"SELECT '?', ?, `x?`, ? /* ? */, \"?\"");
  ASSERT_EQ(cmd.GetParamCount(), 2);
  cmd.GetParam(0)->SetDataType(dtString);
  cmd.GetParam(0)->SetValue(Variant(AnsiString("it's")));
  cmd.GetParam(1)->SetDataType(dtInteger);
  cmd.GetParam(1)->SetNull(true);
  EXPECT_EQ(Substituted(), "SELECT '?', 'it\\'s', `x?`, NULL /* ? */, \"?\"");

  // The same through the recorded marker positions, with text as UTF-8.
  conn.SetProp(pcUseUnicode, true);
  cmd.SetProp(pcFillParamPositions, true);
  cmd.SetSQL(u"UPDATE t SET a = :a WHERE b = :b AND c = '?'");
  EXPECT_EQ(cmd.ParamPositions(), (TParamPositions{18, 30}));
  cmd.GetParam(0)->SetDataType(dtFloat);
  cmd.GetParam(0)->SetValue(Variant(2.5));
  cmd.GetParam(1)->SetDataType(dtWideString);
  cmd.GetParam(1)->SetValue(Variant(String(u"Ж")));
  EXPECT_EQ(Substituted(), "UPDATE t SET a = 2.5 WHERE b = 'Ж' AND c = '?'");

  // Without parameters the text is taken as it is, question marks and colons included.
  cmd.SetProp(pcFillParamPositions, false);
  cmd.SetSQL(u"SELECT '?'");
  EXPECT_EQ(cmd.GetParamCount(), 0);
  EXPECT_EQ(cmd.NativeSQL(), u"SELECT '?'");
}

TEST_F(MySQLCommandOffline, ExecuteOverAPendingResultIsRefused) {
  for (TCursorState state : {csExecuted, csFetching, csFetchingAll, csFetched, csExecuting}) {
    cmd.SetCursorState(state);
    try {
      cmd.Execute();
      ADD_FAILURE() << int(state);
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), u"The command cannot run while its result is pending or being fetched");
    }
    EXPECT_EQ(cmd.GetCursorState(), state);
  }
}

TEST_F(MySQLCommandOffline, PropertiesAndRowsAffected) {
  Variant v;
  cmd.GetProp(pcRowsAffected, v);
  EXPECT_EQ(v.AsInteger(), 0);  // -1 until something ran
  cmd.SetProp(pcCommandTimeout, 30);
  EXPECT_EQ(cmd.CommandTimeout(), 30);
  cmd.SetProp(pcCanReadParams, true);
  cmd.GetProp(pcCanReadParams, v);
  EXPECT_TRUE(v.AsBoolean());
  cmd.BreakExec();  // not executing: nothing happens, no connection is made
  EXPECT_FALSE(cmd.Executing());
}

}  // namespace
