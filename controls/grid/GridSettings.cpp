#include "controls/grid/GridSettings.h"

// --- TNavigation ---------------------------------------------------------------------------------

void TNavigation::Changed() {
  if (OnChange) OnChange(this);
}

void TNavigation::SetAdvanceInsert(bool value) {
  if (FAdvanceInsert == value) return;
  FAdvanceInsert = value;
  Changed();
}

void TNavigation::SetAdvanceDirection(TAdvanceDirection value) {
  if (FAdvanceDirection == value) return;
  FAdvanceDirection = value;
  Changed();
}

void TNavigation::SetAdvanceAuto(bool value) {
  FAdvanceAuto = value;
  if (value) FAdvanceOnEnter = true;
}

void TNavigation::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TNavigation*>(source);
  if (!other) return;
#define X(Type, Name, Default) Set##Name(other->Name());
  GRID_NAVIGATION_STORED(X)
#undef X
  SetAdvanceInsert(other->AdvanceInsert());
  SetAdvanceDirection(other->AdvanceDirection());
  SetAdvanceAuto(other->AdvanceAuto());
  // AdvanceAuto may have switched it on: the copy takes the source's value.
  SetAdvanceOnEnter(other->AdvanceOnEnter());
}

// --- TMouseActions -------------------------------------------------------------------------------

TMouseActions::TMouseActions() : FFixedComboValues(new TStringList) {}

TMouseActions::~TMouseActions() = default;

void TMouseActions::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TMouseActions*>(source);
  if (!other) return;
#define X(Type, Name, Default) F##Name = other->F##Name;
  GRID_MOUSE_STORED(X)
#undef X
  FDisjunctRowSelect = other->FDisjunctRowSelect;
  FDisjunctColSelect = other->FDisjunctColSelect;
  FDisjunctCellSelect = other->FDisjunctCellSelect;
  FWheelAction = other->FWheelAction;
}

void TMouseActions::SetDisjunct(bool& target, bool value) {
  target = value;
  if (!value) return;
  bool exclusive = false;
  if (OnQuery) OnQuery(this, exclusive);
  if (!exclusive) return;
  FDisjunctRowSelect = &target == &FDisjunctRowSelect;
  FDisjunctColSelect = &target == &FDisjunctColSelect;
  FDisjunctCellSelect = &target == &FDisjunctCellSelect;
}

void TMouseActions::SetDisjunctRowSelect(bool value) { SetDisjunct(FDisjunctRowSelect, value); }
void TMouseActions::SetDisjunctColSelect(bool value) { SetDisjunct(FDisjunctColSelect, value); }
void TMouseActions::SetDisjunctCellSelect(bool value) { SetDisjunct(FDisjunctCellSelect, value); }

void TMouseActions::SetEditOnDblClickOnly(bool value) {
  FEditOnDblClickOnly = value;
  if (value && OnEditModeChange) OnEditModeChange(this);
}

void TMouseActions::SetFixedComboValues(TStrings* value) { FFixedComboValues->Assign(value); }

void TMouseActions::SetHotmailRowSelect(bool value) {
  FHotmailRowSelect = value;
  if (value) {
    SetDisjunctRowSelect(true);
    FCheckAllCheck = true;
  }
  if (OnRepaint) OnRepaint(this);
}

void TMouseActions::SetWheelAction(TWheelAction value) {
  if (FWheelAction == value) return;
  FWheelAction = value;
  if (OnChange) OnChange(this);
}

// --- TSearchFooter -------------------------------------------------------------------------------

TSearchFooter::TSearchFooter(TPersistent* owner, bool setDefaultTexts)
    : FOwner(owner), FFont(new TFont) {
  if (!setDefaultTexts) return;
  FFindNextCaption = u"Find &next";
  FFindPrevCaption = u"Find &previous";
  FHighLightCaption = u"Highlight";
  FHintClose = u"Close";
  FHintFindNext = u"Find next occurrence";
  FHintFindPrev = u"Find previous occurrence";
  FHintHighlight = u"Highlight occurrences";
  FMatchCaseCaption = u"Match case";
}

TSearchFooter::~TSearchFooter() = default;

void TSearchFooter::Changed() {
  if (OnChange) OnChange(this);
}

void TSearchFooter::SetText(String& field, const String& value) {
  field = value;
  Changed();
}

void TSearchFooter::SetShown(bool& field, bool value) {
  if (field == value) return;
  field = value;
  Changed();
}

void TSearchFooter::SetColor(TColor value) {
  FColor = value;
  Changed();
}

void TSearchFooter::SetColorTo(TColor value) {
  FColorTo = value;
  Changed();
}

