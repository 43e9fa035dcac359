#pragma once
// Tasks as one line of text, "[title|x|priority]" each, so a test states a whole list at once.
#include <string>

#include "todo/ToDoListEngine.h"
#include "ui/Types.h"

namespace tasktext {
inline std::string Describe(const TToDoTasks& tasks) {
  std::string s;
  for (const TToDoTask& t : tasks)
    s += "[" + WideToUtf8(t.Title) + "|" + (t.Done ? "x" : " ") + "|" + std::to_string(t.Priority) + "]";
  return s;
}
}  // namespace tasktext
