// The layered-window calls the grid's drag images and focus frames use. The window layer always
// has them, so each is called directly and its own answer returned.
#include "controls/grid/AdvUtil.h"
#include "platform/win/WinApi.h"

namespace AdvUtil {

bool CallUpdateLayeredWindow(HWND window, HDC dst, const TPoint* dstPos, const TSize* size,
                             HDC src, const TPoint* srcPos, COLORREF key,
                             const BLENDFUNCTION* blend, DWORD flags) {
  return UpdateLayeredWindow(window, dst, dstPos, size, src, srcPos, key, blend, flags);
}

bool CallSetLayeredWindowAttributes(HWND window, COLORREF key, BYTE alpha, DWORD flags) {
  return SetLayeredWindowAttributes(window, key, alpha, flags);
}

}  // namespace AdvUtil
