#include "platform/rtl/ZLib.h"

int CCheck(int status) {
  if (status < 0) throw ECompressionError(u"Error");
  return status;
}

int DCheck(int status) {
  if (status < 0) throw EDecompressionError(u"Error");
  return status;
}
