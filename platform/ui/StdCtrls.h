// The standard controls of the class library, drawn by the library itself: the edit box.
//
// An edit keeps its text, selection and undo state in the object (not in the window), so it works
// the same before and after its window exists; the edit messages (EM_*) reach the same state.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/rtl/Alignment.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/TextCompare.h"
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
  // The colour the field is painted in (the button face while disabled).
  virtual TColor BackgroundColor();

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
  // The edit's messages by kind; each answers whether the message was one of its kind.
  bool DispatchText(TMessage& message);
  bool DispatchClipboardAndUndo(TMessage& message);
  bool DispatchSelectionAndState(TMessage& message);
  bool DispatchLines(TMessage& message);
  bool DispatchView(TMessage& message);
  bool DispatchBalloonTip(TMessage& message);
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
  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyUp(WORD& key, TShiftState shift) override;

 private:
  TModalResult FModalResult = mrNone;
  bool FDefault = false;
  // Space clicks on its release only after its press reached this button.
  bool FSpacePressed = false;
  bool FCancel = false;
};

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
// Where a control puts its text or box across its height.
enum TTextLayout { tlTop, tlCenter, tlBottom };
// taLeftJustify or taRightJustify: which side a check box's box goes on.
using TLeftRight = TAlignment;

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
// With AutoSize (the default) the label takes the size of its text whenever the caption, the
// font or the word wrap changes (a wrapping label keeps its width and takes the height).
class TLabel : public TGraphicControl {
 public:
  explicit TLabel(TComponent* owner);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool value);
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
  void AdjustBounds();
  TAlignment FAlignment = taLeftJustify;
  bool FAutoSize = true;
  bool FWordWrap = false;
  bool FTransparent = false;
  bool FShowAccelChar = true;
  TWinControl* FFocusControl = nullptr;
};

// --- List box --------------------------------------------------------------------------------------

enum TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable };
enum TOwnerDrawStateItem { odSelected, odGrayed, odDisabled, odChecked, odFocused, odComboBoxEdit };
using TOwnerDrawState = TSet<TOwnerDrawStateItem, 8>;
using TDrawItemEvent =
    std::function<void(TWinControl* control, int index, TRect rect, TOwnerDrawState state)>;
using TMeasureItemEvent = std::function<void(TWinControl* control, int index, int& height)>;

// The strings of a list control with a word of data kept beside each one (a check list box keeps
// its marks there), so the data moves with its string when strings are inserted, deleted,
// exchanged, moved or sorted.
class TListControlStrings : public TStringList {
 public:
  uint32_t Data(int index) const;
  void SetData(int index, uint32_t value);
  void Clear() override;
  void Delete(int index) override;
  void Exchange(int index1, int index2) override;
  void Move(int curIndex, int newIndex) override;
  void CustomSort(const TStringListSortCompare& compare) override;

 protected:
  void InsertItem(int index, const String& s, TObject* object) override;

 private:
  std::vector<uint32_t> FData;
};

// A list of lines, one of them selected (ItemIndex, -1 for none), chosen by the mouse, the
// arrow keys and by typing the first letters of an item; the user's choice fires OnClick. Owner-drawn styles paint through OnDrawItem; the
// variable style asks OnMeasureItem for the height of each item.
class TCustomListBox : public TCustomControl {
 public:
  explicit TCustomListBox(TComponent* owner);
  ~TCustomListBox() override;
  TStrings* Items() const { return FItems.get(); }
  int Count() const { return FItems->Count(); }
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
  void Clear() { FItems->Clear(); }
  // The item at a client point (-1 below the last one), and an item's client rectangle.
  int ItemAtPos(TPoint pos, bool existing) const;
  TRect ItemRect(int index) const;
  // How many whole items the client area shows from the top item on.
  int VisibleCount();

  TDrawItemEvent OnDrawItem;
  TMeasureItemEvent OnMeasureItem;
  void Dispatch(TMessage& message) override;

