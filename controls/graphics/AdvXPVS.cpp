#include "controls/graphics/AdvXPVS.h"

namespace AdvXPVS {

const TThemeBinder& ThemeBinder() {
  static const TThemeBinder binder{false,
                                   &::OpenThemeData,
                                   &::CloseThemeData,
                                   &::DrawThemeBackground,
                                   &::IsThemeActive,
                                   &::IsAppThemed,
                                   &::GetCurrentThemeName};
  return binder;
}

}  // namespace AdvXPVS
