// A record of the GDI+ calls the wrapper classes make, for tests: installed for a scope, it
// receives every flat-API call a wrapper makes, with the state that decides what it paints (brush,
// pen, path, clip, smoothing and text hint), so a painter's steps can be asserted in order and
// geometry. Pixels still come from the flat API itself; the log only watches.
#pragma once

#include <string>
#include <vector>

#include "platform/gdi/GdiPlusFlat.h"
#include "platform/rtl/Types.h"

enum class TGPBrushKind { None, Solid, Hatch, Texture, LinearGradient, PathGradient };

// What a brush paints with, as the wrapper that made it knows it.
struct TGPBrushInfo {
  TGPBrushKind Kind = TGPBrushKind::None;
  std::vector<ARGB> Colors;  // solid: one; hatch: fore and back; linear: the two ends
  int HatchStyle = -1;
  int GradientMode = -1;  // LinearGradientMode of a rectangle gradient, else -1
  bool HasAngle = false;  // a rectangle gradient at an angle
  float Angle = 0;
  GpRectF Rect;                   // the rectangle of a linear gradient
  std::vector<ARGB> BlendColors;  // interpolation colours and their positions
  std::vector<float> BlendPositions;
  ARGB CenterColor = 0;  // path gradients
  GpPointF CenterPoint;
  bool HasCenterPoint = false;
  std::vector<ARGB> SurroundColors;
};

struct TGPPenInfo {
  bool Present = false;
  ARGB Color = 0;
  float Width = 0;
  int DashStyle = 0;
};

struct TGPCall {
  std::string Name;         // the flat-API function: "GdipFillPath", "GdipDrawString", ...
  std::vector<float> Args;  // its number arguments in order (coordinates, sizes, angles, modes)
  int PathPoints = -1;      // the path's point count and bounds when a path is involved
  GpRectF PathBounds;
  TGPBrushInfo Brush;
  TGPPenInfo Pen;
  bool Clipped = false;  // the clip set on the graphics (bounds), when there is one
  GpRectF ClipBounds;
  int SmoothingMode = -1;  // the graphics' smoothing mode and text hint at the call
  int TextHint = -1;
  String Text;        // the text of a string call
  String FontFamily;  // the font of a text call
  float FontSize = 0;
  int FontStyle = 0;
  GpStatus Status = Ok;  // what the call answered
};

class TGPCallLog {
 public:
  void Add(TGPCall call) { FCalls.push_back(std::move(call)); }
  void Clear() { FCalls.clear(); }
  const std::vector<TGPCall>& Calls() const { return FCalls; }
  std::vector<std::string> Names() const;
  std::vector<TGPCall> Named(const std::string& name) const;
  // One line a call, for failure messages.
  std::string Dump() const;

 private:
  std::vector<TGPCall> FCalls;
};

// Installs a log for its lifetime (restoring the one before it); calls go to the innermost.
class TGPCallLogScope {
 public:
  explicit TGPCallLogScope(TGPCallLog& log);
  ~TGPCallLogScope();
  TGPCallLogScope(const TGPCallLogScope&) = delete;
  TGPCallLogScope& operator=(const TGPCallLogScope&) = delete;

 private:
  TGPCallLog* FPrevious;
};

// The installed log, or null (the one test a wrapper makes when none is installed).
TGPCallLog* ActiveGPCallLog();
