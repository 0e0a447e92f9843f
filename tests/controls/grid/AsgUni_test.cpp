// The Unicode editors: what the edit and the combo's edit part promise about wide text (round
// trips, typed code units and their key handlers, commits in order, the text messages, the text
// before and across windows), the combo's Enter, Backspace and mouse choice, and the button edit.
#include "controls/grid/AsgUni.h"
#include "tests/controls/grid/GridEditorTestSupport.h"

namespace {

using namespace grideditor_test;
using namespace AsgUni;

// Cyrillic, Greek, the euro sign and a character outside the first plane (a surrogate pair).
const String kMixed = u"Ћирилица Ωμέγα € 😀";
constexpr char16_t kHigh = 0xD83D, kLow = 0xDE00;

class UniTest : public TEditorTest {
 public:
  UniTest() {
    Edit = Add<TAsgUniEdit>(Bounds(20, 20, 200, 24));
    Combo = Add<TASGUniComboBox>(Bounds(20, 60, 200, 24));
    for (const char16_t* item : {u"Скопје", u"Струга", u"Охрид"}) Combo->Items()->Add(item);
  }
  // The control that takes typed characters: the edit, or the combo's edit part.
  TCustomEdit* Typist(bool combo) { return combo ? Combo->EditControl() : Edit; }
  TWinControl* Control(bool combo) { return combo ? static_cast<TWinControl*>(Combo) : Edit; }
  String TextOf(bool combo) { return combo ? Combo->Text() : Edit->Text(); }
  void SetTextOf(bool combo, const String& text) {
    if (combo)
      Combo->SetText(text);
    else
      Edit->SetText(text);
  }
  void TypeUnits(const String& units) {
    Script().Then([units] {
      for (char16_t unit : units) InjectChar(unit);
    });
    RunScript();
  }
  TAsgUniEdit* Edit;
  TASGUniComboBox* Combo;
};

// Each guarantee runs on the edit and on the combo's edit part.
class UniTextTest : public UniTest, public ::testing::WithParamInterface<bool> {};

TEST_P(UniTextTest, AnyTextRoundTripsAndEachRealChangeIsAnnouncedOnce) {
  const bool combo = GetParam();
  TWinControl* control = Control(combo);
  int announced = 0;
  TWndMethod previous = control->WindowProc();
  control->SetWindowProc([&](TMessage& message) {
    if (message.Msg == CM_TEXTCHANGED) ++announced;
    previous(message);
  });
  SetTextOf(combo, kMixed);
  SetTextOf(combo, kMixed);
  EXPECT_EQ(TextOf(combo), kMixed);
  EXPECT_EQ(announced, 1);
  // A lone half survives too: the text holds whatever units it is given.
  const String lone = String(u"a") + kLow + u"b";
  SetTextOf(combo, lone);
  EXPECT_EQ(TextOf(combo), lone);
  EXPECT_EQ(announced, 2);
  control->SetWindowProc(previous);
}

TEST_P(UniTextTest, TypedUnitsReachTheTextAndTheKeyHandlerSeesEachOfThem) {
  const bool combo = GetParam();
  std::vector<char16_t> seen;
  Control(combo)->OnKeyPress = [&](TObject*, char16_t& key) { seen.push_back(key); };
  Focus(Control(combo));
  SetTextOf(combo, u"");
  // One WM_CHAR a code unit, in order: how typing and an input method's commit both arrive.
  TypeUnits(kMixed);
  EXPECT_EQ(TextOf(combo), kMixed);
  EXPECT_EQ(String(seen.begin(), seen.end()), kMixed);
  EXPECT_NE(std::find(seen.begin(), seen.end(), kHigh), seen.end()) << "the real unit, not 255";
}

TEST_P(UniTextTest, AHandlerSwallowsOrReplacesAUnitAndAPairGoesWhole) {
  const bool combo = GetParam();
  Focus(Control(combo));
  SetTextOf(combo, u"");
  Control(combo)->OnKeyPress = [](TObject*, char16_t& key) {
    if (key == u'ж' || key == kHigh) key = 0;
    if (key == u'ѕ') key = u'з';
  };
  TypeUnits(String(u"аж") + kHigh + kLow + u"ѕ€");
  EXPECT_EQ(TextOf(combo), u"аз€") << "the swallowed first half took its second half along";

  // A replaced first half takes its second half along too: no lone half is stored.
  Control(combo)->OnKeyPress = [](TObject*, char16_t& key) {
    if (key == kHigh) key = u'?';
  };
  SetTextOf(combo, u"");
  TypeUnits(String(u"x") + kHigh + kLow + u"y");
  EXPECT_EQ(TextOf(combo), u"x?y");

  // A second half that follows nothing swallowed is typed as it is.
  Control(combo)->OnKeyPress = nullptr;
  SetTextOf(combo, u"");
  TypeUnits(String(u"p") + kLow);
  EXPECT_EQ(TextOf(combo), String(u"p") + kLow);
}

TEST_P(UniTextTest, TheTextMessagesAgreeWithTheText) {
  const bool combo = GetParam();
  TWinControl* control = Control(combo);
  Form->Show();
  SetTextOf(combo, kMixed);
  const auto length = static_cast<LRESULT>(kMixed.size());
  EXPECT_EQ(control->Perform(WM_GETTEXTLENGTH), length);
  EXPECT_EQ(SendMessage(control->Handle(), WM_GETTEXTLENGTH), length);
  std::vector<char16_t> buffer(kMixed.size() + 1, u'#');
  EXPECT_EQ(SendMessage(control->Handle(), WM_GETTEXT, buffer.size(),
                        reinterpret_cast<LPARAM>(buffer.data())),
            length);
  EXPECT_EQ(String(buffer.data()), kMixed);
  String other = u"Ѓорѓи 😀";
  SendMessage(control->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(other.c_str()));
  EXPECT_EQ(TextOf(combo), other);
  String third = u"Ξ";
  control->Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(third.c_str()));
  EXPECT_EQ(TextOf(combo), third);
}

