// Whole drags through the drag loop: from one window to another inside the program, with the
// pointer moves and keys injected as a person's would come, and across to another program played
// by the headless back end's scripted peer.
#include "platform/win/Input.h"
#include "platform/win/VirtualKeys.h"
#include "platform/win/WinApi.h"
#include "tests/controls/grid/AsgddTestSupport.h"

namespace asgddtest {
namespace {

class AsgddDragTest : public AsgddTest {
 protected:
  AsgddDragTest() {
    WNDCLASS windowClass;
    windowClass.lpfnWndProc = DefWindowProc;
    windowClass.hInstance = HInstance;
    windowClass.lpszClassName = u"DragTestWindow";
    RegisterClass(windowClass);
    Source = Window(Bounds(0, 0, 100, 100));
    Grid = Window(Bounds(200, 0, 100, 100));
    EXPECT_EQ(RegisterDragDrop(Source, SourceTarget.Get()), S_OK);
    EXPECT_EQ(RegisterDragDrop(Grid, GridTarget.Get()), S_OK);
    for (uint8_t i = 0; i < 200; ++i) CellBytes += static_cast<char>(i * 7);
    Cells.WriteBuffer(CellBytes.data(), static_cast<int32_t>(CellBytes.size()));
  }
  ~AsgddDragTest() override {
    if (IsWindow(Source)) RevokeDragDrop(Source);
    if (IsWindow(Grid)) RevokeDragDrop(Grid);
  }

  HWND Window(TRect bounds) {
    return CreateWindowEx(0, u"DragTestWindow", u"", WS_POPUP | WS_VISIBLE, bounds.Left, bounds.Top,
                          bounds.Width(), bounds.Height(), nullptr, nullptr, HInstance, nullptr);
  }
  // The left button goes down over the source window; the drag loop then runs the script.
  void PressOverSource(std::function<void()> script) {
    Session.Headless().Then(std::move(script));
    InjectMouseButton(TMouseButtonId::Left, true, {20, 20});
    MSG msg;
    GetMessage(&msg, nullptr, 0, 0);
    ASSERT_EQ(msg.message, static_cast<UINT>(WM_LBUTTONDOWN));
  }
  static void MoveAndRelease(std::vector<TPoint> path) {
    for (TPoint p : path) InjectMouseMove(p);
    InjectMouseButton(TMouseButtonId::Left, false, path.back());
  }

