#pragma once
// The application object: its hidden top-level window owns the program's windows (so none of
// them gets a taskbar button), it runs the one message loop, and every error that reaches the
// message loop goes to its error hook.
#include <windows.h>

#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "ui/Component.h"

class TForm;
class TTimer;

class TApplication : public TComponent {
 public:
  TApplication();
  ~TApplication() override;

  HWND Handle() const { return hwnd_; }
  std::wstring Title() const { return title_; }
  void SetTitle(const std::wstring& title);

  // Runs the message loop until Terminate.
  void Run();
  // Handles the messages waiting, then returns: when none is left, or after
  // kProcessMessagesMs even when more keep coming.
  void ProcessMessages();
  static constexpr ULONGLONG kProcessMessagesMs = 50;
  // Handles one message, or idles and waits when there is none.
  void HandleMessage();
  void Terminate();
  bool Terminated() const { return terminated_; }

  bool Active() const { return active_; }
  std::function<void()> OnActivate;
  std::function<void()> OnDeactivate;
  // The last active pop-up window of the application (a modal dialog, a note...).
  HWND LastActivePopup() const;

  // Every error that reaches a window procedure or the message loop. One at a time: while
  // one is being shown, further errors are only kept (ErrorLog, SuppressedErrors).
  std::function<void(const std::exception& error)> OnException;
  // The errors that arrive while one is being shown: kept by the hook, never shown.
  std::function<void(const std::exception& error)> OnExceptionWhileShowing;
  static void HandleException(std::exception_ptr error);
  static bool ShowingError();
  static int SuppressedErrors();
  static const std::vector<std::wstring>& ErrorLog();

  // Idle work: actions update themselves.
  std::function<void()> OnIdle;

  // Forms of the application, in creation order (owned or not).
  const std::vector<TForm*>& Forms() const { return forms_; }
  TForm* FindForm(HWND hwnd) const;
  TForm* ActiveForm() const;

  // Called by the window layer.
  void RegisterForm(TForm* form);
  void UnregisterForm(TForm* form);
  // A form of ours was activated or deactivated (its WM_ACTIVATE).
  void FormActivated(TForm* form, bool active);
  void ReleaseForm(TForm* form);  // frees it after the messages already queued
  // Queues the releases that had to wait (for a handler to return, or a modal loop to end).
  void CheckPendingReleases();
  TForm* FindFormBySerial(unsigned long long serial) const;
  UINT_PTR AddTimer(TTimer* timer);
  void RemoveTimer(UINT_PTR id);
  void SetActive(bool active);
  int ModalLevel = 0;

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  bool ProcessMessage(MSG& msg);
  bool PreTranslate(MSG& msg);
  bool IsShortCut(const MSG& msg, TForm* form);
  void Idle();
  void DoRelease(unsigned long long serial);

  HWND hwnd_ = nullptr;
  std::wstring title_;
  bool terminated_ = false;
  bool active_ = false;
  std::vector<TForm*> forms_;
  TForm* activeForm_ = nullptr;
  TLifeCheck activeFormAlive_;
  std::vector<std::pair<UINT_PTR, TTimer*>> timers_;
  UINT_PTR nextTimerId_ = 1000;
};

// Marks a catch that hands every error to the error hook, for as long as the code it guards
// runs. A processor fault (an access violation...) raised in that code can then be raised
// again as a C++ exception and caught there, like any other error of a window handler; the
// error report asks for the innermost one. Declare it first inside the try block.
class TErrorBoundary {
 public:
  TErrorBoundary() : previous_(innermost_) { innermost_ = this; }
  ~TErrorBoundary() { innermost_ = previous_; }
  TErrorBoundary(const TErrorBoundary&) = delete;
  TErrorBoundary& operator=(const TErrorBoundary&) = delete;
  // Its address lies in the stack frame of the function that catches; null outside any.
  static const void* Innermost() { return innermost_; }

 private:
  TErrorBoundary* previous_;
  static thread_local TErrorBoundary* innermost_;
};

// The one application object; created at start-up (and by tests), freed at exit.
extern TApplication* Application;

inline constexpr UINT WM_VXQ_RELEASE = WM_APP + 0x200;
