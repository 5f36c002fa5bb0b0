// The text of the FrameworkError a call raises, or "(no error)": lets a test
// compare the exact message the user would see.
#pragma once

#include <functional>
#include <string>

#include "store/errors.h"

namespace ordavi::testing {

inline std::string ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const FrameworkError& e) {
    return e.what();
  }
  return "(no error)";
}

}  // namespace ordavi::testing
