// The metadata provider's own part, without a server: the kinds and their order, the restriction
// names, the layouts of the result table, and the helpers that build WHERE texts and rows.
#include "Common/LxAccess_MetaData.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/Common/StoreRows.h"

namespace {

// A command that never runs: the provider below only asks it for its dialect.
class TIdleCommand : public TLxCommand {
 public:
  TParserClass GetParserClass() const override { return &NewParser<TSQLParser>; }
  bool GetPrepared() const override { return false; }
  void Execute(int) override { throw Exception(u"no server here"); }
  TCursorState GetCursorState() const override { return csInactive; }
  void SetCursorState(TCursorState) override {}
  String CreateProcCall(const String& name, bool) override { return name; }
};

class TIdleRecordSet : public TLxRecordSet {
 public:
  TIdleRecordSet() : TLxRecordSet(std::make_unique<TIdleCommand>()) {}
};

// A provider whose kinds answer their empty layouts, so that each layout can be looked at.
class TTestMetaData : public TLxMetaData {
 public:
  TTestMetaData() : TLxMetaData(std::make_unique<TIdleRecordSet>()) {}
  TData* GetTables(TStrings*) override { return Empty(&TLxMetaData::CreateTablesFields); }
  TData* GetColumns(TStrings*) override { return Empty(&TLxMetaData::CreateColumnsFields); }
  TData* GetProcedures(TStrings*) override { return Empty(&TLxMetaData::CreateProceduresFields); }
  TData* GetProcedureParameters(TStrings*) override {
    return Empty(&TLxMetaData::CreateProcedureParametersFields);
  }
  TData* GetIndexes(TStrings*) override { return Empty(&TLxMetaData::CreateIndexesFields); }
  TData* GetIndexColumns(TStrings*) override {
    return Empty(&TLxMetaData::CreateIndexColumnsFields);
  }
  TData* GetConstraints(TStrings*) override {
    return Empty(&TLxMetaData::CreateConstraintsFields);
  }

