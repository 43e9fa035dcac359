#pragma once
// Reads the version number out of an executable's version resource.
#include <windows.h>

#include <string>

class TrsFileVersion {
 public:
  TrsFileVersion() { Clear(); }

  // Major, minor and release joined by points; empty when nothing was read.
  std::string Version;
  int Major = 0;
  int Minor = 0;
  int Release = 0;
  int Build = 0;

  bool LoadFromFile(const std::wstring& fileName);
  void Clear();
  // The raw reading of the file version; each destination is optional.
  static bool ReadVersionInfo(const std::wstring& fileName, int* major, int* build, int* release, int* minor);
};

// "1.2.3 Build: 45"; a file without version information gives " Build: 0", a failure "N.A.".
std::string GetFileVersionText(const std::wstring& fileName);
