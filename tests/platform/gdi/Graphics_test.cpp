#include "platform/gdi/Graphics.h"

#include <gtest/gtest.h>

#include "platform/rtl/UnicodeText.h"
#include "tests/platform/gdi/GdiTestSupport.h"

namespace {

std::string FixturePath(const std::string& name) {
  std::string here = __FILE__;
  return here.substr(0, here.find_last_of('/')) + "/fixtures/" + name;
}

String Fixture(const std::string& name) { return UTF8ToString(FixturePath(name)); }

TEST(Graphics, ColoursResolveThroughTheSystemTable) {
  EXPECT_EQ(ColorToRGB(clBtnFace), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(ColorToRGB(clHighlight), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(ColorToRGB(clInfoBk), GetSysColor(COLOR_INFOBK));
  EXPECT_EQ(ColorToRGB(clRed), RGB(255, 0, 0));
  EXPECT_EQ(ColorToRGB(clNone), 0x1FFFFFFFu);  // not a system colour: kept as it is
  EXPECT_EQ(ColorToString(clRed), u"clRed");
  EXPECT_EQ(ColorToString(clBtnFace), u"clBtnFace");
  EXPECT_EQ(ColorToString(0x00123456), u"$00123456");
  EXPECT_EQ(StringToColor(u"clWindow"), clWindow);
  EXPECT_EQ(StringToColor(u"$00123456"), 0x00123456);
  EXPECT_EQ(StringToColor(u"255"), clRed);
  EXPECT_THROW(StringToColor(u"clNoSuchColour"), EConvertError);
}

TEST(Graphics, FontsPensAndBrushesNotifyRealChanges) {
  TFont font;
  EXPECT_EQ(font.Name(), u"Tahoma");
  EXPECT_EQ(font.Size(), 8);
  EXPECT_EQ(font.Height(), -11);
  EXPECT_EQ(font.Color(), clWindowText);
  int changes = 0;
  font.OnChange = [&](TObject*) { ++changes; };
  font.SetSize(10);
  EXPECT_EQ(font.Height(), -13);
  font.SetSize(10);
  font.SetStyle({fsBold});
  font.SetColor(clRed);
  font.SetColor(clRed);
  EXPECT_EQ(changes, 3);
  LOGFONTW log;
  GetObject(font.Handle(), sizeof log, &log);
  EXPECT_EQ(log.lfHeight, -13);
  EXPECT_EQ(log.lfWeight, FW_BOLD);
  TFont copy;
  copy.Assign(&font);
  EXPECT_EQ(copy.Height(), -13);
  EXPECT_TRUE(copy.Style().Contains(fsBold));
  EXPECT_EQ(copy.Color(), clRed);

  TBrush brush;
  int brushChanges = 0;
  brush.OnChange = [&](TObject*) { ++brushChanges; };
  brush.SetStyle(bsClear);
  brush.SetColor(clYellow);  // a colour makes a clear brush solid
  EXPECT_EQ(brush.Style(), bsSolid);
  EXPECT_EQ(brushChanges, 2);
  TPen pen;
  TPen other;
  other.SetWidth(3);
  other.SetStyle(psDot);
  pen.Assign(&other);
  EXPECT_EQ(pen.Width(), 3);
  EXPECT_EQ(pen.Style(), psDot);
  EXPECT_THROW(pen.Assign(&font), EConvertError);
}

TEST(Graphics, CanvasDrawsWithItsToolsOnABitmap) {
  TBitmap bitmap(60, 30);
  TCanvas* canvas = bitmap.Canvas();
  EXPECT_EQ(canvas->Pixels(0, 0), clWhite);  // a new bitmap is white
  canvas->Brush()->SetColor(clBlue);
  canvas->FillRect(Rect(0, 0, 10, 10));
  EXPECT_EQ(canvas->Pixels(5, 5), clBlue);
  canvas->Pen()->SetColor(clRed);
  canvas->MoveTo(0, 20);
  canvas->LineTo(60, 20);
  EXPECT_EQ(canvas->Pixels(30, 20), clRed);
  canvas->SetPixels(59, 29, clLime);
  EXPECT_EQ(canvas->Pixels(59, 29), clLime);
  // A system colour resolves when the tool is selected.
  canvas->Brush()->SetColor(clBtnFace);
  canvas->FillRect(Rect(10, 0, 20, 10));
  EXPECT_EQ(static_cast<COLORREF>(canvas->Pixels(15, 5)), GetSysColor(COLOR_BTNFACE));

  canvas->Font()->SetColor(clBlack);
  canvas->Brush()->SetStyle(bsClear);
  TSize extent = canvas->TextExtent(u"Збор");
  TSize direct;
  GetTextExtentPoint32(canvas->Handle(), u"Збор", &direct);
  EXPECT_EQ(extent, direct);
  canvas->TextOut(20, 0, u"Збор");
  EXPECT_EQ(canvas->PenPos(), (TPoint{20 + extent.cx, 0}));
  EXPECT_EQ(canvas->ClipRect(), (TRect{0, 0, 60, 30}));

  TCanvas bare;
  try {
    bare.FillRect(Rect(0, 0, 1, 1));
    FAIL() << "a canvas without a context drew";
  } catch (const EInvalidOperation& e) {
    EXPECT_EQ(e.Message(), u"Canvas does not allow drawing");
  }
}

TEST(Graphics, TextRectClipsAndFormats) {
  TBitmap bitmap(100, 20);
  TCanvas* canvas = bitmap.Canvas();
  canvas->Brush()->SetColor(clYellow);
  canvas->TextRect(Rect(10, 0, 40, 20), 12, 2, u"Долг текст што не собира");
  gditest::TSnapshot shot = gditest::Snapshot(canvas->Handle());
  EXPECT_EQ(shot.At(10, 0), RGB(255, 255, 0));  // the brush fills the rectangle
  EXPECT_EQ(gditest::CountOther(shot, {40, 0, 100, 20}, RGB(255, 255, 255)), 0);
  EXPECT_GT(gditest::CountOther(shot, {12, 2, 40, 18}, RGB(255, 255, 0)), 10);

  TRect r = Rect(0, 0, 50, 0);
  canvas->TextRect(r, u"еден два три четири", {tfCalcRect, tfWordBreak});
  TEXTMETRICW tm;
  GetTextMetrics(canvas->Handle(), &tm);
  EXPECT_EQ(r.Height() % tm.tmHeight, 0);
  EXPECT_GE(r.Height(), 2 * tm.tmHeight);
  EXPECT_EQ(TextFormatFlags({tfCenter, tfVerticalCenter, tfSingleLine}), DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

TEST(Graphics, RawHandleCarriesTheCanvasTools) {
  // Code that draws through the GDI calls on Canvas->Handle() (a label's DrawText) must find the
  // canvas's font, pen and brush selected, also after one of them changed.
  TBitmap bitmap(10, 10);
  TCanvas* canvas = bitmap.Canvas();
  canvas->Font()->SetColor(clRed);
  canvas->Font()->SetSize(20);
  HDC dc = canvas->Handle();
  EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), canvas->Font()->Handle());
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), canvas->Pen()->Handle());
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), canvas->Brush()->Handle());
  EXPECT_EQ(GetTextColor(dc), ColorToRGB(clRed));

  canvas->Font()->SetStyle({fsBold});
  dc = canvas->Handle();
  EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), canvas->Font()->Handle());
}

