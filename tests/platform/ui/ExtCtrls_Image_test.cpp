#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/Jpeg.h"
#include "platform/rtl/UnicodeText.h"
#include "platform/ui/ExtCtrls.h"
#include "tests/support/UiTestSupport.h"

namespace {

using uitest::TUiTest;

String Fixture(const std::string& name) {
  std::string here = __FILE__;
  std::string tests = here.substr(0, here.find_last_of('/'));
  tests = tests.substr(0, tests.find_last_of('/'));
  return UTF8ToString(tests + "/gdi/fixtures/" + name);
}

// A bitmap whose left half is one colour and right half another.
void TwoColours(TBitmap& bitmap, int width, int height, TColor left, TColor right) {
  bitmap.SetSize(width, height);
  bitmap.Canvas()->Brush()->SetColor(left);
  bitmap.Canvas()->FillRect(Rect(0, 0, width / 2, height));
  bitmap.Canvas()->Brush()->SetColor(right);
  bitmap.Canvas()->FillRect(Rect(width / 2, 0, width, height));
}

class ImageTest : public TUiTest {
 public:
  ImageTest() {
    Application->CreateForm(Form);
    Form->SetBounds(100, 100, 400, 300);
    Form->SetColor(clBtnFace);
    Image = new TImage(Form);
    Image->SetParent(Form);
    Image->SetBounds(10, 10, 100, 100);
  }
  COLORREF PixelAt(int x, int y) {
    HDC dc = GetDC(Form->Handle());
    COLORREF c = GetPixel(dc, Image->Left() + x, Image->Top() + y);
    ReleaseDC(Form->Handle(), dc);
    return c;
  }
  TForm* Form = nullptr;
  TImage* Image = nullptr;
};

TEST_F(ImageTest, DestRectFollowsStretchProportionalAndCenter) {
  struct Case {
    int Width, Height;
    bool Stretch, Proportional, Center;
    TRect Expected;
  };
  const Case cases[] = {
      {200, 100, false, false, false, {0, 0, 200, 100}},  // as it is, cut by the control
      {200, 100, true, false, false, {0, 0, 100, 100}},   // stretched over the whole control
      {200, 100, false, true, false, {0, 0, 100, 50}},    // too large: shrunk, aspect kept
      {200, 100, false, true, true, {0, 25, 100, 75}},
      {50, 200, true, true, true, {37, 0, 62, 100}},
      {40, 20, false, true, false, {0, 0, 40, 20}},       // small: not enlarged without Stretch
      {40, 20, true, true, false, {0, 0, 100, 50}},
      {40, 20, false, false, true, {30, 40, 70, 60}},
  };
  for (const Case& c : cases) {
    TBitmap bitmap;
    bitmap.SetSize(c.Width, c.Height);
    Image->Picture()->Assign(&bitmap);
    Image->SetStretch(c.Stretch);
    Image->SetProportional(c.Proportional);
    Image->SetCenter(c.Center);
    EXPECT_EQ(Image->DestRect(), c.Expected) << c.Width << "x" << c.Height << " " << c.Stretch << c.Proportional
                                             << c.Center;
  }
}

TEST_F(ImageTest, PaintsItsPictureStretchedAndLoadsJpeg) {
  TBitmap bitmap;
  TwoColours(bitmap, 4, 2, clRed, clBlue);
  Image->Picture()->Assign(&bitmap);
  Image->SetStretch(true);
  Form->Show();
  Form->Repaint();
  EXPECT_EQ(PixelAt(10, 50), ColorToRGB(clRed));
  EXPECT_EQ(PixelAt(90, 50), ColorToRGB(clBlue));
  // A JPEG compressed from a plain picture comes back close to its colour.
  TBitmap green;
  TwoColours(green, 16, 16, clLime, clLime);
  TJPEGImage jpeg;
  jpeg.Assign(&green);
  Image->Picture()->Assign(&jpeg);
  EXPECT_NE(dynamic_cast<TJPEGImage*>(Image->Picture()->Graphic()), nullptr);
  Form->Repaint();
  COLORREF c = PixelAt(50, 50);
  EXPECT_LT(std::abs(GetRValue(c) - 0), 16);
  EXPECT_GT(GetGValue(c), 239);
  EXPECT_LT(std::abs(GetBValue(c) - 0), 16);
  // A JPEG file: the kind follows the data.
  Image->Picture()->LoadFromFile(Fixture("pattern.jpg"));
  EXPECT_NE(dynamic_cast<TJPEGImage*>(Image->Picture()->Graphic()), nullptr);
  EXPECT_GT(Image->Picture()->Width(), 0);
  // Drawing on a JPEG is refused; an empty picture gets a bitmap of the control's size.
  EXPECT_THROW(Image->Canvas(), EInvalidOperation);
  Image->Picture()->Assign(nullptr);
  Image->Canvas()->Pixels(0, 0);
  EXPECT_EQ(Image->Picture()->Width(), 100);
}

TEST_F(ImageTest, AutoSizeTakesThePicturesSize) {
  Image->SetAutoSize(true);
  TBitmap bitmap;
  bitmap.SetSize(37, 21);
  Image->Picture()->Assign(&bitmap);
  EXPECT_EQ(Image->Width(), 37);
  EXPECT_EQ(Image->Height(), 21);
  // An empty picture leaves the size alone.
  Image->Picture()->Assign(nullptr);
  EXPECT_EQ(Image->Width(), 37);
}

}  // namespace
