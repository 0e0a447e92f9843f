// The canvas of a control, the two painting bases, and the control that holds the capture.
#include <algorithm>

#include "platform/ui/Controls.h"

namespace {

// Canvases that took a context of their own outside painting; given back after each message.
std::vector<TControlCanvas*>& CanvasesWithOwnContext() {
  static std::vector<TControlCanvas*> list;
  return list;
}

// The graphic control a parent's window holds the capture for.
TControl* GCaptureControl = nullptr;

}  // namespace

// --- TControlCanvas ------------------------------------------------------------------------------

TControlCanvas::~TControlCanvas() { FreeHandle(); }

void TControlCanvas::SetControl(TControl* value) {
  if (FControl == value) return;
  FreeHandle();
  FControl = value;
}

void TControlCanvas::CreateHandle() {
  if (!FControl || FOwnDC) return;
  if (auto* windowed = dynamic_cast<TWinControl*>(FControl)) {
    FWindow = windowed->Handle();
    FOwnDC = GetDC(FWindow);
  } else {
    TWinControl* parent = FControl->Parent();
    if (!parent) return;
    FWindow = parent->Handle();
    FOwnDC = GetDC(FWindow);
    SetWindowOrgEx(FOwnDC, -FControl->Left(), -FControl->Top(), nullptr);
    IntersectClipRect(FOwnDC, 0, 0, FControl->Width(), FControl->Height());
  }
  CanvasesWithOwnContext().push_back(this);
  SetHandle(FOwnDC);
}

void TControlCanvas::FreeHandle() {
  if (!FOwnDC) return;
  SetHandle(nullptr);
  ReleaseDC(FWindow, FOwnDC);
  FOwnDC = nullptr;
  FWindow = nullptr;
  auto& list = CanvasesWithOwnContext();
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void FreeDeviceContexts() {
  auto& list = CanvasesWithOwnContext();
  while (!list.empty()) list.back()->FreeHandle();
}

// --- TGraphicControl -----------------------------------------------------------------------------

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner) {
  FCanvas = std::make_unique<TControlCanvas>();
  FCanvas->SetControl(this);
}

TGraphicControl::~TGraphicControl() { FCanvas->SetControl(nullptr); }

void TGraphicControl::Dispatch(TMessage& message) {
  if (message.Msg != WM_PAINT) {
    TControl::Dispatch(message);
    return;
  }
  auto dc = reinterpret_cast<HDC>(message.WParam);
  if (!dc || ComponentState().Contains(csDestroying)) return;
  FCanvas->FreeHandle();
  FCanvas->Lock();
  FCanvas->SetHandle(dc);
  try {
    Paint();
  } catch (...) {
    FCanvas->SetHandle(nullptr);
    FCanvas->Unlock();
    throw;
  }
  FCanvas->SetHandle(nullptr);
  FCanvas->Unlock();
}

// --- TCustomControl ------------------------------------------------------------------------------

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner) {
  FCanvas = std::make_unique<TControlCanvas>();
  FCanvas->SetControl(this);
}

TCustomControl::~TCustomControl() { FCanvas->SetControl(nullptr); }

void TCustomControl::Dispatch(TMessage& message) {
  if (message.Msg != WM_PAINT) {
    TWinControl::Dispatch(message);
    return;
  }
  // A custom control always paints itself, even without children.
  SetControlState(ControlState() << csCustomPaint);
  try {
    TWinControl::Dispatch(message);
  } catch (...) {
    SetControlState(ControlState() >> csCustomPaint);
    throw;
  }
  SetControlState(ControlState() >> csCustomPaint);
}

void TCustomControl::PaintWindow(HDC dc) {
  FCanvas->FreeHandle();
  FCanvas->Lock();
  FCanvas->SetHandle(dc);
  try {
    Paint();
  } catch (...) {
    FCanvas->SetHandle(nullptr);
    FCanvas->Unlock();
    throw;
  }
  FCanvas->SetHandle(nullptr);
  FCanvas->Unlock();
}

// --- The capture ---------------------------------------------------------------------------------

TControl* GetCaptureControl() {
  HWND capture = GetCapture();
  if (!capture) return nullptr;
  if (GCaptureControl && GCaptureControl->Parent() && GCaptureControl->Parent()->HandleAllocated() &&
      GCaptureControl->Parent()->Handle() == capture)
    return GCaptureControl;
  return TWinControl::FindControl(capture);
}

void SetCaptureControl(TControl* control) {
  GCaptureControl = nullptr;
  ReleaseCapture();
  if (!control) return;
  if (auto* windowed = dynamic_cast<TWinControl*>(control)) {
    SetCapture(windowed->Handle());
    return;
  }
  if (!control->Parent()) return;
  GCaptureControl = control;
  SetCapture(control->Parent()->Handle());
}

void ForgetCaptureControl(TControl* control) {
  if (GCaptureControl == control) GCaptureControl = nullptr;
}