 protected:
  void Paint() override;
  // Paints one item on Canvas(); the owner-drawn styles hand it to OnDrawItem.
  virtual void DrawItem(int index, TRect rect, TOwnerDrawState state);
  // The height of one item of the variable style.
  virtual void MeasureItem(int index, int& height);
  // The height of an item as the list lays it out.
  int HeightOf(int index) const;
  TListControlStrings* ItemStrings() const { return FItems.get(); }
  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyPress(char16_t& key) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  bool DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) override;
  // The user picked an item: select it, keep it in view, and report it.
  void SelectByUser(int index);

 private:
  void MakeVisible(int index);
  void ItemsChanged(TObject* sender);
  void InvalidateHeights() { FHeights.clear(); }
  int ClientItemsHeight() const;

  std::unique_ptr<TListControlStrings> FItems;
  // The measured heights of the variable style (empty: not measured since the last change).
  mutable std::vector<int> FHeights;
  int FItemIndex = -1;
  int FItemHeight = 16;
  int FTopIndex = 0;
  TListBoxStyle FStyle = lbStandard;
  String FSearch;
  uint64_t FSearchTime = 0;
};

class TListBox : public TCustomListBox {
 public:
  explicit TListBox(TComponent* owner) : TCustomListBox(owner) {}
};

// --- Combo box -------------------------------------------------------------------------------------

constexpr UINT CB_GETEDITSEL = 0x0140;
constexpr UINT CB_LIMITTEXT = 0x0141;
constexpr UINT CB_SETEDITSEL = 0x0142;
constexpr UINT CB_ADDSTRING = 0x0143;
constexpr UINT CB_DELETESTRING = 0x0144;
constexpr UINT CB_GETCOUNT = 0x0146;
constexpr UINT CB_GETCURSEL = 0x0147;
constexpr UINT CB_GETLBTEXT = 0x0148;
constexpr UINT CB_GETLBTEXTLEN = 0x0149;
constexpr UINT CB_INSERTSTRING = 0x014A;
constexpr UINT CB_RESETCONTENT = 0x014B;
constexpr UINT CB_FINDSTRING = 0x014C;
constexpr UINT CB_SELECTSTRING = 0x014D;
constexpr UINT CB_SETCURSEL = 0x014E;
constexpr UINT CB_SHOWDROPDOWN = 0x014F;
constexpr UINT CB_GETITEMDATA = 0x0150;
constexpr UINT CB_SETITEMDATA = 0x0151;
constexpr UINT CB_SETITEMHEIGHT = 0x0153;
constexpr UINT CB_GETITEMHEIGHT = 0x0154;
constexpr UINT CB_GETDROPPEDSTATE = 0x0157;
constexpr UINT CB_FINDSTRINGEXACT = 0x0158;
constexpr UINT CB_GETDROPPEDWIDTH = 0x015F;
constexpr UINT CB_SETDROPPEDWIDTH = 0x0160;
constexpr LRESULT CB_OKAY = 0;
constexpr LRESULT CB_ERR = -1;
constexpr LRESULT CB_ERRSPACE = -2;

// Notifications a combo box sends its parent in WM_COMMAND (the high word of wParam); the parent
// hands them back to the combo box as CN_COMMAND.
constexpr WORD CBN_SELCHANGE = 1;
constexpr WORD CBN_DBLCLK = 2;
constexpr WORD CBN_SETFOCUS = 3;
constexpr WORD CBN_KILLFOCUS = 4;
constexpr WORD CBN_EDITCHANGE = 5;
constexpr WORD CBN_EDITUPDATE = 6;
constexpr WORD CBN_DROPDOWN = 7;
constexpr WORD CBN_CLOSEUP = 8;

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };

class TComboDropList;
class TComboEdit;

