#include "notes/NoteWrapper.h"

#include <algorithm>

#include "notes/InternalProcs.h"
#include "notes/NoteManagerUnit.h"
#include "notewindows/NoteConfUnit.h"
#include "notewindows/NoteFormUnit.h"
#include "ui/Application.h"
#include "ui/Clock.h"
#include "ui/MessageBox.h"
#include "ui/Paths.h"
#include "ui/RichEdit.h"

TNoteWrapper::TNoteWrapper(const std::string& id, TNoteOWN* owner) : Owner(owner) { Load(id); }

TNoteWrapper::TNoteWrapper(const std::string& id, const std::wstring& fileName, TNoteOWN* owner)
    : Owner(owner), ID(id), FileName(fileName), Note(new TNoteClass(id)) {
  MarkCorrupted();
}

void TNoteWrapper::MarkCorrupted() {
  Note->Text.clear();
  Note->Title = L"Corrupted Note";
  Corrupted = true;
}

TNoteWrapper::~TNoteWrapper() {
  // A properties dialog open for this note ends, and writes nothing into it.
  NotePropertiesWrapperGoing(this);
  *alive_ = false;
  // Windows are left alone, but none may point back at a freed wrapper: not the open one, nor
  // one already detached and closed whose release is still queued (at shut-down no messages
  // are handled between closing the notes and freeing them).
  if (Form && Form->Wrapper == this) Form->Wrapper = nullptr;
  if (Application)
    for (TForm* f : Application->Forms())
      if (auto* nf = dynamic_cast<TNoteForm*>(f); nf && nf->Wrapper == this) nf->Wrapper = nullptr;
  delete Note;
  Note = nullptr;
}

namespace {
// A virus scanner or a backup holds a file for seconds or minutes: ten minutes of tries.
constexpr int kLoadTries = 600;
}  // namespace

TNoteWrapper* TNoteWrapper::LoadListed(const std::string& id, TNoteOWN* owner) {
  std::unique_ptr<TNoteWrapper> w(new TNoteWrapper(owner));
  w->listed_ = true;
  w->Load(id);
  return w->gone_ ? nullptr : w.release();
}

bool TNoteWrapper::Load(const std::string& idIn) {
  TLifeCheck alive(alive_);
  const DWORD error = ReadNoteFile(idIn);
  if (error == ERROR_SUCCESS || !alive) return true;
  if (listed_ && (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)) {
    gone_ = true;
    return true;
  }
  // Held by another program, most likely, and readable again once it lets go. One too big to be
  // a note will not change.
  const bool retry = error != ERROR_FILE_TOO_LARGE;
  if (retry) loadTriesLeft_ = kLoadTries;
  ShowMessageBox(CannotLoadNoteText(FileName, SystemErrorText(error)) +
                     (retry ? L"\n\rIt is loaded as soon as it can be read; until then its file is left as it is." : L""),
                 L"Vantaro", MB_OK);
  return true;
}

DWORD TNoteWrapper::ReadNoteFile(const std::string& idIn) {
  const std::string id = idIn.empty() ? NewNoteID() : idIn;
  const std::wstring fileName = NoteFileName(id);
  // Taken before the read: a change made to the file meanwhile only costs one save too many.
  const std::optional<TFileStamp> stamp = idIn.empty() ? std::nullopt : StampOf(fileName);
  // Listed, and gone before it could be read: no note to make, and no window.
  if (listed_ && !stamp) return ERROR_FILE_NOT_FOUND;
  auto note = std::make_unique<TNoteClass>(id);
  std::vector<std::uint8_t> bytes;
  DWORD readError = ERROR_SUCCESS;
  // The loader may ask something (a note from a newer version), and its box runs the message
  // loop: a shut-down meanwhile frees this note, which is then left alone.
  TLifeCheck alive(alive_);
  const bool loaded = !stamp || note->LoadFromFile(fileName, &bytes, &readError);
  if (!alive) return ERROR_CANCELLED;
  InvalidatePreview();
  delete Note;
  Note = note.release();
  Corrupted = false;
  ID = id;
  FileName = fileName;
  stored_ = std::move(bytes);
  stamp_ = stamp;
  if (!loaded) {
    stored_.clear();
    stamp_.reset();
    MarkCorrupted();
    return readError;
  }
  if (!stamp || !Note->GetHidden()) {
    try {
      OpenForm();
    } catch (const std::exception&) {
      // No window could be made for it: the note is kept, closed, and opens when shown again.
    }
  }
  return ERROR_SUCCESS;
}

