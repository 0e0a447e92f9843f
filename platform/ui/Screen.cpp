#include "platform/ui/Screen.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>

#include "platform/gdi/FontFace.h"
#include "platform/rtl/List.h"
#include "platform/rtl/UnicodeText.h"
#include "platform/ui/Forms.h"

TScreen* Screen = nullptr;
TMouse* Mouse = nullptr;

// --- TMonitor -----------------------------------------------------------------------------------

TRect TMonitor::BoundsRect() const {
  MONITORINFO info;
  return GetMonitorInfo(FHandle, &info) ? info.rcMonitor : TRect{};
}

TRect TMonitor::WorkareaRect() const {
  MONITORINFO info;
  return GetMonitorInfo(FHandle, &info) ? info.rcWork : TRect{};
}

bool TMonitor::Primary() const {
  MONITORINFO info;
  return GetMonitorInfo(FHandle, &info) && (info.dwFlags & MONITORINFOF_PRIMARY);
}

// --- TScreen ------------------------------------------------------------------------------------

TScreen::TScreen(TComponent* owner) : TComponent(owner) {
  FHintFont = std::make_unique<TFont>();
  FHintFont->SetColor(clInfoText);
  FIconFont = std::make_unique<TFont>();
  FMenuFont = std::make_unique<TFont>();
}

TScreen::~TScreen() = default;

TRect TScreen::DesktopRect() const {
  return Bounds(GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN));
}

TRect TScreen::WorkAreaRect() const {
  TRect area;
  SystemParametersInfo(SPI_GETWORKAREA, 0, &area, 0);
  return area;
}

void TScreen::RefreshMonitors() {
  int count = ::MonitorCount();
  if (static_cast<int>(FMonitors.size()) == count) return;
  FMonitors.clear();
  for (int i = 0; i < count; ++i) FMonitors.push_back(std::make_unique<TMonitor>(MonitorByIndex(i), i));
}

int TScreen::MonitorCount() {
  RefreshMonitors();
  return static_cast<int>(FMonitors.size());
}

TMonitor* TScreen::Monitors(int index) {
  RefreshMonitors();
  if (index < 0 || index >= static_cast<int>(FMonitors.size())) return nullptr;
  return FMonitors[static_cast<size_t>(index)].get();
}

namespace {
DWORD MonitorFlags(TMonitorDefaultTo defaultTo) {
  switch (defaultTo) {
    case mdNull: return MONITOR_DEFAULTTONULL;
    case mdPrimary: return MONITOR_DEFAULTTOPRIMARY;
    default: return MONITOR_DEFAULTTONEAREST;
  }
}
}  // namespace

TMonitor* TScreen::MonitorFromPoint(TPoint point, TMonitorDefaultTo defaultTo) {
  HMONITOR handle = ::MonitorFromPoint(point, MonitorFlags(defaultTo));
  for (int i = 0; i < MonitorCount(); ++i)
    if (FMonitors[static_cast<size_t>(i)]->Handle() == handle) return FMonitors[static_cast<size_t>(i)].get();
  return nullptr;
}

TMonitor* TScreen::MonitorFromRect(const TRect& rect, TMonitorDefaultTo defaultTo) {
  HMONITOR handle = ::MonitorFromRect(rect, MonitorFlags(defaultTo));
  for (int i = 0; i < MonitorCount(); ++i)
    if (FMonitors[static_cast<size_t>(i)]->Handle() == handle) return FMonitors[static_cast<size_t>(i)].get();
  return nullptr;
}

TMonitor* TScreen::MonitorFromWindow(HWND window, TMonitorDefaultTo defaultTo) {
  HMONITOR handle = ::MonitorFromWindow(window, MonitorFlags(defaultTo));
  for (int i = 0; i < MonitorCount(); ++i)
    if (FMonitors[static_cast<size_t>(i)]->Handle() == handle) return FMonitors[static_cast<size_t>(i)].get();
  return nullptr;
}

// A form registers from its constructor, before it is a TForm: which forms are TForms is asked
// when the list is read.
void TScreen::AddForm(TCustomForm* form) { FCustomForms.push_back(form); }

int TScreen::FormCount() const {
  return static_cast<int>(std::count_if(FCustomForms.begin(), FCustomForms.end(),
                                        [](TCustomForm* f) { return dynamic_cast<TForm*>(f) != nullptr; }));
}

TForm* TScreen::Forms(int index) const {
  int remaining = index;
  for (TCustomForm* form : FCustomForms)
    if (auto* plain = dynamic_cast<TForm*>(form); plain && remaining-- == 0) return plain;
  TList::Error(index);
}

