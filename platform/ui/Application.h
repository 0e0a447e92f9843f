// The application object: it makes the forms (the first made is the main form), runs the message
// loop until the main form closes, turns key messages into the library's key handling, shows the
// errors that escape event handlers, tracks the control under the pointer (CM_MOUSEENTER /
// CM_MOUSELEAVE) and shows hints.
#pragma once

#include <exception>
#include <functional>

#include "platform/rtl/Component.h"
#include "platform/ui/Controls.h"

class TCustomForm;
class THintWindow;

// What CM_HINTSHOW carries: a control may change the hint before it shows, or refuse it (Result
// not 0).
struct THintInfo {
  TControl* HintControl = nullptr;
  TPoint HintPos;
  int HintMaxWidth = 0;
  TColor HintColor = clInfoBk;
  TRect CursorRect;
  TPoint CursorPos;
  int ReshowTimeout = 0;
  int HideTimeout = 0;
  String HintStr;
  void* HintData = nullptr;
};

using TExceptionEvent = std::function<void(TObject* sender, const Exception& e)>;
using TIdleEvent = std::function<void(TObject* sender, bool& done)>;
using TMessageEvent = std::function<void(MSG& msg, bool& handled)>;
// Makes the application's hint window (THintWindow or a descendant).
using THintWindowClass = std::function<THintWindow*(TComponent* owner)>;

// MessageBox flags and answers.
constexpr UINT MB_OK = 0x0;
constexpr UINT MB_OKCANCEL = 0x1;
constexpr UINT MB_ABORTRETRYIGNORE = 0x2;
constexpr UINT MB_YESNOCANCEL = 0x3;
constexpr UINT MB_YESNO = 0x4;
constexpr UINT MB_RETRYCANCEL = 0x5;
constexpr UINT MB_ICONERROR = 0x10;
constexpr UINT MB_ICONSTOP = 0x10;
constexpr UINT MB_ICONQUESTION = 0x20;
constexpr UINT MB_ICONWARNING = 0x30;
constexpr UINT MB_ICONEXCLAMATION = 0x30;
constexpr UINT MB_ICONINFORMATION = 0x40;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

class TApplication : public TComponent {
 public:
  explicit TApplication(TComponent* owner);
  ~TApplication() override;

  void Initialize() {}
  const String& Title() const { return FTitle; }
  void SetTitle(const String& value) { FTitle = value; }

  // Makes a form owned by the application, sets the reference, and fires its OnCreate. The
  // first form made this way is the main form.
  template <class T>
  void CreateForm(T*& reference) {
    T* form = new T(this);
    reference = form;
    FormCreated(form);
  }
  TCustomForm* MainForm() const { return FMainForm; }
  // Whether Run shows the main form.
  bool ShowMainForm = true;

  // Shows the main form and handles messages until the program ends (the main form closes, or
  // Terminate).
  void Run();
  // Ends the message loop: a quit message is posted, and the loops end when it arrives.
  void Terminate();
  bool Terminated() const { return FTerminated; }
  // Handles every message waiting, without waiting for more.
  void ProcessMessages();
  // Handles one message; when none waits, idles and waits for one.
  void HandleMessage();
  // The number of modal loops running.
  int ModalLevel() const { return FModalLevel; }
  void ModalStarted() { ++FModalLevel; }
  void ModalFinished() { --FModalLevel; }

  // Shows the exception being handled (call it inside a catch block): OnException when
  // assigned, else ShowException. EAbort is silent.
  void HandleException(TObject* sender);
  // Shows an error in a message box: its message, with a full stop added unless it ends in
  // punctuation, under the application's title.
  void ShowException(const Exception& e);
  // A modal message box of the application's own (see Dialogs.h); answers IDOK, IDYES, ...
  int MessageBox(const String& text, const String& caption, UINT flags);

  // --- Hints ---
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool value);
  int HintPause = 500;
  int HintShortPause = 50;
  int HintHidePause = 2500;
  TColor HintColor = clInfoBk;
  THintWindowClass HintWindowClass;
  THintWindow* HintWindow() const { return FHintWindow; }
  // The control whose hint is pending or showing; nullptr when none.
  TControl* HintControl() const { return FHintControl; }
  void CancelHint();
  // Shows the hint of the control under a screen point now.
  void ActivateHint(TPoint cursorPos);
  void HintMouseMessage(TControl* control, TMessage& message);

  // The control under the pointer, as CM_MOUSEENTER and CM_MOUSELEAVE told it.
  TControl* MouseControl() const { return FMouseControl; }
  // A control that goes: the application forgets it.
  void ControlDestroyed(TControl* control);

  TExceptionEvent OnException;
  TIdleEvent OnIdle;
  TMessageEvent OnMessage;

 private:
  void FormCreated(TCustomForm* form);
  bool ProcessMessage(MSG& msg);
  bool IsKeyMsg(const MSG& msg);
  void Idle();
  void DoMouseIdle();
  void UtilityWndProc(TMessage& message);
  void HintTimerExpired();
  void HideTimerExpired();

  String FTitle;
  TCustomForm* FMainForm = nullptr;
  bool FTerminated = false;
  int FModalLevel = 0;
  bool FShowHint = true;
  bool FHintShowing = false;
  TControl* FHintControl = nullptr;
  THintWindow* FHintWindow = nullptr;
  TControl* FMouseControl = nullptr;
  HWND FUtilityWindow = nullptr;
};

extern TApplication* Application;

// The control of this library under a screen point: the deepest child, graphic controls included
// (disabled ones too when allowed).
TControl* FindDragTarget(TPoint screenPos, bool allowDisabled);