TEST(Graphics, XorPenModeDrawnTwiceRestores) {
  TBitmap bitmap(40, 40);
  TCanvas* canvas = bitmap.Canvas();
  canvas->Brush()->SetColor(clTeal);
  canvas->FillRect(Rect(0, 0, 20, 40));
  gditest::TSnapshot before = gditest::Snapshot(canvas->Handle());
  canvas->Pen()->SetMode(pmXor);
  canvas->Pen()->SetColor(clWhite);
  canvas->Brush()->SetStyle(bsClear);
  for (int pass = 0; pass < 2; ++pass) {
    canvas->Rectangle(5, 5, 35, 35);
    canvas->MoveTo(0, 39);
    canvas->LineTo(39, 0);
    if (pass == 0) {
      EXPECT_NE(gditest::Snapshot(canvas->Handle()), before);
    }
  }
  EXPECT_EQ(gditest::Snapshot(canvas->Handle()), before);
}

TEST(Graphics, BitmapScanLinesSizeAndTransparency) {
  TBitmap bitmap;
  EXPECT_TRUE(bitmap.Empty());
  bitmap.SetPixelFormat(pf24bit);
  bitmap.SetSize(4, 3);
  bitmap.Canvas()->Brush()->SetColor(clRed);
  bitmap.Canvas()->FillRect(Rect(0, 0, 2, 3));
  auto* row = static_cast<uint8_t*>(bitmap.ScanLine(1));
  EXPECT_EQ(row[0], 0);    // blue
  EXPECT_EQ(row[2], 255);  // red
  EXPECT_EQ(row[6], 255);  // the third pixel is white
  row[9] = 0, row[10] = 255, row[11] = 0;  // the fourth pixel green
  EXPECT_EQ(bitmap.Canvas()->Pixels(3, 1), clLime);
  EXPECT_THROW(bitmap.ScanLine(3), EInvalidGraphicOperation);

  TBitmap copy;
  copy.Assign(&bitmap);
  EXPECT_EQ(copy.PixelFormat(), pf24bit);
  EXPECT_EQ(copy.Canvas()->Pixels(3, 1), clLime);
  EXPECT_EQ(copy.Canvas()->Pixels(0, 2), clRed);

  // Monochrome rows pack eight pixels a byte, a set bit white.
  TBitmap mono;
  mono.SetMonochrome(true);
  mono.SetSize(10, 2);
  mono.Canvas()->Brush()->SetColor(clBlack);
  mono.Canvas()->FillRect(Rect(0, 0, 3, 2));
  auto* bits = static_cast<uint8_t*>(mono.ScanLine(0));
  EXPECT_EQ(bits[0], 0x1F);
  EXPECT_EQ(bits[1] & 0xC0, 0xC0);
  bits[1] = 0;  // the ninth and tenth pixels black
  EXPECT_EQ(mono.Canvas()->Pixels(9, 0), clBlack);
  EXPECT_EQ(mono.Canvas()->Pixels(9, 1), clWhite);

  bitmap.SetSize(6, 3);  // keeps the picture, new pixels white
  EXPECT_EQ(bitmap.Canvas()->Pixels(0, 0), clRed);
  EXPECT_EQ(bitmap.Canvas()->Pixels(3, 1), clLime);
  EXPECT_EQ(bitmap.Canvas()->Pixels(5, 1), clWhite);

  // Transparent: the bottom-left pixel's colour (red) is left out when drawn.
  bitmap.SetTransparent(true);
  EXPECT_EQ(bitmap.TransparentColor(), clRed);
  TBitmap target(6, 3);
  target.Canvas()->Brush()->SetColor(clNavy);
  target.Canvas()->FillRect(Rect(0, 0, 6, 3));
  target.Canvas()->Draw(0, 0, &bitmap);
  EXPECT_EQ(target.Canvas()->Pixels(0, 0), clNavy);
  EXPECT_EQ(target.Canvas()->Pixels(3, 1), clLime);
  EXPECT_EQ(target.Canvas()->Pixels(4, 0), clWhite);
  bitmap.SetTransparentColor(clWhite);
  EXPECT_EQ(bitmap.TransparentMode(), tmFixed);
  target.Canvas()->FillRect(Rect(0, 0, 6, 3));
  target.Canvas()->Draw(0, 0, &bitmap);
  EXPECT_EQ(target.Canvas()->Pixels(0, 0), clRed);
  EXPECT_EQ(target.Canvas()->Pixels(4, 0), clNavy);
}

