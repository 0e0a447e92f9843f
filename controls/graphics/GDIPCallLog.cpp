#include "controls/graphics/GDIPCallLog.h"

#include <cstdio>

#include "platform/rtl/UnicodeText.h"

namespace {

// The log of the innermost scope; tests install it on the painting thread.
TGPCallLog* gActiveLog = nullptr;

}  // namespace

std::vector<std::string> TGPCallLog::Names() const {
  std::vector<std::string> names;
  names.reserve(FCalls.size());
  for (const auto& call : FCalls) names.push_back(call.Name);
  return names;
}

std::vector<TGPCall> TGPCallLog::Named(const std::string& name) const {
  std::vector<TGPCall> out;
  for (const auto& call : FCalls) {
    if (call.Name == name) out.push_back(call);
  }
  return out;
}

std::string TGPCallLog::Dump() const {
  std::string out;
  char buffer[96];
  for (const auto& call : FCalls) {
    out += call.Name + "(";
    for (size_t i = 0; i < call.Args.size(); ++i) {
      std::snprintf(buffer, sizeof buffer, "%s%g", i ? ", " : "", call.Args[i]);
      out += buffer;
    }
    if (!call.Text.empty()) out += ", \"" + UTF8Encode(call.Text) + "\"";
    out += ")";
    if (call.Brush.Kind != TGPBrushKind::None) {
      out += " brush=" + std::to_string(static_cast<int>(call.Brush.Kind));
      for (ARGB c : call.Brush.Colors) {
        std::snprintf(buffer, sizeof buffer, " %08X", c);
        out += buffer;
      }
    }
    if (call.Pen.Present) {
      std::snprintf(buffer, sizeof buffer, " pen=%08X/%g", call.Pen.Color, call.Pen.Width);
      out += buffer;
    }
    if (call.PathPoints >= 0) {
      std::snprintf(buffer, sizeof buffer, " path=%d (%g,%g %gx%g)", call.PathPoints,
                    call.PathBounds.X, call.PathBounds.Y, call.PathBounds.Width,
                    call.PathBounds.Height);
      out += buffer;
    }
    if (call.Clipped) {
      std::snprintf(buffer, sizeof buffer, " clip=(%g,%g %gx%g)", call.ClipBounds.X,
                    call.ClipBounds.Y, call.ClipBounds.Width, call.ClipBounds.Height);
      out += buffer;
    }
    if (call.SmoothingMode >= 0) out += " smoothing=" + std::to_string(call.SmoothingMode);
    if (call.Status != Ok) out += " status=" + std::to_string(call.Status);
    out += "\n";
  }
  return out;
}

TGPCallLogScope::TGPCallLogScope(TGPCallLog& log) : FPrevious(gActiveLog) { gActiveLog = &log; }

TGPCallLogScope::~TGPCallLogScope() { gActiveLog = FPrevious; }

TGPCallLog* ActiveGPCallLog() { return gActiveLog; }
