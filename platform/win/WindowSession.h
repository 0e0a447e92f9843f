// A window session: the window layer's state from start to end, over one back end. The program
// runs one session; every test that uses windows runs its own, so no window, timer, focus or key
// state leaks from one test into the next.
#pragma once

#include <memory>

#include "platform/win/BackEnd.h"

class TWindowSystem;

class TWindowSession {
 public:
  // Raises EInvalidOperation when a session is running already.
  explicit TWindowSession(std::unique_ptr<TBackEnd> backEnd);
  // Drops every window left (without messages) and ends the session.
  ~TWindowSession();
  TWindowSession(const TWindowSession&) = delete;
  TWindowSession& operator=(const TWindowSession&) = delete;

  TBackEnd& BackEnd();

 private:
  std::unique_ptr<TWindowSystem> FSystem;
};