void TSearchFooter::SetFindNextCaption(const String& v) { SetText(FFindNextCaption, v); }
void TSearchFooter::SetFindPrevCaption(const String& v) { SetText(FFindPrevCaption, v); }
void TSearchFooter::SetHighLightCaption(const String& v) { SetText(FHighLightCaption, v); }
void TSearchFooter::SetHintClose(const String& v) { SetText(FHintClose, v); }
void TSearchFooter::SetHintFindNext(const String& v) { SetText(FHintFindNext, v); }
void TSearchFooter::SetHintFindPrev(const String& v) { SetText(FHintFindPrev, v); }
void TSearchFooter::SetHintHighlight(const String& v) { SetText(FHintHighlight, v); }
void TSearchFooter::SetMatchCaseCaption(const String& v) { SetText(FMatchCaseCaption, v); }

void TSearchFooter::SetFont(TFont* value) {
  FFont->Assign(value);
  Changed();
}

void TSearchFooter::SetShowClose(bool value) {
  FShowClose = value;
  Changed();
}

void TSearchFooter::SetAutoThemeAdapt(bool value) {
  FAutoThemeAdapt = value;
  Changed();
}

void TSearchFooter::SetShowFindNext(bool value) { SetShown(FShowFindNext, value); }
void TSearchFooter::SetShowFindPrev(bool value) { SetShown(FShowFindPrev, value); }
void TSearchFooter::SetShowHighLight(bool value) { SetShown(FShowHighLight, value); }
void TSearchFooter::SetShowMatchCase(bool value) { SetShown(FShowMatchCase, value); }
void TSearchFooter::SetVisible(bool value) { SetShown(FVisible, value); }

void TSearchFooter::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TSearchFooter*>(source);
  if (!other) return;
  FAlwaysHighLight = other->FAlwaysHighLight;
  FColor = other->FColor;
  FColorTo = other->FColorTo;
  FFindNextCaption = other->FFindNextCaption;
  FFindPrevCaption = other->FFindPrevCaption;
  FHighLightCaption = other->FHighLightCaption;
  FMatchCaseCaption = other->FMatchCaseCaption;
  FHintClose = other->FHintClose;
  FHintFindNext = other->FHintFindNext;
  FHintFindPrev = other->FHintFindPrev;
  FHintHighlight = other->FHintHighlight;
  FShowClose = other->FShowClose;
  FShowFindNext = other->FShowFindNext;
  FShowFindPrev = other->FShowFindPrev;
  FShowHighLight = other->FShowHighLight;
  FShowMatchCase = other->FShowMatchCase;
  FSearchActiveColumnOnly = other->FSearchActiveColumnOnly;
  FSearchMatchStart = other->FSearchMatchStart;
  FSearchColumn = other->FSearchColumn;
  FSearchDirection = other->FSearchDirection;
  FSearchHiddenRows = other->FSearchHiddenRows;
  FVisible = other->FVisible;
  FFont->Assign(other->FFont.get());
}

// --- TBands --------------------------------------------------------------------------------------

template <class T>
void TBands::SetBandValue(T& field, T value) {
  if (field == value) return;
  field = value;
  if (FActive && OnChange) OnChange(this);
}

void TBands::SetActive(bool value) {
  if (FActive == value) return;
  FActive = value;
  if (OnChange) OnChange(this);
}

void TBands::SetPrimaryColor(TColor value) { SetBandValue(FPrimaryColor, value); }
void TBands::SetSecondaryColor(TColor value) { SetBandValue(FSecondaryColor, value); }
void TBands::SetPrimaryLength(int value) { SetBandValue(FPrimaryLength, value < 0 ? 0 : value); }
void TBands::SetSecondaryLength(int value) {
  SetBandValue(FSecondaryLength, value < 0 ? 0 : value);
}

bool TBands::RowColor(int row, int fixedRows, TColor& color) const {
  int total = TotalLength();
  if (total <= 0 || row < fixedRows) return false;
  color = (row - fixedRows) % total < FPrimaryLength ? FPrimaryColor : FSecondaryColor;
  return true;
}

void TBands::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TBands*>(source);
  if (!other) return;
  FActive = other->FActive;
  FPrimaryColor = other->FPrimaryColor;
  FPrimaryLength = other->FPrimaryLength;
  FSecondaryColor = other->FSecondaryColor;
  FSecondaryLength = other->FSecondaryLength;
  FPrint = other->FPrint;
}

// --- TSyncGrid and TFocusHelper ------------------------------------------------------------------

void TSyncGrid::SetGrid(TStringGrid* value) {
  if (value == FOwnerGrid) return;
  FGrid = value;
}

void TSyncGrid::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TSyncGrid*>(source);
  if (!other) return;
  SetGrid(other->FGrid);
  FScrollVertical = other->FScrollVertical;
  FScrollHorizontal = other->FScrollHorizontal;
  FSelectionColumn = other->FSelectionColumn;
  FSelectionRow = other->FSelectionRow;
  FMoveColumn = other->FMoveColumn;
  FMoveRow = other->FMoveRow;
}

void TFocusHelper::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TFocusHelper*>(source)) FEnabled = other->FEnabled;
}
