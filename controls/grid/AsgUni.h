// The grid's Unicode editors and their wide text: an edit, a memo, an edit with a button and a
// flat combo box whose items are a wide string list.
//
// The platform's windows are Unicode throughout, so a control's wide text is its Text, and typed
// characters reach it as the UTF-16 code units that were typed (an input method's commit one unit
// after another). What these editors add is that a key handler which swallows or replaces the
// first half of a surrogate pair takes the second half with it, so no lone half is stored.
#pragma once

#include <memory>
#include <string>

#include "controls/grid/ASGEdit.h"
#include "platform/rtl/StringList.h"
#include "platform/ui/StdCtrls.h"

namespace AsgUni {

// --- Wide text -----------------------------------------------------------------------------------

// A control's text, read and written whole; a write that changes it announces CM_TEXTCHANGED.
String GetWideWindowText(TControl* control);
void SetWideWindowText(TControl* control, const String& value);

// Keeps the halves of a surrogate pair together through a key handler.
class TSurrogatePairGuard {
 public:
  // Before the handling: whether ch is the second half of a pair whose first half was not taken.
  bool DropsSecondHalf(char16_t ch);
  // After the handling: the unit typed, and whether it went in as typed.
  void Handled(char16_t typed, bool taken);

 private:
  bool FDropNext = false;
};

// Zero-terminated wide strings whose block records its size; freed by their owner.
struct TWideBufferFree {
  void operator()(char16_t* buffer) const;
};
using TWideBuffer = std::unique_ptr<char16_t[], TWideBufferFree>;

int WideCharCount(const char16_t* s);
// Copies count code units, right also when the ranges overlap; returns dest.
char16_t* MoveWideChars(char16_t* dest, const char16_t* source, int count);
// A zero-filled buffer of size code units.
TWideBuffer AllocWideBuffer(int size);
// A copy with its terminator (nullptr for nullptr).
TWideBuffer DupWideBuffer(const char16_t* s);
// The code page of a locale's 8-bit text: always UTF-8 here.
int LocaleAnsiCodePage(const std::string& language);
// Compares ignoring case in a locale (an ICU locale name; empty: the user's locale).
int CompareWideTextWide(const String& s1, const String& s2, const std::string& language);

// --- The wide string list ------------------------------------------------------------------------

class TAnsiStringsForWideStrings;

// A list of strings with an object beside each; a descendant keeps them (Get, GetCount, Clear,
// Delete, Insert, and GetObject/PutObject when it keeps objects). AnsiStrings is the same list
// seen as the platform's string list, so any list of the platform can read and fill it.
class TWideStrings : public TPersistent {
 public:
  TWideStrings();
  ~TWideStrings() override;

  virtual String Get(int index) const = 0;
  virtual int GetCapacity() const { return GetCount(); }
  virtual int GetCount() const = 0;
  virtual TObject* GetObject(int index) const;
  virtual String GetTextStr() const;
  virtual void Put(int index, const String& s);
  virtual void PutObject(int index, TObject* object);
  virtual void SetCapacity(int) {}
  // All lines end with CR LF; a text that ends with a line break adds no empty last line. A line
  // ends at #0, LF, VT, FF, CR, CR LF, U+2028 or U+2029.
  virtual void SetTextStr(const String& value);
  virtual void SetUpdateState(bool) {}
  virtual void SetLanguage(const std::string& value) { FLanguage = value; }
  virtual int Add(const String& s);
  virtual int AddObject(const String& s, TObject* object);
  virtual void AddStrings(TStrings* strings);
  virtual void AddStrings(TWideStrings* strings);
  virtual void Clear() = 0;
  virtual void Delete(int index) = 0;
  virtual void Exchange(int index1, int index2);
  // The text as a new zero-terminated buffer (empty, never null, for an empty list).
  virtual TWideBuffer GetText() const;
  // The first string equal to s ignoring case in the list's language; -1 when none.
  virtual int IndexOf(const String& s) const;
  virtual void Insert(int index, const String& s) = 0;
  virtual void Move(int curIndex, int newIndex);
  virtual void SetText(const char16_t* text);

  void BeginUpdate();
  void EndUpdate();
  // The same strings in the same order, case and all.
  bool Equals(TWideStrings* strings) const;
  void InsertObject(int index, const String& s, TObject* object);

  int Count() const { return GetCount(); }
  String Strings(int index) const { return Get(index); }
  TObject* Objects(int index) const { return GetObject(index); }
  const std::string& Language() const { return FLanguage; }
  TStrings* AnsiStrings() const;
  void SetAnsiStrings(TStrings* value);

  // From another wide list or a platform list; anything else raises the assignment error.
  void Assign(TPersistent* source) override;

 protected:
  void AssignTo(TPersistent* dest) override;

 private:
  std::unique_ptr<TAnsiStringsForWideStrings> FAnsiStrings;
  int FUpdateCount = 0;
  std::string FLanguage;
};

// The platform's string list over a wide list: reads and changes go to the wide list; objects do
// not pass through it.
class TAnsiStringsForWideStrings : public TStrings {
 public:
  explicit TAnsiStringsForWideStrings(TWideStrings* wide) : FWide(wide) {}
  String Get(int index) const override { return FWide->Get(index); }
  int GetCount() const override { return FWide->GetCount(); }
  void Clear() override { FWide->Clear(); }
  void Delete(int index) override { FWide->Delete(index); }
  void Insert(int index, const String& s) override { FWide->Insert(index, s); }

