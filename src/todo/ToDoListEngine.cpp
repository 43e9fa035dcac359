#include "todo/ToDoListEngine.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <numeric>

#include "notes/InternalProcs.h"
#include "ui/FileIO.h"
#include "ui/IniText.h"
#include "ui/Paths.h"
#include "ui/Types.h"

namespace {
wchar_t LowerAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

// The first four characters are "item", letter case aside; the rest of the name is not read.
bool IsItemSection(const std::wstring& name) {
  return name.size() >= 4 && SameProjectName(name.substr(0, 4), L"item");
}

// A decimal integer with an optional sign, as the profile functions' readers take it; def for
// anything else, an empty value and numbers beyond 32 bits included.
int IntegerOr(const std::wstring& text, int def) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
  if (i == text.size()) return def;
  long long value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < L'0' || text[i] > L'9') return def;
    value = value * 10 + (text[i] - L'0');
    if (value > static_cast<long long>(INT_MAX) + 1) return def;
  }
  if (negative) value = -value;
  return value < INT_MIN || value > INT_MAX ? def : static_cast<int>(value);
}

std::wstring FailureText(DWORD error) {
  std::wstring text = SystemErrorText(error);
  return text.empty() ? L"Error " + std::to_wstring(error) : text;
}
}  // namespace

bool SameProjectName(const std::wstring& a, const std::wstring& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) { return LowerAscii(x) == LowerAscii(y); });
}

std::wstring ProjectFileName(const std::wstring& name) { return NotesFolder + name + kProjectExtension; }

bool IsSafeProjectName(const std::wstring& name) {
  // The name alone too: "." or "name." would pass once the extension follows them.
  return IsPlainFileName(name) && IsPlainFileName(name + kProjectExtension);
}

std::vector<std::wstring> ProjectNames() {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileExW((NotesFolder + L"*" + kProjectExtension).c_str(), FindExInfoBasic, &found,
                                   FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) return names;
  const size_t extension = std::size(kProjectExtension) - 1;
  do {
    if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) continue;
    // The pattern also finds longer endings through the short names ("x.tdlx"): only ".tdl" counts.
    const std::wstring name = found.cFileName;
    if (EndsText(name, kProjectExtension)) names.push_back(name.substr(0, name.size() - extension));
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

bool IsIniProject(const TIniText& ini) {
  bool main = false, items = false;
  for (const TIniSection& s : ini.Sections) {
    if (SameText(s.Name, L"main")) {
      if (!s.Keys.empty()) return true;
      main = true;
    } else if (IsItemSection(s.Name)) {
      items = true;
    }
  }
  // A [main] line alone, without tasks, is read as one old-form line, as it always was.
  return main && items;
}

TToDoTasks TasksFromIni(const TIniText& ini) {
  TToDoTasks tasks;
  for (const TIniSection& s : ini.Sections) {
    if (!IsItemSection(s.Name)) continue;
    TToDoTask t;
    t.Title = s.Read(L"Title");
    t.Done = IntegerOr(s.Read(L"Checked"), 0) != 0;
    t.Priority = IntegerOr(s.Read(L"Priority"), kDefaultPriority);
    if (t.Priority == kLegacyPriority) t.Priority = kDefaultPriority;
    tasks.push_back(std::move(t));
  }
  return tasks;
}

TToDoTasks TasksFromLegacyText(const std::wstring& text) {
  TToDoTasks tasks;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find_first_of(L"\r\n", pos);
    if (end == std::wstring::npos) end = text.size();
    const std::wstring line = text.substr(pos, end - pos);
    TToDoTask t;
    t.Done = line.empty() || line[0] != L'0';
    t.Title = line.size() > 1 ? line.substr(1) : std::wstring();
    t.Priority = kLegacyPriority;
    tasks.push_back(std::move(t));
    pos = end;
    if (pos < text.size()) pos += text[pos] == L'\r' && pos + 1 < text.size() && text[pos + 1] == L'\n' ? 2 : 1;
  }
  return tasks;
}

TToDoTasks TasksFromText(const std::wstring& text) {
  const TIniText ini = ParseIniText(text);
  return IsIniProject(ini) ? TasksFromIni(ini) : TasksFromLegacyText(text);
}

std::wstring ProjectText(const TToDoTasks& tasks) {
  TIniWriter w;
  w.Section(L"main");
  w.Key(L"fileinfo", L"1");
  for (size_t i = 0; i < tasks.size(); ++i) {
    w.Section(L"item" + std::to_wstring(i));
    w.Key(L"Title", tasks[i].Title);
    w.Key(L"Checked", tasks[i].Done ? L"1" : L"0");
    w.Key(L"Priority", std::to_wstring(tasks[i].Priority));
  }
  return w.Text();
}

