// The data-aware grid and controls over a scripted dataset: the grid's columns, titles,
// indicator and one-line memo text, following and moving the cursor; the memo, the lookup combo
// and the date picker showing their field and writing the user's change back.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/db/DataSource.h"
#include "platform/rtl/DateTime.h"
#include "platform/ui/DBCtrls.h"
#include "platform/ui/DBGrids.h"
#include "tests/support/ScriptedDataSet.h"
#include "tests/support/UiTestSupport.h"

namespace {

using TRow = TScriptedDataSet::TRow;
using TDS = TScriptedDataSet;

class DBControls : public uitest::TUiTest {
 protected:
  DBControls() {
    for (int i = 1; i <= 30; ++i)
      data.AddRow({TDS::Cell(int32_t{i}), TDS::WideText(u"Ред " + IntToStr(i)),
                   TDS::Cell(double(i) * 1000.5), TDS::Null(), TDS::Null()});
    source.SetDataSet(&data);
    Application->CreateForm(form);
    form->SetBounds(0, 0, 500, 400);
  }

  TScriptedDataSet data{nullptr,
                        {{u"id", ftInteger},
                         {u"title", ftWideString, 40},
                         {u"amount", ftFloat},
                         {u"note", ftMemo},
                         {u"client_id", ftInteger}}};
  TDataSource source{nullptr};
  TForm* form = nullptr;
};

TEST_F(DBControls, TheGridShowsItsColumnsFollowsTheCursorAndMovesIt) {
  auto* grid = new TDBGrid(form);
  grid->SetParent(form);
  grid->SetBounds(10, 10, 460, 200);
  grid->SetColumns({{u"title", u"Наслов", 150, taLeftJustify},
                    {u"amount", u"Износ", 100, taRightJustify},
                    {u"note", u"Забелешка", 150, taLeftJustify}});
  grid->SetDataSource(&source);
  data.Open();
  static_cast<TFloatField*>(data.FieldByName(u"amount"))->SetDisplayFormat(u"#,##0.00");
  data.Edit();
  data.FieldByName(u"note")->SetAsString(u"прв ред\r\nвтор ред\nтрет");
  data.Post();
  form->Show();

  EXPECT_EQ(grid->ColCount(), 4);
  EXPECT_EQ(grid->ColWidths(0), TDBGrid::IndicatorWidth);
  EXPECT_EQ(grid->ColWidths(2), 100);
  EXPECT_EQ(grid->CellText(0, 0), u"Ред 1");
  EXPECT_EQ(grid->CellText(1, 0), u"1,000.50") << "the field's display format";
  EXPECT_EQ(grid->CellText(2, 0), u"прв ред втор ред трет");
  EXPECT_EQ(grid->Row(), 1);
  const int shown = grid->RowCount() - 1;
  ASSERT_GT(shown, 3);
  ASSERT_LT(shown, 30) << "only the rows that fit are read";

  data.MoveBy(2);  // the dataset moves: the grid follows
  EXPECT_EQ(grid->Row(), 3);
  // A click on a row makes its record current.
  const TRect third = grid->CellRect(1, 2);
  ClickAt(grid->ClientToScreen({third.Left + 5, third.Top + 5}));
  Application->ProcessMessages();
  EXPECT_EQ(data.FieldByName(u"id")->AsInteger(), 2);
  EXPECT_EQ(grid->Row(), 2);

  // The keys move past the last shown row: the window slides, the row stays at the bottom.
  grid->SetFocus();
  for (int i = 0; i < shown + 3; ++i) Key(VK_DOWN);
  Application->ProcessMessages();
  EXPECT_EQ(data.FieldByName(u"id")->AsInteger(), 2 + shown + 3);
  EXPECT_EQ(grid->Row(), shown);
  EXPECT_EQ(grid->CellText(0, shown - 1), u"Ред " + IntToStr(2 + shown + 3));
  InjectKey(VK_CONTROL, true);
  Key(VK_HOME);
  InjectKey(VK_CONTROL, false);
  Application->ProcessMessages();
  EXPECT_EQ(data.FieldByName(u"id")->AsInteger(), 1);
  EXPECT_EQ(grid->Row(), 1);

  data.Close();  // a closed dataset leaves an empty grid
  EXPECT_EQ(grid->CellText(0, 0), u"");
  EXPECT_EQ(grid->RowCount(), 2);
}

TEST_F(DBControls, TheMemoShowsItsFieldAndWritesTheTypedTextOnPost) {
  auto* memo = new TDBMemo(form);
  memo->SetParent(form);
  memo->SetBounds(10, 10, 300, 100);
  memo->SetDataSource(&source);
  memo->SetDataField(u"note");
  data.Open();
  data.Edit();
  data.FieldByName(u"note")->SetAsString(u"Стара");
  data.Post();
  form->Show();
  EXPECT_EQ(memo->Text(), u"Стара");
  memo->SetFocus();
  Key(VK_END);
  Type(u" белешка");
  Application->ProcessMessages();
  EXPECT_EQ(data.State(), dsEdit) << "typing puts the dataset into edit";
  data.Post();
  EXPECT_EQ(data.FieldByName(u"note")->AsString(), u"Стара белешка");
  data.Next();
  EXPECT_EQ(memo->Text(), u"");

  // A source that may not edit refuses typing.
  source.SetAutoEdit(false);
  memo->SetFocus();
  Type(u"x");
  Application->ProcessMessages();
  EXPECT_EQ(memo->Text(), u"");
  EXPECT_EQ(data.State(), dsBrowse);
}

TEST_F(DBControls, TheLookupShowsTheReferencedRowAndAChoiceWritesItsKey) {
  TScriptedDataSet clients{nullptr, {{u"id", ftInteger}, {u"full_name", ftWideString, 40}}};
  clients.AddRow({TDS::Cell(int32_t{7}), TDS::WideText(u"Фондација")});
  clients.AddRow({TDS::Cell(int32_t{9}), TDS::WideText(u"Друштво")});
  TDataSource clientSource{nullptr};
  clientSource.SetDataSet(&clients);
  clients.Open();
  clients.Last();

  auto* lookup = new TDBLookupComboBox(form);
  lookup->SetParent(form);
  lookup->SetBounds(10, 10, 200, 24);
  lookup->SetListSource(&clientSource);
  lookup->SetKeyField(u"id");
  lookup->SetListField(u"full_name");
  lookup->SetDataSource(&source);
  lookup->SetDataField(u"client_id");
  data.Open();
  form->Show();
  EXPECT_EQ(clients.FieldByName(u"id")->AsInteger(), 9) << "reading the list keeps its cursor";
  ASSERT_EQ(lookup->Items()->Count(), 2);
  EXPECT_EQ(lookup->ItemIndex(), -1) << "an empty reference shows no row";

  data.Edit();
  data.FieldByName(u"client_id")->SetAsInteger(9);
  EXPECT_EQ(lookup->Text(), u"Друштво");
  data.Cancel();
  EXPECT_EQ(lookup->ItemIndex(), -1);

  lookup->SetFocus();
  Key(VK_DOWN);  // the first row is chosen with the keyboard
  Application->ProcessMessages();
  EXPECT_EQ(data.State(), dsEdit);
  EXPECT_EQ(data.FieldByName(u"client_id")->AsInteger(), 7);
  EXPECT_EQ(lookup->KeyValue().AsInteger(), 7);
  data.Post();
  EXPECT_EQ(data.FieldByName(u"client_id")->AsInteger(), 7);

  // A row added to the list is offered at once.
  clients.Append();
  clients.FieldByName(u"id")->SetAsInteger(11);
  clients.FieldByName(u"full_name")->SetAsString(u"Нов");
  clients.Post();
  EXPECT_EQ(lookup->Items()->Count(), 3);
}

TEST_F(DBControls, ALookupOfSeveralListFieldsShowsThemSideBySideAndSkipsEmptyOnes) {
  TScriptedDataSet clients{nullptr,
                           {{u"id", ftInteger},
                            {u"full_name", ftWideString, 40},
                            {u"address", ftWideString, 40}}};
  clients.AddRow({TDS::Cell(int32_t{7}), TDS::WideText(u"Фондација"), TDS::WideText(u"Скопје")});
  clients.AddRow({TDS::Cell(int32_t{9}), TDS::WideText(u"Друштво"), TDS::Null()});
  TDataSource clientSource{nullptr};
  clientSource.SetDataSet(&clients);
  clients.Open();
  auto* lookup = new TDBLookupComboBox(form);
  lookup->SetParent(form);
  lookup->SetListSource(&clientSource);
  lookup->SetKeyField(u"id");
  lookup->SetListField(u"full_name; address;unknown");
  lookup->SetDataSource(&source);
  lookup->SetDataField(u"client_id");
  data.Open();
  ASSERT_EQ(lookup->Items()->Count(), 2);
  EXPECT_EQ(lookup->Items()->Strings(0), u"Фондација \u2014 Скопје");
  EXPECT_EQ(lookup->Items()->Strings(1), u"Друштво");
  data.Edit();
  data.FieldByName(u"client_id")->SetAsInteger(7);
  EXPECT_EQ(lookup->KeyValue().AsInteger(), 7);
  data.Cancel();
}

TEST_F(DBControls, TheDatePickerShowsItsFieldAndAChangedDateKeepsTheTimeOfDay) {
  TScriptedDataSet events{nullptr, {{u"id", ftInteger}, {u"event_date", ftDateTime}}};
  const TDateTime start = EncodeDate(2024, 3, 7) + EncodeTime(18, 30, 0, 0);
  events.AddRow({TDS::Cell(int32_t{1}), TDS::Null()});
  TDataSource eventSource{nullptr};
  eventSource.SetDataSet(&events);
  auto* picker = new TDBDateTimePicker(form);
  picker->SetParent(form);
  picker->SetBounds(10, 10, 160, 24);
  picker->SetDataSource(&eventSource);
  picker->SetDataField(u"event_date");
  events.Open();
  events.Edit();
  events.FieldByName(u"event_date")->SetAsDateTime(start);
  events.Post();
  form->Show();
  EXPECT_EQ(picker->Date(), EncodeDate(2024, 3, 7));
  EXPECT_EQ(events.State(), dsBrowse) << "showing the value is no edit";

  picker->SetFocus();
  Key(VK_UP);  // the first field of the date steps up
  Application->ProcessMessages();
  ASSERT_EQ(events.State(), dsEdit);
  const TDateTime changed = events.FieldByName(u"event_date")->AsDateTime();
  EXPECT_NE(std::floor(changed), std::floor(start));
  EXPECT_NEAR(changed - std::floor(changed), start - std::floor(start), 1e-6);
}

}  // namespace
