#include "shell/rsFileVersion.h"

#include <vector>

#include "ui/Types.h"

void TrsFileVersion::Clear() {
  Version.clear();
  Major = Minor = Release = Build = 0;
}

bool TrsFileVersion::ReadVersionInfo(const std::wstring& fileName, int* major, int* build, int* release,
                                     int* minor) {
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeW(fileName.c_str(), &handle);
  if (size == 0) return false;
  std::vector<char> buffer(size);
  if (!GetFileVersionInfoW(fileName.c_str(), handle, size, buffer.data())) return false;
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(buffer.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info) return false;
  if (major) *major = HIWORD(info->dwFileVersionMS);
  if (minor) *minor = LOWORD(info->dwFileVersionMS);
  if (release) *release = HIWORD(info->dwFileVersionLS);
  if (build) *build = LOWORD(info->dwFileVersionLS);
  return true;
}

bool TrsFileVersion::LoadFromFile(const std::wstring& fileName) {
  if (!ReadVersionInfo(fileName, &Major, &Build, &Release, &Minor)) {
    Clear();
    return false;
  }
  Version = std::to_string(Major) + "." + std::to_string(Minor) + "." + std::to_string(Release);
  return true;
}

std::string GetFileVersionText(const std::wstring& fileName) {
  try {
    TrsFileVersion reader;
    reader.LoadFromFile(fileName);
    return reader.Version + " Build: " + std::to_string(reader.Build);
  } catch (...) {
    return "N.A.";
  }
}
