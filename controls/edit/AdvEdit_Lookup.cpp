// TAdvEdit: the lookup list offered while typing, the history of values left in the edit, and
// the text and history kept in an INI file or the registry between runs.
#include "controls/edit/AdvEdit_Lookup.h"

#include <algorithm>
#include <filesystem>
#include <memory>

#include "platform/rtl/NumberText.h"
#include "platform/rtl/ProgramPaths.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/TextCompare.h"
#include "platform/rtl/UnicodeText.h"
#include "platform/ui/IniFiles.h"
#include "platform/ui/Registry.h"
#include "platform/win/VirtualKeys.h"

using namespace AdvEdit;

namespace {

// Entries read back at most: a damaged count cannot make the edit read for ever.
constexpr int kMaxLookupEntries = 100000;

void Brackets(TValueSeparator separator, String& open, String& close) {
  switch (separator) {
    case TValueSeparator::vsBracket: open = u"("; close = u")"; break;
    case TValueSeparator::vsSquareBracket: open = u"["; close = u"]"; break;
    case TValueSeparator::vsLargerSmaller: open = u"<"; close = u">"; break;
    case TValueSeparator::vsNone: break;
  }
}

// What persistence needs of an INI file and of the registry alike.
class TPersistStore {
 public:
  virtual ~TPersistStore() = default;
  virtual String ReadString(const String& section, const String& ident, const String& def) = 0;
  virtual void WriteString(const String& section, const String& ident, const String& value) = 0;
  virtual bool ValueExists(const String& section, const String& ident) = 0;
  virtual int32_t ReadInteger(const String& section, const String& ident, int32_t def) = 0;
  virtual void WriteInteger(const String& section, const String& ident, int32_t value) = 0;
};

class TIniStore : public TPersistStore {
 public:
  explicit TIniStore(const String& file) : FIni(file) {}
  String ReadString(const String& s, const String& i, const String& d) override {
    return FIni.ReadString(s, i, d);
  }
  void WriteString(const String& s, const String& i, const String& v) override {
    FIni.WriteString(s, i, v);
  }
  bool ValueExists(const String& s, const String& i) override { return FIni.ValueExists(s, i); }
  int32_t ReadInteger(const String& s, const String& i, int32_t d) override {
    return FIni.ReadInteger(s, i, d);
  }
  void WriteInteger(const String& s, const String& i, int32_t v) override {
    FIni.WriteInteger(s, i, v);
  }

 private:
  TIniFile FIni;
};

class TRegStore : public TPersistStore {
 public:
  explicit TRegStore(const String& key) : FReg(key) {}
  String ReadString(const String& s, const String& i, const String& d) override {
    return FReg.ReadString(s, i, d);
  }
  void WriteString(const String& s, const String& i, const String& v) override {
    FReg.WriteString(s, i, v);
  }
  bool ValueExists(const String& s, const String& i) override {
    return FReg.ReadString(s, i, u"\x1") != u"\x1";
  }
  int32_t ReadInteger(const String& s, const String& i, int32_t d) override {
    return FReg.ReadInteger(s, i, d);
  }
  void WriteInteger(const String& s, const String& i, int32_t v) override {
    FReg.WriteInteger(s, i, v);
  }

 private:
  TRegIniFile FReg;
};

}  // namespace

// --- The popup -----------------------------------------------------------------------------------

TListBoxTab::TListBoxTab(TComponent* owner, TAdvEdit* edit) : TListBox(owner), FEdit(edit) {
  SetStyle(lbOwnerDrawFixed);
  SetItemHeight(12);
  SetTabStop(true);
}

void TListBoxTab::Dispatch(TMessage& message) {
  TListBox::Dispatch(message);
  if (message.Msg == WM_GETDLGCODE && HandleTab) message.Result |= DLGC_WANTTAB;
}

void TListBoxTab::DrawItem(int index, TRect rect, TOwnerDrawState state) {
  TCanvas* canvas = Canvas();
  bool selected = state.Contains(odSelected);
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(selected ? clHighlight : Color());
  canvas->FillRect(rect);
  canvas->Font()->Assign(Font());
  canvas->Font()->SetColor(selected ? clHighlightText : Font()->Color());
  canvas->Brush()->SetStyle(bsClear);
  canvas->TextOut(rect.Left + 2, rect.Top, Items()->Strings(index));
}

void TListBoxTab::KeyPress(char16_t& key) {
  TListBox::KeyPress(key);
  if (key == u'\r' || (key == u'\t' && HandleTab)) {
    key = 0;
    FEdit->AcceptLookup();
  }
}

void TListBoxTab::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TListBox::MouseUp(button, shift, x, y);
  if (button == mbLeft) FEdit->AcceptLookup();
}

void TListHintWindow::Paint() {
  Canvas()->Brush()->SetColor(Color());
  Canvas()->FillRect(ClientRect());
}

