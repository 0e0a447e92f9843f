// The parameter scan of a command in the MySQL dialect: back-quoted names, both string quotes with
// backslash escapes, and MySQL's comments.
#include <gtest/gtest.h>

#include <vector>

#include "Common/LxAccess_Command.h"
#include "MySql/MyClasses_Connection.h"
#include "MySql/MyParser.h"
#include "platform/rtl/UnicodeText.h"

namespace {

class TMyDialectCommand : public TLxCommand {
 public:
  TParserClass GetParserClass() const override { return &NewParser<TMyParser>; }
  bool GetPrepared() const override { return false; }
  void Execute(int) override {}
  TCursorState GetCursorState() const override { return csInactive; }
  void SetCursorState(TCursorState) override {}
  String CreateProcCall(const String&, bool) override { return String(); }
};

TEST(MySQLParameterScan, DialectTable) {
  TMySQLConnection conn;  // its SQL information gives the back-quotes
  struct {
    const char* sql;
    const char* native;
    std::vector<String> params;
  } cases[] = {
      {"x = :`my name`", "x = ?", {u"my name"}},
      {"s = 'it\\'s :no' AND t = \":nor\" AND u = :yes", "s = 'it\\'s :no' AND t = \":nor\" AND u = ?",
       {u"yes"}},
      {"# :hash comment\nSELECT :a", "# :hash comment\nSELECT ?", {u"a"}},
      {"SELECT 1 -- :dash\n, :b", "SELECT 1 -- :dash\n, ?", {u"b"}},
      {"SELECT `col:x`, @v:=:w", "SELECT `col:x`, @v:=?", {u"w"}},
  };
  for (const auto& c : cases) {
    TMyDialectCommand cmd;
    cmd.SetConnection(&conn);
    cmd.SetSQL(UTF8ToString(c.sql));
    EXPECT_EQ(UTF8Encode(cmd.NativeSQL()), c.native) << c.sql;
    std::vector<String> names;
    for (int i = 0; i < cmd.GetParamCount(); ++i) names.push_back(cmd.GetParam(i)->GetName());
    EXPECT_EQ(names, c.params) << c.sql;
  }
}

}  // namespace
