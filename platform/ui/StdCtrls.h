// The standard controls of the class library, drawn by the library itself: the edit box.
//
// An edit keeps its text, selection and undo state in the object (not in the window), so it works
// the same before and after its window exists; the edit messages (EM_*) reach the same state.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/db/DBTypes.h"
#include "platform/rtl/StringList.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Forms.h"

// Edit messages and notifications as the edit controls answer them.
constexpr UINT EM_GETSEL = 0x00B0;
constexpr UINT EM_SETSEL = 0x00B1;
constexpr UINT EM_GETRECT = 0x00B2;
constexpr UINT EM_SETRECT = 0x00B3;
constexpr UINT EM_SETRECTNP = 0x00B4;
constexpr UINT EM_SCROLLCARET = 0x00B7;
constexpr UINT EM_GETMODIFY = 0x00B8;
constexpr UINT EM_SETMODIFY = 0x00B9;
constexpr UINT EM_REPLACESEL = 0x00C2;
constexpr UINT EM_LIMITTEXT = 0x00C5;
constexpr UINT EM_CANUNDO = 0x00C6;
constexpr UINT EM_UNDO = 0x00C7;
constexpr UINT EM_SETPASSWORDCHAR = 0x00CC;
constexpr UINT EM_EMPTYUNDOBUFFER = 0x00CD;
constexpr UINT EM_SETREADONLY = 0x00CF;
constexpr UINT EM_GETPASSWORDCHAR = 0x00D2;
constexpr UINT EM_GETLINECOUNT = 0x00BA;
constexpr UINT EM_LINEINDEX = 0x00BB;
constexpr UINT EM_LINEFROMCHAR = 0x00C9;
constexpr UINT EM_LINELENGTH = 0x00C1;
constexpr UINT EM_LINESCROLL = 0x00B6;
constexpr UINT EM_GETLINE = 0x00C4;
constexpr UINT EM_GETFIRSTVISIBLELINE = 0x00CE;
constexpr UINT EM_POSFROMCHAR = 0x00D6;
constexpr UINT EM_CHARFROMPOS = 0x00D7;
constexpr UINT EM_SHOWBALLOONTIP = 0x1503;
constexpr UINT EM_HIDEBALLOONTIP = 0x1504;
constexpr WORD EN_CHANGE = 0x0300;

// Edit window styles. A descendant's CreateParams may add or remove them; the edit takes its
// behaviour from the style its window was made with (a multi-line window is a memo).
constexpr DWORD ES_LEFT = 0x0000;
constexpr DWORD ES_CENTER = 0x0001;
constexpr DWORD ES_RIGHT = 0x0002;
constexpr DWORD ES_MULTILINE = 0x0004;
constexpr DWORD ES_UPPERCASE = 0x0008;
constexpr DWORD ES_LOWERCASE = 0x0010;
constexpr DWORD ES_PASSWORD = 0x0020;
constexpr DWORD ES_AUTOVSCROLL = 0x0040;
constexpr DWORD ES_AUTOHSCROLL = 0x0080;
constexpr DWORD ES_NOHIDESEL = 0x0100;
constexpr DWORD ES_READONLY = 0x0800;
constexpr DWORD ES_WANTRETURN = 0x1000;

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

// What EM_SHOWBALLOONTIP points at.
struct TEditBalloonTip {
  DWORD cbStruct = sizeof(TEditBalloonTip);
  const char16_t* pszTitle = nullptr;
  const char16_t* pszText = nullptr;
  int ttiIcon = 0;
};

// TAlignment (left, right, centre) is the one the data-set framework declares; TBorderStyle
// (bsNone, bsSingle) is the forms unit's.
enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };

class TEditLines;

class TCustomEdit : public TCustomControl {
 public:
  explicit TCustomEdit(TComponent* owner);
  ~TCustomEdit() override;

  // --- Text and selection (positions count UTF-16 units from 0; a line break is CR LF) ---
  int SelStart() const { return std::min(FSelAnchor, FCaret); }
  void SetSelStart(int value);
  int SelLength() const { return std::abs(FCaret - FSelAnchor); }
  void SetSelLength(int value);
  String SelText() const;
  // Replaces the selection as typing would (one undo step; MaxLength and ReadOnly are not asked).
  void SetSelText(const String& value);
  void SelectAll();
  void ClearSelection();
  // The caret: the moving end of the selection.
  int CaretPos() const { return FCaret; }

