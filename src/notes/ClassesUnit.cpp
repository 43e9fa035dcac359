#include "notes/ClassesUnit.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <map>

#include "notes/InternalProcs.h"
#include "ui/Clock.h"
#include "ui/FileIO.h"
#include "ui/MessageBox.h"
#include "ui/Paths.h"
#include "ui/Screen.h"

using namespace NoteValueTag;

namespace {

constexpr std::uint8_t kCurrentVersion = 3;
constexpr std::size_t kIoChunk = 10240;
// A note's text length is a 32-bit number, so no real note file is much bigger than 2 GB;
// anything larger is not ours and is not read into memory.
constexpr std::uint64_t kMaxNoteFileSize = (std::uint64_t(1) << 31) + (std::uint64_t(1) << 20);

template <class T>
T ReadLE(const std::uint8_t* p) {
  T v;
  std::memcpy(&v, p, sizeof v);  // the program runs on little-endian machines only
  return v;
}

const char kErrorReadingText[] = "Error reading note text";

}  // namespace

// ---- TNoteClass --------------------------------------------------------------------------

TNoteClass::TNoteClass(const std::string& id) {
  Name = id;
  Text.clear();
  NoteColor = clNone;
  TitleColor = clNone;
  TitleFontColor = clNone;
  Created = Now();
  AlarmOn = false;
  AlarmAt = 0;
  ShowAt = 0;
  Title = DateTimeToStr(Created);
  ExtraFlag = false;
  ExtraDate = Created + 1.0;
  Width = DefNoteWidth;
  Height = DefNoteHeight;
  Flags = 0;
  Group.clear();
  const SIZE screen = PrimaryScreenSize();
  Left = (screen.cx - Width) / 2;
  Top = (screen.cy - Height) / 2;
}

void TNoteClass::FreeNote() noexcept { delete this; }

std::uint32_t TNoteClass::NoteFlagMask(std::uint8_t n) { return n < 30 ? (std::uint32_t(1) << n) : 0x40000000u; }

bool TNoteClass::GetFlag(std::uint8_t n) const { return (Flags & NoteFlagMask(n)) != 0; }

void TNoteClass::SetFlag(std::uint8_t n, bool value) {
  if (value)
    Flags |= NoteFlagMask(n);
  else
    Flags &= ~NoteFlagMask(n);
}

bool TNoteClass::HasLinkedFile() const { return !Trim(LinkedFile).empty(); }

int TNoteClass::ReadFileVersion(const std::wstring& fileName) {
  FileHandle file(OpenForReading(fileName));
  if (!file.Valid()) return -1;
  std::uint8_t version = 0;
  DWORD got = 0;
  // An empty file has no version at all: as unreadable as a failed read.
  if (!ReadFile(file.h, &version, 1, &got, nullptr) || got != 1) return -1;
  return version;
}

bool TNoteClass::LoadLegacyFile(const std::wstring& fileName) {
  std::vector<std::uint8_t> bytes;
  if (!ReadWholeFile(fileName, bytes, kMaxNoteFileSize)) return false;
  DecodeLegacy(bytes.data(), bytes.size(), *this);
  return true;
}

bool TNoteClass::LoadVersion3File(const std::wstring& fileName) {
  std::vector<std::uint8_t> bytes;
  if (!ReadWholeFile(fileName, bytes, kMaxNoteFileSize)) {
    Text.clear();
    return false;
  }
  return DecodeVersion3(bytes.data(), bytes.size(), *this);
}

std::wstring CannotLoadNoteText(const std::wstring& fileName, const std::wstring& reason) {
  return L"Cannot load note\n\r" + fileName + L":\n\r" + reason;
}

