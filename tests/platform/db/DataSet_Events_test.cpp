// The dataset's before/after events, calculated and lookup fields, and the order in which
// operations reach the descendant and the links.
#include <gtest/gtest.h>

#include "tests/support/ScriptedDataSet.h"

namespace {

using TRow = TScriptedDataSet::TRow;

TRow Row(int32_t id, double amount) {
  return {TScriptedDataSet::Cell(id), TScriptedDataSet::Cell(amount)};
}

class EventFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 1; i <= 5; ++i) ds.AddRow(Row(i, i * 10.0));
    source.SetDataSet(&ds);
    link.SetDataSource(&source);
    auto record = [this](const char* name) {
      return [this, name](TDataSet*) { log.push_back(name); };
    };
    ds.BeforeOpen = record("BeforeOpen");
    ds.AfterOpen = record("AfterOpen");
    ds.BeforeClose = record("BeforeClose");
    ds.AfterClose = record("AfterClose");
    ds.BeforeInsert = record("BeforeInsert");
    ds.AfterInsert = record("AfterInsert");
    ds.BeforeEdit = record("BeforeEdit");
    ds.AfterEdit = record("AfterEdit");
    ds.BeforePost = record("BeforePost");
    ds.AfterPost = record("AfterPost");
    ds.BeforeCancel = record("BeforeCancel");
    ds.AfterCancel = record("AfterCancel");
    ds.BeforeDelete = record("BeforeDelete");
    ds.AfterDelete = record("AfterDelete");
    ds.BeforeScroll = record("BeforeScroll");
    ds.AfterScroll = record("AfterScroll");
    ds.BeforeRefresh = record("BeforeRefresh");
    ds.AfterRefresh = record("AfterRefresh");
    ds.OnNewRecord = record("OnNewRecord");
  }

  std::vector<std::string> log;
  TScriptedDataSet ds{nullptr, {{u"ID", ftInteger}, {u"AMOUNT", ftFloat}}};
  TDataSource source{nullptr};
  TLogLink link{"link", log};
};

