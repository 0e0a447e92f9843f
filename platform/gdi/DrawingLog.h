// A display list of drawing calls, for tests: attached to a device context, it records every call
// made on it with its arguments in logical coordinates, the colours and font in effect and the clip
// box at that moment, so a control's painting can be asserted in order and geometry.
#pragma once

#include <string>
#include <vector>

#include "platform/gdi/WinTypes.h"
#include "platform/rtl/Types.h"

struct TDrawingCall {
  std::string Name;           // the call: "FillRect", "DrawText", "BitBlt", ...
  std::vector<int32_t> Args;  // its integer arguments, coordinates logical
  String Text;                // the text of a text call
  uint32_t Flags = 0;         // format, options, raster operation or edge flags
  COLORREF PenColor = 0;
  COLORREF BrushColor = 0;    // CLR_INVALID for a clear brush
  COLORREF TextColor = 0;
  COLORREF BkColor = 0;
  int BkMode = 0;
  String FontName;            // the face name of the selected font, and its height
  int32_t FontHeight = 0;
  int32_t FontWeight = 0;      // and its style and turn (tenths of a degree)
  bool FontItalic = false, FontUnderline = false, FontStrikeOut = false;
  int32_t FontEscapement = 0;
  bool Clipped = false;       // whether a clip region was selected
  TRect ClipBox;              // the visible part of the context, logical
  // The rectangle of calls whose first four arguments are one.
  TRect ArgRect() const;
};

class TDrawingLog {
 public:
  void Add(TDrawingCall call) { FCalls.push_back(std::move(call)); }
  void Clear() { FCalls.clear(); }
  const std::vector<TDrawingCall>& Calls() const { return FCalls; }
  // The names of the calls in order.
  std::vector<std::string> Names() const;
  // The calls of one name in order.
  std::vector<TDrawingCall> Named(const std::string& name) const;
  // One line a call, for failure messages.
  std::string Dump() const;

 private:
  std::vector<TDrawingCall> FCalls;
};