  // --- Behaviour ---
  int MaxLength() const { return FMaxLength; }
  void SetMaxLength(int value);
  char16_t PasswordChar() const { return FPasswordChar; }
  void SetPasswordChar(char16_t value);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value);
  bool AutoSelect() const { return FAutoSelect; }
  void SetAutoSelect(bool value) { FAutoSelect = value; }
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle value);
  TEditCharCase CharCase() const { return FCharCase; }
  void SetCharCase(TEditCharCase value);
  bool Modified() const { return FModified; }
  void SetModified(bool value) { FModified = value; }
  // Whether the edit holds several lines (a memo, or a window made with ES_MULTILINE).
  bool MultiLine() const { return FMultiLine; }

  // --- Clipboard and undo (each sends the message a descendant may intercept) ---
  void CutToClipboard();
  void CopyToClipboard();
  void PasteFromClipboard();
  bool CanUndo() const { return FHasUndo; }
  void Undo();
  void ClearUndo() { FHasUndo = false; }
  void Clear() { SetText(String()); }

  // The rectangle the text is laid out in (client coordinates); EM_SETRECT changes it.
  TRect FormattingRect();
  // The character nearest a client point, and the client point of a character's top left.
  int CharFromPos(TPoint point);
  TPoint PosFromChar(int index);
  // Lines as the edit shows them (a wrapped line counts once per row): the row of a character,
  // the first character of a row, and how many rows there are. A single-line edit has one.
  int LineFromChar(int index);
  int LineIndex(int line);
  int LineCount();
  // The first row shown (a single-line edit: the first character shown).
  int FirstVisibleLine();
  // Scrolls by rows and (without word wrap) by average character widths.
  void LineScroll(int columns, int lines);
  // The balloon tip EM_SHOWBALLOONTIP last showed (empty when hidden).
  const String& BalloonTitle() const { return FBalloonTitle; }
  const String& BalloonText() const { return FBalloonText; }

  TNotifyEvent OnChange;

  void Dispatch(TMessage& message) override;

 protected:
  virtual void Change();
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void Paint() override;
  void Resize() override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyPress(char16_t& key) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  bool DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) override;
  void DoEnter() override;
  void DoExit() override;

  // The multi-line settings a memo publishes; they decide the window style CreateParams makes.
  void SetMultiLine(bool value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool value);
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle value);
  bool WantReturns() const { return FWantReturns; }
  void SetWantReturns(bool value);
  bool WantTabs() const { return FWantTabs; }
  void SetWantTabs(bool value) { FWantTabs = value; }
  // The logical lines of the text (split at line breaks), kept in step with it.
  TStrings* EditLines();

  // For descendants that edit the text by rules of their own (a mask): the text as the window
  // holds it, and a change by the user that becomes one undo step (a typing run merges into one).
  const String& EditBuffer() const { return FEditText; }
  void ChangeByUser(const String& text, int selStart, int selEnd, bool typing);
  // Sets the text as the program does (it takes the undo step away and leaves the modified flag
  // as it is), keeping the caret in range.
  void SetEditBuffer(const String& text);
  void SetSel(int start, int end);

 private:
  friend class TEditLines;
  // A row of the text as shown: [Start, End) without the line break that may follow.
  struct TEditRow {
    int Start = 0;
    int End = 0;
  };

  String NormalizeInput(String text) const;
  int TextX(int index);
  int RowWidth(const TEditRow& row, int to);
  int RowLeft(const TEditRow& row);
  int LineHeight();
  int VisibleRows();
  const std::vector<TEditRow>& Rows();
  void InvalidateRows() { FRowsValid = false; }
  void WrapLine(int start, int end, int width, std::vector<TEditRow>& rows);
  int RowOf(int index);
  void PrepareCanvas();
  void MoveCaret(int position, bool extend);
  void MoveVertically(int rows, bool extend);
  // Replaces the selection with text: the one path by which the user changes the text.
  // Typing one character after another makes one undo step.
  void ReplaceSelection(String text, bool canUndo, bool typing);
  void CommitChange(String text, int anchor, int caret, bool canUndo, bool typing);
  void SetTextInternal(const String& text);
  void ScrollToCaret();
  void SetTopRow(int row);
  // The text or the room for it changed: the view follows.
  void LayoutChanged();
  void UpdateScrollBars();
  void ScrollMessage(TMessage& message);
  void UpdateCaret();
  void ApplyWindowStyle(DWORD style);
  void DoCut();
  void DoCopy();
  void DoPaste();
  void DoUndo();
  void PaintRow(const TEditRow& row, int y, int selStart, int selEnd);
  String ApplyCharCase(String text) const;
  int WordStartBefore(int index) const;
  int WordEndAfter(int index) const;
  int CharBefore(int index) const;
  int CharAfter(int index) const;

  String FEditText;
  int FSelAnchor = 0;
  int FCaret = 0;
  int FScroll = 0;   // pixels of text scrolled out on the left
  int FTopRow = 0;   // the first row shown (multi-line)
  int FDesiredX = -1;  // the column Up and Down keep to, as a client x (-1: the caret's)
  int FMaxLength = 0;
  char16_t FPasswordChar = 0;
  bool FReadOnly = false;
  bool FAutoSelect = true;
  bool FModified = false;
  bool FHasUndo = false;
  bool FSelecting = false;
  bool FTypingRun = false;
  bool FCaretCreated = false;
  bool FMultiLine = false;
  bool FWordWrap = false;
  bool FWantReturns = false;
  bool FWantTabs = false;
  TScrollStyle FScrollBars = ssNone;
  std::vector<TEditRow> FRows;
  bool FRowsValid = false;
  int FRowsWidth = -1;
  String FUndoText;
  int FUndoSelStart = 0;
  int FUndoSelEnd = 0;
  TAlignment FAlignment = taLeftJustify;
  TBorderStyle FBorderStyle = bsSingle;
  TEditCharCase FCharCase = ecNormal;
  TRect FFormatRect;
  bool FFormatRectSet = false;
  String FBalloonTitle;
  String FBalloonText;
  std::unique_ptr<TEditLines> FLines;
};

