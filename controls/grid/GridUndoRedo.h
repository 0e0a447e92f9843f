// The undo and redo recorder: a non-visual component that keeps the cell changes of one grid as a
// list of steps, so that they can be taken back and done again. A sequence of changes bracketed by
// StartSequence and StopSequence (a cut, a paste) is taken back and done again as one.
#pragma once

#include <memory>

#include "controls/grid/BaseGridTypes.h"
#include "platform/rtl/Collection.h"
#include "platform/rtl/Component.h"

class TBaseGrid;

// One recorded change, or a sequence marker (column and row -1, both texts empty).
class TUndoRedoItem : public TCollectionItem {
 public:
  explicit TUndoRedoItem(TCollection* collection) : TCollectionItem(collection) {}
  void Assign(TPersistent* source) override;

  String Value;      // the cell's text after the change
  String OrigValue;  // before it
  int Col = -1;      // real column
  int Row = -1;
  bool SequenceStart = false;
  bool SequenceStop = false;
  bool IsMarker() const { return SequenceStart || SequenceStop; }
};

class TUndoRedoCollection : public TCollection {
 public:
  TUndoRedoCollection() : TCollection(TCollectionItemClass::Of<TUndoRedoItem>()) {}
  TUndoRedoItem* Items(int index) const {
    return static_cast<TUndoRedoItem*>(TCollection::Items(index));
  }
  TUndoRedoItem* Add() { return static_cast<TUndoRedoItem*>(TCollection::Add()); }
};

struct TCellChange {
  int Col = 0;
  int Row = 0;
  String OldText;
  String NewText;
};

class TAdvGridUndoRedo : public TComponent {
 public:
  explicit TAdvGridUndoRedo(TComponent* owner);
  ~TAdvGridUndoRedo() override;

  // Recording drops the steps taken back and not done again. A change beyond MaxLevel items
  // first evicts the oldest step, a whole sequence at a time.
  virtual void RegisterChange(const TCellChange& change);
  virtual void StartSequence();
  virtual void StopSequence();

  // Take back (do again) one step or one whole sequence through the grid's SetCellText, firing
  // OnUndo (OnRedo) for each cell. False when there is nothing to take back (do again) or no grid.
  bool Undo();
  bool Redo();
  bool CanUndo() const { return FPosition > 0; }
  bool CanRedo() const { return FPosition < FSteps->Count(); }

  // The largest number of kept items (markers count); 0 or less keeps all.
  int MaxLevel() const { return FMaxLevel; }
  void SetMaxLevel(int value) { FMaxLevel = value; }
  TUndoRedoCollection* Steps() const { return FSteps.get(); }
  // The number of items after the last recording.
  int Level() const { return FLevel; }
  // How many items are done: the steps before it can be taken back, those from it done again.
  int Position() const { return FPosition; }
  TBaseGrid* Grid() const { return FGrid; }
  // Called by the grid's UndoRedo setter.
  void SetGrid(TBaseGrid* grid);

  TAdvGridUndoRedoEvent OnUndo;
  TAdvGridUndoRedoEvent OnRedo;

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  TUndoRedoItem* Append();
  void DropLaterSteps();
  void EvictOldestStep();
  // The index of the marker that closes (opens) the sequence opened (closed) at index; -1 none.
  int MatchingStop(int start) const;
  int MatchingStart(int stop) const;
  // Writes a step's text back (or again); false for a marker.
  bool Apply(TUndoRedoItem* item, bool undo);

  std::unique_ptr<TUndoRedoCollection, TObjectFree> FSteps;
  int FMaxLevel = 0;
  int FLevel = 0;
  int FPosition = 0;
  TBaseGrid* FGrid = nullptr;
};
