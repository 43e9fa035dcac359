#pragma once
// The language engine: every window and message carries its English text built in and asks
// the engine for a replacement by section and key. Replacements come from one language file,
// an INI file "<name>.lng" in the folder "languages" beside the executable, read and written
// through the platform's profile functions (so section and key names match without regard to
// case, and each write reaches the file at once).
//
// Texts are wide. The files themselves stay in whatever encoding the profile functions find:
// an ordinary language file is 8-bit text in the ANSI code page (what translators have always
// delivered) and is converted on the way in and out; a file that starts with a UTF-16 byte
// order mark is read and written as UTF-16.
//
// Translator mode (MarkMissing) records every key the file lacks, with its default text
// followed by "[M]", so that a translator gets a complete file to edit.
#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// A general failure of the engine; what() is the message in UTF-8.
class ELanguageError : public std::runtime_error {
 public:
  explicit ELanguageError(const std::wstring& message);
  const std::wstring& Message() const { return message_; }

 private:
  std::wstring message_;
};

// The language file to load does not exist.
class ELanguageFileOpenError : public ELanguageError {
 public:
  using ELanguageError::ELanguageError;
};

// Values are read through a buffer of this many characters (terminator included); a longer
// value comes back cut to the buffer's size less one.
inline constexpr std::size_t kLanguageValueBufferSize = 2048;
// Appended to a default text recorded in translator mode.
inline constexpr wchar_t kMissingMark[] = L"[M]";
// Prefix of every text section in a language file.
inline constexpr wchar_t kLanguageSectionPrefix[] = L"LNG_";

class TVxMultiLanguage {
 public:
  TVxMultiLanguage();
  ~TVxMultiLanguage();
  TVxMultiLanguage(const TVxMultiLanguage&) = delete;
  TVxMultiLanguage& operator=(const TVxMultiLanguage&) = delete;

  bool IsLoaded() const;
  // Throws ELanguageFileOpenError when the file does not exist; the file loaded before stays.
  void LoadFromFile(const std::wstring& fileName);
  // False when nothing is loaded; otherwise whether Key is present (even with an empty value)
  // in the current section.
  bool KeyExists(const std::wstring& key) const;
  // The text of Key in the current section, or Default when the file lacks it or its value is
  // empty. With nothing loaded Default comes back unchanged. With a file loaded but no section
  // selected, throws ELanguageError.
  std::wstring GetString(const std::wstring& key, std::wstring defaultText);
  // Adds the description lines of section "info" of a language file (FileName empty: the
  // loaded one) to Lines; adds nothing when the file does not exist.
  void GetLanguageInfo(const std::wstring& fileName, std::vector<std::wstring>& lines) const;

  const std::wstring& FileName() const { return FFileName; }
  // The section name without its "LNG_" prefix.
  const std::wstring& Section() const { return FSection; }
  void SetSection(const std::wstring& name) { FSection = name; }
  bool MarkMissing() const { return FMarkMissing; }
  void SetMarkMissing(bool value) { FMarkMissing = value; }

 private:
  class TIniFile;

  std::unique_ptr<TIniFile> FIni;  // null: nothing loaded
  std::wstring FFileName;
  std::wstring FSection;
  bool FMarkMissing = false;
};

// The one engine of the process; null before InitLanguageEngine and after DoneLanguageEngine.
extern TVxMultiLanguage* LanguageEngine;

// The folder "languages" beside the executable, with its trailing backslash.
std::wstring LanguagesFolder();
// The full path of the language file for a language name ("english" -> ...\english.lng).
std::wstring LanguageFileName(const std::wstring& name);

// Reads the language setting into LanguageName and creates the engine (nothing loaded yet).
void InitLanguageEngine();
// Loads the file of the named language when the engine exists and the file does; then
// LanguageName becomes Name. Otherwise the built-in English texts stay.
void LoadLanguage(const std::wstring& name);
// Frees the engine; the last step of the process.
void DoneLanguageEngine();
