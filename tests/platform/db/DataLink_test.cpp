// Data links and data sources as the controls use them: reading buffered rows through a link's
// ActiveRecord, field links of an edit form, a failing post, the source's state and auto-edit.
#include <gtest/gtest.h>

#include "tests/support/ScriptedDataSet.h"

namespace {

using TRow = TScriptedDataSet::TRow;

class LinkFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 1; i <= 20; ++i)
      ds.AddRow({TScriptedDataSet::Cell(int32_t{i}), TScriptedDataSet::WideText(u"r" + IntToStr(i)),
                 TScriptedDataSet::Cell(double(i) * 1.5)});
    source.SetDataSet(&ds);
  }

  std::vector<std::string> log;
  TScriptedDataSet ds{nullptr,
                      {{u"ID", ftInteger}, {u"NAME", ftWideString, 30}, {u"AMOUNT", ftFloat}}};
  TDataSource source{nullptr};
};

// ---- Reading rows through ActiveRecord, as a grid paints them.

TEST_F(LinkFixture, ActiveRecordReadsEveryBufferedRowWithoutMovingTheCursor) {
  TLogLink grid("grid", log);
  grid.SetDataSource(&source);
  grid.SetBufferCount(6);
  ds.Open();
  ds.MoveBy(8);  // record 9, at the bottom of a window showing 4 .. 9
  ds.ClearLog();
  log.clear();
  const int current = grid.ActiveRecord();
  ASSERT_EQ(current, 5);
  ASSERT_EQ(grid.RecordCount(), 6);
  std::vector<String> names;
  for (int row = 0; row < grid.RecordCount(); ++row) {
    grid.SetActiveRecord(row);
    names.push_back(ds.FieldByName(u"NAME")->AsString());
    EXPECT_EQ(ds.FieldByName(u"ID")->AsInteger(), 4 + row);
  }
  grid.SetActiveRecord(current);
  EXPECT_EQ(names, (std::vector<String>{u"r4", u"r5", u"r6", u"r7", u"r8", u"r9"}));
  EXPECT_EQ(ds.FieldByName(u"ID")->AsInteger(), 9);
  EXPECT_EQ(ds.RecNo(), 9);
  EXPECT_TRUE(ds.Log().empty()) << "no record was read from the source";
  EXPECT_TRUE(log.empty()) << "no notification was sent";
  // Moving on afterwards behaves as if nothing happened.
  ds.Next();
  EXPECT_EQ(ds.FieldByName(u"ID")->AsInteger(), 10);
  EXPECT_EQ(grid.ActiveRecord(), 5);
}

TEST_F(LinkFixture, ActiveRecordOfASmallLinkIsRelativeToItsOwnWindow) {
  TLogLink grid("grid", log), small("small", log);
  grid.SetDataSource(&source);
  small.SetDataSource(&source);
  grid.SetBufferCount(10);
  small.SetBufferCount(3);
  ds.Open();
  ds.MoveBy(6);  // slot 6 of the big window; the small one shows slots 4 .. 6
  ASSERT_EQ(small.ActiveRecord(), 2);
  small.SetActiveRecord(0);
  EXPECT_EQ(ds.FieldByName(u"ID")->AsInteger(), 5);
  small.SetActiveRecord(2);
  EXPECT_EQ(ds.FieldByName(u"ID")->AsInteger(), 7);
  // A slot outside the dataset's window is refused, and nothing changes.
  EXPECT_THROW(small.SetActiveRecord(8), EDatabaseError);
  EXPECT_EQ(ds.FieldByName(u"ID")->AsInteger(), 7);
}

// ---- The edit form: field links bound to the list's data source.

class TEditControl {
 public:
  TEditControl(TDataSource* source, const String& fieldName) {
    link.SetDataSource(source);
    link.SetFieldName(fieldName);
    link.OnDataChange = [this](TObject*) { text = link.Field() ? link.Field()->Text() : String(); };
    link.OnUpdateData = [this](TObject*) {
      ++updates;
      link.Field()->SetText(text);
    };
  }
  // What typing does: ask for the edit state, change the text, mark the link modified.
  void Type(const String& value) {
    ASSERT_TRUE(link.Edit());
    text = value;
    link.Modified();
  }
  TFieldDataLink link;
  String text;
  int updates = 0;
};

