#pragma once
// INI text read from its own lines and written the way the platform's profile functions lay it
// out. The profile functions themselves cut long values, merge sections that repeat a name and
// stop listing sections after a fixed buffer; the events file and the to-do projects go through
// here instead, so nothing in them is lost on a read and written back.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct TIniKey {
  std::wstring Name;
  std::wstring Value;  // as it stands after the '=', not yet trimmed or unquoted
};

struct TIniSection {
  std::wstring Name;
  std::vector<TIniKey> Keys;  // in file order; a line without '=' is a key with an empty value
  // The first key of that name (case-blind), read as the profile functions give it: blanks at
  // the ends dropped, then one pair of matching enclosing quotes (' or ") removed. def when absent.
  std::wstring Read(const std::wstring& key, const std::wstring& def = L"") const;
  bool Has(const std::wstring& key) const;
};

enum class TIniEncoding { Ansi, Utf8, Utf16 };

struct TIniText {
  std::vector<TIniSection> Sections;  // every section from its own lines, in file order, repeats kept
  bool SawSectionLine = false;        // at least one "[name]" line was found
  TIniEncoding Encoding = TIniEncoding::Ansi;
  // The first section of that name, case-blind; nullptr when none.
  const TIniSection* Find(const std::wstring& name) const;
};

// Lines end in CR LF, CR or LF; blanks before a line are skipped; ';' lines are comments; "[name]"
// opens a section (the name runs to the first ']'); "key=value" (key trimmed) adds a key; lines
// before the first section belong to none and are dropped. Every value is kept whole.
TIniText ParseIniText(const std::wstring& text);
// FF FE starts UTF-16LE, EF BB BF UTF-8, anything else is the ANSI code page.
std::wstring DecodeIniBytes(const std::vector<std::uint8_t>& bytes, TIniEncoding& encoding);
// Whether the bytes can be text at all: no NUL in the 8-bit forms, whole UTF-16 units after FF FE.
bool LooksLikeText(const std::vector<std::uint8_t>& bytes);

// "[name]" lines and "key=value" lines, each ended by CR LF, no blank lines. A value with blanks at
// its ends or enclosed in a pair of matching quotes is written inside double quotes, so that the
// reading rule gives it back unchanged; a line break inside a value becomes a blank (a value is
// one line).
class TIniWriter {
 public:
  void Section(const std::wstring& name);
  void Key(const std::wstring& name, const std::wstring& value);
  const std::wstring& Text() const { return FText; }

 private:
  std::wstring FText;
};

// The ANSI form when every character has its own byte in the ANSI code page (never a best-fit
// look-alike), otherwise UTF-16LE after a byte-order mark, which the profile functions read too.
std::vector<std::uint8_t> EncodeIniText(const std::wstring& text);

enum class TIniLoad {
  Missing,     // no such file
  Ok,          // read and parsed
  NotText,     // binary: not ours to parse or to write over
  Unreadable,  // exists but cannot be opened or read; *error says why
};
TIniLoad LoadIniFile(const std::wstring& fileName, TIniText& ini, DWORD* error = nullptr);
// EncodeIniText, then written beside the file and put in its place (WriteFileReplacing).
// Returns 0 or the system's error code; on failure the old file is whole.
DWORD SaveIniFile(const std::wstring& fileName, const std::wstring& text);
