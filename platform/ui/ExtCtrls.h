// Panels: a raised or lowered frame that holds other controls and can show a caption; and
// images: a picture (bitmap, JPEG, PNG, ...) shown at its size, stretched or fitted.
#pragma once

#include <memory>

#include "platform/gdi/Graphic.h"
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

class TImage : public TGraphicControl {
 public:
  explicit TImage(TComponent* owner);
  ~TImage() override;
  // The picture shown; a change of it repaints (and resizes with AutoSize).
  TPicture* Picture() const { return FPicture.get(); }
  void SetPicture(TPicture* value) { FPicture->Assign(value); }
  // A canvas on the picture's bitmap (made at the control's size when the picture is empty);
  // raises EInvalidOperation for a picture of another kind, which cannot be drawn on.
  TCanvas* Canvas();
  bool Stretch() const { return FStretch; }
  void SetStretch(bool value);
  // Keeps the picture's aspect: scaled down to fit (and, with Stretch, up as well).
  bool Proportional() const { return FProportional; }
  void SetProportional(bool value);
  bool Center() const { return FCenter; }
  void SetCenter(bool value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool value);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool value);
  // Where the picture is drawn, in client coordinates.
  TRect DestRect();
  TNotifyEvent OnProgress;

 protected:
  void Paint() override;

 private:
  void PictureChanged(TObject* sender);

  std::unique_ptr<TPicture> FPicture;
  bool FStretch = false;
  bool FProportional = false;
  bool FCenter = false;
  bool FTransparent = false;
  bool FAutoSize = false;
};