  HWND Source = nullptr;
  HWND Grid = nullptr;
  TDragRef<TLoggingTarget> SourceTarget{new TLoggingTarget};
  TDragRef<TLoggingTarget> GridTarget{new TLoggingTarget};
  TDragRef<TLoggingSource> DropSource{new TLoggingSource};
  std::string CellBytes;
  TMemoryStream Cells;
  DWORD Effect = 12345;
};

TEST_F(AsgddDragTest, DraggedCellsReachTheOtherGridIntact) {
  PressOverSource([] { MoveAndRelease({{50, 50}, {220, 20}, {230, 30}}); });
  HRESULT answer = StartTextDrag(DropSource.Get(), u"Ана\tМарко", u"", &Cells,
                                 DROPEFFECT_COPY | DROPEFFECT_MOVE, Effect);
  EXPECT_EQ(answer, DRAGDROP_S_DROP);
  EXPECT_EQ(Effect, DROPEFFECT_MOVE);
  EXPECT_EQ(GridTarget->Log,
            (std::vector<std::string>{"enter", "move allow 41", "cells 200 @230,30"}));
  EXPECT_EQ(GridTarget->Cells, CellBytes);
  // The source grid is a target too: the drag began over it and left it.
  EXPECT_EQ(SourceTarget->Log, (std::vector<std::string>{"enter", "move allow 41", "leave"}));
  EXPECT_EQ(DropSource->Log.back(), "query");
  EXPECT_FALSE(DropSource->NoAccept);
}

TEST_F(AsgddDragTest, AColumnDragReachesDropColumnOnly) {
  GridTarget->AcceptColumns = true;
  PressOverSource([] { MoveAndRelease({{220, 20}, {240, 40}}); });
  EXPECT_EQ(StartColumnDrag(DropSource.Get(), 4, DROPEFFECT_MOVE, Effect), DRAGDROP_S_DROP);
  EXPECT_EQ(Effect, DROPEFFECT_MOVE);
  EXPECT_EQ(GridTarget->Log,
            (std::vector<std::string>{"enter", "move allow 13", "column 4 @240,40"}));
}

TEST_F(AsgddDragTest, EscapeCancelsTheDrag) {
  PressOverSource([] {
    InjectMouseMove({220, 20});
    InjectKey(VK_ESCAPE, true);
  });
  EXPECT_EQ(StartTextDrag(DropSource.Get(), u"a", u"", nullptr, DROPEFFECT_COPY, Effect),
            DRAGDROP_S_CANCEL);
  EXPECT_EQ(Effect, DROPEFFECT_NONE);
  EXPECT_EQ(GridTarget->Log, (std::vector<std::string>{"enter", "leave"}));
  InjectKey(VK_ESCAPE, false);
  InjectMouseButton(TMouseButtonId::Left, false, {220, 20});
  Session.Headless().RunScript();
}

TEST_F(AsgddDragTest, NoAcceptAtTheEndReportsCancelWhateverTheLoopAnswered) {
  // The grid took the drop, but the source's last word was that nothing accepted it.
  DropSource->ForgetAcceptAtFinish = true;
  PressOverSource([] { MoveAndRelease({{220, 20}}); });
  EXPECT_EQ(StartTextDrag(DropSource.Get(), u"a", u"", nullptr, DROPEFFECT_COPY, Effect),
            DRAGDROP_S_CANCEL);
  EXPECT_EQ(Effect, DROPEFFECT_COPY);
  EXPECT_EQ(GridTarget->Log.back(), "text a @220,20");

  // A drag released over a target that refuses it.
  GridTarget->AcceptText = false;
  DropSource->ForgetAcceptAtFinish = false;
  PressOverSource([] { MoveAndRelease({{220, 20}}); });
  EXPECT_EQ(StartTextDrag(DropSource.Get(), u"a", u"", nullptr, DROPEFFECT_COPY, Effect),
            DRAGDROP_S_CANCEL);
  EXPECT_EQ(Effect, DROPEFFECT_NONE);
  EXPECT_TRUE(DropSource->NoAccept);
}

TEST_F(AsgddDragTest, FilesDraggedFromAnotherProgramReachDropFiles) {
  THeadlessPeer& peer = Session.Headless().Peer();
  peer.StartDrag({{"text/uri-list",
                   "# from the file manager\r\n"
                   "file:///home/%D0%B0%D0%BD%D0%B0/%D1%84%D0%B0%D1%98%D0%BB.txt\r\n"
                   "file://localhost/tmp/%D0%B1%20c.csv\r\n"},
                  {"UTF8_STRING", "/home/ана/фајл.txt"}});
  EXPECT_EQ(peer.MoveTo({50, 50}, MK_LBUTTON), DROPEFFECT_COPY);  // over the source grid
  EXPECT_EQ(peer.MoveTo({220, 20}, MK_LBUTTON | MK_CONTROL), DROPEFFECT_COPY);
  EXPECT_EQ(peer.MoveTo({225, 25}, MK_LBUTTON, DROPEFFECT_COPY | DROPEFFECT_MOVE), DROPEFFECT_MOVE);
  EXPECT_EQ(peer.Drop(0, DROPEFFECT_COPY | DROPEFFECT_MOVE), DROPEFFECT_MOVE);
  EXPECT_EQ(SourceTarget->Log, (std::vector<std::string>{"enter", "leave"}));
  EXPECT_EQ(GridTarget->Log,
            (std::vector<std::string>{"enter", "move allow 3", "text /home/ана/фајл.txt @225,25",
                                      "files /home/ана/фајл.txt|/tmp/б c.csv @225,25"}));
  // Each target was fetched once, however often it was read.
  EXPECT_EQ(peer.Fetched, (std::vector<std::string>{"text/uri-list", "UTF8_STRING"}));
}

TEST_F(AsgddDragTest, LinksFromAnotherProgramAreUrlsAndAreNotOpened) {
  THeadlessPeer& peer = Session.Headless().Peer();
  peer.StartDrag({{"text/uri-list", "https://example.org/%D0%B0\r\nfile://server/share/x\r\n"}});
  EXPECT_EQ(peer.MoveTo({220, 20}), DROPEFFECT_COPY);
  EXPECT_EQ(peer.Drop(), DROPEFFECT_COPY);
  EXPECT_EQ(GridTarget->Log,
            (std::vector<std::string>{"enter", "text https://example.org/%D0%B0 @220,20",
                                      "url https://example.org/%D0%B0 @220,20"}));
  EXPECT_TRUE(Session.Headless().OpenedUrls().empty());
}

TEST_F(AsgddDragTest, ASilentForeignSourceReadsAsEmpty) {
  THeadlessPeer& peer = Session.Headless().Peer();
  peer.StartDrag({{"text/uri-list", "", true}, {"UTF8_STRING", "", true}});
  peer.MoveTo({220, 20});
  peer.Drop();
  EXPECT_EQ(GridTarget->Log, (std::vector<std::string>{"enter", "text  @220,20"}));
}

TEST_F(AsgddDragTest, AnotherProgramTakesOurTextAndCells) {
  THeadlessPeer& peer = Session.Headless().Peer();
  peer.ScriptTarget({Bounds(500, 0, 100, 100),
                     DROPEFFECT_COPY,
                     {"UTF8_STRING", "text/plain", "TZozIvozedOrer Cells", "text/rtf"}});
  PressOverSource([] { MoveAndRelease({{520, 20}, {550, 50}}); });
  HRESULT answer = StartTextDrag(DropSource.Get(), u"Ана", u"{\\rtf1 Ana}", &Cells,
                                 DROPEFFECT_COPY | DROPEFFECT_MOVE, Effect);
  EXPECT_EQ(answer, DRAGDROP_S_DROP);
  EXPECT_EQ(Effect, DROPEFFECT_COPY);
  EXPECT_EQ(peer.Events, (std::vector<std::string>{"enter", "over", "drop"}));
  // RTF is not offered while the switch is off.
  EXPECT_EQ(peer.Offered, (std::vector<std::string>{"UTF8_STRING", "text/plain;charset=utf-8",
                                                    "text/plain", "TZozIvozedOrer Cells"}));
  EXPECT_EQ(peer.Received["UTF8_STRING"], "Ана");
  EXPECT_EQ(peer.Received["text/plain"], "Ана");
  EXPECT_EQ(peer.Received["TZozIvozedOrer Cells"], Counted(200, CellBytes));
  EXPECT_EQ(peer.Received.count("text/rtf"), 0u);
}

TEST_F(AsgddDragTest, AForeignTargetThatNeverAnswersTakesNothing) {
  THeadlessPeer& peer = Session.Headless().Peer();
  peer.ScriptTarget({Bounds(500, 0, 100, 100), DROPEFFECT_COPY, {"UTF8_STRING"}, true});
  PressOverSource([] { MoveAndRelease({{520, 20}}); });
  EXPECT_EQ(StartTextDrag(DropSource.Get(), u"a", u"", nullptr, DROPEFFECT_COPY, Effect),
            DRAGDROP_S_CANCEL);
  EXPECT_EQ(Effect, DROPEFFECT_NONE);
  EXPECT_EQ(peer.Events, (std::vector<std::string>{"enter", "leave"}));
  EXPECT_TRUE(peer.Received.empty());
}

}  // namespace
}  // namespace asgddtest
