#include <gtest/gtest.h>

#include "platform/gdi/Colors.h"
#include "platform/gdi/Gdi.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/StdCtrls.h"
#include "tests/support/UiTestSupport.h"

namespace {

using uitest::TUiTest;

class EditTest : public TUiTest {
 public:
  EditTest() {
    Application->CreateForm(Form);
    Form->SetBounds(100, 100, 400, 300);
    Edit = new TEdit(Form);
    Edit->SetBounds(10, 10, 200, 24);
    Edit->SetParent(Form);
    Edit->OnChange = [this](TObject*) { ++Changes; };
    Form->Show();
  }
  // Focuses the edit by a click at its start, then runs the steps.
  void FocusThen(std::function<void()> steps) {
    Script().Then([this] { ClickAt(Edit->ClientToScreen({4, 12})); });
    Script().Then(std::move(steps));
    RunScript();
  }
  static void Ctrl(uint16_t key, bool shift = false) {
    InjectKey(VK_CONTROL, true);
    Key(key, shift);
    InjectKey(VK_CONTROL, false);
  }
  static void Repeat(int times, uint16_t key, bool shift = false) {
    for (int i = 0; i < times; ++i) Key(key, shift);
  }
  TPoint AtChar(int index) { return Edit->ClientToScreen({Edit->PosFromChar(index).X, 12}); }

