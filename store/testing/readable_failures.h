// GoogleTest's failure messages made readable in a UTF-8 log. The tests are
// compiled with GBK literals, so an expression's Chinese reaches the log as
// GBK bytes, and a text value is printed as escaped bytes
// ("\xC3\xBF\xCC\xEC"), exact but unreadable.
#pragma once

#include <string>

#include "store/unicode.h"

namespace ordavi::testing {

// The message with its GBK bytes as UTF-8; after each value printed as
// escaped bytes ("Which is: ..."), the same value as text, control bytes
// shown as \xNN.
std::string ReadableFailure(const std::string& message, GbkCodec& codec);

// Puts a printer in place of GoogleTest's own that prints every failure
// through ReadableFailure. Call after InitGoogleTest; `codec` outlives the run.
void PrintFailuresReadably(GbkCodec& codec);

}  // namespace ordavi::testing