void TAdvEdit::CreateLookupPopup() {
  FPopup = new TListHintWindow(this);
  FPopup->SetBounds(0, 0, 0, 0);
  FList = new TListBoxTab(FPopup, this);
  FList->SetParent(FPopup);
  FList->SetAlign(alClient);
  FList->SetTabOrder(0);
  FPopup->List = FList;
}

TListBox* TAdvEdit::LookupListBox() const { return FList; }

bool TAdvEdit::LookupVisible() const { return FPopup && FPopup->Active(); }

void TAdvEdit::HideLookup() {
  if (!LookupVisible()) return;
  FPopup->ReleaseHandle();
}

// --- Matching ------------------------------------------------------------------------------------

void TAdvEdit::UpdateLookup() {
  if (!FLookup->Enabled || !FPopup) return;
  String value = Text();
  int cut = 0;
  if (FLookup->Multi) {
    size_t last = value.rfind(FLookup->Separator);
    if (last != String::npos) cut = static_cast<int>(last) + 1;
  }
  String typed = value.substr(static_cast<size_t>(cut));
  if (static_cast<int>(typed.size()) < FLookup->NumChars()) {
    HideLookup();
    return;
  }
  FPopup->SetColor(FLookup->Color);
  FList->SetColor(FLookup->Color);
  FList->Font()->Assign(FLookup->Font());
  FList->HandleTab = FLookup->AcceptOnTab;

  String open, close;
  Brackets(FLookup->ValueSeparator, open, close);
  TStringList* display = FLookup->DisplayList();
  TStringList* values = FLookup->ValueList();
  String needle = FLookup->CaseSensitive ? typed : AnsiUpperCase(typed);
  FList->Items()->BeginUpdate();
  FList->Items()->Clear();
  FList->SetSorted(false);
  for (int i = 0; i < display->Count(); ++i) {
    String entry = display->Strings(i);
    String hay = FLookup->CaseSensitive ? entry : AnsiUpperCase(entry);
    size_t at = hay.find(needle);
    if (at == String::npos || (at != 0 && !FullTextSearch)) continue;
    String shown = entry;
    if (FLookup->ShowValue && i < values->Count() && !values->Strings(i).empty())
      shown += u" " + open + values->Strings(i) + close;
    FList->Items()->AddObject(shown, reinterpret_cast<TObject*>(static_cast<intptr_t>(i)));
  }
  FList->SetSorted(true);
  FList->Items()->EndUpdate();
  FList->Canvas()->Font()->Assign(FLookup->Font());
  int itemHeight = std::max(FList->Canvas()->TextHeight(u"gh") + FLookup->Spacing, 1);
  FList->SetItemHeight(itemHeight);
  int matches = FList->Count();
  if (matches == 0) {
    HideLookup();
    return;
  }
  FList->SetItemIndex(0);
  int widest = 50;
  for (int i = 0; i < matches; ++i)
    widest = std::max(widest, FList->Canvas()->TextWidth(FList->Items()->Strings(i)));
  int width = widest + 8;
  if (matches > FLookup->DisplayCount) width += GetSystemMetrics(SM_CXHSCROLL);
  int height = itemHeight * std::min(matches, std::max(FLookup->DisplayCount, 1)) + 4;
  TPoint origin = ClientToScreen({0, 0});
  int left = origin.X + CharPoint(ValueStart() + cut).X + 8;
  int top = origin.Y + Height() - 6;
  FPopup->ActivateHint({left, top, left + width, top + height}, u"  ");
}

void TAdvEdit::AcceptLookup() {
  HideLookup();
  int selected = FList->ItemIndex();
  if (selected < 0) return;
  int index = static_cast<int>(reinterpret_cast<intptr_t>(FList->Items()->Objects(selected)));
  TStringList* values = FLookup->ValueList();
  String v = index >= 0 && index < values->Count() ? values->Strings(index)
                                                   : FLookup->DisplayList()->Strings(index);
  if (OnLookupSelect) OnLookupSelect(this, v);
  if (OnLookupIndexSelect) OnLookupIndexSelect(this, index, v);
  if (FLookup->Multi) {
    v += FLookup->Separator;
    String value = Text();
    size_t last = value.rfind(FLookup->Separator);
    String kept = last == String::npos ? String() : value.substr(0, last + 1);
    SetText(kept + v);
    int end = ValueEnd();
    SetSel(end, end);
  } else {
    SetText(v);
    SelectValue();
  }
  SetModifiedState(true);
}

