// TApplication: forms, the message loop, key routing and the errors of event handlers.
#include "platform/ui/Application.h"

#include "platform/rtl/ExceptionHook.h"
#include "platform/rtl/UnicodeText.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"
#include "platform/ui/HintWindow.h"
#include "platform/ui/Screen.h"
#include "platform/ui/UtilityWindow.h"
#include "platform/win/HeadlessBackEnd.h"

TApplication* Application = nullptr;

TApplication::TApplication(TComponent* owner) : TComponent(owner) {
  HintWindowClass = [](TComponent* hintOwner) { return new THintWindow(hintOwner); };
  FUtilityWindow = AllocateHWnd([this](TMessage& message) { UtilityWndProc(message); });
  // Errors of timers and handlers below the class library reach the user as the loop's own do.
  SetExceptionHandler([this](TObject* sender) { HandleException(sender); });
}

TApplication::~TApplication() {
  SetExceptionHandler(nullptr);
  CancelHint();
  // The forms go while the application still stands: their handlers may ask it things.
  Destroying();
  DestroyComponents();
  FMainForm = nullptr;
  if (WindowSessionRunning()) DeallocateHWnd(FUtilityWindow);
}

void TApplication::FormCreated(TCustomForm* form) {
  if (!FMainForm) {
    form->HandleNeeded();
    FMainForm = form;
  }
  form->AfterConstruction();
}

// --- The message loop ---------------------------------------------------------------------------

void TApplication::Run() {
  if (FMainForm && ShowMainForm) {
    try {
      FMainForm->SetVisible(true);
    } catch (...) {
      HandleException(this);
    }
  }
  while (!FTerminated) {
    try {
      HandleMessage();
    } catch (...) {
      HandleException(this);
    }
  }
}

void TApplication::Terminate() { PostQuitMessage(0); }

void TApplication::ProcessMessages() {
  MSG msg;
  while (ProcessMessage(msg)) {
  }
}

void TApplication::HandleMessage() {
  MSG msg;
  if (!ProcessMessage(msg)) Idle();
}

bool TApplication::ProcessMessage(MSG& msg) {
  if (!PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (msg.message == WM_QUIT) {
    FTerminated = true;
    return true;
  }
  bool handled = false;
  if (OnMessage) OnMessage(msg, handled);
  if (!handled && !IsKeyMsg(msg)) {
    TranslateMessage(&msg);
    DispatchMessage(&msg);
  }
  bool pointer = (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST) ||
                 (msg.message >= WM_NCMOUSEMOVE && msg.message <= WM_NCMBUTTONDBLCLK) ||
                 msg.message == WM_MOUSELEAVE;
  if (msg.message == WM_MOUSEMOVE && IsWindow(msg.hwnd)) {
    // Told when the pointer leaves the window, even for a place outside every window.
    TRACKMOUSEEVENT track;
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = msg.hwnd;
    TrackMouseEvent(&track);
  }
  if (pointer) DoMouseIdle();
  return true;
}

// A key message first goes to the control it is for as CN_KEYDOWN / CN_CHAR ...: short cuts and
// dialog keys are handled there, and a message answered there is not dispatched.
bool TApplication::IsKeyMsg(const MSG& msg) {
  if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
  HWND window = GetCapture();
  if (!window) {
    window = msg.hwnd;
    while (window && !TWinControl::FindControl(window)) window = GetParent(window);
    if (!window) window = msg.hwnd;
  }
  if (!window) return false;
  if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN || msg.message == WM_LBUTTONDOWN)
    CancelHint();
  return SendMessage(window, CN_BASE + msg.message, msg.wParam, msg.lParam) != 0;
}

void TApplication::Idle() {
  DoMouseIdle();
  bool done = true;
  if (OnIdle) {
    try {
      OnIdle(this, done);
    } catch (...) {
      HandleException(this);
    }
  }
  if (done) WaitMessage();
}

// --- The control under the pointer --------------------------------------------------------------

TControl* FindDragTarget(TPoint screenPos, bool allowDisabled) {
  HWND window = WindowFromPoint(screenPos);
  TWinControl* control = nullptr;
  while (window && !(control = TWinControl::FindControl(window))) window = GetParent(window);
  if (!control) return nullptr;
  TControl* child = control->ControlAtPos(control->ScreenToClient(screenPos), allowDisabled);
  return child ? child : control;
}

void TApplication::DoMouseIdle() {
  TPoint p;
  GetCursorPos(&p);
  TControl* control = FindDragTarget(p, true);
  TControl* capture = GetCaptureControl();
  if (control == FMouseControl) return;
  if (FMouseControl && (!capture || FMouseControl == capture)) FMouseControl->Perform(CM_MOUSELEAVE);
  FMouseControl = control;
  if (FMouseControl && (!capture || FMouseControl == capture)) FMouseControl->Perform(CM_MOUSEENTER);
}

void TApplication::ControlDestroyed(TControl* control) {
  if (FMouseControl == control) FMouseControl = nullptr;
  if (FHintControl == control) CancelHint();
  if (FHintWindow == control) FHintWindow = nullptr;
}

// --- Errors -------------------------------------------------------------------------------------

void TApplication::HandleException(TObject* sender) {
  std::exception_ptr error = std::current_exception();
  if (!error) return;
  try {
    std::rethrow_exception(error);
  } catch (const EScriptEnded&) {
    throw;  // the test script ran out: not the program's error
  } catch (const EAbort&) {
    return;
  } catch (const Exception& e) {
    if (HWND capture = GetCapture()) SendMessage(capture, WM_CANCELMODE);
    if (OnException)
      OnException(sender, e);
    else
      ShowException(e);
  } catch (const std::exception& e) {
    Exception wrapped{AnsiString(e.what())};
    if (OnException)
      OnException(sender, wrapped);
    else
      ShowException(wrapped);
  } catch (...) {
    ShowException(Exception(u"Unknown error"));
  }
}

void TApplication::ShowException(const Exception& e) {
  String text = e.Message();
  if (!text.empty() && text.back() > u'.') text += u'.';
  MessageBox(text, FTitle, MB_OK | MB_ICONSTOP);
}

int TApplication::MessageBox(const String& text, const String& caption, UINT flags) {
  return ::MessageBox(text, caption.empty() ? FTitle : caption, flags);
}

// --- The utility window ---------------------------------------------------------------------------

void TApplication::UtilityWndProc(TMessage& message) {
  if (message.Msg == WM_TIMER) {
    if (message.WParam == 1)
      HintTimerExpired();
    else if (message.WParam == 2)
      HideTimerExpired();
    return;
  }
  message.Result = DefWindowProc(FUtilityWindow, message.Msg, message.WParam, message.LParam);
}