TEST_F(EventFixture, EachOperationRunsItsEventsInOrder) {
  ds.LogReads = false;
  struct TCase {
    const char* Name;
    std::function<void()> Operation;
    std::vector<std::string> Log;
  } cases[] = {
      {"open", [&] { ds.Open(); }, {"BeforeOpen", "link: active on", "AfterOpen", "AfterScroll"}},
      {"next", [&] { ds.Next(); }, {"BeforeScroll", "link: scrolled 1", "AfterScroll"}},
      {"edit", [&] { ds.Edit(); }, {"BeforeEdit", "link: editing on", "link: record nil", "AfterEdit"}},
      {"post unchanged", [&] { ds.Post(); },
       {"link: update", "BeforePost", "link: editing off", "link: changed", "AfterPost"}},
      {"insert", [&] { ds.Insert(); },
       {"BeforeInsert", "link: editing on", "OnNewRecord", "link: changed", "AfterInsert"}},
      {"cancel", [&] { ds.Cancel(); },
       {"BeforeCancel", "link: editing off", "link: changed", "AfterCancel"}},
      {"delete", [&] { ds.Delete(); },
       {"BeforeDelete", "BeforeScroll", "link: changed", "AfterDelete", "AfterScroll"}},
      {"refresh", [&] { ds.Refresh(); }, {"BeforeRefresh", "link: changed", "AfterRefresh"}},
      {"first", [&] { ds.First(); }, {"BeforeScroll", "link: changed", "AfterScroll"}},
      {"close", [&] { ds.Close(); }, {"BeforeClose", "link: active off", "AfterClose"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    log.clear();
    c.Operation();
    EXPECT_EQ(Lines(log), Lines(c.Log));
  }
}

TEST_F(EventFixture, NewRecordHandlerFillsDefaultsWithoutMarkingTheRecordModified) {
  ds.Open();
  ds.OnNewRecord = [](TDataSet* dataSet) { dataSet->FieldByName(u"AMOUNT")->SetAsFloat(1); };
  ds.Append();
  EXPECT_EQ(ds.FieldByName(u"AMOUNT")->AsFloat(), 1.0);
  EXPECT_FALSE(ds.Modified()) << "defaults alone do not make the record worth posting";
  ds.Next();  // leaving an unmodified insert cancels it
  EXPECT_EQ(ds.RecordCount(), 5);
}

TEST_F(EventFixture, FailingNewRecordHandlerLeavesNoNewRecord) {
  ds.Open();
  ds.MoveBy(2);
  ds.OnNewRecord = [](TDataSet*) { throw EDatabaseError(String(u"no defaults")); };
  EXPECT_THROW(ds.Insert(), EDatabaseError);
  EXPECT_EQ(ds.State(), dsBrowse);
  EXPECT_EQ(ds.RecNo(), 3);
  EXPECT_EQ(ds.FieldByName(u"ID")->AsInteger(), 3);
}

TEST_F(EventFixture, BeforeEventsCanStopTheOperation) {
  ds.Open();
  ds.BeforeDelete = [](TDataSet*) { Abort(); };
  EXPECT_THROW(ds.Delete(), EAbort);
  EXPECT_EQ(ds.RecordCount(), 5);
  ds.BeforeEdit = [](TDataSet*) { throw EDatabaseError(String(u"locked")); };
  EXPECT_THROW(ds.Edit(), EDatabaseError);
  EXPECT_EQ(ds.State(), dsBrowse);
}

TEST_F(EventFixture, AppendRecordStoresTheWholeRecordOrNothing) {
  ds.Open();
  ds.AppendRecord({Variant(int32_t{6}), Variant(60.5)});
  EXPECT_EQ(ds.RecordCount(), 6);
  EXPECT_EQ(ds.FieldByName(u"AMOUNT")->AsFloat(), 60.5);
  EXPECT_THROW(ds.AppendRecord({Variant(int32_t{7}), Variant(String(u"not a number"))}),
               EDatabaseError);
  EXPECT_EQ(ds.RecordCount(), 6);
  EXPECT_EQ(ds.State(), dsBrowse);
  // Null leaves a field null.
  ds.InsertRecord({Variant(int32_t{8}), Variant::Null()});
  EXPECT_TRUE(ds.FieldByName(u"AMOUNT")->IsNull());
}

TEST_F(EventFixture, FieldValuesReadAndWriteSeveralFields) {
  ds.Open();
  Variant both = ds.FieldValues(u"ID;AMOUNT");
  ASSERT_TRUE(both.IsArray());
  EXPECT_EQ(both[0], Variant(int32_t{1}));
  EXPECT_EQ(both[1], Variant(10.0));
  ds.Edit();
  ds.SetFieldValues(u"AMOUNT;ID", VarArrayOf({Variant(5.5), Variant(int32_t{50})}));
  EXPECT_EQ(ds.FieldByName(u"ID")->AsInteger(), 50);
  EXPECT_EQ(ds.FieldValues(u"AMOUNT"), Variant(5.5));
  EXPECT_THROW(ds.FieldValues(u"ID;NOPE"), EDatabaseError);
  ds.Cancel();
}

// ---- Calculated and lookup fields.

// A lookup table that finds records by walking itself, as a dataset without indexes would.
class TLookupTable : public TScriptedDataSet {
 public:
  using TScriptedDataSet::TScriptedDataSet;
  Variant Lookup(const String& keyFields, const Variant& keyValues,
                 const String& resultFields) override {
    Variant result = Variant::Null();
    DisableControls();
    TBookmark position = GetBookmark();
    for (First(); !Eof(); Next()) {
      if (VarSameValue(FieldValues(keyFields), keyValues)) {
        result = FieldValues(resultFields);
        break;
      }
    }
    GotoBookmark(position);
    EnableControls();
    return result;
  }
};

class CalcFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 1; i <= 6; ++i) ds.AddRow(Row(i, i * 100.0));
    for (int code : {2, 4, 6})
      titles.AddRow({TScriptedDataSet::Cell(int32_t{code}),
                     TScriptedDataSet::WideText(u"наслов " + IntToStr(code))});
    titles.Open();
    auto add = [this](TField* field, const char16_t* name, TFieldKind kind) {
      field->SetFieldName(name);
      field->SetFieldKind(kind);
      field->SetDataSet(&ds);
      return field;
    };
    add(new TIntegerField(nullptr), u"ID", fkData);
    add(new TFloatField(nullptr), u"AMOUNT", fkData);
    tax = add(new TFloatField(nullptr), u"TAX", fkCalculated);
    title = add(new TWideStringField(nullptr), u"TITLE", fkLookup);
    title->SetKeyFields(u"ID");
    title->SetLookupDataSet(&titles);
    title->SetLookupKeyFields(u"CODE");
    title->SetLookupResultField(u"NAME");
    ds.OnCalcFields = [this](TDataSet* dataSet) {
      ++calculations;
      tax->SetAsFloat(dataSet->FieldByName(u"AMOUNT")->AsFloat() * 0.18);
    };
    source.SetDataSet(&ds);
    grid.SetDataSource(&source);
    grid.SetBufferCount(4);
  }

  TLookupTable titles{nullptr, {{u"CODE", ftInteger}, {u"NAME", ftWideString, 20}}};
  TScriptedDataSet ds{nullptr, {{u"ID", ftInteger}, {u"AMOUNT", ftFloat}}};
  TField* tax = nullptr;
  TField* title = nullptr;
  int calculations = 0;
  std::vector<std::string> log;
  TDataSource source{nullptr};
  TLogLink grid{"grid", log};
};

