// Windows for the code below the class library (the data-access library's timers): a window
// session on a new headless back end, a message loop as plain as a program's, and the errors that
// handlers raise, collected through the process's exception handler. No application exists, so
// test programs of those layers link without the class library.
#pragma once

#include <exception>
#include <memory>
#include <vector>

#include "platform/rtl/ExceptionHook.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/UnicodeText.h"
#include "platform/win/HeadlessBackEnd.h"
#include "platform/win/WinApi.h"
#include "platform/win/WindowSession.h"

class THeadlessWindows {
 public:
  THeadlessWindows()
      : FBackEnd(new THeadlessBackEnd),
        FSession(std::unique_ptr<TBackEnd>(FBackEnd)),
        FPrevious(SetExceptionHandler([this](TObject* sender) { Collect(sender); })) {}
  ~THeadlessWindows() { SetExceptionHandler(std::move(FPrevious)); }
  THeadlessWindows(const THeadlessWindows&) = delete;
  THeadlessWindows& operator=(const THeadlessWindows&) = delete;

  THeadlessBackEnd& Script() { return *FBackEnd; }

  // Dispatches every message waiting.
  void ProcessMessages() {
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessage(&msg);
    }
  }
  // Runs the loop until the script has no step left and no message waits.
  void RunScript() {
    for (;;) {
      ProcessMessages();
      if (FBackEnd->StepsLeft() == 0) return;
      WaitMessage();
    }
  }

  // The messages of the errors handlers raised, and who raised them, in order.
  std::vector<String> Reported;
  std::vector<TObject*> ReportedBy;

 private:
  void Collect(TObject* sender) {
    try {
      throw;
    } catch (const EScriptEnded&) {
      throw;  // the script ran out: not the handler's error
    } catch (const Exception& e) {
      Reported.push_back(e.Message());
      ReportedBy.push_back(sender);
    } catch (const std::exception& e) {
      Reported.push_back(UTF8ToString(e.what()));
      ReportedBy.push_back(sender);
    }
  }

  THeadlessBackEnd* FBackEnd;  // owned by the session
  TWindowSession FSession;
  TExceptionHandler FPrevious;
};
