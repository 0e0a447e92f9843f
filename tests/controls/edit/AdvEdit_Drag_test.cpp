// Dragging text out of the enhanced edit and dropping text onto it, driven by injected pointer
// input as a person drags.
#include <cstring>

#include "controls/edit/AdvEdDD.h"
#include "platform/rtl/UnicodeText.h"
#include "platform/win/Clipboard.h"
#include "tests/controls/edit/AdvEditTestSupport.h"

namespace {

using namespace advedit_test;

// A data object of another window or program: the formats it lists and holds.
class TForeignData : public AdvEdDD::TCounted<IDataObject> {
 public:
  struct TBlock {
    UINT Format;
    std::string Bytes;
  };
  explicit TForeignData(std::vector<TBlock> blocks, bool canList = true)
      : FBlocks(std::move(blocks)), FCanList(canList) {}
  HRESULT GetData(const FORMATETC* format, STGMEDIUM* medium) override {
    for (const TBlock& b : FBlocks)
      if (b.Format == format->cfFormat) {
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = GlobalFromBytes(b.Bytes.data(), b.Bytes.size());
        return S_OK;
      }
    return DV_E_FORMATETC;
  }
  HRESULT QueryGetData(const FORMATETC* format) override {
    for (const TBlock& b : FBlocks)
      if (b.Format == format->cfFormat) return S_OK;
    return DV_E_FORMATETC;
  }
  HRESULT EnumFormatEtc(DWORD, IEnumFORMATETC** out) override;
  std::vector<TBlock> FBlocks;
  bool FCanList;
};

class TForeignFormats : public AdvEdDD::TCounted<IEnumFORMATETC> {
 public:
  explicit TForeignFormats(TForeignData* data) : FData(data) { FData->AddRef(); }
  ~TForeignFormats() { FData->Release(); }
  HRESULT Next(uint32_t count, FORMATETC* out, uint32_t* fetched) override {
    uint32_t n = 0;
    while (n < count && FIndex < FData->FBlocks.size()) {
      out[n] = FORMATETC();
      out[n++].cfFormat = FData->FBlocks[FIndex++].Format;
    }
    if (fetched) *fetched = n;
    return n == count ? S_OK : S_FALSE;
  }
  HRESULT Skip(uint32_t count) override {
    FIndex += count;
    return S_OK;
  }
  HRESULT Reset() override {
    FIndex = 0;
    return S_OK;
  }
  HRESULT Clone(IEnumFORMATETC**) override { return E_NOTIMPL; }