  TForm* Form = nullptr;
  TEdit* Edit = nullptr;
  int Changes = 0;
};

TEST_F(EditTest, TypingCyrillicPutsEachCharacterAtTheCaret) {
  FocusThen([] { Type(u"Здраво, svet"); });
  EXPECT_EQ(Edit->Text(), u"Здраво, svet");
  EXPECT_EQ(Changes, 12);
  EXPECT_TRUE(Edit->Modified());
  EXPECT_EQ(Edit->CaretPos(), 12);
  TPoint caret;
  ASSERT_TRUE(GetCaretPos(&caret));
  EXPECT_EQ(caret.X, Edit->PosFromChar(12).X);
  EXPECT_EQ(GetCaretOwner(), Edit->Handle());

  // Backspace takes the character before the caret; Delete the one after it; Home and End move.
  Script().Then([] {
    Key(VK_BACK);
    Key(VK_HOME);
    Key(VK_DELETE);
    Key(VK_END);
    Type(u"ъ");
  });
  RunScript();
  EXPECT_EQ(Edit->Text(), u"драво, sveъ");
  // Control characters other than the editing ones never reach the text.
  Script().Then([] { InjectChar(u'\x01f'); InjectChar(u'\t'); });
  RunScript();
  EXPECT_EQ(Edit->Text(), u"драво, sveъ");
}

TEST_F(EditTest, ShiftArrowsSelectAndTypingReplacesTheSelection) {
  Edit->SetText(u"Добар ден свет");
  EXPECT_FALSE(Edit->Modified());  // text set by the program is not a change by the user
  FocusThen([] {
    Key(VK_HOME);
    Repeat(5, VK_RIGHT, true);
  });
  EXPECT_EQ(Edit->SelStart(), 0);
  EXPECT_EQ(Edit->SelText(), u"Добар");
  // Ctrl+Shift+Right goes to the start of the next word; Shift+Left gives back one character.
  Script().Then([] {
    Ctrl(VK_RIGHT, true);
    Ctrl(VK_RIGHT, true);
    Key(VK_LEFT, true);
  });
  RunScript();
  EXPECT_EQ(Edit->SelText(), u"Добар ден");
  // Left without Shift collapses the selection to its start; Shift+End selects to the end.
  Script().Then([] {
    Key(VK_LEFT);
    Ctrl(VK_RIGHT);
    Key(VK_END, true);
  });
  RunScript();
  EXPECT_EQ(Edit->SelStart(), 6);
  EXPECT_EQ(Edit->SelText(), u"ден свет");
  Script().Then([] { Type(u"вечер"); });
  RunScript();
  EXPECT_EQ(Edit->Text(), u"Добар вечер");
  EXPECT_EQ(Edit->SelLength(), 0);
}

TEST_F(EditTest, CutCopyPasteGoThroughTheClipboardAndUndoSwapsBack) {
  Edit->SetText(u"Hello world");
  FocusThen([] {
    Key(VK_END);
    Ctrl(VK_LEFT, true);  // selects "world"
    Ctrl('C');
  });
  EXPECT_EQ(Clipboard()->AsText(), u"world");
  EXPECT_EQ(Edit->Text(), u"Hello world");
  Script().Then([] {
    Key(VK_END);
    Key(VK_LEFT, true);
    Ctrl('X');  // cuts "d"
    Key(VK_HOME);
    Ctrl('V');
  });
  RunScript();
  EXPECT_EQ(Clipboard()->AsText(), u"d");
  EXPECT_EQ(Edit->Text(), u"dHello worl");
  EXPECT_TRUE(Edit->CanUndo());
  Script().Then([] { Ctrl('Z'); });
  RunScript();
  EXPECT_EQ(Edit->Text(), u"Hello worl");
  Script().Then([] { Ctrl('Z'); });  // undoing the undo brings the paste back
  RunScript();
  EXPECT_EQ(Edit->Text(), u"dHello worl");

  // A run of typing is one undo step; Shift+Insert pastes, Shift+Delete cuts.
  Script().Then([] {
    Key(VK_END);
    Type(u"d!!");
    Ctrl('Z');
  });
  RunScript();
  EXPECT_EQ(Edit->Text(), u"dHello worl");
  EXPECT_EQ(Edit->SelText(), u"");
  Clipboard()->SetAsText(u"Ж");
  Script().Then([] {
    Key(VK_HOME);
    Key(VK_INSERT, true);
    Key(VK_HOME);
    Key(VK_RIGHT, true);
    Key(VK_DELETE, true);
  });
  RunScript();
  EXPECT_EQ(Edit->Text(), u"dHello worl");
  EXPECT_EQ(Clipboard()->AsText(), u"Ж");
}

TEST_F(EditTest, TheMouseSetsTheCaretAndDragsAndExtendsTheSelection) {
  Edit->SetText(u"Прво второ трето");
  Script().Then([this] {
    InjectMouseButton(TMouseButtonId::Left, true, AtChar(2));
    InjectMouseMove(AtChar(7));
    InjectMouseButton(TMouseButtonId::Left, false, AtChar(7));
  });
  RunScript();
  EXPECT_TRUE(Edit->Focused());
  EXPECT_EQ(Edit->SelStart(), 2);
  EXPECT_EQ(Edit->SelText(), u"во вт");
  // Dragging past the left end selects to the start; Shift+click extends from the anchor.
  Script().Then([this] {
    InjectMouseButton(TMouseButtonId::Left, true, AtChar(5));
    InjectMouseMove(Edit->ClientToScreen({-30, 12}));
    InjectMouseButton(TMouseButtonId::Left, false, Edit->ClientToScreen({-30, 12}));
  });
  Script().Then([this] {
    InjectKey(VK_SHIFT, true);
    ClickAt(AtChar(10));
    InjectKey(VK_SHIFT, false);
  });
  RunScript();
  EXPECT_EQ(Edit->SelStart(), 5);
  EXPECT_EQ(Edit->SelText(), u"второ");
  // A double click selects the word under the pointer.
  Script().Then([this] {
    ClickAt(AtChar(13));
    ClickAt(AtChar(13));
  });
  RunScript();
  EXPECT_EQ(Edit->SelText(), u"трето");
}

TEST_F(EditTest, MaxLengthReadOnlyPasswordAndCharCaseRestrictEditing) {
  Edit->SetMaxLength(4);
  FocusThen([] { Type(u"абвгдѓ"); });
  EXPECT_EQ(Edit->Text(), u"абвг");
  Clipboard()->SetAsText(u"12345");
  Script().Then([] {
    Key(VK_LEFT, true);
    Key(VK_LEFT, true);
    Ctrl('V');  // two characters' room: "12" goes in
  });
  RunScript();
  EXPECT_EQ(Edit->Text(), u"аб12");

  Edit->SetMaxLength(0);
  Edit->SetReadOnly(true);
  Changes = 0;
  Script().Then([] {
    Ctrl('A');
    Type(u"x");
    Key(VK_BACK);
    Ctrl('X');
    Ctrl('C');
  });
  RunScript();
  EXPECT_EQ(Edit->Text(), u"аб12");
  EXPECT_EQ(Changes, 0);
  EXPECT_EQ(Clipboard()->AsText(), u"аб12");  // copying from a read-only edit is fine

  // A password never leaves through the clipboard, and its characters are not painted.
  Edit->SetReadOnly(false);
  Edit->SetPasswordChar(u'*');
  Clipboard()->SetAsText(u"old");
  Script().Then([] {
    Ctrl('A');
    Ctrl('C');
    Ctrl('X');
  });
  RunScript();
  EXPECT_EQ(Clipboard()->AsText(), u"old");
  EXPECT_EQ(Edit->Text(), u"аб12");

  Edit->SetPasswordChar(0);
  Edit->SetCharCase(ecUpperCase);
  EXPECT_EQ(Edit->Text(), u"АБ12");
  Script().Then([] {
    Key(VK_END);
    Type(u"ж");
  });
  RunScript();
  EXPECT_EQ(Edit->Text(), u"АБ12Ж");
}

TEST_F(EditTest, EditMessagesReachTheSameState) {
  Edit->SetText(u"Скопје 1000");
  Edit->Perform(EM_SETSEL, 2, 6);
  DWORD start = 0, end = 0;
  LRESULT packed = Edit->Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                                 reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 2u);
  EXPECT_EQ(end, 6u);
  EXPECT_EQ(packed, static_cast<LRESULT>(2 | (6 << 16)));
  EXPECT_EQ(Edit->SelText(), u"опје");
  Edit->Perform(EM_SETSEL, 7, -1);  // -1: to the end
  EXPECT_EQ(Edit->SelText(), u"1000");
  Edit->Perform(EM_SETSEL, static_cast<WPARAM>(-1), 0);  // a negative start: no selection
  EXPECT_EQ(Edit->SelLength(), 0);

