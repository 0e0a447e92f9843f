#include "platform/rtl/DynamicLibrary.h"

#include <dlfcn.h>

#include <cerrno>

bool TDynamicLibrary::Load(const AnsiString& fileName) {
  if (FHandle) return true;
  dlerror();
  FHandle = dlopen(fileName.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (FHandle) {
    FLoadErrorText.clear();
    FLoadError = 0;
    return true;
  }
  const char* why = dlerror();
  FLoadErrorText = why ? AnsiString(why) : fileName;
  // dlopen keeps no errno of its own; its message tells a missing file from a bad one.
  FLoadError = FLoadErrorText.find("No such file") != AnsiString::npos ? ENOENT : ENOEXEC;
  return false;
}

void TDynamicLibrary::Unload() {
  if (!FHandle) return;
  dlclose(FHandle);
  FHandle = nullptr;
}

void* TDynamicLibrary::Symbol(const char* name) const {
  if (!FHandle) return nullptr;
  return dlsym(FHandle, name);
}

bool TDynamicLibrary::GlobalSymbol(const char* name) {
  return dlsym(RTLD_DEFAULT, name) != nullptr;
}
