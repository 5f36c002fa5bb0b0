#include "schedule/win32/win32_clock.h"

#include <windows.h>

#include <vector>

#include "platform/win32/system_library.h"

namespace ordavi {

namespace {
// Used only when the locale cannot be read: it holds year, month and day and
// no byte of "日", so a date written with it reads back with it.
constexpr const char* kFallbackShortDate = "yyyy/M/d";
}  // namespace

std::uint32_t Win32SystemClock::TickCount() { return GetTickCount(); }

std::uint64_t Win32SystemClock::TickCount64() {
  using Fn = ULONGLONG(WINAPI*)();
  static const Fn tickCount64 = SystemProc<Fn>("kernel32.dll", "GetTickCount64");
  if (tickCount64) return tickCount64();
  // Read at least every ten seconds by the tick, so no wrap goes unseen.
  const std::uint32_t now = GetTickCount();
  if (now < lastTick_) ++wraps_;
  lastTick_ = now;
  return (wraps_ << 32) + now;
}

std::optional<std::uint64_t> Win32SystemClock::UnbiasedMs() {
  using Fn = BOOL(WINAPI*)(PULONGLONG);
  static const Fn unbiased = SystemProc<Fn>("kernel32.dll", "QueryUnbiasedInterruptTime");
  ULONGLONG hundredNs = 0;
  if (!unbiased || !unbiased(&hundredNs)) return std::nullopt;
  return hundredNs / 10000u;
}

std::uint32_t Win32SystemClock::LastInputTick() {
  static_assert(sizeof(LASTINPUTINFO) == 8, "LASTINPUTINFO is a size and a tick count");
  LASTINPUTINFO info;
  info.cbSize = sizeof info;
  info.dwTime = 0;
  GetLastInputInfo(&info);  // on failure dwTime stays 0: the idle time is then the uptime
  return info.dwTime;
}

ScheduleNow Win32LocalClock::LocalTime() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  ScheduleNow now;
  now.year = st.wYear;
  now.month = st.wMonth;
  now.dayOfWeek = st.wDayOfWeek;
  now.day = st.wDay;
  now.hour = st.wHour;
  now.minute = st.wMinute;
  now.second = st.wSecond;
  now.millisecond = st.wMilliseconds;
  return now;
}

std::string Win32DateFormatSource::ShortDateFormat() {
  const int needed = GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, nullptr, 0);
  if (needed <= 1) return kFallbackShortDate;
  std::vector<char> buf(static_cast<std::size_t>(needed));
  const int got = GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, buf.data(), needed);
  if (got <= 1) return kFallbackShortDate;
  return std::string(buf.data(), static_cast<std::size_t>(got - 1));
}

long long Win32UtcClock::UtcMinute() {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  const unsigned long long t = (static_cast<unsigned long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  constexpr unsigned long long k1970 = 116444736000000000ull;  // 100 ns units from 1601 to 1970
  return static_cast<long long>((t - k1970) / 600000000ull);
}

}  // namespace ordavi