TEST_P(UniTextTest, TextSetBeforeTheWindowAndAcrossItsRecreationSurvives) {
  const bool combo = GetParam();
  TWinControl* control = Control(combo);
  ASSERT_FALSE(control->HandleAllocated());
  SetTextOf(combo, kMixed);
  Form->Show();
  ASSERT_TRUE(control->HandleAllocated());
  EXPECT_EQ(TextOf(combo), kMixed);
  control->RecreateWnd();
  EXPECT_EQ(TextOf(combo), kMixed);
  if (combo) Combo->SetFlat(false);
  EXPECT_EQ(TextOf(combo), kMixed);
}

INSTANTIATE_TEST_SUITE_P(EditAndCombo, UniTextTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Combo" : "Edit"; });

// --- The combo -----------------------------------------------------------------------------------

TEST_F(UniTest, EnterWhileTheListIsOpenClosesItAndNeverReachesTheEdit) {
  Focus(Combo);
  std::vector<char16_t> comboKeys;
  Combo->OnKeyPress = [&](TObject*, char16_t& key) { comboKeys.push_back(key); };
  std::vector<char16_t> editKeys;
  Combo->EditControl()->OnKeyPress = [&](TObject*, char16_t& key) { editKeys.push_back(key); };
  PressWith(VK_MENU, VK_DOWN);
  ASSERT_TRUE(Combo->DroppedDown());
  PressKey(VK_DOWN);
  PressKey(VK_RETURN);
  EXPECT_FALSE(Combo->DroppedDown());
  EXPECT_EQ(Combo->Text(), u"Скопје") << "the item moved to stays chosen";
  EXPECT_TRUE(editKeys.empty());
  EXPECT_EQ(comboKeys, std::vector<char16_t>{u'\r'}) << "the key events still see it, once";

  PressWith(VK_MENU, VK_DOWN);
  ASSERT_TRUE(Combo->DroppedDown());
  PressKey(VK_ESCAPE);
  EXPECT_FALSE(Combo->DroppedDown());
  EXPECT_TRUE(editKeys.empty());
  EXPECT_TRUE(Combo->Focused() || Combo->EditControl()->Focused());
}

TEST_F(UniTest, BackspaceDeletesWithoutCompletingFromTheItems) {
  Focus(Combo);
  Combo->SetText(u"");
  TypeUnits(u"Ст");
  EXPECT_EQ(Combo->Text(), u"Струга") << "typing completes";
  EXPECT_EQ(Combo->SelLength(), 4);
  bool seen = false;
  Combo->OnKeyPress = [&](TObject*, char16_t& key) { seen |= key == u'\b'; };
  PressKey(VK_BACK);
  EXPECT_EQ(Combo->Text(), u"Ст");
  PressKey(VK_BACK);
  EXPECT_EQ(Combo->Text(), u"С") << "not completed back to an item";
  EXPECT_TRUE(seen);
}

TEST_F(UniTest, AMouseChoiceSetsTheTextBeforeClickAndChange) {
  std::vector<std::string> log;
  Combo->OnClick = [&](TObject*) { log.push_back("click " + UTF8Encode(Combo->Text())); };
  Combo->OnChange = [&](TObject*) { log.push_back("change " + UTF8Encode(Combo->Text())); };
  Focus(Combo);
  ClickOn(Combo->ClientToScreen({Combo->Width() - 8, 12}));
  ASSERT_TRUE(Combo->DroppedDown());
  TCustomListBox* list = Combo->DropList();
  ASSERT_NE(list, nullptr);
  ClickOn(list->ClientToScreen(CenterOf(list->ItemRect(2))));
  EXPECT_FALSE(Combo->DroppedDown());
  EXPECT_EQ(Combo->Text(), u"Охрид");
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[0], "click Охрид");
  EXPECT_EQ(log[1], "change Охрид");
}