  EXPECT_EQ(Edit->Perform(EM_CANUNDO), 0);
  Edit->Perform(EM_SETSEL, 0, 6);
  Edit->Perform(EM_REPLACESEL, 1, reinterpret_cast<LPARAM>(u"Битола\r\nignored"));
  EXPECT_EQ(Edit->Text(), u"Битола 1000");
  EXPECT_EQ(Edit->Perform(EM_GETMODIFY), 1);
  EXPECT_EQ(Changes, 2);
  EXPECT_EQ(Edit->Perform(EM_CANUNDO), 1);
  EXPECT_EQ(Edit->Perform(EM_UNDO), 1);
  EXPECT_EQ(Edit->Text(), u"Скопје 1000");
  Edit->Perform(EM_EMPTYUNDOBUFFER);
  EXPECT_EQ(Edit->Perform(EM_UNDO), 0);

  Edit->Perform(EM_SETPASSWORDCHAR, u'#');
  EXPECT_EQ(Edit->Perform(EM_GETPASSWORDCHAR), u'#');
  EXPECT_EQ(Edit->PasswordChar(), u'#');
  Edit->Perform(EM_SETPASSWORDCHAR, 0);
  Edit->Perform(EM_SETREADONLY, 1);
  EXPECT_TRUE(Edit->ReadOnly());
  Edit->Perform(EM_SETREADONLY, 0);
  Edit->Perform(EM_LIMITTEXT, 5);
  EXPECT_EQ(Edit->MaxLength(), 5);
  Edit->Perform(EM_LIMITTEXT, 0);

  // Positions and characters: each character's position maps back to it, left to right.
  int previousX = -1;
  for (int i = 0; i <= 11; ++i) {
    LRESULT pos = Edit->Perform(EM_POSFROMCHAR, static_cast<WPARAM>(i));
    int x = static_cast<int16_t>(pos & 0xFFFF), y = static_cast<int16_t>((pos >> 16) & 0xFFFF);
    EXPECT_GT(x, previousX) << i;
    previousX = x;
    EXPECT_EQ(Edit->Perform(EM_CHARFROMPOS, 0, MAKELPARAM(x + 1, y + 2)), i) << i;
  }

