// A kept statement serves a later record only when building anew would give the same text and
// parameters: each case builds and keeps a statement, changes one input, and compares the
// generator's verdict with a fresh build.
#include <gtest/gtest.h>

#include <functional>

#include "Common/DBAccess_SQLGenerator.h"
#include "tests/Common/DBAccess_SQLGenerator_TestHost.h"

namespace {

// A keyed table: c changed and d left null in the record the statement is kept for.
struct ShapeHost : TRecordHost {
  ShapeHost() : TRecordHost(u"item", u"") {
    Key = AddField(u"id", true);
    Fields.DataFieldDescs.clear();
    C = AddField(u"c");
    D = AddField(u"d");
    AddField(u"memo", false, 14);
    Values[C].Changed = true;
    Values[D].NewNull = true;
  }
  TLxFieldDesc* Key;
  TLxFieldDesc* C;
  TLxFieldDesc* D;
};

struct TStatement {
  String Text;
  String Names;
  bool operator==(const TStatement&) const = default;
};

TStatement Build(TDASQLGenerator& gen, TStatementType type, bool modifiedOnly) {
  TDAParams params;
  TStatement statement;
  gen.BuildUpdatingTableStatement(type, modifiedOnly, statement.Text, -1, &params);
  for (int i = 0; i < params.Count(); ++i) statement.Names += params.Items(i)->Name() + u";";
  return statement;
}

struct ShapeCase {
  const char* Name;
  TStatementType Kept;
  std::function<void(ShapeHost&)> Change;
  TStatementType Asked;
  bool SameStatement;
  bool KeptModifiedOnly = true;
  bool AskedModifiedOnly = true;
};

const ShapeCase kCases[] = {
    {"InsertOfTheSameFields", stInsert, [](ShapeHost&) {}, stInsert, true},
    {"UpdateOfTheSameFields", stUpdate, [](ShapeHost&) {}, stUpdate, true},
    {"DeleteOfTheSameKey", stDelete, [](ShapeHost&) {}, stDelete, true},
    {"InsertWithAValueThatWasNull", stInsert, [](ShapeHost& h) { h.Values[h.D].NewNull = false; },
     stInsert, false},
    {"InsertOfAllFieldsWhateverIsNull", stInsert,
     [](ShapeHost& h) { h.Values[h.D].NewNull = false; }, stInsert, true, false, false},
    {"UpdateOfAnotherChangedField", stUpdate, [](ShapeHost& h) { h.Values[h.D].Changed = true; },
     stUpdate, false},
    {"UpdateOfNoChangedField", stUpdate, [](ShapeHost& h) { h.Values[h.C].Changed = false; },
     stUpdate, false},
    {"DeleteOfAKeyThatWasNull", stDelete, [](ShapeHost& h) { h.Values[h.Key].OldNull = true; },
     stDelete, false},
    {"UpdateWithQuotedNames", stUpdate, [](ShapeHost& h) { h.QuoteNamesOption = true; },
     stUpdate, false},
    {"InsertIntoARenamedTable", stInsert, [](ShapeHost& h) { h.Table->SetTableName(u"item2"); },
     stInsert, false},
    {"DeleteByOtherKeyFields", stDelete, [](ShapeHost& h) { h.Fields.KeyFieldDescs = {h.C}; },
     stDelete, false},
    {"UpdateOfARenamedField", stUpdate, [](ShapeHost& h) { h.C->SetName(u"c2"); }, stUpdate,
     false},
    {"InsertWithAnotherFieldInTheSamePlace", stInsert,
     [](ShapeHost& h) {
       TLxFieldDesc* e = h.AddField(u"e");
       h.Fields.DataFieldDescs.pop_back();
       h.Fields.DataFieldDescs[1] = e;
       h.Values[e].NewNull = false;
     },
     stInsert, false},
    {"UpdateOfAllFieldsAfterChangedOnes", stUpdate, [](ShapeHost&) {}, stUpdate, false, true,
     false},
    {"AnotherKindOfStatement", stInsert, [](ShapeHost&) {}, stUpdate, false},
};

class SQLGeneratorShape : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(SQLGeneratorShape, AKeptStatementServesOnlyWhereAFreshOneWouldBeTheSame) {
  const ShapeCase& c = GetParam();
  ShapeHost host;
  TDASQLGenerator gen(&host);
  TStatement kept = Build(gen, c.Kept, c.KeptModifiedOnly);
  TStatementShape shape;
  ASSERT_TRUE(gen.KeepLastShape(shape));
  c.Change(host);
  bool matches = gen.MatchesShape(shape, c.Asked, c.AskedModifiedOnly);
  TStatement fresh = Build(gen, c.Asked, c.AskedModifiedOnly);
  EXPECT_EQ(fresh == kept, c.SameStatement) << "the case's own premise";
  EXPECT_EQ(matches, c.SameStatement);
  // The check can be asked again: it leaves the kept shape as it was.
  EXPECT_EQ(gen.MatchesShape(shape, c.Asked, c.AskedModifiedOnly), matches);
}

INSTANTIATE_TEST_SUITE_P(Cases, SQLGeneratorShape, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<ShapeCase>& info) {
                           return std::string(info.param.Name);
                         });

TEST(SQLGeneratorShape, OnlyPlainInsertUpdateAndDeleteAreKept) {
  ShapeHost host;
  TDASQLGenerator gen(&host);
  TStatementShape shape;
  TDAParams params;
  String text;
  gen.BuildUpdatingTableStatement(stRefresh, true, text, -1, &params);
  EXPECT_FALSE(gen.KeepLastShape(shape)) << "a re-read";
  gen.BuildUpdatingTableStatement(stInsert, true, text, 2, &params);
  EXPECT_FALSE(gen.KeepLastShape(shape)) << "a batched statement";
  gen.BuildUpdatingTableStatement(stInsert, true, text, -1, nullptr);
  EXPECT_FALSE(gen.KeepLastShape(shape)) << "a statement without parameters of its own";
  EXPECT_FALSE(gen.MatchesShape(shape, stInsert, true)) << "an empty shape matches nothing";
  host.NoTable = true;
  gen.BuildUpdatingTableStatement(stInsert, true, text, -1, &params);
  EXPECT_FALSE(gen.KeepLastShape(shape)) << "no updating table";
}

}  // namespace
