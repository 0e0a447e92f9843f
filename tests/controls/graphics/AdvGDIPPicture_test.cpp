#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/graphics/AdvGDIP.h"
#include "controls/graphics/GDIPPictureContainer.h"
#include "controls/graphics/GDIPicture.h"
#include "platform/gdi/Bitmap.h"
#include "platform/rtl/StringList.h"
#include "tests/controls/graphics/GraphicsTestSupport.h"

namespace {

using gdiptest::ReadFixture;
using gdiptest::TSurface;
using gdiptest::WriteFile;

// The baseline fixture with its start-of-frame marker replaced.
TBytes JpegWithFrameMarker(uint8_t marker) {
  TBytes jpeg = ReadFixture("pattern.jpg");
  for (size_t i = 2; i + 1 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
      jpeg[i + 1] = marker;
      return jpeg;
    }
  }
  ADD_FAILURE() << "no baseline frame marker in the fixture";
  return jpeg;
}

// A GIF with no global colour table whose logical screen (40 x 30) differs from its one image
// (24 x 16 at 3, 2), drawn in two colours of a local table.
TBytes GifWithoutGlobalTable() {
  TBytes gif = {'G', 'I', 'F', '8', '9', 'a', 40, 0, 30, 0, 0x00, 0, 0};
  TBytes descriptor = {0x2C, 3, 0, 2, 0, 24, 0, 16, 0, 0x80};
  gif.insert(gif.end(), descriptor.begin(), descriptor.end());
  TBytes table = {255, 0, 0, 0, 0, 255};
  gif.insert(gif.end(), table.begin(), table.end());
  // LZW minimum code size 2, then a clear code and the end code as the only data.
  TBytes data = {2, 1, 0x2C, 0, 0x3B};
  gif.insert(gif.end(), data.begin(), data.end());
  return gif;
}

// A TIFF header and one directory with the width and height (as 16- or 32-bit numbers).
TBytes Tiff(bool intel, uint32_t width, uint32_t height, uint16_t type) {
  auto put16 = [&](TBytes& b, uint32_t v) {
    if (intel)
      b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8)});
    else
      b.insert(b.end(), {uint8_t(v >> 8), uint8_t(v)});
  };
  auto put32 = [&](TBytes& b, uint32_t v) {
    if (intel) {
      put16(b, v & 0xFFFF);
      put16(b, v >> 16);
    } else {
      put16(b, v >> 16);
      put16(b, v & 0xFFFF);
    }
  };
  TBytes t = intel ? TBytes{'I', 'I'} : TBytes{'M', 'M'};
  put16(t, 42);
  put32(t, 8);
  put16(t, 3);
  auto entry = [&](uint16_t tag, uint32_t value) {
    put16(t, tag);
    put16(t, type);
    put32(t, 1);
    if (type == 3) {
      put16(t, value);
      put16(t, 0);
    } else {
      put32(t, value);
    }
  };
  entry(254, 0);
  entry(256, width);
  entry(257, height);
  put32(t, 0);
  return t;
}

TEST(AdvGDIPPicture, LoadFromFileTakesTheHeaderSizeByExtension) {
  TTempFolder folder;
  TBytes png = ReadFixture("pattern_rgba.png");
  TBytes tiffIntel = Tiff(true, 300, 120, 3);
  struct {
    std::string File;
    TBytes Bytes;
    int Width, Height;
    int DecodedWidth, DecodedHeight;  // after GetImageSizes
  } cases[] = {
      {"pattern.png", png, 24, 16, 24, 16},
      {"pattern.dat", png, 0, 0, 24, 16},
      {"PATTERN.PNG", png, 24, 16, 24, 16},
      {"pattern.jpg", ReadFixture("pattern.jpg"), 24, 16, 24, 16},
      {"progressive.jpeg", JpegWithFrameMarker(0xC2), 24, 16, -1, -1},
      {"lossless.jpg", JpegWithFrameMarker(0xC3), 0, 0, -1, -1},
      {"pattern.bmp", ReadFixture("pattern24.bmp"), 24, 16, 24, 16},
      {"topdown.bmp", ReadFixture("pattern8_topdown.bmp"), 24, 16, 24, 16},
      {"local.gif", GifWithoutGlobalTable(), 24, 16, -1, -1},
      {"pattern.gif", ReadFixture("pattern.gif"), 24, 16, 24, 16},
      {"png.gif", png, 0, 0, 24, 16},
      // TIFF is not decoded here: the header's size holds until the first decode.
      {"intel.tif", tiffIntel, 300, 120, 0, 0},
      {"motorola.tiff", Tiff(false, 300, 120, 3), 300, 120, 0, 0},
      {"long.tif", Tiff(true, 640, 480, 4), 640, 480, 0, 0},
  };
  for (const auto& c : cases) {
    TAdvGDIPPicture picture;
    picture.LoadFromFile(WriteFile(folder, c.File, c.Bytes));
    EXPECT_FALSE(picture.Empty()) << c.File;
    EXPECT_EQ(picture.Width(), c.Width) << c.File;
    EXPECT_EQ(picture.Height(), c.Height) << c.File;
    if (c.DecodedWidth < 0) continue;
    EXPECT_EQ(picture.GetImageSizes(), c.DecodedWidth > 0) << c.File;
    EXPECT_EQ(picture.Width(), c.DecodedWidth) << c.File;
    EXPECT_EQ(picture.Height(), c.DecodedHeight) << c.File;
  }
  // A TIFF draws nothing once decoded.
  TAdvGDIPPicture tiff;
  tiff.LoadFromFile(WriteFile(folder, "draw.tif", tiffIntel));
  TSurface surface(40, 30);
  tiff.GDIPDraw(&surface.Graphics, TRect{0, 0, 40, 30});
  EXPECT_EQ(surface.CountOther(0xFFFFFFFF), 0);
  EXPECT_EQ(tiff.Width(), 0);
}

