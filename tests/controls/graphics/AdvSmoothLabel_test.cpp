// The smooth label: what it draws (captions, shadow, brushes, places) as the GDI+ call log sees
// it, its automatic size, and the data-aware label over a scripted dataset.
#include "controls/graphics/AdvSmoothLabel.h"
#include "controls/graphics/DBAdvSmoothLabel.h"
#include "platform/rtl/RtlMath.h"
#include "tests/controls/graphics/SmoothTestSupport.h"
#include "tests/support/ScriptedDataSet.h"
#include "tests/support/UiTestSupport.h"

namespace {

using namespace AdvSmoothLabel;
using smoothtest::Measure;
using smoothtest::Texts;

class SmoothLabelTest : public uitest::TUiTest {
 public:
  SmoothLabelTest() {
    Application->CreateForm(Form);
    Form->SetBounds(100, 100, 500, 300);
  }
  TAdvSmoothLabel* Add(const String& text, int width = 280, int height = 50) {
    auto* label = new TAdvSmoothLabel(Form);
    label->SetBounds(10, 10, width, height);
    label->SetParent(Form);
    label->Caption()->SetText(text);
    return label;
  }
  // The calls one drawing of the label makes.
  TGPCallLog Draw(TAdvSmoothLabel* label) {
    gdiptest::TSurface surface(std::max(label->Width(), 1), std::max(label->Height(), 1));
    TGPCallLog log;
    TGPCallLogScope scope(log);
    label->DrawLabel(&surface.Graphics);
    return log;
  }
  TForm* Form = nullptr;
};

TEST_F(SmoothLabelTest, ALabelOfOnePixelWidthOrHeightDrawsNothing) {
  for (TSize size : {TSize{1, 50}, TSize{280, 1}}) {
    TAdvSmoothLabel* label = Add(u"Текст", size.cx, size.cy);
    label->SetTransparent(false);
    EXPECT_TRUE(Draw(label).Calls().empty()) << size.cx << "x" << size.cy;
  }
}

TEST_F(SmoothLabelTest, TheShadowIsDrawnFirstAtItsOffsetAndAloneWhenTheCaptionIsEmpty) {
  TAdvSmoothLabel* label = Add(u"Сенка");
  label->SetCaptionShadowVisible(true);
  label->SetCaptionShadowOffsetLeft(3);
  label->SetCaptionShadowOffsetTop(2);
  std::vector<TGPCall> both = Texts(Draw(label));
  ASSERT_EQ(both.size(), 2u);
  EXPECT_FLOAT_EQ(both[0].Args[0], both[1].Args[0] + 3);
  EXPECT_FLOAT_EQ(both[0].Args[1], both[1].Args[1] + 2);

  label->SetAutoShadowCaption(false);
  label->Caption()->SetText(u"");
  std::vector<TGPCall> alone = Texts(Draw(label));
  ASSERT_EQ(alone.size(), 1u);
  EXPECT_EQ(alone[0].Text, u"Сенка");
  EXPECT_FLOAT_EQ(alone[0].Args[0], both[0].Args[0]);

  label->SetCaptionShadowVisible(false);
  EXPECT_TRUE(Texts(Draw(label)).empty()) << "a hidden shadow is not drawn";
}

TEST_F(SmoothLabelTest, AutoShadowCaptionCopiesTheCaptionsTextOneWayOnly) {
  TAdvSmoothLabel* label = Add(u"Прво");
  EXPECT_EQ(label->CaptionShadow()->Text(), u"Прво");
  label->CaptionShadow()->SetText(u"Сенка");
  EXPECT_EQ(label->Caption()->Text(), u"Прво");
  label->SetAutoShadowCaption(false);
  label->Caption()->SetText(u"Второ");
  EXPECT_EQ(label->CaptionShadow()->Text(), u"Сенка");
}

TEST_F(SmoothLabelTest, TheBrushFollowsTheGradientKind) {
  struct TCase {
    TAdvGradientType Type;
    TColor End;
    TGPBrushKind Kind;
    std::vector<ARGB> Colors;
  } cases[] = {
      {gtSolid, clRed, TGPBrushKind::Solid, {0xFF000080}},
      {gtVertical, clRed, TGPBrushKind::LinearGradient, {0xFF000080, 0xFFFF0000}},
      {gtVertical, clNone, TGPBrushKind::LinearGradient, {0xFF000080, 0xFF000080}},
      {gtBackwardDiagonal, clRed, TGPBrushKind::LinearGradient, {0xFFFF0000, 0xFF000080}},
      {gtHatch, clRed, TGPBrushKind::Hatch, {0xFF000080, 0xFFFF0000}},
      // Kinds that make no brush of their own keep the caption, in its start colour.
      {gtRadial, clRed, TGPBrushKind::Solid, {0xFF000080}},
      {gtPath, clRed, TGPBrushKind::Solid, {0xFF000080}},
      {gtNone, clRed, TGPBrushKind::Solid, {0xFF000080}},
  };
  TAdvSmoothLabel* label = Add(u"Боја");
  label->Caption()->SetColorStart(clNavy);
  for (const TCase& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.Type));
    label->Caption()->SetGradientType(c.Type);
    label->Caption()->SetColorEnd(c.End);
    std::vector<TGPCall> texts = Texts(Draw(label));
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].Brush.Kind, c.Kind);
    EXPECT_EQ(texts[0].Brush.Colors, c.Colors);
  }
  // The vertical gradient runs down the text's box.
  label->Caption()->SetGradientType(gtVertical);
  TGPCall text = Texts(Draw(label))[0];
  EXPECT_FLOAT_EQ(text.Brush.Rect.X, text.Args[0]);
  EXPECT_FLOAT_EQ(text.Brush.Rect.Y, text.Args[1]);
  EXPECT_FLOAT_EQ(text.Brush.Rect.Width, 0);
  EXPECT_FLOAT_EQ(text.Brush.Rect.Height, text.Args[3]);
  // A texture without a picture draws nothing.
  label->Caption()->SetGradientType(gtTexture);
  EXPECT_TRUE(Texts(Draw(label)).empty());
}

