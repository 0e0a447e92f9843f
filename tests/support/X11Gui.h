// Tests of the program on a real X server, as a person uses it: an Xvfb server started for the
// tests, keys and clicks synthesized on the server (XTest), the window read back from the server
// and saved as a PNG, and the clipboard shared with another client (xclip). Header only: the gui
// test programs link the X libraries, the other test programs do not. Include it after every
// header of the program: the X headers define names (KeyPress, None) the class library uses.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cairo.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/Colors.h"
#include "platform/rtl/TickCount.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"
#include "platform/ui/UiSession.h"
#include "platform/win/X11BackEnd.h"
#include "tests/support/XvfbServer.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

extern char** environ;

namespace x11gui {


// How long the server, the program or another client may take before a step counts as failed.
constexpr uint64_t StepTimeout = 15000;

using testsupport::FindProgram;
using testsupport::TXvfb;

class TX11GuiTest : public ::testing::Test {
 public:
  static void SetUpTestSuite() {
    std::string xvfb = FindProgram("Xvfb");
    XclipPath = FindProgram("xclip");
    if (xvfb.empty() || XclipPath.empty()) {
      SkipReason = "Xvfb or xclip is not installed (Debian packages xvfb, xclip)";
      return;
    }
    Server = new TXvfb;
    std::string error;
    if (!Server->Start(xvfb, error)) {
      StartError = error;
      return;
    }
    setenv("DISPLAY", Server->DisplayName().c_str(), 1);
  }
  static void TearDownTestSuite() {
    delete Server;
    Server = nullptr;
  }

  void SetUp() override {
    if (!SkipReason.empty()) GTEST_SKIP() << SkipReason;
    ASSERT_TRUE(StartError.empty()) << StartError;
    ASSERT_TRUE(TX11BackEnd::DisplayAvailable());
    auto backEnd = CreateDesktopBackEnd();
    X11 = dynamic_cast<TX11BackEnd*>(backEnd.get());
    ASSERT_NE(X11, nullptr) << "a display is available, so the X11 back end is chosen";
    Session = std::make_unique<TUiSession>(std::move(backEnd));
    Test = XOpenDisplay(nullptr);
    ASSERT_NE(Test, nullptr);
  }
  void TearDown() override {
    Session.reset();
    if (Test) XCloseDisplay(Test);
  }

  // Runs the program's loop until the condition holds; false when it never does.
  template <class TCondition>
  bool PumpUntil(TCondition done) {
    uint64_t end = GetTickCount64() + StepTimeout;
    for (;;) {
      Application->ProcessMessages();
      if (done()) return true;
      if (GetTickCount64() > end) return false;
      X11->WaitForInput(X11->Now() + 20);
    }
  }
  void PumpBriefly() {
    uint64_t end = GetTickCount64() + 200;
    PumpUntil([&] { return GetTickCount64() > end; });
  }

  Window XWindowOf(TWinControl* control) { return X11->XWindowOf(control->Handle()); }
  bool Viewable(Window window) {
    XWindowAttributes attributes;
    return XGetWindowAttributes(Test, window, &attributes) && attributes.map_state == IsViewable;
  }

  // A point of a control as the server counts it: from the form's X window, which shows the
  // form's client area.
  TPoint RootPointOf(TForm* form, TControl* control, TPoint local) {
    TPoint screen = control->ClientToScreen(local);
    TPoint origin = form->ClientToScreen({0, 0});
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(Test, XWindowOf(form), DefaultRootWindow(Test), screen.X - origin.X,
                          screen.Y - origin.Y, &x, &y, &child);
    return {x, y};
  }
  void ClickAt(TPoint root) {
    XTestFakeMotionEvent(Test, -1, root.X, root.Y, CurrentTime);
    XTestFakeButtonEvent(Test, 1, True, CurrentTime);
    XTestFakeButtonEvent(Test, 1, False, CurrentTime);
    XSync(Test, False);
  }
  void PressKeySym(KeySym sym) {
    KeyCode code = XKeysymToKeycode(Test, sym);
    if (!code) {
      // A symbol the server's keyboard does not have (Cyrillic on its US keyboard) goes on a
      // spare key code first, as a second layout would put it there.
      // Both levels carry the symbol, so a capital types as one without Shift.
      code = SpareKeyCode();
      KeySym symbols[2] = {sym, sym};
      XChangeKeyboardMapping(Test, code, 2, symbols, 1);
      XSync(Test, False);
    }
    XTestFakeKeyEvent(Test, code, True, CurrentTime);
    XTestFakeKeyEvent(Test, code, False, CurrentTime);
    XSync(Test, False);
  }
  // A key pressed while a modifier (Shift, Control) is held.
  void PressWith(KeySym modifier, KeySym sym) {
    KeyCode held = XKeysymToKeycode(Test, modifier);
    XTestFakeKeyEvent(Test, held, True, CurrentTime);
    PressKeySym(sym);
    XTestFakeKeyEvent(Test, held, False, CurrentTime);
    XSync(Test, False);
  }
  KeyCode SpareKeyCode() {
    int low = 0, high = 0;
    XDisplayKeycodes(Test, &low, &high);
    int perCode = 0;
    KeySym* map = XGetKeyboardMapping(Test, static_cast<KeyCode>(low), high - low + 1, &perCode);
    KeyCode spare = 0;
    for (int code = high; code >= low && !spare; --code) {
      bool empty = true;
      for (int i = 0; i < perCode; ++i)
        if (map[(code - low) * perCode + i] != NoSymbol) empty = false;
      if (empty) spare = static_cast<KeyCode>(code);
    }
    XFree(map);
    return spare;
  }

