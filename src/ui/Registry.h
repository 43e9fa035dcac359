#pragma once
// A thin object over one open registry key under HKEY_CURRENT_USER. Reads of a missing value
// or of a value of the wrong type throw ERegistryError, so that a loader can stop at the
// first bad value with one guarded block.
#include <windows.h>

#include <cstdint>
#include <stdexcept>
#include <string>

class ERegistryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TRegistry {
 public:
  explicit TRegistry(HKEY root = HKEY_CURRENT_USER) : root_(root) {}
  ~TRegistry() { CloseKey(); }
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  // Key paths may start with a backslash; they are always relative to the root.
  bool OpenKey(const std::wstring& path, bool canCreate);
  bool KeyExists(const std::wstring& path) const;
  void CloseKey();
  bool ValueExists(const std::wstring& name) const;
  bool DeleteValue(const std::wstring& name);

  std::int32_t ReadInteger(const std::wstring& name) const;
  bool ReadBool(const std::wstring& name) const { return ReadInteger(name) != 0; }
  std::wstring ReadString(const std::wstring& name) const;
  // Copies the value into buffer; throws when the value is longer than size or not binary.
  std::size_t ReadBinaryData(const std::wstring& name, void* buffer, std::size_t size) const;

  void WriteInteger(const std::wstring& name, std::int32_t value);
  void WriteBool(const std::wstring& name, bool value) { WriteInteger(name, value ? 1 : 0); }
  void WriteString(const std::wstring& name, const std::wstring& value);
  void WriteBinaryData(const std::wstring& name, const void* data, std::size_t size);

  // Removes a key with everything below it (tests and uninstall).
  static bool DeleteKeyTree(HKEY root, const std::wstring& path);

 private:
  HKEY root_;
  HKEY key_ = nullptr;
  DWORD TypeOf(const std::wstring& name, DWORD* size) const;
};
