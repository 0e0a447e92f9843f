// The spin editor: values kept in the text and their limits, typed keys with their beeps, steps
// of every kind and field, the buttons' repeat on the virtual clock, and the keys that move on.
#include "controls/grid/asgspin.h"
#include "platform/rtl/NumberText.h"
#include "platform/ui/Clipbrd.h"
#include "tests/controls/grid/GridEditorTestSupport.h"

namespace {

using namespace grideditor_test;
using namespace asgspin;

class SpinTest : public TEditorTest {
 public:
  SpinTest() {
    Spin = Add<TAsgSpinEdit>(Bounds(20, 20, 120, 25));
    Other = Add<TAsgSpinEdit>(Bounds(20, 80, 120, 25));
    FormatSettings() = TFormatSettings::Invariant();
  }
  void UseDayFirst() {
    FormatSettings().ShortDateFormat = u"dd.MM.yyyy";
    FormatSettings().DateSeparator = u'.';
  }
  TAsgSpinEdit* Spin;
  TAsgSpinEdit* Other;
};

// --- Values and limits ---------------------------------------------------------------------------

TEST_F(SpinTest, ANewEditorShowsZeroAndReadsItAsTodayWhenADate) {
  EXPECT_EQ(Spin->Text(), u"0");
  EXPECT_EQ(Spin->Value(), 0);
  TDateTime before = Date();
  Spin->SetSpinType(sptDate);
  TDateTime after = Date();
  // The type change re-writes the value: "0" became today's date.
  TDateTime shown = StrToDate(Spin->Text());
  EXPECT_TRUE(shown == before || shown == after) << UTF8Encode(Spin->Text());
  Spin->SetText(u"0");
  EXPECT_GE(Spin->DateValue(), before);
}

TEST_F(SpinTest, EachTypeClampsToItsLimits) {
  // Integers: 0..100 by default; equal limits mean none.
  struct TIntCase {
    int Min, Max, Written;
    const char16_t* Shown;
  } ints[] = {{0, 100, 150, u"100"}, {0, 100, -5, u"0"}, {0, 100, 42, u"42"},
              {0, 0, -5, u"-5"},     {0, 0, 1000, u"1000"}, {10, 10, 3, u"3"}};
  for (const TIntCase& c : ints) {
    Spin->MinValue = c.Min;
    Spin->MaxValue = c.Max;
    Spin->SetValue(c.Written);
    EXPECT_EQ(Spin->Text(), c.Shown) << c.Written << " in " << c.Min << ".." << c.Max;
  }

  Spin->SetSpinType(sptFloat);
  struct TFloatCase {
    double Min, Max, Written;
    int Precision;
    const char16_t* Shown;
  } floats[] = {{0, 100, 100.5, 0, u"100"}, {0, 100, -1, 0, u"0"}, {0, 100, 2.5, 0, u"2.5"},
                {0, 100, 2.5, 2, u"2.50"},  {0, 0, -7.25, 0, u"-7.25"}};
  for (const TFloatCase& c : floats) {
    Spin->MinFloatValue = c.Min;
    Spin->MaxFloatValue = c.Max;
    Spin->SetPrecision(c.Precision);
    Spin->SetFloatValue(c.Written);
    EXPECT_EQ(Spin->Text(), c.Shown) << c.Written;
  }

  Spin->SetSpinType(sptDate);
  Spin->MinDateValue = EncodeDate(2024, 1, 1);
  Spin->MaxDateValue = EncodeDate(2024, 12, 31);
  Spin->SetDateValue(EncodeDate(2025, 3, 1));
  EXPECT_EQ(Spin->Text(), u"12/31/2024");
  Spin->SetDateValue(EncodeDate(2023, 3, 1));
  EXPECT_EQ(Spin->Text(), u"01/01/2024");

  Spin->SetSpinType(sptTime);
  Spin->MinDateValue = EncodeTime(8, 0, 0, 0);
  Spin->MaxDateValue = EncodeTime(17, 0, 0, 0);
  Spin->SetTimeValue(EncodeTime(18, 30, 0, 0));
  EXPECT_EQ(Spin->Text(), u"17:00:00");
  Spin->ShowSeconds = false;
  Spin->SetTimeValue(EncodeTime(7, 5, 0, 0));
  EXPECT_EQ(Spin->Text(), u"8:00");
}

TEST_F(SpinTest, TextsThatDoNotConvertReadAsTheLowerLimit) {
  Spin->MinValue = 5;
  Spin->MinFloatValue = 2.5;
  Spin->MinDateValue = EncodeDate(2020, 2, 2);
  Spin->SetText(u"abc");
  EXPECT_EQ(Spin->Value(), 5);
  EXPECT_DOUBLE_EQ(Spin->FloatValue(), 2.5);
  EXPECT_EQ(Spin->DateValue(), EncodeDate(2020, 2, 2));
  EXPECT_EQ(Spin->TimeValue(), 0);
  Spin->SetText(u"  ");
  EXPECT_EQ(Spin->Value(), 0) << "a blank text is no value";
}

TEST_F(SpinTest, PrecisionReformatsAFloatAndTypeChangesReformatTheText) {
  Spin->SetSpinType(sptFloat);
  Spin->SetText(u"3.14159");
  Spin->SetPrecision(2);
  EXPECT_EQ(Spin->Text(), u"3.14");
  Spin->SetPrecision(0);
  EXPECT_EQ(Spin->Text(), u"3.14");
  Spin->SetText(u"250");
  Spin->SetSpinType(sptNormal);
  EXPECT_EQ(Spin->Text(), u"100");
}

// --- Typed keys ----------------------------------------------------------------------------------

struct TKeyCase {
  const char* Name;
  TAsgSpinType Type;
  const char16_t* Text;
  int SelStart, SelLength;
  char16_t Key;
  bool Accepted;
  int Precision = 0;
  bool EditorEnabled = true;
};

class SpinKeyTest : public SpinTest, public ::testing::WithParamInterface<TKeyCase> {};

TEST_P(SpinKeyTest, TheKeyIsTakenOrRefusedWithABeep) {
  const TKeyCase& c = GetParam();
  Spin->MinValue = Spin->MaxValue = 0;
  Spin->MinFloatValue = Spin->MaxFloatValue = 0;
  Spin->SetSpinType(c.Type);
  Spin->SetPrecision(c.Precision);
  Spin->EditorEnabled = c.EditorEnabled;
  Focus(Spin);
  Spin->SetText(c.Text);
  Spin->SetSelStart(c.SelStart);
  Spin->SetSelLength(c.SelLength);
  const int beeps = BeepCount();
  String before = Spin->Text();
  bool seen = false;
  Spin->OnKeyPress = [&](TObject*, char16_t&) { seen = true; };
  TypeChar(c.Key);
  EXPECT_EQ(seen, c.Accepted) << "OnKeyPress sees only taken keys";
  EXPECT_EQ(BeepCount() - beeps, c.Accepted ? 0 : 1);
  if (!c.Accepted) {
    EXPECT_EQ(Spin->Text(), before);
  } else if (c.Key >= u'0' && c.Key <= u'9') {
    EXPECT_NE(Spin->Text(), before);
  }
}

const TKeyCase kKeyCases[] = {
    {"IntegerDigit", sptNormal, u"12", 2, 0, u'3', true},
    {"IntegerMinusAtTheStart", sptNormal, u"12", 0, 0, u'-', true},
    {"IntegerMinusAfterTheStart", sptNormal, u"12", 1, 0, u'-', false},
    {"IntegerSecondMinus", sptNormal, u"-12", 0, 0, u'-', false},
    {"IntegerMinusReplacingTheSelectedOne", sptNormal, u"-12", 0, 1, u'-', true},
    {"IntegerLetter", sptNormal, u"12", 2, 0, u'a', false},
    {"IntegerCyrillicLetter", sptNormal, u"12", 2, 0, u'ж', false},
    {"IntegerDecimalSeparator", sptNormal, u"12", 2, 0, u'.', false},
    {"IntegerCtrlV", sptNormal, u"12", 2, 0, u'\x16', false},
    {"IntegerBackspace", sptNormal, u"12", 2, 0, u'\b', true},
    {"IntegerBackspaceWithoutEditor", sptNormal, u"12", 2, 0, u'\b', false, 0, false},
    {"IntegerDigitWithoutEditor", sptNormal, u"12", 2, 0, u'5', false, 0, false},
    {"FloatSeparator", sptFloat, u"12", 2, 0, u'.', true},
    {"FloatSecondSeparator", sptFloat, u"1.2", 3, 0, u'.', false},
    {"FloatThousandSeparator", sptFloat, u"12", 2, 0, u',', false},
    {"FloatCtrlC", sptFloat, u"12", 2, 0, u'\x03', true},
    {"FloatDigitBeyondPrecision", sptFloat, u"1.25", 4, 0, u'7', false, 2},
    {"FloatDigitBeforeTheSeparator", sptFloat, u"1.25", 1, 0, u'7', true, 2},
    {"FloatDigitOverASelection", sptFloat, u"1.25", 3, 1, u'7', true, 2},
    {"DateSeparator", sptDate, u"01/02", 5, 0, u'/', true},
    {"DateTimeSeparator", sptDate, u"01/02", 5, 0, u':', false},
    {"TimeSeparator", sptTime, u"10", 2, 0, u':', true},
    {"TimeThirdSeparator", sptTime, u"10:11:12", 8, 0, u':', false},
    {"TimeDateSeparator", sptTime, u"10", 2, 0, u'/', false},
    {"TimeLetter", sptTime, u"10", 2, 0, u'x', false},
};

INSTANTIATE_TEST_SUITE_P(Keys, SpinKeyTest, ::testing::ValuesIn(kKeyCases),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(SpinTest, WithoutTheEditorPastingAndDeletingDoNothingButTheKeysStillStep) {
  Spin->EditorEnabled = false;
  Focus(Spin);
  Spin->SetText(u"12");
  Clipboard()->SetAsText(u"99");
  Spin->SetSelStart(0);
  Spin->SetSelLength(2);
  Spin->PasteFromClipboard();
  Spin->CutToClipboard();
  EXPECT_EQ(Spin->Text(), u"12");
  Spin->SetSelStart(0);
  Spin->SetSelLength(0);
  PressKey(VK_DELETE);
  EXPECT_EQ(Spin->Text(), u"12");
  PressKey(VK_UP);
  EXPECT_EQ(Spin->Text(), u"13");
}

TEST_F(SpinTest, TheKeypadDecimalKeyTypesTheLocaleSeparatorInExcelStyle) {
  FormatSettings().DecimalSeparator = u',';
  FormatSettings().ThousandSeparator = u'.';
  Spin->SetSpinType(sptFloat);
  Focus(Spin);
  Spin->SetText(u"3");
  Spin->SetSelStart(1);
  // Without the setting the keypad's "." is refused like any thousand separator.
  PressKey(VK_DECIMAL);
  EXPECT_EQ(Spin->Text(), u"3");
  Spin->ExcelStyleDecimalSeparator = true;
  PressKey(VK_DECIMAL);
  EXPECT_EQ(Spin->Text(), u"3,");
  // The main keyboard's "." is not the keypad's.
  Spin->SetText(u"4");
  Spin->SetSelStart(1);
  PressKey(VK_OEM_PERIOD);
  EXPECT_EQ(Spin->Text(), u"4");
}

// --- Steps ---------------------------------------------------------------------------------------

struct TStepCase {
  const char* Name;
  TAsgSpinType Type;
  bool DayFirst;
  const char16_t* Text;
  int Caret;
  bool Up;
  const char16_t* Result;
  int Hours = 1, Minutes = 1, Seconds = 1;
  bool ShowSeconds = true;
};

class SpinStepTest : public SpinTest, public ::testing::WithParamInterface<TStepCase> {};

TEST_P(SpinStepTest, TheFieldUnderTheCaretSteps) {
  const TStepCase& c = GetParam();
  if (c.DayFirst) UseDayFirst();
  Spin->SetSpinType(c.Type);
  Spin->IncrementHours = c.Hours;
  Spin->IncrementMinutes = c.Minutes;
  Spin->IncrementSeconds = c.Seconds;
  Spin->ShowSeconds = c.ShowSeconds;
  Spin->SetText(c.Text);
  Spin->SetSelStart(c.Caret);
  if (c.Up)
    Spin->StepUp(false);
  else
    Spin->StepDown(false);
  EXPECT_EQ(Spin->Text(), c.Result);
  EXPECT_EQ(Spin->SelStart(), c.Caret) << "the caret stays in its field";
}

const TStepCase kStepCases[] = {
    {"MonthFirstFirstFieldIsTheMonth", sptDate, false, u"01/31/2024", 1, true, u"02/29/2024"},
    {"MonthFirstMiddleFieldIsTheDay", sptDate, false, u"01/31/2024", 4, true, u"02/01/2024"},
    {"DayFirstMiddleFieldIsTheMonth", sptDate, true, u"31.01.2024", 4, true, u"29.02.2024"},
    {"DayFirstFirstFieldIsTheDay", sptDate, true, u"01.03.2024", 0, false, u"29.02.2024"},
    {"YearUp", sptDate, true, u"15.06.2024", 8, true, u"15.06.2025"},
    {"TwentyNinthOfFebruaryPlusAYear", sptDate, true, u"29.02.2024", 8, true, u"28.02.2025"},
    {"TwentyNinthOfFebruaryMinusAYear", sptDate, false, u"02/29/2024", 9, false, u"02/28/2023"},
    {"HourUp", sptTime, false, u"10:30:00", 0, true, u"11:30:00"},
    {"MinuteDownPastMidnight", sptTime, false, u"0:10:00", 3, false, u"23:50:00", 1, 20},
    {"SecondUpPastMidnight", sptTime, false, u"23:59:50", 7, true, u"00:00:05", 1, 1, 15},
    {"HoursBeyondADay", sptTime, false, u"10:00:00", 0, true, u"12:00:00", 26},
    {"MinutesWithoutSeconds", sptTime, false, u"0:10", 3, false, u"23:50", 1, 20, 1, false},
};

INSTANTIATE_TEST_SUITE_P(Steps, SpinStepTest, ::testing::ValuesIn(kStepCases),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(SpinTest, NumbersStepByTheirIncrementsAndPagesOnlyForFloats) {
  Spin->Increment = 5;
  Spin->SetText(u"10");
  Focus(Spin);
  PressKey(VK_UP);
  EXPECT_EQ(Spin->Text(), u"15");
  PressKey(VK_NEXT);
  EXPECT_EQ(Spin->Text(), u"10");
  Spin->SetSpinType(sptFloat);
  PressKey(VK_PRIOR);
  EXPECT_EQ(Spin->Text(), u"11");
  PressKey(VK_DOWN);
  EXPECT_EQ(Spin->Text(), u"10.9");
  Spin->SetText(u"99.95");
  Spin->StepUp(false);
  EXPECT_EQ(Spin->Text(), u"100") << "a step stops at the limit";
}

TEST_F(SpinTest, AReadOnlyEditorBeepsInsteadOfStepping) {
  Spin->SetReadOnly(true);
  Spin->SetText(u"7");
  int beeps = BeepCount();
  Spin->StepUp(false);
  Spin->StepDown(true);
  EXPECT_EQ(Spin->Text(), u"7");
  EXPECT_EQ(BeepCount() - beeps, 2);
}

TEST_F(SpinTest, StepsAtTheCalendarsEndsChangeNothing) {
  UseDayFirst();
  Spin->SetSpinType(sptDate);
  Spin->SetText(u"31.12.9999");
  Spin->SetSelStart(8);
  EXPECT_NO_THROW(Spin->StepUp(false));
  EXPECT_EQ(Spin->Text(), u"31.12.9999");
  Spin->SetSelStart(4);
  EXPECT_NO_THROW(Spin->StepUp(false));
  EXPECT_EQ(Spin->Text(), u"31.12.9999");
}

// --- The buttons ---------------------------------------------------------------------------------

TEST_F(SpinTest, ThePairSitsInsideTheEditAndTakesItsClicks) {
  Form->Show();
  TAsgSpinButton* pair = Spin->Button();
  TRect inside = Spin->ClientRect();
  TRect pairRect = pair->BoundsRect();
  EXPECT_TRUE(pairRect.Left > inside.Width() / 2 && pairRect.Right <= inside.Right &&
              pairRect.Top >= 0 && pairRect.Bottom <= inside.Bottom)
      << pairRect.Left << "," << pairRect.Top << "," << pairRect.Right << "," << pairRect.Bottom;
  // The text stops before the pair.
  TRect text{};
  Spin->Perform(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&text));
  EXPECT_LE(text.Right, pairRect.Left);

  Spin->SetText(u"5");
  ClickOn(CenterOf(pair->UpButton()));
  EXPECT_EQ(Spin->Text(), u"6");
  EXPECT_TRUE(Spin->Focused()) << "a press on the pair gives the edit the focus";
  ClickOn(CenterOf(pair->DownButton()));
  ClickOn(CenterOf(pair->DownButton()));
  EXPECT_EQ(Spin->Text(), u"4");

}

TEST_F(SpinTest, AHeldHalfRepeatsAfterFourHundredThenEveryHundredMilliseconds) {
  Form->Show();
  Spin->MaxValue = 1000;
  TPoint up = CenterOf(Spin->Button()->UpButton());
  MoveMouse(up);
  MouseButton(true, up);
  EXPECT_EQ(Spin->Text(), u"0") << "the press alone does not step";
  Wait(399);
  EXPECT_EQ(Spin->Text(), u"0");
  Wait(1);
  EXPECT_EQ(Spin->Text(), u"1");
  Wait(99);
  EXPECT_EQ(Spin->Text(), u"1");
  Wait(1);
  EXPECT_EQ(Spin->Text(), u"2");
  Wait(300);
  EXPECT_EQ(Spin->Text(), u"5");
  MouseButton(false, up);
  EXPECT_EQ(Spin->Text(), u"6") << "the release clicks once more";
  Wait(1000);
  EXPECT_EQ(Spin->Text(), u"6") << "released, the timer stops";
}

TEST_F(SpinTest, HorizontalPairsAndColouredHalves) {
  Form->Show();
  TAsgSpinButton* pair = Spin->Button();
  Spin->SetDirection(spHorizontal);
  EXPECT_EQ(pair->Width(), 20);
  EXPECT_LT(pair->DownButton()->Left(), pair->UpButton()->Left());
  EXPECT_EQ(pair->UpButton()->Arrow(), TAdvTimerSpeedButton::taRight);
  Spin->SetText(u"3");
  ClickOn(CenterOf(pair->DownButton()));
  EXPECT_EQ(Spin->Text(), u"2");

  pair->ButtonColor = clMoneyGreen;
  pair->ButtonColorHot = clSkyBlue;
  pair->ButtonColorDown = clCream;
  MoveMouse(CenterOf(Other));
  // The halves paint up first, then down.
  TDrawingLog log = PaintLog(pair);
  std::vector<COLORREF> shown;
  for (const TDrawingCall& call : log.Named("Rectangle")) shown.push_back(call.BrushColor);
  EXPECT_EQ(shown, (std::vector<COLORREF>{ColorToRGB(clMoneyGreen), ColorToRGB(clMoneyGreen)}));
  EXPECT_EQ(log.Named("Polygon").size(), 2u);
  MoveMouse(CenterOf(pair->UpButton()));
  MouseButton(true, CenterOf(pair->UpButton()));
  log = PaintLog(pair);
  shown.clear();
  for (const TDrawingCall& call : log.Named("Rectangle")) shown.push_back(call.BrushColor);
  EXPECT_EQ(shown, (std::vector<COLORREF>{ColorToRGB(clCream), ColorToRGB(clMoneyGreen)}));
  MouseButton(false, CenterOf(pair->UpButton()));
  log = PaintLog(pair);
  shown.clear();
  for (const TDrawingCall& call : log.Named("Rectangle")) shown.push_back(call.BrushColor);
  EXPECT_EQ(shown, (std::vector<COLORREF>{ColorToRGB(clSkyBlue), ColorToRGB(clMoneyGreen)}));
}

TEST_F(SpinTest, TheDefaultGlyphsComeFromTheProgramsResources) {
  TAsgSpinButton* pair = Spin->Button();
  ASSERT_NE(pair->UpGlyph(), nullptr);
  EXPECT_EQ(pair->UpGlyph()->Width(), 9);
  EXPECT_EQ(pair->UpGlyph()->Height(), 6);
  TBitmap own(5, 5);
  pair->SetDownGlyph(&own);
  EXPECT_EQ(pair->DownGlyph()->Width(), 5);
  pair->SetDownGlyph(nullptr);
  EXPECT_EQ(pair->DownGlyph()->Width(), 9);
}

// --- Moving on -----------------------------------------------------------------------------------

TEST_F(SpinTest, EnterMovesOnLikeTabWhenAsked) {
  Focus(Spin);
  PressKey(VK_RETURN);
  EXPECT_TRUE(Spin->Focused()) << "Enter is not Tab by default";
  Spin->ReturnIsTab = true;
  PressKey(VK_RETURN);
  EXPECT_TRUE(Other->Focused());
}

TEST_F(SpinTest, LeavingTheEditorBringsTheValueBackInsideItsLimits) {
  Focus(Spin);
  Spin->SetSelStart(0);
  Spin->SetSelLength(1);
  TypeKeys(u"150");
  EXPECT_EQ(Spin->Text(), u"150") << "typing is not clamped";
  Focus(Other);
  EXPECT_EQ(Spin->Text(), u"100");

  Spin->SetSpinType(sptFloat);
  Spin->MinFloatValue = 1;
  Spin->MaxFloatValue = 2;
  Focus(Spin);
  Spin->SetText(u"0.5");
  Focus(Other);
  EXPECT_EQ(Spin->Text(), u"1");
}

TEST_F(SpinTest, AlignmentAndTheThreeDimensionalLookAreKept) {
  Form->Show();
  int changes = 0;
  Spin->SetEditAlign(eaRight);
  EXPECT_EQ(Spin->Alignment(), taRightJustify);
  Spin->SetEditAlign(eaCenter);
  EXPECT_EQ(Spin->Alignment(), taCenter);
  EXPECT_TRUE(Spin->Ctl3D());
  TWndMethod previous = Spin->WindowProc();
  Spin->SetWindowProc([&](TMessage& message) {
    if (message.Msg == CM_CTL3DCHANGED) ++changes;
    previous(message);
  });
  Spin->SetCtl3D(false);
  Spin->SetCtl3D(false);
  Spin->SetWindowProc(previous);
  EXPECT_EQ(changes, 1) << "announced once per change";
  EXPECT_FALSE(Spin->Ctl3D());
  TRect pair = Spin->Button()->BoundsRect();
  EXPECT_LE(pair.Right, Spin->Width());
}

}  // namespace