void TScreen::RemoveForm(TCustomForm* form) {
  FCustomForms.erase(std::remove(FCustomForms.begin(), FCustomForms.end(), form), FCustomForms.end());
  if (FFocusedForm == form) FFocusedForm = nullptr;
  if (FActiveCustomForm == form) {
    FActiveCustomForm = nullptr;
    FActiveForm = nullptr;
    FActiveControl = nullptr;
  }
}

void TScreen::SetActive(TWinControl* control, TCustomForm* form) {
  bool formChanged = FActiveCustomForm != form;
  bool controlChanged = FActiveControl != control;
  FActiveControl = control;
  FActiveCustomForm = form;
  FActiveForm = dynamic_cast<TForm*>(form);
  // The most recently active form comes first in the lists.
  auto toFront = [](auto& list, auto* item) {
    auto it = std::find(list.begin(), list.end(), item);
    if (it != list.end()) std::rotate(list.begin(), it, it + 1);
  };
  toFront(FCustomForms, form);
  if (controlChanged && OnActiveControlChange) OnActiveControlChange(this);
  if (formChanged && OnActiveFormChange) OnActiveFormChange(this);
}

HCURSOR TScreen::Cursors(TCursor index) {
  auto it = FCursors.find(index);
  if (it != FCursors.end()) return it->second;
  switch (index) {
    case crNone: return nullptr;
    case crCross: return LoadCursor(nullptr, IDC_CROSS);
    case crIBeam: return LoadCursor(nullptr, IDC_IBEAM);
    case crSizeNESW: return LoadCursor(nullptr, IDC_SIZENESW);
    case crSizeNS: return LoadCursor(nullptr, IDC_SIZENS);
    case crSizeNWSE: return LoadCursor(nullptr, IDC_SIZENWSE);
    case crSizeWE: return LoadCursor(nullptr, IDC_SIZEWE);
    case crUpArrow: return LoadCursor(nullptr, IDC_UPARROW);
    case crHourGlass: return LoadCursor(nullptr, IDC_WAIT);
    case crDrag: return CreateNamedCursor(u"drag");
    case crNoDrop: return CreateNamedCursor(u"nodrop");
    case crHSplit: return CreateNamedCursor(u"hsplit");
    case crVSplit: return CreateNamedCursor(u"vsplit");
    case crMultiDrag: return CreateNamedCursor(u"multidrag");
    case crSQLWait: return CreateNamedCursor(u"sqlwait");
    case crNo: return LoadCursor(nullptr, IDC_NO);
    case crAppStart: return LoadCursor(nullptr, IDC_APPSTARTING);
    case crHelp: return LoadCursor(nullptr, IDC_HELP);
    case crHandPoint: return LoadCursor(nullptr, IDC_HAND);
    case crSizeAll: return LoadCursor(nullptr, IDC_SIZEALL);
    default: return LoadCursor(nullptr, IDC_ARROW);
  }
}

void TScreen::SetCursor(TCursor value) {
  if (FCursor == value) return;
  FCursor = value;
  if (value != crDefault) {
    ::SetCursor(Cursors(value));
    return;
  }
  // Back to the controls' own cursors: the window under the pointer says which.
  TPoint p;
  GetCursorPos(&p);
  if (HWND window = WindowFromPoint(p))
    SendMessage(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window),
                MAKELPARAM(static_cast<uint32_t>(HTCLIENT), WM_MOUSEMOVE));
}

TStrings* TScreen::Fonts() {
  if (FFonts) return FFonts.get();
  FFonts = std::make_unique<TStringList>();
  FFonts->SetSorted(true);
  FFonts->SetDuplicates(dupIgnore);
  FcPattern* pattern = FcPatternCreate();
  FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
  FcFontSet* fonts = FcFontList(nullptr, pattern, objects);
  if (fonts) {
    for (int i = 0; i < fonts->nfont; ++i) {
      FcChar8* family = nullptr;
      if (FcPatternGetString(fonts->fonts[i], FC_FAMILY, 0, &family) == FcResultMatch && family)
        FFonts->Add(UTF8ToString(reinterpret_cast<const char*>(family)));
    }
    FcFontSetDestroy(fonts);
  }
  FcObjectSetDestroy(objects);
  FcPatternDestroy(pattern);
  // The faces programs name that stand for installed families ("Segoe UI", "Tahoma", ...).
  for (const String& name : ScreenFontNames()) FFonts->Add(name);
  return FFonts.get();
}

// --- TMouse -------------------------------------------------------------------------------------

TPoint TMouse::CursorPos() const {
  TPoint p;
  GetCursorPos(&p);
  return p;
}

void TMouse::SetCursorPos(TPoint value) { ::SetCursorPos(value.X, value.Y); }

void TMouse::SetCapture(HWND value) {
  if (value)
    ::SetCapture(value);
  else
    ReleaseCapture();
}

int TMouse::WheelScrollLines() const {
  UINT lines = 3;
  SystemParametersInfo(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  return static_cast<int>(lines);
}
