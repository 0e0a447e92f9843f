// Pictures of the mini-HTML: loading and decoding, GIF frames, URLs, the cache and the
// container.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "controls/html/PictureContainer.h"
#include "platform/gdi/ProgramResources.h"
#include "tests/controls/grid/HtmlTestSupport.h"

namespace {

using namespace ::PictureContainer;
using htmltest::TwoFrameGif;

TBytes Truncated(const TBytes& bytes) {
  return TBytes(bytes.begin(), bytes.begin() + bytes.size() / 2);
}

TRasterImage Pattern(int width, int height) {
  TRasterImage image;
  image.Resize(width, height, 0xFF3060C0);
  image.At(0, 0) = 0xFFFF0000;
  return image;
}

struct TFixture {
  const char* Name;
  TBytes Bytes;
  int Width, Height;
};

std::vector<TFixture> Fixtures() {
  return {
      {"png", EncodePngFile(Pattern(5, 3)), 5, 3},
      {"jpeg", EncodeJpegFile(Pattern(8, 6), 90, false), 8, 6},
      {"bmp", EncodeBmpFile(Pattern(4, 7), 24), 4, 7},
      {"ico", EncodeIcoFile({Pattern(16, 16)}), 16, 16},
      {"gif", TwoFrameGif(), 2, 2},
  };
}

void Load(THTMLPicture& picture, const TBytes& bytes) {
  TBytesStream stream(bytes);
  picture.LoadFromStream(&stream);
}

std::string TempFile(const char* name, const TBytes& bytes) {
  std::string path = ::testing::TempDir() + "/" + name;
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  return path;
}

TEST(HtmlPicture, EveryFormatLoadsAndEveryTruncatedCopyIsRefused) {
  for (const TFixture& f : Fixtures()) {
    SCOPED_TRACE(f.Name);
    THTMLPicture picture;
    int changes = 0;
    picture.OnChange = [&](TObject*) { ++changes; };
    Load(picture, f.Bytes);
    EXPECT_FALSE(picture.Empty());
    EXPECT_EQ(picture.Width(), f.Width);
    EXPECT_EQ(picture.Height(), f.Height);
    EXPECT_EQ(changes, 1);
    TBytesStream saved;
    picture.SaveToStream(&saved);
    EXPECT_EQ(saved.Bytes(), f.Bytes) << "the file bytes are kept unchanged";

    THTMLPicture broken;
    try {
      Load(broken, Truncated(f.Bytes));
      ADD_FAILURE() << "a truncated file was accepted";
    } catch (const EInvalidGraphic& e) {
      EXPECT_EQ(e.Message(), u"Could not load image. Invalid format");
    }
    EXPECT_EQ(broken.Width(), 0);

    // From a file, a corrupt one leaves the picture empty.
    THTMLPicture fromFile;
    fromFile.LoadFromFile(UTF8ToString(TempFile("picture.bin", f.Bytes)));
    EXPECT_EQ(fromFile.Width(), f.Width);
    THTMLPicture corrupt;
    corrupt.LoadFromFile(UTF8ToString(TempFile("corrupt.bin", Truncated(f.Bytes))));
    EXPECT_TRUE(corrupt.Empty());
    EXPECT_EQ(corrupt.Width(), 0);
  }
  THTMLPicture missing;
  missing.LoadFromFile(u"/no/such/picture.png");
  EXPECT_TRUE(missing.Empty());
  THTMLPicture none;
  none.LoadFromStream(nullptr);
  EXPECT_TRUE(none.Empty());
}

TEST(HtmlPicture, GifFramesComeFromTheBlockStructure) {
  const TBytes gif = TwoFrameGif();
  TGifLayout layout;
  ASSERT_TRUE(ReadGifLayout(gif.data(), gif.size(), layout));
  EXPECT_EQ(layout.ScreenWidth, 2);
  EXPECT_EQ(layout.ScreenHeight, 2);
  ASSERT_EQ(layout.Frames.size(), 2u) << "a marker inside image data is no frame";
  EXPECT_EQ(layout.Frames[1], (TRect{1, 1, 2, 2}));
  EXPECT_FALSE(ReadGifLayout(gif.data(), gif.size() - 1, layout));

  THTMLPicture picture;
  Load(picture, gif);
  EXPECT_EQ(picture.FrameCount(), 2);
  EXPECT_EQ(picture.AnimationWidth(), 2);
  EXPECT_EQ(picture.FrameWidth(), 1);
  EXPECT_EQ(picture.FrameXPos(), 0);
  EXPECT_EQ(picture.ToRaster().At(0, 0), 0xFFFF0000u);
  EXPECT_EQ(picture.ToRaster().At(1, 1) >> 24, 0u) << "frame 1 leaves (1, 1) empty";

  int frameChanges = 0;
  picture.OnFrameChange = [&](TObject*) { ++frameChanges; };
  picture.SetFrame(2);
  EXPECT_EQ(frameChanges, 1);
  EXPECT_EQ(picture.Frame(), 2);
  EXPECT_EQ(picture.FrameXPos(), 1);
  EXPECT_EQ(picture.FrameYPos(), 1);
  EXPECT_EQ(picture.ToRaster().At(1, 1), 0xFF0000FFu);
  EXPECT_EQ(picture.Width(), 2);

  // Four bytes "GIF8" are no GIF, and no picture.
  THTMLPicture tiny;
  EXPECT_THROW(Load(tiny, TBytes{'G', 'I', 'F', '8'}), EInvalidGraphic);
  EXPECT_EQ(tiny.FrameCount(), -1);
  THTMLPicture png;
  Load(png, Fixtures()[0].Bytes);
  EXPECT_EQ(png.FrameCount(), -1);
  EXPECT_EQ(png.FrameWidth(), 5);
}

TEST(HtmlPicture, UrlsAndAssignment) {
  RegisterResourceData(u"HTMLLOGO", Fixtures()[0].Bytes);
  THTMLPicture upper, lower;
  upper.LoadFromURL(u"RES://HTMLLOGO");
  lower.LoadFromURL(u"res://HTMLLOGO");
  EXPECT_EQ(upper.Width(), 5);
  EXPECT_EQ(lower.Width(), 5);
  EXPECT_EQ(lower.ID(), u"res://HTMLLOGO");
  THTMLPicture noResource;
  noResource.LoadFromURL(u"RES://NOSUCH");
  EXPECT_TRUE(noResource.Empty());

  const std::string path = TempFile("url.bmp", Fixtures()[2].Bytes);
  THTMLPicture file;
  file.LoadFromURL(u"file://" + UTF8ToString(path));
  EXPECT_EQ(file.Height(), 7);

  // Other URLs are never fetched: the picture keeps its identity, stays empty and says so once.
  THTMLPicture web;
  std::vector<String> errors;
  web.OnDownLoadError = [&](TObject*, const String& err) { errors.push_back(err); };
  web.LoadFromURL(u"http://example.org/x.png");
  web.LoadFromURL(u"http://example.org/x.png");
  EXPECT_TRUE(web.Empty());
  EXPECT_EQ(web.ID(), u"http://example.org/x.png");
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0], u"Downloading pictures is not supported");

  THTMLPicture gif;
  Load(gif, TwoFrameGif());
  gif.SetFrame(2);
  gif.SetStretch(true);
  THTMLPicture copy;
  copy.Assign(&gif);
  EXPECT_EQ(copy.Frame(), 2);
  EXPECT_TRUE(copy.Stretch());
  EXPECT_EQ(copy.FrameXPos(), 1);
  EXPECT_EQ(copy.Bytes(), gif.Bytes());
  copy.Assign(nullptr);
  EXPECT_TRUE(copy.Empty());
  EXPECT_TRUE(copy.Bytes().empty());

  THTMLPicture quiet;
  int changes = 0;
  quiet.OnChange = [&](TObject*) { ++changes; };
  TBytesStream data(Fixtures()[0].Bytes);
  quiet.ReadData(&data);
  EXPECT_EQ(quiet.Width(), 5);
  EXPECT_EQ(changes, 0);
}

