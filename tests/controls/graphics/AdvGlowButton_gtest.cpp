// Glow buttons on a real X server, in their looks side by side: normal, hot under the server's
// pointer, down, checked in a group, disabled, focused, with a picture and notes, and a split
// drop-down; saved as screenshots/glow-button.png.
#include "controls/graphics/AdvGlowButton.h"
#include "platform/rtl/Streams.h"
#include "tests/controls/graphics/GraphicsTestSupport.h"
#include "tests/support/X11Gui.h"

namespace {

using namespace x11gui;
using namespace AdvGlowButton;

class GlowButtonGui : public TX11GuiTest {};

TEST_F(GlowButtonGui, TheLooksOfTheButtonOnTheServer) {
  TForm* form = nullptr;
  Application->CreateForm(form);
  form->SetCaption(u"Копчиња");
  form->SetBounds(40, 40, 560, 240);
  form->SetColor(clBtnFace);
  auto add = [&](const String& caption, int left, int top, int width = 120) {
    auto* b = new TAdvGlowButton(form);
    b->SetBounds(left, top, width, 34);
    b->SetCaption(caption);
    b->SetTabStop(true);
    b->SetParent(form);
    return b;
  };
  TAdvGlowButton* normal = add(u"Нормално", 10, 10);
  TAdvGlowButton* hot = add(u"Под стрелка", 140, 10);
  TAdvGlowButton* down = add(u"Притиснато", 270, 10);
  down->SetStyle(bsCheck);
  down->SetDown(true);
  TAdvGlowButton* checked = add(u"Избрано", 400, 10);
  checked->SetGroupIndex(1);
  checked->SetDown(true);
  TAdvGlowButton* disabled = add(u"Оневозможено", 10, 60);
  disabled->SetEnabled(false);
  TAdvGlowButton* focused = add(u"Фокус", 140, 60);
  TAdvGlowButton* split = add(u"Мени", 270, 60);
  split->SetDropDownButton(true);
  TAdvGlowButton* cyrillic = add(u"ПОТВРДИ", 400, 60);
  TAdvGlowButton* picture = add(u"Слика", 10, 110, 250);
  picture->SetBounds(10, 110, 250, 56);
  TBytesStream stream(gdiptest::ReadFixture("pattern_rgba.png"));
  picture->Picture()->LoadFromStream(&stream);
  picture->Notes()->Add(u"Белешка под насловот");

  form->Show();
  Window window = XWindowOf(form);
  ASSERT_TRUE(PumpUntil([&] { return Viewable(window); }));
  focused->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return focused->Focused(); }));
  TPoint over = RootPointOf(form, hot, {60, 17});
  XTestFakeMotionEvent(Test, -1, over.X, over.Y, CurrentTime);
  XSync(Test, False);
  ASSERT_TRUE(PumpUntil([&] { return hot->Hot() && !hot->Fading(); }));
  PumpBriefly();

  cairo_surface_t* shot = Screenshot(Test, window, ScreenshotPath("glow-button.png"));
  ASSERT_NE(shot, nullptr);
  auto at = [&](TControl* c, int x, int y) { return PixelAt(shot, c->Left() + x, c->Top() + y); };
  // The default looks: a white upper half, the hot and down sets' own colours, the disabled grey.
  EXPECT_EQ(at(normal, 60, 4), Rgb(clWhite));
  EXPECT_NE(at(hot, 60, 4), Rgb(clWhite));
  EXPECT_NE(at(down, 60, 4), at(normal, 60, 4));
  EXPECT_NE(at(checked, 60, 4), at(normal, 60, 4));
  EXPECT_EQ(at(disabled, 60, 4), Rgb(0x00F2F2F2));
  EXPECT_EQ(at(focused, 1, 17), Rgb(0x00E4AD89)) << "the focus outline";
  // Every enabled caption has dark ink, the disabled one none.
  for (TAdvGlowButton* b : {normal, hot, down, checked, focused, cyrillic, picture})
    EXPECT_GT(DarkPixels(shot, b->BoundsRect()), 5) << UTF8Encode(b->Caption());
  EXPECT_EQ(DarkPixels(shot, disabled->BoundsRect()), 0);
  cairo_surface_destroy(shot);
}

}  // namespace
