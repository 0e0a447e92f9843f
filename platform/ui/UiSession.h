// A session of the class library: a window session with the screen, the mouse and the application
// object made on it, and taken down in the reverse order. The program runs one; each test that
// uses forms runs its own.
#pragma once

#include <memory>

#include "platform/win/BackEnd.h"
#include "platform/win/HeadlessBackEnd.h"

class TWindowSession;

class TUiSession {
 public:
  explicit TUiSession(std::unique_ptr<TBackEnd> backEnd);
  // Frees the application (and with it every form), the screen and the window session.
  ~TUiSession();
  TUiSession(const TUiSession&) = delete;
  TUiSession& operator=(const TUiSession&) = delete;

 private:
  std::unique_ptr<TWindowSession> FWindows;
};

// The back end the program runs on: the X display when one can be opened (DISPLAY), else the
// headless one.
std::unique_ptr<TBackEnd> CreateDesktopBackEnd();

// A session on a new headless back end.
class THeadlessUiSession : public TUiSession {
 public:
  THeadlessUiSession();
  THeadlessBackEnd& Headless() { return *FHeadless; }

 private:
  explicit THeadlessUiSession(THeadlessBackEnd* backEnd);
  THeadlessBackEnd* FHeadless;
};