TEST_F(SmoothLabelTest, TheCaptionIsPlacedByItsLocationInTheFrameCountedFromTheCorner) {
  struct TCase {
    TAdvSmoothLabelLocation Location;
    float FX, FY;  // the share of the free width and height before the text
  } cases[] = {
      {plTopLeft, 0, 0},         {plTopCenter, 0.5f, 0},   {plTopRight, 1, 0},
      {plCenterLeft, 0, 0.5f},   {plCenterCenter, 0.5f, 0.5f}, {plCenterRight, 1, 0.5f},
      {plBottomLeft, 0, 1},      {plBottomCenter, 0.5f, 1}, {plBottomRight, 1, 1},
  };
  TAdvSmoothLabel* label = Add(u"Место", 300, 80);
  TGPFloatRect box = Measure(u"Место", label->Caption()->Font());
  // Without a fill the frame is the control less one pixel; a fill with a border and a shadow
  // of 10 gives its body, whose free space counts, still from the control's corner.
  for (bool filled : {false, true}) {
    label->SetTransparent(!filled);
    label->Fill()->SetBorderColor(clBlack);
    label->Fill()->SetShadowOffset(10);
    float fw = filled ? 289 : 299, fh = filled ? 69 : 79;
    for (const TCase& c : cases) {
      SCOPED_TRACE(std::to_string(c.Location) + (filled ? " filled" : ""));
      label->Caption()->SetLocation(c.Location);
      std::vector<TGPCall> texts = Texts(Draw(label));
      ASSERT_EQ(texts.size(), 1u);
      EXPECT_NEAR(texts[0].Args[0], c.FX * (fw - box.Width), 0.01);
      EXPECT_NEAR(texts[0].Args[1], c.FY * (fh - box.Height), 0.01);
    }
  }
  // plCustom takes the caption's own place.
  label->Caption()->SetLocation(plCustom);
  label->Caption()->SetLeft(7);
  label->Caption()->SetTop(9);
  TGPCall text = Texts(Draw(label))[0];
  EXPECT_EQ(text.Args[0], 7);
  EXPECT_EQ(text.Args[1], 9);
}

TEST_F(SmoothLabelTest, AutoSizeIsTheOneLineCaptionPlusTwoEachWay) {
  Form->HandleNeeded();
  TAdvSmoothLabel* label = Add(u"Големина на текстот");
  label->SetCaptionShadowVisible(true);
  label->SetCaptionShadowOffsetLeft(20);
  label->SetAutoSize(true);
  TGPFloatRect box = Measure(u"Големина на текстот", label->Caption()->Font());
  EXPECT_EQ(label->Width(), Round(box.Width + 2)) << "the shadow's offset does not count";
  EXPECT_EQ(label->Height(), Round(box.Height + 2));
  label->Caption()->SetText(u"Г");
  EXPECT_LT(label->Width(), Round(box.Width + 2)) << "a change fits again";
  label->SetAutoSize(false);
  label->Caption()->SetText(u"Големина на текстот");
  EXPECT_LT(label->Width(), Round(box.Width + 2)) << "switched off, the size stays";
}

