// The grid's cell editors on a real X server: every kind side by side in their looks, and the
// Unicode editors with Cyrillic typed through the server's keyboard and a dropped list.
#include "controls/grid/ASGEdit.h"
#include "controls/grid/AsgCombo.h"
#include "controls/grid/AsgDateTimePicker.h"
#include "controls/grid/AsgUni.h"
#include "controls/grid/asgspin.h"
#include "platform/rtl/UnicodeText.h"
// The runtime's Time() and the X headers' Time type share a name: the X one is renamed here.
#define Time XTime
#include "tests/support/X11Gui.h"
#undef Time

namespace {

using namespace x11gui;

class AsgEditorsGui : public TX11GuiTest {
 public:
  template <class T>
  T* Add(TRect bounds) {
    auto* control = new T(Form);
    control->SetBoundsRect(bounds);
    control->SetParent(Form);
    return control;
  }
  // Where a control's point lies in a screenshot of the form.
  TPoint InShot(TControl* control, TPoint local) {
    TPoint screen = control->ClientToScreen(local);
    TPoint origin = Form->ClientToScreen({0, 0});
    return {screen.X - origin.X, screen.Y - origin.Y};
  }
  TForm* Form = nullptr;
};

TEST_F(AsgEditorsGui, EveryEditorInItsLooks) {
  Application->CreateForm(Form);
  Form->SetCaption(u"Уредувачи на ќелии");
  Form->SetBounds(10, 40, 770, 260);

  // Spin editors: the four kinds; coloured halves and a horizontal pair.
  auto* spinInt = Add<TAsgSpinEdit>(Bounds(10, 20, 150, 25));
  spinInt->SetValue(42);
  spinInt->Button()->ButtonColor = clSkyBlue;
  spinInt->Button()->ButtonColorHot = clCream;
  auto* spinFloat = Add<TAsgSpinEdit>(Bounds(10, 60, 150, 25));
  spinFloat->SetSpinType(asgspin::sptFloat);
  spinFloat->SetPrecision(2);
  spinFloat->SetFloatValue(3.5);
  spinFloat->SetDirection(asgspin::spHorizontal);
  auto* spinDate = Add<TAsgSpinEdit>(Bounds(10, 100, 150, 25));
  spinDate->SetSpinType(asgspin::sptDate);
  spinDate->SetDateValue(EncodeDate(2026, 12, 11));
  auto* spinTime = Add<TAsgSpinEdit>(Bounds(10, 140, 150, 25));
  spinTime->SetSpinType(asgspin::sptTime);
  spinTime->SetTimeValue(EncodeTime(23, 50, 0, 0));

  // Edits with a button: a caption, a glyph, a coloured face; and the unit edit.
  auto* caption = Add<TAsgEditBtn>(Bounds(175, 20, 165, 25));
  caption->SetText(u"Петар");
  caption->SetButtonWidth(48);
  caption->SetButtonCaption(u"Избор");
  auto* glyphed = Add<TAsgEditBtn>(Bounds(175, 60, 165, 25));
  glyphed->SetText(u"Ѓорѓи");
  TBitmap glyph(9, 9);
  glyph.Canvas()->Brush()->SetColor(clWhite);
  glyph.Canvas()->FillRect(Rect(0, 0, 9, 9));
  glyph.Canvas()->Brush()->SetColor(clMaroon);
  glyph.Canvas()->FillRect(Rect(1, 3, 8, 6));
  glyphed->SetGlyph(&glyph);
  auto* coloured = Add<TAsgEditBtn>(Bounds(175, 100, 165, 25));
  coloured->SetText(u"Обоено");
  coloured->Button()->ButtonColor = clMoneyGreen;
  coloured->SetButtonCaption(u"…");
  auto* units = Add<TAsgUnitEditBtn>(Bounds(175, 140, 165, 25));
  for (const char16_t* unit : {u"м", u"см", u"км"}) units->Units()->Add(unit);
  units->SetTextWithUnit(u"12,5см");

  // Combos: plain, flat, coloured (made hot below), with a label, disabled.
  auto addCombo = [&](TRect bounds, const String& text) {
    auto* combo = Add<TAsgComboBox>(bounds);
    for (const char16_t* item : {u"Скопје", u"Битола", u"Охрид"}) combo->Items()->Add(item);
    combo->SetText(text);
    return combo;
  };
  addCombo(Bounds(360, 20, 170, 24), u"Скопје");
  auto* flat = addCombo(Bounds(360, 60, 170, 24), u"Битола");
  flat->SetFlat(true);
  auto* hot = addCombo(Bounds(360, 100, 170, 24), u"Охрид");
  hot->ButtonColor = clSkyBlue;
  hot->ButtonColorHot = clYellow;
  hot->ButtonColorDown = clNavy;
  hot->ButtonBorderColor = clNavy;
  hot->ButtonTextColor = clNavy;
  hot->SetBorderColor(clNavy);
  auto* labelled = addCombo(Bounds(420, 140, 110, 24), u"Струга");
  labelled->SetLabelCaption(u"Град:");
  labelled->SetLabelPosition(AsgCombo::lpLeftCenter);
  auto* disabled = addCombo(Bounds(360, 180, 170, 24), u"Кичево");
  disabled->SetEnabled(false);

  // Pickers: the platform's look, the tones look, and a time in tones.
  auto* plainPicker = Add<TAsgDateTimePicker>(Bounds(550, 20, 190, 24));
  plainPicker->SetDateTime(EncodeDate(2026, 12, 11));
  auto* tones = Add<TAsgDateTimePicker>(Bounds(550, 60, 190, 24));
  tones->SetDateTime(EncodeDate(2026, 12, 11));
  tones->SetTonesStyle(true);
  tones->ButtonColor = clSkyBlue;
  tones->ButtonBorderColor = clNavy;
  tones->ButtonTextColor = clNavy;
  tones->SetBorderColor(clNavy);
  auto* time = Add<TAsgDateTimePicker>(Bounds(550, 100, 190, 24));
  time->SetKind(dtkTime);
  time->SetDateTime(EncodeTime(9, 30, 0, 0));
  time->SetTonesStyle(true);
  time->ButtonColor = clSkyBlue;
  time->SetBorderColor(clNavy);

  Form->Show();
  Window window = XWindowOf(Form);
  ASSERT_TRUE(PumpUntil([&] { return Viewable(window); }));
  // The mouse over the coloured combo's button makes it hot.
  XTestFakeMotionEvent(Test, -1, RootPointOf(Form, hot, {hot->Width() - 8, 12}).X,
                       RootPointOf(Form, hot, {hot->Width() - 8, 12}).Y, CurrentTime);
  XSync(Test, False);
  ASSERT_TRUE(PumpUntil([&] { return hot->ButtonHot(); }));
  PumpBriefly();

  cairo_surface_t* shot = Screenshot(Test, window, ScreenshotPath("grid-editors.png"));
  ASSERT_NE(shot, nullptr);
  TPoint p = InShot(hot, {hot->Width() - 6, 6});
  EXPECT_EQ(PixelAt(shot, p.X, p.Y), Rgb(clYellow)) << "the hot coloured combo button";
  TAdvTimerSpeedButton* up = spinInt->Button()->UpButton();
  p = InShot(up, {2, 2});
  EXPECT_EQ(PixelAt(shot, p.X, p.Y), Rgb(clSkyBlue)) << "the coloured spin half";
  TAsgEditButton* face = coloured->Button();
  p = InShot(face, {2, face->Height() - 3});
  EXPECT_EQ(PixelAt(shot, p.X, p.Y), Rgb(clMoneyGreen)) << "the coloured button face";
  p = InShot(tones, {tones->Width() - 5, tones->Height() - 5});
  EXPECT_EQ(PixelAt(shot, p.X, p.Y), Rgb(clSkyBlue)) << "the tones button of a date";
  p = InShot(time, {time->Width() - 5, time->Height() - 5});
  EXPECT_NE(PixelAt(shot, p.X, p.Y), Rgb(clSkyBlue)) << "a time keeps its up-down part";
  p = InShot(tones, {0, 10});
  EXPECT_EQ(PixelAt(shot, p.X, p.Y), Rgb(clNavy)) << "the tones border";
  // Cyrillic text shows in ink where the editors hold it.
  for (TControl* control : std::vector<TControl*>{caption, glyphed, flat, labelled}) {
    TPoint a = InShot(control, {3, 4});
    EXPECT_GT(DarkPixels(shot, {a.X, a.Y, a.X + 40, a.Y + 15}), 10) << UTF8Encode(control->Name());
  }
  TRect unit = units->UnitRect();
  TPoint u = InShot(units, unit.TopLeft());
  EXPECT_GT(DarkPixels(shot, Bounds(u.X, u.Y, unit.Width(), unit.Height())), 10) << "the unit";
  TPoint l = InShot(labelled->ComboLabel(), {0, 0});
  EXPECT_GT(DarkPixels(shot, {l.X, l.Y, l.X + labelled->ComboLabel()->Width(),
                              l.Y + labelled->ComboLabel()->Height()}),
            5)
      << "the combo's label";
  cairo_surface_destroy(shot);
}

TEST_F(AsgEditorsGui, UnicodeEditorsTakeCyrillicFromTheKeyboardAndDropTheirList) {
  using namespace AsgUni;
  Application->CreateForm(Form);
  Form->SetCaption(u"Уникод");
  Form->SetBounds(40, 40, 520, 300);
  auto* edit = Add<TAsgUniEdit>(Bounds(20, 20, 220, 24));
  auto* memo = Add<TAsgUniMemo>(Bounds(260, 20, 240, 100));
  memo->SetText(u"Прв ред: Ћирилица\r\nВтор ред: Ωμέγα € 😀");
  auto* button = Add<TAsgUniEditBtn>(Bounds(20, 60, 220, 25));
  button->SetText(u"Љубица Џамбаз");
  button->SetButtonWidth(40);
  button->SetButtonCaption(u"Бирај");
  auto* combo = Add<TASGUniComboBox>(Bounds(20, 100, 220, 24));
  for (const char16_t* item : {u"Скопје", u"Битола", u"Охрид", u"Ѓевгелија", u"Штип"})
    combo->Items()->Add(item);

  Form->Show();
  Window window = XWindowOf(Form);
  ASSERT_TRUE(PumpUntil([&] { return Viewable(window); }));

  // Cyrillic through the server's keyboard into the edit, then into the combo's edit part.
  ClickAt(RootPointOf(Form, edit, {20, 12}));
  ASSERT_TRUE(PumpUntil([&] { return edit->Focused(); }));
  for (KeySym sym :
       {XK_Cyrillic_TE, XK_Cyrillic_ie, XK_Cyrillic_ka, XK_Cyrillic_es, XK_Cyrillic_te})
    PressKeySym(sym);
  ASSERT_TRUE(PumpUntil([&] { return edit->Text() == u"Текст"; })) << UTF8Encode(edit->Text());
  ClickAt(RootPointOf(Form, combo, {20, 12}));
  ASSERT_TRUE(PumpUntil([&] { return combo->EditControl()->Focused(); }));
  std::vector<char16_t> heard;
  combo->OnKeyPress = [&](TObject*, char16_t& key) { heard.push_back(key); };
  for (KeySym sym : {XK_Cyrillic_A, XK_Cyrillic_en, XK_Cyrillic_a}) PressKeySym(sym);
  ASSERT_TRUE(PumpUntil([&] { return combo->Text() == u"Ана"; })) << UTF8Encode(combo->Text());
  EXPECT_EQ(String(heard.begin(), heard.end()), u"Ана") << "the combo hears its edit's keys";

  // The dropped list shows the wide items.
  ClickAt(RootPointOf(Form, combo, {combo->Width() - 8, 12}));
  ASSERT_TRUE(PumpUntil([&] { return combo->DroppedDown(); }));
  PumpBriefly();

  // The form and the list below the combo, as the screen shows them.
  int x = 0, y = 0;
  Window child = 0;
  XTranslateCoordinates(Test, window, DefaultRootWindow(Test), 0, 0, &x, &y, &child);
  TRect part = Bounds(x, y, Form->ClientWidth(), Form->ClientHeight());
  cairo_surface_t* shot = Screenshot(Test, DefaultRootWindow(Test),
                                     ScreenshotPath("grid-unicode-editors.png"), part);
  ASSERT_NE(shot, nullptr);
  TCustomListBox* list = combo->DropList();
  ASSERT_NE(list, nullptr);
  TPoint item = list->ClientToScreen({4, list->ItemRect(3).Top + 2});
  TPoint origin = Form->ClientToScreen({0, 0});
  EXPECT_GT(DarkPixels(shot, Bounds(item.X - origin.X, item.Y - origin.Y, 80, 14)), 10)
      << "the fourth item, Cyrillic, in the dropped list";
  for (TControl* control : std::vector<TControl*>{edit, memo, button}) {
    TPoint a = InShot(control, {3, 4});
    EXPECT_GT(DarkPixels(shot, {a.X, a.Y, a.X + 60, a.Y + 15}), 10) << "text in the editor";
  }
  cairo_surface_destroy(shot);
}

}  // namespace
