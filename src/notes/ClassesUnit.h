#pragma once
#include <windows.h>
// The note record: the data of one note, and its note file (".vxn").
//
// A note file is one version byte and then the record. Version 3 is a stream of tagged values
// followed by the rich text; versions 0, 1 and 2 are the old fixed layouts, still read so that
// notes from old installations open. The byte formats are plain functions over byte buffers;
// only LoadFromFile/SaveToFile and their steps touch the disk.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ui/Types.h"

class TNoteClass {
 public:
  // Flag bits.
  static constexpr std::uint8_t nfHidden = 0;
  static constexpr std::uint8_t nfAlwaysOnTop = 1;
  static constexpr std::uint8_t nfReduced = 2;
  static constexpr std::uint8_t nfReadOnly = 3;

  TDateTime Created = 0;
  std::int32_t Left = 0;
  std::int32_t Top = 0;
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  TColor NoteColor = clNone;
  TColor TitleColor = clNone;
  TColor TitleFontColor = clNone;
  std::string Name;  // the note identifier, ANSI
  std::wstring Title;
  std::wstring Group;
  std::uint32_t Flags = 0;
  std::uint32_t AutoShowPending = 0;
  TDateTime ShowAt = 0;
  bool ExtraFlag = false;
  TDateTime ExtraDate = 0;
  bool AlarmOn = false;
  TDateTime AlarmAt = 0;
  std::wstring LinkedFile;
  std::vector<std::uint8_t> Text;  // the body as the rich-edit control saves it (RTF)

  // A new note, centred on the primary screen, titled with the moment of its creation.
  explicit TNoteClass(const std::string& id);
  ~TNoteClass() = default;
  TNoteClass(const TNoteClass&) = default;
  TNoteClass& operator=(const TNoteClass&) = default;

  // Releases a record made with new; the pointer is invalid afterwards.
  void FreeNote() noexcept;

  static std::uint32_t NoteFlagMask(std::uint8_t n);
  bool GetFlag(std::uint8_t n) const;
  void SetFlag(std::uint8_t n, bool value);

  bool GetHidden() const { return GetFlag(nfHidden); }
  void SetHidden(bool v) { SetFlag(nfHidden, v); }
  bool GetAlwaysOnTop() const { return GetFlag(nfAlwaysOnTop); }
  void SetAlwaysOnTop(bool v) { SetFlag(nfAlwaysOnTop, v); }
  bool GetReduced() const { return GetFlag(nfReduced); }
  void SetReduced(bool v) { SetFlag(nfReduced, v); }
  bool GetReadOnly() const { return GetFlag(nfReadOnly); }
  void SetReadOnly(bool v) { SetFlag(nfReadOnly, v); }

  bool HasLinkedFile() const;

  // True when the record now holds the note. Never throws: a file that cannot be opened or
  // read counts as a note that did not load. fileBytes, when given, receives what was read.
  // readError, when given, receives the system's reason when the file cannot be opened or read
  // (0 otherwise), and the caller tells the user; without it, the loader tells.
  bool LoadFromFile(const std::wstring& fileName, std::vector<std::uint8_t>* fileBytes = nullptr,
                    DWORD* readError = nullptr);
  // Writes the whole note (version 3). The file is replaced only once the new one is complete,
  // so a failed save leaves the previous note file as it was. Never throws. On failure, error
  // (when given) receives the system's error code.
  bool SaveToFile(const std::wstring& fileName, DWORD* error = nullptr) const;

  // Steps of LoadFromFile.
  // The first byte of the file (0..255), or -1 when the file cannot be opened, is empty or
  // cannot be read.
  static int ReadFileVersion(const std::wstring& fileName);
  bool LoadLegacyFile(const std::wstring& fileName);
  bool LoadVersion3File(const std::wstring& fileName);
};

// ---- The value stream of version 3 ---------------------------------------------------------

namespace NoteValueTag {
inline constexpr std::uint8_t vaInt8 = 0x02;
inline constexpr std::uint8_t vaInt16 = 0x03;
inline constexpr std::uint8_t vaInt32 = 0x04;
inline constexpr std::uint8_t vaString = 0x06;   // 1-byte length, ANSI
inline constexpr std::uint8_t vaFalse = 0x08;
inline constexpr std::uint8_t vaTrue = 0x09;
inline constexpr std::uint8_t vaLString = 0x0C;  // 4-byte length, ANSI
inline constexpr std::uint8_t vaDate = 0x11;
inline constexpr std::uint8_t vaWString = 0x12;  // 4-byte count of UTF-16 units
inline constexpr std::uint8_t vaUTF8String = 0x14;
}  // namespace NoteValueTag

// Appends tagged values to a byte buffer.
class TNoteValueWriter {
 public:
  explicit TNoteValueWriter(std::vector<std::uint8_t>& out) : out_(out) {}
  // In the smallest of the three widths that holds the value.
  void WriteInteger(std::int32_t value);
  void WriteDateTime(TDateTime value);
  void WriteBoolean(bool value);
  // UTF-16 when that is not longer than UTF-8; plain ANSI when the text is the same in ANSI
  // and UTF-8 (ASCII); UTF-8 otherwise.
  void WriteWideString(const std::wstring& value);
  void WriteBytes(const void* data, std::size_t size);

 private:
  std::vector<std::uint8_t>& out_;
};

// Reads tagged values from a byte buffer. Every read returns false on a read error (unexpected
// tag, end of data, a length that the data cannot hold); the position is then undefined.
class TNoteValueReader {
 public:
  TNoteValueReader(const std::uint8_t* data, std::size_t size, std::size_t position = 0)
      : data_(data), size_(size), pos_(position) {}
  bool ReadInteger(std::int32_t& value);
  // Also accepts an integer, taken as whole days.
  bool ReadDateTime(TDateTime& value);
  // Any tag byte; only vaTrue is true.
  bool ReadBoolean(bool& value);
  bool ReadWideString(std::wstring& value);
  // Copies exactly size bytes, or fails without allocating when fewer remain.
  bool ReadBytes(std::size_t size, std::vector<std::uint8_t>& bytes);

  std::size_t Position() const { return pos_; }
  std::size_t Remaining() const { return size_ - pos_; }

 private:
  bool ReadRaw(void* dest, std::size_t size);
  bool ReadLength32(std::size_t unitSize, std::size_t& length);
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_;
};

// What the user is told of a note file that cannot be loaded: its name and why.
std::wstring CannotLoadNoteText(const std::wstring& fileName, const std::wstring& reason);

// The whole file, version byte included.
std::vector<std::uint8_t> EncodeNoteFile(const TNoteClass& note);
// data is the whole file; byte 0 (the version) is skipped. On failure Text is emptied and the
// fields read before the error keep their new values.
bool DecodeVersion3(const std::uint8_t* data, std::size_t size, TNoteClass& note);
// data is the whole file of version 0, 1 or 2. Never fails: what the file does not hold keeps
// its value, and an unreadable text becomes "Error reading note text".
void DecodeLegacy(const std::uint8_t* data, std::size_t size, TNoteClass& note);

// For tests: the next saves fail after writing this many bytes of the new file, as a full disk
// or a lost network share would. An empty value restores normal writing.
void SetNoteWriteFailAfter(std::optional<std::size_t> bytes);

// The note files of a folder ("<id>.vxn", names without the folder) in the order its listing
// gives them. The same listing finds the leftovers of saves that a crash cut short: each
// "<note file>.tmp" that is not newer than its note file is removed; a newer one stays, and the
// note's next save removes it.
std::vector<std::wstring> ListNoteFiles(const std::wstring& folder);
