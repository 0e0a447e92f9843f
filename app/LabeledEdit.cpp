#include "app/LabeledEdit.h"

namespace {
constexpr int LabelGap = 4;
}

TLabeledEdit::TLabeledEdit(TComponent* owner) : TEdit(owner), FLabel(new TLabel(owner)) {}

void TLabeledEdit::SetLabelCaption(const String& value) {
  FLabel->SetCaption(value);
  PlaceLabel();
}

void TLabeledEdit::SetLabelPosition(TLabelPosition value) {
  FPosition = value;
  PlaceLabel();
}

void TLabeledEdit::SetParent(TWinControl* value) {
  TEdit::SetParent(value);
  FLabel->SetParent(value);
  PlaceLabel();
}

void TLabeledEdit::SetBounds(int left, int top, int width, int height) {
  TEdit::SetBounds(left, top, width, height);
  // The base constructor places the edit before the label exists.
  if (FLabel) PlaceLabel();
}

void TLabeledEdit::PlaceLabel() {
  const int height = FLabel->Height();
  switch (FPosition) {
    case lpLeftCenter: {
      // The label ends where the edit begins, its text set against the edit.
      const int width = Left() - LabelGap;
      FLabel->SetAlignment(taRightJustify);
      FLabel->SetBounds(0, Top() + (Height() - height) / 2, width > 0 ? width : 0, height);
      break;
    }
    case lpTopLeft:
      FLabel->SetAlignment(taLeftJustify);
      FLabel->SetBounds(Left(), Top() - height - LabelGap / 2, Width(), height);
      break;
    case lpTopCenter:
      FLabel->SetAlignment(taCenter);
      FLabel->SetBounds(Left(), Top() - height - LabelGap / 2, Width(), height);
      break;
  }
}