// A combo box: an item shown in the box and a list to choose from. The drop-down styles drop the
// list below the box (F4, Alt+Down or a click); the simple style shows it always. The drop-down
// and simple styles edit their text in a child edit, completing typed text from the items
// (AutoComplete); the others choose by the arrow keys and by typing the first letters of an item.
// The owner-draw styles paint items through OnDrawItem (and measure them through OnMeasureItem).
// A change is announced to the parent in WM_COMMAND (CBN_*), and the events fire when it comes
// back: a choice fires OnClick, OnChange and OnSelect; typing fires OnChange; dropping and
// closing fire OnDropDown and OnCloseUp.
class TCustomComboBox : public TCustomControl {
 public:
  explicit TCustomComboBox(TComponent* owner);
  ~TCustomComboBox() override;
  TStrings* Items() const { return FItems.get(); }
  int ItemIndex() const { return FItemIndex; }
  void SetItemIndex(int value);
  TComboBoxStyle Style() const { return FStyle; }
  void SetStyle(TComboBoxStyle value);
  int DropDownCount() const { return FDropDownCount; }
  void SetDropDownCount(int value) { FDropDownCount = std::max(value, 1); }
  // The width of the dropped list (0: the width of the box).
  int DroppedWidth() const { return FDroppedWidth; }
  void SetDroppedWidth(int value) { FDroppedWidth = std::max(value, 0); }
  bool DroppedDown() const;
  void SetDroppedDown(bool value);
  // The height of a list item (of the selection field's item too, for the owner-draw styles).
  int ItemHeight() const { return FItemHeight; }
  void SetItemHeight(int value);
  bool AutoComplete() const { return FAutoComplete; }
  void SetAutoComplete(bool value) { FAutoComplete = value; }
  bool Sorted() const { return FItems->Sorted(); }
  void SetSorted(bool value) { FItems->SetSorted(value); }
  int MaxLength() const;
  void SetMaxLength(int value);
  TEditCharCase CharCase() const { return FCharCase; }
  void SetCharCase(TEditCharCase value);
  // The edit's selection (the drop-down and simple styles; 0 for the others).
  int SelStart() const;
  void SetSelStart(int value);
  int SelLength() const;
  void SetSelLength(int value);
  String SelText() const;
  void SelectAll();
  void Clear();
  // The dropped list while it shows, or the simple style's list (nullptr otherwise).
  TCustomListBox* DropList() const;
  // The child edit of the drop-down and simple styles (nullptr for the others).
  TCustomEdit* EditControl() const;
  // Whether the combo box or its edit has the focus.
  bool HasFocus();
  void SetFocus() override;
  void SetBounds(int left, int top, int width, int height) override;

  TNotifyEvent OnChange;
  TNotifyEvent OnSelect;
  TNotifyEvent OnDropDown;
  TNotifyEvent OnCloseUp;
  TDrawItemEvent OnDrawItem;
  TMeasureItemEvent OnMeasureItem;
  void Dispatch(TMessage& message) override;

 protected:
  virtual void Change();
  virtual void Select();
  virtual void DropDown();
  virtual void CloseUp();
  // Paints one item on Canvas() (the box's item, or one of the dropped list's on the list's
  // context); the owner-draw styles hand it to OnDrawItem.
  virtual void DrawItem(int index, TRect rect, TOwnerDrawState state);
  virtual void MeasureItem(int index, int& height);
  // Sends a CBN_* notification to the parent (or straight back to the combo box without one).
  void Notify(WORD code);
  bool IsOwnerDraw() const { return FStyle == csOwnerDrawFixed || FStyle == csOwnerDrawVariable; }
  bool HasEdit() const { return FStyle == csDropDown || FStyle == csSimple; }
  void Paint() override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyPress(char16_t& key) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void DoExit() override;
  // For a descendant whose item list keeps more beside each item: the combo box takes the list
  // it is given in place of its own.
  TCustomComboBox(TComponent* owner, std::unique_ptr<TListControlStrings> items);

