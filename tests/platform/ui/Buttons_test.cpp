#include <gtest/gtest.h>

#include <cairo.h>

#include <cstring>

#include "platform/ui/Buttons.h"
#include "tests/support/UiTestSupport.h"

namespace {

using uitest::TUiTest;

class SpeedButtonTest : public TUiTest {
 public:
  SpeedButtonTest() {
    Application->CreateForm(Form);
    Form->SetBounds(100, 100, 300, 200);
    Form->Show();
  }
  TSpeedButton* Add(int left, int group, const std::string& name) {
    auto* button = new TSpeedButton(Form);
    button->SetBounds(left, 10, 25, 25);
    button->SetGroupIndex(group);
    button->SetParent(Form);
    button->OnClick = [this, name](TObject*) { Note(name); };
    return button;
  }
  // The pixel at a point of the form's client area, as painted.
  COLORREF PixelAt(TPoint client) {
    TPoint origin;
    cairo_surface_t* surface = GetWindowSurface(Form->Handle(), &origin);
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    TPoint at = Form->ClientToScreen(client);
    TRect window;
    GetWindowRect(Form->Handle(), &window);
    uint32_t pixel;
    std::memcpy(&pixel, data + (origin.Y + at.Y - window.Top) * stride + (origin.X + at.X - window.Left) * 4, 4);
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
  }
  TForm* Form = nullptr;
};

TEST_F(SpeedButtonTest, AGroupKeepsOneButtonDownAndAllowAllUpLetsItRise) {
  TSpeedButton* bold = Add(10, 1, "bold");
  TSpeedButton* italic = Add(40, 1, "italic");
  TSpeedButton* plain = Add(70, 0, "plain");
  Script().Then([&] { Click(bold); });
  Script().Then([&] { Click(italic); });
  Script().Then([&] { Click(italic); });  // the last down button of the group stays down
  Script().Then([&] { Click(plain); });   // outside the group, springs back
  RunScript();
  EXPECT_FALSE(bold->Down());
  EXPECT_TRUE(italic->Down());
  EXPECT_EQ(italic->State(), bsExclusive);
  EXPECT_FALSE(plain->Down());
  EXPECT_EQ(plain->State(), bsUp);
  EXPECT_EQ(Events, (std::vector<std::string>{"bold", "italic", "italic", "plain"}));

  // AllowAllUp is shared by the group: a click raises the down button.
  bold->SetAllowAllUp(true);
  EXPECT_TRUE(italic->AllowAllUp());
  Script().Then([&] { Click(italic); });
  RunScript();
  EXPECT_FALSE(italic->Down());
  EXPECT_FALSE(bold->Down());

  // By program: Down outside a group is refused; inside, it raises the others.
  plain->SetDown(true);
  EXPECT_FALSE(plain->Down());
  bold->SetDown(true);
  italic->SetDown(true);
  EXPECT_FALSE(bold->Down());
  EXPECT_TRUE(italic->Down());
}

TEST_F(SpeedButtonTest, APressReleasedOutsideTheButtonIsNoClick) {
  TSpeedButton* button = Add(10, 0, "click");
  Script().Then([&] {
    TPoint inside = CenterOf(button);
    InjectMouseMove(inside);
    InjectMouseButton(TMouseButtonId::Left, true, inside);
  });
  Script().Then([&] {
    EXPECT_EQ(button->State(), bsDown);
    TPoint outside = Form->ClientToScreen({200, 150});
    InjectMouseMove(outside);
    InjectMouseButton(TMouseButtonId::Left, false, outside);
  });
  RunScript();
  EXPECT_EQ(button->State(), bsUp);
  EXPECT_TRUE(Events.empty());
}

TEST_F(SpeedButtonTest, TheGlyphShowsTheImageOfEachStateWithItsCornerColourTransparent) {
  // Four 8x8 images side by side: up red, disabled gray, pressed blue, held green; each has a
  // white bottom-left corner, the transparent colour.
  TBitmap glyph(32, 8);
  const TColor colours[] = {clRed, clGray, clBlue, clLime};
  for (int i = 0; i < 4; ++i) {
    glyph.Canvas()->Brush()->SetColor(colours[i]);
    glyph.Canvas()->FillRect(Rect(i * 8, 0, i * 8 + 8, 8));
  }
  glyph.Canvas()->SetPixels(0, 7, clWhite);
  TSpeedButton* button = Add(10, 1, "b");
  button->SetGlyph(&glyph);
  EXPECT_EQ(button->NumGlyphs(), 4);
  button->SetAllowAllUp(true);
  TPoint center{10 + 12, 10 + 12};
  struct TCase {
    std::function<void()> Act;
    COLORREF Expected;
  } cases[] = {
      {[] {}, RGB(255, 0, 0)},
      {[&] { button->SetDown(true); }, RGB(0, 255, 0)},
      {[&] { button->SetEnabled(false); }, RGB(128, 128, 128)},
  };
  for (const TCase& c : cases) {
    c.Act();
    Script().Then([&] { Form->Repaint(); });
    RunScript();
    EXPECT_EQ(PixelAt(center), c.Expected);
  }
  // A glyph of two images has no held look of its own: the up image shows.
  button->SetEnabled(true);
  button->SetNumGlyphs(2);
  EXPECT_EQ(button->GlyphIndexFor(bsExclusive), 0);
  EXPECT_EQ(button->GlyphIndexFor(bsDisabled), 1);
}

}  // namespace
