// What the wrappers share to report their calls to the installed call log.
#pragma once

#include <algorithm>
#include <initializer_list>

#include "controls/graphics/GDIPCallLog.h"

namespace gplog {

inline TGPCall NewCall(const char* name, GpStatus status, std::initializer_list<float> args) {
  TGPCall call;
  call.Name = name;
  call.Args.assign(args.begin(), args.end());
  call.Status = status;
  return call;
}

// The point count and the bounds of the points of a path.
inline void SetPath(TGPCall& call, const GpPath* path) {
  if (path == nullptr) return;
  call.PathPoints = static_cast<int>(path->Points.size());
  if (path->Points.empty()) return;
  float left = path->Points[0].X, top = path->Points[0].Y, right = left, bottom = top;
  for (const GpPathPoint& p : path->Points) {
    left = std::min(left, p.X);
    top = std::min(top, p.Y);
    right = std::max(right, p.X);
    bottom = std::max(bottom, p.Y);
  }
  call.PathBounds = {left, top, right - left, bottom - top};
}

// A call of an object that is not a graphics: the log gets it when there is one.
inline GpStatus Report(const char* name, GpStatus status, std::initializer_list<float> args,
                       const TGPBrushInfo* brush = nullptr, const GpPath* path = nullptr) {
  TGPCallLog* log = ActiveGPCallLog();
  if (log == nullptr) return status;
  TGPCall call = NewCall(name, status, args);
  if (brush != nullptr) call.Brush = *brush;
  SetPath(call, path);
  log->Add(std::move(call));
  return status;
}

}  // namespace gplog

namespace gplog {

// An object argument's handle; a missing object passes a null handle and GDI+ answers for it.
template <class T>
auto NativeOf(const T* object) -> decltype(object->NativeHandle()) {
  return object != nullptr ? object->NativeHandle() : nullptr;
}

}  // namespace gplog