void TNoteWrapper::RetryLoad() {
  if (loadTriesLeft_ <= 0) return;
  --loadTriesLeft_;
  // A file gone meanwhile may come back (a sync); read now, it would make a new empty note.
  TLifeCheck alive(alive_);
  const DWORD error = StampOf(FileName) ? ReadNoteFile(ID) : ERROR_FILE_NOT_FOUND;
  if (!alive) return;
  if (error == ERROR_SUCCESS) {
    loadTriesLeft_ = 0;
    // A properties dialog opened on the stand-in ends as cancelled: its values would write over
    // the note just read.
    NotePropertiesWrapperGoing(this);
    Changed();  // listed anew, as a note or as the corrupted one its content makes it
    return;
  }
  if (error == ERROR_FILE_TOO_LARGE) loadTriesLeft_ = 0;
  if (loadTriesLeft_ > 0) return;
  // Last: the box runs the message loop.
  ShowMessageBox(CannotLoadNoteText(FileName, SystemErrorText(error)) +
                     L"\n\rIt is no longer tried; its file is left as it is.",
                 L"Vantaro", MB_OK);
}

namespace {
int g_quietOpenings = 0;
TNoteForm* g_lastQuietForm = nullptr;
TLifeCheck g_lastQuietFormAlive;
}  // namespace

TQuietOpening::TQuietOpening() { ++g_quietOpenings; }

TQuietOpening::~TQuietOpening() {
  if (--g_quietOpenings > 0) return;
  TNoteForm* last = g_lastQuietFormAlive ? g_lastQuietForm : nullptr;
  g_lastQuietForm = nullptr;
  g_lastQuietFormAlive = TLifeCheck();
  if (last && last->HandleAllocated() && IsWindowVisible(last->HandleIfAllocated()))
    SetForegroundWindow(last->HandleIfAllocated());
}

bool TNoteWrapper::OpenForm() {
  Note->SetHidden(false);
  if (!Form) Form = new TNoteForm(Application);
  TNoteForm* form = Form;
  try {
    form->SetVisible(false);
    form->SetAlphaBlend(NoteTransparency);
    if (NoteTransparency) form->SetAlphaBlendValue(200);
    form->Wrapper = this;
    form->SetNoteBounds(Note->Left, Note->Top, Note->Width, Note->Height);
    form->NoteEdit->LoadFromBytes(Note->Text);
    form->UpdateTimer->SetEnabled(false);
    // The component name is the note identifier; it must be unique among the application's.
    form->SetName(AnsiToWide(Note->Name));
    form->SetCaption(L"Vantaro");
    form->ApplyColor(Note->NoteColor);
    if (g_quietOpenings > 0) {
      form->ShowInactive();
      g_lastQuietForm = form;
      g_lastQuietFormAlive = form->Watch();
    } else {
      form->Show();
    }
    form->Repaint();
    form->FormResize(form);
    form->ApplyStayOnTop(form);
  } catch (...) {
    // A window that could not be made or filled is given up; neither it nor this note may keep
    // pointing at the other.
    Form = nullptr;
    form->Wrapper = nullptr;
    form->Release();
    throw;
  }
  HideAppWindows();
  return true;
}

void BringApplicationToFront() {
  if (!Application) return;
  HWND popup = Application->LastActivePopup();
  if (popup && popup != Application->Handle() && IsWindowVisible(popup) && IsWindowEnabled(popup))
    SetForegroundWindow(popup);
}

