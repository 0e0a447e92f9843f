#include "platform/win/HeadlessBackEnd.h"

#include <cairo.h>

#include <algorithm>

#include "platform/rtl/TickCount.h"
#include "platform/win/WinApi.h"
#include "platform/win/WindowSystem.h"

class THeadlessWindow : public TNativeWindow {
 public:
  THeadlessWindow(THeadlessBackEnd& backEnd, HWND window, const TRect& bounds)
      : FBackEnd(backEnd), FWindow(window) {
    SetBounds(bounds);
    FBackEnd.FWindows[window] = this;
  }
  ~THeadlessWindow() override {
    FBackEnd.FWindows.erase(FWindow);
    if (FSurface) cairo_surface_destroy(FSurface);
  }

  void SetBounds(const TRect& screenRect) override {
    int width = std::max(screenRect.Width(), 1);
    int height = std::max(screenRect.Height(), 1);
    if (!FSurface || width != FWidth || height != FHeight) {
      if (FSurface) cairo_surface_destroy(FSurface);
      FSurface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
      FWidth = width;
      FHeight = height;
    }
  }
  void SetVisible(bool) override {}
  void SetTitle(const String&) override {}
  cairo_surface_t* Surface() override { return FSurface; }
  void Present(const TRect&) override { cairo_surface_flush(FSurface); }
  void SetLayeredLook(const TLayeredLook& look) override { FLook = look; }

  uint32_t ShownPixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= FWidth || y >= FHeight) return 0;
    const TLayeredLook& look = FLook;
    uint32_t argb;
    if (look.Kind == TLayeredLook::lkUnset) return 0;
    if (look.Kind == TLayeredLook::lkImage) {
      if (x >= look.ImageWidth || y >= look.ImageHeight) return 0;
      argb = look.Image[static_cast<size_t>(y) * look.ImageWidth + x];
      if (!look.PerPixelAlpha) argb |= 0xFF000000u;
    } else {
      cairo_surface_flush(FSurface);
      const unsigned char* data = cairo_image_surface_get_data(FSurface);
      const int stride = cairo_image_surface_get_stride(FSurface);
      argb = 0xFF000000u |
             (reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride)[x] &
              0xFFFFFF);
    }
    if (look.Kind == TLayeredLook::lkNone) return argb;
    uint32_t alpha = argb >> 24;
    if (look.UseAlpha) alpha = (alpha * look.Alpha + 127) / 255;
    // The key is a COLORREF (0x00BBGGRR).
    const uint32_t rgb = argb & 0xFFFFFF;
    const uint32_t key =
        ((look.Key & 0xFF) << 16) | (look.Key & 0xFF00) | ((look.Key >> 16) & 0xFF);
    if (look.Opaque) alpha = 255;
    if (look.UseKey && rgb == key) alpha = 0;
    return (alpha << 24) | rgb;
  }

 private:
  THeadlessBackEnd& FBackEnd;
  HWND FWindow;
  cairo_surface_t* FSurface = nullptr;
  int FWidth = 0;
  int FHeight = 0;
  TLayeredLook FLook;
};

std::unique_ptr<TNativeWindow> THeadlessBackEnd::CreateNativeWindow(HWND window,
                                                                    const TRect& rect) {
  return std::make_unique<THeadlessWindow>(*this, window, rect);
}

uint32_t THeadlessBackEnd::ShownPixel(HWND window, int x, int y) const {
  auto it = FWindows.find(window);
  return it == FWindows.end() ? 0 : it->second->ShownPixel(x, y);
}

bool THeadlessBackEnd::OpenUrl(const String& url) {
  FOpenedUrls.push_back(url);
  return true;
}

void THeadlessBackEnd::Then(std::function<void()> step) {
  FSteps.push_back({std::move(step), 0});
}

void THeadlessBackEnd::AdvanceBy(uint64_t milliseconds) { FSteps.push_back({nullptr, milliseconds}); }

void THeadlessBackEnd::MoveClock(uint64_t deadline) {
  // A deadline that has passed belongs to a timer the waiting loop does not take (it filters
  // its messages): time goes on to the step's end. A Sleep may already have passed it: the clock
  // never goes back.
  uint64_t next = deadline > FNow ? std::min(deadline, FAdvanceTarget) : FAdvanceTarget;
  FNow = std::max(FNow, next);
  if (FNow >= FAdvanceTarget) {
    FAdvancing = false;
    FSteps.pop_front();
  }
}

void THeadlessBackEnd::WaitForInput(uint64_t deadline) {
  if (FAdvancing) {
    MoveClock(deadline);
    return;
  }
  if (FSteps.empty())
    throw EScriptEnded(u"The message loop waits for input, and the test script has no step left");
  TStep& step = FSteps.front();
  if (!step.Action) {
    FAdvancing = true;
    FAdvanceTarget = FNow + step.Advance;
    MoveClock(deadline);
    return;
  }
  std::function<void()> action = std::move(step.Action);
  FSteps.pop_front();
  action();
}

void THeadlessBackEnd::RunScript() {
  for (;;) {
    MSG msg;
    if (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) continue;
      TranslateMessage(&msg);
      DispatchMessage(&msg);
      continue;
    }
    if (FSteps.empty() && !FAdvancing) return;
    WaitForInput(NextTimerDue());
  }
}

namespace {

// The back end whose clock GetTickCount reads; one headless back end lives at a time.
THeadlessBackEnd* gClockOwner = nullptr;

uint64_t VirtualNow() { return gClockOwner->Now(); }
void VirtualSleep(uint32_t milliseconds) { gClockOwner->SleepFor(milliseconds); }

}  // namespace

THeadlessBackEnd::THeadlessBackEnd() {
  gClockOwner = this;
  SetTickSource(&VirtualNow, &VirtualSleep);
}

THeadlessBackEnd::~THeadlessBackEnd() {
  if (gClockOwner != this) return;
  SetTickSource(nullptr, nullptr);
  gClockOwner = nullptr;
}

THeadlessSession::THeadlessSession() : THeadlessSession(new THeadlessBackEnd) {}

THeadlessSession::THeadlessSession(THeadlessBackEnd* backEnd)
    : TWindowSession(std::unique_ptr<TBackEnd>(backEnd)), FHeadless(backEnd) {}

THeadlessBackEnd& Headless() {
  auto* headless = dynamic_cast<THeadlessBackEnd*>(&WindowSystem().BackEnd());
  if (!headless) throw EInvalidOperation(u"The window session does not run headless");
  return *headless;
}
