#pragma once
// Process-wide state of the program: the state flags, the user settings, the user's data
// folder, note identifiers and file names, the single-instance test and the shell openers.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "ui/Types.h"

// A font as the settings keep it: exactly 264 bytes, stored whole as one registry binary.
#pragma pack(push, 1)
struct TFontSetting {
  std::uint8_t NameLength;  // 0..255
  char Name[255];           // ANSI face name; bytes behind NameLength are carried as they are
  std::uint8_t Size;        // points
  std::uint8_t Style;       // bit 0 bold, 1 italic, 2 underline, 3 strike-out
  std::uint8_t Padding[2];
  std::uint32_t Color;

  std::string FaceName() const { return std::string(Name, NameLength); }
  void SetFaceName(const std::string& face);
};
#pragma pack(pop)
static_assert(sizeof(TFontSetting) == 264, "TFontSetting is stored byte for byte");

inline constexpr std::uint8_t fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8;

// State flags.
extern bool Loading;          // start-up under way
extern bool Closing;          // shut-down already running
extern bool UIEnabled;        // hot keys, tray and menus act
extern bool SettingsChanged;  // the settings dialog was confirmed: write settings at shut-down

// Holds UIEnabled clear while it lives, then gives back the value it found: a dialog opened while
// another one holds the user interface must not free it when it closes.
class TUIDisabled {
 public:
  TUIDisabled() : was_(UIEnabled) { UIEnabled = false; }
  ~TUIDisabled() { UIEnabled = was_; }
  TUIDisabled(const TUIDisabled&) = delete;
  TUIDisabled& operator=(const TUIDisabled&) = delete;

 private:
  bool was_;
};

// Settings.
extern bool SafeSave;
extern TColor NoteColor;
extern TColor TitleColor;
extern bool NoteAnimations;
extern bool NoteTransparency;
extern TFontSetting TitleFont;
extern TFontSetting NoteFont;
extern std::wstring TrillFile;
extern std::wstring LanguageName;
extern std::int32_t DefNoteWidth;
extern std::int32_t DefNoteHeight;
extern std::uint8_t DefaultTrayIconAction;

// The engine's defaults for colours and fonts, set on every start before the settings load.
void SetDefaultSettings();

// The current user's data folder, with its trailing backslash; empty until InitUserFolder.
extern std::wstring NotesFolder;
void InitUserFolder();

void NoteFileName(const std::string& id, std::wstring& fileName);
std::wstring NoteFileName(const std::string& id);
void NewNoteID(std::string& id);
std::string NewNoteID();
bool NoteNameInUse(const std::string& id);

bool IsAlreadyRunning(HANDLE& handle, const std::string& name);
// Opens a note's linked file; one that would run (IsRunnableFile) only after the user, told
// its name, agrees.
void OpenLinkedFile(const std::wstring& fileName);
// Whether opening the file runs it: a program, script, installer, shortcut and the like, by
// its extension (the system's PATHEXT list and the other kinds the shell runs); a name without
// an extension, and a file that starts with a program's header ("MZ") whatever its name.
bool IsRunnableFile(const std::wstring& fileName);
// Opens a web address (http, https, ftp, mailto, or one starting with "www.", which is opened
// as http://); anything else, such as a file: address that could start a program, is not.
void OpenURL(HWND wnd, const std::wstring& url);
// For tests: receives what would be handed to the shell to open, in place of the shell.
void SetShellOpenHook(std::function<void(const std::wstring& target)> hook);
// Hands target to the shell to open with its associated program, from folder.
void ShellOpen(HWND wnd, const std::wstring& target, const std::wstring& folder);

// Shut-down, window hiding and sounds.
// Ends the application's work: stops the main timer, removes the tray icon and frees the
// engine (which saves everything). With freeMainForm it also frees the main window and ends
// the message loop.
void Shutdown(bool freeMainForm);
// The guarded entry for session end and the close request: runs the shut-down once.
void ShutdownOnce();
// The answer to WM_QUERYENDSESSION, on any window of ours: every note is saved before the
// answer. While a note cannot be saved the answer is no, the program runs on and the system is
// told which note, until saving works again.
bool QueryEndSession();
// WM_ENDSESSION, on any window of ours: when the session ends, the program shuts down (saving
// everything) before it returns, as the process may be ended right after; when another program
// refused, the session and the program go on.
void EndSession(bool ending);
// Documents beside the notes (the to-do list, the events) that may hold changes. Each kind's
// owner registers under its own name one function that writes their changes, asking nothing,
// and returns what could not be written (a text naming it), empty when all is on disk. A new
// function replaces the kind's old one; an empty one takes it away.
using TPendingDocuments = std::function<std::wstring()>;
void SetPendingDocuments(const std::wstring& kind, TPendingDocuments pending);
// Writes them all; what could not be written, one kind a line, or empty.
std::wstring SavePendingDocuments();
// Before the program ends at the user's wish: while they cannot be saved the user is asked to try
// again or to stay; false when the user stays (or a shut-down ran during the question).
bool SavePendingDocumentsBeforeExit();
// What the system was told holds up the end of the session; empty when nothing does.
const std::wstring& ShutdownBlockReason();
// Withdraws that reason once no note's save fails any more; the main tick calls it.
void CheckShutdownBlockReason();
// Hides the main window and the application's own window, so there is no taskbar button.
void HideAppWindows();
void PlaySoundFile(const std::wstring& fileName, bool wait);
void PlayAlarmSound();
// Plays a sound to try it out: at once, in place of any that plays, and without holding up the
// window thread (a long file must not freeze the program).
void PlayTrialSound(const std::wstring& fileName);
// Stops the sound that plays, if any.
void StopSound();
// For tests: receives what would be played (the file and the sndPlaySound flags) in place of
// the sound, an empty file name for a stop; an empty hook plays again.
void SetSoundHook(std::function<void(const std::wstring& fileName, UINT flags)> hook);

// The system's text for an error code, on one line.
std::wstring SystemErrorText(DWORD error);
// Appends an entry to the error log beside the program; failures to write it are ignored.
void AppendToErrorLog(const std::wstring& text);