TEST(Graphics, BitmapStreamsAndAlpha) {
  TBitmap bitmap(5, 4);
  bitmap.Canvas()->Brush()->SetColor(clFuchsia);
  bitmap.Canvas()->FillRect(Rect(1, 1, 4, 3));
  TMemoryStream stream;
  bitmap.SaveToStream(&stream);
  stream.SetPosition(0);
  TBitmap loaded;
  loaded.LoadFromStream(&stream);
  EXPECT_EQ(loaded.Width(), 5);
  EXPECT_EQ(loaded.Height(), 4);
  EXPECT_EQ(loaded.Canvas()->Pixels(2, 2), clFuchsia);
  EXPECT_EQ(loaded.Canvas()->Pixels(0, 0), clWhite);

  TBytesStream junk(TBytes{'B', 'M', 1, 2, 3});
  try {
    loaded.LoadFromStream(&junk);
    FAIL();
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message(), u"Bitmap image is not valid");
  }
  EXPECT_EQ(loaded.Width(), 5);  // unchanged

  // A 32-bit picture with alpha blends over what is under it.
  TRasterImage image;
  image.Resize(2, 1);
  image.At(0, 0) = 0xFF0000FF;  // opaque blue
  image.At(1, 0) = 0x00FF0000;  // clear
  TBitmap alpha;
  alpha.LoadFromRaster(image);
  EXPECT_EQ(alpha.PixelFormat(), pf32bit);
  EXPECT_EQ(alpha.AlphaFormat(), afDefined);
  TBitmap under(2, 1);
  under.Canvas()->Draw(0, 0, &alpha);
  EXPECT_EQ(under.Canvas()->Pixels(0, 0), clBlue);
  EXPECT_EQ(under.Canvas()->Pixels(1, 0), clWhite);
}