class TEdit : public TCustomEdit {
 public:
  explicit TEdit(TComponent* owner) : TCustomEdit(owner) {}
};

// A multi-line edit: Lines is its text line by line. WordWrap breaks long lines at blanks at the
// right edge (and the text then never scrolls sideways); WantReturns lets Enter start a new line
// and WantTabs lets Tab type a tab instead of moving the focus.
class TCustomMemo : public TCustomEdit {
 public:
  explicit TCustomMemo(TComponent* owner);
  TStrings* Lines() { return EditLines(); }
  void SetLines(TStrings* value) { EditLines()->Assign(value); }
  using TCustomEdit::ScrollBars;
  using TCustomEdit::SetScrollBars;
  using TCustomEdit::SetWantReturns;
  using TCustomEdit::SetWantTabs;
  using TCustomEdit::SetWordWrap;
  using TCustomEdit::WantReturns;
  using TCustomEdit::WantTabs;
  using TCustomEdit::WordWrap;
  void Dispatch(TMessage& message) override;
};

class TMemo : public TCustomMemo {
 public:
  explicit TMemo(TComponent* owner) : TCustomMemo(owner) {}
};

// --- Buttons ---------------------------------------------------------------------------------------

// Whether ch is the accelerator of a caption: the character after a single "&" (case ignored).
bool IsAccel(char16_t ch, const String& caption);

// A push button: clicked by the mouse, Space, its accelerator, and Enter (Default) or Escape
// (Cancel) anywhere on its form; a click hands its ModalResult to the form.
class TButton : public TCustomControl {
 public:
  explicit TButton(TComponent* owner);
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult value) { FModalResult = value; }
  bool Default() const { return FDefault; }
  void SetDefault(bool value);
  bool Cancel() const { return FCancel; }
  void SetCancel(bool value) { FCancel = value; }
  void Click() override;
  void Dispatch(TMessage& message) override;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void KeyUp(WORD& key, TShiftState shift) override;

 private:
  TModalResult FModalResult = mrNone;
  bool FDefault = false;
  bool FCancel = false;
};

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

