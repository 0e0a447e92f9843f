// The expander button panel: an expander panel that lays out a collection of buttons in rows
// below its caption, painted by one shared glossy-button look, each with an optional status
// badge on its top-right corner. Buttons answer the mouse and the keyboard and report a press and
// a release with their index; the panel can grow or shrink to fit them.
#pragma once

#include "controls/graphics/AdvSmoothExpanderPanel.h"
#include "platform/rtl/Collection.h"

class TAdvSmoothExpanderButtonPanel;

using TAdvSmoothExpanderButtonClickEvent = std::function<void(TObject* sender, int buttonIndex)>;
using TAdvSmoothExpanderButtonStatusDraw = std::function<void(
    TObject* sender, TGDIPFill* statusAppearance, TFont* statusFont, int buttonIndex)>;

class TAdvSmoothExpanderButton : public TCollectionItem {
 public:
  explicit TAdvSmoothExpanderButton(TCollection* collection);
  ~TAdvSmoothExpanderButton() override;
  // From another button: everything but the badge's caption.
  void Assign(TPersistent* source) override;

  bool Bevel() const { return FBevel; }
  void SetBevel(bool v) { Set(FBevel, v); }
  TColor BevelColor() const { return FBevelColor; }
  void SetBevelColor(TColor v) { Set(FBevelColor, v); }
  const String& Caption() const { return FCaption; }
  void SetCaption(const String& v) { Set(FCaption, v); }
  const String& StatusCaption() const { return FStatusCaption; }
  void SetStatusCaption(const String& v) { Set(FStatusCaption, v); }
  TColor Color() const { return FColor; }
  void SetColor(TColor v) { Set(FColor, v); }
  TColor ColorDisabled() const { return FColorDisabled; }
  void SetColorDisabled(TColor v) { Set(FColorDisabled, v); }
  TAdvGDIPPicture* Picture() const { return FPicture.get(); }
  void SetPicture(TAdvGDIPPicture* value) { FPicture->Assign(value); }
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool v) { Set(FEnabled, v); }
  TColor TextColor() const { return FTextColor; }
  void SetTextColor(TColor v) { Set(FTextColor, v); }
  int Tag() const { return FTag; }
  void SetTag(int v) { Set(FTag, v); }
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int v) { Set(FImageIndex, v); }
  const String& PictureName() const { return FPictureName; }
  void SetPictureName(const String& v) { Set(FPictureName, v); }
  int DisabledImageIndex() const { return FDisabledImageIndex; }
  void SetDisabledImageIndex(int v) { Set(FDisabledImageIndex, v); }
  const String& DisabledPictureName() const { return FDisabledPictureName; }
  void SetDisabledPictureName(const String& v) { Set(FDisabledPictureName, v); }
  bool Down() const { return FDown; }

 private:
  friend class TAdvSmoothExpanderButtonPanel;
  template <class T>
  void Set(T& field, const T& value) {
    if (field == value) return;
    field = value;
    Update();
  }
  void Update();
  TAdvSmoothExpanderButtonPanel* Panel() const;

  bool FDown = false;
  bool FEnabled = true;
  std::unique_ptr<TAdvGDIPPicture, TObjectFree> FPicture;
  bool FBevel = true;
  TColor FColor = 0x00C0C0C0;
  TColor FBevelColor = 0x00FFFFFF;
  String FCaption;
  String FStatusCaption;
  TColor FTextColor = 0x00000000;
  TColor FColorDisabled = 0x00808080;
  int FTag = 0;
  String FPictureName;
  int FImageIndex = -1;
  int FDisabledImageIndex = -1;
  String FDisabledPictureName;
};

class TAdvSmoothExpanderButtons : public TOwnedCollection {
 public:
  explicit TAdvSmoothExpanderButtons(TAdvSmoothExpanderButtonPanel* owner);
  TAdvSmoothExpanderButton* Add() { return static_cast<TAdvSmoothExpanderButton*>(TCollection::Add()); }
  TAdvSmoothExpanderButton* Items(int index) const {
    return static_cast<TAdvSmoothExpanderButton*>(TCollection::Items(index));
  }
  TNotifyEvent OnChange;

 protected:
  void Update(TCollectionItem* item) override;
};

class TAdvSmoothExpanderButtonStatus : public TPersistent {
 public:
  TAdvSmoothExpanderButtonStatus();
  ~TAdvSmoothExpanderButtonStatus() override;
  void Assign(TPersistent* source) override;

  bool Visible() const { return FVisible; }
  void SetVisible(bool v) { Set(FVisible, v); }
  int OffsetLeft() const { return FOffsetLeft; }
  void SetOffsetLeft(int v) { Set(FOffsetLeft, v); }
  int OffsetTop() const { return FOffsetTop; }
  void SetOffsetTop(int v) { Set(FOffsetTop, v); }
  TGDIPStatus* Appearance() const { return FAppearance.get(); }
  void SetAppearance(TGDIPStatus* value) { FAppearance->Assign(value); }
  TNotifyEvent OnChange;

 private:
  template <class T>
  void Set(T& field, T value) {
    if (field == value) return;
    field = value;
    Changed();
  }
  void Changed() {
    if (OnChange) OnChange(this);
  }
  bool FVisible = false;
  int FOffsetLeft = 0;
  int FOffsetTop = 0;
  std::unique_ptr<TGDIPStatus, TObjectFree> FAppearance;
};

