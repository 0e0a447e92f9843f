#include "platform/win/DragDrop.h"

#include <algorithm>

#include "platform/win/WinApi.h"
#include "platform/win/WindowSystem.h"

namespace {

constexpr const char16_t* DragWindowClass = u"OleDragWindow";

IDropTarget* TargetOf(HWND window) {
  for (auto& [w, target] : WindowSystem().DropTargets)
    if (w == window) return target;
  return nullptr;
}

// The target under the pointer: one of our windows', or over none of them another program's.
IDropTarget* TargetAt(TPoint screen) {
  if (WindowFromPoint(screen)) return DropTargetAt(screen);
  return WindowSystem().BackEnd().ForeignDropTargetAt(screen);
}

DWORD KeyStateFlags() {
  DWORD keys = 0;
  if (GetKeyState(VK_LBUTTON) < 0) keys |= MK_LBUTTON;
  if (GetKeyState(VK_RBUTTON) < 0) keys |= MK_RBUTTON;
  if (GetKeyState(VK_MBUTTON) < 0) keys |= MK_MBUTTON;
  if (GetKeyState(VK_SHIFT) < 0) keys |= MK_SHIFT;
  if (GetKeyState(VK_CONTROL) < 0) keys |= MK_CONTROL;
  return keys;
}

// A hidden window that holds the capture while a drag runs, so the pointer's messages come to
// the drag loop and to no window under the pointer.
HWND MakeDragWindow() {
  WNDCLASS registered;
  if (!GetClassInfo(HInstance, DragWindowClass, &registered)) {
    WNDCLASS windowClass;
    windowClass.lpfnWndProc = DefWindowProc;
    windowClass.hInstance = HInstance;
    windowClass.lpszClassName = DragWindowClass;
    RegisterClass(windowClass);
  }
  return CreateWindowEx(WS_EX_TOOLWINDOW, DragWindowClass, u"", WS_POPUP, 0, 0, 0, 0, nullptr,
                        nullptr, HInstance, nullptr);
}

class TDragLoop {
 public:
  TDragLoop(IDataObject* data, IDropSource* source, DWORD okEffects)
      : FData(data), FSource(source), FOkEffects(okEffects) {}

  HRESULT Run(DWORD* effect) {
    GetCursorPos(&FPos);
    Track(KeyStateFlags());
    for (;;) {
      MSG msg;
      if (!PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
        WaitMessage();
        continue;
      }
      bool escape = false;
      if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        return Cancel(effect);
      }
      if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
        escape = msg.wParam == VK_ESCAPE;
      } else if (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST) {
        FPos = msg.pt;
      } else if (msg.message != WM_KEYUP && msg.message != WM_SYSKEYUP && msg.message != WM_CHAR) {
        TranslateMessage(&msg);
        DispatchMessage(&msg);
        continue;
      }
      DWORD keys = KeyStateFlags();
      HRESULT answer = FSource->QueryContinueDrag(escape, keys);
      if (answer == DRAGDROP_S_DROP) return Drop(keys, effect);
      if (answer == DRAGDROP_S_CANCEL) return Cancel(effect);
      Track(keys);
    }
  }

 private:
  void Track(DWORD keys) {
    IDropTarget* target = TargetAt(FPos);
    DWORD allowed = FOkEffects;
    if (target != FTarget) {
      Leave();
      FTarget = target;
      if (FTarget) {
        FTarget->AddRef();
        FTarget->DragEnter(FData, keys, FPos, &allowed);
      }
    } else if (FTarget) {
      FTarget->DragOver(keys, FPos, &allowed);
    }
    FEffect = FTarget ? (allowed & (FOkEffects | DROPEFFECT_SCROLL)) : DROPEFFECT_NONE;
    if (FSource->GiveFeedback(FEffect) == DRAGDROP_S_USEDEFAULTCURSORS)
      SetCursor((FEffect & ~DROPEFFECT_SCROLL) ? CreateNamedCursor(u"drag") : LoadCursor(nullptr, IDC_NO));
  }

  void Leave() {
    if (!FTarget) return;
    FTarget->DragLeave();
    FTarget->Release();
    FTarget = nullptr;
  }

  HRESULT Drop(DWORD keys, DWORD* effect) {
    if (!FTarget || (FEffect & ~DROPEFFECT_SCROLL) == DROPEFFECT_NONE) return Cancel(effect);
    DWORD taken = FOkEffects;
    FTarget->Drop(FData, keys, FPos, &taken);
    FTarget->Release();
    FTarget = nullptr;
    *effect = taken & FOkEffects;
    return DRAGDROP_S_DROP;
  }

  HRESULT Cancel(DWORD* effect) {
    Leave();
    *effect = DROPEFFECT_NONE;
    return DRAGDROP_S_CANCEL;
  }

  IDataObject* FData;
  IDropSource* FSource;
  DWORD FOkEffects;
  IDropTarget* FTarget = nullptr;
  DWORD FEffect = DROPEFFECT_NONE;
  TPoint FPos;
};

}  // namespace

