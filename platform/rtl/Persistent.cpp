#include "platform/rtl/Persistent.h"

void TPersistent::Assign(TPersistent* source) {
  if (source) {
    source->AssignTo(this);
    return;
  }
  AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* dest) { dest->AssignError(this); }

void TPersistent::AssignError(TPersistent* source) {
  String sourceName = source ? source->ClassName() : String(u"nil");
  throw EConvertError(u"Cannot assign a " + sourceName + u" to a " + ClassName());
}