// Keys while the list shows: they move in the list and never reach the text.
bool TAdvEdit::LookupKeyDown(TMessage& message) {
  const int count = FList->Count();
  const int current = FList->ItemIndex();
  const int page = std::max(FLookup->DisplayCount, 1);
  switch (message.CharCode()) {
    case VK_RETURN: AcceptLookup(); return true;
    case VK_UP: FList->SetItemIndex(std::max(current - 1, 0)); return true;
    case VK_DOWN: FList->SetItemIndex(std::min(current + 1, count - 1)); return true;
    case VK_HOME: FList->SetItemIndex(0); break;
    case VK_END: FList->SetItemIndex(count - 1); break;
    case VK_NEXT: FList->SetItemIndex(std::min(current + page, count - 1)); break;
    case VK_PRIOR: FList->SetItemIndex(current > page ? current - page : 0); break;
    case VK_ESCAPE: HideLookup(); return true;
    case VK_TAB:
      if (!FLookup->AcceptOnTab) return false;
      AcceptLookup();
      return true;
    default: return false;
  }
  message.Result = 1;
  return true;
}

void TAdvEdit::AddToHistory() {
  if (!FLookup->Enabled || !FLookup->History) return;
  String value = Trim(Text());
  if (!value.empty() && FLookup->DisplayList()->IndexOf(value) < 0)
    FLookup->DisplayList()->Add(value);
}

// --- Persistence ---------------------------------------------------------------------------------

String TAdvEdit::DefaultIniName() const {
  String program = ProgramFileName();
  size_t slash = program.rfind(u'/');
  String name = slash == String::npos ? program : program.substr(slash + 1);
  size_t dot = name.rfind(u'.');
  if (dot != String::npos && dot > 0) name.resize(dot);
  if (name.empty()) name = u"program";
  return UTF8ToString(ConfigFolder()) + u"/" + name + u".INI";
}

namespace {

std::unique_ptr<TPersistStore> OpenStore(TPersistence* persistence, const String& iniName) {
  if (persistence->Location == TPersistenceLocation::plRegistry)
    return std::make_unique<TRegStore>(persistence->Key);
  if (!persistence->Key.empty()) return std::make_unique<TIniStore>(persistence->Key);
  // The program's own settings file lives in its configuration folder, made when missing.
  std::error_code ignored;
  std::filesystem::create_directories(ConfigFolder(), ignored);
  return std::make_unique<TIniStore>(iniName);
}

}  // namespace

void TAdvEdit::LoadPersist() {
  if (!FPersistence->Enable || ComponentState().Contains(csDesigning)) return;
  // Loading finds the section saving wrote, which is the edit's name when none is set.
  String section = FPersistence->Section.empty() ? Name() : FPersistence->Section;
  if (section.empty()) return;
  std::unique_ptr<TPersistStore> store = OpenStore(FPersistence.get(), DefaultIniName());
  if (FLookup->Enabled && FLookup->History) {
    int32_t count = std::clamp<int32_t>(store->ReadInteger(section, u"LOOKUPCOUNT", 0), 0,
                                        kMaxLookupEntries);
    for (int i = 1; i <= count; ++i) {
      String number = IntToStr(i);
      if (!store->ValueExists(section, u"LOOKUPDISPL" + number) &&
          !store->ValueExists(section, u"LOOKUPVAL" + number))
        break;  // the count names more entries than there are
      String value = store->ReadString(section, u"LOOKUPVAL" + number, u"");
      if (!value.empty()) FLookup->ValueList()->Add(value);
      String display = store->ReadString(section, u"LOOKUPDISPL" + number, u"");
      if (!display.empty()) FLookup->DisplayList()->Add(display);
    }
  }
  String text = store->ReadString(section, Name(), u"@");
  if (text == u"@") return;
  // A restored text is held to the rules of a paste, so a damaged file cannot put in what the
  // edit type would refuse.
  String value = ValueOfWindowText(text);
  if (!AcceptsPaste(value, value)) return;
  TControl::SetText(text);
}

void TAdvEdit::SavePersist() {
  if (!FPersistence->Enable || ComponentState().Contains(csDesigning) || IsLoading()) return;
  if (FPersistence->Location == TPersistenceLocation::plInifile && FPersistence->Section.empty())
    FPersistence->Section = Name();
  const String& section = FPersistence->Section;
  std::unique_ptr<TPersistStore> store = OpenStore(FPersistence.get(), DefaultIniName());
  store->WriteString(section, Name(), WindowText());
  if (FLookup->Enabled && FLookup->History) {
    TStringList* display = FLookup->DisplayList();
    TStringList* values = FLookup->ValueList();
    store->WriteInteger(section, u"LOOKUPCOUNT", display->Count());
    for (int i = 1; i <= display->Count(); ++i) {
      store->WriteString(section, u"LOOKUPDISPL" + IntToStr(i), display->Strings(i - 1));
      if (i <= values->Count())
        store->WriteString(section, u"LOOKUPVAL" + IntToStr(i), values->Strings(i - 1));
    }
  }
}
