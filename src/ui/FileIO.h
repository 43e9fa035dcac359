#pragma once
// Whole-file reads and writes that a crash, a full disk or another program's open handle cannot
// turn into a lost or half-written file. The note store, the events and the to-do projects all
// save through here.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct FileHandle {
  HANDLE h = INVALID_HANDLE_VALUE;
  explicit FileHandle(HANDLE handle) : h(handle) {}
  ~FileHandle() { Close(); }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  bool Valid() const { return h != INVALID_HANDLE_VALUE; }
  bool Close() {
    if (!Valid()) return true;
    BOOL ok = CloseHandle(h);
    h = INVALID_HANDLE_VALUE;
    return ok != FALSE;
  }
};

// Opens for reading alongside other programs (a backup, a virus scanner) that hold it open.
HANDLE OpenForReading(const std::wstring& fileName);
// Reads the whole file. False (GetLastError tells why) when it cannot be opened or read, or holds
// more than maxBytes.
bool ReadWholeFile(const std::wstring& fileName, std::vector<std::uint8_t>& bytes,
                   std::uint64_t maxBytes = std::uint64_t(1) << 31);
// Writes "<fileName>.tmp", flushes it, and only then puts it in fileName's place (and flushes the
// folder under Wine). Returns 0 or the system's error code; on failure fileName is untouched and
// the .tmp is gone. A leftover .tmp that cannot be removed makes the save use ".tmp2" (and so on).
DWORD WriteFileReplacing(const std::wstring& fileName, const std::vector<std::uint8_t>& bytes);
// For tests: every later write stops with a full-disk error after this many bytes; nullopt ends it.
void SetWriteFailAfter(std::optional<std::size_t> bytes);
