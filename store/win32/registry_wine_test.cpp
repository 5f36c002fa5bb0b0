// The task store over the real registry, run under Wine with LC_ALL=zh_CN.UTF-8
// (ANSI code page 936). Values are checked with RegQueryValueExA on a handle of
// the test's own, so the stored types and bytes are seen as any other program
// sees them, not through the code under test.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>

#include "schedule/schedule.h"
#include "store/registry.h"
#include "store/tasks.h"
#include "store/testing/error_of.h"
#include "store/win32/gbk_text.h"
#include "store/win32/win32_registry.h"
#include "store/words.h"
#include "schedule/win32/win32_clock.h"

namespace ordavi {
namespace {

using testing::ErrorOf;

const char* const kKey = "Software\\Velmora\\Ordavi";  // kProgramKeyPath without its backslash

std::string Bytes(std::initializer_list<unsigned> bytes) {
  std::string s;
  for (unsigned b : bytes) s += static_cast<char>(b);
  return s;
}

struct Raw {
  LONG rc = ERROR_FILE_NOT_FOUND;
  DWORD type = REG_NONE;
  std::string data;
  bool exists() const { return rc == ERROR_SUCCESS; }
};

// A value as stored, read on a separate handle.
Raw RawQuery(const char* name) {
  Raw r;
  HKEY key = nullptr;
  r.rc = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ, &key);
  if (r.rc != ERROR_SUCCESS) return r;
  BYTE buf[1024];
  DWORD size = sizeof buf;
  r.rc = RegQueryValueExA(key, name, nullptr, &r.type, buf, &size);
  if (r.rc == ERROR_SUCCESS) r.data.assign(reinterpret_cast<const char*>(buf), size);
  RegCloseKey(key);
  return r;
}

void RawSet(const char* name, DWORD type, const std::string& bytes) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const LONG rc =
      RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
  RegCloseKey(key);
  ASSERT_EQ(rc, ERROR_SUCCESS);
}

void RawDelete(const char* name) {
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  RegDeleteValueA(key, name);
  RegCloseKey(key);
}

bool KeyExists() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// Removes the program's key and its parent.
void WipeKey() {
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, kKey);
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Velmora");
}

