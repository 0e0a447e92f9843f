// The registry's tree in memory, its text format, and the store file that keeps it.
//
// The store is a UTF-8 text file, one item a line:
//
//   association-records registry 1
//   key "HKEY_CURRENT_USER" "Software" "Zavel"
//   value "Server" string "localhost"
//   value "Count" dword 3
//   value "Window" binary hex:0A00FF
//   value "Odd" type-11 hex:0100000000000000
//   end
//
// The first line names the format and its version. A "key" line names a key by its full path,
// the root first (HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS or
// HKEY_CURRENT_CONFIG); the "value" lines after it belong to it: a name, a type and the data.
// Types: "string" and "expand-string" (text), "dword" (a decimal number up to 4294967295),
// "binary" (hexadecimal bytes after "hex:"), and "type-N" for any other type number N with
// hexadecimal bytes. Names and texts are in double quotes; inside them \\ \" \n \r \t stand for
// themselves and \uXXXX for any other UTF-16 code unit (control characters and unpaired
// surrogates are written so). Blank lines and lines starting with "#" are ignored. The last line
// is "end": a store without it was cut short and counts as damaged, as does any line that does not
// follow these rules.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/rtl/Types.h"

struct TRegValueData {
  String Name;
  String Key;  // the name as matched (upper case)
  uint32_t Type = 0;
  TBytes Data;
};

struct TRegKeyNode {
  String Name;
  String Key;                         // the name as matched (upper case)
  std::vector<TRegValueData> Values;  // in the order they were made
  std::vector<TRegKeyNode> SubKeys;   // ordered by Key

  TRegKeyNode* FindSubKey(const String& name);
  const TRegKeyNode* FindSubKey(const String& name) const;
  TRegKeyNode* AddSubKey(const String& name);  // the existing one when there is one
  bool DeleteSubKey(const String& name);
  const TRegValueData* FindValue(const String& name) const;
  void SetValue(const String& name, uint32_t type, TBytes data);
  bool DeleteValue(const String& name);
};

// The whole registry: the predefined roots, each a key. A path names a key from its root:
// {"HKEY_CURRENT_USER", "Software", "Zavel"}.
class TRegTree {
 public:
  TRegTree();
  static bool IsRootName(const String& name);
  // nullptr when the key (or its root) does not exist.
  TRegKeyNode* Find(const std::vector<String>& path);
  const TRegKeyNode* Find(const std::vector<String>& path) const;
  // Creates the key and those above it; nullptr for an unknown root.
  TRegKeyNode* Create(const std::vector<String>& path);
  // Deletes a key below a root with everything in it; roots cannot be deleted.
  bool Delete(const std::vector<String>& path);
  const std::vector<TRegKeyNode>& Roots() const { return FRoots; }

 private:
  std::vector<TRegKeyNode> FRoots;
};

// Case-insensitive matching of key and value names.
String RegistryNameKey(const String& name);
// String data as the string types hold it: UTF-16 code units, little-endian, and a zero unit.
TBytes RegistryStringData(const String& text);
// The text of string data, up to its first zero unit.
String RegistryDataString(const TBytes& data);

std::string FormatRegistryStore(const TRegTree& tree);
// Parses the store's text into tree; false with a description of the first fault (its line and
// what is wrong) in problem.
bool ParseRegistryStore(std::string_view text, TRegTree& tree, String& problem);

// The store's file name in its folder.
inline constexpr char kRegistryStoreName[] = "store";

// The store file of one folder. Reading needs no lock (the file is only ever replaced whole);
// changing it takes the folder's lock file for the whole read-modify-write.
class TRegistryStore {
 public:
  explicit TRegistryStore(std::string folder) : FFolder(std::move(folder)) {}
  // $XDG_CONFIG_HOME, else $HOME/.config, then "association-records/registry"; empty when neither
  // variable is set.
  static std::string DefaultFolder();

  const std::string& Folder() const { return FFolder; }
  std::string FileName() const;
  // Reads the tree as the store holds it now (a missing store or folder is an empty tree).
  // ERegistryStoreDamaged when it cannot be parsed, ERegistryException when it cannot be read.
  void Load(TRegTree& tree) const;
  // Under the lock: loads the tree, runs change and writes the store back when change returns
  // true. False when the store could not be written (the folder, the lock or the file); a damaged
  // store raises ERegistryStoreDamaged and is not written.
  bool Change(const std::function<bool(TRegTree& tree)>& change);
  // Under the lock: a damaged store is renamed to "store.damaged-YYYYMMDD-HHMMSS" and the new
  // name returned; otherwise nothing happens and the answer is empty.
  std::string SetAsideDamaged();
  // Makes the folder (and those above it) when it is missing.
  bool EnsureFolder() const;

  // Runs after the new store is written and synced, before it replaces the old one: a seam for
  // tests that simulate a crash at that moment.
  std::function<void()> BeforeReplace;

 private:
  std::string FFolder;
};
