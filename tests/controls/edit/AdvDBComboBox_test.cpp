// The flat combo box and the data-aware combo box with stored values over a scripted dataset.
#include "controls/edit/AdvDBComboBox.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DrawingLog.h"
#include "platform/gdi/Gdi.h"
#include "platform/ui/ExtCtrls.h"
#include "tests/controls/edit/AdvEditTestSupport.h"
#include "tests/support/ScriptedDataSet.h"

namespace {

using namespace advedit_test;
using TData = TScriptedDataSet;

std::vector<std::string> StoredOfEvery(TAdvDBComboBoxStrings* items) {
  std::vector<std::string> out;
  for (int i = 0; i < items->Count(); ++i)
    out.push_back(UTF8Encode(items->Strings(i)) + "=" + UTF8Encode(items->StoredOfItem(i)));
  return out;
}

TEST(AdvDBComboBoxStrings, StoredValuesFollowTheirItems) {
  struct TCase {
    const char* Name;
    std::function<void(TAdvDBComboBoxStrings&)> Change;
    std::vector<std::string> Expected;
  } cases[] = {
      {"Add", [](TAdvDBComboBoxStrings& s) { s.Add(u"Close"); },
       {"Active=1", "Not Active=2", "Close=Close"}},
      {"InsertAtZero", [](TAdvDBComboBoxStrings& s) { s.Insert(0, u"Close"); },
       {"Close=Close", "Active=1", "Not Active=2"}},
      {"DeleteZero", [](TAdvDBComboBoxStrings& s) { s.Delete(0); }, {"Not Active=2"}},
      {"Sorted",
       [](TAdvDBComboBoxStrings& s) {
         s.Insert(0, u"Zeta");
         s.SetStored(0, u"9");
         s.SetSorted(true);
       },
       {"Active=1", "Not Active=2", "Zeta=9"}},
      {"Exchange", [](TAdvDBComboBoxStrings& s) { s.Exchange(0, 1); },
       {"Not Active=2", "Active=1"}},
      {"Move", [](TAdvDBComboBoxStrings& s) { s.Move(1, 0); }, {"Not Active=2", "Active=1"}},
      {"Assign",
       [](TAdvDBComboBoxStrings& s) {
         TAdvDBComboBoxStrings other;
         other.Add(u"Да");
         other.Add(u"Не");
         other.AddStored(u"Y");
         other.AddStored(u"N");
         s.Assign(&other);
       },
       {"Да=Y", "Не=N"}},
      {"AssignPlainStrings",
       [](TAdvDBComboBoxStrings& s) {
         TStringList plain;
         plain.Add(u"x");
         s.Assign(&plain);
       },
       {"x=x"}},
      {"ValuesGivenBeforeTheirItems",
       [](TAdvDBComboBoxStrings& s) {
         s.Clear();
         s.AddStored(u"a");
         s.AddStored(u"b");
         s.Add(u"A");
         s.Add(u"B");
       },
       {"A=a", "B=b"}},
  };
  for (TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TAdvDBComboBoxStrings items;
    items.Add(u"Active");
    items.Add(u"Not Active");
    items.AddStored(u"1");
    items.AddStored(u"2");
    c.Change(items);
    EXPECT_EQ(StoredOfEvery(&items), c.Expected);
  }
  TAdvDBComboBoxStrings items;
  items.Add(u"Active");
  items.AddStored(u"1");
  items.Add(u"Closed");
  EXPECT_EQ(items.IndexOfStored(u"1"), 0);
  EXPECT_EQ(items.IndexOfStored(u"CLOSED"), 1) << "an item without its own value stores its text";
  EXPECT_EQ(items.IndexOfStored(u"9"), -1);
}

class DBComboTest : public TAdvEditTest {
 public:
  DBComboTest() {
    Data.AddRow({TData::Cell(int32_t{2}), TData::WideText(u"Active")});
    Data.AddRow({TData::Cell(int32_t{9}), TData::WideText(u"Closed")});
    Source.SetDataSet(&Data);
    Data.Open();
    Combo = new TAdvDBComboBox(Form);
    Combo->SetBounds(160, 160, 200, 24);
    Combo->SetParent(Form);
    Combo->SetStyle(csDropDownList);
    for (const char16_t* item : {u"Active", u"Not Active", u"Close"}) Combo->Items()->Add(item);
    for (const char16_t* stored : {u"1", u"2", u"3"}) Combo->ComboItems()->AddStored(stored);
    Combo->SetDataSource(&Source);
    Combo->SetDataField(u"ACTIVE");
  }
  TData Data{nullptr, {{u"ACTIVE", ftInteger}, {u"STATUS", ftWideString, 20}}};
  TDataSource Source{nullptr};
  TAdvDBComboBox* Combo = nullptr;
};

TEST_F(DBComboTest, TheFieldsStoredValueShowsItsItemAndAChoiceWritesItsValue) {
  EXPECT_EQ(Combo->ItemIndex(), 1);
  EXPECT_EQ(Combo->GetComboText(), u"Not Active");
  EXPECT_EQ(reinterpret_cast<TFieldDataLink*>(Combo->Perform(CM_GETDATALINK)), Combo->DataLink());
  Focus(Combo);
  PressKey(VK_UP);
  EXPECT_EQ(Combo->GetComboText(), u"Active");
  EXPECT_EQ(Data.State(), dsEdit);
  Data.Post();
  EXPECT_EQ(Data.FieldByName(u"ACTIVE")->AsString(), u"1");
  // A value no item stores selects nothing.
  Data.Next();
  EXPECT_EQ(Combo->ItemIndex(), -1);
  EXPECT_EQ(Combo->GetComboText(), u"");
  // Escape after a change shows the field's value again.
  Data.First();
  PressKey(VK_DOWN);
  EXPECT_EQ(Combo->GetComboText(), u"Not Active");
  PressKey(VK_ESCAPE);
  EXPECT_EQ(Combo->GetComboText(), u"Active");
  Data.Cancel();
  Data.Close();
  EXPECT_EQ(Combo->ItemIndex(), -1);
}

TEST_F(DBComboTest, ItemsWithoutStoredValuesWriteTheirOwnText) {
  auto* status = new TAdvDBComboBox(Form);
  status->SetParent(Form);
  status->SetStyle(csDropDownList);
  status->Items()->Add(u"Active");
  status->Items()->Add(u"Closed");
  status->SetDataSource(&Source);
  status->SetDataField(u"STATUS");
  EXPECT_EQ(status->GetComboText(), u"Active");
  Focus(status);
  PressKey(VK_DOWN);
  Data.Post();
  EXPECT_EQ(Data.FieldByName(u"STATUS")->AsString(), u"Closed");
}

TEST_F(DBComboTest, AReadOnlyLinkIgnoresKeyChoices) {
  Combo->SetReadOnly(true);
  Focus(Combo);
  PressKey(VK_UP);
  PressKey(VK_DOWN);
  TypeKeys(u"C");
  EXPECT_EQ(Combo->GetComboText(), u"Not Active");
  EXPECT_EQ(Data.State(), dsBrowse);
}

TEST_F(DBComboTest, DroppingTheListEditsAndClosingItUnchosenShowsTheFieldAgain) {
  Form->Show();
  Focus(Combo);
  Combo->SetDroppedDown(true);
  EXPECT_EQ(Data.State(), dsEdit);
  Data.Cancel();
  EXPECT_EQ(Data.State(), dsBrowse);
  Combo->SetItemIndex(2);  // moved while the list showed, never chosen
  int dropUps = 0;
  Combo->OnDropUp = [&](TObject*) { ++dropUps; };
  Combo->SetDroppedDown(false);
  EXPECT_EQ(Combo->GetComboText(), u"Not Active");
  EXPECT_EQ(dropUps, 1);
}

TEST_F(DBComboTest, ImageItemsNeedAnOwnerDrawnStyleAndATextThatIsNoNumberDrawsNoImage) {
  TCustomImageList images(nullptr);
  images.SetSize(16, 16);
  TBitmap bitmap;
  bitmap.SetSize(16, 16);
  images.Add(&bitmap, nullptr);
  Combo->Items()->Clear();
  Combo->Items()->Add(u"0");
  Combo->Items()->Add(u"не е број");
  Combo->SetImages(&images);
  Combo->SetShowImages(true);
  EXPECT_EQ(Combo->Style(), csOwnerDrawFixed);
  try {
    Combo->SetStyle(csDropDownList);
    ADD_FAILURE() << "a plain style was taken";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(),
              u"Style must be csOwnerDrawFixed or csOwnerDrawVariable when ShowImages = True");
  }
  Form->Show();
  Focus(Combo);
  Combo->SetDroppedDown(true);
  ASSERT_NE(Combo->DropList(), nullptr);
  EXPECT_NO_THROW(Combo->DropList()->Repaint());
  Combo->SetDroppedDown(false);
  Combo->SetShowImages(false);
  EXPECT_EQ(Combo->Style(), csDropDown);
}

