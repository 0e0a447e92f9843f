// GDI+ start-up on demand, the wrappers' common base and the colour helpers.
#include <mutex>
#include <new>

#include "controls/graphics/AdvGDIP.h"

namespace {

// The start-up this unit made for the process, shut down when the program ends.
struct TGdiplusSession {
  std::mutex Lock;
  uintptr_t Token = 0;
  bool Live = false;
  ~TGdiplusSession() {
    if (Live) GdiplusShutdown(Token);
  }
  void Start() {
    GdiplusStartupInput input;
    input.GdiplusVersion = 1;
    input.SuppressBackgroundThread = true;
    input.SuppressExternalCodecs = false;
    // The notification hook is for systems before version 6, which this platform never is.
    GdiplusStartupOutput output;
    if (GdiplusStartup(&Token, &input, &output) == Ok) Live = true;
  }
  void Stop() {
    if (Live) GdiplusShutdown(Token);
    Live = false;
  }
};

TGdiplusSession& Session() {
  static TGdiplusSession session;
  return session;
}

}  // namespace

// GDI+ hands out memory only while it runs: when it gives none, start it and ask once more.
TGdiplusBase::TGdiplusBase() {
  void* probe = GdipAlloc(1);
  if (probe == nullptr) {
    TGdiplusSession& session = Session();
    std::lock_guard<std::mutex> guard(session.Lock);
    probe = GdipAlloc(1);
    if (probe == nullptr) {
      session.Start();
      probe = GdipAlloc(1);
    }
    if (probe == nullptr) throw std::bad_alloc();
  }
  GdipFree(probe);
}

GpStatus TGdiplusBase::SetStatus(GpStatus status) {
  if (status != Ok) FLastStatus = status;
  return status;
}

void AdvGDIPTesting::ShutdownGdiplus() {
  TGdiplusSession& session = Session();
  std::lock_guard<std::mutex> guard(session.Lock);
  session.Stop();
}

ARGB MakeARGB(int alpha, int red, int green, int blue) {
  return (static_cast<ARGB>(alpha & 0xFF) << 24) | (static_cast<ARGB>(red & 0xFF) << 16) |
         (static_cast<ARGB>(green & 0xFF) << 8) | static_cast<ARGB>(blue & 0xFF);
}

ARGB MakeRGBColor(int red, int green, int blue) { return MakeARGB(255, red, green, blue); }

ARGB MakeColorAlpha(int alpha, TColor color) {
  COLORREF rgb = ColorToRGB(color);
  return MakeARGB(alpha, rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

ARGB ColorToARGB(TColor color) { return MakeColorAlpha(255, color); }

uint8_t GetRed(ARGB color) { return static_cast<uint8_t>(color >> 16); }
uint8_t GetGreen(ARGB color) { return static_cast<uint8_t>(color >> 8); }
uint8_t GetBlue(ARGB color) { return static_cast<uint8_t>(color); }

TGPFloatRect MakeRectF(float x, float y, float width, float height) {
  return {x, y, width, height};
}
TGPIntPoint MakePoint(int x, int y) { return {x, y}; }
TGPFloatPoint MakePointF(float x, float y) { return {x, y}; }

bool GDIPAlternativeTextRendering() { return false; }
bool GDIPAlternativeImageDrawing() { return false; }

HRESULT TFixedStreamAdapter::Stat(STATSTG* stat, uint32_t flags) {
  // The parent's answer; this platform's STATSTG carries no name to leave empty.
  return TStreamAdapter::Stat(stat, flags);
}