bool TNoteClass::LoadFromFile(const std::wstring& fileName, std::vector<std::uint8_t>* fileBytes, DWORD* readError) {
  if (readError) *readError = ERROR_SUCCESS;
  try {
    // One open and one read per note: start-up reads every note file of the user.
    std::vector<std::uint8_t> local;
    std::vector<std::uint8_t>& bytes = fileBytes ? *fileBytes : local;
    // An unopenable or empty file has no version at all: as unreadable as a failed read.
    if (!ReadWholeFile(fileName, bytes, kMaxNoteFileSize)) {
      DWORD error = GetLastError();
      if (error == ERROR_SUCCESS) error = ERROR_READ_FAULT;
      if (readError)
        *readError = error;
      else
        ShowMessageBox(CannotLoadNoteText(fileName, SystemErrorText(error)), L"Vantaro", MB_OK);
      return false;
    }
    if (bytes.empty()) {
      ShowMessageBox(CannotLoadNoteText(fileName, L"The file is empty."), L"Vantaro", MB_OK);
      return false;
    }
    const int version = bytes[0];
    if (version <= 2) {
      DecodeLegacy(bytes.data(), bytes.size(), *this);
      return true;
    }
    if (version == kCurrentVersion) return DecodeVersion3(bytes.data(), bytes.size(), *this);
    // Written by a newer program: we cannot read it, and must never write over it unasked.
    if (ShowMessageBox(L"Note " + ExtractFileName(fileName) + L" Was saved with a newer version of Vantaro Delete it?",
                       L"Vantaro", MB_YESNO | MB_ICONQUESTION) == IDYES)
      DeleteFileW(fileName.c_str());
    return false;
  } catch (...) {
    return false;
  }
}

bool TNoteClass::SaveToFile(const std::wstring& fileName, DWORD* error) const {
  DWORD e = ERROR_SUCCESS;
  try {
    // Its length would not fit the file.
    e = Text.size() > static_cast<std::size_t>(INT32_MAX) ? ERROR_FILE_TOO_LARGE
                                                          : WriteFileReplacing(fileName, EncodeNoteFile(*this));
  } catch (...) {
    e = ERROR_NOT_ENOUGH_MEMORY;
  }
  if (error) *error = e;
  return e == ERROR_SUCCESS;
}

std::vector<std::wstring> ListNoteFiles(const std::wstring& folderName) {
  const std::wstring folder = IncludeTrailingBackslash(folderName);
  std::vector<std::wstring> notes;
  std::map<std::wstring, FILETIME> noteWritten;  // upper case: the file system ignores case
  std::vector<std::pair<std::wstring, FILETIME>> temps;
  WIN32_FIND_DATAW fd;
  // One pattern for both kinds, "*.vxn" and "*.vxn.tmp": each listing is a scan of the folder.
  HANDLE find = FindFirstFileW((folder + L"*.vxn*").c_str(), &fd);
  if (find == INVALID_HANDLE_VALUE) return notes;
  do {
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const std::wstring name = fd.cFileName;
    // Patterns also match by short names, and a name that is only the extension has no note
    // identifier: only "<id>.vxn" and "<id>.vxn.tmp" themselves count.
    if (EndsText(name, L".vxn")) {
      notes.push_back(name);
      noteWritten[UpperCase(name)] = fd.ftLastWriteTime;
    } else if (EndsText(name, L".vxn.tmp")) {
      temps.emplace_back(name, fd.ftLastWriteTime);
    }
  } while (FindNextFileW(find, &fd));
  FindClose(find);
  for (const auto& [name, written] : temps) {
    auto note = noteWritten.find(UpperCase(name.substr(0, name.size() - 4)));
    // A temporary file newer than its note may be the only copy of a save under way elsewhere.
    if (note == noteWritten.end() || CompareFileTime(&written, &note->second) > 0) continue;
    const std::wstring temp = folder + name;
    SetFileAttributesW(temp.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(temp.c_str());
  }
  return notes;
}

void SetNoteWriteFailAfter(std::optional<std::size_t> bytes) { SetWriteFailAfter(bytes); }

// ---- Value stream ------------------------------------------------------------------------

void TNoteValueWriter::WriteBytes(const void* data, std::size_t size) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  out_.insert(out_.end(), p, p + size);
}

