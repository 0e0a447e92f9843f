// The string grid's option groups, each published as one property of the grid: navigation, mouse
// actions, the search panel, banded rows, a synchronised grid and the focus glow. Each object keeps
// its options, copies itself from an object of its own class (any other source is ignored) and,
// where the grid must react, tells its owner through an event the grid assigns.
#pragma once

#include <functional>
#include <memory>

#include "controls/grid/BaseGridTypes.h"
#include "platform/gdi/GraphicsObjects.h"
#include "platform/rtl/Persistent.h"
#include "platform/rtl/StringList.h"

class TStringGrid;

// A plain stored option: Name() and SetName(value), field FName.
#define GRID_STORED_OPTION(Type, Name, Default)        \
 public:                                               \
  Type Name() const { return F##Name; }                \
  void Set##Name(Type value) { F##Name = value; }      \
                                                       \
 private:                                              \
  Type F##Name = Default;

// The navigation options whose setters only store, in published order.
#define GRID_NAVIGATION_STORED(X)                                  \
  X(bool, AllowInsertRow, false)                                   \
  X(bool, AllowDeleteRow, false)                                   \
  X(bool, AlwaysEdit, false)                                       \
  X(bool, AdvanceOnEnter, false)                                   \
  X(bool, AdvanceOnEnterLoop, true)                                \
  X(bool, AdvanceAutoEdit, true)                                   \
  X(bool, AdvanceSkipReadOnlyCells, true)                          \
  X(bool, AutoGotoWhenSorted, false)                               \
  X(bool, AutoGotoIncremental, false)                              \
  X(bool, AutoComboDropSize, false)                                \
  X(bool, AllowClipboardShortCuts, false)                          \
  X(bool, AllowCtrlEnter, true)                                    \
  X(bool, AllowSmartClipboard, false)                              \
  X(bool, AllowRTFClipboard, false)                                \
  X(bool, AllowFmtClipboard, false)                                \
  X(bool, AllowClipboardAlways, false)                             \
  X(bool, AllowClipboardRowGrow, true)                             \
  X(bool, AllowClipboardColGrow, true)                             \
  X(bool, AppendOnArrowDown, false)                                \
  X(bool, EditSelectAll, true)                                     \
  X(TInsertPosition, InsertPosition, TInsertPosition::pInsertBefore) \
  X(TClipboardPasteAction, ClipboardPasteAction, TClipboardPasteAction::paReplace) \
  X(bool, ComboGetUpDown, true)                                    \
  X(TCursorAdvance, CursorAdvance, TCursorAdvance::caDefault)      \
  X(bool, CursorWalkEditor, false)                                 \
  X(bool, CursorWalkAlwaysEdit, true)                              \
  X(bool, CursorMoveRows, false)                                   \
  X(bool, MoveRowOnSort, false)                                    \
  X(bool, MoveScrollOnly, false)                                   \
  X(bool, ImproveMaskSel, false)                                   \
  X(bool, LeftRightRowSelect, true)                                \
  X(bool, CopyHTMLTagsToClipboard, true)                           \
  X(bool, KeepHorizScroll, false)                                  \
  X(bool, LineFeedOnEnter, false)                                  \
  X(THomeEndAction, HomeEndKey, THomeEndAction::heFirstLastColumn) \
  X(bool, SkipFixedCells, true)                                    \
  X(bool, SkipDisabledRows, true)                                  \
  X(bool, TabToNextAtEnd, false)                                   \
  X(TAdvanceDirection, TabAdvanceDirection, TAdvanceDirection::adLeftRight)

class TNavigation : public TPersistent {
#define X(Type, Name, Default) GRID_STORED_OPTION(Type, Name, Default)
  GRID_NAVIGATION_STORED(X)
#undef X

 public:
  TNavigation() = default;
  // Every option but KeepScrollOnSort, through the setters.
  void Assign(TPersistent* source) override;

  bool AdvanceInsert() const { return FAdvanceInsert; }
  void SetAdvanceInsert(bool value);
  TAdvanceDirection AdvanceDirection() const { return FAdvanceDirection; }
  void SetAdvanceDirection(TAdvanceDirection value);
  bool AdvanceAuto() const { return FAdvanceAuto; }
  // Switching it on switches AdvanceOnEnter on too.
  void SetAdvanceAuto(bool value);
  bool KeepScrollOnSort() const { return FKeepScrollOnSort; }
  void SetKeepScrollOnSort(bool value) { FKeepScrollOnSort = value; }

  // Fired when AdvanceDirection or AdvanceInsert changes; the grid adjusts its navigation.
  TNotifyEvent OnChange;

 private:
  void Changed();
  bool FAdvanceInsert = false;
  TAdvanceDirection FAdvanceDirection = TAdvanceDirection::adLeftRight;
  bool FAdvanceAuto = false;
  bool FKeepScrollOnSort = false;
};

// The mouse options copied by Assign whose setters only store.
#define GRID_MOUSE_STORED(X)                                              \
  X(bool, AllColumnSize, false)                                           \
  X(bool, AllRowSize, false)                                              \
  X(bool, AllSelect, false)                                               \
  X(bool, AutoFocus, false)                                               \
  X(bool, AutoSizeColOnDblClick, true)                                    \
  X(bool, CaretPositioning, false)                                        \
  X(bool, CheckAllCheck, false)                                           \
  X(bool, ColSelect, false)                                               \
  X(bool, DirectComboClose, false)                                        \
  X(bool, DirectComboDrop, false)                                         \
  X(bool, DirectDateClose, false)                                         \
  X(bool, DirectDateDrop, false)                                          \
  X(bool, DirectEdit, false)                                              \
  X(bool, DisjunctRowSelectNoCtrl, false)                                 \
  X(TGridFixedCellEdit, FixedRowsEdit, TGridFixedCellEdit::fceNone)       \
  X(TGridFixedCellEditor, FixedRowsEditor, TGridFixedCellEditor::fceEdit) \
  X(TGridFixedCellEditor, FixedColsEditor, TGridFixedCellEditor::fceEdit) \
  X(TGridFixedCellEdit, FixedColsEdit, TGridFixedCellEdit::fceNone)       \
  X(bool, MoveRowOnNodeClick, false)                                      \
  X(bool, NoAutoRangeScroll, false)                                       \
  X(bool, NodeAllExpandContract, false)                                   \
  X(bool, NoScrollOnPartialRow, false)                                    \
  X(bool, PreciseCheckBoxCheck, false)                                    \
  X(bool, PreciseNodeClick, true)                                         \
  X(bool, RangeSelectAndEdit, false)                                      \
  X(bool, RowSelect, false)                                               \
  X(bool, RowSelectPersistent, false)                                     \
  X(bool, SelectOnRightClick, false)                                      \
  X(bool, SizeFixedCol, false)                                            \
  X(bool, TouchScroll, false)                                             \
  X(int, WheelIncrement, 0)                                               \
  X(TWheelActive, WheelActive, TWheelActive::waFocus)

using TGridQueryEvent = std::function<void(TObject* sender, bool& result)>;

class TMouseActions : public TPersistent {
#define X(Type, Name, Default) GRID_STORED_OPTION(Type, Name, Default)
  GRID_MOUSE_STORED(X)
#undef X
  GRID_STORED_OPTION(bool, SizeFixedRow, false)

 public:
  TMouseActions();
  ~TMouseActions() override;
  // Every option but EditOnDblClickOnly, FixedComboValues, HotmailRowSelect and SizeFixedRow,
  // field by field: no setter runs and nothing is told.
  void Assign(TPersistent* source) override;

  // Switching one of the three disjunct modes on clears the other two when the query answers
  // true (the string grid answers true at design time).
  bool DisjunctRowSelect() const { return FDisjunctRowSelect; }
  void SetDisjunctRowSelect(bool value);
  bool DisjunctColSelect() const { return FDisjunctColSelect; }
  void SetDisjunctColSelect(bool value);
  bool DisjunctCellSelect() const { return FDisjunctCellSelect; }
  void SetDisjunctCellSelect(bool value);
  bool EditOnDblClickOnly() const { return FEditOnDblClickOnly; }
  void SetEditOnDblClickOnly(bool value);
  TStrings* FixedComboValues() const { return FFixedComboValues.get(); }
  void SetFixedComboValues(TStrings* value);
  bool HotmailRowSelect() const { return FHotmailRowSelect; }
  // Always repaints; switched on it also switches DisjunctRowSelect and CheckAllCheck on.
  void SetHotmailRowSelect(bool value);
  TWheelAction WheelAction() const { return FWheelAction; }
  void SetWheelAction(TWheelAction value);

  TNotifyEvent OnChange;        // WheelAction changed
  TNotifyEvent OnRepaint;       // HotmailRowSelect set
  TGridQueryEvent OnQuery;      // a disjunct mode is being switched on
  TNotifyEvent OnEditModeChange;  // EditOnDblClickOnly switched on

 private:
  void SetDisjunct(bool& target, bool value);
  bool FDisjunctRowSelect = false;
  bool FDisjunctColSelect = false;
  bool FDisjunctCellSelect = false;
  bool FEditOnDblClickOnly = false;
  std::unique_ptr<TStringList, TObjectFree> FFixedComboValues;
  bool FHotmailRowSelect = false;
  TWheelAction FWheelAction = TWheelAction::waMoveSelection;
};

// Settings of the string grid's search panel.
class TSearchFooter : public TPersistent {
 public:
  // The eight captions and hints get their default texts only when setDefaultTexts is true (a
  // grid made in code or newly placed; a loaded grid reads them from its file).
  TSearchFooter(TPersistent* owner, bool setDefaultTexts);
  ~TSearchFooter() override;
  // Everything but AutoSearch, SearchFixedCells and OnChange; nothing is told.
  void Assign(TPersistent* source) override;

  bool AlwaysHighLight() const { return FAlwaysHighLight; }
  void SetAlwaysHighLight(bool value) { FAlwaysHighLight = value; }
  bool AutoSearch() const { return FAutoSearch; }
  void SetAutoSearch(bool value) { FAutoSearch = value; }
  TColor Color() const { return FColor; }
  void SetColor(TColor value);
  TColor ColorTo() const { return FColorTo; }
  void SetColorTo(TColor value);
  const String& FindNextCaption() const { return FFindNextCaption; }
  void SetFindNextCaption(const String& value);
  const String& FindPrevCaption() const { return FFindPrevCaption; }
  void SetFindPrevCaption(const String& value);
  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* value);
  const String& HighLightCaption() const { return FHighLightCaption; }
  void SetHighLightCaption(const String& value);
  const String& HintClose() const { return FHintClose; }
  void SetHintClose(const String& value);
  const String& HintFindNext() const { return FHintFindNext; }
  void SetHintFindNext(const String& value);
  const String& HintFindPrev() const { return FHintFindPrev; }
  void SetHintFindPrev(const String& value);
  const String& HintHighlight() const { return FHintHighlight; }
  void SetHintHighlight(const String& value);
  const String& MatchCaseCaption() const { return FMatchCaseCaption; }
  void SetMatchCaseCaption(const String& value);
  bool SearchActiveColumnOnly() const { return FSearchActiveColumnOnly; }
  void SetSearchActiveColumnOnly(bool value) { FSearchActiveColumnOnly = value; }
  int SearchColumn() const { return FSearchColumn; }
  void SetSearchColumn(int value) { FSearchColumn = value; }
  bool SearchMatchStart() const { return FSearchMatchStart; }
  void SetSearchMatchStart(bool value) { FSearchMatchStart = value; }
  bool SearchFixedCells() const { return FSearchFixedCells; }
  void SetSearchFixedCells(bool value) { FSearchFixedCells = value; }
  bool SearchHiddenRows() const { return FSearchHiddenRows; }
  void SetSearchHiddenRows(bool value) { FSearchHiddenRows = value; }
  TSearchDirection SearchDirection() const { return FSearchDirection; }
  void SetSearchDirection(TSearchDirection value) { FSearchDirection = value; }
  bool ShowClose() const { return FShowClose; }
  void SetShowClose(bool value);
  bool ShowFindNext() const { return FShowFindNext; }
  void SetShowFindNext(bool value);
  bool ShowFindPrev() const { return FShowFindPrev; }
  void SetShowFindPrev(bool value);
  bool ShowHighLight() const { return FShowHighLight; }
  void SetShowHighLight(bool value);
  bool ShowMatchCase() const { return FShowMatchCase; }
  void SetShowMatchCase(bool value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool value);
  bool AutoThemeAdapt() const { return FAutoThemeAdapt; }
  void SetAutoThemeAdapt(bool value);

  TNotifyEvent OnChange;

 protected:
  TPersistent* GetOwner() override { return FOwner; }

 private:
  void Changed();
  void SetText(String& field, const String& value);
  void SetShown(bool& field, bool value);

  TPersistent* FOwner;
  bool FAlwaysHighLight = false;
  bool FAutoSearch = true;
  TColor FColor = static_cast<TColor>(0x00FFFFFF);
  TColor FColorTo = clBtnFace;
  String FFindNextCaption;
  String FFindPrevCaption;
  std::unique_ptr<TFont, TObjectFree> FFont;
  String FHighLightCaption;
  String FHintClose;
  String FHintFindNext;
  String FHintFindPrev;
  String FHintHighlight;
  String FMatchCaseCaption;
  bool FSearchActiveColumnOnly = false;
  int FSearchColumn = -1;
  bool FSearchMatchStart = false;
  bool FSearchFixedCells = false;
  bool FSearchHiddenRows = false;
  TSearchDirection FSearchDirection = TSearchDirection::sdTopBottom;
  bool FShowClose = true;
  bool FShowFindNext = true;
  bool FShowFindPrev = true;
  bool FShowHighLight = true;
  bool FShowMatchCase = true;
  bool FVisible = false;
  bool FAutoThemeAdapt = false;
};

