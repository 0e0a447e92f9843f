#include "controls/graphics/GDIPFill.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/gdi/Bitmap.h"
#include "tests/controls/graphics/GraphicsTestSupport.h"

namespace {

using gdiptest::ReadFixture;
using gdiptest::TSurface;

// The painting calls of a log as "name:brush" (brush kinds s solid, l linear, h hatch, t texture,
// p path gradient), "name:pen" with a dotted pen marked, and the clip calls.
std::vector<std::string> Steps(const TGPCallLog& log) {
  static const char kKinds[] = {'-', 's', 'h', 't', 'l', 'p'};
  std::vector<std::string> steps;
  for (const TGPCall& call : log.Calls()) {
    std::string name = call.Name.substr(4);  // without "Gdip"
    if (name == "FillPath" || name == "FillRectangle") {
      steps.push_back(name + ":" + kKinds[static_cast<int>(call.Brush.Kind)]);
    } else if (name == "DrawPath" || name == "DrawLine" || name == "DrawRectangle") {
      steps.push_back(name + (call.Pen.DashStyle == DashStyleDot ? ":dot" : ""));
    } else if (name == "DrawImageRect" || name == "DrawImageRectRect" || name == "SetClipRegion" ||
               name == "ResetClip") {
      steps.push_back(name);
    }
  }
  return steps;
}

TAdvGDIPPicture* LoadInto(TAdvGDIPPicture* picture, const char* fixture) {
  TBytesStream stream(ReadFixture(fixture));
  picture->LoadFromStream(&stream);
  return picture;
}

TEST(GDIPFill, PaintsItsStepsInOrder) {
  TSurface surface(120, 60);
  TGPCallLog log;
  TGDIPFill fill;
  fill.SetShadowOffset(3);
  fill.SetGradientType(gtTexture);
  LoadInto(fill.BackGroundPicture(), "pattern_rgba.png");
  fill.SetBackGroundPicturePosition(ppTiled);
  fill.SetBackGroundPictureMode(pmInsideFill);
  fill.SetBorderColor(clNavy);
  fill.SetGlow(gmRadial);
  fill.Focus = true;
  LoadInto(fill.Picture(), "pattern.gif");
  {
    TGPCallLogScope scope(log);
    fill.Fill(&surface.Graphics, MakeRectF(0, 0, 120, 60));
  }
  EXPECT_EQ(Steps(log), (std::vector<std::string>{
                            "FillPath:p",                                     // shadow
                            "FillRectangle:t",                                // tiled body
                            "SetClipRegion", "FillRectangle:t", "ResetClip",  // inside picture
                            "DrawPath",                                       // border
                            "SetClipRegion", "FillPath:p", "ResetClip",       // glow
                            "DrawPath:dot",                                   // focus
                            "DrawImageRect"}))                                // picture
      << log.Dump();

  // The background picture outside the fill comes after border, glow and focus.
  fill.SetBackGroundPictureMode(pmOutsideFill);
  fill.SetBackGroundPicturePosition(ppCenterCenter);
  fill.SetGlow(gmGradient);
  fill.SetShadowOffset(0);
  log.Clear();
  {
    TGPCallLogScope scope(log);
    fill.Fill(&surface.Graphics, MakeRectF(0, 0, 120, 60));
  }
  std::vector<std::string> steps = Steps(log);
  ASSERT_GE(steps.size(), 3u) << log.Dump();
  EXPECT_EQ(steps[steps.size() - 3], "DrawPath:dot") << log.Dump();
  EXPECT_EQ(steps[steps.size() - 2], "DrawImageRect");  // the background picture
  EXPECT_EQ(steps[steps.size() - 1], "DrawImageRect");  // the picture
  EXPECT_EQ(log.Named("GdipDrawImageRect")[0].Args,
            (std::vector<float>{48, 22, 24, 16}));  // centred in 120 x 60
}

TEST(GDIPFill, ARectangleOfOnePixelIsALine) {
  struct {
    const char* Name;
    TGPFloatRect R;
    TColor Border;
    std::vector<std::string> Steps;
  } cases[] = {
      {"height 1", MakeRectF(2, 5, 100, 1), clRed, {"DrawLine"}},
      {"width 1", MakeRectF(7, 3, 1, 40), clRed, {"DrawLine"}},
      {"no border colour", MakeRectF(2, 5, 100, 1), clNone, {}},
  };
  for (const auto& c : cases) {
    TSurface surface(120, 60);
    TGDIPFill fill;
    fill.SetShadowOffset(4);
    fill.SetRounding(3);
    fill.SetBorderColor(c.Border);
    fill.SetBorderWidth(2);
    TGPCallLog log;
    TGPCallLogScope scope(log);
    TGPFloatRect result = fill.Fill(&surface.Graphics, c.R);
    EXPECT_EQ(Steps(log), c.Steps) << c.Name << "\n" << log.Dump();
    EXPECT_EQ(result.Width, c.R.Width) << c.Name;
    if (!c.Steps.empty()) {
      const TGPCall line = log.Named("GdipDrawLine")[0];
      EXPECT_EQ(line.Args,
                (std::vector<float>{c.R.X, c.R.Y, c.R.X + c.R.Width, c.R.Y + c.R.Height}));
      EXPECT_EQ(line.Pen.Width, 2);
      EXPECT_EQ(line.Pen.Color, 0xFFFF0000u);
    }
  }
}

TEST(GDIPFill, NoColourRules) {
  // ColorTo clNone turns every kind solid.
  for (TAdvGradientType kind : {gtSolid, gtVertical, gtHorizontal, gtForwardDiagonal,
                                gtBackwardDiagonal, gtAngle, gtHatch, gtTexture}) {
    TSurface surface(60, 30);
    TGDIPFill fill;
    fill.SetGradientType(kind);
    fill.SetColor(clGreen);
    fill.SetColorTo(clNone);
    fill.SetOpacity(128);
    TGPCallLog log;
    TGPCallLogScope scope(log);
    fill.Fill(&surface.Graphics, MakeRectF(0, 0, 60, 30));
    ASSERT_EQ(Steps(log), std::vector<std::string>{"FillRectangle:s"}) << kind << log.Dump();
    EXPECT_EQ(log.Named("GdipFillRectangle")[0].Brush.Colors, std::vector<ARGB>{0x80008000});
  }
  // Color clNone: no body, but border, glow and pictures.
  TSurface surface(60, 30);
  TGDIPFill fill;
  fill.SetColor(clNone);
  fill.SetBorderColor(clBlack);
  fill.SetGlow(gmGradient);
  LoadInto(fill.Picture(), "pattern.gif");
  TGPCallLog log;
  {
    TGPCallLogScope scope(log);
    fill.Fill(&surface.Graphics, MakeRectF(0, 0, 60, 30));
  }
  std::vector<std::string> steps = Steps(log);
  EXPECT_EQ(steps.front(), "DrawPath") << log.Dump();
  EXPECT_EQ(steps.back(), "DrawImageRect");
  EXPECT_EQ(std::count(steps.begin(), steps.end(), "FillRectangle:l"), 2) << "the glow's bands";
  // A mirror colour of clNone (the default) is one part; a hatch or texture body never splits.
  TGDIPFill mirror;
  mirror.SetColorMirror(clRed);
  mirror.SetColorMirrorTo(clYellow);
  mirror.SetGradientType(gtHatch);
  log.Clear();
  {
    TGPCallLogScope scope(log);
    mirror.Fill(&surface.Graphics, MakeRectF(0, 0, 60, 30));
  }
  EXPECT_EQ(Steps(log), std::vector<std::string>{"FillRectangle:h"});
}

TEST(GDIPFill, MirrorHalvesOverlapAndRepaintTheSeam) {
  TSurface surface(100, 40);
  TGDIPFill fill;
  fill.SetColor(clWhite);
  fill.SetColorTo(clSilver);
  fill.SetColorMirror(clGray);
  fill.SetColorMirrorTo(clBlack);
  fill.SetGradientMirrorType(gtVertical);
  TGPCallLog log;
  {
    TGPCallLogScope scope(log);
    fill.Fill(&surface.Graphics, MakeRectF(0, 0, 100, 40));
  }
  std::vector<TGPCall> fills = log.Named("GdipFillRectangle");
  ASSERT_EQ(fills.size(), 3u) << log.Dump();
  EXPECT_EQ(fills[0].Args, (std::vector<float>{0, 0, 100, 21}));
  EXPECT_EQ(fills[0].Brush.Rect.Y, -1);  // the gradient runs over the part grown by one
  EXPECT_EQ(fills[1].Args, (std::vector<float>{0, 19, 100, 21}));
  EXPECT_EQ(fills[1].Brush.Colors, (std::vector<ARGB>{0xFF808080, 0xFF000000}));
  EXPECT_EQ(fills[2].Args, (std::vector<float>{0, 19, 100, 1}));  // the seam row
  EXPECT_EQ(fills[2].Brush.Colors, std::vector<ARGB>{0xFF808080});
  EXPECT_EQ(surface.At(50, 19), 0xFF808080u);
  // Rounded, each half rounds only its outer corners.
  fill.SetRounding(6);
  log.Clear();
  {
    TGPCallLogScope scope(log);
    fill.Fill(&surface.Graphics, MakeRectF(0, 0, 100, 40));
  }
  std::vector<TGPCall> arcs = log.Named("GdipAddPathArc");
  ASSERT_EQ(arcs.size(), 4u) << log.Dump();
  EXPECT_EQ(arcs[0].Args[5], 90);
  EXPECT_EQ(arcs[0].Args[4], 180);  // top-left, then top-right, of the top half
  EXPECT_EQ(arcs[1].Args[4], 270);
  EXPECT_EQ(arcs[2].Args[4], 0);  // bottom-right, then bottom-left, of the mirror half
  EXPECT_EQ(arcs[3].Args[4], 90);
}

TEST(GDIPFill, AntiAliasOnlyForRoundedBodiesAndRestored) {
  for (int rounding : {0, 5}) {
    TSurface surface(60, 30);
    surface.Graphics.SetSmoothingMode(SmoothingModeHighSpeed);
    TGDIPFill fill;
    fill.SetRounding(rounding);
    TGPCallLog log;
    {
      TGPCallLogScope scope(log);
      fill.Fill(&surface.Graphics, MakeRectF(0, 0, 60, 30));
    }
    std::vector<std::string> steps = Steps(log);
    ASSERT_EQ(steps.size(), 1u) << log.Dump();
    const TGPCall body = log.Named(rounding ? "GdipFillPath" : "GdipFillRectangle")[0];
    EXPECT_EQ(body.SmoothingMode, rounding ? SmoothingModeAntiAlias : SmoothingModeHighSpeed);
    EXPECT_EQ(surface.Graphics.GetSmoothingMode(), SmoothingModeHighSpeed) << rounding;
  }
}

TEST(GDIPFill, ShadowTakesItsShareOfTheRectangle) {
  struct {
    TShadowType Type;
    TGPFloatRect Want;
  } cases[] = {
      {stSurround, MakeRectF(15, 25, 90, 30)},
      {stRightBottom, MakeRectF(10, 20, 95, 35)},
      {stBottom, MakeRectF(10, 20, 100, 35)},
  };
  for (const auto& c : cases) {
    TSurface surface(130, 70);
    TGDIPFill fill;
    fill.SetShadowOffset(5);
    fill.SetShadowType(c.Type);
    TGPFloatRect r = fill.Fill(&surface.Graphics, MakeRectF(10, 20, 100, 40));
    EXPECT_EQ(r.X, c.Want.X) << c.Type;
    EXPECT_EQ(r.Y, c.Want.Y) << c.Type;
    EXPECT_EQ(r.Width, c.Want.Width) << c.Type;
    EXPECT_EQ(r.Height, c.Want.Height) << c.Type;
  }
  // The right-bottom shadow darkens what the body leaves uncovered; no colour, no shadow.
  TSurface surface(130, 70);
  TGDIPFill fill;
  fill.SetShadowOffset(5);
  fill.SetShadowColor(clBlack);
  fill.Fill(&surface.Graphics, MakeRectF(10, 20, 100, 40));
  EXPECT_LT(GetRed(surface.At(107, 50)), 200);
  EXPECT_EQ(surface.At(120, 50), 0xFFFFFFFFu);
  fill.SetShadowColor(clNone);
  TGPFloatRect unshadowed = fill.Fill(&surface.Graphics, MakeRectF(10, 20, 100, 40));
  EXPECT_EQ(unshadowed.Width, 100);
  // No graphics: nothing painted, the rectangle back unchanged.
  EXPECT_EQ(fill.Fill(nullptr, MakeRectF(1, 2, 3, 4)).Width, 3);
}

TEST(GDIPFill, RoundRectPathSegmentsPerRoundingType) {
  // A arc, L line, in the order the figure is built.
  struct {
    TFillRoundingType Type;
    std::string Segments;
  } cases[] = {
      {rtNone, "LLLL"},     {rtTop, "ALALLL"},  {rtBottom, "LLALAL"},
      {rtBoth, "ALALALAL"}, {rtLeft, "ALLLAL"}, {rtRight, "LALALL"},
  };
  for (const auto& c : cases) {
    TGPCallLog log;
    TGPCallLogScope scope(log);
    TGPPathPtr path = CreateRoundRectPath(MakeRectF(10, 20, 100, 40), 6, c.Type);
    std::string segments;
    for (const TGPCall& call : log.Calls()) {
      if (call.Name == "GdipAddPathArc") segments += 'A';
      if (call.Name == "GdipAddPathLine") segments += 'L';
    }
    EXPECT_EQ(segments, c.Segments) << c.Type;
    EXPECT_EQ(log.Calls().back().Name, "GdipClosePathFigure");
    EXPECT_NEAR(path->GetBounds().X, 10, 0.01);
    EXPECT_NEAR(path->GetBounds().Width, 100, 0.01);
    EXPECT_NEAR(path->GetBounds().Height, 40, 0.01);
  }
  TGPCallLog log;
  TGPCallLogScope scope(log);
  CreateRoundRectPath(MakeRectF(10, 20, 100, 40), 6, rtBoth);
  std::vector<TGPCall> arcs = log.Named("GdipAddPathArc");
  EXPECT_EQ(arcs[1].Args, (std::vector<float>{98, 20, 12, 12, 270, 90}));  // top-right
  EXPECT_EQ(arcs[2].Args, (std::vector<float>{98, 48, 12, 12, 0, 90}));    // bottom-right
  EXPECT_EQ(log.Named("GdipAddPathLine")[1].Args, (std::vector<float>{110, 26, 110, 54}));
  // The radius is not limited: a radius beyond half the height makes arcs larger than the box.
  log.Clear();
  CreateRoundRectPath(MakeRectF(0, 0, 40, 10), 30, rtBoth);
  EXPECT_EQ(log.Named("GdipAddPathArc")[0].Args[2], 60);
}

TEST(GDIPFill, NotificationCountsAndUpdates) {
  TGDIPFill fill;
  int changes = 0;
  fill.OnChange = [&](TObject* sender) {
    EXPECT_EQ(sender, &fill);
    ++changes;
  };
  fill.SetColor(clRed);
  fill.SetColor(clRed);  // unchanged: silent
  EXPECT_EQ(changes, 1);
  fill.BeginUpdate();
  fill.SetRounding(4);
  LoadInto(fill.Picture(), "pattern.gif");
  fill.EndUpdate();
  EXPECT_EQ(changes, 1) << "nothing is made up for after EndUpdate";
  fill.EndUpdate();  // below zero is ignored
  fill.SetAngle(30);
  EXPECT_EQ(changes, 2);

  TGDIPFill source;
  source.SetColorMirror(clLime);
  source.SetShadowOffset(2);
  LoadInto(source.BackGroundPicture(), "pattern_rgba.png");
  source.Focus = true;
  changes = 0;
  fill.Assign(&source);
  EXPECT_EQ(changes, 3) << "each picture, then the fill";
  EXPECT_EQ(fill.ColorMirror(), clLime);
  EXPECT_EQ(fill.ShadowOffset(), 2);
  EXPECT_EQ(fill.BackGroundPicture()->Bytes(), source.BackGroundPicture()->Bytes());
  EXPECT_TRUE(fill.Picture()->Empty()) << "the source's empty picture is copied too";
  EXPECT_FALSE(fill.Focus) << "focus is not copied";
  TBitmap other;
  changes = 0;
  fill.Assign(&other);
  EXPECT_EQ(changes, 0);
}

TEST(GDIPFill, PixelsOfGradientsGlowAndOpacity) {
  TSurface surface(100, 60);
  TGDIPFill fill;
  fill.SetColor(clRed);
  fill.SetColorTo(clBlue);
  fill.Fill(&surface.Graphics, MakeRectF(0, 0, 100, 60));
  EXPECT_GT(GetRed(surface.At(50, 0)), 230);
  EXPECT_LT(GetBlue(surface.At(50, 0)), 60);
  EXPECT_GT(GetBlue(surface.At(50, 59)), 230);
  EXPECT_LT(GetRed(surface.At(50, 59)), 60);
  // An opacity argument overrides the property for one call.
  TSurface faint(100, 60);
  fill.SetColorTo(clNone);
  fill.Fill(&faint.Graphics, MakeRectF(0, 0, 100, 60), 255, 0);
  EXPECT_EQ(faint.At(50, 30), 0xFFFFFFFFu);
  // A radial glow is lightest at its centre (the middle of the bottom edge), fading to the body
  // towards its edge.
  TSurface glow(100, 60);
  TGDIPFill dark;
  dark.SetColor(clNavy);
  dark.SetColorTo(clNone);
  dark.SetGlow(gmRadial);
  dark.Fill(&glow.Graphics, MakeRectF(0, 0, 100, 60));
  EXPECT_GT(GetRed(glow.At(50, 57)), GetRed(glow.At(50, 5)) + 40);
  EXPECT_GT(GetRed(glow.At(50, 57)), GetRed(glow.At(12, 57)) + 40);
  EXPECT_EQ(glow.At(2, 30), 0xFF000080u) << "outside the glow the body stays as it is";
  // A radial body: the top edge's centre takes the end colour.
  TSurface radial(100, 40);
  TGDIPFill round;
  round.SetGradientType(gtRadial);
  round.SetColor(clBlack);
  round.SetColorTo(clWhite);
  round.Fill(&radial.Graphics, MakeRectF(0, 0, 100, 40));
  EXPECT_GT(GetRed(radial.At(50, 1)), GetRed(radial.At(50, 38)));
}

TEST(GDIPFill, PicturePlacementAndAspect) {
  TAdvGDIPPicture picture;
  LoadInto(&picture, "pattern.gif");  // 24 x 16
  const TRect r{10, 10, 110, 70};
  struct {
    TFillPicturePosition Position;
    bool Aspect;
    std::vector<float> Want;  // x, y, w, h
  } cases[] = {
      {ppTopLeft, false, {10, 10, 24, 16}},      {ppTopCenter, false, {48, 10, 24, 16}},
      {ppTopRight, false, {86, 10, 24, 16}},     {ppBottomLeft, false, {10, 54, 24, 16}},
      {ppBottomCenter, false, {48, 54, 24, 16}}, {ppBottomRight, false, {86, 54, 24, 16}},
      {ppCenterLeft, false, {10, 32, 24, 16}},   {ppCenterCenter, false, {48, 32, 24, 16}},
      {ppCenterRight, false, {86, 32, 24, 16}},  {ppCustom, false, {3, 4, 24, 16}},
      {ppStretched, false, {10, 10, 100, 60}},   {ppStretched, true, {15, 10, 90, 60}},
  };
  for (const auto& c : cases) {
    TSurface surface(120, 80);
    TGPCallLog log;
    TGPCallLogScope scope(log);
    DrawFillPicture(&surface.Graphics, c.Aspect, pmStretch, &picture, c.Position, 24, 16, r, 3, 4);
    ASSERT_EQ(log.Named("GdipDrawImageRect").size(), 1u) << c.Position;
    EXPECT_EQ(log.Named("GdipDrawImageRect")[0].Args, c.Want) << c.Position;
  }
  // Centring truncates toward zero when the picture is larger than the rectangle.
  TSurface surface(40, 40);
  TGPCallLog log;
  {
    TGPCallLogScope scope(log);
    DrawFillPicture(&surface.Graphics, false, pmStretch, &picture, ppCenterCenter, 24, 16,
                    TRect{0, 0, 15, 9}, 0, 0);
    DrawFillPicture(&surface.Graphics, false, pmStretch, &picture, ppTiled, 24, 16, r, 0, 0);
    TAdvGDIPPicture empty;
    DrawFillPicture(&surface.Graphics, false, pmStretch, &empty, ppTopLeft, 24, 16, r, 0, 0);
  }
  EXPECT_EQ(log.Named("GdipDrawImageRect")[0].Args, (std::vector<float>{-4, -3, 24, 16}));
  ASSERT_EQ(log.Named("GdipFillRectangle").size(), 1u);
  EXPECT_EQ(log.Named("GdipFillRectangle")[0].Brush.Kind, TGPBrushKind::Texture);
  EXPECT_EQ(log.Named("GdipFillRectangle")[0].Args, (std::vector<float>{10, 10, 100, 60}));
  EXPECT_EQ(log.Named("GdipDrawImageRect").size(), 1u) << "an empty picture draws nothing";

  struct {
    TPictureMode Mode;
    double PicW, PicH, RectW, RectH, W, H;
  } sizes[] = {
      {pmStretch, 24, 16, 100, 60, 90, 60}, {pmStretch, 24, 16, 60, 100, 60, 40},
      {pmNormal, 24, 16, 100, 60, 24, 16},  {pmNormal, 24, 16, 24, 60, 24, 16},
      {pmNormal, 30, 16, 24, 60, 24, 12.8}, {pmStretch, 0, 16, 100, 60, 0, 0},
      {pmNormal, 24, 16, 100, -1, 0, 0},
  };
  for (const auto& s : sizes) {
    double w = -1, h = -1;
    GetAspectSize(w, h, s.Mode, s.PicW, s.PicH, s.RectW, s.RectH);
    EXPECT_DOUBLE_EQ(w, s.W) << s.PicW << "x" << s.PicH << " in " << s.RectW << "x" << s.RectH;
    EXPECT_DOUBLE_EQ(h, s.H) << s.PicW << "x" << s.PicH << " in " << s.RectW << "x" << s.RectH;
  }
}

}  // namespace
