// The platform's fixed answers to the questions components ask about the system they run on.
// They are decided once for the whole program and kept here, so a component never guesses.
#pragma once

#include <cstdint>

#include "platform/rtl/Types.h"
#include "platform/win/WinDefs.h"

namespace PlatformInfo {

// No visual-style theme is ever active: components draw their classic look.
constexpr bool ThemesActive = false;
constexpr bool ThemesAvailable = false;

// The Windows version probes answer "Vista or later" (and so "XP or later"): version 6.1.
constexpr uint32_t WindowsMajorVersion = 6;
constexpr uint32_t WindowsMinorVersion = 1;
constexpr bool IsWinXPOrLater = true;
constexpr bool IsVistaOrLater = true;

// The common-controls library reports version 6.
constexpr uint32_t ComCtlMajorVersion = 6;
constexpr uint32_t ComCtlMinorVersion = 0;

// No Office colour scheme is installed: the registry keys that name one are absent, so
// components that adapt to it keep their own colours.
constexpr bool OfficeColorSchemeInstalled = false;

// The system locale is neither a Middle-East one (no right-to-left text mirroring) nor a
// Far-East one.
constexpr bool MiddleEastLocale = false;
constexpr bool FarEastLocale = false;

// The name of the module every window class belongs to.
inline const char16_t* ModuleName() { return u"AssociationRecords"; }

// The common-controls version packed as the version probes read it (major in the high word).
constexpr uint32_t ComCtlVersion = (ComCtlMajorVersion << 16) | ComCtlMinorVersion;

}  // namespace PlatformInfo

// The visual-style calls components make, with the answers of a desktop that runs no theme: no
// theme is active, no theme data opens, and drawing through a theme fails, so the classic look
// is drawn instead.
using HTHEME = struct TThemeTag*;
inline bool IsThemeActive() { return PlatformInfo::ThemesActive; }
inline bool IsAppThemed() { return PlatformInfo::ThemesActive; }
inline HTHEME OpenThemeData(HWND, const String&) { return nullptr; }
inline int32_t CloseThemeData(HTHEME) { return 0; }
inline String GetCurrentThemeName() { return String(); }
// Drawing through a theme fails (E_FAIL), so the caller draws the classic look.
inline int32_t DrawThemeBackground(HTHEME, HDC, int32_t /*partId*/, int32_t /*stateId*/,
                                   const TRect* /*rect*/, const TRect* /*clipRect*/) {
  return static_cast<int32_t>(0x80004005);
}