 private:
  friend class TComboDropList;
  friend class TComboEdit;
  void SelectByUser(int index);
  void ItemsChanged(TObject* sender);
  // The dropped list's choice (-1: closed without one).
  void ListClosed(int chosen);
  // Moves the choice while the list is dropped: the edit styles show it in the edit at once.
  void HoverItem(int index);
  // The edit's text changed by the user (typed says it was a printable character).
  void EditChanged(bool typed);
  void SetEditText(const String& text);
  void CompleteTypedText();
  void SearchByLetters(char16_t key);
  void LayoutChildren();
  void DrawOnCanvas(TCanvas* canvas, int index, TRect rect, TOwnerDrawState state);
  TRect TextArea();
  int IndexOfText(const String& text, bool exact, int after) const;
  LRESULT ComboMessage(TMessage& message);

  std::unique_ptr<TListControlStrings> FItems;
  std::unique_ptr<TComboDropList> FList;
  TComboEdit* FEdit = nullptr;  // owned by the combo box as its child control
  int FItemIndex = -1;
  TComboBoxStyle FStyle = csDropDown;
  int FDropDownCount = 8;
  int FDroppedWidth = 0;
  int FItemHeight = 16;
  bool FAutoComplete = true;
  TEditCharCase FCharCase = ecNormal;
  bool FSettingText = false;
  String FSearch;
  uint64_t FSearchTime = 0;
};

class TComboBox : public TCustomComboBox {
 public:
  explicit TComboBox(TComponent* owner) : TCustomComboBox(owner) {}
};

// --- Scroll bar ------------------------------------------------------------------------------------

// TScrollBarKind (sbHorizontal, sbVertical) is the forms unit's.

enum TScrollCode { scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom,
                   scEndScroll };
using TScrollEvent = std::function<void(TObject* sender, TScrollCode scrollCode, int& scrollPos)>;

// A scroll bar control: Position between Min and Max - PageSize + 1 (the thumb covers PageSize),
// moved by its arrows (SmallChange), a click on the track (LargeChange), dragging the thumb, the
// keys, and the WM_HSCROLL/WM_VSCROLL requests a parent hands it. Every request of the user fires
// OnScroll, which may change the position it goes to; a change of Position fires OnChange.
class TScrollBar : public TCustomControl {
 public:
  explicit TScrollBar(TComponent* owner);
  TScrollBarKind Kind() const { return FKind; }
  void SetKind(TScrollBarKind value);
  int Min() const { return FMin; }
  void SetMin(int value) { SetParams(FPosition, value, FMax); }
  int Max() const { return FMax; }
  void SetMax(int value) { SetParams(FPosition, FMin, value); }
  int Position() const { return FPosition; }
  void SetPosition(int value) { SetParams(value, FMin, FMax); }
  // Raises EInvalidOperation "Scroll bar property out of range" for a range that ends before it
  // starts.
  void SetParams(int position, int min, int max);
  int PageSize() const { return FPageSize; }
  void SetPageSize(int value);
  int SmallChange() const { return FSmallChange; }
  void SetSmallChange(int value) { FSmallChange = std::max(value, 1); }
  int LargeChange() const { return FLargeChange; }
  void SetLargeChange(int value) { FLargeChange = std::max(value, 1); }
  // The parts of the bar in client coordinates.
  TRect ArrowRect(bool first);
  TRect ThumbRect();

  TScrollEvent OnScroll;
  TNotifyEvent OnChange;
  void Dispatch(TMessage& message) override;

 protected:
  virtual void Change();
  virtual void Scroll(TScrollCode scrollCode, int& scrollPos);
  void Paint() override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

 private:
  // A request of the user: OnScroll sees it, then the position moves.
  void DoScroll(TScrollCode code);
  int LastPosition() const;
  int Along(int x, int y) const { return FKind == sbHorizontal ? x : y; }
  int Extent() const { return FKind == sbHorizontal ? Width() : Height(); }
  int Thickness() const { return FKind == sbHorizontal ? Height() : Width(); }
  int TrackPixels();
  int ThumbPixels();

  TScrollBarKind FKind = sbHorizontal;
  int FMin = 0;
  int FMax = 100;
  int FPosition = 0;
  int FPageSize = 0;
  int FSmallChange = 1;
  int FLargeChange = 1;
  bool FDragging = false;
  int FDragOffset = 0;
  int FTrackPosition = 0;
};