class TAdvSmoothExpanderButtonAutoSize : public TPersistent {
 public:
  void Assign(TPersistent* source) override;
  bool IncreaseHeight() const { return FIncreaseHeight; }
  void SetIncreaseHeight(bool v) { Set(FIncreaseHeight, v); }
  bool DecreaseHeight() const { return FDecreaseHeight; }
  void SetDecreaseHeight(bool v) { Set(FDecreaseHeight, v); }
  TNotifyEvent OnChange;

 private:
  void Set(bool& field, bool value) {
    if (field == value) return;
    field = value;
    if (OnChange) OnChange(this);
  }
  bool FIncreaseHeight = true;
  bool FDecreaseHeight = false;
};

class TAdvSmoothExpanderButtonPanel : public TAdvSmoothExpanderPanel {
 public:
  explicit TAdvSmoothExpanderButtonPanel(TComponent* owner);
  ~TAdvSmoothExpanderButtonPanel() override;

  // Copies the buttons, badge, look, auto-size and the grid's sizes (not expander, fill or
  // caption).
  void Assign(TPersistent* source) override;
  void SetComponentStyle(TStylePreset style) override;
  // Every change of a button, the badges, the auto-size or the look ends here.
  void UpdateButtons();
  // The index of the button whose cell holds the client point, or -1.
  int ButtonAtXY(int x, int y);
  // Each button's cell, in collection order, by the flow layout.
  std::vector<TRect> ButtonCells();
  int CellWidth();
  int CellHeight();
  // How many cells fit in a row (for Up and Down); 0 when a cell has no width.
  int ColumnsPerRow();
  int FocusedIndex() const { return FFocusedIndex; }
  bool HasFocus() const { return FHasFocus; }

  TAdvSmoothExpanderButtonAutoSize* AutoSize() const { return FAutoSize.get(); }
  void SetAutoSize(TAdvSmoothExpanderButtonAutoSize* value);
  TAdvSmoothExpanderButtons* Buttons() const { return FButtons.get(); }
  void SetButtons(TAdvSmoothExpanderButtons* value);
  TAdvSmoothExpanderButtonStatus* ButtonStatus() const { return FButtonStatus.get(); }
  void SetButtonStatus(TAdvSmoothExpanderButtonStatus* value);
  TGDIPButton* ButtonAppearance() const { return FButtonAppearance.get(); }
  void SetButtonAppearance(TGDIPButton* value);
  int ButtonVerticalMargin() const { return FButtonVerticalMargin; }
  void SetButtonVerticalMargin(int v) { SetInt(FButtonVerticalMargin, v); }
  int ButtonHorizontalMargin() const { return FButtonHorizontalMargin; }
  void SetButtonHorizontalMargin(int v) { SetInt(FButtonHorizontalMargin, v); }
  int ButtonHorizontalSpacing() const { return FButtonHorizontalSpacing; }
  void SetButtonHorizontalSpacing(int v) { SetInt(FButtonHorizontalSpacing, v); }
  int ButtonVerticalSpacing() const { return FButtonVerticalSpacing; }
  void SetButtonVerticalSpacing(int v) { SetInt(FButtonVerticalSpacing, v); }
  int ButtonWidth() const { return FButtonWidth; }
  void SetButtonWidth(int v) { SetInt(FButtonWidth, v); }
  int ButtonHeight() const { return FButtonHeight; }
  void SetButtonHeight(int v) { SetInt(FButtonHeight, v); }
  int Columns() const { return FColumns; }
  // -1 (free) or a count above 0; anything else is ignored.
  void SetColumns(int value);
  int Rows() const { return FRows; }
  void SetRows(int value);

  TAdvSmoothExpanderButtonStatusDraw OnDrawStatus;
  TAdvSmoothExpanderButtonClickEvent OnButtonClick;
  TAdvSmoothExpanderButtonClickEvent OnButtonClicked;

 protected:
  virtual void DoButtonClick(int index);
  virtual void DoButtonClicked(int index);
  uint32_t GetVersionNr() const override { return 0x01020000; }
  void DrawPanel(TGPGraphics* graphics) override;
  void Loaded() override;
  void Resize() override;
  void DoEnter() override;
  void DoExit() override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyUp(WORD& key, TShiftState shift) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  void SetInt(int& field, int value) {
    if (field == value) return;
    field = value;
    UpdateButtons();
  }
  void AutoSizeHeight();
  void NewButtonImage(int height);
  void DrawButtons();

  bool FHasFocus = false;
  bool FAutoSizeAllowed = true;
  int FFocusedIndex = 0;
  std::unique_ptr<TGPBitmap, TObjectFree> FButtonImage;
  bool FButtonImageValid = false;
  std::unique_ptr<TAdvSmoothExpanderButtons, TObjectFree> FButtons;
  std::unique_ptr<TAdvSmoothExpanderButtonStatus, TObjectFree> FButtonStatus;
  int FButtonVerticalSpacing = 5;
  int FButtonHorizontalSpacing = 5;
  std::unique_ptr<TGDIPButton, TObjectFree> FButtonAppearance;
  int FButtonHeight = 30;
  int FButtonWidth = 75;
  int FButtonVerticalMargin = 35;
  int FButtonHorizontalMargin = 5;
  std::unique_ptr<TAdvSmoothExpanderButtonAutoSize, TObjectFree> FAutoSize;
  int FRows = -1;
  int FColumns = -1;
};
