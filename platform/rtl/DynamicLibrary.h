// A shared library loaded at run time. Back ends that stand on an optional system library load it
// when first needed, so a machine without it runs everything else.
#pragma once

#include "platform/rtl/Types.h"

class TDynamicLibrary {
 public:
  TDynamicLibrary() = default;
  ~TDynamicLibrary() { Unload(); }
  TDynamicLibrary(const TDynamicLibrary&) = delete;
  TDynamicLibrary& operator=(const TDynamicLibrary&) = delete;

  // Loads the file by name through the system's library search; false when it cannot be loaded,
  // with LoadErrorText() saying why. A loaded library stays as it is.
  bool Load(const AnsiString& fileName);
  void Unload();
  bool IsLoaded() const { return FHandle != nullptr; }

  // Whether a library of the program's global scope (linked in, or loaded for all) exports the
  // symbol. A library loaded here binds its own exported names to such a definition first.
  static bool GlobalSymbol(const char* name);

  // The exported symbol's address, or nil when the library lacks it.
  void* Symbol(const char* name) const;
  template <class F>
  F* Function(const char* name) const {
    return reinterpret_cast<F*>(Symbol(name));
  }

  // The loader's message for the last failed Load, and an operating-system error code for it
  // (ENOENT when the file was not found, ENOEXEC when it is not a loadable library).
  const AnsiString& LoadErrorText() const { return FLoadErrorText; }
  int LoadError() const { return FLoadError; }

 private:
  void* FHandle = nullptr;
  AnsiString FLoadErrorText;
  int FLoadError = 0;
};