void TNoteWrapper::ShowNote() {
  if (Form) {
    Form->BringToFront();
    Form->NoteEdit->SetFocus();
    BringApplicationToFront();
    // Already open (an alarm ringing, say): only what it shows may have changed.
    FieldsChanged();
    return;
  }
  if (!Corrupted) {
    OpenForm();
    if (Form) Form->BringToFront();
    BringApplicationToFront();
  } else {
    ShowMessageBox(L"Corrupted Note: " + AnsiToWide(Note->Name), L"Vantaro", MB_OK);
  }
  Changed();
}

void TNoteWrapper::HideNote(bool freeForm) {
  TLifeCheck alive(alive_);
  Note->SetHidden(true);
  CloseForm(freeForm);
  // Closing the window handled messages: the note may have been freed meanwhile.
  if (alive) Changed();
}

void TNoteWrapper::CloseForm(bool freeForm) {
  if (!Form) return;
  TNoteForm* form = Form;
  Form = nullptr;
  Save();
  form->UpdateTimer->SetEnabled(false);
  form->Allarme->SetEnabled(false);
  if (freeForm) form->Close();
  if (!Closing && Application) Application->ProcessMessages();
}

void TNoteWrapper::RefreshForm() {
  if (Form) {
    // Loading the text again puts the caret at the start and scrolls to the top: the next keys
    // would land there.
    const CHARRANGE selection = Form->NoteEdit->Selection();
    const POINT scroll = Form->NoteEdit->ScrollPosition();
    OpenForm();
    if (Form) {
      Form->NoteEdit->SetSelection(selection.cpMin, selection.cpMax);
      Form->NoteEdit->SetScrollPosition(scroll);
      Form->Repaint();
    }
  }
  FieldsChanged();
}

void TNoteWrapper::FieldsChanged() {
  if (auto* manager = dynamic_cast<TNotesManager*>(Owner); manager && manager->OnNoteChanged)
    manager->OnNoteChanged(this);
}

bool TNoteWrapper::UpdateFromForm() {
  if (!Form) return false;
  bool changed = false;
  // The control writes its text anew on every copy, not always in the same words: only an
  // edit makes it the note's text.
  if (Form->NoteEdit->Modified()) {
    InvalidatePreview();
    Note->Text = Form->NoteEdit->SaveToBytes();
    Form->NoteEdit->SetModified(false);
    changed = true;
    // Once per save of what was typed, not per key: the list shows the text's first line.
    FieldsChanged();
  }
  const RECT r = Form->NoteBounds();
  const std::int32_t bounds[] = {r.left, r.top, r.right - r.left, r.bottom - r.top};
  std::int32_t* fields[] = {&Note->Left, &Note->Top, &Note->Width, &Note->Height};
  for (size_t i = 0; i < 4; ++i)
    if (*fields[i] != bounds[i]) {
      *fields[i] = bounds[i];
      changed = true;
    }
  return changed;
}

