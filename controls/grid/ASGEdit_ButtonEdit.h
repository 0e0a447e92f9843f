// An edit with the button window at its right edge, over either edit the grid uses (the masked
// edit, or the Unicode edit): the button's click and F4, the editor switched off, and the layout
// of the button and of the text beside it.
#pragma once

#include "controls/grid/ASGEdit_Button.h"
#include "controls/grid/AsgCtl3D.h"
#include "controls/grid/AsgEditLayout.h"
#include "platform/win/VirtualKeys.h"

template <class TEditBase>
class TAsgButtonEdit : public TEditBase {
 public:
  explicit TAsgButtonEdit(TComponent* owner) : TEditBase(owner) {
    FButton = new TAsgEditButton(this);
    FButton->SetBounds(0, 0, 18, 18);
    FButton->SetParent(this);
    FButton->SetFocusControl(this);
    FButton->OnClick = [this](TObject* sender) { ClickButton(sender); };
    TControlStyle style = this->ControlStyle();
    style >> csSetCaption;
    this->SetControlStyle(style);
  }
  ~TAsgButtonEdit() override { FButton = nullptr; }

  TAsgEditButton* Button() const { return FButton; }
  int ButtonWidth() const { return FButtonWidth; }
  void SetButtonWidth(int value) {
    FButtonWidth = value;
    FButton->SetWidth(value);
    Layout();
  }
  String ButtonCaption() { return FButton->ButtonCaption(); }
  void SetButtonCaption(const String& value) { FButton->SetButtonCaption(value); }
  TBitmap* Glyph() const { return FButton->Glyph(); }
  void SetGlyph(TBitmap* value) { FButton->SetGlyph(value); }
  bool RightAlign() const { return FRightAlign; }
  void SetRightAlign(bool value) {
    if (FRightAlign == value) return;
    FRightAlign = value;
    this->RecreateWnd();
  }
  bool IsWinXP() const { return FIsWinXP; }
  void SetIsWinXP(bool value) {
    FIsWinXP = value;
    FButton->SpeedButton()->SetIsWinXP(value);
  }
  bool Ctl3D() const { return FCtl3D; }
  void SetCtl3D(bool value) {
    AsgCtl3D::Change(this, FCtl3D, value);
    Layout();
  }
  bool EditorEnabled = true;
  TNotifyEvent OnClickBtn;

  // Raises OnClickBtn: Sender is the button window for a click, the edit for F4.
  virtual void ClickButton(TObject* sender) {
    if (OnClickBtn) OnClickBtn(sender);
  }

  void Dispatch(TMessage& message) override {
    switch (message.Msg) {
      case WM_CHAR:
        // Without the editor only the button works: typed characters are dropped.
        if (!EditorEnabled) return;
        break;
      case WM_PASTE:
      case WM_CUT:
        if (!EditorEnabled || this->ReadOnly()) return;
        break;
      default: break;
    }
    TEditBase::Dispatch(message);
  }

 protected:
  // Whether F4 clicks the button with the modifier keys that are down now.
  virtual bool F4Clicks() const = 0;
  // Sets the formatting rectangle beside the button and the unit space.
  virtual void SetEditRect() = 0;

  void CreateParams(TCreateParams& params) override {
    TEditBase::CreateParams(params);
    params.Style |= WS_CLIPCHILDREN;
    if (FRightAlign) params.Style |= ES_RIGHT;
  }
  void CreateWnd() override {
    TEditBase::CreateWnd();
    Layout();
  }
  void Resize() override {
    TEditBase::Resize();
    if (FButton && this->Height() < AsgEditLayout::MinHeight(this))
      this->SetHeight(AsgEditLayout::MinHeight(this));
    else
      Layout();
  }
  void KeyDown(WORD& key, TShiftState shift) override {
    const WORD pressed = key;
    TEditBase::KeyDown(key, shift);
    if (pressed == VK_F4 && F4Clicks()) ClickButton(this);
  }
  void DoEnter() override {
    if (this->AutoSelect() && !this->ControlState().Contains(csLButtonDown)) this->SelectAll();
    TEditBase::DoEnter();
  }
  void Layout() {
    if (!FButton || !this->HandleAllocated()) return;
    AsgEditLayout::PlaceButton(this, FButton, FCtl3D);
    SetEditRect();
  }

  // Pixels kept for the unit text left of the button.
  int FUnitSpace = 0;

 private:
  TAsgEditButton* FButton;
  int FButtonWidth = 0;
  bool FRightAlign = false;
  bool FIsWinXP = false;
  bool FCtl3D = true;
};