// A check box or radio button: a mark and a caption; a click or Space changes the mark.
class TButtonControl : public TCustomControl {
 public:
  explicit TButtonControl(TComponent* owner);
  virtual bool Checked() const = 0;
  virtual void SetChecked(bool value) = 0;
  TAlignment Alignment() const { return FAlignment; }  // taRightJustify: caption right of the mark
  void SetAlignment(TAlignment value);
  void Dispatch(TMessage& message) override;

 protected:
  // What a click by the user does to the mark.
  virtual void Toggle() = 0;
  virtual uint32_t MarkState() const = 0;
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void KeyUp(WORD& key, TShiftState shift) override;
  // The mark changed: OnClick fires, as for a click, whether the user or the program changed it.
  void MarkChanged();

 private:
  TAlignment FAlignment = taRightJustify;
  bool FPressed = false;
};

class TCustomCheckBox : public TButtonControl {
 public:
  explicit TCustomCheckBox(TComponent* owner) : TButtonControl(owner) {}
  TCheckBoxState State() const { return FState; }
  void SetState(TCheckBoxState value);
  bool Checked() const override { return FState == cbChecked; }
  void SetChecked(bool value) override { SetState(value ? cbChecked : cbUnchecked); }
  bool AllowGrayed() const { return FAllowGrayed; }
  void SetAllowGrayed(bool value) { FAllowGrayed = value; }

 protected:
  void Toggle() override;
  uint32_t MarkState() const override;

 private:
  TCheckBoxState FState = cbUnchecked;
  bool FAllowGrayed = false;
};

class TCheckBox : public TCustomCheckBox {
 public:
  explicit TCheckBox(TComponent* owner) : TCustomCheckBox(owner) {}
};

// A radio button: checking one unchecks the other radio buttons of the same parent.
class TRadioButton : public TButtonControl {
 public:
  explicit TRadioButton(TComponent* owner) : TButtonControl(owner) {}
  bool Checked() const override { return FChecked; }
  void SetChecked(bool value) override;

 protected:
  void Toggle() override { SetChecked(true); }
  uint32_t MarkState() const override;

 private:
  bool FChecked = false;
};

// --- Label -----------------------------------------------------------------------------------------

// Text on the parent: word wrap, transparency, and an "&" accelerator that focuses FocusControl.
class TLabel : public TGraphicControl {
 public:
  explicit TLabel(TComponent* owner);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool value);
  bool ShowAccelChar() const { return FShowAccelChar; }
  void SetShowAccelChar(bool value);
  TWinControl* FocusControl() const { return FFocusControl; }
  void SetFocusControl(TWinControl* value);
  void Dispatch(TMessage& message) override;

 protected:
  void Paint() override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  uint32_t TextFlags() const;
  TAlignment FAlignment = taLeftJustify;
  bool FWordWrap = false;
  bool FTransparent = false;
  bool FShowAccelChar = true;
  TWinControl* FFocusControl = nullptr;
};

// --- List box --------------------------------------------------------------------------------------

enum TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable };
enum TOwnerDrawStateItem { odSelected, odGrayed, odDisabled, odChecked, odFocused };
using TOwnerDrawState = TSet<TOwnerDrawStateItem, 8>;
using TDrawItemEvent =
    std::function<void(TWinControl* control, int index, TRect rect, TOwnerDrawState state)>;

// A list of lines, one of them selected (ItemIndex, -1 for none), chosen by the mouse and the
// arrow keys; the user's choice fires OnClick. Owner-drawn styles paint through OnDrawItem.
class TCustomListBox : public TCustomControl {
 public:
  explicit TCustomListBox(TComponent* owner);
  ~TCustomListBox() override;
  TStrings* Items() const { return FItems.get(); }
  int ItemIndex() const { return FItemIndex; }
  void SetItemIndex(int value);
  int ItemHeight() const { return FItemHeight; }
  void SetItemHeight(int value);
  int TopIndex() const { return FTopIndex; }
  void SetTopIndex(int value);
  TListBoxStyle Style() const { return FStyle; }
  void SetStyle(TListBoxStyle value);
  bool Sorted() const { return FItems->Sorted(); }
  void SetSorted(bool value) { FItems->SetSorted(value); }
  // The item at a client point (-1 below the last one), and an item's client rectangle.
  int ItemAtPos(TPoint pos, bool existing) const;
  TRect ItemRect(int index) const;
  // How many whole items the client area shows.
  int VisibleCount();

