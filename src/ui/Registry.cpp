#include "ui/Registry.h"

#include <vector>

namespace {
std::wstring Relative(const std::wstring& path) {
  size_t b = 0;
  while (b < path.size() && path[b] == L'\\') ++b;
  return path.substr(b);
}
std::string Narrow(const std::wstring& s) {
  std::string r;
  for (wchar_t c : s) r += (c < 128) ? static_cast<char>(c) : '?';
  return r;
}
}  // namespace

bool TRegistry::OpenKey(const std::wstring& path, bool canCreate) {
  CloseKey();
  std::wstring rel = Relative(path);
  LONG rc;
  if (canCreate)
    rc = RegCreateKeyExW(root_, rel.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key_, nullptr);
  else
    rc = RegOpenKeyExW(root_, rel.c_str(), 0, KEY_READ | KEY_WRITE, &key_);
  if (rc != ERROR_SUCCESS) key_ = nullptr;
  return rc == ERROR_SUCCESS;
}

bool TRegistry::KeyExists(const std::wstring& path) const {
  HKEY k;
  if (RegOpenKeyExW(root_, Relative(path).c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
  RegCloseKey(k);
  return true;
}

void TRegistry::CloseKey() {
  if (key_) RegCloseKey(key_);
  key_ = nullptr;
}

DWORD TRegistry::TypeOf(const std::wstring& name, DWORD* size) const {
  DWORD type = REG_NONE, sz = 0;
  if (!key_ || RegQueryValueExW(key_, name.c_str(), nullptr, &type, nullptr, &sz) != ERROR_SUCCESS)
    throw ERegistryError("Registry value " + Narrow(name) + " not found");
  if (size) *size = sz;
  return type;
}

bool TRegistry::ValueExists(const std::wstring& name) const {
  return key_ && RegQueryValueExW(key_, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool TRegistry::DeleteValue(const std::wstring& name) {
  return key_ && RegDeleteValueW(key_, name.c_str()) == ERROR_SUCCESS;
}

std::int32_t TRegistry::ReadInteger(const std::wstring& name) const {
  DWORD size = 0;
  if (TypeOf(name, &size) != REG_DWORD || size != sizeof(DWORD))
    throw ERegistryError("Invalid data type for " + Narrow(name));
  DWORD v = 0, sz = sizeof v;
  RegQueryValueExW(key_, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &sz);
  return static_cast<std::int32_t>(v);
}

std::wstring TRegistry::ReadString(const std::wstring& name) const {
  DWORD size = 0;
  DWORD type = TypeOf(name, &size);
  if (type != REG_SZ && type != REG_EXPAND_SZ) throw ERegistryError("Invalid data type for " + Narrow(name));
  std::vector<wchar_t> buf(size / sizeof(wchar_t) + 2, L'\0');
  DWORD sz = static_cast<DWORD>(buf.size() * sizeof(wchar_t));
  if (RegQueryValueExW(key_, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(buf.data()), &sz) !=
      ERROR_SUCCESS)
    throw ERegistryError("Cannot read " + Narrow(name));
  std::wstring s(buf.data(), sz / sizeof(wchar_t));
  while (!s.empty() && s.back() == L'\0') s.pop_back();
  return s;
}

std::size_t TRegistry::ReadBinaryData(const std::wstring& name, void* buffer, std::size_t size) const {
  DWORD sz = 0;
  if (TypeOf(name, &sz) != REG_BINARY || sz > size) throw ERegistryError("Invalid data type for " + Narrow(name));
  DWORD got = static_cast<DWORD>(size);
  if (RegQueryValueExW(key_, name.c_str(), nullptr, nullptr, static_cast<BYTE*>(buffer), &got) != ERROR_SUCCESS)
    throw ERegistryError("Cannot read " + Narrow(name));
  return got;
}

void TRegistry::WriteInteger(const std::wstring& name, std::int32_t value) {
  DWORD v = static_cast<DWORD>(value);
  if (!key_ || RegSetValueExW(key_, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v) !=
                   ERROR_SUCCESS)
    throw ERegistryError("Failed to set data for " + Narrow(name));
}

void TRegistry::WriteString(const std::wstring& name, const std::wstring& value) {
  DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
  if (!key_ || RegSetValueExW(key_, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes) !=
                   ERROR_SUCCESS)
    throw ERegistryError("Failed to set data for " + Narrow(name));
}

void TRegistry::WriteBinaryData(const std::wstring& name, const void* data, std::size_t size) {
  if (!key_ || RegSetValueExW(key_, name.c_str(), 0, REG_BINARY, static_cast<const BYTE*>(data),
                              static_cast<DWORD>(size)) != ERROR_SUCCESS)
    throw ERegistryError("Failed to set data for " + Narrow(name));
}

bool TRegistry::DeleteKeyTree(HKEY root, const std::wstring& path) {
  LONG rc = RegDeleteTreeW(root, Relative(path).c_str());
  if (rc == ERROR_SUCCESS) RegDeleteKeyW(root, Relative(path).c_str());
  return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}
