// The per-user settings store that stands in for the desktop registry:
// $XDG_CONFIG_HOME/vorda/registry.ini (default ~/.config/vorda/registry.ini),
// one section per key path and typed values:
//
//   [software\Vorda\Options]
//   Assist="Y"
//   Count=dword:0000000a
//
// Key paths and value names are compared without regard to ASCII case. Every
// call reads the file afresh and every change rewrites it atomically, so two
// processes see each other's changes.
#pragma once

#include <cstdint>
#include <vector>

#include "SysUtils.h"

class ERegistryException : public Exception { using Exception::Exception; };

// Root keys. Only the current user's root exists in this store.
enum class THKey : uint32_t { CurrentUser = 0x80000001u };
inline constexpr THKey HKEY_CURRENT_USER = THKey::CurrentUser;

enum TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

// The file the store lives in; its folder is created on the first write.
AnsiString SettingsFileName();

// Access to one key of the store at a time, after the manner of the
// platform's registry object: open a key, then read and write its values.
class TRegistry {
public:
  TRegistry() = default;

  THKey RootKey() const { return FRootKey; }
  // Raises ERegistryException for a root other than the current user's.
  void SetRootKey(THKey key);

  // A path beginning with '\' is taken from the root, otherwise below the
  // open key. Answers false when the key is missing and canCreate is false.
  bool OpenKey(const AnsiString& key, bool canCreate);
  bool OpenKeyReadOnly(const AnsiString& key);
  void CloseKey();
  // The open key's path from the root, without leading '\'; empty when closed.
  const AnsiString& CurrentPath() const { return FCurrentPath; }

  bool KeyExists(const AnsiString& key) const;
  // Removes the key with all its values and subkeys.
  bool DeleteKey(const AnsiString& key);
  // Names of the direct subkeys and of the values of the open key.
  std::vector<AnsiString> GetKeyNames() const;
  std::vector<AnsiString> GetValueNames() const;

  bool ValueExists(const AnsiString& name) const;
  // rdUnknown when the value does not exist.
  TRegDataType GetDataType(const AnsiString& name) const;

  // A missing string reads as empty. Reading a value of another type raises
  // ERegistryException "Invalid data type for '%s'"; a missing integer
  // "Failed to get data for '%s'".
  AnsiString ReadString(const AnsiString& name) const;
  int32_t ReadInteger(const AnsiString& name) const;
  bool ReadBool(const AnsiString& name) const { return ReadInteger(name) != 0; }
  // Raise ERegistryException "Failed to set data for '%s'" when no key is
  // open, the key is read-only or the file cannot be written.
  void WriteString(const AnsiString& name, const AnsiString& value);
  void WriteInteger(const AnsiString& name, int32_t value);
  void WriteBool(const AnsiString& name, bool value) { WriteInteger(name, value ? 1 : 0); }
  bool DeleteValue(const AnsiString& name);

private:
  AnsiString ResolvePath(const AnsiString& key) const;
  void CheckWritable(const AnsiString& name) const;
  THKey FRootKey = HKEY_CURRENT_USER;
  AnsiString FCurrentPath;
  bool FOpen = false;
  bool FReadOnly = false;
};