TEST_F(LinkFixture, EditFormAppendsAndPostsWhatThreeControlsHold) {
  TLogLink grid("grid", log);
  grid.SetDataSource(&source);
  grid.SetBufferCount(8);
  // The grid counts the records again on every data-set change, walking the dataset with its
  // controls disabled, as a data-bound grid does (guarded against the change its own
  // EnableControls sends).
  int counted = -1;
  bool counting = false;
  grid.OnChanged = [&](TLogLink*) {
    if (ds.State() != dsBrowse || counting) return;
    counting = true;
    ds.DisableControls();
    TBookmark position = ds.GetBookmark();
    ds.First();
    counted = ds.MoveBy(INT32_MAX) + 1;
    ds.GotoBookmark(position);
    ds.EnableControls();
    counting = false;
  };
  TEditControl id(&source, u"ID"), name(&source, u"NAME"), amount(&source, u"AMOUNT");
  ds.Open();
  EXPECT_EQ(counted, -1);
  EXPECT_EQ(name.text, u"r1") << "a bound control shows the field as soon as it is active";

  ds.Append();
  EXPECT_EQ(name.text, u"") << "the new record is empty";
  id.Type(u"21");
  name.Type(u"Нова донација");
  amount.Type(u"12.5");
  ds.Post();

  EXPECT_EQ(id.updates + name.updates + amount.updates, 3);
  EXPECT_EQ(ds.State(), dsBrowse);
  EXPECT_EQ(ds.RecNo(), 21);
  EXPECT_EQ(counted, 21);
  EXPECT_EQ(ds.RecordCount(), 21);
  const TRow& stored = ds.Rows().back();
  int32_t storedId;
  std::memcpy(&storedId, stored[0].Bytes.data(), 4);
  EXPECT_EQ(storedId, 21);
  EXPECT_EQ(ds.FieldByName(u"NAME")->AsString(), u"Нова донација");
  EXPECT_DOUBLE_EQ(ds.FieldByName(u"AMOUNT")->AsFloat(), 12.5);
  EXPECT_EQ(name.text, u"Нова донација") << "controls show the posted values";
  EXPECT_FALSE(name.link.IsModified());
}

TEST_F(LinkFixture, FailingPostKeepsTheStateTheRecordAndTheModifiedFlag) {
  TLogLink grid("grid", log);
  grid.SetDataSource(&source);
  ds.Open();
  ds.MoveBy(2);
  ds.Edit();
  ds.FieldByName(u"NAME")->SetAsString(u"edited");
  ds.FailNextPost(u"Duplicate entry 'edited' for key 'name'");
  log.clear();
  try {
    ds.Post();
    FAIL() << "the post should fail";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), u"Duplicate entry 'edited' for key 'name'");
  }
  EXPECT_EQ(ds.State(), dsEdit);
  EXPECT_TRUE(ds.Modified());
  EXPECT_EQ(ds.FieldByName(u"NAME")->AsString(), u"edited");
  EXPECT_TRUE(grid.Editing());
  EXPECT_EQ(Lines(log), "grid: update\n") << "only the request to write pending edits";
  // The stored record is untouched until a post succeeds.
  ds.Cancel();
  EXPECT_EQ(ds.FieldByName(u"NAME")->AsString(), u"r3");
  ds.Edit();
  ds.FieldByName(u"NAME")->SetAsString(u"edited");
  ds.Post();
  EXPECT_EQ(ds.FieldByName(u"NAME")->AsString(), u"edited");
}

TEST_F(LinkFixture, PostErrorHandlerMayRetryOrAbort) {
  ds.Open();
  ds.Edit();
  ds.FieldByName(u"NAME")->SetAsString(u"x");
  ds.FailNextPost(u"deadlock");
  int calls = 0;
  ds.OnPostError = [&](TDataSet*, EDatabaseError& e, TDataAction& action) {
    ++calls;
    EXPECT_EQ(e.Message(), u"deadlock");
    action = daRetry;
  };
  ds.Post();
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(ds.State(), dsBrowse);

  ds.Edit();
  ds.FieldByName(u"NAME")->SetAsString(u"y");
  ds.FailNextPost(u"deadlock");
  ds.OnPostError = [](TDataSet*, EDatabaseError&, TDataAction& action) { action = daAbort; };
  EXPECT_THROW(ds.Post(), EAbort);
  EXPECT_EQ(ds.State(), dsEdit);
}