TEST(AdvGDIPPicture, EventsComeInTheirOrder) {
  TTempFolder folder;
  String file = WriteFile(folder, "p.png", ReadFixture("pattern_rgba.png"));
  std::vector<std::string> events;
  TAdvGDIPPicture picture;
  picture.OnChange = [&](TObject*) { events.push_back("change"); };
  picture.OnClear = [&](TObject*) { events.push_back("clear"); };
  picture.LoadFromFile(file);
  EXPECT_EQ(events, (std::vector<std::string>{"clear", "change"}));
  events.clear();
  picture.Assign(nullptr);
  EXPECT_EQ(events, (std::vector<std::string>{"change", "clear"}));
  EXPECT_TRUE(picture.Empty());
  EXPECT_TRUE(picture.Bytes().empty());

  // A file that cannot be read leaves an empty picture and raises nothing.
  events.clear();
  picture.LoadFromFile(folder.FileName("missing.png"));
  EXPECT_TRUE(picture.Empty());
  EXPECT_TRUE(events.empty());

  TGDIPPicture hint;
  hint.OnChange = [&](TObject*) { events.push_back("change"); };
  hint.OnClear = [&](TObject*) { events.push_back("clear"); };
  hint.LoadFromFile(file);
  hint.Assign(nullptr);
  EXPECT_EQ(events, (std::vector<std::string>{"clear", "change", "change", "clear"}));
}

TEST(AdvGDIPPicture, AssignTakesPicturesAndGraphicsAsEncodedBytes) {
  TBytes png = ReadFixture("pattern_rgba.png");
  TBytesStream pngStream(png);
  TAdvGDIPPicture source;
  source.LoadFromStream(&pngStream);
  ASSERT_EQ(source.Width(), 24);

  TAdvGDIPPicture copy;
  copy.Assign(&source);
  EXPECT_EQ(copy.Bytes(), png);
  EXPECT_EQ(copy.Width(), 24);
  EXPECT_FALSE(copy.Empty());

  TBitmap bitmap(5, 3);
  TAdvGDIPPicture fromBitmap;
  fromBitmap.Assign(&bitmap);
  ASSERT_GE(fromBitmap.Bytes().size(), 2u);
  EXPECT_EQ(fromBitmap.Bytes()[0], 'B');
  EXPECT_EQ(fromBitmap.Bytes()[1], 'M');
  EXPECT_EQ(fromBitmap.Width(), 5);
  EXPECT_EQ(fromBitmap.Height(), 3);

  // A TPicture gives its graphic; one without a graphic changes nothing.
  TPicture holder;
  holder.SetGraphic(&bitmap);
  TAdvGDIPPicture fromPicture;
  fromPicture.Assign(&holder);
  EXPECT_EQ(fromPicture.Bytes(), fromBitmap.Bytes());
  TPicture none;
  int changes = 0;
  fromPicture.OnChange = [&](TObject*) { ++changes; };
  fromPicture.Assign(&none);
  EXPECT_EQ(changes, 0);
  EXPECT_FALSE(fromPicture.Empty());

  // Something that is no graphic leaves the picture marked empty.
  TStringList strings;
  fromPicture.Assign(&strings);
  EXPECT_TRUE(fromPicture.Empty());

  // The hint picture takes its own kind, bitmaps and icons, not the other picture class.
  TGDIPPicture hint;
  hint.Assign(&bitmap);
  EXPECT_FALSE(hint.Empty());
  EXPECT_EQ(hint.Width(), 5);
  hint.Assign(&source);
  EXPECT_TRUE(hint.Empty());
  TAdvGDIPPicture fromHint;
  TGDIPPicture other;
  other.Assign(&bitmap);
  fromHint.Assign(&other);
  EXPECT_FALSE(fromHint.Empty());
  EXPECT_EQ(fromHint.Bytes(), other.Bytes());
}