TEST(Graphics, PicturesLoadByExtensionAndByContent) {
  struct Case {
    const char* file;
    const char16_t* kind;
    int width, height;
  } cases[] = {
      {"pattern24.bmp", u"TBitmap", 24, 16},        {"pattern8_topdown.bmp", u"TBitmap", 24, 16},
      {"icons.ico", u"TIcon", 32, 32},              {"pattern.jpg", u"TJPEGImage", 24, 16},
      {"pattern_rgba.png", u"TPngImage", 24, 16},   {"animation.gif", u"TGIFImage", 24, 16},
  };
  for (const Case& c : cases) {
    TPicture byName;
    byName.LoadFromFile(Fixture(c.file));
    ASSERT_NE(byName.Graphic(), nullptr) << c.file;
    EXPECT_EQ(byName.Graphic()->ClassName(), c.kind) << c.file;
    EXPECT_EQ(byName.Width(), c.width) << c.file;
    EXPECT_EQ(byName.Height(), c.height) << c.file;
    TFileStream file(Fixture(c.file), fmOpenRead);
    TPicture byContent;
    byContent.LoadFromStream(&file);
    EXPECT_EQ(byContent.Graphic()->ClassName(), c.kind) << c.file;
    // A copy is a graphic of its own of the same kind.
    TPicture copy;
    copy.Assign(&byContent);
    EXPECT_NE(copy.Graphic(), byContent.Graphic());
    EXPECT_EQ(copy.Graphic()->ClassName(), c.kind);
    EXPECT_EQ(copy.Width(), c.width);
  }
  TPicture picture;
  EXPECT_THROW(picture.LoadFromFile(u"/tmp/picture.xyz"), EInvalidGraphic);
  TBytesStream text(TBytes{'h', 'e', 'l', 'l', 'o'});
  EXPECT_THROW(picture.LoadFromStream(&text), EInvalidGraphic);
  int changes = 0;
  picture.OnChange = [&](TObject*) { ++changes; };
  picture.LoadFromFile(Fixture("pattern.gif"));
  EXPECT_EQ(changes, 1);
  // Asking for the bitmap of a picture of another kind gives an empty bitmap.
  EXPECT_TRUE(picture.Bitmap()->Empty());
}

TEST(Graphics, PicturesDrawWithTheirTransparency) {
  TBitmap canvasBitmap(30, 20);
  TCanvas* canvas = canvasBitmap.Canvas();
  canvas->Brush()->SetColor(clYellow);
  canvas->FillRect(Rect(0, 0, 30, 20));
  TPicture png;
  png.LoadFromFile(Fixture("pattern_rgba.png"));
  canvas->Draw(2, 2, png.Graphic());
  EXPECT_EQ(canvas->Pixels(2 + 5, 2 + 5), clRed);
  EXPECT_EQ(canvas->Pixels(2 + 15, 2 + 5), clBlue);
  EXPECT_EQ(canvas->Pixels(2 + 21, 2 + 1), clYellow);  // the clear corner
  EXPECT_EQ(canvas->Pixels(1, 1), clYellow);

  TPicture jpeg;
  jpeg.LoadFromFile(Fixture("pattern.jpg"));
  TBitmap converted;
  converted.Assign(jpeg.Graphic());
  EXPECT_EQ(converted.Width(), 24);
  COLORREF p = ColorToRGB(converted.Canvas()->Pixels(5, 5));
  EXPECT_GT(GetRValue(p), 200);
  EXPECT_LT(GetBValue(p), 60);
  // A JPEG made from a bitmap saves as JPEG data.
  TJPEGImage made;
  made.Assign(&converted);
  TMemoryStream out;
  made.SaveToStream(&out);
  TRasterImage decoded;
  EXPECT_TRUE(DecodeJpegFile(static_cast<const uint8_t*>(out.Memory()), static_cast<size_t>(out.Size()), decoded));
  EXPECT_EQ(decoded.Width, 24);

  TGIFImage gif;
  gif.LoadFromFile(Fixture("animation.gif"));
  EXPECT_EQ(gif.FrameCount(), 3);
  gif.SetFrame(2);
  EXPECT_EQ(gif.Image().At(16, 8), 0xFF00FF00u);
  EXPECT_THROW(gif.SetFrame(3), EInvalidGraphicOperation);
}

