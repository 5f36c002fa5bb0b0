#include "store/errors.h"

namespace ordavi {

namespace {
FrameworkError Quoted(const std::string& before, const std::string& name, const std::string& after) {
  return FrameworkError(before + "'" + name + "'" + after);
}
}  // namespace

FrameworkError SetDataError(const std::string& n) { return Quoted("Failed to set data for ", n, ""); }
FrameworkError GetDataError(const std::string& n) { return Quoted("Failed to get data for ", n, ""); }
FrameworkError InvalidTypeError(const std::string& n) { return Quoted("Invalid data type for ", n, ""); }
FrameworkError IntegerError(const std::string& t) { return Quoted("", t, " is not a valid integer value"); }
FrameworkError DateError(const std::string& t) { return Quoted("", t, " is not a valid date"); }
FrameworkError FloatError(const std::string& t) { return Quoted("", t, " is not a valid floating point value"); }

std::string ErrorBoxText(const std::string& message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
  return message;
}

}  // namespace ordavi