TEST_F(SmoothLabelTest, EveryChangeRaisesOnChangeOnceTheValueDiffers) {
  TAdvSmoothLabel* label = Add(u"а");
  int changes = 0;
  label->OnChange = [&](TObject* sender) {
    EXPECT_EQ(sender, label);
    ++changes;
  };
  label->SetWordWrap(true);
  label->SetWordWrap(true);
  label->Caption()->Font()->SetSize(30);
  label->Fill()->SetColor(clRed);
  label->Caption()->SetColorStart(clGreen);
  EXPECT_EQ(changes, 4);
  label->SetVersion(u"9");
  EXPECT_EQ(label->Version(), u"1.6.0.0");
}

TEST_F(SmoothLabelTest, AssignCopiesTheLabelAndItsCaptionsButIgnoresOtherSources) {
  TAdvSmoothLabel* source = Add(u"Извор");
  source->SetWordWrap(true);
  source->SetCaptionShadowOffsetTop(4);
  source->Caption()->SetLocation(plBottomRight);
  source->Fill()->SetColor(clRed);
  TAdvSmoothLabel* target = Add(u"Цел");
  target->Assign(source);
  EXPECT_TRUE(target->WordWrap());
  EXPECT_EQ(target->CaptionShadowOffsetTop(), 4);
  EXPECT_EQ(target->Caption()->Text(), u"Извор");
  EXPECT_EQ(target->Caption()->Location(), plBottomRight);
  EXPECT_EQ(target->Fill()->Color(), clRed);
  source->Caption()->SetText(u"Друго");
  EXPECT_EQ(target->Caption()->Text(), u"Извор") << "each label keeps its own caption";
  TFont font;
  target->Assign(&font);
  EXPECT_EQ(target->Caption()->Text(), u"Извор");
}

// --- The data-aware label -------------------------------------------------------------------

using TData = TScriptedDataSet;

class DBSmoothLabelTest : public SmoothLabelTest {
 public:
  DBSmoothLabelTest() {
    Data.AddRow({TData::WideText(u"Ана")});
    Data.AddRow({TData::WideText(u"Марко")});
    Source.SetDataSet(&Data);
    Data.Open();
  }
  TDBAdvSmoothLabel* Bound() {
    auto* label = new TDBAdvSmoothLabel(Form);
    label->SetParent(Form);
    label->Caption()->SetText(u"НАЈАВА");
    label->SetDataSource(&Source);
    label->SetDataField(u"NAME");
    return label;
  }
  TData Data{nullptr, {{u"NAME", ftWideString, 50}}};
  TDataSource Source{nullptr};
};

TEST_F(DBSmoothLabelTest, WithoutASourceTheLabelKeepsItsText) {
  auto* label = new TDBAdvSmoothLabel(Form);
  label->SetParent(Form);
  label->Caption()->SetText(u"НАЈАВА");
  label->SetDataField(u"NAME");
  EXPECT_EQ(label->Caption()->Text(), u"НАЈАВА");
  EXPECT_FALSE(label->AutoSize());
  EXPECT_EQ(reinterpret_cast<TFieldDataLink*>(label->Perform(CM_GETDATALINK)), label->DataLink());
}

TEST_F(DBSmoothLabelTest, TheLabelFollowsTheRecordAndNeverEdits) {
  TDBAdvSmoothLabel* label = Bound();
  EXPECT_EQ(label->Caption()->Text(), u"Ана");
  EXPECT_EQ(label->CaptionShadow()->Text(), u"Ана");
  Data.Next();
  EXPECT_EQ(label->Caption()->Text(), u"Марко");
  Data.Prior();
  EXPECT_EQ(label->Caption()->Text(), u"Ана");
  EXPECT_EQ(Data.State(), dsBrowse);
  EXPECT_FALSE(label->DataLink()->IsModified());
  Data.Close();
  EXPECT_EQ(label->Caption()->Text(), u"") << "a closed dataset shows nothing";
}

TEST_F(DBSmoothLabelTest, RemovingTheSourceForgetsIt) {
  auto* source = new TDataSource(Form);
  source->SetDataSet(&Data);
  auto* label = new TDBAdvSmoothLabel(Form);
  label->SetParent(Form);
  label->SetDataSource(source);
  EXPECT_EQ(label->DataSource(), source);
  delete source;
  EXPECT_EQ(label->DataSource(), nullptr);
}

}  // namespace
