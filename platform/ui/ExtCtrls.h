// Panels: a raised or lowered frame that holds other controls and can show a caption.
#pragma once

#include "platform/ui/StdCtrls.h"

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

class TCustomPanel : public TCustomControl {
 public:
  explicit TCustomPanel(TComponent* owner);
  TBevelCut BevelInner() const { return FBevelInner; }
  void SetBevelInner(TBevelCut value);
  TBevelCut BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TBevelCut value);
  int BevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(int value);
  int BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  void Dispatch(TMessage& message) override;

 protected:
  void Paint() override;
  // The children are laid out inside the bevels and the border.
  void AdjustClientRect(TRect& rect) override;

 private:
  // The width of the frame on each side.
  int FrameWidth() const;
  void FrameChanged();

  TBevelCut FBevelInner = bvNone;
  TBevelCut FBevelOuter = bvRaised;
  int FBevelWidth = 1;
  int FBorderWidth = 0;
  TAlignment FAlignment = taCenter;
};

class TPanel : public TCustomPanel {
 public:
  explicit TPanel(TComponent* owner) : TCustomPanel(owner) {}
};
