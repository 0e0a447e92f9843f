// The cell checker a string grid can be linked to: when a cell edit is committed, the grid lets it
// correct the new text (AutoCorrect) and mark errors in it (AutoMarkError) before storing it. This
// class is the base of checkers: it hands every text back unchanged.
#pragma once

#include "platform/rtl/Component.h"

class TZozIvozedOrerCheck : public TComponent {
 public:
  explicit TZozIvozedOrerCheck(TComponent* owner) : TComponent(owner) {}

  virtual String MarkError(int /*ACol*/, int /*ARow*/, const String& value) { return value; }
  virtual String Correct(int /*ACol*/, int /*ARow*/, const String& value) { return value; }
  // Nothing calls these; descendants may.
  virtual void CheckHook1() {}
  virtual void CheckHook2() {}

  bool GotoCell() const { return FGotoCell; }
  void SetGotoCell(bool value) { FGotoCell = value; }
  bool AutoCorrect() const { return FAutoCorrect; }
  void SetAutoCorrect(bool value) { FAutoCorrect = value; }
  bool AutoMarkError() const { return FAutoMarkError; }
  void SetAutoMarkError(bool value) { FAutoMarkError = value; }
  bool UseCorrect() const { return FUseCorrect; }
  void SetUseCorrect(bool value) { FUseCorrect = value; }
  bool UseMarkError() const { return FUseMarkError; }
  void SetUseMarkError(bool value) { FUseMarkError = value; }

 private:
  bool FGotoCell = false;
  bool FAutoCorrect = false;
  bool FAutoMarkError = false;
  bool FUseCorrect = false;
  bool FUseMarkError = false;
};
