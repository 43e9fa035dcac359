#include "ui/Types.h"

#include <windows.h>

#include <utility>

std::wstring AnsiToWide(const std::string& s) {
  if (s.empty()) return {};
  int n = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring out(n, L'\0');
  MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
  return out;
}

std::string WideToAnsi(const std::wstring& s) {
  if (s.empty()) return {};
  int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr,
                              nullptr);
  std::string out(n, '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, s.data(), static_cast<int>(s.size()), out.data(), n, nullptr,
                      nullptr);
  return out;
}

bool TryWideToAnsi(const std::wstring& s, std::string& out) {
  BOOL lost = FALSE;
  if (!s.empty())
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr,
                        &lost);
  if (lost) return false;
  std::string bytes = WideToAnsi(s);
  // Some code pages give a character bytes that read back as another one without saying so.
  if (AnsiToWide(bytes) != s) return false;
  out = std::move(bytes);
  return true;
}

void ForEachAnsiChar(const std::wstring& s, const std::function<void(char32_t, std::string_view)>& each) {
  for (size_t i = 0; i < s.size(); ++i) {
    const int n = IS_HIGH_SURROGATE(s[i]) && i + 1 < s.size() && IS_LOW_SURROGATE(s[i + 1]) ? 2 : 1;
    const char32_t code = n == 2 ? 0x10000 + ((s[i] - 0xD800) << 10) + (s[i + 1] - 0xDC00) : s[i];
    char bytes[8];
    BOOL lost = FALSE;
    int k = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &s[i], n, bytes, sizeof bytes, nullptr, &lost);
    if (k > 0 && !lost) {
      wchar_t back[4];
      if (MultiByteToWideChar(CP_ACP, 0, bytes, k, back, 4) != n || wmemcmp(back, &s[i], n) != 0) k = 0;
    } else {
      k = 0;
    }
    each(code, std::string_view(bytes, k));
    i += n - 1;
  }
}

std::wstring ExceptionText(const char* what) {
  const std::string s = what ? what : "";
  if (s.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, s.data(), static_cast<int>(s.size()), nullptr, 0);
  return n > 0 ? Utf8ToWide(s) : AnsiToWide(s);
}

std::string WideToUtf8(const std::wstring& s) {
  if (s.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
  std::string out(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::wstring Utf8ToWide(const std::string& s) {
  if (s.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring out(n, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
  return out;
}

namespace {
template <class S>
S TrimT(const S& s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned>(s[b]) <= 32) ++b;
  while (e > b && static_cast<unsigned>(s[e - 1]) <= 32) --e;
  return s.substr(b, e - b);
}
}  // namespace

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= 32) ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32) --e;
  return s.substr(b, e - b);
}
std::wstring Trim(const std::wstring& s) { return TrimT(s); }

std::string UpperCase(const std::string& s) {
  std::string r = s;
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return r;
}

std::wstring UpperCase(const std::wstring& s) {
  std::wstring r = s;
  if (!r.empty()) CharUpperBuffW(r.data(), static_cast<DWORD>(r.size()));
  return r;
}

bool SameText(const std::wstring& a, const std::wstring& b) {
  return CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, a.c_str(), static_cast<int>(a.size()), b.c_str(),
                        static_cast<int>(b.size())) == CSTR_EQUAL;
}

namespace {
bool AffixAt(const std::wstring& text, const wchar_t* affix, bool atEnd) {
  const int n = lstrlenW(affix);
  if (static_cast<int>(text.size()) <= n) return false;
  const wchar_t* at = text.c_str() + (atEnd ? text.size() - n : 0);
  return CompareStringOrdinal(at, n, affix, n, TRUE) == CSTR_EQUAL;
}
}  // namespace

bool StartsText(const std::wstring& text, const wchar_t* affix) { return AffixAt(text, affix, false); }
bool EndsText(const std::wstring& text, const wchar_t* affix) { return AffixAt(text, affix, true); }