 private:
  TForeignData* FData;
  size_t FIndex = 0;
};

HRESULT TForeignData::EnumFormatEtc(DWORD, IEnumFORMATETC** out) {
  if (!FCanList) return E_NOTIMPL;
  *out = new TForeignFormats(this);
  return S_OK;
}

std::string Utf16Bytes(const String& text) {
  std::string bytes(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * 2);
  return bytes;
}

class DragTest : public TAdvEditTest {
 public:
  DragTest() {
    Form->Show();
    Edit->SetOleDropSource(true);
    Edit->SetOleDropTarget(true);
    Other->SetOleDropTarget(true);
  }
  TPoint AtChar(TAdvEdit* edit, int index) {
    return edit->ClientToScreen({edit->PosFromChar(index).X + 1, 12});
  }
  // A drag of the edit's selection: pressed on one character, released on another point.
  void DragSelection(TPoint from, TPoint to, bool ctrl = false) {
    Script().Then([=] {
      if (ctrl) InjectKey(VK_CONTROL, true);
      InjectMouseMove(from);
      InjectMouseButton(TMouseButtonId::Left, true, from);
      InjectMouseMove({from.X + 6, from.Y});
    });
    Script().Then([=] {
      InjectMouseMove({to.X + 1, to.Y});
      InjectMouseMove(to);
      InjectMouseButton(TMouseButtonId::Left, false, to);
      if (ctrl) InjectKey(VK_CONTROL, false);
    });
    RunScript();
  }
  // A drag that another window starts with its own data object, ending over a point.
  DWORD DropForeign(TForeignData* data, TPoint to) {
    TSourceForTest source;
    Script().Then([=] {
      InjectMouseMove({to.X + 2, to.Y});
      InjectMouseMove(to);
      InjectMouseButton(TMouseButtonId::Left, false, to);
    });
    InjectMouseButton(TMouseButtonId::Left, true, {5, 5});
    MSG msg;
    GetMessage(&msg, nullptr, 0, 0);
    DWORD effect = 0;
    DoDragDrop(data, &source, DROPEFFECT_COPY | DROPEFFECT_MOVE, &effect);
    RunScript();
    return effect;
  }
  class TSourceForTest : public AdvEdDD::TAEDropSource {
   public:
    uint32_t Release() override { return 1; }  // lives on the stack
  };
};

TEST_F(DragTest, ASelectionMovesWithinTheEditAndCopiesWithCtrl) {
  Edit->SetText(u"једно два три");
  Focus(Edit);
  Select(Edit, 6, 9);  // " дв"... the word "два" with its blank
  Select(Edit, 6, 10);
  ASSERT_EQ(Edit->SelText(), u"два ");
  DragSelection(AtChar(Edit, 7), AtChar(Edit, 0));
  EXPECT_EQ(Edit->Text(), u"два једно три");
  EXPECT_TRUE(Edit->Modified());
  EXPECT_EQ(Edit->DropCaret().X, -1) << "no drop caret is left behind";

  Select(Edit, 0, 4);
  DragSelection(AtChar(Edit, 1), AtChar(Edit, 13), true);
  EXPECT_EQ(Edit->Text(), u"два једно тридва ");
}

TEST_F(DragTest, ASelectionDroppedOntoItselfChangesNothing) {
  Edit->SetText(u"abcdef");
  Focus(Edit);
  Select(Edit, 1, 4);
  DragSelection(AtChar(Edit, 2), AtChar(Edit, 3));
  EXPECT_EQ(Edit->Text(), u"abcdef");
}

TEST_F(DragTest, TextGoesToAnotherEditOfTheProgram) {
  Edit->SetText(u"Охрид");
  Other->SetText(u"Струга");
  Focus(Edit);
  Edit->SelectValue();
  DragSelection(AtChar(Edit, 2), AtChar(Other, 6));
  EXPECT_EQ(Other->Text(), u"СтругаОхрид");
  EXPECT_EQ(Edit->Text(), u"") << "a move takes the text away";
}

TEST_F(DragTest, EscapeCancelsTheDragAndLeavesTheSelection) {
  Edit->SetText(u"abcdef");
  Focus(Edit);
  Select(Edit, 1, 4);
  TPoint from = AtChar(Edit, 2);
  TPoint to = AtChar(Other, 0);
  Script().Then([=] {
    InjectMouseMove(from);
    InjectMouseButton(TMouseButtonId::Left, true, from);
    InjectMouseMove({from.X + 6, from.Y});
  });
  Script().Then([=] {
    InjectMouseMove(to);
    InjectKey(VK_ESCAPE, true);
  });
  Script().Then([=] {
    InjectKey(VK_ESCAPE, false);
    InjectMouseButton(TMouseButtonId::Left, false, to);
  });
  RunScript();
  EXPECT_EQ(Edit->Text(), u"abcdef");
  EXPECT_EQ(Other->Text(), u"");
  EXPECT_EQ(Edit->SelText(), u"bcd");
}

TEST_F(DragTest, ForeignDropsInsertTheirFirstLineOnlyAndFilesInsertNothing) {
  Other->SetText(u"x");
  struct TCase {
    const char* Name;
    std::vector<TForeignData::TBlock> Blocks;
    bool CanList;
    const char16_t* Text;
    DWORD Effect;
  } cases[] = {
      {"UnicodeFirstLine", {{CF_UNICODETEXT, Utf16Bytes(u"прв ред\r\nвтор")}}, true, u"xпрв ред",
       DROPEFFECT_MOVE},
      {"EightBitReadAsUtf8", {{CF_TEXT, std::string("ред\n2") + '\0'}}, true, u"xред",
       DROPEFFECT_MOVE},
      {"UnicodePreferred",
       {{CF_TEXT, std::string("ansi") + '\0'}, {CF_UNICODETEXT, Utf16Bytes(u"уникод")}}, true,
       u"xуникод", DROPEFFECT_MOVE},
      {"FilesOnly", {{CF_HDROP, std::string(20, '\0') + '\0' + '\0'}}, true, u"x",
       DROPEFFECT_MOVE},
      {"NoFormatList", {{CF_UNICODETEXT, Utf16Bytes(u"скриено")}}, false, u"x", DROPEFFECT_NONE},
  };
  for (TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Other->SetText(u"x");
    auto* data = new TForeignData(c.Blocks, c.CanList);
    DWORD effect = DropForeign(data, AtChar(Other, 1));
    data->Release();
    EXPECT_EQ(UTF8Encode(Other->Text()), UTF8Encode(c.Text));
    EXPECT_EQ(effect, c.Effect);
  }
}

TEST_F(DragTest, AWindowMadeAgainStillTakesDrops) {
  Other->SetEditAlign(AdvEdit::TEditAlign::eaRight);
  Other->SetCanUndo(false);
  Other->SetText(u"");
  auto* data = new TForeignData({{CF_UNICODETEXT, Utf16Bytes(u"после")}});
  DropForeign(data, Other->ClientToScreen({100, 12}));
  data->Release();
  EXPECT_EQ(Other->Text(), u"после");
  // Switched off, the edit takes no more drops.
  Other->SetOleDropTarget(false);
  data = new TForeignData({{CF_UNICODETEXT, Utf16Bytes(u"не")}});
  DropForeign(data, Other->ClientToScreen({100, 12}));
  data->Release();
  EXPECT_EQ(Other->Text(), u"после");
}

}  // namespace