TEST(Graphics, ImageListsCutStripsDrawEnabledAndDisabledAndTellTheirLinks) {
  TCustomImageList list(8, 8);
  TChangeLink link;
  int told = 0;
  link.OnChange = [&](TObject* sender) {
    EXPECT_EQ(sender, &list);
    ++told;
  };
  list.RegisterChanges(&link);
  TBitmap strip(24, 8);
  strip.Canvas()->Brush()->SetColor(clRed);
  strip.Canvas()->FillRect(Rect(0, 0, 8, 8));
  strip.Canvas()->Brush()->SetColor(clBlue);
  strip.Canvas()->FillRect(Rect(8, 0, 16, 8));
  strip.Canvas()->Brush()->SetColor(clFuchsia);
  strip.Canvas()->FillRect(Rect(16, 0, 24, 8));
  strip.Canvas()->Brush()->SetColor(clLime);
  strip.Canvas()->FillRect(Rect(20, 0, 24, 4));
  EXPECT_EQ(list.AddMasked(&strip, clFuchsia), 0);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(told, 1);

  TBitmap target(30, 10);
  TCanvas* canvas = target.Canvas();
  list.Draw(canvas, 0, 0, 1);
  EXPECT_EQ(canvas->Pixels(3, 3), clBlue);
  list.Draw(canvas, 10, 0, 2);
  EXPECT_EQ(canvas->Pixels(11, 6), clWhite);  // the masked colour is transparent
  EXPECT_EQ(canvas->Pixels(14, 1), clLime);
  list.Draw(canvas, 20, 0, 0, false);
  EXPECT_EQ(static_cast<COLORREF>(canvas->Pixels(20, 0)), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(static_cast<COLORREF>(canvas->Pixels(28, 8)), GetSysColor(COLOR_BTNHIGHLIGHT));
  list.Draw(canvas, 0, 0, 7);  // out of range: nothing

  int cx = 0, cy = 0;
  EXPECT_TRUE(ImageList_GetIconSize(list.Handle(), &cx, &cy));
  EXPECT_EQ(cx, 8);
  list.BeginUpdate();
  list.Delete(0);
  list.Delete(0);
  EXPECT_EQ(told, 1);
  list.EndUpdate();
  EXPECT_EQ(told, 2);
  {
    TChangeLink gone;
    list.RegisterChanges(&gone);
  }  // leaves the list as it goes
  list.Clear();
  EXPECT_EQ(told, 3);
  TBitmap out;
  EXPECT_FALSE(list.GetBitmap(0, &out));
}

TEST(Graphics, CopyRectAndBrushCopy) {
  TBitmap source(10, 10);
  source.Canvas()->Brush()->SetColor(clRed);
  source.Canvas()->FillRect(Rect(0, 0, 5, 10));
  TBitmap dest(20, 20);
  dest.Canvas()->CopyRect(Rect(0, 0, 20, 20), source.Canvas(), Rect(0, 0, 10, 10));
  EXPECT_EQ(dest.Canvas()->Pixels(9, 19), clRed);
  EXPECT_EQ(dest.Canvas()->Pixels(10, 0), clWhite);
  dest.Canvas()->Brush()->SetColor(clGreen);
  dest.Canvas()->BrushCopy(Rect(0, 0, 10, 10), &source, Rect(0, 0, 10, 10), clWhite);
  EXPECT_EQ(dest.Canvas()->Pixels(2, 2), clRed);
  EXPECT_EQ(dest.Canvas()->Pixels(7, 7), clGreen);
}

}  // namespace