  using TLxMetaData::ResultHelper;
  TData* Empty(void (TLxMetaData::*define)()) {
    (this->*define)();
    OpenResultTable();
    return ResultAtBegin();
  }
};


// The columns of a store as NAME:code(length).
std::string Layout(TData* data) {
  std::string out;
  for (int i = 0; i < data->FieldCount(); ++i) {
    TFieldDesc* f = data->Fields()[i];
    if (i) out += " ";
    out += UTF8Encode(f->Name()) + ":" + std::to_string(f->DataType());
    if (f->Length()) out += "(" + std::to_string(f->Length()) + ")";
    EXPECT_EQ(f->FieldNo(), i + 1) << UTF8Encode(f->Name());
  }
  return out;
}

std::vector<std::string> Lines(TStrings& list) {
  std::vector<std::string> out;
  for (int i = 0; i < list.Count(); ++i) out.push_back(UTF8Encode(list.Strings(i)));
  return out;
}

const std::vector<std::string> kSortedKinds = {
    "Columns", "Constraints",         "IndexColumns", "Indexes", "MetaDataKinds",
    "ProcedureParameters", "Procedures", "Restrictions", "Tables"};

TEST(MetaDataProvider, KindNamesAreSortedWhateverTheKindIsWritten) {
  TTestMetaData meta;
  for (const char16_t* kind : {u"", u"  MetaDataKinds ", u"metadatakinds", u"METADATAKINDS"}) {
    TData* data = meta.GetMetaDataFor(nullptr, nullptr, kind, nullptr);
    EXPECT_EQ(Layout(data), "METADATA_NAME:25(50)");
    EXPECT_EQ(StoreRows(data), kSortedKinds) << UTF8Encode(kind);
  }
}

TEST(MetaDataProvider, KindsWithoutAnAnswerAreUnsupported) {
  TTestMetaData meta;
  for (const char16_t* kind : {u"DataTypes", u"synonyms", u"users", u"roles",
                               u"userdefinedtypes", u"packages", u"databases", u"table"}) {
    try {
      meta.GetMetaDataFor(nullptr, nullptr, kind, nullptr);
      ADD_FAILURE() << UTF8Encode(kind) << " answered";
    } catch (const Exception& e) {
      EXPECT_EQ(UTF8Encode(e.Message()), "Unsupported metadata kind") << UTF8Encode(kind);
    }
  }
}

TEST(MetaDataProvider, EachKindHasItsLayout) {
  struct Case {
    const char16_t* kind;
    std::string layout;
  };
  // Text columns hold UTF-16 (25), counted in characters; 4 is an integer, 14 a memo.
  const Case cases[] = {
      {u"tables", "TABLE_CATALOG:25(100) TABLE_SCHEMA:25(100) TABLE_NAME:25(100) "
                  "TABLE_TYPE:25(50)"},
      {u"columns", "TABLE_CATALOG:25(100) TABLE_SCHEMA:25(100) TABLE_NAME:25(100) "
                   "COLUMN_NAME:25(100) POSITION:4 DATA_TYPE:25(50) DATA_LENGTH:4 "
                   "DATA_PRECISION:4 DATA_SCALE:4 NULLABLE:4 DEFAULT_VALUE:14"},
      {u"procedures", "PROCEDURE_CATALOG:25(100) PROCEDURE_SCHEMA:25(100) "
                      "PROCEDURE_NAME:25(100) PROCEDURE_TYPE:25(50)"},
      {u"procedureparameters",
       "PROCEDURE_CATALOG:25(100) PROCEDURE_SCHEMA:25(100) PROCEDURE_NAME:25(100) "
       "PARAMETER_NAME:25(100) POSITION:4 DIRECTION:25(10) DATA_TYPE:25(50) DATA_LENGTH:4 "
       "DATA_PRECISION:4 DATA_SCALE:4"},
      {u"indexes", "TABLE_CATALOG:25(100) TABLE_SCHEMA:25(100) TABLE_NAME:25(100) "
                   "INDEX_CATALOG:25(100) INDEX_SCHEMA:25(100) INDEX_NAME:25(100) UNIQUE:4"},
      {u"indexcolumns", "TABLE_CATALOG:25(100) TABLE_SCHEMA:25(100) TABLE_NAME:25(100) "
                        "INDEX_CATALOG:25(100) INDEX_SCHEMA:25(100) INDEX_NAME:25(100) "
                        "COLUMN_NAME:25(100) COLUMN_POSITION:4 SORT_ORDER:25(4)"},
      {u"constraints", "TABLE_CATALOG:25(100) TABLE_SCHEMA:25(100) TABLE_NAME:25(100) "
                       "CONSTRAINT_NAME:25(100) CONSTRAINT_TYPE:25(100) INDEX_CATALOG:25(100) "
                       "INDEX_SCHEMA:25(100) INDEX_NAME:25(100)"},
      {u"restrictions", "METADATA_NAME:25(50) RESTRICTION_NAME:25(50)"},
  };
  TTestMetaData meta;
  // Asked one after another, so that each layout replaces the one before.
  for (const Case& c : cases) {
    TData* data = meta.GetMetaDataFor(nullptr, nullptr, c.kind, nullptr);
    EXPECT_EQ(Layout(data), c.layout) << UTF8Encode(c.kind);
    EXPECT_TRUE(data->Active());
  }
  meta.CreateDatabasesFields();
  EXPECT_EQ(Layout(meta.ResultTable()), "DATABASE_NAME:25(100)");
}

TEST(MetaDataProvider, RestrictionsOfOneKindOrOfAllListedKinds) {
  TTestMetaData meta;
  TStringList restrictions;
  restrictions.Add(u"METAINFO_NAME= Tables ");
  EXPECT_EQ(StoreRows(meta.GetMetaDataFor(nullptr, nullptr, u"Restrictions", &restrictions)),
            (std::vector<std::string>{"tables|TABLE_CATALOG", "tables|TABLE_SCHEMA",
                                      "tables|TABLE_NAME", "tables|TABLE_TYPE"}));

  // The name the kind itself lists is METADATA_NAME, which does not choose a kind.
  TStringList byListedName;
  byListedName.Add(u"METADATA_NAME=Tables");
  std::vector<std::string> all =
      StoreRows(meta.GetMetaDataFor(nullptr, nullptr, u"restrictions", &byListedName));
  ASSERT_EQ(all.size(), 30u);
  EXPECT_EQ(std::vector<std::string>(all.begin(), all.begin() + 4),
            (std::vector<std::string>{"Columns|TABLE_CATALOG", "Columns|TABLE_SCHEMA",
                                      "Columns|TABLE_NAME", "Columns|COLUMN_NAME"}));
  for (const std::string& row : all) EXPECT_EQ(row.rfind("MetaDataKinds|", 0), std::string::npos);
  EXPECT_EQ(all.back(), "Tables|TABLE_TYPE");

  TStringList names;
  meta.GetRestrictionNames(&names, u" IndexColumns ");
  EXPECT_EQ(Lines(names), (std::vector<std::string>{"TABLE_CATALOG", "TABLE_SCHEMA",
                                                    "TABLE_NAME", "INDEX_NAME"}));
  meta.GetRestrictionNames(&names, u"MetaDataKinds");
  EXPECT_EQ(names.Count(), 0);
}

TEST(MetaDataProvider, ParseListUpperCasesSortsAndDropsDuplicates) {
  struct Case {
    const char16_t* text;
    std::vector<std::string> items;
  };
  const Case cases[] = {
      {u" view , base table,VIEW", {"BASE TABLE", "VIEW"}},
      {u"", {""}},
      {u" , ,", {""}},
      {u"Procedure", {"PROCEDURE"}},
  };
  for (const Case& c : cases) {
    TStringList list;
    TLxMetaData::ParseList(c.text, &list);
    EXPECT_EQ(Lines(list), c.items) << UTF8Encode(c.text);
  }
}

TEST(MetaDataProvider, AddConditionUnquotesAndWritesLiterals) {
  TTestMetaData meta;
  String condition;
  meta.AddCondition(condition, u"TABLE_NAME", false, u"\"orders\"");
  EXPECT_EQ(UTF8Encode(condition), "TABLE_NAME = 'orders'");
  meta.AddCondition(condition, u"TABLE_SCHEMA", false, u"");
  EXPECT_EQ(UTF8Encode(condition), "TABLE_NAME = 'orders'");
  meta.AddCondition(condition, u"TABLE_SCHEMA", true, u"");
  EXPECT_EQ(UTF8Encode(condition), "TABLE_NAME = 'orders' AND TABLE_SCHEMA IS NULL");

  String quoted;
  meta.AddCondition(quoted, u"TABLE_NAME", false, u"O'Brien's");
  EXPECT_EQ(UTF8Encode(quoted), "TABLE_NAME = 'O''Brien''s'");
}

TEST(MetaDataProvider, RowsKeepLongCyrillicNamesAndMemoObjects) {
  TTestMetaData meta;
  meta.CreateColumnsFields();
  meta.ResultTable()->Open();
  TDataHelper& row = meta.ResultHelper();
  row.AllocBuffer();
  row.InitRecord();
  // The memo column has its blob before anything is written to it.
  EXPECT_NE(meta.ResultTable()->GetBlobObject(11, row.Buffer()), nullptr);
  // 64 letters, the longest MySQL name: 128 bytes in UTF-8.
  String name;
  for (int i = 0; i < 64; ++i) name += u'Ж';
  row.SetFieldValue(4, name);
  row.SetFieldValue(5, 3);
  row.SetFieldValue(11, String(u"CURRENT_TIMESTAMP"));
  row.AppendRecord();
  const std::vector<std::string> rows = StoreRows(meta.ResultTable());
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0], "<null>|<null>|<null>|" + UTF8Encode(name) +
                         "|3|<null>|<null>|<null>|<null>|<null>|CURRENT_TIMESTAMP");
}

}  // namespace
