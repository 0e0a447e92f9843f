// The smooth labels and panels on a real X server, saved as screenshots/smooth-labels.png and
// screenshots/smooth-panels.png: gradient captions in Cyrillic, a panel with its caption, an
// expander open and closed, and a button panel with buttons, badges and the focus.
#include "controls/graphics/AdvSmoothExpanderButtonPanel.h"
#include "controls/graphics/DBAdvSmoothLabel.h"
#include "tests/support/X11Gui.h"

namespace {

using namespace x11gui;

class SmoothControlsGui : public TX11GuiTest {
 public:
  TForm* NewForm(const String& caption, int width, int height) {
    TForm* form = nullptr;
    Application->CreateForm(form);
    form->SetCaption(caption);
    form->SetBounds(40, 40, width, height);
    form->SetColor(clWhite);
    return form;
  }
  cairo_surface_t* Shoot(TForm* form, const std::string& name) {
    form->Show();
    Window window = XWindowOf(form);
    EXPECT_TRUE(PumpUntil([&] { return Viewable(window); }));
    PumpBriefly();
    return Screenshot(Test, window, ScreenshotPath(name));
  }
};

TEST_F(SmoothControlsGui, LabelsDrawTheirGradientCaptions) {
  TForm* form = NewForm(u"Натписи", 520, 260);
  auto label = [&](const String& text, int top, int height) {
    auto* l = new TAdvSmoothLabel(form);
    l->SetBounds(10, top, 500, height);
    l->SetParent(form);
    l->Caption()->Font()->SetSize(12);
    l->Caption()->SetColorStart(clNavy);
    l->Caption()->SetColorEnd(clBlack);
    l->Caption()->SetText(text);
    return l;
  };
  TAdvSmoothLabel* credit =
      label(u"Софтверот е изработен за потребите на Велтора \"Завел Тремаволт\"", 10, 60);
  credit->SetWordWrap(true);
  TAdvSmoothLabel* web = label(u"www.zaveltremavolt.org.mk", 80, 30);
  TAdvSmoothLabel* rights = label(u"© В.О. Завел Тремаволт. Сите права се задржани.", 120, 30);
  auto* heading = new TDBAdvSmoothLabel(form);
  heading->SetBounds(10, 170, 500, 50);
  heading->SetParent(form);
  heading->Caption()->SetText(u"НАЈАВА");
  heading->Caption()->Font()->SetStyle(TFontStyles{fsBold});
  heading->SetCaptionShadowVisible(true);
  heading->CaptionShadow()->SetColorStart(clSilver);
  heading->CaptionShadow()->SetColorEnd(clNone);

  cairo_surface_t* shot = Shoot(form, "smooth-labels.png");
  ASSERT_NE(shot, nullptr);
  for (TControl* l : {static_cast<TControl*>(credit), static_cast<TControl*>(web),
                      static_cast<TControl*>(rights), static_cast<TControl*>(heading)})
    EXPECT_GT(DarkPixels(shot, l->BoundsRect()), 20);
  // The wrapped credit line takes two lines: ink in its lower half too.
  TRect lower = credit->BoundsRect();
  lower.Top += 30;
  EXPECT_GT(DarkPixels(shot, lower), 20);
  // The transparent labels leave the form's white between their letters.
  EXPECT_EQ(PixelAt(shot, 505, 15), Rgb(clWhite));
  cairo_surface_destroy(shot);
}

TEST_F(SmoothControlsGui, PanelsExpandersAndButtons) {
  TForm* form = NewForm(u"Панели", 660, 430);
  auto* panel = new TAdvSmoothPanel(form);
  panel->SetBounds(10, 10, 300, 150);
  panel->SetParent(form);
  panel->SetComponentStyle(4);
  panel->Caption()->SetText(u"Панел со наслов");
  panel->Caption()->SetHTMLText(
      u"<b>Најавен</b> корисник: <a href=\"x\">профил</a><br>"
      u"<i>Здружение</i> &amp; <font color=\"clgreen\">членови</font>");

  auto* open = new TAdvSmoothExpanderPanel(form);
  open->SetBounds(330, 10, 300, 120);
  open->SetParent(form);
  open->SetComponentStyle(0);
  open->Caption()->SetText(u"  Отворен");
  auto* closed = new TAdvSmoothExpanderPanel(form);
  closed->SetBounds(330, 150, 300, 120);
  closed->SetParent(form);
  closed->SetComponentStyle(16);
  closed->Caption()->SetText(u"  Затворен");

  auto* buttons = new TAdvSmoothExpanderButtonPanel(form);
  buttons->SetBounds(10, 180, 310, 200);
  buttons->SetParent(form);
  buttons->SetComponentStyle(1);
  buttons->SetTabStop(true);
  buttons->Caption()->SetText(u"  Копчиња");
  for (const char16_t* caption : {u"Настани", u"Задачи", u"Тимови", u"Членови", u"Лица"})
    buttons->Buttons()->Add()->SetCaption(caption);
  buttons->Buttons()->Items(1)->SetStatusCaption(u"3");
  buttons->Buttons()->Items(3)->SetStatusCaption(u"12");
  buttons->ButtonStatus()->SetVisible(true);
  buttons->ButtonStatus()->Appearance()->Fill()->SetColor(clRed);
  buttons->ButtonStatus()->Appearance()->Fill()->SetGradientType(gtSolid);
  buttons->ButtonStatus()->Appearance()->Font()->SetColor(clWhite);
  buttons->Buttons()->Items(4)->SetEnabled(false);

  form->Show();
  ASSERT_TRUE(PumpUntil([&] { return Viewable(XWindowOf(form)); }));
  closed->SetExpanded(false);
  ASSERT_TRUE(PumpUntil([&] { return !closed->Animating(); }));
  buttons->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return buttons->HasFocus(); }));
  cairo_surface_t* shot = Shoot(form, "smooth-panels.png");
  ASSERT_NE(shot, nullptr);
  EXPECT_EQ(closed->Height(), 32);
  EXPECT_EQ(open->Height(), 120);
  for (TControl* c : {static_cast<TControl*>(panel), static_cast<TControl*>(open),
                      static_cast<TControl*>(buttons)})
    EXPECT_GT(DarkPixels(shot, c->BoundsRect()), 20);
  // The collapsed panel leaves the form white where it was.
  EXPECT_EQ(PixelAt(shot, 480, 250), Rgb(clWhite));
  // The HTML caption is drawn under the caption text, inside the panel.
  TRect html = panel->HTMLRect();
  EXPECT_GT(html.Top, 15);
  OffsetRect(html, panel->Left(), panel->Top());
  EXPECT_GT(DarkPixels(shot, html), 20);
  // Style 4's body colour inside the plain panel.
  EXPECT_NE(PixelAt(shot, 150, 120), Rgb(clWhite));
  cairo_surface_destroy(shot);
}

}  // namespace
