// A minimal test framework for the Win32 test programs that run under Wine,
// where GoogleTest is not available.
//
//   WT_TEST(AddTaskWritesFourValues) {
//     CHECK(store.Count() == 1);
//     CHECK_EQ(reg.ReadString("A1"), std::string("每天8时30分"));
//     CHECK_THROWS_WITH(reg.ReadInteger("A1"), "Invalid data type for 'A1'");
//   }
//   int main(int argc, char** argv) { return winetest::RunAll(argc, argv); }
//
// Test cases run in the order they are defined. A failed check reports its
// file, line and values and the case goes on; REQUIRE ends the case at once.
// A case fails when any check fails or an exception escapes it. The last line
// printed is exactly "N passed, N failed" (counting cases), and the exit code
// is 0 only when none failed. Arguments, when given, select the cases whose
// names contain one of them.
//
// Texts are shown twice: as readable text (GBK converted to UTF-8, so the
// Chinese stays legible in a Linux log) and as their bytes in hex.
#pragma once

#include <cstdint>
#include <cstdio>
#include <exception>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace winetest {

struct TestCase {
  const char* name;
  void (*fn)();
};

inline std::vector<TestCase>& Registry() {
  static std::vector<TestCase> cases;
  return cases;
}

struct Registrar {
  Registrar(const char* name, void (*fn)()) { Registry().push_back({name, fn}); }
};

// Thrown by REQUIRE to end the current case.
struct Abort {};

inline int& FailuresInCase() {
  static int n = 0;
  return n;
}

inline std::string Hex(const std::string& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const unsigned char b = static_cast<unsigned char>(bytes[i]);
    if (i) out += ' ';
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

// GBK text as UTF-8 for the log; control bytes (NUL included) as \xNN.
inline std::string Readable(const std::string& gbk) {
  std::string shown;
  for (char c : gbk) {
    const unsigned char b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F) {
      char esc[8];
      std::snprintf(esc, sizeof esc, "\\x%02X", b);
      shown += esc;
    } else {
      shown += c;
    }
  }
#ifdef _WIN32
  const int wn = MultiByteToWideChar(936, 0, shown.data(), static_cast<int>(shown.size()), nullptr, 0);
  if (wn > 0) {
    std::wstring w(static_cast<std::size_t>(wn), L'\0');
    MultiByteToWideChar(936, 0, shown.data(), static_cast<int>(shown.size()), &w[0], wn);
    const int un = WideCharToMultiByte(CP_UTF8, 0, w.data(), wn, nullptr, 0, nullptr, nullptr);
    if (un > 0) {
      std::string utf8(static_cast<std::size_t>(un), '\0');
      WideCharToMultiByte(CP_UTF8, 0, w.data(), wn, &utf8[0], un, nullptr, nullptr);
      return utf8;
    }
  }
#endif
  return shown;
}

inline std::string Show(const std::string& s) { return "\"" + Readable(s) + "\" [" + Hex(s) + "]"; }
inline std::string Show(const char* s) { return s ? Show(std::string(s)) : std::string("(null)"); }
inline std::string Show(char* s) { return Show(static_cast<const char*>(s)); }
inline std::string Show(bool b) { return b ? "true" : "false"; }

template <typename T>
std::string Show(const T& v) {
  std::ostringstream os;
  if constexpr (std::is_enum_v<T>) {
    os << "enum " << static_cast<long long>(v);
  } else if constexpr (std::is_integral_v<T>) {
    os << +v;
    if constexpr (std::is_unsigned_v<T>) os << " (0x" << std::hex << std::uppercase << +v << ")";
  } else {
    os << v;
  }
  return os.str();
}

inline void Fail(const char* file, int line, const std::string& what) {
  ++FailuresInCase();
  std::printf("  %s:%d: FAILED %s\n", file, line, what.c_str());
  std::fflush(stdout);
}

template <typename A, typename B>
bool CheckEq(const A& a, const B& b, const char* ea, const char* eb, const char* file, int line) {
  if (a == b) return true;
  Fail(file, line, Readable(ea) + " == " + Readable(eb) + "\n    actual:   " + Show(a) + "\n    expected: " + Show(b));
  return false;
}

inline int RunAll(int argc, char** argv) {
  int passed = 0;
  int failed = 0;
  for (const TestCase& tc : Registry()) {
    bool selected = argc < 2;
    for (int i = 1; i < argc && !selected; ++i) selected = std::string(tc.name).find(argv[i]) != std::string::npos;
    if (!selected) continue;
    std::printf("[ RUN  ] %s\n", tc.name);
    std::fflush(stdout);
    FailuresInCase() = 0;
    try {
      tc.fn();
    } catch (const Abort&) {
      // REQUIRE already reported the failure.
    } catch (const std::exception& e) {
      ++FailuresInCase();
      std::printf("  FAILED unexpected exception: %s\n", Readable(e.what()).c_str());
    } catch (...) {
      ++FailuresInCase();
      std::printf("  FAILED unexpected exception of unknown type\n");
    }
    const bool ok = FailuresInCase() == 0;
    (ok ? passed : failed)++;
    std::printf("[ %s ] %s\n", ok ? " OK " : "FAIL", tc.name);
    std::fflush(stdout);
  }
  std::printf("%d passed, %d failed\n", passed, failed);
  std::fflush(stdout);
  return failed == 0 ? 0 : 1;
}

}  // namespace winetest

#define WT_CONCAT_(a, b) a##b
#define WT_CONCAT(a, b) WT_CONCAT_(a, b)

#define WT_TEST(name)                                                       \
  static void name();                                                       \
  static ::winetest::Registrar WT_CONCAT(wt_registrar_, name)(#name, name); \
  static void name()

#define CHECK(cond)                                                                                  \
  do {                                                                                               \
    if (!(cond)) ::winetest::Fail(__FILE__, __LINE__, "CHECK(" + ::winetest::Readable(#cond) + ")"); \
  } while (0)

#define CHECK_EQ(actual, expected) ::winetest::CheckEq((actual), (expected), #actual, #expected, __FILE__, __LINE__)

// Ends the case when the condition does not hold (for preconditions of later checks).
#define REQUIRE(cond)                                                                       \
  do {                                                                                      \
    if (!(cond)) {                                                                          \
      ::winetest::Fail(__FILE__, __LINE__, "REQUIRE(" + ::winetest::Readable(#cond) + ")"); \
      throw ::winetest::Abort{};                                                            \
    }                                                                                       \
  } while (0)

// The statement must throw an exception derived from std::exception whose
// what() equals `text` exactly.
#define CHECK_THROWS_WITH(stmt, text)                                                                        \
  do {                                                                                                       \
    bool wt_threw_ = false;                                                                                  \
    try {                                                                                                    \
      stmt;                                                                                                  \
    } catch (const std::exception& wt_e_) {                                                                  \
      wt_threw_ = true;                                                                                      \
      ::winetest::CheckEq(std::string(wt_e_.what()), std::string(text), "what() of " #stmt, #text, __FILE__, \
                          __LINE__);                                                                         \
    }                                                                                                        \
    if (!wt_threw_) ::winetest::Fail(__FILE__, __LINE__, ::winetest::Readable(#stmt) + " did not throw");    \
  } while (0)
