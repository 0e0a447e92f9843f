#include <gtest/gtest.h>

#include <cstring>

#include "platform/win/Clipboard.h"
#include "platform/win/DragDrop.h"
#include "platform/win/Shell.h"
#include "tests/platform/win/WinTestSupport.h"

namespace {

using wintest::TWinTest;
using SeamsTest = TWinTest;

HGLOBAL TextBlock(const String& text) { return GlobalFromBytes(text.c_str(), (text.size() + 1) * 2); }

String BlockText(HGLOBAL block) {
  const auto* chars = static_cast<const char16_t*>(GlobalLock(block));
  String text(chars);
  GlobalUnlock(block);
  return text;
}

TEST_F(SeamsTest, TheClipboardKeepsFormatsAndTurnsTextBothWays) {
  HWND owner = TopLevel("Owner", Bounds(0, 0, 10, 10), WS_POPUP);
  HWND other = TopLevel("Other", Bounds(0, 0, 10, 10), WS_POPUP);
  UINT cells = RegisterClipboardFormat(u"TZozIvozedOrer Cells");
  EXPECT_EQ(RegisterClipboardFormat(u"tzozivozedorer cells"), cells);
  EXPECT_EQ(GetClipboardFormatName(cells), u"TZozIvozedOrer Cells");
  HGLOBAL refused = TextBlock(u"x");
  EXPECT_EQ(SetClipboardData(CF_UNICODETEXT, refused), nullptr);  // not open: still the caller's
  GlobalFree(refused);

  ASSERT_TRUE(OpenClipboard(owner));
  EXPECT_FALSE(OpenClipboard(other));  // one window at a time
  ASSERT_TRUE(EmptyClipboard());
  EXPECT_NE(SetClipboardData(CF_UNICODETEXT, TextBlock(u"Здраво")), nullptr);
  uint8_t raw[3] = {1, 2, 3};
  EXPECT_NE(SetClipboardData(cells, GlobalFromBytes(raw, 3)), nullptr);
  EXPECT_TRUE(CloseClipboard());
  EXPECT_EQ(GetClipboardOwner(), owner);

  EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));  // made from the Unicode text on demand
  EXPECT_TRUE(IsClipboardFormatAvailable(cells));
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_BITMAP));
  EXPECT_EQ(EnumClipboardFormats(0), CF_UNICODETEXT);
  EXPECT_EQ(EnumClipboardFormats(CF_UNICODETEXT), cells);
  ASSERT_TRUE(OpenClipboard(other));
  EXPECT_EQ(BlockText(GetClipboardData(CF_UNICODETEXT)), u"Здраво");
  HGLOBAL ansi = GetClipboardData(CF_TEXT);
  ASSERT_NE(ansi, nullptr);
  EXPECT_STREQ(static_cast<const char*>(GlobalLock(ansi)), "Здраво");
  GlobalUnlock(ansi);
  HGLOBAL block = GetClipboardData(cells);
  ASSERT_EQ(GlobalSize(block), 3u);
  EXPECT_EQ(std::memcmp(GlobalLock(block), raw, 3), 0);
  GlobalUnlock(block);
  DWORD before = GetClipboardSequenceNumber();
  EmptyClipboard();
  EXPECT_GT(GetClipboardSequenceNumber(), before);
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT));
  CloseClipboard();
}

TEST_F(SeamsTest, ShellExecutionOpensOnlyLinksOfTheAllowedSchemes) {
  struct TCase {
    const char16_t* Verb;
    const char16_t* Link;
    bool Opened;
  } cases[] = {
      {u"open", u"https://example.org/news?id=1", true},
      {u"open", u"http://example.org", true},
      {u"", u"mailto:office@example.org", true},
      {u"open", u"HTTPS://EXAMPLE.ORG", true},
      {u"open", u"file:///etc/passwd", false},
      {u"open", u"/usr/bin/xterm", false},
      {u"open", u"javascript:alert(1)", false},
      {u"open", u"https://", false},
      {u"open", u"https://example.org/\nrm", false},
      {u"edit", u"https://example.org", false},
      {u"open", u"", false},
  };
  for (const TCase& c : cases) {
    auto result = reinterpret_cast<intptr_t>(ShellExecute(nullptr, c.Verb, c.Link, u"", u"", SW_SHOWNORMAL));
    EXPECT_EQ(result > 32, c.Opened) << UTF8Encode(c.Link);
  }
  EXPECT_EQ(Script().OpenedUrls(), (std::vector<String>{u"https://example.org/news?id=1", u"http://example.org",
                                                       u"mailto:office@example.org", u"HTTPS://EXAMPLE.ORG"}));
}

// Reference-counted test objects of the drag and drop seam.
template <class Interface>
class TCounted : public Interface {
 public:
  uint32_t AddRef() override { return ++Refs; }
  uint32_t Release() override { return --Refs; }
  uint32_t Refs = 1;
};

class TTextData : public TCounted<IDataObject> {
 public:
  explicit TTextData(String text) : FText(std::move(text)) {}
  HRESULT GetData(const FORMATETC* format, STGMEDIUM* medium) override {
    if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = TextBlock(FText);
    return S_OK;
  }
  HRESULT QueryGetData(const FORMATETC* format) override {
    return format->cfFormat == CF_UNICODETEXT && (format->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
  }
  HRESULT EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }

 private:
  String FText;
};

class TSource : public TCounted<IDropSource> {
 public:
  HRESULT QueryContinueDrag(bool escape, DWORD keys) override {
    if (escape) return DRAGDROP_S_CANCEL;
    return (keys & MK_LBUTTON) ? S_OK : DRAGDROP_S_DROP;
  }
  HRESULT GiveFeedback(DWORD effect) override {
    Feedback.push_back(effect);
    return DRAGDROP_S_USEDEFAULTCURSORS;
  }
  std::vector<DWORD> Feedback;
};

class TTarget : public TCounted<IDropTarget> {
 public:
  explicit TTarget(std::vector<std::string>* log) : FLog(log) {}
  HRESULT DragEnter(IDataObject*, DWORD, TPoint, DWORD* effect) override {
    FLog->push_back("enter");
    *effect &= DROPEFFECT_COPY;
    return S_OK;
  }
  HRESULT DragOver(DWORD, TPoint, DWORD* effect) override {
    FLog->push_back("over");
    *effect &= DROPEFFECT_COPY;
    return S_OK;
  }
  HRESULT DragLeave() override {
    FLog->push_back("leave");
    return S_OK;
  }
  HRESULT Drop(IDataObject* data, DWORD, TPoint at, DWORD* effect) override {
    FORMATETC format;
    format.cfFormat = CF_UNICODETEXT;
    STGMEDIUM medium;
    if (data->GetData(&format, &medium) == S_OK) {
      FLog->push_back("drop " + UTF8Encode(BlockText(medium.hGlobal)) + " at " + std::to_string(at.X));
      ReleaseStgMedium(&medium);
    }
    *effect = DROPEFFECT_COPY;
    return S_OK;
  }

 private:
  std::vector<std::string>* FLog;
};

TEST_F(SeamsTest, ADragFollowsThePointerAcrossTargetsUntilTheButtonIsReleased) {
  TopLevel("Source", Bounds(0, 0, 100, 100), WS_POPUP | WS_VISIBLE);
  HWND grid = TopLevel("Grid", Bounds(200, 0, 100, 100), WS_POPUP | WS_VISIBLE);
  HWND cell = Child("Cell", grid, Bounds(10, 10, 50, 50));
  std::vector<std::string> log;
  TTarget target(&log);
  EXPECT_EQ(RegisterDragDrop(grid, &target), S_OK);
  EXPECT_EQ(RegisterDragDrop(grid, &target), DRAGDROP_E_ALREADYREGISTERED);
  EXPECT_EQ(RegisterDragDrop(reinterpret_cast<HWND>(0x77), &target), DRAGDROP_E_INVALIDHWND);
  EXPECT_EQ(target.Refs, 2u);
  TTextData data(u"a cell");
  TSource dropSource;

  Script().Then([&] {
    InjectMouseMove({220, 20});  // over the cell: the grid's target, through the parent
    InjectMouseMove({230, 30});
    InjectMouseMove({50, 50});   // back over the source, which has no target
    InjectMouseMove({240, 40});
    InjectMouseButton(TMouseButtonId::Left, false, {240, 40});
  });
  (void)cell;
  InjectMouseButton(TMouseButtonId::Left, true, {20, 20});
  MSG msg;
  GetMessage(&msg, nullptr, 0, 0);  // the press that starts the drag
  DWORD effect = 0;
  EXPECT_EQ(DoDragDrop(&data, &dropSource, DROPEFFECT_COPY | DROPEFFECT_MOVE, &effect), DRAGDROP_S_DROP);
  EXPECT_EQ(effect, DROPEFFECT_COPY);
  EXPECT_EQ(log, (std::vector<std::string>{"enter", "over", "leave", "enter", "drop a cell at 240"}));
  EXPECT_EQ(dropSource.Feedback.front(), DROPEFFECT_NONE);  // it starts over the source
  EXPECT_EQ(data.Refs, 1u);
  EXPECT_EQ(GetCapture(), nullptr);

  // Escape cancels.
  log.clear();
  Script().Then([&] {
    InjectMouseMove({220, 20});
    InjectKey(VK_ESCAPE, true);
  });
  InjectMouseButton(TMouseButtonId::Left, true, {20, 20});
  GetMessage(&msg, nullptr, 0, 0);
  EXPECT_EQ(DoDragDrop(&data, &dropSource, DROPEFFECT_COPY, &effect), DRAGDROP_S_CANCEL);
  EXPECT_EQ(effect, DROPEFFECT_NONE);
  EXPECT_EQ(log, (std::vector<std::string>{"enter", "leave"}));
  InjectKey(VK_ESCAPE, false);
  InjectMouseButton(TMouseButtonId::Left, false, {20, 20});
  Script().RunScript();

  // A window that goes lets go of its target.
  DestroyWindow(grid);
  EXPECT_EQ(target.Refs, 1u);
  EXPECT_EQ(RevokeDragDrop(grid), DRAGDROP_E_INVALIDHWND);
}

}  // namespace