// --- The flat combo box --------------------------------------------------------------------------

TEST_F(DBComboTest, ButtonWidthFlatColoursAndTheSystemButton) {
  Combo->SetButtonWidth(40);
  EXPECT_NE(Combo->ButtonWidth(), 40);
  Combo->SetButtonWidth(20);
  EXPECT_EQ(Combo->ButtonWidth(), 20);

  auto* panel = new TPanel(Form);
  panel->SetBounds(0, 0, 400, 100);
  panel->SetColor(clMoneyGreen);
  panel->SetParent(Form);
  Combo->SetParent(panel);
  Combo->SetFlat(true);
  EXPECT_EQ(Combo->Color(), clMoneyGreen);
  Combo->SetEnabled(false);
  EXPECT_EQ(Combo->Color(), clMoneyGreen);
  Combo->SetEnabled(true);
  EXPECT_EQ(Combo->Color(), clMoneyGreen);

  // What is painted: the system's combo button, flat while enabled and inactive while disabled.
  auto buttonStates = [&] {
    TDrawingLog log;
    HDC dc = CreateRecordingDC(Combo->Width(), Combo->Height(), &log);
    Combo->PaintTo(dc, 0, 0);
    DeleteDC(dc);
    std::vector<uint32_t> states;
    for (const TDrawingCall& call : log.Named("DrawFrameControl")) states.push_back(call.Flags);
    return states;
  };
  std::vector<uint32_t> enabled = buttonStates();
  ASSERT_FALSE(enabled.empty());
  EXPECT_TRUE(enabled.front() & DFCS_FLAT);
  EXPECT_FALSE(enabled.front() & DFCS_INACTIVE);
  Combo->SetEnabled(false);
  std::vector<uint32_t> disabled = buttonStates();
  ASSERT_FALSE(disabled.empty());
  EXPECT_TRUE(disabled.front() & DFCS_INACTIVE);
}

