// The headless back end: every test runs on it. Top-level windows paint into cairo image
// surfaces that nobody shows; time is a virtual clock that moves only when the test script says
// so; and the input is what the script injects. Whenever the message loop (any loop: the
// application's, a modal form's, a message box's) has nothing left to do, it runs the script's
// next step. A loop that waits with no step left raises EScriptEnded instead of hanging.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/win/BackEnd.h"
#include "platform/win/HeadlessPeer.h"
#include "platform/win/WindowSession.h"

DECLARE_EXCEPTION(EScriptEnded, Exception)

class THeadlessWindow;

class THeadlessBackEnd : public TBackEnd {
 public:
  // The virtual clock starts here, so no tick count is ever 0.
  static constexpr uint64_t StartTime = 100000;

  // While a headless back end lives, GetTickCount and Sleep run on its virtual clock: a Sleep
  // lets the time pass at once, as a sleeping thread handles no message meanwhile.
  THeadlessBackEnd();
  ~THeadlessBackEnd() override;

  std::unique_ptr<TNativeWindow> CreateNativeWindow(HWND window, const TRect& screenRect) override;
  uint64_t Now() override { return FNow; }
  void SleepFor(uint32_t milliseconds) { FNow += milliseconds; }
  void WaitForInput(uint64_t deadline) override;
  void SetCursorShape(HCURSOR cursor) override { FCursorShape = cursor; }
  void Beep() override { ++FBeeps; }
  bool OpenUrl(const String& url) override;
  IDropTarget* ForeignDropTargetAt(TPoint screen) override { return FPeer.TargetAt(screen); }

  // Another program's side of drags, played by the script.
  THeadlessPeer& Peer() { return FPeer; }

  // --- The script ---
  // A step that runs when a loop next waits.
  void Then(std::function<void()> step);
  // A step that lets time pass: the clock moves to each timer's due time in turn, so a timer
  // fires at its exact time, with the messages it causes handled before time goes on.
  void AdvanceBy(uint64_t milliseconds);
  size_t StepsLeft() const { return FSteps.size(); }
  // A plain message loop for tests of the window layer: retrieves, translates and dispatches
  // messages and runs the script until no step and no message is left.
  void RunScript();

  // --- What the back end saw ---
  // A pixel of a top-level window (window coordinates) as the screen shows it, 0xAARRGGBB: its
  // surface, or for a layered window its image or its surface with alpha and colour key.
  uint32_t ShownPixel(HWND window, int x, int y) const;
  HCURSOR CursorShape() const { return FCursorShape; }
  int Beeps() const { return FBeeps; }
  const std::vector<String>& OpenedUrls() const { return FOpenedUrls; }

 private:
  struct TStep {
    std::function<void()> Action;  // empty for a step that lets time pass
    uint64_t Advance = 0;
  };
  void MoveClock(uint64_t deadline);

  uint64_t FNow = StartTime;
  std::deque<TStep> FSteps;
  bool FAdvancing = false;
  uint64_t FAdvanceTarget = 0;
  HCURSOR FCursorShape = nullptr;
  int FBeeps = 0;
  std::vector<String> FOpenedUrls;
  THeadlessPeer FPeer;
  // The native windows by their window, for ShownPixel.
  friend class THeadlessWindow;
  std::unordered_map<HWND, THeadlessWindow*> FWindows;
};

// A window session on a new headless back end.
class THeadlessSession : public TWindowSession {
 public:
  THeadlessSession();
  THeadlessBackEnd& Headless() { return *FHeadless; }

 private:
  explicit THeadlessSession(THeadlessBackEnd* backEnd);
  THeadlessBackEnd* FHeadless;
};

// The running session's headless back end; raises EInvalidOperation when the session has another.
THeadlessBackEnd& Headless();