  TDrawItemEvent OnDrawItem;
  void Dispatch(TMessage& message) override;

 protected:
  void Paint() override;
  virtual void DrawItem(int index, TRect rect, TOwnerDrawState state);
  void KeyDown(WORD& key, TShiftState shift) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  bool DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) override;

 private:
  // The user picked an item: select it, keep it in view, and report it.
  void SelectByUser(int index);
  void MakeVisible(int index);
  void ItemsChanged(TObject* sender);

  std::unique_ptr<TStringList> FItems;
  int FItemIndex = -1;
  int FItemHeight = 16;
  int FTopIndex = 0;
  TListBoxStyle FStyle = lbStandard;
};

class TListBox : public TCustomListBox {
 public:
  explicit TListBox(TComponent* owner) : TCustomListBox(owner) {}
};

// --- Combo box -------------------------------------------------------------------------------------

constexpr UINT CB_GETCOUNT = 0x0146;
constexpr UINT CB_GETCURSEL = 0x0147;
constexpr UINT CB_SETCURSEL = 0x014E;
constexpr UINT CB_SHOWDROPDOWN = 0x014F;
constexpr UINT CB_GETDROPPEDSTATE = 0x0157;
constexpr UINT CB_SETDROPPEDWIDTH = 0x0160;
constexpr UINT CB_GETDROPPEDWIDTH = 0x015F;

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };

class TComboDropList;

// A combo box of the drop-down-list kind: the selected item shows in the box; the arrow keys,
// typing the first letters of an item, and the dropped list (F4, Alt+Down or a click) choose one.
// A choice by the user fires OnChange and OnSelect; dropping and closing fire OnDropDown and
// OnCloseUp.
class TCustomComboBox : public TCustomControl {
 public:
  explicit TCustomComboBox(TComponent* owner);
  ~TCustomComboBox() override;
  TStrings* Items() const { return FItems.get(); }
  int ItemIndex() const { return FItemIndex; }
  void SetItemIndex(int value);
  TComboBoxStyle Style() const { return FStyle; }
  void SetStyle(TComboBoxStyle value) { FStyle = value; }
  int DropDownCount() const { return FDropDownCount; }
  void SetDropDownCount(int value) { FDropDownCount = std::max(value, 1); }
  // The width of the dropped list (0: the width of the box).
  int DroppedWidth() const { return FDroppedWidth; }
  void SetDroppedWidth(int value) { FDroppedWidth = std::max(value, 0); }
  bool DroppedDown() const;
  void SetDroppedDown(bool value);
  // The dropped list while it shows (nullptr otherwise).
  TCustomListBox* DropList() const;

  TNotifyEvent OnChange;
  TNotifyEvent OnSelect;
  TNotifyEvent OnDropDown;
  TNotifyEvent OnCloseUp;
  TDrawItemEvent OnDrawItem;
  void Dispatch(TMessage& message) override;

 protected:
  void Paint() override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyPress(char16_t& key) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void DoExit() override;

 private:
  friend class TComboDropList;
  void SelectByUser(int index);
  void ItemsChanged(TObject* sender);
  // The dropped list's choice (-1: closed without one).
  void ListClosed(int chosen);

  std::unique_ptr<TStringList> FItems;
  std::unique_ptr<TComboDropList> FList;
  int FItemIndex = -1;
  TComboBoxStyle FStyle = csDropDownList;
  int FDropDownCount = 8;
  int FDroppedWidth = 0;
  String FSearch;
  uint64_t FSearchTime = 0;
};

class TComboBox : public TCustomComboBox {
 public:
  explicit TComboBox(TComponent* owner) : TCustomComboBox(owner) {}
};
