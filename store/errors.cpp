#include "store/errors.h"

namespace ordavi {

namespace {
FrameworkError Quoted(ErrorKind kind, const std::string& before, const std::string& name,
                      const std::string& after) {
  return FrameworkError(before + "'" + name + "'" + after, kind);
}
}  // namespace

FrameworkError SetDataError(const std::string& n) {
  return Quoted(ErrorKind::SetData, "Failed to set data for ", n, "");
}
FrameworkError GetDataError(const std::string& n) {
  return Quoted(ErrorKind::GetData, "Failed to get data for ", n, "");
}
FrameworkError InvalidTypeError(const std::string& n) {
  return Quoted(ErrorKind::InvalidType, "Invalid data type for ", n, "");
}
FrameworkError IntegerError(const std::string& t) {
  return Quoted(ErrorKind::NotInteger, "", t, " is not a valid integer value");
}
FrameworkError DateError(const std::string& t) { return Quoted(ErrorKind::NotDate, "", t, " is not a valid date"); }
FrameworkError FloatError(const std::string& t) {
  return Quoted(ErrorKind::NotFloat, "", t, " is not a valid floating point value");
}

std::string UserErrorText(const FrameworkError& error) {
  if (error.kind() == ErrorKind::SetData) return std::string(kRefusedSaveText) + "\n" + error.what();
  return error.what();
}

std::string ErrorBoxText(const std::string& message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
  return message;
}

}  // namespace ordavi
