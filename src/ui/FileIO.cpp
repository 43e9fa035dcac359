#include "ui/FileIO.h"

#include <algorithm>

#include "ui/Paths.h"

namespace {

constexpr std::size_t kIoChunk = 10240;

std::optional<std::size_t> g_writeFailAfter;

}  // namespace

HANDLE OpenForReading(const std::wstring& fileName) {
  // Other programs (a backup, a virus scanner) may hold the file open; reading alongside is fine.
  return CreateFileW(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool ReadWholeFile(const std::wstring& fileName, std::vector<std::uint8_t>& bytes, std::uint64_t maxBytes) {
  FileHandle file(OpenForReading(fileName));
  if (!file.Valid()) return false;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.h, &size)) return false;
  if (size.QuadPart < 0 || static_cast<std::uint64_t>(size.QuadPart) > maxBytes) {
    SetLastError(ERROR_FILE_TOO_LARGE);
    return false;
  }
  bytes.resize(static_cast<std::size_t>(size.QuadPart));
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
    DWORD got = 0;
    if (!ReadFile(file.h, bytes.data() + done, want, &got, nullptr)) return false;
    if (got == 0) break;  // the file shrank meanwhile
    done += got;
  }
  bytes.resize(done);
  return true;
}

namespace {

// Opens the temporary file of a save, made anew, and names it. Each look-up of a name that does
// not exist costs Wine a scan of the whole folder, so the name is looked up once, by the creation
// itself. Only when one was left behind by a crash does it go first, read-only or not: written
// over, it would pass its attributes on to the note. One that cannot go (another program holds
// it, or it is a folder) must not stop the save: the save takes the next free name beside it.
HANDLE CreateTempFile(const std::wstring& fileName, std::wstring& tempName) {
  auto create = [&tempName] {
    return CreateFileW(tempName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  };
  auto taken = [] { return GetLastError() == ERROR_FILE_EXISTS || GetLastError() == ERROR_ALREADY_EXISTS; };
  HANDLE h = INVALID_HANDLE_VALUE;
  for (int n = 1; n <= 10 && h == INVALID_HANDLE_VALUE; ++n) {
    tempName = fileName + L".tmp" + (n == 1 ? L"" : std::to_wstring(n));
    h = create();
    if (h != INVALID_HANDLE_VALUE || !taken()) return h;
    SetFileAttributesW(tempName.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(tempName.c_str());
    h = create();
    // Anything but a name still taken is the real reason, and is told as it is.
    if (h == INVALID_HANDLE_VALUE && !taken()) return h;
  }
  return h;
}

// Where a rename lasts only once its folder is flushed: Wine on a Unix file system (on Windows
// the write-through replace already covers it).
bool FolderFlushNeeded() {
  static const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
  return wine;
}

void FlushFolderOf(const std::wstring& fileName) {
  std::wstring folder = ExtractFilePath(fileName);
  FileHandle dir(CreateFileW(folder.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (dir.Valid()) FlushFileBuffers(dir.h);
}

}  // namespace

// Writes the complete new file beside the old one and only then puts it in its place, so that
// a full disk, a lost share or a crash half-way never costs the user the last good note.
// Returns 0, or the system's error code.
DWORD WriteFileReplacing(const std::wstring& fileName, const std::vector<std::uint8_t>& bytes) {
  std::wstring tempName;
  DWORD error = ERROR_SUCCESS;
  auto fail = [&error](DWORD e) {
    if (error == ERROR_SUCCESS) error = e ? e : ERROR_WRITE_FAULT;
  };
  {
    FileHandle file(CreateTempFile(fileName, tempName));
    if (!file.Valid()) return GetLastError() ? GetLastError() : ERROR_WRITE_FAULT;
    std::size_t limit = bytes.size();
    bool simulatedFailure = false;
    if (g_writeFailAfter && *g_writeFailAfter < limit) {
      limit = *g_writeFailAfter;
      simulatedFailure = true;
    }
    std::size_t done = 0;
    while (error == ERROR_SUCCESS && done < limit) {
      DWORD want = static_cast<DWORD>(std::min(limit - done, kIoChunk));
      DWORD written = 0;
      if (!WriteFile(file.h, bytes.data() + done, want, &written, nullptr))
        fail(GetLastError());
      else if (written != want)
        fail(ERROR_DISK_FULL);
      done += written;
    }
    if (simulatedFailure) fail(ERROR_DISK_FULL);
    if (error == ERROR_SUCCESS && !FlushFileBuffers(file.h)) fail(GetLastError());
    if (!file.Close()) fail(GetLastError());
  }
  if (error == ERROR_SUCCESS &&
      !MoveFileExW(tempName.c_str(), fileName.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    fail(GetLastError());
  if (error != ERROR_SUCCESS) {
    DeleteFileW(tempName.c_str());
    return error;
  }
  if (FolderFlushNeeded()) FlushFolderOf(fileName);
  return ERROR_SUCCESS;
}

void SetWriteFailAfter(std::optional<std::size_t> bytes) { g_writeFailAfter = bytes; }
