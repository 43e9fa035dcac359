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
// Where the system finds the file or folder that path names, as a path ("\\?\C:\..."); empty
// when it cannot be opened. Opened as itself when it is a link, where the system can.
std::wstring FinalPath(const std::wstring& path) {
  HANDLE h = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) return {};
  std::wstring final(MAX_PATH, L'\0');
  DWORD n = GetFinalPathNameByHandleW(h, final.data(), static_cast<DWORD>(final.size()), VOLUME_NAME_DOS);
  if (n >= final.size()) {
    final.resize(n + 1);
    n = GetFinalPathNameByHandleW(h, final.data(), static_cast<DWORD>(final.size()), VOLUME_NAME_DOS);
  }
  CloseHandle(h);
  final.resize(n < final.size() ? n : 0);
  return final;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

// Removes the folder at path (whose own place is finalPath) with everything in it but links.
bool RemoveTree(const std::wstring& path, const std::wstring& finalPath, std::vector<std::wstring>& left) {
  bool all = true;
  WIN32_FIND_DATAW fd;
  HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &fd);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = fd.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring entry = path + L"\\" + name, entryFinal = FinalPath(entry);
      // A link stays, file or folder: what it points to is somebody else's. Where a link to a
      // file looks like the file itself (Wine), it shows by being found somewhere else; so does
      // anything that cannot be looked at, and is left alone.
      if ((fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || entryFinal.empty() ||
          !SamePath(entryFinal, finalPath + L"\\" + name)) {
        left.push_back(entry);
        all = false;
        continue;
      }
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesW(entry.c_str(), fd.dwFileAttributes & ~FILE_ATTRIBUTE_READONLY);
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        all = RemoveTree(entry, entryFinal, left) && all;
      } else if (!DeleteFileW(entry.c_str())) {
        left.push_back(entry);
        all = false;
      }
    } while (FindNextFileW(find, &fd));
    FindClose(find);
  }
  // A folder that stays because of what stays in it is not named again.
  if (RemoveDirectoryW(path.c_str())) return all;
  if (all) left.push_back(path);
  return false;
}
}  // namespace

bool RemoveFolderTree(const std::wstring& folder, std::vector<std::wstring>* left) {
  std::vector<std::wstring> own;
  std::vector<std::wstring>& stays = left ? *left : own;
  std::wstring path = folder;
  while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  if (path.empty()) return false;
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
  }
  // The folder itself a link (or no folder at all): nothing of it is ours to remove.
  const std::wstring finalPath = FinalPath(path);
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) || !(attributes & FILE_ATTRIBUTE_DIRECTORY) || finalPath.empty()) {
    stays.push_back(path);
    return false;
  }
  if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  return RemoveTree(path, finalPath, stays);
}

bool IsPlainFileName(const std::wstring& name) {
  // "." and ".." end in a dot; dots inside a name ("Ideas... later") are plain characters.
  if (name.empty() || name.size() > 240) return false;
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
  // COM and LPT with a digit, the superscript digits one to three included.
  return !(stem.size() == 4 && (stem.rfind(L"COM", 0) == 0 || stem.rfind(L"LPT", 0) == 0) &&
           ((stem[3] >= L'0' && stem[3] <= L'9') || wcschr(L"\u00B9\u00B2\u00B3", stem[3])));
}