  // Runs another client to its end while the program's loop runs (it may be the program the
  // client talks to); answers its standard output.
  std::string RunClient(std::vector<std::string> args, const std::string& input, bool& ok) {
    ok = false;
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0) return {};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, in[1]);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    pid_t pid = 0;
    int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    if (rc != 0) {
      close(in[1]);
      close(out[0]);
      return {};
    }
    if (!input.empty()) (void)!write(in[1], input.data(), input.size());
    close(in[1]);
    fcntl(out[0], F_SETFL, O_NONBLOCK);
    std::string output;
    bool ended = false;
    int status = 0;
    PumpUntil([&] {
      char buffer[4096];
      ssize_t got;
      while ((got = read(out[0], buffer, sizeof buffer)) > 0)
        output.append(buffer, static_cast<size_t>(got));
      if (!ended && waitpid(pid, &status, WNOHANG) == pid) ended = true;
      // Done once the client has ended and its output is drained (a client that leaves a
      // child behind to serve the selection keeps the pipe open: its end is enough).
      return ended && got <= 0;
    });
    close(out[0]);
    if (!ended) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return output;
    }
    ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return output;
  }

  static inline std::string SkipReason;
  static inline std::string StartError;
  static inline std::string XclipPath;
  static inline TXvfb* Server = nullptr;

  std::unique_ptr<TUiSession> Session;
  TX11BackEnd* X11 = nullptr;
  Display* Test = nullptr;
};

// The window's pixels as the server shows them, saved as a PNG and read back from the file.
// Where the gui tests keep their screenshots: screenshots/ in the folder the tests run in (the
// top of the build tree), made when missing.
inline std::string ScreenshotPath(const std::string& name) {
  std::filesystem::create_directories("screenshots");
  return (std::filesystem::current_path() / "screenshots" / name).string();
}

// A part of a window (the whole of it when the rectangle is empty) saved as a PNG and read back
// from the file; nullptr when it could not be taken or written.
inline cairo_surface_t* Screenshot(Display* dpy, Window window, const std::string& path,
                                   TRect part = TRect{}) {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(dpy, window, &attributes)) return nullptr;
  if (part.Width() <= 0 || part.Height() <= 0)
    part = TRect{0, 0, attributes.width, attributes.height};
  const int width = part.Width(), height = part.Height();
  XImage* image = XGetImage(dpy, window, part.Left, part.Top, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), AllPlanes, ZPixmap);
  if (!image) return nullptr;
  cairo_surface_t* shot = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  cairo_surface_flush(shot);
  unsigned char* data = cairo_image_surface_get_data(shot);
  int stride = cairo_image_surface_get_stride(shot);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      reinterpret_cast<uint32_t*>(data + y * stride)[x] =
          static_cast<uint32_t>(XGetPixel(image, x, y) & 0xffffff);
  cairo_surface_mark_dirty(shot);
  XDestroyImage(image);
  cairo_status_t written = cairo_surface_write_to_png(shot, path.c_str());
  cairo_surface_destroy(shot);
  if (written != CAIRO_STATUS_SUCCESS) return nullptr;
  cairo_surface_t* read = cairo_image_surface_create_from_png(path.c_str());
  if (cairo_surface_status(read) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(read);
    return nullptr;
  }
  return read;
}

inline uint32_t PixelAt(cairo_surface_t* surface, int x, int y) {
  const unsigned char* data = cairo_image_surface_get_data(surface);
  int stride = cairo_image_surface_get_stride(surface);
  return reinterpret_cast<const uint32_t*>(data + y * stride)[x] & 0xffffff;
}

inline uint32_t Rgb(TColor color) {
  uint32_t bgr = static_cast<uint32_t>(ColorToRGB(color));
  return ((bgr & 0xff) << 16) | (bgr & 0xff00) | ((bgr >> 16) & 0xff);
}

// Pixels in a rectangle much darker than the background: text drawn there.
inline int DarkPixels(cairo_surface_t* surface, const TRect& r) {
  int dark = 0;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x) {
      uint32_t p = PixelAt(surface, x, y);
      int sum = static_cast<int>(((p >> 16) & 0xff) + ((p >> 8) & 0xff) + (p & 0xff));
      if (sum < 3 * 100) ++dark;
    }
  return dark;
}

}  // namespace x11gui