TEST_F(CalcFixture, EveryBufferedRowCarriesItsCalculatedAndLookupValues) {
  ds.Open();
  EXPECT_EQ(tax->FieldNo(), -1);
  EXPECT_EQ(ds.CalcFieldsSize(), (8 + 1) + (42 + 1));
  EXPECT_EQ(calculations, 4) << "one calculation per record read";
  std::vector<double> taxes;
  std::vector<String> titlesSeen;
  for (int row = 0; row < grid.RecordCount(); ++row) {
    grid.SetActiveRecord(row);
    taxes.push_back(tax->AsFloat());
    titlesSeen.push_back(title->AsString());
  }
  grid.SetActiveRecord(0);
  EXPECT_EQ(taxes, (std::vector<double>{18, 36, 54, 72}));
  EXPECT_EQ(titlesSeen, (std::vector<String>{u"", u"наслов 2", u"", u"наслов 4"}));
  EXPECT_TRUE(title->IsNull()) << "no title with code 1";
  EXPECT_EQ(titles.RecNo(), 1) << "looking up does not move the lookup table";
}

TEST_F(CalcFixture, EditingAFieldRecalculates) {
  ds.Open();
  ds.MoveBy(1);
  ds.Edit();
  ds.FieldByName(u"AMOUNT")->SetAsFloat(1000);
  EXPECT_DOUBLE_EQ(tax->AsFloat(), 180);
  ds.FieldByName(u"ID")->SetAsInteger(6);
  EXPECT_EQ(title->AsString(), u"наслов 6");
  EXPECT_FALSE(tax->CanModify()) << "calculated values come from OnCalcFields";
  ds.SetAutoCalcFields(false);
  ds.FieldByName(u"AMOUNT")->SetAsFloat(2000);
  EXPECT_DOUBLE_EQ(tax->AsFloat(), 180) << "without AutoCalcFields only reads recalculate";
  ds.Post();
  EXPECT_DOUBLE_EQ(tax->AsFloat(), 360);
}

TEST_F(CalcFixture, CachedLookupReadsTheTableOnce) {
  title->SetLookupCache(true);
  ds.Open();
  ASSERT_NE(title->LookupList(), nullptr);
  EXPECT_EQ(title->LookupList()->Count(), 3);
  ds.MoveBy(3);
  EXPECT_EQ(title->AsString(), u"наслов 4");
  // The table changes; the cached field does not see it until its list is refreshed.
  titles.MoveBy(1);
  titles.Edit();
  titles.FieldByName(u"CODE")->SetAsInteger(5);
  titles.Post();
  ds.Refresh();
  EXPECT_EQ(title->AsString(), u"наслов 4");
  title->RefreshLookupList();
  ds.Refresh();
  EXPECT_EQ(title->AsString(), u"");
}

TEST_F(CalcFixture, IncompleteLookupFailsToOpen) {
  title->SetLookupResultField(u"");
  try {
    ds.Open();
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), u"Lookup information for field 'TITLE' is incomplete");
  }
  EXPECT_FALSE(ds.Active());
}

TEST_F(CalcFixture, PersistentFieldsOfTheWrongTypeFailToOpen) {
  ds.FieldByName(u"AMOUNT")->Free();
  auto* wrong = new TWideStringField(nullptr);
  wrong->SetFieldName(u"AMOUNT");
  wrong->SetDataSet(&ds);
  try {
    ds.Open();
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), u"Type mismatch for field 'AMOUNT', expecting: WideString actual: Float");
  }
  EXPECT_FALSE(ds.Active());
}

}  // namespace