std::optional<TNoteWrapper::TFileStamp> TNoteWrapper::StampOf(const std::wstring& fileName) {
  WIN32_FILE_ATTRIBUTE_DATA a{};
  if (!GetFileAttributesExW(fileName.c_str(), GetFileExInfoStandard, &a) || (a.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return std::nullopt;
  return TFileStamp{(std::uint64_t(a.nFileSizeHigh) << 32) | a.nFileSizeLow,
                    (std::uint64_t(a.ftLastWriteTime.dwHighDateTime) << 32) | a.ftLastWriteTime.dwLowDateTime};
}

bool TNoteWrapper::FileUnchanged() const {
  if (Corrupted || deleted_) return true;  // never written
  return !stored_.empty() && stamp_ && StampOf(FileName) == stamp_;
}

bool TNoteWrapper::TrySave(DWORD& error) {
  error = ERROR_SUCCESS;
  if (Corrupted || deleted_) return true;  // never written
  UpdateFromForm();
  std::vector<std::uint8_t> image = EncodeNoteFile(*Note);
  // A failed write leaves the file as it was: when the note is back to that, nothing is owed.
  // The file itself may have gone or changed behind our back (a restore or a sync tool that
  // removed the folder and made it again): then the note is written whatever it holds.
  if (image != stored_ || !FileUnchanged()) {
    SaveFailed = !Note->SaveToFile(FileName, &error);
    // The folder itself may have gone: it is made again, and the save tried once more.
    if (SaveFailed && error == ERROR_PATH_NOT_FOUND && ForceDirectories(ExtractFilePath(FileName)))
      SaveFailed = !Note->SaveToFile(FileName, &error);
    if (SaveFailed) return false;
    stored_ = std::move(image);
    stamp_ = StampOf(FileName);
  }
  SaveFailed = failureTold_ = false;
  return true;
}

bool TNoteWrapper::Save() {
  DWORD error = ERROR_SUCCESS;
  if (TrySave(error)) return true;
  std::wstring text = L"The note \"" + Note->Title + L"\" cannot be saved:\n\r" + SystemErrorText(error);
  if (Closing) {
    AppendToErrorLog(text);
    return false;
  }
  if (failureTold_) return false;
  failureTold_ = true;
  // Last: the box runs the message loop, during which this note may go.
  ShowMessageBox(text + L"\n\rIts changes are kept, and saving is tried again every second.", L"Error",
                 MB_OK | MB_ICONERROR);
  return false;
}

void TNoteWrapper::CheckAlarm() {
  if (Note->AlarmOn && Now() > Note->AlarmAt) {
    ShowNote();
    if (Form) {
      Note->AlarmOn = false;
      Form->Allarme->SetEnabled(true);
    } else if (Corrupted) {
      // A corrupted note can never ring: disarm it in memory (its file is never written),
      // instead of repeating the corrupted-note message every second.
      Note->AlarmOn = false;
    }
    if (!Note->AlarmOn) FieldsChanged();
  }
}

void TNoteWrapper::CheckAutoShow() {
  if (Note->AutoShowPending == 1 && Now() > Note->ShowAt) {
    Note->AutoShowPending = 0;
    ShowNote();
    Save();
  }
}

void TNoteWrapper::HideUntil(TDateTime when) {
  if (!(Now() < when)) return;
  Note->AutoShowPending = 1;
  Note->ShowAt = when;
  TLifeCheck alive(alive_);
  if (Form) HideNote(true);
  if (alive) Save();
}

void TNoteWrapper::HideForMinutes(unsigned minutes) { HideUntil(Now() + minutes / 1440.0); }

void TNoteWrapper::Changed() {
  if (auto* manager = dynamic_cast<TNotesManager*>(Owner)) manager->RefreshView();
}

void TNoteWrapper::GetTitle(std::wstring& s) const { s = Note->Title; }

void TNoteWrapper::SetTitle(const std::wstring& s) {
  UpdateFromForm();
  Note->Title = s;
  if (Form) Form->Repaint();
}

void TNoteWrapper::InvalidatePreview() {
  PreviewDirty = true;
  Preview.clear();
}

std::wstring MakePreview(const std::wstring& plainText) {
  // The first 255 characters, never half of a pair that makes one character.
  size_t n = std::min<size_t>(plainText.size(), 255);
  if (n == 255 && IS_HIGH_SURROGATE(plainText[n - 1])) --n;
  const std::wstring p = Trim(plainText.substr(0, n));
  std::wstring out;
  for (size_t i = 0; i < p.size(); ++i) {
    if (p[i] == L'\n' && i + 1 < p.size() && p[i + 1] == L'\r') {
      out += L' ';
      ++i;
    } else {
      out += p[i];
    }
  }
  for (wchar_t& c : out)
    if (c >= 1 && c <= 31) c = L' ';
  return out;
}

void TNoteWrapper::GetPreview(std::wstring& s) {
  if (PreviewDirty) {
    PreviewDirty = false;
    Preview = MakePreview(RichTextToPlainText(Note->Text));
  }
  s = Preview;
}

std::wstring TNoteWrapper::GetPreview() {
  std::wstring s;
  GetPreview(s);
  return s;
}

void TNoteWrapper::FormDestroyed(TNoteForm* form) {
  if (Form == form) Form = nullptr;
}
