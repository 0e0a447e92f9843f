// Uni-directional and block-read datasets, opening while loading, temporary states, RecNo and
// the holders of fields hearing of their removal.
#include <gtest/gtest.h>

#include "tests/support/ScriptedDataSet.h"

namespace {

class TForwardOnly : public TScriptedDataSet {
 public:
  explicit TForwardOnly(std::vector<TColumn> columns) : TScriptedDataSet(nullptr, std::move(columns)) {
    SetUniDirectional(true);
  }
};

std::vector<TColumn> Columns() { return {{u"ID", ftInteger}}; }

void Fill(TScriptedDataSet& ds, int count) {
  for (int i = 1; i <= count; ++i) ds.AddRow({TScriptedDataSet::Cell(int32_t{i})});
}

TEST(DataSetModes, UniDirectionalReadsForwardOnlyWithOneBuffer) {
  TForwardOnly ds(Columns());
  Fill(ds, 4);
  TDataSource source(nullptr);
  source.SetDataSet(&ds);
  TDataLink grid;
  grid.SetDataSource(&source);
  grid.SetBufferCount(10);
  ds.Open();
  EXPECT_EQ(ds.Slots(), 1) << "no window for a cursor that cannot go back";
  int sum = 0;
  for (; !ds.Eof(); ds.Next()) sum += ds.FieldByName(u"ID")->AsInteger();
  EXPECT_EQ(sum, 10);
  try {
    ds.Prior();
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), u"Operation not allowed on a unidirectional dataset");
  }
  EXPECT_THROW(ds.Last(), EDatabaseError);
}

TEST(DataSetModes, BlockReadKeepsTheLinksQuietUntilItEnds) {
  TScriptedDataSet ds(nullptr, Columns());
  Fill(ds, 8);
  TDataSource source(nullptr);
  source.SetDataSet(&ds);
  std::vector<std::string> log;
  TLogLink link("link", log);
  link.SetDataSource(&source);
  ds.Open();
  log.clear();
  ds.SetBlockReadSize(4);
  EXPECT_EQ(ds.State(), dsBlockRead);
  int visited = 0;
  for (; !ds.Eof(); ds.Next()) ++visited;
  EXPECT_EQ(visited, 8);
  EXPECT_TRUE(log.empty());
  ds.SetBlockReadSize(0);
  EXPECT_EQ(ds.State(), dsBrowse);
  EXPECT_EQ(Lines(log), "link: changed\n");
}

TEST(DataSetModes, OpeningWhileLoadingWaitsForLoaded) {
  TScriptedDataSet ds(nullptr, Columns());
  Fill(ds, 2);
  ds.BeginLoading();
  ds.Open();
  EXPECT_FALSE(ds.Active());
  ds.EndLoading();
  EXPECT_TRUE(ds.Active());
  EXPECT_EQ(ds.RecordCount(), 2);
}

TEST(DataSetModes, RecNoMovesAndUnknownPositionsAreMinusOne) {
  TScriptedDataSet ds(nullptr, Columns());
  Fill(ds, 30);
  TDataSource source(nullptr);
  source.SetDataSet(&ds);
  TDataLink grid;
  grid.SetDataSource(&source);
  grid.SetBufferCount(9);
  ds.Open();
  ds.SetRecNo(20);
  EXPECT_EQ(ds.RecNo(), 20);
  EXPECT_EQ(ds.FieldByName(u"ID")->AsInteger(), 20);
  EXPECT_EQ(grid.ActiveRecord(), 4) << "centred in a window of 9";
  ds.Insert();
  EXPECT_EQ(ds.RecNo(), -1);
  ds.Cancel();
  EXPECT_EQ(ds.RecNo(), 20);
}

TEST(DataSetModes, ClearFieldsEmptiesTheRecordBeingEdited) {
  TScriptedDataSet ds(nullptr, {{u"ID", ftInteger}, {u"NAME", ftWideString, 10}});
  ds.AddRow({TScriptedDataSet::Cell(int32_t{1}), TScriptedDataSet::WideText(u"a")});
  ds.Open();
  EXPECT_THROW(ds.ClearFields(), EDatabaseError);
  ds.Edit();
  ds.ClearFields();
  EXPECT_TRUE(ds.FieldByName(u"ID")->IsNull());
  EXPECT_TRUE(ds.FieldByName(u"NAME")->IsNull());
  ds.Cancel();
  EXPECT_EQ(ds.FieldByName(u"NAME")->AsString(), u"a");
}

class THolder : public TComponent {
 public:
  using TComponent::TComponent;
  TField* Field = nullptr;

 protected:
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == Field) Field = nullptr;
  }
};

TEST(DataSetModes, HoldersOfADefaultFieldHearWhenItGoes) {
  TScriptedDataSet ds(nullptr, Columns());
  Fill(ds, 1);
  ds.Open();
  THolder column(nullptr);
  column.Field = ds.FieldByName(u"ID");
  column.Field->FreeNotification(&column);
  ds.Close();  // default fields go with the closing
  EXPECT_EQ(column.Field, nullptr);
}

TEST(DataSetModes, FreeingAPersistentFieldClosesItsDataSet) {
  TScriptedDataSet ds(nullptr, Columns());
  Fill(ds, 1);
  auto* field = new TIntegerField(nullptr);
  field->SetFieldName(u"ID");
  field->SetDataSet(&ds);
  ds.Open();
  EXPECT_FALSE(ds.DefaultFields());
  EXPECT_THROW(field->SetDataSet(nullptr), EDatabaseError) << "not while the dataset is open";
  field->Free();
  EXPECT_FALSE(ds.Active());
  EXPECT_EQ(ds.FieldCount(), 0);
}

}  // namespace
