// The screen as the class library sees it: its size, monitors and work areas, the forms and which
// of them is active, the cursors; and the mouse.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "platform/rtl/StringList.h"
#include "platform/ui/Controls.h"

class TCustomForm;
class TForm;

enum TMonitorDefaultTo { mdNearest, mdNull, mdPrimary };

class TMonitor : public TObject {
 public:
  TMonitor(HMONITOR handle, int number) : FHandle(handle), FNumber(number) {}
  HMONITOR Handle() const { return FHandle; }
  int MonitorNum() const { return FNumber; }
  TRect BoundsRect() const;
  TRect WorkareaRect() const;
  int Left() const { return BoundsRect().Left; }
  int Top() const { return BoundsRect().Top; }
  int Width() const { return BoundsRect().Width(); }
  int Height() const { return BoundsRect().Height(); }
  bool Primary() const;

 private:
  HMONITOR FHandle;
  int FNumber;
};

class TScreen : public TComponent {
 public:
  explicit TScreen(TComponent* owner);
  ~TScreen() override;

  // --- Size ---
  int Width() const { return GetSystemMetrics(SM_CXSCREEN); }
  int Height() const { return GetSystemMetrics(SM_CYSCREEN); }
  TRect DesktopRect() const;
  int DesktopLeft() const { return DesktopRect().Left; }
  int DesktopTop() const { return DesktopRect().Top; }
  int DesktopWidth() const { return DesktopRect().Width(); }
  int DesktopHeight() const { return DesktopRect().Height(); }
  TRect WorkAreaRect() const;
  int WorkAreaLeft() const { return WorkAreaRect().Left; }
  int WorkAreaTop() const { return WorkAreaRect().Top; }
  int WorkAreaWidth() const { return WorkAreaRect().Width(); }
  int WorkAreaHeight() const { return WorkAreaRect().Height(); }
  int PixelsPerInch() const { return 96; }

  // --- Monitors ---
  int MonitorCount();
  TMonitor* Monitors(int index);
  TMonitor* PrimaryMonitor() { return Monitors(0); }
  TMonitor* MonitorFromPoint(TPoint point, TMonitorDefaultTo defaultTo = mdNearest);
  TMonitor* MonitorFromRect(const TRect& rect, TMonitorDefaultTo defaultTo = mdNearest);
  TMonitor* MonitorFromWindow(HWND window, TMonitorDefaultTo defaultTo = mdNearest);

  // --- Forms ---
  // The TForm descendants among the forms, the most recently active first.
  int FormCount() const;
  TForm* Forms(int index) const;
  int CustomFormCount() const { return static_cast<int>(FCustomForms.size()); }
  TCustomForm* CustomForms(int index) const { return FCustomForms.at(static_cast<size_t>(index)); }
  TForm* ActiveForm() const { return FActiveForm; }
  TCustomForm* ActiveCustomForm() const { return FActiveCustomForm; }
  TWinControl* ActiveControl() const { return FActiveControl; }
  // The form that last received OnActivate and has not been deactivated since.
  TCustomForm* FocusedForm() const { return FFocusedForm; }

  // --- Cursors ---
  // A cursor other than crDefault shows everywhere, whatever the controls ask for.
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor value);
  HCURSOR Cursors(TCursor index);
  void SetCursors(TCursor index, HCURSOR handle) { FCursors[index] = handle; }

  // --- Fonts ---
  // The installed font families and the faces that stand for them ("Segoe UI", "Tahoma"), sorted.
  TStrings* Fonts();
  TFont* HintFont() const { return FHintFont.get(); }
  TFont* IconFont() const { return FIconFont.get(); }
  TFont* MenuFont() const { return FMenuFont.get(); }

  TNotifyEvent OnActiveControlChange;
  TNotifyEvent OnActiveFormChange;

 private:
  friend class TCustomForm;
  void AddForm(TCustomForm* form);
  void RemoveForm(TCustomForm* form);
  // A control of a form took the focus: it and its form become the active ones.
  void SetActive(TWinControl* control, TCustomForm* form);
  void SetFocusedForm(TCustomForm* form) { FFocusedForm = form; }
  void RefreshMonitors();

  std::vector<TCustomForm*> FCustomForms;
  TForm* FActiveForm = nullptr;
  TCustomForm* FActiveCustomForm = nullptr;
  TWinControl* FActiveControl = nullptr;
  TCustomForm* FFocusedForm = nullptr;
  TCursor FCursor = crDefault;
  std::map<TCursor, HCURSOR> FCursors;
  std::vector<std::unique_ptr<TMonitor>> FMonitors;
  std::unique_ptr<TStringList> FFonts;
  std::unique_ptr<TFont> FHintFont;
  std::unique_ptr<TFont> FIconFont;
  std::unique_ptr<TFont> FMenuFont;
};

// The mouse: where the pointer is, which window holds the capture, the wheel.
class TMouse : public TObject {
 public:
  TPoint CursorPos() const;
  void SetCursorPos(TPoint value);
  HWND Capture() const { return GetCapture(); }
  void SetCapture(HWND value);
  bool WheelPresent() const { return true; }
  int WheelScrollLines() const;
  // Drags start after the pointer moved this far with the button down.
  bool DragImmediate = true;
  int DragThreshold = 5;
};

extern TScreen* Screen;
extern TMouse* Mouse;
