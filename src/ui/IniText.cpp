#include "ui/IniText.h"

#include "ui/FileIO.h"
#include "ui/Types.h"

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::wstring TrimBlanks(const std::wstring& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

// Ordinal, as the profile functions match section and key names.
bool SameIniName(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

bool Quoted(const std::wstring& v) {
  return v.size() >= 2 && (v.front() == L'"' || v.front() == L'\'') && v.back() == v.front();
}

const TIniKey* FindKey(const TIniSection& section, const std::wstring& key) {
  for (const TIniKey& k : section.Keys)
    if (SameIniName(k.Name, key)) return &k;
  return nullptr;
}

// False when a byte cannot be read in that code page (flags MB_ERR_INVALID_CHARS).
bool Widen(const std::uint8_t* p, std::size_t n, UINT codePage, DWORD flags, std::wstring& out) {
  out.clear();
  if (n == 0) return true;
  int len = MultiByteToWideChar(codePage, flags, reinterpret_cast<const char*>(p), static_cast<int>(n), nullptr, 0);
  if (len <= 0) return false;
  out.resize(static_cast<std::size_t>(len));
  MultiByteToWideChar(codePage, flags, reinterpret_cast<const char*>(p), static_cast<int>(n), out.data(), len);
  return true;
}

std::wstring Widen(const std::uint8_t* p, std::size_t n, UINT codePage) {
  std::wstring out;
  Widen(p, n, codePage, 0, out);
  return out;
}

bool StartsWith(const std::vector<std::uint8_t>& b, std::initializer_list<std::uint8_t> mark) {
  if (b.size() < mark.size()) return false;
  std::size_t i = 0;
  for (std::uint8_t m : mark)
    if (b[i++] != m) return false;
  return true;
}

}  // namespace

std::wstring TIniSection::Read(const std::wstring& key, const std::wstring& def) const {
  const TIniKey* k = FindKey(*this, key);
  if (!k) return def;
  std::wstring v = TrimBlanks(k->Value);
  if (Quoted(v)) v = v.substr(1, v.size() - 2);
  return v;
}

bool TIniSection::Has(const std::wstring& key) const { return FindKey(*this, key) != nullptr; }

const TIniSection* TIniText::Find(const std::wstring& name) const {
  for (const TIniSection& s : Sections)
    if (SameIniName(s.Name, name)) return &s;
  return nullptr;
}

TIniText ParseIniText(const std::wstring& text) {
  TIniText ini;
  TIniSection* current = nullptr;
  // Scanned by pointer and bounded by the line: a file of many sections is read in one pass.
  const wchar_t* const t = text.data();
  const std::size_t n = text.size();
  std::size_t pos = 0;
  while (pos < n) {
    std::size_t end = pos;
    while (end < n && t[end] != L'\r' && t[end] != L'\n') ++end;
    std::size_t b = pos;
    while (b < end && IsBlank(t[b])) ++b;
    if (b < end && t[b] == L'[') {
      std::size_t close = b + 1;
      while (close < end && t[close] != L']') ++close;
      current = &ini.Sections.emplace_back();
      current->Name.assign(t + b + 1, close - b - 1);
      ini.SawSectionLine = true;
    } else if (b < end && t[b] != L';' && current) {
      std::size_t eq = b;
      while (eq < end && t[eq] != L'=') ++eq;
      std::size_t e = eq;
      while (e > b && IsBlank(t[e - 1])) --e;
      TIniKey& key = current->Keys.emplace_back();
      key.Name.assign(t + b, e - b);
      if (eq < end) key.Value.assign(t + eq + 1, end - eq - 1);
    }
    pos = end;
    if (pos < n && t[pos] == L'\r') ++pos;
    if (pos < n && t[pos] == L'\n') ++pos;
  }
  return ini;
}

std::wstring DecodeIniBytes(const std::vector<std::uint8_t>& bytes, TIniEncoding& encoding) {
  if (StartsWith(bytes, {0xFF, 0xFE})) {
    encoding = TIniEncoding::Utf16;
    std::wstring out((bytes.size() - 2) / 2, L'\0');
    for (std::size_t i = 0; i < out.size(); ++i)
      out[i] = static_cast<wchar_t>(bytes[2 + 2 * i] | (bytes[3 + 2 * i] << 8));
    return out;
  }
  std::wstring text;
  // A byte that is not UTF-8 after the mark would become U+FFFD and be lost at the next save:
  // such a file is read byte for byte in the ANSI code page instead, which writes it back as it was.
  if (StartsWith(bytes, {0xEF, 0xBB, 0xBF}) &&
      Widen(bytes.data() + 3, bytes.size() - 3, CP_UTF8, MB_ERR_INVALID_CHARS, text)) {
    encoding = TIniEncoding::Utf8;
    return text;
  }
  encoding = TIniEncoding::Ansi;
  return Widen(bytes.data(), bytes.size(), CP_ACP);
}

bool LooksLikeText(const std::vector<std::uint8_t>& bytes) {
  if (StartsWith(bytes, {0xFF, 0xFE})) {
    if (bytes.size() % 2) return false;
    for (std::size_t i = 2; i < bytes.size(); i += 2)
      if (bytes[i] == 0 && bytes[i + 1] == 0) return false;
    return true;
  }
  for (std::uint8_t b : bytes)
    if (b == 0) return false;
  return true;
}

// Appended piece by piece: a file of many sections is written without a temporary per line.
void TIniWriter::Section(const std::wstring& name) { FText.append(L"[").append(name).append(L"]\r\n"); }

void TIniWriter::Key(const std::wstring& name, const std::wstring& value) {
  // A line break becomes a blank, so it counts as one at the ends.
  auto blank = [](wchar_t c) { return IsBlank(c) || c == L'\r' || c == L'\n'; };
  const bool quote = !value.empty() && (blank(value.front()) || blank(value.back()) || Quoted(value));
  FText.append(name).append(L"=");
  if (quote) FText.push_back(L'"');
  const std::size_t start = FText.size();
  FText.append(value);
  for (wchar_t *p = FText.data() + start, *end = FText.data() + FText.size(); p < end; ++p)
    if (*p == L'\r' || *p == L'\n') *p = L' ';
  if (quote) FText.push_back(L'"');
  FText.append(L"\r\n");
}

std::vector<std::uint8_t> EncodeIniText(const std::wstring& text) {
  if (std::string ansi; TryWideToAnsi(text, ansi)) return {ansi.begin(), ansi.end()};
  std::vector<std::uint8_t> out{0xFF, 0xFE};
  out.reserve(2 + text.size() * 2);
  for (wchar_t c : text) {
    out.push_back(static_cast<std::uint8_t>(c & 0xFF));
    out.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  return out;
}

TIniLoad LoadIniFile(const std::wstring& fileName, TIniText& ini, DWORD* error) {
  std::vector<std::uint8_t> bytes;
  if (!ReadWholeFile(fileName, bytes)) {
    const DWORD e = GetLastError();
    if (error) *error = e;
    return e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND ? TIniLoad::Missing : TIniLoad::Unreadable;
  }
  if (!LooksLikeText(bytes)) return TIniLoad::NotText;
  TIniEncoding encoding;
  ini = ParseIniText(DecodeIniBytes(bytes, encoding));
  ini.Encoding = encoding;
  return TIniLoad::Ok;
}

DWORD SaveIniFile(const std::wstring& fileName, const std::wstring& text) {
  return WriteFileReplacing(fileName, EncodeIniText(text));
}
