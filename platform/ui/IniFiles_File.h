// Whole-file reads and crash-safe replacement of settings files, shared by the INI files and the
// registry store. Paths are 8-bit (UTF-8) file-system names.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/rtl/Types.h"

namespace settingsfile {

enum class TReadResult { Read, Missing, Failed };

// Reads the whole file into bytes. Missing: there is no such file; Failed: it exists but could
// not be read (error holds errno).
TReadResult ReadWholeFile(const std::string& path, std::string& bytes, int& error);

// Replaces the file's content with bytes so that a crash at any moment leaves either the old or
// the new content: a temporary file in the same folder is written and synced, then renamed over
// the file, and the folder is synced. A symbolic link is followed, so the link survives. A new
// file gets the permission bits `rights` (before the umask); a replaced one keeps its own.
// beforeReplace, when set, runs between the sync of the temporary file and the rename (a seam for
// tests that simulate a crash there). Returns false with errno in error when it failed; the old
// file is then untouched.
bool ReplaceFile(const std::string& path, std::string_view bytes, unsigned rights, int& error,
                 const std::function<void()>& beforeReplace = {});

// The prefix of the temporary files ReplaceFile makes for path ("<path>.tmp."): a writer that holds
// the file's lock may delete leftovers that carry it.
std::string TemporaryPrefix(const std::string& path);

// The path made absolute against the current directory (unchanged when it already is).
std::string AbsolutePath(const std::string& path);

// The system's text for an errno value.
String SystemErrorText(int error);

}  // namespace settingsfile
