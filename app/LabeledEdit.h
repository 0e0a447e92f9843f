// An edit with a caption label of its own, placed beside or above it and moved with it.
#pragma once

#include "platform/ui/StdCtrls.h"

enum TLabelPosition { lpLeftCenter, lpTopLeft, lpTopCenter };

class TLabeledEdit : public TEdit {
 public:
  explicit TLabeledEdit(TComponent* owner);
  TLabel* EditLabel() const { return FLabel; }
  String LabelCaption() const { return FLabel->Caption(); }
  void SetLabelCaption(const String& value);
  TLabelPosition LabelPosition() const { return FPosition; }
  void SetLabelPosition(TLabelPosition value);
  void SetParent(TWinControl* value) override;
  void SetBounds(int left, int top, int width, int height) override;

 private:
  void PlaceLabel();

  TLabel* FLabel;
  TLabelPosition FPosition = lpLeftCenter;
};