void TNoteValueWriter::WriteInteger(std::int32_t value) {
  if (value >= -128 && value <= 127) {
    out_.push_back(vaInt8);
    out_.push_back(static_cast<std::uint8_t>(static_cast<std::int8_t>(value)));
  } else if (value >= -32768 && value <= 32767) {
    out_.push_back(vaInt16);
    const auto v = static_cast<std::int16_t>(value);
    WriteBytes(&v, 2);
  } else {
    out_.push_back(vaInt32);
    WriteBytes(&value, 4);
  }
}

void TNoteValueWriter::WriteDateTime(TDateTime value) {
  out_.push_back(vaDate);
  WriteBytes(&value, 8);
}

void TNoteValueWriter::WriteBoolean(bool value) { out_.push_back(value ? vaTrue : vaFalse); }

void TNoteValueWriter::WriteWideString(const std::wstring& value) {
  const std::string utf8 = WideToUtf8(value);
  const std::uint32_t count = static_cast<std::uint32_t>(value.size());
  // UTF-8 cannot carry a lone surrogate (a damaged file, half an emoji pasted): that text
  // stays UTF-16, or saving would change it.
  const bool utf8Exact =
      value.empty() ||
      WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, value.data(), static_cast<int>(count), nullptr, 0, nullptr,
                          nullptr) > 0;
  if (!utf8Exact || utf8.size() >= 2 * static_cast<std::size_t>(count)) {
    out_.push_back(vaWString);
    WriteBytes(&count, 4);
    WriteBytes(value.data(), value.size() * 2);
    return;
  }
  const std::string ansi = WideToAnsi(value);
  if (ansi == utf8) {
    if (ansi.size() <= 255) {
      out_.push_back(vaString);
      out_.push_back(static_cast<std::uint8_t>(ansi.size()));
    } else {
      out_.push_back(vaLString);
      const auto n = static_cast<std::uint32_t>(ansi.size());
      WriteBytes(&n, 4);
    }
    WriteBytes(ansi.data(), ansi.size());
    return;
  }
  out_.push_back(vaUTF8String);
  const auto n = static_cast<std::uint32_t>(utf8.size());
  WriteBytes(&n, 4);
  WriteBytes(utf8.data(), utf8.size());
}

bool TNoteValueReader::ReadRaw(void* dest, std::size_t size) {
  if (size > Remaining()) return false;
  std::memcpy(dest, data_ + pos_, size);
  pos_ += size;
  return true;
}

// A 4-byte length of units of unitSize bytes; refused when negative or when the rest of the
// data cannot hold it, before anything of that size is allocated.
bool TNoteValueReader::ReadLength32(std::size_t unitSize, std::size_t& length) {
  std::int32_t n = 0;
  if (!ReadRaw(&n, 4) || n < 0) return false;
  if (static_cast<std::uint64_t>(n) * unitSize > Remaining()) return false;
  length = static_cast<std::size_t>(n);
  return true;
}

bool TNoteValueReader::ReadInteger(std::int32_t& value) {
  std::uint8_t tag = 0;
  if (!ReadRaw(&tag, 1)) return false;
  switch (tag) {
    case vaInt8: {
      std::int8_t v;
      if (!ReadRaw(&v, 1)) return false;
      value = v;
      return true;
    }
    case vaInt16: {
      std::int16_t v;
      if (!ReadRaw(&v, 2)) return false;
      value = v;
      return true;
    }
    case vaInt32: {
      std::int32_t v;
      if (!ReadRaw(&v, 4)) return false;
      value = v;
      return true;
    }
    default:
      return false;
  }
}

bool TNoteValueReader::ReadDateTime(TDateTime& value) {
  if (pos_ < size_ && data_[pos_] == vaDate) {
    ++pos_;
    double v;
    if (!ReadRaw(&v, 8)) return false;
    value = v;
    return true;
  }
  std::int32_t days = 0;
  if (!ReadInteger(days)) return false;
  value = days;
  return true;
}

