// The back end for people: every top-level window is an X window showing our cairo surface, and
// the X server's keyboard, pointer, window-manager and clipboard events are fed to the window
// layer. Child windows stay the window layer's own: painting, hit testing and focus never leave
// it. Xlib's names stay out of this header (its macros clash with ordinary words).
#pragma once

#include <cstdint>
#include <memory>

#include "platform/rtl/Exceptions.h"
#include "platform/win/BackEnd.h"

DECLARE_EXCEPTION(EX11Error, Exception)

struct TX11Connection;

class TX11BackEnd : public TBackEnd {
 public:
  // Connects to the display named by DISPLAY; raises EX11Error when none can be opened.
  TX11BackEnd();
  ~TX11BackEnd() override;

  // Whether a display can be opened (DISPLAY set and the server answering).
  static bool DisplayAvailable();

  std::unique_ptr<TNativeWindow> CreateNativeWindow(HWND window, const TRect& screenRect) override;
  uint64_t Now() override;
  void WaitForInput(uint64_t deadline) override;
  void SetCursorShape(HCURSOR cursor) override;
  void Beep() override;
  bool OpenUrl(const String& url) override;
  UINT DoubleClickTime() override;
  IDropTarget* ForeignDropTargetAt(TPoint screen) override;

  // The X window that shows a top-level window (0 when it has none), for tools and tests that
  // talk to the server themselves.
  unsigned long XWindowOf(HWND window) const;
  // Whether the program's clipboard content is offered on the X CLIPBOARD selection now.
  bool OwnsClipboardSelection() const;

 private:
  std::unique_ptr<TX11Connection> FX;
};