TEST(HtmlPicture, CacheAndContainerLookUps) {
  THTMLPictureCache cache;
  THTMLPicture* a = cache.AddPicture();
  a->LoadFromURL(u"file:///nowhere/A.png");
  EXPECT_EQ(cache.FindPicture(u"file:///nowhere/A.png"), a);
  EXPECT_EQ(cache.FindPicture(u"FILE:///NOWHERE/A.PNG"), nullptr) << "the cache compares exactly";
  EXPECT_EQ(cache.GetPicture(0), a);
  cache.ClearPictures();
  EXPECT_EQ(cache.Count(), 0);

  TPictureContainer box(nullptr);
  const String name = u"\u041B\u043E\u0433\u043E\u0442\u0438\u043F";  // "Logotip"
  THTMLPicture* logo = htmltest::AddPicture(box, name, 3, 3);
  htmltest::AddPicture(box, u"Other", 4, 4);
  EXPECT_EQ(box.FindPicture(u"\u043B\u043E\u0433\u043E\u0442\u0438\u043F"), logo);
  EXPECT_EQ(box.FindPicture(u"\u041B\u041E\u0413\u041E\u0422\u0418\u041F"), logo);
  EXPECT_EQ(box.FindPicture(u"OTHER")->Width(), 4);
  EXPECT_EQ(box.FindPicture(u"none"), nullptr);
  EXPECT_EQ(box.Version(), u"1.0.0.0");
  box.SetVersion(u"2");
  EXPECT_EQ(box.Version(), u"1.0.0.0");

  TPictureContainer copy(nullptr);
  copy.SetItems(box.Items());
  ASSERT_EQ(copy.Items()->Count(), 2);
  EXPECT_EQ(copy.Items()->Items(1)->Name(), u"Other");
  EXPECT_EQ(copy.FindPicture(u"other")->Width(), 4);
}

}  // namespace
