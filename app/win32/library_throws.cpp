// How the standard library reports a misuse (an index past a string's end, a
// length past its limit) in the shipped program.
//
// The library throws std::out_of_range, std::length_error and their kin from
// one object file, whose classes keep their text in the library's older
// reference-counted string: linking it brings that whole string type in
// (about 45 KB of the program) for errors that are never meant to happen.
// These definitions are found before the library's, so its file is not
// linked: a misuse throws LibraryMisuse instead, a std::exception with the
// same message that the message handlers catch and report as before
// (ui/win32/window.h); the errors with classes of their own (bad_alloc,
// bad_cast, ...) are thrown as the library throws them. The test programs
// keep the library's own definitions.
#include <cstdarg>
#include <exception>
#include <functional>
#include <new>
#include <typeinfo>

#if defined(__GLIBCXX__)
namespace {

class LibraryMisuse : public std::exception {
 public:
  explicit LibraryMisuse(const char* what) : what_(what) {}
  const char* what() const noexcept override { return what_; }

 private:
  const char* what_;  // the library's own texts are literals
};

}  // namespace

namespace std {

void __throw_bad_exception() { throw bad_exception(); }
void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_bad_cast() { throw bad_cast(); }
void __throw_bad_typeid() { throw bad_typeid(); }
void __throw_logic_error(const char* s) { throw LibraryMisuse(s); }
void __throw_domain_error(const char* s) { throw LibraryMisuse(s); }
void __throw_invalid_argument(const char* s) { throw LibraryMisuse(s); }
void __throw_length_error(const char* s) { throw LibraryMisuse(s); }
void __throw_out_of_range(const char* s) { throw LibraryMisuse(s); }
// The format's arguments (an index, a size) are left out of the text.
void __throw_out_of_range_fmt(const char* fmt, ...) { throw LibraryMisuse(fmt); }
void __throw_runtime_error(const char* s) { throw LibraryMisuse(s); }
void __throw_range_error(const char* s) { throw LibraryMisuse(s); }
void __throw_overflow_error(const char* s) { throw LibraryMisuse(s); }
void __throw_underflow_error(const char* s) { throw LibraryMisuse(s); }

}  // namespace std
#endif