bool ReadProjectFile(const std::wstring& fileName, TToDoTasks& tasks, std::wstring& failure) {
  tasks.clear();
  std::vector<std::uint8_t> bytes;
  // Far beyond any list typed by hand: a bigger file is not read into memory but refused, and
  // so kept from being written over.
  constexpr std::uint64_t kMaxProjectBytes = std::uint64_t(64) << 20;
  if (!ReadWholeFile(fileName, bytes, kMaxProjectBytes)) {
    const DWORD error = GetLastError();
    // The system has no words of its own for this one ("Error 223" is all a user would see).
    failure = error == ERROR_FILE_TOO_LARGE
                  ? L"The file is larger than " + std::to_wstring(kMaxProjectBytes >> 20) +
                        L" MB, too large for a to-do project: it was not read and is left as it is."
                  : FailureText(error);
    return false;
  }
  if (!LooksLikeText(bytes)) {
    // Read as old text, its bytes would turn into tasks of garbage: the user is told instead.
    failure = L"The file does not hold text.";
    return false;
  }
  TIniEncoding encoding;
  tasks = TasksFromText(DecodeIniBytes(bytes, encoding));
  return true;
}

unsigned long WriteProjectFile(const std::wstring& fileName, const TToDoTasks& tasks) {
  return SaveIniFile(fileName, ProjectText(tasks));
}

namespace {
// What the list's order compares: the priority, and the title as the bytes it has in the ANSI
// code page, the form the project file keeps it in. A character that page cannot hold has no
// bytes: it comes after every byte, by its code, so that such titles still sort one way.
struct TSortKey {
  int Priority;
  std::u32string Title;
};

TSortKey SortKeyOf(const TToDoTask& t) {
  TSortKey key{t.Priority, {}};
  std::string bytes;
  if (TryWideToAnsi(t.Title, bytes)) {
    key.Title.reserve(bytes.size());
    for (char b : bytes) key.Title.push_back(static_cast<unsigned char>(b));
    return key;
  }
  ForEachAnsiChar(t.Title, [&key](char32_t code, std::string_view held) {
    if (held.empty()) key.Title.push_back(0x100 + code);
    for (char b : held) key.Title.push_back(static_cast<unsigned char>(b));
  });
  return key;
}

int CompareKeys(const TSortKey& a, const TSortKey& b) {
  if (a.Priority != b.Priority) return a.Priority > b.Priority ? 1 : -1;
  const int c = a.Title.compare(b.Title);
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}
}  // namespace

int CompareTasks(const TToDoTask& a, const TToDoTask& b) { return CompareKeys(SortKeyOf(a), SortKeyOf(b)); }

void SortTasks(TToDoTasks& tasks, std::vector<size_t>* order) {
  std::vector<TSortKey> keys;
  keys.reserve(tasks.size());
  for (const TToDoTask& t : tasks) keys.push_back(SortKeyOf(t));
  std::vector<size_t> index(tasks.size());
  std::iota(index.begin(), index.end(), size_t(0));
  std::stable_sort(index.begin(), index.end(),
                   [&keys](size_t a, size_t b) { return CompareKeys(keys[a], keys[b]) < 0; });
  TToDoTasks sorted;
  sorted.reserve(tasks.size());
  for (size_t i : index) sorted.push_back(std::move(tasks[i]));
  tasks = std::move(sorted);
  if (order) *order = std::move(index);
}

TProjectFileResult CreateProjectFile(const std::wstring& name, std::wstring& failure) {
  if (!IsSafeProjectName(name)) {
    failure = FailureText(ERROR_INVALID_NAME);
    return TProjectFileResult::Failed;
  }
  // CREATE_NEW: the test for an existing file and the creation are one step.
  HANDLE h = CreateFileW(ProjectFileName(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return TProjectFileResult::Exists;
    failure = FailureText(error);
    return TProjectFileResult::Failed;
  }
  CloseHandle(h);
  return TProjectFileResult::Done;
}

TProjectFileResult RenameProjectFile(const std::wstring& oldName, const std::wstring& newName, std::wstring& failure) {
  if (!IsSafeProjectName(newName)) {
    failure = FailureText(ERROR_INVALID_NAME);
    return TProjectFileResult::Failed;
  }
  const std::wstring target = ProjectFileName(newName);
  // A name that differs only in letter case finds the project's own file: that counts as taken.
  if (GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES) return TProjectFileResult::Exists;
  if (!MoveFileW(ProjectFileName(oldName).c_str(), target.c_str())) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return TProjectFileResult::Exists;
    failure = FailureText(error);
    return TProjectFileResult::Failed;
  }
  return TProjectFileResult::Done;
}

bool DeleteProjectFile(const std::wstring& name, std::wstring& failure) {
  if (DeleteFileW(ProjectFileName(name).c_str())) return true;
  const DWORD error = GetLastError();
  if (error == ERROR_FILE_NOT_FOUND) return true;
  failure = FailureText(error);
  return false;
}