bool TNoteValueReader::ReadBoolean(bool& value) {
  std::uint8_t tag = 0;
  if (!ReadRaw(&tag, 1)) return false;
  value = tag == vaTrue;
  return true;
}

bool TNoteValueReader::ReadWideString(std::wstring& value) {
  std::uint8_t tag = 0;
  if (!ReadRaw(&tag, 1)) return false;
  std::size_t n = 0;
  switch (tag) {
    case vaString:
    case vaLString: {
      if (tag == vaString) {
        std::uint8_t n8 = 0;
        if (!ReadRaw(&n8, 1) || n8 > Remaining()) return false;
        n = n8;
      } else if (!ReadLength32(1, n)) {
        return false;
      }
      std::string s(reinterpret_cast<const char*>(data_ + pos_), n);
      pos_ += n;
      value = AnsiToWide(s);
      return true;
    }
    case vaWString: {
      if (!ReadLength32(2, n)) return false;
      std::wstring s(n, L'\0');
      ReadRaw(s.data(), n * 2);
      value = std::move(s);
      return true;
    }
    case vaUTF8String: {
      if (!ReadLength32(1, n)) return false;
      // A malformed string is a read error like any other: decoding it with replacement
      // characters would load the note and write the damage back at the next save.
      const auto* bytes = reinterpret_cast<const char*>(data_ + pos_);
      const int count = n ? MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, static_cast<int>(n), nullptr, 0)
                          : 0;
      if (n && count <= 0) return false;
      std::wstring s(static_cast<std::size_t>(count), L'\0');
      if (count) MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, static_cast<int>(n), s.data(), count);
      pos_ += n;
      value = std::move(s);
      return true;
    }
    default:
      return false;
  }
}

bool TNoteValueReader::ReadBytes(std::size_t size, std::vector<std::uint8_t>& bytes) {
  if (size > Remaining()) return false;
  bytes.assign(data_ + pos_, data_ + pos_ + size);
  pos_ += size;
  return true;
}

// ---- Note file layouts -------------------------------------------------------------------

std::vector<std::uint8_t> EncodeNoteFile(const TNoteClass& note) {
  std::vector<std::uint8_t> out;
  out.reserve(128 + note.Title.size() * 2 + note.Group.size() * 2 + note.LinkedFile.size() * 2 + note.Text.size());
  out.push_back(kCurrentVersion);
  TNoteValueWriter w(out);
  w.WriteDateTime(note.Created);
  w.WriteInteger(note.Left);
  w.WriteInteger(note.Top);
  w.WriteInteger(note.Width);
  w.WriteInteger(note.Height);
  // The colours go in the reverse order of the record's; old files have them so.
  w.WriteInteger(static_cast<std::int32_t>(note.TitleFontColor));
  w.WriteInteger(static_cast<std::int32_t>(note.TitleColor));
  w.WriteInteger(static_cast<std::int32_t>(note.NoteColor));
  w.WriteWideString(note.Title);
  w.WriteWideString(note.Group);
  w.WriteInteger(static_cast<std::int32_t>(note.Flags));
  w.WriteInteger(static_cast<std::int32_t>(note.AutoShowPending));
  w.WriteDateTime(note.ShowAt);
  w.WriteBoolean(note.ExtraFlag);
  w.WriteDateTime(note.ExtraDate);
  w.WriteBoolean(note.AlarmOn);
  w.WriteDateTime(note.AlarmAt);
  w.WriteWideString(note.LinkedFile);
  w.WriteInteger(static_cast<std::int32_t>(note.Text.size()));
  w.WriteBytes(note.Text.data(), note.Text.size());
  return out;
}

namespace {
bool ReadUnsigned(TNoteValueReader& r, std::uint32_t& value) {
  std::int32_t i = 0;
  if (!r.ReadInteger(i)) return false;
  value = static_cast<std::uint32_t>(i);
  return true;
}
}  // namespace

