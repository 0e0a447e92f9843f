// TWideStrings with its view as the platform's string list, and the combo box's wide items.
#include "controls/grid/AsgUni.h"

namespace AsgUni {

namespace {

bool IsLineBreak(char16_t ch) {
  return ch == 0 || ch == u'\n' || ch == 0x0B || ch == 0x0C || ch == u'\r' || ch == 0x2028 ||
         ch == 0x2029;
}

// Runs a bulk change between BeginUpdate and EndUpdate, also when it raises.
class TUpdating {
 public:
  explicit TUpdating(TWideStrings* list) : FList(list) { FList->BeginUpdate(); }
  ~TUpdating() { FList->EndUpdate(); }
  TUpdating(const TUpdating&) = delete;
  TUpdating& operator=(const TUpdating&) = delete;

 private:
  TWideStrings* FList;
};

}  // namespace

TWideStrings::TWideStrings() : FAnsiStrings(std::make_unique<TAnsiStringsForWideStrings>(this)) {}

TWideStrings::~TWideStrings() = default;

TObject* TWideStrings::GetObject(int) const { return nullptr; }

void TWideStrings::PutObject(int, TObject*) {}

void TWideStrings::BeginUpdate() {
  if (FUpdateCount == 0) SetUpdateState(true);
  ++FUpdateCount;
}

void TWideStrings::EndUpdate() {
  --FUpdateCount;
  if (FUpdateCount == 0) SetUpdateState(false);
}

int TWideStrings::Add(const String& s) {
  const int index = GetCount();
  Insert(index, s);
  return index;
}

int TWideStrings::AddObject(const String& s, TObject* object) {
  const int index = Add(s);
  PutObject(index, object);
  return index;
}

void TWideStrings::InsertObject(int index, const String& s, TObject* object) {
  Insert(index, s);
  PutObject(index, object);
}

void TWideStrings::Put(int index, const String& s) {
  TObject* object = GetObject(index);
  Delete(index);
  InsertObject(index, s, object);
}

void TWideStrings::Exchange(int index1, int index2) {
  TUpdating updating(this);
  const String s1 = Get(index1);
  TObject* o1 = GetObject(index1);
  const String s2 = Get(index2);
  TObject* o2 = GetObject(index2);
  Put(index1, s2);
  PutObject(index1, o2);
  Put(index2, s1);
  PutObject(index2, o1);
}

void TWideStrings::Move(int curIndex, int newIndex) {
  if (curIndex == newIndex) return;
  TUpdating updating(this);
  const String s = Get(curIndex);
  TObject* object = GetObject(curIndex);
  Delete(curIndex);
  InsertObject(newIndex, s, object);
}

int TWideStrings::IndexOf(const String& s) const {
  for (int i = 0; i < GetCount(); ++i)
    if (CompareWideTextWide(Get(i), s, FLanguage) == 0) return i;
  return -1;
}

String TWideStrings::GetTextStr() const {
  const int count = GetCount();
  size_t length = 0;
  for (int i = 0; i < count; ++i) length += Get(i).size() + 2;
  String text;
  text.reserve(length);
  for (int i = 0; i < count; ++i) {
    text += Get(i);
    text += u"\r\n";
  }
  return text;
}

TWideBuffer TWideStrings::GetText() const { return DupWideBuffer(GetTextStr().c_str()); }

void TWideStrings::SetTextStr(const String& value) {
  TUpdating updating(this);
  Clear();
  size_t i = 0;
  const size_t n = value.size();
  while (i < n) {
    const size_t start = i;
    while (i < n && !IsLineBreak(value[i])) ++i;
    Add(value.substr(start, i - start));
    if (i < n) i += value[i] == u'\r' && i + 1 < n && value[i + 1] == u'\n' ? 2 : 1;
  }
}

void TWideStrings::SetText(const char16_t* text) {
  SetTextStr(text ? String(text) : String());
}

void TWideStrings::AddStrings(TStrings* strings) {
  TUpdating updating(this);
  for (int i = 0; i < strings->Count(); ++i)
    AddObject(strings->Strings(i), strings->Objects(i));
}

void TWideStrings::AddStrings(TWideStrings* strings) {
  TUpdating updating(this);
  for (int i = 0; i < strings->Count(); ++i) AddObject(strings->Get(i), strings->GetObject(i));
}

bool TWideStrings::Equals(TWideStrings* strings) const {
  const int count = GetCount();
  if (count != strings->GetCount()) return false;
  for (int i = 0; i < count; ++i)
    if (Get(i) != strings->Get(i)) return false;
  return true;
}

TStrings* TWideStrings::AnsiStrings() const { return FAnsiStrings.get(); }

void TWideStrings::SetAnsiStrings(TStrings* value) { FAnsiStrings->Assign(value); }

void TWideStrings::Assign(TPersistent* source) {
  if (auto* wide = dynamic_cast<TWideStrings*>(source)) {
    if (wide == this) return;
    TUpdating updating(this);
    Clear();
    AddStrings(wide);
  } else if (auto* strings = dynamic_cast<TStrings*>(source)) {
    if (strings == FAnsiStrings.get()) return;
    TUpdating updating(this);
    Clear();
    for (int i = 0; i < strings->Count(); ++i)
      AddObject(strings->Strings(i), strings->Objects(i));
  } else {
    TPersistent::Assign(source);
  }
}

void TWideStrings::AssignTo(TPersistent* dest) {
  if (auto* strings = dynamic_cast<TStrings*>(dest)) {
    if (strings == FAnsiStrings.get()) return;
    strings->BeginUpdate();
    try {
      strings->Clear();
      for (int i = 0; i < GetCount(); ++i) strings->AddObject(Get(i), GetObject(i));
    } catch (...) {
      strings->EndUpdate();
      throw;
    }
    strings->EndUpdate();
  } else if (auto* wide = dynamic_cast<TWideStrings*>(dest)) {
    wide->Clear();
    wide->AddStrings(this);
  } else {
    TPersistent::AssignTo(dest);
  }
}

// --- The combo box's items -----------------------------------------------------------------------

TStrings* TComboBoxStrings::Items() const { return FComboBox->TCustomComboBox::Items(); }

String TComboBoxStrings::Get(int index) const {
  if (index < 0 || index >= GetCount()) return String();
  return Items()->Strings(index);
}

int TComboBoxStrings::GetCount() const { return Items()->Count(); }

TObject* TComboBoxStrings::GetObject(int index) const { return Items()->Objects(index); }

void TComboBoxStrings::PutObject(int index, TObject* object) { Items()->SetObjects(index, object); }

void TComboBoxStrings::SetUpdateState(bool updating) {
  if (updating)
    Items()->BeginUpdate();
  else
    Items()->EndUpdate();
}

int TComboBoxStrings::Add(const String& s) { return Items()->Add(s); }

void TComboBoxStrings::Insert(int index, const String& s) { Items()->Insert(index, s); }

void TComboBoxStrings::Delete(int index) { Items()->Delete(index); }

void TComboBoxStrings::Clear() {
  const String text = GetWideWindowText(FComboBox);
  FComboBox->Perform(CB_RESETCONTENT);
  SetWideWindowText(FComboBox, text);
  FComboBox->Update();
}

int TComboBoxStrings::IndexOf(const String& s) const {
  return static_cast<int>(
      FComboBox->Perform(CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                         reinterpret_cast<LPARAM>(s.c_str())));
}

}  // namespace AsgUni