 private:
  TWideStrings* FWide;
};

// The items of a combo box, read and written in the combo's own list.
class TComboBoxStrings : public TWideStrings {
 public:
  explicit TComboBoxStrings(TCustomComboBox* comboBox = nullptr) : FComboBox(comboBox) {}
  TCustomComboBox* ComboBox() const { return FComboBox; }
  void SetComboBox(TCustomComboBox* value) { FComboBox = value; }

  // An index the combo does not hold reads as an empty string.
  String Get(int index) const override;
  int GetCount() const override;
  TObject* GetObject(int index) const override;
  void PutObject(int index, TObject* object) override;
  void SetUpdateState(bool updating) override;
  int Add(const String& s) override;
  // Clearing the items keeps the text in the combo's edit.
  void Clear() override;
  void Delete(int index) override;
  // The combo's own search: whole items, case ignored.
  int IndexOf(const String& s) const override;
  void Insert(int index, const String& s) override;

 private:
  TStrings* Items() const;
  TCustomComboBox* FComboBox;
};

}  // namespace AsgUni

// --- The editors ---------------------------------------------------------------------------------

namespace AsgUni {

class TCustomUNIEdit : public TCustomEdit {
 public:
  explicit TCustomUNIEdit(TComponent* owner);
  String Text() { return GetWideWindowText(this); }
  void SetText(const String& value) { SetWideWindowText(this, value); }
  void Dispatch(TMessage& message) override;

 private:
  TSurrogatePairGuard FPairGuard;
};

class TAsgUniEdit : public TCustomUNIEdit {
 public:
  explicit TAsgUniEdit(TComponent* owner) : TCustomUNIEdit(owner) {}
};

class TAsgUniCustomMemo : public TCustomUNIEdit {
 public:
  explicit TAsgUniCustomMemo(TComponent* owner);
  TScrollStyle ScrollBars() const { return TCustomEdit::ScrollBars(); }
  void SetScrollBars(TScrollStyle value);
  bool WordWrap() const { return TCustomEdit::WordWrap(); }
  void SetWordWrap(bool value);
  bool WantReturns() const { return TCustomEdit::WantReturns(); }
  void SetWantReturns(bool value) { TCustomEdit::SetWantReturns(value); }
  bool WantTabs() const { return TCustomEdit::WantTabs(); }
  void SetWantTabs(bool value) { TCustomEdit::SetWantTabs(value); }
  void Dispatch(TMessage& message) override;
};

// Starts 200 x 100 without word wrap: the grid never sets it and works without.
class TAsgUniMemo : public TAsgUniCustomMemo {
 public:
  explicit TAsgUniMemo(TComponent* owner);
};

// The Unicode twin of the edit with a button: it starts empty and F4 clicks whatever modifier
// keys are down.
class TAsgUniEditBtn : public TAsgButtonEdit<TCustomUNIEdit> {
 public:
  explicit TAsgUniEditBtn(TComponent* owner) : TAsgButtonEdit<TCustomUNIEdit>(owner) {}

 protected:
  bool F4Clicks() const override { return true; }
  void SetEditRect() override;
};

class TCustomUNIComboBox : public TCustomComboBox {
 public:
  explicit TCustomUNIComboBox(TComponent* owner);
  ~TCustomUNIComboBox() override;
  // The wide items (the platform's list of the same items is TCustomComboBox::Items).
  TComboBoxStrings* Items() const { return FItems.get(); }
  String Text() { return GetWideWindowText(this); }
  void SetText(const String& value) { SetWideWindowText(this, value); }
  void Dispatch(TMessage& message) override;

 protected:
  // Sees every character typed into the edit part before the key handling.
  virtual void EditCharHook(TMessage&) {}
  void KeyPress(char16_t& key) override;
  void CreateWnd() override;

 private:
  void HookEdit();
  void EditWndProc(TMessage& message);

  std::unique_ptr<TComboBoxStrings> FItems;
  TCustomEdit* FHookedEdit = nullptr;
  TWndMethod FEditWndProc;
  TSurrogatePairGuard FPairGuard;
  // Whether the key handlers let the last character through unchanged.
  bool FKeyTaken = true;
  // Enter or Escape closed the list: its character is not the edit's.
  char16_t FClosingChar = 0;
};

// The flat combo box of the Unicode editors.
class TASGUniCustomCombo : public TCustomUNIComboBox {
 public:
  explicit TASGUniCustomCombo(TComponent* owner);

  int ButtonWidth() const { return FButtonWidth; }
  // Widths outside 14..32 are ignored.
  void SetButtonWidth(int value);
  bool Flat() const { return FFlat; }
  void SetFlat(bool value);
  bool Etched() const { return FEtched; }
  void SetEtched(bool value);
  bool Ctl3D() const { return FCtl3D; }
  void SetCtl3D(bool value);
  int DropWidth() const { return FDropWidth; }
  void SetDropWidth(int value);
  bool FocusBorder = false;
  bool AutoFocus = false;
  bool IsWinXP = false;

  void Dispatch(TMessage& message) override;

 protected:
  void Paint() override;
  void DropDown() override;
  void CloseUp() override;
  void DoEnter() override;
  void DoExit() override;

 private:
  bool Active();
  void DrawBorders(TCanvas* canvas);
  void InvalidateButton();

  int FButtonWidth;
  bool FFlat = true;
  bool FEtched = false;
  bool FCtl3D = false;
  int FDropWidth = 0;
  bool FMouseInControl = false;
  TColor FOldColor;
  bool FOldParentColor;
};

class TASGUniComboBox : public TASGUniCustomCombo {
 public:
  explicit TASGUniComboBox(TComponent* owner) : TASGUniCustomCombo(owner) {}
};

}  // namespace AsgUni
