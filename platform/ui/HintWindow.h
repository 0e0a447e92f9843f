// The hint window: a small popup that shows a control's hint near the pointer. The application
// makes it through HintWindowClass, so a control library can put its own (rich hints) in place.
#pragma once

#include "platform/ui/Controls.h"

class THintWindow : public TCustomControl {
 public:
  explicit THintWindow(TComponent* owner);
  // Shows the hint in a screen rectangle, on top and without taking the activation.
  virtual void ActivateHint(const TRect& rect, const String& hint);
  // The rectangle (at 0, 0) the hint needs, at most maxWidth wide.
  virtual TRect CalcHintRect(int maxWidth, const String& hint, void* data);
  // Hides the hint.
  void ReleaseHandle();
  bool Active() const { return FActive; }

 protected:
  void CreateParams(TCreateParams& params) override;
  void Paint() override;

 private:
  bool FActive = false;
};

// The parts of a hint "short|long".
String GetShortHint(const String& hint);
String GetLongHint(const String& hint);