  TRect format;
  Edit->Perform(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
  EXPECT_TRUE(PtInRect(Edit->ClientRect(), format.TopLeft()));
  TRect narrow = Rect(20, 3, 150, 20);
  Edit->Perform(EM_SETRECT, 0, reinterpret_cast<LPARAM>(&narrow));
  Edit->Perform(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
  EXPECT_EQ(format, narrow);
  EXPECT_EQ(Edit->PosFromChar(0).X, 20);

  TEditBalloonTip tip;
  tip.pszTitle = u"Грешка";
  tip.pszText = u"Внесете број";
  EXPECT_EQ(Edit->Perform(EM_SHOWBALLOONTIP, 0, reinterpret_cast<LPARAM>(&tip)), 1);
  EXPECT_EQ(Edit->BalloonTitle(), u"Грешка");
  EXPECT_EQ(Edit->BalloonText(), u"Внесете број");
  Edit->Perform(EM_HIDEBALLOONTIP);
  EXPECT_TRUE(Edit->BalloonText().empty());
}

// The columns of a row of the edit that show a colour.
std::vector<int> ColumnsOf(TEdit* edit, TColor color, int y) {
  HDC dc = GetDC(edit->Handle());
  std::vector<int> columns;
  for (int x = 0; x < edit->Width(); ++x)
    if (GetPixel(dc, x, y) == ColorToRGB(color)) columns.push_back(x);
  ReleaseDC(edit->Handle(), dc);
  return columns;
}

TEST_F(EditTest, PaintingShowsTheSelectionAndFollowsTheAlignment) {
  Edit->SetText(u"Македонија");
  FocusThen([] {
    Key(VK_HOME);
    Repeat(3, VK_RIGHT, true);
  });
  Edit->Repaint();
  int y = Edit->PosFromChar(0).Y + 2;
  std::vector<int> selected = ColumnsOf(Edit, clHighlight, y);
  ASSERT_FALSE(selected.empty());
  EXPECT_GE(selected.front(), Edit->PosFromChar(0).X);
  EXPECT_LE(selected.back(), Edit->PosFromChar(3).X);

  // Without the focus the selection is not shown.
  auto* other = new TEdit(Form);
  other->SetBounds(10, 50, 100, 24);
  other->SetParent(Form);
  Script().Then([&] { Click(other); });
  RunScript();
  Edit->Repaint();
  EXPECT_TRUE(ColumnsOf(Edit, clHighlight, y).empty());

  // Text ink lies on the left for left justification and on the right for right justification.
  auto inkSpan = [&] {
    HDC dc = GetDC(Edit->Handle());
    COLORREF back = ColorToRGB(clWindow);
    int first = -1, last = -1;
    for (int x = 4; x < Edit->Width() - 4; ++x) {
      for (int row = 4; row < Edit->Height() - 4; ++row) {
        if (GetPixel(dc, x, row) != back) {
          if (first < 0) first = x;
          last = x;
          break;
        }
      }
    }
    ReleaseDC(Edit->Handle(), dc);
    return std::pair<int, int>{first, last};
  };
  auto [leftFirst, leftLast] = inkSpan();
  ASSERT_GE(leftFirst, 0);
  EXPECT_LT(leftFirst, 8);
  Edit->SetAlignment(taRightJustify);
  Edit->Repaint();
  auto [rightFirst, rightLast] = inkSpan();
  EXPECT_GT(rightLast, Edit->Width() - 10);
  EXPECT_EQ(rightLast - rightFirst, leftLast - leftFirst);
}

TEST_F(EditTest, LongTextScrollsToKeepTheCaretInView) {
  FocusThen([] { Type(String(60, u'ш')); });
  TRect format = Edit->FormattingRect();
  TPoint caret;
  ASSERT_TRUE(GetCaretPos(&caret));
  EXPECT_GE(caret.X, format.Left);
  EXPECT_LT(caret.X, format.Right);
  EXPECT_LT(Edit->PosFromChar(0).X, format.Left);  // the start is scrolled out
  Script().Then([] { Key(VK_HOME); });
  RunScript();
  EXPECT_EQ(Edit->PosFromChar(0).X, format.Left);
}

}  // namespace