// Banded row colours.
class TBands : public TPersistent {
 public:
  void Assign(TPersistent* source) override;

  bool Active() const { return FActive; }
  void SetActive(bool value);
  TColor PrimaryColor() const { return FPrimaryColor; }
  void SetPrimaryColor(TColor value);
  // A negative length counts as 0.
  int PrimaryLength() const { return FPrimaryLength; }
  void SetPrimaryLength(int value);
  TColor SecondaryColor() const { return FSecondaryColor; }
  void SetSecondaryColor(TColor value);
  int SecondaryLength() const { return FSecondaryLength; }
  void SetSecondaryLength(int value);
  bool Print() const { return FPrint; }
  void SetPrint(bool value) { FPrint = value; }
  int TotalLength() const { return FPrimaryLength + FSecondaryLength; }

  // The band colour of a row: false for the fixed rows above fixedRows, and for every row while
  // both lengths are 0. Whether the bands apply (Active, printing) is the caller's to decide.
  bool RowColor(int row, int fixedRows, TColor& color) const;

  TNotifyEvent OnChange;

 private:
  template <class T>
  void SetBandValue(T& field, T value);
  bool FActive = false;
  TColor FPrimaryColor = clInfoBk;
  int FPrimaryLength = 1;
  TColor FSecondaryColor = clWindow;
  int FSecondaryLength = 1;
  bool FPrint = false;
};

// Another grid the string grid keeps in step with itself.
class TSyncGrid : public TPersistent {
 public:
  explicit TSyncGrid(TStringGrid* ownerGrid) : FOwnerGrid(ownerGrid) {}
  void Assign(TPersistent* source) override;

  TStringGrid* Grid() const { return FGrid; }
  // The owning grid itself is refused (the value stays as it was).
  void SetGrid(TStringGrid* value);

 private:
  TStringGrid* FOwnerGrid;
  TStringGrid* FGrid = nullptr;

  GRID_STORED_OPTION(bool, ScrollVertical, false)
  GRID_STORED_OPTION(bool, ScrollHorizontal, false)
  GRID_STORED_OPTION(bool, SelectionColumn, false)
  GRID_STORED_OPTION(bool, SelectionRow, false)
  GRID_STORED_OPTION(bool, MoveColumn, false)
  GRID_STORED_OPTION(bool, MoveRow, false)
};

// When enabled, the string grid shows a glowing frame around the cell it starts editing.
class TFocusHelper : public TPersistent {
 public:
  void Assign(TPersistent* source) override;
  GRID_STORED_OPTION(bool, Enabled, false)
};
