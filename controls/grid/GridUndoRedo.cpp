#include "controls/grid/GridUndoRedo.h"

#include <algorithm>

#include "controls/grid/BaseGrid.h"

void TUndoRedoItem::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TUndoRedoItem*>(source);
  if (!other) return TCollectionItem::Assign(source);
  Value = other->Value;
  OrigValue = other->OrigValue;
  Col = other->Col;
  Row = other->Row;
  SequenceStart = other->SequenceStart;
  SequenceStop = other->SequenceStop;
}

TAdvGridUndoRedo::TAdvGridUndoRedo(TComponent* owner)
    : TComponent(owner), FSteps(new TUndoRedoCollection) {}

TAdvGridUndoRedo::~TAdvGridUndoRedo() = default;

void TAdvGridUndoRedo::SetGrid(TBaseGrid* grid) {
  if (FGrid == grid) return;
  if (FGrid) RemoveFreeNotification(FGrid);
  FGrid = grid;
  if (FGrid) FreeNotification(FGrid);
}

void TAdvGridUndoRedo::Notification(TComponent* component, TOperation operation) {
  if (operation == opRemove && component == FGrid) FGrid = nullptr;
  TComponent::Notification(component, operation);
}

void TAdvGridUndoRedo::DropLaterSteps() {
  while (FSteps->Count() > FPosition) FSteps->Delete(FSteps->Count() - 1);
}

TUndoRedoItem* TAdvGridUndoRedo::Append() {
  DropLaterSteps();
  TUndoRedoItem* item = FSteps->Add();
  FLevel = FPosition = FSteps->Count();
  return item;
}

int TAdvGridUndoRedo::MatchingStop(int start) const {
  int depth = 0;
  for (int i = start; i < FSteps->Count(); ++i) {
    TUndoRedoItem* item = FSteps->Items(i);
    if (item->SequenceStart) ++depth;
    if (item->SequenceStop && --depth == 0) return i;
  }
  return -1;
}

int TAdvGridUndoRedo::MatchingStart(int stop) const {
  int depth = 0;
  for (int i = stop; i >= 0; --i) {
    TUndoRedoItem* item = FSteps->Items(i);
    if (item->SequenceStop) ++depth;
    if (item->SequenceStart && --depth == 0) return i;
  }
  return -1;
}

void TAdvGridUndoRedo::EvictOldestStep() {
  int last = 0;
  if (FSteps->Items(0)->SequenceStart) {
    last = MatchingStop(0);
    // The sequence being recorded is kept whole until it is closed.
    if (last < 0) return;
  }
  for (int i = 0; i <= last; ++i) FSteps->Delete(0);
  FPosition -= last + 1;
}

void TAdvGridUndoRedo::RegisterChange(const TCellChange& change) {
  DropLaterSteps();
  if (FMaxLevel > 0) {
    while (FSteps->Count() >= FMaxLevel && FSteps->Count() > 0) {
      int before = FSteps->Count();
      EvictOldestStep();
      if (FSteps->Count() == before) break;
    }
  }
  TUndoRedoItem* item = Append();
  item->Col = change.Col;
  item->Row = change.Row;
  item->Value = change.NewText;
  item->OrigValue = change.OldText;
}

void TAdvGridUndoRedo::StartSequence() { Append()->SequenceStart = true; }

void TAdvGridUndoRedo::StopSequence() { Append()->SequenceStop = true; }

bool TAdvGridUndoRedo::Apply(TUndoRedoItem* item, bool undo) {
  if (item->IsMarker()) return false;
  FGrid->SetCellText(item->Col, item->Row, undo ? item->OrigValue : item->Value);
  const TAdvGridUndoRedoEvent& event = undo ? OnUndo : OnRedo;
  if (event) event(this, FGrid, item->Col, item->Row, item->OrigValue, item->Value);
  return true;
}

bool TAdvGridUndoRedo::Undo() {
  if (!FGrid || FPosition == 0) return false;
  // A step that changed no cell (a sequence with nothing in it) is passed over.
  bool changed = false;
  while (!changed && FPosition > 0) {
    int top = FPosition - 1;
    int first = top;
    if (FSteps->Items(top)->SequenceStop) first = std::max(MatchingStart(top), 0);
    for (int i = top; i >= first; --i) changed |= Apply(FSteps->Items(i), true);
    FPosition = first;
  }
  return true;
}

bool TAdvGridUndoRedo::Redo() {
  if (!FGrid || FPosition >= FSteps->Count()) return false;
  bool changed = false;
  while (!changed && FPosition < FSteps->Count()) {
    int last = FPosition;
    if (FSteps->Items(last)->SequenceStart) {
      last = MatchingStop(last);
      if (last < 0) last = FSteps->Count() - 1;
    }
    for (int i = FPosition; i <= last; ++i) changed |= Apply(FSteps->Items(i), false);
    FPosition = last + 1;
  }
  return true;
}
