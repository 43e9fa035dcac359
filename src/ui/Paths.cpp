#include "ui/Paths.h"

#include <windows.h>

namespace {
std::wstring g_exeFolderOverride;
}

void SetExeFolderOverride(const std::wstring& folder) {
  g_exeFolderOverride = folder.empty() ? folder : IncludeTrailingBackslash(folder);
}

std::wstring ExeFolder() {
  if (!g_exeFolderOverride.empty()) return g_exeFolderOverride;
  std::wstring buf(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n < buf.size()) {
      buf.resize(n);
      break;
    }
    buf.resize(buf.size() * 2);
  }
  return ExtractFilePath(buf);
}

bool FileExists(const std::wstring& path) {
  DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::wstring& path) {
  DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool ForceDirectories(const std::wstring& path) {
  std::wstring p = path;
  while (!p.empty() && (p.back() == L'\\' || p.back() == L'/')) p.pop_back();
  if (p.empty()) return false;
  if (DirectoryExists(p)) return true;
  std::wstring parent = ExtractFilePath(p);
  if (!parent.empty() && parent.size() < p.size() && parent.back() == L'\\' && parent != p + L"\\") {
    std::wstring trimmed = parent.substr(0, parent.size() - 1);
    if (!trimmed.empty() && trimmed.back() != L':' && !DirectoryExists(trimmed)) ForceDirectories(trimmed);
  }
  return CreateDirectoryW(p.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

std::wstring ExtractFileName(const std::wstring& path) {
  size_t pos = path.find_last_of(L"\\/:");
  return pos == std::wstring::npos ? path : path.substr(pos + 1);
}

std::wstring ExtractFilePath(const std::wstring& path) {
  size_t pos = path.find_last_of(L"\\/:");
  return pos == std::wstring::npos ? std::wstring() : path.substr(0, pos + 1);
}

std::wstring IncludeTrailingBackslash(const std::wstring& path) {
  if (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) return path;
  return path + L"\\";
}