TEST(AdvGDIPPicture, DataRoundTripsByteForByte) {
  TBytes gif = ReadFixture("animation.gif");
  TBytesStream in(gif);
  TAdvGDIPPicture picture;
  picture.ReadData(&in);
  EXPECT_FALSE(picture.Empty());
  EXPECT_GT(picture.Width(), 0);
  TBytesStream out;
  picture.WriteData(&out);
  EXPECT_EQ(out.Bytes(), gif);
  TBytesStream saved;
  picture.SaveToStream(&saved);
  EXPECT_EQ(saved.Bytes(), gif);

  // An empty stream loads nothing.
  TBytesStream nothing;
  picture.ReadData(&nothing);
  EXPECT_EQ(picture.Bytes(), gif);

  // The hint picture reads without decoding.
  TGDIPPicture hint;
  TBytesStream again(gif);
  hint.ReadData(&again);
  EXPECT_FALSE(hint.Empty());
  EXPECT_EQ(hint.Width(), 0);
  TBytesStream hintOut;
  hint.WriteData(&hintOut);
  EXPECT_EQ(hintOut.Bytes(), gif);
}

// A 24-bit BMP drawn transparent keeps its own size, and its bottom-left colour (the white band
// of the pattern) lets the background through.
TEST(AdvGDIPPicture, TransparentBmpKeepsItsSizeAndDropsItsKeyColour) {
  TBytesStream bmp(ReadFixture("pattern24.bmp"));
  TAdvGDIPPicture picture;
  picture.LoadFromStream(&bmp);
  const ARGB background = 0xFFFF00FF;
  const ARGB red = 0xFFFF0000, blue = 0xFF0000FF, white = 0xFFFFFFFF;
  struct {
    const char* Name;
    bool Transparent;
    TColorKeyMode Mode;
    TColor Key;
    std::vector<std::pair<TPoint, ARGB>> Samples;  // in the 60 x 40 surface
  } cases[] = {
      {"automatic key",
       true,
       ckAuto,
       clWhite,
       {{{7, 7}, red},
        {{25, 7}, blue},
        {{7, 19}, background},
        {{27, 19}, background},
        {{35, 10}, background},
        {{50, 30}, background}}},
      {"fixed key",
       true,
       ckFixed,
       clRed,
       {{{7, 7}, background}, {{25, 7}, blue}, {{7, 19}, white}, {{35, 10}, background}}},
      {"opaque stretches",
       false,
       ckAuto,
       clWhite,
       {{{12, 12}, red}, {{50, 10}, blue}, {{50, 33}, white}, {{20, 33}, white}}},
  };
  for (const auto& c : cases) {
    picture.SetTransparent(c.Transparent);
    picture.SetColorKeyMode(c.Mode);
    picture.SetColorKey(c.Key);
    TSurface surface(60, 40, background);
    picture.GDIPDraw(&surface.Graphics, TRect{5, 5, 55, 35});
    for (const auto& [at, colour] : c.Samples) {
      EXPECT_EQ(surface.At(at.X, at.Y), colour) << c.Name << " at " << at.X << "," << at.Y;
    }
    EXPECT_EQ(picture.Width(), 24);
  }
}