TEST_F(DBComboTest, TheLabelTakesEachOfItsThirteenPlaces) {
  Combo->SetBounds(162, 100, 200, 24);
  Combo->SetLabelCaption(u"Статус");
  TLabel* label = Combo->ComboLabel();
  ASSERT_NE(label, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, label->Font()->Handle());
  TSize text{};
  GetTextExtentPoint32(dc, u"Статус", &text);
  DeleteDC(dc);
  const int w = text.cx, lw = label->Width(), lh = label->Height();
  struct TCase {
    AdvCombo::TLabelPosition Position;
    int Left, Top;
  } cases[] = {
      {AdvCombo::TLabelPosition::lpLeftTop, 162 - w - 4, 100},
      {AdvCombo::TLabelPosition::lpLeftCenter, 162 - w - 4, 100 + (24 - lh) / 2},
      {AdvCombo::TLabelPosition::lpLeftBottom, 162 - w - 4, 124 - lh},
      {AdvCombo::TLabelPosition::lpTopLeft, 162, 100 - lh - 4},
      {AdvCombo::TLabelPosition::lpBottomLeft, 162, 128},
      {AdvCombo::TLabelPosition::lpLeftTopLeft, 158, 100},
      {AdvCombo::TLabelPosition::lpLeftCenterLeft, 158, 100 + (24 - lh) / 2},
      {AdvCombo::TLabelPosition::lpLeftBottomLeft, 158, 124 - lh},
      {AdvCombo::TLabelPosition::lpTopCenter, 162 + (200 - lw) / 2, 100 - lh - 4},
      {AdvCombo::TLabelPosition::lpBottomCenter, 162 + (200 - lw) / 2, 128},
      {AdvCombo::TLabelPosition::lpRightTop, 366, 100},
      {AdvCombo::TLabelPosition::lpRightCenter, 366, 100 + (24 - lh) / 2},
      {AdvCombo::TLabelPosition::lpRighBottom, 366, 124 - lh},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.Position));
    Combo->SetLabelPosition(c.Position);
    EXPECT_EQ(label->Left(), c.Left);
    EXPECT_EQ(label->Top(), c.Top);
  }
  Combo->Hide();
  EXPECT_FALSE(label->Visible());
}

}  // namespace
