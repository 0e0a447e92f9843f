// What the library's controls share about looks and the desktop they run on: the two interfaces
// through which a caller restyles any control (a style preset, or a record of colour tones), the
// desktop queries (Windows version, common controls, visual style, Office colour scheme, default
// font), and the theme notifier that forwards changes of the Office colour scheme to windows.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gdi/Colors.h"
#include "platform/gdi/GdiPlusFlat.h"
#include "platform/rtl/Component.h"
#include "platform/ui/Registry.h"
#include "platform/win/Messages.h"
#include "platform/win/WinDefs.h"

// One colour scheme per control, 0..19; values 0 to 9 are what DetectOfficeTheme answers.
using TStylePreset = uint8_t;

struct TColorTone {
  TColor Color;  // fill
  TColor BorderColor;
  TColor TextColor;
};

struct TColorTones {
  TColorTone Normal;
  TColorTone Fixed;  // the grid's fixed cells
  TColorTone Down;
  TColorTone Hot;
  TColorTone Disabled;
};
static_assert(sizeof(TColorTones) == 60, "fifteen colours in declaration order");

inline constexpr GUID IID_IComponentStyle{
    0x11AC2DDC, 0xC087, 0x4298, {0xAB, 0x6E, 0xEA, 0x1B, 0x50, 0x17, 0x51, 0x1B}};
inline constexpr GUID IID_IColorTones{
    0x1F492643, 0x6699, 0x4F25, {0x8B, 0x34, 0x32, 0x33, 0xFA, 0x73, 0x50, 0x36}};

// Restyles a control to one of the presets; a value without an entry is ignored.
class IComponentStyle {
 public:
  virtual void SetComponentStyle(TStylePreset style) = 0;

 protected:
  ~IComponentStyle() = default;
};

// Recolours a control from a record of tones, which it only reads.
class IColorTones {
 public:
  virtual void SetColorTones(const TColorTones& tones) = 0;

 protected:
  ~IColorTones() = default;
};

// The desktop's fixed answers: Vista or later, XP or later, common controls 6.
bool IsVista();
bool IsWinXPOrLater();
bool IsComCtl6();
// "Segoe UI" on Vista or later (always here), else "Tahoma".
String GetDefaultFontName();
// The visual style's colour scheme: 1 "NormalColor", 2 "HomeStead", 3 "Metallic", 0 none.
int CurrentXPTheme();
// 0, or 1 when the Office 12.0 settings exist, 2 when the 14.0 ones do.
int GetOfficeVersion();
// The preset of the user's Office colour scheme (14.0: 7..9, 12.0: 4..6, a present but unknown
// "Theme": 0), else of the visual style (none: 3).
TStylePreset DetectOfficeTheme();

// Sent to the notifier window and to every registered window after the watched key changed:
// WParam the root key, LParam the key path as a zero-terminated UTF-8 string valid during the call.
inline constexpr UINT WM_OFFICETHEMECHANGE = 2993;

class TRegMonitorThread;

// Watches the Office colour-scheme settings from a worker thread. The worker only waits for the
// registry change and wakes the notifier's hidden window; everything else (the event, the
// messages, the list of windows) happens on the GUI thread. Without Office 12.0 or 14.0 settings
// there is no window and no thread, and registering does nothing.
class TThemeNotifier : public TComponent {
 public:
  explicit TThemeNotifier(TComponent* owner);
  ~TThemeNotifier() override;

  void RegisterWindow(HWND handle);
  void UnRegisterWindow(HWND handle);
  bool Watching() const { return FThread != nullptr; }
  // The hidden window (null when not watching).
  HWND NotifierWindow() const { return FWindow; }
  const String& KeyPath() const { return FKeyPath; }
  // Raised on the GUI thread, Sender the notifier, after each change the worker reports.
  TNotifyEvent OnOfficeThemeChange;

 private:
  void WindowProc(TMessage& message);
  void Deliver();

  HWND FWindow = nullptr;
  std::unique_ptr<TRegMonitorThread, TObjectFree> FThread;
  String FKeyPath;
  std::vector<HWND> FWindows;
};

// The process's notifier, made on first call; its owner is the application's main form when one
// with a window exists, else the given owner. After it is destroyed the next call makes a new one.
TThemeNotifier* GetThemeNotifier(TComponent* owner);
