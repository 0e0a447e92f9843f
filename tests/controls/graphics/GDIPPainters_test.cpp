#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "controls/graphics/GDIPFill.h"
#include "controls/graphics/GDIPPictureContainer.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/ImgList.h"
#include "tests/controls/graphics/GraphicsTestSupport.h"

namespace {

using gdiptest::TSurface;

// A picture of a plain bitmap of the size.
void SquarePicture(TAdvGDIPPicture& picture, int width, int height) {
  TBitmap bitmap(width, height);
  bitmap.Canvas()->Brush()->SetColor(clTeal);
  bitmap.Canvas()->FillRect(TRect{0, 0, width, height});
  picture.Assign(&bitmap);
}

TEST(GDIPColors, LightenAndHsvRoundTrip) {
  EXPECT_EQ(LightenColor(static_cast<TColor>(0x102030), 40), static_cast<TColor>(0x384858));
  EXPECT_EQ(LightenColor(static_cast<TColor>(0xF01005), 40), static_cast<TColor>(0xFF382D));
  EXPECT_EQ(LightenColor(static_cast<TColor>(0xF01005), -20), static_cast<TColor>(0xDC0000));
  EXPECT_EQ(LightenColor(clWindow, 0), static_cast<TColor>(ColorToRGB(clWindow)));

  struct {
    double R, G, B, H, S, V;
  } cases[] = {
      {255, 0, 0, 0, 1, 255},     {0, 255, 0, 120, 1, 255}, {0, 0, 255, 240, 1, 255},
      {255, 0, 255, 300, 1, 255}, {128, 64, 0, 30, 1, 128}, {255, 255, 0, 60, 1, 255},
  };
  for (const auto& c : cases) {
    double h, s, v, r, g, b;
    RGBToHSV(c.R, c.G, c.B, h, s, v);
    EXPECT_NEAR(h, c.H, 1e-9) << c.R << "," << c.G << "," << c.B;
    EXPECT_NEAR(s, c.S, 1e-9);
    EXPECT_NEAR(v, c.V, 1e-9);
    HSVToRGB(h, s, v, r, g, b);
    EXPECT_NEAR(r, c.R, 1e-9);
    EXPECT_NEAR(g, c.G, 1e-9);
    EXPECT_NEAR(b, c.B, 1e-9);
  }
  double h, s, v, r, g, b;
  RGBToHSV(192, 192, 192, h, s, v);
  EXPECT_TRUE(std::isnan(h)) << "a grey has no hue";
  EXPECT_EQ(s, 0);
  HSVToRGB(h, s, v, r, g, b);
  EXPECT_EQ(r, 192);
  EXPECT_EQ(b, 192);
  HSVToRGB(360, 1, 255, r, g, b);  // 360 counts as 0
  EXPECT_EQ(r, 255);
  EXPECT_EQ(g, 0);
  try {
    HSVToRGB(10, 0, 100, r, g, b);
    FAIL() << "a grey with a hue was accepted";
  } catch (const EColorError& e) {
    EXPECT_EQ(e.Message(), u"HSVtoRGB: S = 0 and H has a value");
  }
}

// Filled one after the other, the two gloss halves cover the rectangle extended to twice its
// height; the curve between them dips by the depth in the middle.
TEST(GDIPGlossPaths, HalvesCoverTheDoubledRectangle) {
  TGPSolidBrush red(0xFFFF0000), blue(0xFF0000FF);
  // A wide face, and a narrow one whose dip is deeper than half its width (the curve is then
  // more than half a circle).
  struct {
    TRect R;
    int Depth;
    ARGB Side;  // just inside either side, 4 below where the curve meets the side
  } cases[] = {{{10, 10, 110, 40}, 6, 0xFF0000FF}, {{10, 10, 20, 70}, 10, 0xFFFF0000}};
  for (const auto& c : cases) {
    TSurface shapes(130, 140);
    TGPPathPtr upper = CreateGlossUpperPath(c.R, 2, c.Depth);
    TGPPathPtr lower = CreateGlossLowerPath(c.R, 2, c.Depth);
    shapes.Graphics.FillPath(&red, upper.get());
    shapes.Graphics.FillPath(&blue, lower.get());
    int gaps = 0;
    for (int y = c.R.Top + 2; y < 2 * c.R.Bottom - c.R.Top - 2; ++y) {
      for (int x = c.R.Left + 2; x < c.R.Right - 2; ++x) gaps += shapes.At(x, y) == 0xFFFFFFFF;
    }
    EXPECT_EQ(gaps, 0) << c.R.Width();
    int middle = (c.R.Left + c.R.Right) / 2;
    EXPECT_EQ(shapes.At(middle, c.R.Bottom - 2), 0xFFFF0000u) << c.R.Width();
    EXPECT_EQ(shapes.At(middle, c.R.Bottom + 2), 0xFF0000FFu) << c.R.Width();
    // A wide face's curve falls away from the sides; a narrow one's swells out below them.
    EXPECT_EQ(shapes.At(c.R.Left + 1, c.R.Bottom - c.Depth + 4), c.Side) << c.R.Width();
    EXPECT_EQ(shapes.At(c.R.Right - 2, c.R.Bottom - c.Depth + 4), c.Side) << c.R.Width();
  }
  const TRect r{10, 10, 110, 40};
  TSurface surface(130, 90);
  TGPPathPtr upper = CreateGlossUpperPath(r, 4, 6);
  TGPPathPtr lower = CreateGlossLowerPath(r, 4, 6);
  surface.Graphics.FillPath(&red, upper.get());
  surface.Graphics.FillPath(&blue, lower.get());
  EXPECT_EQ(surface.At(60, 38), 0xFFFF0000u);  // the middle of the curve reaches the bottom
  EXPECT_EQ(surface.At(13, 37), 0xFF0000FFu);  // at the sides it stands depth above it
  EXPECT_EQ(surface.At(60, 42), 0xFF0000FFu);
  EXPECT_EQ(surface.At(60, 75), 0xFFFFFFFFu);  // nothing below the doubled rectangle
  EXPECT_EQ(CreateGlossUpperPath(r, 4, 0)->GetPointCount(), 0);
  EXPECT_EQ(CreateGlossLowerPath(r, 4, 0)->GetPointCount(), 0);

  TSurface ring(60, 40);
  TGPPathPtr path = CreateRingPath(TRect{5, 5, 55, 35}, 4, rtBoth, 3);
  ring.Graphics.FillPath(&red, path.get());
  EXPECT_EQ(ring.At(30, 6), 0xFFFF0000u);
  EXPECT_EQ(ring.At(30, 20), 0xFFFFFFFFu) << "the middle of a ring is open";
}

TEST(GDIPStatus, BadgeSizeFollowsCaptionSpacingAndPicture) {
  TSurface surface(10, 10);
  TGDIPStatus badge;
  badge.Font()->SetSize(8);
  badge.CalcSize(&surface.Graphics, u"5");
  int h = badge.Height(), w = badge.Width();
  EXPECT_GE(w, h);
  EXPECT_GT(h, 8);
  badge.CalcSize(&surface.Graphics, u"12345");
  EXPECT_GT(badge.Width(), w);
  EXPECT_EQ(badge.Height(), h);
  int wide = badge.Width();
  badge.SetSpacing(3);
  badge.CalcSize(&surface.Graphics, u"12345");
  EXPECT_EQ(badge.Width(), wide + 6);
  badge.CalcSize(&surface.Graphics, u"");
  EXPECT_EQ(badge.Width(), wide + 6) << "an empty caption keeps the size";
  SquarePicture(*badge.Fill()->Picture(), 20, 20);
  TGDIPStatus small;
  small.CalcSize(&surface.Graphics, u"1");
  SquarePicture(*small.Fill()->Picture(), 20, 20);
  small.CalcSize(&surface.Graphics, u"1");
  EXPECT_GE(small.Width(), 20);
  EXPECT_GE(small.Height(), 20);
  // An unknown face falls back to Arial rather than drop the caption.
  TGDIPStatus unknown;
  unknown.Font()->SetName(u"No Such Face");
  unknown.CalcSize(&surface.Graphics, u"7");
  EXPECT_GT(unknown.Width(), 0);
}

TEST(GDIPStatus, DrawMakesAPillSilentlyAndGlosses) {
  TSurface surface(80, 40);
  TGDIPStatus badge;
  badge.Fill()->SetColor(clRed);
  badge.Fill()->SetColorTo(clMaroon);
  int changes = 0;
  badge.OnChange = [&](TObject*) { ++changes; };
  TGPCallLog log;
  {
    TGPCallLogScope scope(log);
    badge.Draw(&surface.Graphics, 5, 5, 50, 22, false, u"12");
  }
  EXPECT_EQ(badge.Fill()->Rounding(), 11);
  EXPECT_EQ(changes, 0) << "the owner sees nothing of the rounding";
  std::vector<TGPCall> strings = log.Named("GdipDrawString");
  ASSERT_EQ(strings.size(), 1u);
  EXPECT_EQ(strings[0].Text, u"12");
  EXPECT_EQ(strings[0].FontFamily, u"Tahoma");
  // The gloss over the upper half: white from 170 to 30, after the caption.
  std::vector<TGPCall> paths = log.Named("GdipFillPath");
  ASSERT_FALSE(paths.empty());
  const TGPCall gloss = paths.back();
  EXPECT_EQ(gloss.PathBounds.Height, 11);
  EXPECT_EQ(gloss.Brush.Kind, TGPBrushKind::LinearGradient);
  EXPECT_EQ(gloss.Brush.Colors, (std::vector<ARGB>{0xAAFFFFFF, 0x1EFFFFFF}));
  EXPECT_GT(GetGreen(surface.At(30, 7)), GetGreen(surface.At(30, 24))) << "lighter on top";
  badge.SetGlow(false);
  EXPECT_EQ(changes, 1);
  badge.Fill()->SetColor(clBlue);
  badge.Font()->SetSize(12);
  EXPECT_EQ(changes, 3) << "the owned fill and font report through the badge";
  TGDIPStatus copy;
  copy.Assign(&badge);
  EXPECT_FALSE(copy.Glow());
  EXPECT_EQ(copy.Fill()->Color(), clBlue);
  EXPECT_EQ(copy.Font()->Size(), 12);
}

// The blend colours of the two gloss gradients of a glossy button.
struct TGloss {
  std::vector<ARGB> Lower, Upper;
};

TGloss PaintGloss(TGDIPButton& button, const TGDIPButtonPaint& paint) {
  TSurface surface(120, 60);
  TGPCallLog log;
  TGPCallLogScope scope(log);
  button.Draw(&surface.Graphics, paint);
  TGloss gloss;
  for (const TGPCall& call : log.Named("GdipFillPath")) {
    if (call.Brush.Kind != TGPBrushKind::LinearGradient) continue;
    (gloss.Lower.empty() ? gloss.Lower : gloss.Upper) = call.Brush.BlendColors;
  }
  return gloss;
}

TEST(GDIPButton, FaceColourAndGlossStrength) {
  TGDIPButton button;
  TGDIPButtonPaint paint;
  paint.W = 100;
  paint.H = 40;
  paint.Color = static_cast<TColor>(0x404080);
  const ARGB c = ColorToARGB(paint.Color);
  button.SetGlowPercentage(0);
  TGloss flat = PaintGloss(button, paint);
  EXPECT_EQ(flat.Lower, (std::vector<ARGB>{c, c, c}));
  EXPECT_EQ(flat.Upper, (std::vector<ARGB>{c, c, c}));
  button.SetGlowPercentage(200);
  TGloss strong = PaintGloss(button, paint);
  auto L = [&](int amount) { return ColorToARGB(LightenColor(paint.Color, amount)); };
  EXPECT_EQ(strong.Lower, (std::vector<ARGB>{L(-80), L(200), L(440)}));
  EXPECT_EQ(strong.Upper, (std::vector<ARGB>{L(440), L(200), c}));

  // Down with no down colour: V x 0.7, each channel rounded (192 -> 134.4 -> 134).
  button.SetSimpleLayout(true);
  paint.Color = static_cast<TColor>(0xC0C0C0);
  paint.Down = true;
  TSurface surface(120, 60);
  TGPCallLog log;
  {
    TGPCallLogScope scope(log);
    button.Draw(&surface.Graphics, paint);
  }
  ASSERT_FALSE(log.Named("GdipFillPath").empty());
  EXPECT_EQ(log.Named("GdipFillPath")[0].Brush.Colors, std::vector<ARGB>{0xFF868686});
  EXPECT_EQ(surface.At(50, 20), 0xFF868686u);
  paint.DownColor = clGreen;
  log.Clear();
  {
    TGPCallLogScope scope(log);
    button.Draw(&surface.Graphics, paint);
  }
  EXPECT_EQ(log.Named("GdipFillPath")[0].Brush.Colors, std::vector<ARGB>{0xFF008000});
}

TEST(GDIPButton, PictureSourcesAndStretch) {
  TGDIPPictureContainer container(nullptr);
  auto* item = container.Items()->Add();
  item->SetName(u"Save");
  SquarePicture(*item->Picture(), 12, 12);
  TAdvGDIPPicture given;
  SquarePicture(given, 16, 16);
  TCustomImageList images(nullptr);
  images.SetSize(10, 10);

  struct {
    const char* Name;
    String PictureName;
    int ImageIndex;
    bool Stretch;
    TPictureMode Mode;
    std::vector<float> Size;  // w, h drawn; empty: nothing drawn
  } cases[] = {
      {"the argument", u"", -1, false, pmNormal, {16, 16}},
      {"by name from the container", u"save", -1, false, pmNormal, {12, 12}},
      {"a name the container lacks empties it", u"Open", -1, false, pmNormal, {}},
      {"an index beyond the list is ignored", u"", 5, false, pmNormal, {16, 16}},
      {"stretched into height - 7", u"", -1, true, pmStretch, {33, 33}},
      {"pmNormal keeps a smaller picture", u"", -1, true, pmNormal, {16, 16}},
  };
  for (const auto& c : cases) {
    TGDIPButton button;
    button.SetPictureContainer(&container);
    button.SetImageList(&images);
    button.SetPictureStretch(c.Stretch);
    button.SetPictureStretchMode(c.Mode);
    TGDIPButtonPaint paint;
    paint.W = 120;
    paint.H = 40;
    paint.Picture = &given;
    paint.PictureName = c.PictureName;
    paint.ImageIndex = c.ImageIndex;
    paint.Caption = u"Зачувај";
    TSurface surface(130, 50);
    TGPCallLog log;
    {
      TGPCallLogScope scope(log);
      button.Draw(&surface.Graphics, paint);
    }
    std::vector<TGPCall> images = log.Named("GdipDrawImageRect");
    if (c.Size.empty()) {
      EXPECT_TRUE(images.empty()) << c.Name;
    } else {
      ASSERT_EQ(images.size(), 1u) << c.Name;
      EXPECT_EQ(std::vector<float>(images[0].Args.begin() + 2, images[0].Args.end()), c.Size)
          << c.Name;
    }
    ASSERT_EQ(log.Named("GdipDrawString").size(), 1u) << c.Name;
    EXPECT_EQ(log.Named("GdipDrawString")[0].Text, u"Зачувај");
  }
  // A removed image source is forgotten, unless the owner is going anyway.
  TGDIPButton button;
  button.SetPictureContainer(&container);
  button.Notification(nullptr, &container, opRemove);
  EXPECT_EQ(button.PictureContainer(), nullptr);
}

TEST(GDIPButton, NotificationAndAssign) {
  TGDIPButton button;
  std::vector<std::string> events;
  button.OnChange = [&](TObject*) { events.push_back("change"); };
  button.OnFontChange = [&](TObject*) { events.push_back("font"); };
  button.Font()->SetSize(11);
  EXPECT_EQ(events, (std::vector<std::string>{"change", "font"}));
  events.clear();
  button.BeginUpdate();
  button.SetSpacing(5);
  button.EndUpdate();
  EXPECT_TRUE(events.empty());
  EXPECT_TRUE(button.IsFontStored());
  button.OnIsFontStored = [](TObject*, bool& stored) { stored = false; };
  EXPECT_FALSE(button.IsFontStored());

  TGDIPButton other;
  other.SetRounding(2);
  other.SetGlowPercentage(50);
  other.SetLayout(blPictureTop);
  button.Assign(&other);
  EXPECT_EQ(events, std::vector<std::string>{"change"});
  EXPECT_EQ(button.GlowPercentage(), 50);
  EXPECT_EQ(button.Layout(), blPictureTop);
  EXPECT_EQ(button.Spacing(), 3);
  EXPECT_EQ(button.Rounding(), 8) << "the rounding is not copied";
}

// For a person to look at: fills, badges and glossy buttons on a raster surface.
TEST(GDIPGallery, WritesAPicture) {
  TSurface surface(460, 260, 0xFFF4F4F4);
  TGPGraphics& g = surface.Graphics;
  g.SetSmoothingMode(SmoothingModeAntiAlias);
  auto fill = [&](float x, float y, auto setup) {
    TGDIPFill f;
    setup(f);
    f.Fill(&g, MakeRectF(x, y, 140, 44));
  };
  fill(10, 10, [](TGDIPFill& f) {
    f.SetColor(static_cast<TColor>(0xFCE1CB));
    f.SetColorTo(static_cast<TColor>(0xEBC39D));
    f.SetColorMirror(static_cast<TColor>(0xDBB08C));
    f.SetColorMirrorTo(static_cast<TColor>(0xF5E2CF));
    f.SetGradientMirrorType(gtVertical);
    f.SetBorderColor(static_cast<TColor>(0x9C7153));
    f.SetRounding(8);
    f.SetShadowOffset(5);
    f.SetGlow(gmRadial);
  });
  fill(160, 10, [](TGDIPFill& f) {
    f.SetColor(clNavy);
    f.SetColorTo(clBlue);
    f.SetGradientType(gtRadial);
    f.SetRounding(10);
    f.SetGlow(gmGradient);
  });
  fill(310, 10, [](TGDIPFill& f) {
    f.SetGradientType(gtHatch);
    f.SetHatchStyle(HatchStyleDiagonalCross);
    f.SetColor(clTeal);
    f.SetColorTo(clWhite);
    f.SetBorderColor(clBlack);
    f.SetShadowType(stSurround);
    f.SetShadowOffset(4);
  });
  TGDIPStatus badge;
  badge.Fill()->SetColor(clRed);
  badge.Fill()->SetColorTo(clMaroon);
  badge.Fill()->SetBorderColor(clWhite);
  badge.Font()->SetColor(clWhite);
  badge.Font()->SetStyle({fsBold});
  for (int i = 0; i < 3; ++i) {
    const char16_t* captions[] = {u"5", u"12", u"Ново"};
    badge.CalcSize(&g, captions[i]);
    badge.Draw(&g, 10 + 60 * i, 80, 0, 0, true, captions[i]);
  }
  TGDIPButton button;
  button.Font()->SetSize(10);
  TAdvGDIPPicture picture;
  TBytesStream png(gdiptest::ReadFixture("pattern_rgba.png"));
  picture.LoadFromStream(&png);
  struct {
    const char16_t* Caption;
    bool Down;
    TColor Color;
    TColor Text;
  } buttons[] = {{u"Членови", false, static_cast<TColor>(0xD08040), clWhite},
                 {u"Down", true, static_cast<TColor>(0xD08040), clWhite},
                 {u"Disabled", false, clSilver, clGray}};
  for (int i = 0; i < 3; ++i) {
    TGDIPButtonPaint paint;
    paint.Caption = buttons[i].Caption;
    paint.X = 10 + 150 * i;
    paint.Y = 130;
    paint.W = 140;
    paint.H = 44;
    paint.HMargin = 2;
    paint.VMargin = 2;
    paint.Color = buttons[i].Color;
    paint.TextColor = buttons[i].Text;
    paint.Down = buttons[i].Down;
    paint.Bevel = true;
    paint.Picture = &picture;
    button.Draw(&g, paint);
  }
  button.SetSimpleLayout(true);
  TGDIPButtonPaint simple;
  simple.Caption = u"Simple";
  simple.X = 10;
  simple.Y = 190;
  simple.W = 140;
  simple.H = 44;
  simple.Color = clSkyBlue;
  button.Draw(&g, simple);

  TRasterImage image;
  image.Resize(460, 260);
  for (int y = 0; y < 260; ++y) {
    for (int x = 0; x < 460; ++x) image.Argb[y * 460 + x] = surface.At(x, y);
  }
  std::filesystem::path folder = std::filesystem::path(BUILD_TREE) / "screenshots";
  std::filesystem::create_directories(folder);
  TBytes bytes = EncodePngFile(image);
  std::ofstream((folder / "fill-gallery.png").string(), std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  EXPECT_TRUE(std::filesystem::exists(folder / "fill-gallery.png"));
  EXPECT_GT(surface.CountOther(0xFFF4F4F4), 20000) << "the gallery is mostly painted";
}

}  // namespace
