// Field descriptors, their list, shared objects and the unit's process-wide hooks.
#include <string>

#include "Common/MemData_Types.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/TextCompare.h"
#include "platform/rtl/UnicodeText.h"

TProcedure StartWaitProc = nullptr;
TProcedure StopWaitProc = nullptr;
TGetApplicationNameProc ApplicationNameProc = nullptr;

void StartWait() {
  if (StartWaitProc) StartWaitProc();
}

void StopWait() {
  if (StopWaitProc) StopWaitProc();
}

String GetApplicationName() { return ApplicationNameProc ? ApplicationNameProc() : String(); }

void TSharedObject::Free() {
  RTL_ASSERT(FRefCount > 0, S(std::string(ClassName()) + ".Free RefCount = " +
                              std::to_string(FRefCount)));
  if (FRefCount == 1)
    delete this;
  else
    --FRefCount;
}

TFieldDesc::~TFieldDesc() { TSharedObject::Release(FObjectType); }

void TFieldDesc::SetObjectType(TSharedObject* v) {
  if (v == FObjectType) return;
  if (v) v->AddRef();
  TSharedObject::Release(FObjectType);
  FObjectType = v;
}

void TFieldDescs::Clear() {
  for (TFieldDesc* field : FItems) delete field;
  FItems.clear();
}

TFieldDesc* TFieldDescs::FindField(const String& name) const {
  for (TFieldDesc* field : FItems)
    if (!field->HasParent() && AnsiSameText(field->Name(), name)) return field;
  // A path ("ADDR.CITY", "PHONES[1]") names a sub-field by its source path only.
  const bool isPath = name.find_first_of(u".[") != String::npos;
  for (TFieldDesc* field : FItems) {
    if (isPath) {
      if (AnsiSameText(field->SourceName(), name)) return field;
    } else if (field->HasParent() && AnsiSameText(field->Name(), name)) {
      return field;
    }
  }
  return nullptr;
}

TFieldDesc* TFieldDescs::FieldByName(const String& name) const {
  TFieldDesc* field = FindField(name);
  if (!field) throw Exception(u"Field " + name + u" not found");
  return field;
}
