#include "platform/gdi/DrawingLog.h"

#include <cstdio>

#include "platform/rtl/UnicodeText.h"

TRect TDrawingCall::ArgRect() const {
  if (Args.size() < 4) return {};
  return {Args[0], Args[1], Args[2], Args[3]};
}

std::vector<std::string> TDrawingLog::Names() const {
  std::vector<std::string> names;
  names.reserve(FCalls.size());
  for (const auto& call : FCalls) names.push_back(call.Name);
  return names;
}

std::vector<TDrawingCall> TDrawingLog::Named(const std::string& name) const {
  std::vector<TDrawingCall> out;
  for (const auto& call : FCalls) {
    if (call.Name == name) out.push_back(call);
  }
  return out;
}

std::string TDrawingLog::Dump() const {
  std::string out;
  char buffer[64];
  for (const auto& call : FCalls) {
    out += call.Name + "(";
    for (size_t i = 0; i < call.Args.size(); ++i) {
      out += (i ? ", " : "") + std::to_string(call.Args[i]);
    }
    if (!call.Text.empty()) out += ", \"" + UTF8Encode(call.Text) + "\"";
    std::snprintf(buffer, sizeof buffer, ") flags=%X pen=%06X brush=%06X text=%06X", call.Flags,
                  call.PenColor, call.BrushColor, call.TextColor);
    out += buffer;
    if (call.Clipped) {
      std::snprintf(buffer, sizeof buffer, " clip=(%d,%d,%d,%d)", call.ClipBox.Left, call.ClipBox.Top,
                    call.ClipBox.Right, call.ClipBox.Bottom);
      out += buffer;
    }
    out += "\n";
  }
  return out;
}
