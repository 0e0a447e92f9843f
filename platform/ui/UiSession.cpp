#include "platform/ui/UiSession.h"

#include "platform/ui/Application.h"
#include "platform/ui/Screen.h"
#include "platform/win/WindowSession.h"
#include "platform/win/X11BackEnd.h"

TUiSession::TUiSession(std::unique_ptr<TBackEnd> backEnd)
    : FWindows(std::make_unique<TWindowSession>(std::move(backEnd))) {
  Screen = new TScreen(nullptr);
  Mouse = new TMouse();
  Application = new TApplication(nullptr);
}

TUiSession::~TUiSession() {
  TApplication* application = Application;
  application->Free();
  Application = nullptr;
  delete Mouse;
  Mouse = nullptr;
  Screen->Free();
  Screen = nullptr;
  FWindows.reset();
}

THeadlessUiSession::THeadlessUiSession() : THeadlessUiSession(new THeadlessBackEnd) {}

THeadlessUiSession::THeadlessUiSession(THeadlessBackEnd* backEnd)
    : TUiSession(std::unique_ptr<TBackEnd>(backEnd)), FHeadless(backEnd) {}

std::unique_ptr<TBackEnd> CreateDesktopBackEnd() {
  if (TX11BackEnd::DisplayAvailable()) return std::make_unique<TX11BackEnd>();
  return std::make_unique<THeadlessBackEnd>();
}
