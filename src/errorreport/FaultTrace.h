#pragma once
// Processor faults (an access violation, a division by zero...) in our own code. In a window
// handler such a fault is raised again as a C++ exception where the faulting function was
// called, and is caught where the handler's other errors are caught: it gets the same report,
// and the program goes on if the user chooses so. A fault anywhere else reaches the
// unhandled-exception filter, which reports it before the process ends.
#include <windows.h>

#include <functional>
#include <stdexcept>
#include <string>

#include "errorreport/ThrowTrace.h"

class EExternalException : public std::runtime_error {
 public:
  EExternalException(const std::wstring& message, TThrowStack stack);
  std::wstring Message;  // "Access violation at address ... in module '...'. Write of address ..."
  TThrowStack Stack;     // walked from the faulting instruction's context
};

// Installs the vectored handler that raises faults again as EExternalException, and the
// unhandled-exception filter, which hands a fault to onUnhandled and then the filter found
// before it (none: the process ends). Remove puts that filter back.
void InstallFaultHandlers(std::function<void(const EExternalException&)> onUnhandled);
void RemoveFaultHandlers();
