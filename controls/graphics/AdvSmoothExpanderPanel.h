// The expander panel: a smooth panel that collapses to a minimum height and expands back to its
// remembered height, animated by a 10 ms timer. A small button in a corner with two chevrons
// toggles it; so do F4 and Expanded. Collapsing changes only the height: children keep their
// places and are clipped by the smaller window.
#pragma once

#include "controls/graphics/AdvSmoothPanel.h"
#include "platform/ui/Timer.h"

enum TAdvSmoothExpanderPanelShape { esRounded, esRoundRect, esRect };

class TAdvSmoothExpanderPanel : public TAdvSmoothPanel {
 public:
  explicit TAdvSmoothExpanderPanel(TComponent* owner);
  ~TAdvSmoothExpanderPanel() override;

  // Copies the expander settings (not the fill, caption, location or animation factor).
  void Assign(TPersistent* source) override;
  void Changed() override;
  void SetComponentStyle(TStylePreset style) override;
  // Expands a collapsed panel; nothing for an expanded one.
  void Expand();
  // Animates toward the value's height from the present one, also for the value it has.
  void SetExpanded(bool value);
  bool Expanded() const { return FExpanded; }
  // The button's square, and whether a client point is on it (edges included).
  TGPFloatRect ExpanderRect();
  bool OnExpander(int x, int y);
  // The panel less border, shadow and a 2-pixel margin (the frame of the button and the grid).
  TGPFloatRect InsideRect();
  bool Animating() const { return FAnimating; }

  int AnimationFactor() const { return FAnimationFactor; }
  void SetAnimationFactor(int value);
  bool ShowExpander() const { return FShowExpander; }
  void SetShowExpander(bool v) { Set(FShowExpander, v); }
  TColor ExpanderBorderColor() const { return FExpanderBorderColor; }
  void SetExpanderBorderColor(TColor v) { Set(FExpanderBorderColor, v); }
  TLocation ExpanderLocation() const { return FExpanderLocation; }
  void SetExpanderLocation(TLocation v) { Set(FExpanderLocation, v); }
  int ExpanderLeft() const { return FExpanderLeft; }
  void SetExpanderLeft(int v) { Set(FExpanderLeft, v); }
  int ExpanderTop() const { return FExpanderTop; }
  void SetExpanderTop(int v) { Set(FExpanderTop, v); }
  int ExpanderSize() const { return FExpanderSize; }
  void SetExpanderSize(int v) { Set(FExpanderSize, v); }
  TColor ExpanderColor() const { return FExpanderColor; }
  void SetExpanderColor(TColor v) { Set(FExpanderColor, v); }
  TColor ExpanderDownColor() const { return FExpanderDownColor; }
  void SetExpanderDownColor(TColor v) { Set(FExpanderDownColor, v); }
  TColor ExpanderHoverColor() const { return FExpanderHoverColor; }
  void SetExpanderHoverColor(TColor v) { Set(FExpanderHoverColor, v); }
  TAdvSmoothExpanderPanelShape ExpanderShape() const { return FExpanderShape; }
  void SetExpanderShape(TAdvSmoothExpanderPanelShape v) { Set(FExpanderShape, v); }
  int MinimumPanelHeight() const { return FMinimumPanelHeight; }
  // A collapsed panel takes the new height at once.
  void SetMinimumPanelHeight(int value);
  // The expanded height; an expanded panel resized other than by its animation records it.
  double OldHeight() const { return FOldHeight; }
  void SetOldHeight(double value) { FOldHeight = value; }
  bool SquareExpander() const { return FSquareExpander; }

  TNotifyEvent OnExpandPanel;
  TNotifyEvent OnStartExpandPanel;
  TNotifyEvent OnEndExpandPanel;
  TNotifyEvent OnStartCollapsePanel;
  TNotifyEvent OnEndCollapsePanel;

  void Dispatch(TMessage& message) override;
  // One step of the animation (what each timer tick runs).
  void AnimationStep();

 protected:
  void DrawPanel(TGPGraphics* graphics) override;
  virtual void DrawExpander(TGPGraphics* graphics, const TGPFloatRect& r, bool hover, bool down);
  uint32_t GetVersionNr() const override { return 0x01000401; }
  void Loaded() override;
  void Resize() override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  // False while the panel changes its own height; resize handlers ignore those changes.
  bool SizeTracking() const { return FSizeTracking; }

 private:
  template <class T>
  void Set(T& field, T value) {
    if (field == value) return;
    field = value;
    Changed();
  }

  bool FSquareExpander = false;
  bool FLineFixed = false;
  bool FSizeTracking = false;
  bool FAnimating = false;
  double FOldHeight = 0;
  double FCurrentHeight = 0;
  double FTargetHeight = 0;
  std::unique_ptr<TTimer, TObjectFree> FTimer;
  bool FHover = false;
  bool FDown = false;
  TColor FExpanderColor = 0x00808080;
  bool FExpanded = true;
  TAdvSmoothExpanderPanelShape FExpanderShape = esRoundRect;
  TColor FExpanderHoverColor = 0x00FF0000;
  TColor FExpanderDownColor = 0x000000FF;
  int FExpanderSize = 16;
  TColor FExpanderBorderColor = 0x00000000;
  TLocation FExpanderLocation = AdvSmoothPanel::plTopRight;
  int FExpanderTop = 0;
  int FExpanderLeft = 0;
  int FAnimationFactor = 4;
  int FMinimumPanelHeight = 32;
  bool FShowExpander = true;
};
