// The visual-styles binder of the whole component library: one table of the theme functions the
// controls call, bound once. No visual-styles library exists on this platform, so the table is
// not loaded and every entry answers as a desktop without a theme does (no theme active, no theme
// data, drawing through a theme fails); no entry is ever null, so no caller can reach a null
// function. A caller that needs another theme function adds its entry here the same way.
#pragma once

#include <cstdint>

#include "platform/rtl/Types.h"
#include "platform/win/PlatformInfo.h"

namespace AdvXPVS {

struct TThemeBinder {
  bool Loaded;
  HTHEME (*OpenThemeData)(HWND window, const String& classList);
  int32_t (*CloseThemeData)(HTHEME theme);
  int32_t (*DrawThemeBackground)(HTHEME theme, HDC dc, int32_t partId, int32_t stateId,
                                 const TRect* rect, const TRect* clipRect);
  bool (*IsThemeActive)();
  bool (*IsAppThemed)();
  String (*GetCurrentThemeName)();
};

// The process's binder.
const TThemeBinder& ThemeBinder();

}  // namespace AdvXPVS
