// The basic types of the window layer: window handles, message parameters, window procedures and
// the small word-packing helpers that message parameters are built with.
#pragma once

#include <cstdint>

#include "platform/gdi/WinTypes.h"

// A window handle is an opaque number: it never points at the window object, so a handle kept
// after its window was destroyed is simply "not a window" (IsWindow answers false) and is never
// reused for another window in the same session.
struct TWindowHandleTag;
using HWND = TWindowHandleTag*;

using UINT = uint32_t;
using DWORD = uint32_t;
using WORD = uint16_t;
using BYTE = uint8_t;
using UINT_PTR = uintptr_t;
using LONG_PTR = intptr_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using ATOM = uint16_t;

// A window procedure, as a window class names it and as GWL_WNDPROC holds it.
using WNDPROC = LRESULT (*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// A timer callback: called by DispatchMessage for a WM_TIMER whose timer has one.
using TIMERPROC = void (*)(HWND window, UINT message, UINT_PTR timerId, DWORD tickCount);

// Cursors and icons are small objects of the window layer; a monitor handle is its index + 1.
struct TCursorObject;
using HCURSOR = TCursorObject*;
using HICON = TCursorObject*;
struct TMonitorTag;
using HMONITOR = TMonitorTag*;
// Modules, menus and memory handles exist only as names here: the layer has one module and no
// native menus.
struct TInstanceTag;
using HINSTANCE = TInstanceTag*;
struct TMenuTag;
using HMENU = TMenuTag*;

constexpr WORD LOWORD(uintptr_t value) { return static_cast<WORD>(value & 0xFFFF); }
constexpr WORD HIWORD(uintptr_t value) { return static_cast<WORD>((value >> 16) & 0xFFFF); }
constexpr int16_t LoSmallInt(uintptr_t value) { return static_cast<int16_t>(LOWORD(value)); }
constexpr int16_t HiSmallInt(uintptr_t value) { return static_cast<int16_t>(HIWORD(value)); }
constexpr uint32_t MAKELONG(uint32_t low, uint32_t high) {
  return (low & 0xFFFF) | ((high & 0xFFFF) << 16);
}
constexpr WPARAM MAKEWPARAM(uint32_t low, uint32_t high) { return MAKELONG(low, high); }
// The packed 32-bit value sign-extends like the system's LPARAM of a packed pair.
constexpr LPARAM MAKELPARAM(uint32_t low, uint32_t high) {
  return static_cast<int32_t>(MAKELONG(low, high));
}
// The signed coordinates packed into a mouse message's LPARAM.
constexpr int GET_X_LPARAM(LPARAM value) { return LoSmallInt(static_cast<uintptr_t>(value)); }
constexpr int GET_Y_LPARAM(LPARAM value) { return HiSmallInt(static_cast<uintptr_t>(value)); }
inline LPARAM PointToLParam(TPoint p) {
  return MAKELPARAM(static_cast<uint16_t>(p.X), static_cast<uint16_t>(p.Y));
}
inline TPoint LParamToPoint(LPARAM value) { return {GET_X_LPARAM(value), GET_Y_LPARAM(value)}; }

template <class T>
inline WPARAM ToWParam(T* pointer) {
  return reinterpret_cast<WPARAM>(pointer);
}
template <class T>
inline LPARAM ToLParam(T* pointer) {
  return reinterpret_cast<LPARAM>(pointer);
}
template <class T>
inline T* FromParam(uintptr_t value) {
  return reinterpret_cast<T*>(value);
}
template <class T>
inline T* FromParam(intptr_t value) {
  return reinterpret_cast<T*>(value);
}