bool DecodeVersion3(const std::uint8_t* data, std::size_t size, TNoteClass& note) {
  TNoteValueReader r(data, size, size > 0 ? 1 : 0);
  std::int32_t textLength = 0;
  std::vector<std::uint8_t> text;
  // Each field is assigned as soon as it is read, so a broken file still shows what it held.
  const bool ok = size > 0 && r.ReadDateTime(note.Created) && r.ReadInteger(note.Left) && r.ReadInteger(note.Top) &&
                  r.ReadInteger(note.Width) && r.ReadInteger(note.Height) && ReadUnsigned(r, note.TitleFontColor) &&
                  ReadUnsigned(r, note.TitleColor) && ReadUnsigned(r, note.NoteColor) &&
                  r.ReadWideString(note.Title) && r.ReadWideString(note.Group) && ReadUnsigned(r, note.Flags) &&
                  ReadUnsigned(r, note.AutoShowPending) && r.ReadDateTime(note.ShowAt) &&
                  r.ReadBoolean(note.ExtraFlag) && r.ReadDateTime(note.ExtraDate) && r.ReadBoolean(note.AlarmOn) &&
                  r.ReadDateTime(note.AlarmAt) && r.ReadWideString(note.LinkedFile) && r.ReadInteger(textLength) &&
                  textLength >= 0 && r.ReadBytes(static_cast<std::size_t>(textLength), text);
  if (!ok) {
    note.Text.clear();
    return false;
  }
  note.Text = std::move(text);
  return true;
}

void DecodeLegacy(const std::uint8_t* data, std::size_t size, TNoteClass& note) {
  try {
    // Fixed offsets; a field that lies (even partly) beyond the end of the file keeps its value.
    auto has = [&](std::size_t offset, std::size_t length) { return offset + length <= size; };
    const std::uint8_t version = size > 0 ? data[0] : 0;
    if (has(1, 2)) note.Left = ReadLE<std::uint16_t>(data + 1);
    if (has(3, 2)) note.Top = ReadLE<std::uint16_t>(data + 3);
    if (has(5, 2)) note.Width = ReadLE<std::uint16_t>(data + 5);
    if (has(7, 2)) note.Height = ReadLE<std::uint16_t>(data + 7);
    if (has(10, 8)) note.Created = ReadLE<double>(data + 10);
    if (has(18, 1)) note.AlarmOn = data[18] != 0;
    if (has(19, 8)) note.AlarmAt = ReadLE<double>(data + 19);
    std::size_t textOffset = 27;
    if (version == 2) {
      if (has(27, 4)) note.NoteColor = ReadLE<std::uint32_t>(data + 27);
      if (has(31, 4)) note.TitleColor = ReadLE<std::uint32_t>(data + 31);
      if (has(35, 4)) note.TitleFontColor = ReadLE<std::uint32_t>(data + 35);
      if (has(39, 129)) {
        // Only 128 bytes are stored, whatever a damaged length byte claims.
        const std::size_t n = std::min<std::size_t>(data[39], 128);
        note.Title = AnsiToWide(std::string(reinterpret_cast<const char*>(data + 40), n));
      }
      if (has(168, 1)) note.ExtraFlag = data[168] != 0;
      if (has(169, 8)) note.ExtraDate = ReadLE<double>(data + 169);
      textOffset = 177;
    }
    bool textOk = false;
    if (has(textOffset, 4)) {
      const std::int32_t n = ReadLE<std::int32_t>(data + textOffset);
      const std::size_t start = textOffset + 4;
      if (n >= 0 && static_cast<std::size_t>(n) <= size - start) {
        note.Text.assign(data + start, data + start + n);
        textOk = true;
      }
    }
    if (!textOk) note.Text.assign(kErrorReadingText, kErrorReadingText + sizeof kErrorReadingText - 1);
  } catch (...) {
    note.Title = L"Error reading the note";
    note.Text.clear();
  }
}
