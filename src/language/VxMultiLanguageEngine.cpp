#include "language/VxMultiLanguageEngine.h"

#include <windows.h>

#include <utility>

#include "language/VxMLSTDCTRLWrapper.h"
#include "notes/InternalProcs.h"
#include "notes/RegistryUnit.h"
#include "ui/Paths.h"
#include "ui/Types.h"

ELanguageError::ELanguageError(const std::wstring& message)
    : std::runtime_error(WideToUtf8(message)), message_(message) {}

// One INI file seen through the profile functions. It holds nothing but the path: the
// platform reads the file on each call and writes each change through at once.
class TVxMultiLanguage::TIniFile {
 public:
  explicit TIniFile(std::wstring fileName) : fileName_(std::move(fileName)) {}

  // The platform cuts a value to the buffer it is given, so a huge value in a damaged or
  // careless file costs nothing but its tail.
  std::wstring ReadString(const std::wstring& section, const std::wstring& key, const std::wstring& def) const {
    std::wstring buffer(kLanguageValueBufferSize, L'\0');
    DWORD n = GetPrivateProfileStringW(section.c_str(), key.c_str(), def.c_str(), buffer.data(),
                                       static_cast<DWORD>(buffer.size()), fileName_.c_str());
    buffer.resize(n < buffer.size() ? n : buffer.size() - 1);
    return buffer;
  }

  // Write failures are of no interest to anyone here: the text on screen is the same.
  void WriteString(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
    WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), fileName_.c_str());
  }

  // A key is present even when its value is empty, so this asks for the section's key list
  // instead of reading the value.
  bool ValueExists(const std::wstring& section, const std::wstring& key) const {
    std::vector<wchar_t> buffer(4096);
    DWORD n;
    for (;;) {
      n = GetPrivateProfileStringW(section.c_str(), nullptr, L"", buffer.data(), static_cast<DWORD>(buffer.size()),
                                   fileName_.c_str());
      // size - 2 means the list did not fit.
      if (n + 2 < buffer.size() || buffer.size() >= (1u << 24)) break;
      buffer.resize(buffer.size() * 2);
    }
    const wchar_t* p = buffer.data();
    const wchar_t* end = buffer.data() + n;
    while (p < end && *p) {
      std::wstring name(p);
      if (SameText(name, key)) return true;
      p += name.size() + 1;
    }
    return false;
  }

 private:
  std::wstring fileName_;
};

namespace {
// A value is one line in the file: a default text with line breaks (the message texts have
// them) would otherwise spill its tail into the file as stray lines.
std::wstring OneLine(std::wstring text) {
  for (wchar_t& c : text)
    if (c == L'\r' || c == L'\n') c = L' ';
  return text;
}

// The profile functions look for a bare file name in the Windows folder, so every path they
// see is made absolute first.
std::wstring FullPath(const std::wstring& fileName) {
  DWORD n = GetFullPathNameW(fileName.c_str(), 0, nullptr, nullptr);
  if (n == 0) return fileName;
  std::wstring full(n, L'\0');
  n = GetFullPathNameW(fileName.c_str(), n, full.data(), nullptr);
  if (n == 0 || n >= full.size()) return fileName;
  full.resize(n);
  return full;
}
}  // namespace

TVxMultiLanguage::TVxMultiLanguage() = default;
TVxMultiLanguage::~TVxMultiLanguage() = default;

bool TVxMultiLanguage::IsLoaded() const { return FIni != nullptr; }

void TVxMultiLanguage::LoadFromFile(const std::wstring& fileName) {
  if (!FileExists(fileName)) throw ELanguageFileOpenError(L"Cannot open language file:\n\r" + fileName);
  std::wstring full = FullPath(fileName);
  FIni = std::make_unique<TIniFile>(full);
  FFileName = full;
}

bool TVxMultiLanguage::KeyExists(const std::wstring& key) const {
  if (!IsLoaded()) return false;
  return FIni->ValueExists(kLanguageSectionPrefix + FSection, key);
}

std::wstring TVxMultiLanguage::GetString(const std::wstring& key, std::wstring defaultText) {
  if (!IsLoaded()) return defaultText;
  if (FSection.empty()) throw ELanguageError(L"Invalid Language Section: " + FSection);
  if (FMarkMissing) defaultText += kMissingMark;
  const std::wstring section = kLanguageSectionPrefix + FSection;
  std::wstring value = FIni->ReadString(section, key, L"");
  if (!value.empty()) return value;
  if (FMarkMissing) FIni->WriteString(section, key, OneLine(defaultText));
  return defaultText;
}

void TVxMultiLanguage::GetLanguageInfo(const std::wstring& fileName, std::vector<std::wstring>& lines) const {
  std::wstring name = fileName.empty() ? FFileName : fileName;
  if (name.empty() || !FileExists(name)) return;
  TIniFile ini(FullPath(name));
  const std::wstring info = L"info";
  std::wstring v = ini.ReadString(info, L"Language", L"");
  if (!v.empty()) lines.push_back(L"Language: " + v);
  v = ini.ReadString(info, L"author", L"");
  if (!v.empty()) lines.push_back(L"Author: " + v);
  v = ini.ReadString(info, L"author_web", L"");
  if (!v.empty()) lines.push_back(v);
  v = ini.ReadString(info, L"author_mail", L"");
  if (!v.empty()) lines.push_back(v);
  v = ini.ReadString(info, L"notes", L"");
  if (!v.empty()) {
    lines.push_back(L"Notes:");
    lines.push_back(v);
  }
}

TVxMultiLanguage* LanguageEngine = nullptr;

std::wstring LanguagesFolder() { return ExeFolder() + L"languages\\"; }

std::wstring LanguageFileName(const std::wstring& name) { return LanguagesFolder() + name + L".lng"; }

void InitLanguageEngine() {
  ReadLanguageSetting(LanguageName);
  delete LanguageWrapper;
  delete LanguageEngine;
  LanguageEngine = new TVxMultiLanguage;
  LanguageWrapper = new TVxMultiLanguageSTDWrp(LanguageEngine);
}

void LoadLanguage(const std::wstring& name) {
  if (!LanguageEngine || !IsPlainFileName(name)) return;
  const std::wstring fileName = LanguageFileName(name);
  if (!FileExists(fileName)) return;
  LanguageEngine->LoadFromFile(fileName);
  LanguageName = name;
}

void DoneLanguageEngine() {
  delete LanguageWrapper;
  LanguageWrapper = nullptr;
  delete LanguageEngine;
  LanguageEngine = nullptr;
}
