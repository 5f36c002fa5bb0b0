// Tests name a countdown type by its pending word ("关机"), as the user sees
// it on the countdown's buttons.
#pragma once

#include <string>

#include "store/task_types.h"

namespace ordavi::testing {

// The countdown type whose pending word is `word`; null for any other word.
inline const TaskType* CountdownTypeOf(const std::string& word) {
  for (const TaskType& t : kTaskTypes) {
    if (t.countdownWord && word == t.countdownWord) return &t;
  }
  return nullptr;
}

}  // namespace ordavi::testing
