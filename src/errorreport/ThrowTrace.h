#pragma once
// The call stack at the moment an exception was thrown. Every C++ throw passes through our
// wrapper of the runtime's throw routine (linked with --wrap=__cxa_throw), which records the
// return addresses before any unwinding has happened; the error report asks for them later by
// the thrown object's address.
#include <windows.h>

#include <vector>

struct TThrowStack {
  std::vector<void*> Frames;  // innermost first: frame 0 is the function that threw
  SYSTEMTIME Moment{};        // local time of the throw
  bool FaultFirst = false;    // frame 0 is a faulting instruction, not a return address
};

// The stack of the throw whose exception object is at object, when it is still remembered.
bool FindThrowStack(const void* object, TThrowStack& stack);
