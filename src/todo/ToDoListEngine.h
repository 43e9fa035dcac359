#pragma once
// To-do projects: one file per project in the user's folder, named after the project. The
// program writes the INI form (a [main] section, then one [itemN] section per task) and still
// reads the old plain-text form, one task per line, which becomes an INI file on its next save.
// Nothing here knows a window: the to-do window fills its controls from these task lists.
#include <string>
#include <vector>

struct TIniText;

// A task: one line of title, a done mark, and a priority (0 critical, 1 to 8, 9 lowest; -1 for
// a row read from an old plain-text file; any other number read from a file is kept as it is).
struct TToDoTask {
  std::wstring Title;
  bool Done = false;
  int Priority = 1;
  bool operator==(const TToDoTask&) const = default;
};
using TToDoTasks = std::vector<TToDoTask>;

inline constexpr int kLegacyPriority = -1, kDefaultPriority = 9, kNewTaskPriority = 1;
inline constexpr wchar_t kProjectExtension[] = L".tdl";

// NotesFolder + name + ".tdl"; the name goes in unchanged.
std::wstring ProjectFileName(const std::wstring& name);
// Whether a typed name can only make a file in the user's folder, as Windows takes names: no
// folder part or drive, not "." or "..", no dot or blank at the end, no character a file name
// cannot hold, no device name (CON, NUL, COM1, LPT¹ ..., also with an extension).
bool IsSafeProjectName(const std::wstring& name);
// Whether two project names are the same with the letters A to Z taken without regard to case
// (and every other character as it is).
bool SameProjectName(const std::wstring& a, const std::wstring& b);
// The projects in the user's folder, in the order the folder lists them: the plain files
// ending in ".tdl" (any letter case), without that ending.
std::vector<std::wstring> ProjectNames();

// Whether the text is read as the INI form: a [main] section that holds a key, or one without
// keys in a file that holds item sections. Everything else is the plain-text form.
bool IsIniProject(const TIniText& ini);
TToDoTasks TasksFromIni(const TIniText& ini);
// One task per line (CR LF, CR or LF; a line end at the very end adds no line): the first
// character is the done mark ("0" not done, anything else done), the rest the title.
TToDoTasks TasksFromLegacyText(const std::wstring& text);
// Either form, as the text says.
TToDoTasks TasksFromText(const std::wstring& text);
// The INI form of the tasks, in their order.
std::wstring ProjectText(const TToDoTasks& tasks);

// Reads a project file. False when it cannot be read (missing, locked, not text): failure then
// holds the reason and tasks is empty.
bool ReadProjectFile(const std::wstring& fileName, TToDoTasks& tasks, std::wstring& failure);
// Writes the tasks beside the file and replaces it only once they are all on disk: a failed
// save leaves the old file whole. Returns 0 or the system's error code.
unsigned long WriteProjectFile(const std::wstring& fileName, const TToDoTasks& tasks);

// The order of the list: priority, then title byte by byte as unsigned values, the bytes being
// the title's in the ANSI code page (letter case counts, a title that begins another comes
// first; a character the page cannot hold comes after every byte, by its code). The done mark
// takes no part. Negative, zero or positive.
int CompareTasks(const TToDoTask& a, const TToDoTask& b);
// Sorts by CompareTasks, keeping the order of equal tasks. With order, it receives for each new
// place the index the task had before.
void SortTasks(TToDoTasks& tasks, std::vector<size_t>* order = nullptr);

enum class TProjectFileResult { Done, Exists, Failed };
// Creates the empty (zero-byte) file of a new project; failure holds the reason of Failed.
TProjectFileResult CreateProjectFile(const std::wstring& name, std::wstring& failure);
// Gives a project's file a new name; Exists also when only the letter case differs on a file
// system that ignores it.
TProjectFileResult RenameProjectFile(const std::wstring& oldName, const std::wstring& newName, std::wstring& failure);
// Deletes a project's file (a missing one counts as deleted).
bool DeleteProjectFile(const std::wstring& name, std::wstring& failure);