TEST(AdvGDIPPicture, DrawOnACanvasPlacesBmpAtItsSizeAndScalesTheRest) {
  TBytesStream png(ReadFixture("pattern_rgba.png"));
  TBytesStream bmp(ReadFixture("pattern24.bmp"));
  TAdvGDIPPicture scaled, own;
  scaled.LoadFromStream(&png);
  own.LoadFromStream(&bmp);
  TBitmap target(60, 40);
  target.Canvas()->Brush()->SetColor(clLime);
  target.Canvas()->FillRect(TRect{0, 0, 60, 40});
  scaled.Draw(target.Canvas(), TRect{0, 0, 48, 32});  // twice its size
  own.Draw(target.Canvas(), TRect{30, 20, 60, 40});   // at its size, the white band transparent
  TRasterImage pixels = target.ToRaster();
  auto at = [&](int x, int y) { return pixels.Argb[y * pixels.Width + x] & 0xFFFFFF; };
  EXPECT_EQ(at(20, 10), 0xFF0000u);  // red, scaled
  EXPECT_EQ(at(30, 10), 0x0000FFu);  // blue, scaled
  EXPECT_EQ(at(20, 28), 0xFFFFFFu);  // the white band, scaled
  EXPECT_EQ(at(32, 22), 0xFF0000u);  // the bitmap's red at its own size
  EXPECT_EQ(at(52, 22), 0x0000FFu);
  EXPECT_EQ(at(32, 34), 0x00FF00u);  // its white band lets the lime through
}

TEST(AdvGDIPPicture, FillTextureTilesTheImageAndSkipsAnEmptyPicture) {
  TSurface surface(60, 40);
  TGPCallLog log;
  TGPCallLogScope scope(log);
  TAdvGDIPPicture empty;
  FillTextureRect(&empty, &surface.Graphics, MakeRectF(0, 0, 60, 40));
  EXPECT_TRUE(log.Calls().empty());
  TBytesStream bmp(ReadFixture("pattern24.bmp"));
  TAdvGDIPPicture picture;
  picture.LoadFromStream(&bmp);
  FillTextureRect(&picture, &surface.Graphics, MakeRectF(0, 0, 60, 40));
  ASSERT_EQ(log.Named("GdipFillRectangle").size(), 1u);
  EXPECT_EQ(log.Calls().back().Brush.Kind, TGPBrushKind::Texture);
  EXPECT_EQ(surface.At(24 + 2, 2), 0xFFFF0000u);  // the second tile's red
  EXPECT_EQ(surface.At(2, 16 + 2), 0xFFFF0000u);  // the tile below
  TGPGraphicsPath path;
  path.AddEllipse(0, 0, 60, 40);
  FillTexturePath(&picture, &surface.Graphics, &path);
  EXPECT_EQ(log.Calls().back().Name, "GdipFillPath");
}

TEST(GDIPPictureContainer, FindsPicturesByNameWithoutRegardToCase) {
  TGDIPPictureContainer container(nullptr);
  EXPECT_EQ(container.Version(), u"1.0.0.0");
  container.SetVersion(u"2.0");
  EXPECT_EQ(container.Version(), u"1.0.0.0");
  EXPECT_EQ(container.Items()->Owner(), &container);

  auto* first = container.Items()->Add();
  first->SetName(u"Лого");
  auto* second = container.Items()->Add();
  second->SetName(u"лого");
  auto* other = container.Items()->Add();
  other->SetName(u"Other");
  struct {
    const char16_t* Name;
    TAdvGDIPPicture* Want;
  } cases[] = {
      {u"ЛОГО", first->Picture()},
      {u"лого", first->Picture()},
      {u"oTHER", other->Picture()},
      {u"Лог", nullptr},
      {u"", nullptr},
  };
  for (const auto& c : cases) EXPECT_EQ(container.FindPicture(c.Name), c.Want);
}

TEST(GDIPPictureContainer, ItemsCopyNameTagAndPicture) {
  TGDIPPictureContainer container(nullptr);
  auto* item = container.Items()->Add();
  item->SetName(u"Банер");
  item->SetTag(7);
  TBytesStream png(ReadFixture("pattern_rgba.png"));
  TAdvGDIPPicture picture;
  picture.LoadFromStream(&png);
  item->SetPicture(&picture);
  EXPECT_EQ(item->Picture()->Bytes(), picture.Bytes());
  EXPECT_NE(item->Picture(), &picture);

  TGDIPPictureContainer copy(nullptr);
  copy.SetItems(container.Items());
  ASSERT_EQ(copy.Items()->Count(), 1);
  EXPECT_EQ(copy.Items()->Items(0)->Name(), u"Банер");
  EXPECT_EQ(copy.Items()->Items(0)->Tag(), 7);
  EXPECT_EQ(copy.Items()->Items(0)->Picture()->Width(), 24);
  TStringList strings;
  EXPECT_THROW(item->Assign(&strings), EInvalidCast);
}

}  // namespace
