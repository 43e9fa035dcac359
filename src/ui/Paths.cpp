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

namespace {
// Removes one entry of a folder being removed, with the attributes its listing gave.
bool RemoveEntry(const std::wstring& path, DWORD attributes) {
  // A link (symbolic link, junction, mount point) goes itself, file or folder: what it points
  // to is somebody else's and is never entered.
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectoryW(path.c_str()) : DeleteFileW(path.c_str());
  if (attributes & FILE_ATTRIBUTE_READONLY)
    SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return DeleteFileW(path.c_str());
  bool all = true;
  WIN32_FIND_DATAW fd;
  HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &fd);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = fd.cFileName;
      if (name != L"." && name != L"..") all = RemoveEntry(path + L"\\" + name, fd.dwFileAttributes) && all;
    } while (FindNextFileW(find, &fd));
    FindClose(find);
  }
  return RemoveDirectoryW(path.c_str()) && all;
}
}  // namespace

bool RemoveFolderTree(const std::wstring& folder) {
  std::wstring path = folder;
  while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  if (path.empty()) return false;
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
  }
  return RemoveEntry(path, attributes);
}

bool IsPlainFileName(const std::wstring& name) {
  if (name.empty() || name.size() > 240 || name.find(L"..") != std::wstring::npos) return false;
  for (wchar_t c : name)
    if (c < 32 || wcschr(L"\\/:*?\"<>|", c)) return false;
  // The system drops dots and blanks at the end, and some names are devices in any folder.
  if (name.back() == L'.' || name.back() == L' ') return false;
  std::wstring stem = name.substr(0, name.find(L'.'));
  while (!stem.empty() && stem.back() == L' ') stem.pop_back();
  for (wchar_t& c : stem)
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"})
    if (stem == device) return false;
  return !(stem.size() == 4 && (stem.rfind(L"COM", 0) == 0 || stem.rfind(L"LPT", 0) == 0) && stem[3] >= L'0' &&
           stem[3] <= L'9');
}
