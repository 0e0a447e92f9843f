#include "platform/gdi/ProgramResources.h"

#include <gtest/gtest.h>

#include "platform/gdi/Bitmap.h"
#include "platform/rtl/UnicodeText.h"

namespace {

TEST(ProgramResources, EveryNamedGlyphIsThereAtItsSize) {
  struct Case {
    const char16_t* name;
    int width, height;
  } cases[] = {
      {u"AsgSpinUp", 9, 6},        {u"AsgSpinDown", 9, 6},      {u"ASGFILT", 16, 16},
      {u"XPNODEC", 9, 9},          {u"XPNODEO", 9, 9},          {u"ASGLEAFCLOSE", 12, 12},
      {u"ASGLEAFOPEN", 12, 12},    {u"ASGCLOSE", 14, 14},       {u"INTLI1", 32, 32},
      {u"INTLI2", 32, 32},         {u"INTLI3", 32, 32},         {u"QEX_BOOK", 16, 16},
      {u"QEX_CUT", 16, 16},        {u"QEX_COPY", 16, 16},       {u"QEX_PASTE", 16, 16},
      {u"QEX_UNDO", 16, 16},       {u"QEX_REDO", 16, 16},       {u"AC_MINIARROW_DOWN", 7, 6},
      {u"AC_MINIARROW_UP", 7, 6},
  };
  for (const Case& c : cases) {
    TRasterImage image;
    ASSERT_TRUE(FindResourceImage(c.name, image)) << UTF8Encode(c.name);
    EXPECT_EQ(image.Width, c.width) << UTF8Encode(c.name);
    EXPECT_EQ(image.Height, c.height) << UTF8Encode(c.name);
    // A glyph shows something on its background.
    uint32_t background = image.At(0, image.Height - 1);
    int ink = 0;
    for (uint32_t p : image.Argb) ink += p != background;
    EXPECT_GT(ink, 3) << UTF8Encode(c.name);
  }
  // Check boxes and radio buttons in two looks and four states, all different.
  std::vector<std::vector<uint32_t>> seen;
  for (const char16_t* kind : {u"ASGCHK0", u"asgrad0"}) {
    for (char16_t n = u'1'; n <= u'8'; ++n) {
      TRasterImage image;
      ASSERT_TRUE(FindResourceImage(String(kind) + n, image));
      EXPECT_EQ(image.Width, 15);
      EXPECT_EQ(image.At(0, 0), image.At(0, 14));  // the same background for both transparency rules
      for (const auto& other : seen) EXPECT_NE(image.Argb, other);
      seen.push_back(image.Argb);
    }
  }
}

TEST(ProgramResources, BitmapsLoadByNameAndUnknownNamesRaise) {
  TBitmap bitmap;
  bitmap.LoadFromResourceName(nullptr, u"asgspinup");
  EXPECT_EQ(bitmap.Width(), 9);
  EXPECT_EQ(bitmap.Canvas()->Pixels(4, 1), clBlack);  // the arrow's tip
  EXPECT_EQ(bitmap.Canvas()->Pixels(0, 1), bitmap.Canvas()->Pixels(0, 5));
  try {
    bitmap.LoadFromResourceName(nullptr, u"NOSUCH");
    FAIL();
  } catch (const EResNotFound& e) {
    EXPECT_EQ(e.Message(), u"Resource NOSUCH not found");
  }
  RegisterResourceImage(u"MyGlyph", [] {
    TRasterImage image;
    image.Resize(3, 2, 0xFF123456);
    return image;
  });
  bitmap.LoadFromResourceName(nullptr, u"MYGLYPH");
  EXPECT_EQ(bitmap.Height(), 2);
  TBytes data;
  EXPECT_FALSE(FindResourceData(u"anything", data));
  RegisterResourceData(u"Blob", {1, 2, 3});
  ASSERT_TRUE(FindResourceData(u"blob", data));
  EXPECT_EQ(data.size(), 3u);
}

TEST(ProgramResources, CursorsHaveTheirHotSpots) {
  struct Case {
    int id;
    TPoint hot;
  } cases[] = {{8000, {16, 16}}, {8003, {16, 16}}, {8010, {26, 16}}, {8011, {13, 26}}, {8012, {16, 16}}, {8014, {16, 16}}};
  for (const Case& c : cases) {
    TCursorImage cursor;
    ASSERT_TRUE(FindResourceCursor(c.id, cursor)) << c.id;
    EXPECT_EQ(cursor.Image.Width, 32);
    EXPECT_EQ(cursor.HotSpot, c.hot) << c.id;
    EXPECT_EQ(cursor.Image.At(0, 0) >> 24, 0u) << c.id;  // transparent around the shape
  }
  TCursorImage cursor;
  EXPECT_FALSE(FindResourceCursor(8009, cursor));
  EXPECT_TRUE(FindResourceCursor(u"qex_pointer", cursor));
  // The pan cursor's east arrow: ink right of the centre in the row of the hot spot.
  ASSERT_TRUE(FindResourceCursor(8003, cursor));
  EXPECT_NE(cursor.Image.At(26, 16) >> 24, 0u);
  EXPECT_EQ(cursor.Image.At(6, 16) >> 24, 0u);
}

}  // namespace
