// TAdvEdit: the attached caption label, placed beside the edit and following it.
#include "controls/edit/AdvEdit.h"

using namespace AdvEdit;

String TAdvEdit::LabelCaption() const { return FLabel ? FLabel->Caption() : String(); }

void TAdvEdit::SetLabelCaption(const String& value) {
  if (!FLabel) {
    FLabel = new TEditLabel(this);
    FLabel->FreeNotification(this);
    FLabel->SetParentFont(ParentFont());
    FLabel->Font()->Assign(FLabelFont.get());
    FLabel->SetFocusControl(this);
    FLabel->OnClick = [this](TObject*) {
      if (OnLabelClick) OnLabelClick(this);
    };
    FLabel->OnDblClick = [this](TObject*) {
      if (OnLabelDblClick) OnLabelDblClick(this);
    };
    FLabel->SetParent(Parent());
  }
  FLabel->SetCaption(value);
  UpdateLabel();
}

void TAdvEdit::UpdateLabel() {
  if (!FLabel || !FLabel->Parent()) return;
  FLabel->SetTransparent(FLabelTransparent);
  FLabel->Font()->Assign(FFontFollows && !ShowError ? Font() : FLabelFont.get());
  PlaceLabel();
}

void TAdvEdit::PlaceLabel() {
  if (!FLabel) return;
  TPoint at = LabelOrigin(FLabelPosition, BoundsRect(), {FLabel->Width(), FLabel->Height()},
                          CaptionWidth(FLabel->Font(), FLabel->Caption()), FLabelMargin);
  FLabel->SetBounds(at.X, at.Y, FLabel->Width(), FLabel->Height());
  FLabel->SetVisible(Visible());
}

void TAdvEdit::SetLabelPosition(TLabelPosition value) {
  FLabelPosition = value;
  UpdateLabel();
}

void TAdvEdit::SetLabelMargin(int value) {
  FLabelMargin = value;
  UpdateLabel();
}

void TAdvEdit::SetLabelTransparent(bool value) {
  FLabelTransparent = value;
  UpdateLabel();
}

void TAdvEdit::SetLabelAlwaysEnabled(bool value) {
  FLabelAlwaysEnabled = value;
  if (FLabel) {
    if (value) FLabel->SetEnabled(true);
    FLabel->SetAlwaysEnable(value);
    FLabel->Invalidate();
  }
}

void TAdvEdit::SetLabelFont(TFont* value) {
  if (!ParentFont()) FLabelFont->Assign(value);
  UpdateLabel();
}

void TAdvEdit::LabelFontChanged(TObject*) {
  UpdateLabel();
  if (ComponentState().Contains(csDesigning) && !IsLoading()) SetParentFont(false);
}