// A REG_SZ as stored: the text, one NUL, of type REG_SZ.
void CheckStoredString(const char* name, const std::string& text) {
  const Raw r = RawQuery(name);
  EXPECT_EQ(r.rc, ERROR_SUCCESS);
  EXPECT_EQ(r.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(r.data, text + '\0');
}

void CheckStoredDword(const char* name, DWORD value) {
  const Raw r = RawQuery(name);
  EXPECT_EQ(r.rc, ERROR_SUCCESS);
  EXPECT_EQ(r.type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(r.data, std::string(reinterpret_cast<const char*>(&value), 4));
}

// The store as the agent builds it: the shared accessor on the program's key.
struct Agent {
  Win32RegistryRoot root;
  std::unique_ptr<RegistryKey> key = root.OpenKey(kProgramKeyPath);
  Registry reg{*key};
  TaskStore store{reg};
};

// Each case starts from a machine that never ran the program.
class FreshKey : public ::testing::Test {
 protected:
  FreshKey() { WipeKey(); }
};

// ...where the agent has started and loaded its task counter.
class FreshStore : public FreshKey {
 protected:
  FreshStore() { a.store.LoadTaskCounter(); }
  Agent a;
};

TEST_F(FreshKey, FirstLoadCreatesKeyAndTaskNumZero) {
  ASSERT_FALSE(KeyExists());
  Agent a;
  a.store.LoadTaskCounter();
  EXPECT_TRUE(KeyExists());
  EXPECT_EQ(a.store.Count(), 0);
  CheckStoredDword("TaskNum", 0);

  // A later start reads the stored counter instead of resetting it.
  RawSet("TaskNum", REG_DWORD, Bytes({7, 0, 0, 0}));
  Agent again;
  again.store.LoadTaskCounter();
  EXPECT_EQ(again.store.Count(), 7);
  CheckStoredDword("TaskNum", 7);
}

TEST_F(FreshStore, AddTaskStoresGbkStringsWithOneNul) {
  EXPECT_EQ(a.store.AddTask("每天8时30分", "关闭计算机", ""), 1);

  CheckStoredDword("TaskNum", 1);
  const Raw a1 = RawQuery("A1");
  EXPECT_EQ(a1.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(a1.data.size(), 12u);
  EXPECT_EQ(a1.data, Bytes({0xC3, 0xBF, 0xCC, 0xEC, '8', 0xCA, 0xB1, '3', '0', 0xB7, 0xD6, 0}));
  CheckStoredString("B1", Bytes({0xB9, 0xD8, 0xB1, 0xD5, 0xBC, 0xC6, 0xCB, 0xE3, 0xBB, 0xFA}));
  const Raw c1 = RawQuery("C1");
  EXPECT_EQ(c1.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(c1.data, std::string(1, '\0'));
  const Raw d1 = RawQuery("D1");
  EXPECT_EQ(d1.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(d1.data, Bytes({0xC6, 0xF4, 0xD3, 0xC3, 0}));

  const TaskRecord t = a.store.ReadTask(1);
  EXPECT_EQ(t.schedule, std::string("每天8时30分"));
  EXPECT_EQ(t.type, std::string("关闭计算机"));
  EXPECT_EQ(t.param, std::string());
  EXPECT_EQ(t.enabled, std::string("启用"));
}

TEST_F(FreshStore, ModifyAndEnableKeepTheEnabledWordRules) {
  a.store.AddTask("每天8时30分", "提醒", "下班时间到。");

  a.store.SetTaskEnabled(1, "禁用");
  CheckStoredString("D1", Bytes({0xBD, 0xFB, 0xD3, 0xC3}));

  // A disabled task stays disabled.
  EXPECT_EQ(a.store.ModifyTask(1, "每周7日22时0分", "关闭计算机", ""), std::string("禁用"));
  CheckStoredString("A1", "每周7日22时0分");
  CheckStoredString("B1", "关闭计算机");
  CheckStoredString("C1", "");
  CheckStoredString("D1", "禁用");

  // A task without an enabled word is enabled by a modify.
  RawDelete("D1");
  EXPECT_EQ(a.store.ReadTask(1).enabled, std::string());
  EXPECT_EQ(a.store.ModifyTask(1, "空闲15分钟", "提醒", "x"), std::string("启用"));
  CheckStoredString("D1", "启用");
  CheckStoredDword("TaskNum", 1);
}

TEST_F(FreshStore, DeleteTaskRenumbersAndRemovesTheLastSlot) {
  a.store.AddTask("每天1时0分", "提醒", "one");
  a.store.AddTask("每天2时0分", "打开文件", "C:\\two.txt");
  a.store.AddTask("每天3时0分", "关闭程序", "three.exe");
  a.store.SetTaskEnabled(3, "禁用");

  a.store.DeleteTask(2);
  EXPECT_EQ(a.store.Count(), 2);
  CheckStoredDword("TaskNum", 2);
  CheckStoredString("A1", "每天1时0分");
  CheckStoredString("C1", "one");
  CheckStoredString("A2", "每天3时0分");
  CheckStoredString("B2", "关闭程序");
  CheckStoredString("C2", "three.exe");
  CheckStoredString("D2", "禁用");
  for (const char* gone : {"A3", "B3", "C3", "D3"}) EXPECT_EQ(RawQuery(gone).rc, ERROR_FILE_NOT_FOUND);

  a.store.DeleteTask(2);
  a.store.DeleteTask(1);
  CheckStoredDword("TaskNum", 0);
  for (const char* gone : {"A1", "B1", "C1", "D1", "A2"}) EXPECT_EQ(RawQuery(gone).rc, ERROR_FILE_NOT_FOUND);
}

TEST_F(FreshStore, ValuesOfTheWrongTypeAreReported) {
  a.store.AddTask("每天8时30分", "提醒", "");

  RawSet("A1", REG_DWORD, Bytes({1, 0, 0, 0}));
  EXPECT_EQ(ErrorOf([&] { a.store.ReadTask(1); }), "Invalid data type for 'A1'");
  RawSet("B1", REG_BINARY, Bytes({0x41, 0}));
  EXPECT_EQ(ErrorOf([&] { a.store.ReadField(TaskField::Type, 1); }), "Invalid data type for 'B1'");

  // An expandable string reads as a plain one; a string of size 0 reads empty.
  RawSet("A1", REG_EXPAND_SZ, std::string("每天9时0分") + '\0');
  EXPECT_EQ(a.store.ReadField(TaskField::Schedule, 1), std::string("每天9时0分"));
  RawSet("C1", REG_SZ, "");
  EXPECT_EQ(a.store.ReadField(TaskField::Param, 1), std::string());

  RawSet("TaskNum", REG_SZ, std::string("1") + '\0');
  Agent again;
  EXPECT_EQ(ErrorOf([&] { again.store.LoadTaskCounter(); }), "Invalid data type for 'TaskNum'");
  // The counter falls back to the task slots actually stored, and the bad
  // value stays until the next add writes it anew.
  EXPECT_EQ(again.store.Count(), 1);
  EXPECT_EQ(RawQuery("TaskNum").type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(again.store.AddTask("每天10时0分", "提醒", ""), 2);
  CheckStoredDword("TaskNum", 2);
  EXPECT_EQ(again.store.ReadField(TaskField::Schedule, 1), std::string("每天9时0分"));  // task 1 untouched

  // A counter below the highest stored task (found by enumerating the key's
  // values) never hides the tasks above it, even past an empty number.
  RawSet("A5", REG_SZ, std::string("每天11时0分") + '\0');
  RawSet("TaskNum", REG_DWORD, Bytes({1, 0, 0, 0}));
  Agent third;
  EXPECT_EQ(ErrorOf([&] { third.store.LoadTaskCounter(); }), "值 1 小于最大任务号 5，按 5 计");
  EXPECT_EQ(third.store.Count(), 5);
  EXPECT_EQ(third.store.AddTask("每天12时0分", "提醒", ""), 6);
}

TEST_F(FreshStore, LongTextsRoundTrip) {
  std::string text;
  for (int i = 0; i < 150; ++i) text += (i % 2) ? "x" : "提醒";  // 300 bytes, mixed widths
  a.store.AddTask("每天8时30分", "提醒", text);
  EXPECT_EQ(RawQuery("C1").data.size(), text.size() + 1);
  EXPECT_EQ(a.store.ReadField(TaskField::Param, 1), text);
}

TEST_F(FreshStore, RefusedWritesRaiseSetDataError) {
  // The key is deleted under the open handle: every later write is refused.
  ASSERT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, kKey), ERROR_SUCCESS);
  EXPECT_EQ(ErrorOf([&] { a.store.AddTask("每天8时30分", "提醒", ""); }), "Failed to set data for 'TaskNum'");
  EXPECT_EQ(ErrorOf([&] { a.reg.WriteString("A1", "x"); }), "Failed to set data for 'A1'");
  EXPECT_FALSE(a.key->Delete("A1"));
}

TEST(Win32Registry, KeyThatCannotBeOpenedRefusesEverything) {
  // A key name longer than the registry allows cannot be created.
  Win32RegistryRoot root;
  std::unique_ptr<RegistryKey> key = root.OpenKey("\\Software\\" + std::string(600, 'k'));
  EXPECT_FALSE(key->Query("TaskNum").has_value());
  EXPECT_FALSE(key->SetString("A1", "x"));
  EXPECT_FALSE(key->SetDword("TaskNum", 1));
  EXPECT_FALSE(key->Delete("A1"));
  Registry reg(*key);
  EXPECT_EQ(ErrorOf([&] { reg.WriteInteger("TaskNum", 0); }), "Failed to set data for 'TaskNum'");
  EXPECT_EQ(reg.ReadString("A1"), std::string());
}

TEST(Win32DateFormat, ShortDateFormatRoundTripsAnOnceDate) {
  Win32DateFormatSource dates;
  const std::string format = dates.ShortDateFormat();
  EXPECT_EQ(format, std::string("yyyy/M/d"));

  // Our formatting agrees with the platform's own for the same date.
  SYSTEMTIME st = {};
  st.wYear = 2024;
  st.wMonth = 3;
  st.wDay = 5;
  char platform[64] = {};
  ASSERT_GT(GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, platform, sizeof platform), 0);
  const std::string written = DateToStr(Date{2024, 3, 5}, format);
  EXPECT_EQ(written, std::string(platform));
  EXPECT_EQ(written, std::string("2024/3/5"));

  const Date back = StrToDate(written, format);
  EXPECT_EQ(back.year, 2024);
  EXPECT_EQ(back.month, 3);
  EXPECT_EQ(back.day, 5);
}

TEST(Win32SystemClock, ClockReadsTheSystemCounters) {
  Win32SystemClock clock;
  const DWORD before = GetTickCount();
  const std::uint32_t tick = clock.TickCount();
  const DWORD after = GetTickCount();
  EXPECT_TRUE(tick - before <= after - before);  // wrap-safe: tick lies between the two
  // The last input cannot lie in the future.
  const std::uint32_t lastInput = clock.LastInputTick();
  EXPECT_TRUE(lastInput <= clock.TickCount());
  // The 64-bit count is the same count, unwrapped; the awake time, where the
  // system has it, never runs ahead of it and goes on with it.
  const std::uint64_t tick64 = clock.TickCount64();
  EXPECT_LT(static_cast<std::uint32_t>(tick64) - before, 60000u);
  const std::uint64_t tickBefore = clock.TickCount64();
  const std::optional<std::uint64_t> awake = clock.UnbiasedMs();
  ASSERT_TRUE(awake.has_value());  // Windows 7 and later, and Wine, have it
  EXPECT_LE(*awake, tickBefore + 1000);
  Sleep(200);
  const std::uint64_t later = *clock.UnbiasedMs();
  const std::uint64_t ticked = clock.TickCount64() - tickBefore;
  // Awake all along: both clocks went on alike (within the counters' steps).
  EXPECT_GE(later - *awake + 50, ticked);
  EXPECT_LE(later - *awake, ticked + 50);
}

// Every fixed word the store compares, as GBK bytes and as the UTF-16 the
// registry holds.
struct FixedWord {
  const char* gbk;
  const wchar_t* wide;
};
const FixedWord kFixedWords[] = {
    {words::kEnabled, L"启用"},          {words::kDisabled, L"禁用"},       {words::kIdle, L"空闲"},
    {words::kAfterBoot, L"开机"},        {words::kOnce, L"一次"},           {words::kDaily, L"每天"},
    {words::kWeekly, L"每周"},           {words::kMonthly, L"每月"},        {words::kYearly, L"每年"},
    {words::kRemind, L"提醒"},           {words::kOpenFile, L"打开文件"},   {words::kCloseProgram, L"关闭程序"},
    {words::kHangUp, L"断开拨号"},       {words::kDial, L"拨号连接"},       {words::kLogOffPc, L"注销计算机"},
    {words::kStandbyPc, L"待机计算机"},  {words::kHibernatePc, L"休眠计算机"}, {words::kRestartPc, L"重启计算机"},
    {words::kShutDownPc, L"关闭计算机"}, {words::kFastRestart, L"快速重启"}, {words::kFastShutdown, L"快速关机"},
    {words::kCleanJunk, L"清理系统垃圾"}, {words::kDisableAdapter, L"禁用网卡"}, {words::kEnableAdapter, L"启用网卡"},
    {words::kLogOff, L"注销"},           {words::kStandby, L"待机"},        {words::kHibernate, L"休眠"},
    {words::kRestart, L"重启"},          {words::kShutDown, L"关机"},
};

std::string WordValue(std::size_t i) { return "W" + std::to_string(i + 1); }

TEST(FixedWords, TheEdgeConvertsEveryFixedWordBothWays) {
  EXPECT_EQ(sizeof kFixedWords / sizeof kFixedWords[0], std::size_t{29});
  for (const FixedWord& w : kFixedWords) {
    EXPECT_EQ(WideFromGbk(w.gbk), std::wstring(w.wide));
    EXPECT_EQ(GbkFromWide(w.wide), std::string(w.gbk));
    EXPECT_EQ(GbkFromWideExactly(w.wide), std::optional<std::string>(w.gbk));
  }
  // Characters GBK cannot hold: Hangul, Thai, an emoji (a surrogate pair).
  for (const wchar_t* text : {L"提醒한", L"ก", L"\U0001F600"}) {
    EXPECT_FALSE(GbkFromWideExactly(text).has_value());
    EXPECT_TRUE(GbkFromWide(text).find('?') != std::string::npos);
  }
  // The core's port gives the same, with UTF-16 as char16_t.
  Win32GbkCodec codec;
  EXPECT_TRUE(codec.Utf16FromGbk(words::kCleanJunk) == std::u16string(u"清理系统垃圾"));
  EXPECT_EQ(codec.GbkFromUtf16(u"快速关机"), std::optional<std::string>(words::kFastShutdown));
  EXPECT_FALSE(codec.GbkFromUtf16(u"\uD55C").has_value());  // Hangul
  EXPECT_EQ(GbkFromWide(L""), std::string());
  EXPECT_EQ(WideFromGbk(""), std::wstring());
}

// The store's texts are held as the same UTF-16 whatever the system's code
// page, read back on a handle of the test's own with the W call.
TEST_F(FreshStore, TheKeyHoldsUtf16ConvertedFromGbk) {
  a.store.AddTask("每天8时30分", words::kShutDownPc, "");
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Velmora\\Ordavi", 0, KEY_READ, &key), ERROR_SUCCESS);
  wchar_t buf[64] = {};
  DWORD type = 0, size = sizeof buf;
  EXPECT_EQ(RegQueryValueExW(key, L"A1", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size), ERROR_SUCCESS);
  EXPECT_EQ(static_cast<unsigned>(type), static_cast<unsigned>(REG_SZ));
  EXPECT_EQ(std::wstring(buf), L"每天8时30分");
  EXPECT_EQ(static_cast<unsigned>(size), static_cast<unsigned>((std::wstring(L"每天8时30分").size() + 1) * 2));
  size = sizeof buf;
  EXPECT_EQ(RegQueryValueExW(key, L"B1", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size), ERROR_SUCCESS);
  EXPECT_EQ(std::wstring(buf), L"关闭计算机");
  RegCloseKey(key);
}

// Run under code page 936 only (LC_ALL=zh_CN.UTF-8): the fixed words as the
// ANSI calls of a Chinese system store them, for the next case to read under
// another code page in the same prefix.
TEST(FixedWords, PlantTheFixedWordsWithTheAnsiCallsOn936) {
  ASSERT_EQ(GetACP(), 936u);
  WipeKey();
  for (std::size_t i = 0; i < sizeof kFixedWords / sizeof kFixedWords[0]; ++i) {
    RawSet(WordValue(i).c_str(), REG_SZ, std::string(kFixedWords[i].gbk) + '\0');
  }
}

// Under any code page (936, 1252, 932, 65001): the words planted on a 936
// system read back as exactly their GBK bytes, and a task written now reads
// back the same.
TEST(FixedWords, ReadTheFixedWordsPlantedOn936) {
  std::printf("ANSI code page %u\n", static_cast<unsigned>(GetACP()));
  Agent a;
  for (std::size_t i = 0; i < sizeof kFixedWords / sizeof kFixedWords[0]; ++i) {
    EXPECT_EQ(a.reg.ReadString(WordValue(i)), std::string(kFixedWords[i].gbk));
  }
  a.reg.WriteString("Z1", "每周7日22时0分");
  EXPECT_EQ(a.reg.ReadString("Z1"), std::string("每周7日22时0分"));
}

}  // namespace
}  // namespace ordavi