TEST_F(LinkFixture, FieldLinkBindsByNameAndReportsItsChanges) {
  TFieldDataLink link;
  std::vector<std::string> events;
  link.OnDataChange = [&](TObject*) { events.push_back("data"); };
  link.OnEditingChange = [&](TObject*) { events.push_back(link.Editing() ? "editing" : "browsing"); };
  link.OnActiveChange = [&](TObject*) { events.push_back(link.Active() ? "active" : "inactive"); };
  link.OnUpdateData = [&](TObject*) { events.push_back("update"); };
  link.SetDataSource(&source);
  link.SetFieldName(u"NAME");
  EXPECT_EQ(link.Field(), nullptr) << "no field while the dataset is closed";
  ds.Open();
  EXPECT_EQ(link.Field(), ds.FieldByName(u"NAME"));
  EXPECT_EQ(events, (std::vector<std::string>{"data", "active"}));

  events.clear();
  link.SetFieldName(u"NO_SUCH_FIELD");
  EXPECT_EQ(link.Field(), nullptr);
  link.SetFieldName(u"");
  EXPECT_EQ(link.Field(), nullptr);
  link.SetFieldName(u"name");
  EXPECT_EQ(link.Field(), ds.FieldByName(u"NAME"));
  EXPECT_EQ(events, (std::vector<std::string>{"data", "data"}));

  // Another field's change is not this link's business; its own field's change is.
  events.clear();
  ds.Edit();
  ds.FieldByName(u"AMOUNT")->SetAsFloat(1);
  ds.FieldByName(u"NAME")->SetAsString(u"n");
  EXPECT_EQ(events, (std::vector<std::string>{"editing", "data", "data"}));

  // UpdateData reaches the handler only when the control marked a change.
  events.clear();
  ds.UpdateRecord();
  EXPECT_TRUE(events.empty());
  link.Modified();
  ds.UpdateRecord();
  EXPECT_EQ(events, (std::vector<std::string>{"update"}));
  EXPECT_FALSE(link.IsModified());

  // Reset drops a pending change and shows the field again.
  link.Modified();
  events.clear();
  link.Reset();
  EXPECT_FALSE(link.IsModified());
  EXPECT_EQ(events, (std::vector<std::string>{"data"}));
  ds.Cancel();
}

TEST_F(LinkFixture, FieldLinkCannotEditAReadOnlyField) {
  TFieldDataLink link;
  link.SetDataSource(&source);
  link.SetFieldName(u"ID");
  ds.Open();
  ds.FieldByName(u"ID")->SetReadOnly(true);
  EXPECT_FALSE(link.CanModify());
  EXPECT_FALSE(link.Edit());
  EXPECT_EQ(ds.State(), dsBrowse);
  link.SetFieldName(u"NAME");
  EXPECT_TRUE(link.CanModify());
  EXPECT_TRUE(link.Edit());
  EXPECT_EQ(ds.State(), dsEdit);
  // A read-only link never edits.
  ds.Cancel();
  link.SetReadOnly(true);
  EXPECT_FALSE(link.Edit());
  EXPECT_EQ(ds.State(), dsBrowse);
}

TEST_F(LinkFixture, FocusRequestReachesTheLinkOfThatField) {
  TFieldDataLink nameLink, amountLink;
  nameLink.SetDataSource(&source);
  nameLink.SetFieldName(u"NAME");
  amountLink.SetDataSource(&source);
  amountLink.SetFieldName(u"AMOUNT");
  std::string focused;
  nameLink.OnFocusControl = [&](TFieldDataLink*) {
    focused += "name ";
    return true;
  };
  amountLink.OnFocusControl = [&](TFieldDataLink*) {
    focused += "amount ";
    return true;
  };
  ds.Open();
  ds.FieldByName(u"AMOUNT")->FocusControl();
  EXPECT_EQ(focused, "amount ");
}

TEST_F(LinkFixture, RequiredFieldFailsThePostAndAsksForFocus) {
  TScriptedDataSet required(nullptr, {{u"CODE", ftWideString, 10, true}});
  TDataSource src(nullptr);
  src.SetDataSet(&required);
  TFieldDataLink link;
  link.SetDataSource(&src);
  link.SetFieldName(u"CODE");
  bool asked = false;
  link.OnFocusControl = [&](TFieldDataLink*) { return asked = true; };
  required.Open();
  required.Append();
  try {
    required.Post();
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), u"Field 'CODE' must have a value");
  }
  EXPECT_TRUE(asked);
  EXPECT_EQ(required.State(), dsInsert);
}