TEST_F(UniTest, TheFlatCombosButtonWidthRangeAndDisabledColour) {
  EXPECT_TRUE(Combo->Flat());
  EXPECT_FALSE(Combo->Ctl3D());
  const int initial = Combo->ButtonWidth();
  EXPECT_EQ(initial, GetSystemMetrics(SM_CXVSCROLL) + 4);
  Combo->SetButtonWidth(13);
  EXPECT_EQ(Combo->ButtonWidth(), initial);
  Combo->SetButtonWidth(16);
  EXPECT_EQ(Combo->ButtonWidth(), 16);

  Form->SetColor(clMoneyGreen);
  Combo->SetColor(clCream);
  Combo->SetEnabled(false);
  EXPECT_EQ(Combo->Color(), clMoneyGreen);
  Combo->SetEnabled(true);
  EXPECT_EQ(Combo->Color(), clCream);

  // Flat, it paints its frames in the parent's colour and the classic flat button.
  TDrawingLog log = PaintLog(Combo);
  ASSERT_FALSE(log.Named("DrawFrameControl").empty());
  EXPECT_TRUE(log.Named("DrawFrameControl")[0].Flags & DFCS_FLAT);
  EXPECT_EQ(log.Named("FrameRect").at(0).BrushColor, ColorToRGB(clMoneyGreen));
}

// --- The edits -----------------------------------------------------------------------------------

TEST_F(UniTest, ANewUnicodeButtonEditIsEmptyWhileTheOtherShowsZero) {
  auto* uni = Add<TAsgUniEditBtn>(Bounds(20, 100, 150, 25));
  auto* plain = Add<TAsgEditBtn>(Bounds(20, 140, 150, 25));
  EXPECT_EQ(uni->Text(), u"");
  EXPECT_EQ(plain->Text(), u"0");

  std::vector<TObject*> clicks;
  uni->OnClickBtn = [&](TObject* sender) { clicks.push_back(sender); };
  Focus(uni);
  PressWith(VK_CONTROL, VK_F4);
  ClickOn(CenterOf(uni->Button()));
  EXPECT_EQ(clicks, (std::vector<TObject*>{uni, uni->Button()})) << "F4 clicks whatever is held";

  TypeUnits(u"Ѓ😀");
  EXPECT_EQ(uni->Text(), u"Ѓ😀");
  uni->EditorEnabled = false;
  TypeUnits(u"x");
  EXPECT_EQ(uni->Text(), u"Ѓ😀");

  TRect text{};
  uni->Perform(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&text));
  EXPECT_EQ(text.Right, uni->Width() - 4 - 18 - 3 + 2);
  EXPECT_LE(text.Right, uni->Button()->Left());
}

TEST_F(UniTest, TheMemoStartsWithoutWordWrapAndTakesReturnsWhenAsked) {
  auto* memo = Add<TAsgUniMemo>(Bounds(240, 20, 0, 0));
  memo->SetBounds(240, 20, 200, 100);
  EXPECT_FALSE(memo->WordWrap());
  EXPECT_EQ(memo->ScrollBars(), ssNone);
  EXPECT_FALSE(memo->WantReturns());
  Focus(memo);
  EXPECT_EQ(memo->Perform(WM_GETDLGCODE) & DLGC_WANTALLKEYS, 0);
  memo->SetWantReturns(true);
  EXPECT_NE(memo->Perform(WM_GETDLGCODE) & DLGC_WANTALLKEYS, 0);
  TypeUnits(u"ред");
  PressKey(VK_RETURN);
  TypeUnits(u"два😀");
  EXPECT_EQ(memo->Text(), u"ред\r\nдва😀");
  EXPECT_EQ(memo->Perform(WM_GETDLGCODE) & DLGC_WANTTAB, 0);
  memo->SetWantTabs(true);
  EXPECT_NE(memo->Perform(WM_GETDLGCODE) & DLGC_WANTTAB, 0);
  memo->SetWordWrap(true);
  memo->SetScrollBars(ssVertical);
  EXPECT_TRUE(memo->WordWrap());
  EXPECT_EQ(memo->ScrollBars(), ssVertical);
  EXPECT_EQ(memo->Text(), u"ред\r\nдва😀") << "the window was made again with its text";
}

}  // namespace
