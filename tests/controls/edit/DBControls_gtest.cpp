// The data-aware edit, a flat combo box and the data-aware combo box on a real X server, with
// their labels, closed and dropped.
#include "controls/edit/AdvDBComboBox.h"
#include "controls/edit/DBAdvEd.h"
#include "platform/rtl/UnicodeText.h"
#include "platform/ui/ExtCtrls.h"
#include "tests/support/ScriptedDataSet.h"
#include "tests/support/X11Gui.h"

namespace {

using namespace x11gui;
using TData = TScriptedDataSet;

class DBControlsGui : public TX11GuiTest {};

TEST_F(DBControlsGui, EditAndCombosWithTheirLabelsClosedAndDropped) {
  TData data{nullptr, {{u"NAME", ftWideString, 100}, {u"ACTIVE", ftInteger}}};
  data.AddRow({TData::WideText(u"Ана Петровска"), TData::Cell(int32_t{2})});
  TDataSource source{nullptr};
  source.SetDataSet(&data);
  data.Open();

  TForm* form = nullptr;
  Application->CreateForm(form);
  form->SetCaption(u"Корисник");
  form->SetBounds(40, 40, 520, 300);
  auto* name = new TDBAdvEdit(form);
  name->SetBounds(20, 40, 220, 24);
  name->SetParent(form);
  name->SetDataSource(&source);
  name->SetDataField(u"NAME");
  name->SetLabelCaption(u"Име и презиме");
  name->SetLabelPosition(AdvEdit::TLabelPosition::lpTopLeft);

  auto* panel = new TPanel(form);
  panel->SetBounds(260, 10, 240, 90);
  panel->SetColor(clMoneyGreen);
  panel->SetParent(form);
  auto* flat = new TAdvCustomCombo(form);
  flat->SetBounds(20, 40, 200, 24);
  flat->SetParent(panel);
  flat->SetStyle(csDropDownList);
  for (const char16_t* item : {u"Скопје", u"Битола", u"Охрид"}) flat->Items()->Add(item);
  flat->SetItemIndex(0);
  flat->SetFlat(true);
  flat->SetLabelCaption(u"Град");
  flat->SetLabelPosition(AdvCombo::TLabelPosition::lpTopLeft);

  auto* active = new TAdvDBComboBox(form);
  active->SetBounds(20, 120, 220, 24);
  active->SetParent(form);
  active->SetStyle(csDropDownList);
  for (const char16_t* item : {u"Активен", u"Неактивен", u"Затворен"}) active->Items()->Add(item);
  for (const char16_t* stored : {u"1", u"2", u"3"}) active->ComboItems()->AddStored(stored);
  active->SetDataSource(&source);
  active->SetDataField(u"ACTIVE");
  active->SetLabelCaption(u"Статус");
  active->SetLabelPosition(AdvCombo::TLabelPosition::lpTopLeft);

  form->Show();
  Window window = XWindowOf(form);
  ASSERT_TRUE(PumpUntil([&] { return Viewable(window); }));
  PumpBriefly();
  EXPECT_EQ(active->GetComboText(), u"Неактивен");

  cairo_surface_t* shot = Screenshot(Test, window, ScreenshotPath("db-edit-combos.png"));
  ASSERT_NE(shot, nullptr);
  TPoint inFlat{panel->Left() + flat->Left() + 150, panel->Top() + flat->Top() + 12};
  EXPECT_EQ(PixelAt(shot, inFlat.X, inFlat.Y), Rgb(clMoneyGreen)) << "the flat combo's colour";
  for (TControl* label : {static_cast<TControl*>(name->EditLabel()),
                          static_cast<TControl*>(active->ComboLabel())})
    EXPECT_GT(DarkPixels(shot, label->BoundsRect()), 5);
  EXPECT_GT(DarkPixels(shot, {name->Left() + 3, name->Top() + 3, name->Left() + 120,
                              name->Top() + 21}),
            10)
      << "the Cyrillic name";
  cairo_surface_destroy(shot);

  // Each combo dropped in turn; the list is a window of its own, so the root is shot.
  int index = 0;
  for (TAdvCustomCombo* combo : {flat, static_cast<TAdvCustomCombo*>(active)}) {
    combo->SetFocus();
    combo->SetDroppedDown(true);
    ASSERT_TRUE(PumpUntil([&] { return combo->DroppedDown() && combo->DropList(); }));
    PumpBriefly();
    TPoint boxBottom = RootPointOf(form, combo, {0, combo->Height()});
    std::string file = index == 0 ? "db-combo-dropped-flat.png" : "db-combo-dropped.png";
    cairo_surface_t* root = Screenshot(Test, DefaultRootWindow(Test), ScreenshotPath(file));
    ASSERT_NE(root, nullptr);
    // The rows are below the box: text ink in the band under it, within the box's width.
    EXPECT_GT(DarkPixels(root, {boxBottom.X + 2, boxBottom.Y + 2, boxBottom.X + combo->Width() - 4,
                                boxBottom.Y + 3 * 16}),
              20);
    cairo_surface_destroy(root);
    combo->SetDroppedDown(false);
    ++index;
  }
}

}  // namespace