// ---- The data source.

TEST_F(LinkFixture, SourceFollowsTheDataSetsStateAndCanBeDisabled) {
  std::vector<TDataSetState> states;
  source.OnStateChange = [&](TObject*) { states.push_back(source.State()); };
  TLogLink link("l", log);
  link.SetDataSource(&source);
  ds.Open();
  ds.Edit();
  ds.Cancel();
  source.SetEnabled(false);
  EXPECT_FALSE(link.Active());
  EXPECT_EQ(source.State(), dsInactive);
  source.SetEnabled(true);
  EXPECT_TRUE(link.Active());
  EXPECT_EQ(states, (std::vector<TDataSetState>{dsBrowse, dsEdit, dsBrowse, dsInactive, dsBrowse}));
  source.OnStateChange = nullptr;
}

TEST_F(LinkFixture, AutoEditDecidesWhetherALinkMayStartAnEdit) {
  TFieldDataLink link;
  link.SetDataSource(&source);
  link.SetFieldName(u"NAME");
  ds.Open();
  source.SetAutoEdit(false);
  EXPECT_FALSE(link.Edit());
  EXPECT_EQ(ds.State(), dsBrowse);
  source.SetAutoEdit(true);
  EXPECT_TRUE(link.Edit());
  EXPECT_EQ(ds.State(), dsEdit);
}

TEST_F(LinkFixture, DataSourceForgetsADataSetThatIsFreed) {
  auto* other = new TScriptedDataSet(nullptr, {{u"A", ftInteger}});
  TDataSource src(nullptr);
  src.SetDataSet(other);
  other->Free();
  EXPECT_EQ(src.DataSet(), nullptr);
  EXPECT_EQ(src.State(), dsInactive);
}

TEST_F(LinkFixture, FixedDataSourceCannotBeChanged) {
  TDataLink link;
  link.SetDataSource(&source);
  link.SetDataSourceFixed(true);
  TDataSource other(nullptr);
  try {
    link.SetDataSource(&other);
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), u"DataSource cannot be changed");
  }
  EXPECT_EQ(link.DataSource(), &source);
}

TEST_F(LinkFixture, FieldByNameNamesTheMissingFieldAndTheDataSet) {
  ds.Open();
  EXPECT_EQ(ds.FindField(u"missing"), nullptr);
  try {
    ds.FieldByName(u"missing");
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), u"Field 'missing' not found");
  }
  ds.SetName(u"qryDonations");
  try {
    ds.FieldByName(u"missing");
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), u"qryDonations: Field 'missing' not found");
  }
  EXPECT_EQ(ds.FieldByName(u"name"), ds.FieldByName(u"NAME"));
}

TEST_F(LinkFixture, ClosedDataSetRefusesToMove) {
  try {
    ds.Next();
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), u"Cannot perform this operation on a closed dataset");
  }
  ds.Open();
  try {
    ds.Post();
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), u"Dataset not in edit or insert mode");
  }
  try {
    ds.FieldByName(u"NAME")->SetAsString(u"x");
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), u"Dataset not in edit or insert mode");
  }
}

}  // namespace

namespace {

TEST_F(LinkFixture, LayoutChangesReachLinksAndBaseLinksFoldEventsIntoRecordChanged) {
  TLogLink grid("grid", log);
  grid.SetDataSource(&source);
  ds.Open();
  log.clear();
  ds.FieldByName(u"AMOUNT")->SetVisible(false);
  ds.FieldByName(u"AMOUNT")->SetDisplayLabel(u"Износ");
  EXPECT_EQ(Lines(log), "grid: layout\ngrid: layout\n");

  // A link that only listens for record changes hears scrolls, data-set changes and layout
  // changes as RecordChanged(nil).
  class TRecordOnly : public TDataLink {
   public:
    int Changes = 0;

   protected:
    void RecordChanged(TField* field) override { Changes += field == nullptr; }
  } plain;
  plain.SetDataSource(&source);
  ds.Next();
  ds.First();
  ds.FieldByName(u"AMOUNT")->SetVisible(true);
  EXPECT_EQ(plain.Changes, 3);
}

}  // namespace