IDropTarget* DropTargetAt(TPoint screen) {
  for (HWND window = WindowFromPoint(screen); window; window = GetAncestor(window, GA_PARENT)) {
    if (window == GetDesktopWindow()) break;
    if (IDropTarget* target = TargetOf(window)) return target;
  }
  return nullptr;
}

void ReleaseStgMedium(STGMEDIUM* medium) {
  if (!medium) return;
  if (medium->tymed == TYMED_HGLOBAL && medium->hGlobal) GlobalFree(medium->hGlobal);
  if (medium->tymed == TYMED_ISTREAM && medium->pstm) medium->pstm->Release();
  *medium = STGMEDIUM{};
}

HRESULT OleInitialize(void*) { return S_OK; }

void OleUninitialize() {}

HRESULT RegisterDragDrop(HWND window, IDropTarget* target) {
  if (!IsWindow(window)) return DRAGDROP_E_INVALIDHWND;
  if (!target) return E_INVALIDARG;
  if (TargetOf(window)) return DRAGDROP_E_ALREADYREGISTERED;
  target->AddRef();
  WindowSystem().DropTargets.emplace_back(window, target);
  return S_OK;
}

HRESULT RevokeDragDrop(HWND window) {
  auto& targets = WindowSystem().DropTargets;
  auto it = std::find_if(targets.begin(), targets.end(), [&](const auto& t) { return t.first == window; });
  if (it == targets.end()) return IsWindow(window) ? DRAGDROP_E_NOTREGISTERED : DRAGDROP_E_INVALIDHWND;
  IDropTarget* target = it->second;
  targets.erase(it);
  target->Release();
  return S_OK;
}

void RevokeDropTarget(HWND window) {
  auto& targets = WindowSystem().DropTargets;
  auto it = std::find_if(targets.begin(), targets.end(), [&](const auto& t) { return t.first == window; });
  if (it == targets.end()) return;
  IDropTarget* target = it->second;
  targets.erase(it);
  target->Release();
}

HRESULT DoDragDrop(IDataObject* data, IDropSource* source, DWORD okEffects, DWORD* effect) {
  if (!data || !source || !effect) return E_INVALIDARG;
  TWindowSystem& system = WindowSystem();
  if (system.Dragging) return E_UNEXPECTED;
  system.Dragging = true;
  data->AddRef();
  source->AddRef();
  HWND dragWindow = MakeDragWindow();
  SetCapture(dragWindow);
  struct TEnd {
    IDataObject* Data;
    IDropSource* Source;
    HWND Window;
    ~TEnd() {
      if (GetCapture() == Window) ReleaseCapture();
      DestroyWindow(Window);
      Source->Release();
      Data->Release();
      WindowSystem().Dragging = false;
    }
  } end{data, source, dragWindow};
  return TDragLoop(data, source, okEffects).Run(effect);
}
