// The task store over the real registry, run under Wine with LC_ALL=zh_CN.UTF-8
// (ANSI code page 936). Values are checked with RegQueryValueExA on a handle of
// the test's own, so the stored types and bytes are seen as any other program
// sees them, not through the code under test.
#include <windows.h>

#include <initializer_list>
#include <memory>
#include <string>

#include "schedule/schedule.h"
#include "store/registry.h"
#include "store/tasks.h"
#include "store/win32/gbk_text.h"
#include "store/win32/win32_registry.h"
#include "store/words.h"
#include "tools/winetest/winetest.h"
#include "ui/win32/win32_clock.h"

using namespace ordavi;

namespace {

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
  REQUIRE(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) ==
          ERROR_SUCCESS);
  const LONG rc =
      RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
  RegCloseKey(key);
  REQUIRE(rc == ERROR_SUCCESS);
}

void RawDelete(const char* name) {
  HKEY key = nullptr;
  REQUIRE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS);
  RegDeleteValueA(key, name);
  RegCloseKey(key);
}

bool KeyExists() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// Removes the program's key and its parent, so every case starts from a
// machine that never ran the program.
void WipeKey() {
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, kKey);
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Velmora");
}

// A REG_SZ as stored: the text, one NUL, of type REG_SZ.
void CheckStoredString(const char* name, const std::string& text) {
  const Raw r = RawQuery(name);
  CHECK_EQ(r.rc, ERROR_SUCCESS);
  CHECK_EQ(r.type, static_cast<DWORD>(REG_SZ));
  CHECK_EQ(r.data, text + '\0');
}

void CheckStoredDword(const char* name, DWORD value) {
  const Raw r = RawQuery(name);
  CHECK_EQ(r.rc, ERROR_SUCCESS);
  CHECK_EQ(r.type, static_cast<DWORD>(REG_DWORD));
  CHECK_EQ(r.data, std::string(reinterpret_cast<const char*>(&value), 4));
}

// The store as the agent builds it: the shared accessor on the program's key.
struct Agent {
  Win32RegistryRoot root;
  std::unique_ptr<RegistryKey> key = root.OpenKey(kProgramKeyPath);
  Registry reg{*key};
  TaskStore store{reg};
};

}  // namespace

WT_TEST(FirstLoadCreatesKeyAndTaskNumZero) {
  WipeKey();
  REQUIRE(!KeyExists());
  Agent a;
  a.store.LoadTaskCounter();
  CHECK(KeyExists());
  CHECK_EQ(a.store.Count(), 0);
  CheckStoredDword("TaskNum", 0);

  // A later start reads the stored counter instead of resetting it.
  RawSet("TaskNum", REG_DWORD, Bytes({7, 0, 0, 0}));
  Agent again;
  again.store.LoadTaskCounter();
  CHECK_EQ(again.store.Count(), 7);
  CheckStoredDword("TaskNum", 7);
}

WT_TEST(AddTaskStoresGbkStringsWithOneNul) {
  WipeKey();
  Agent a;
  a.store.LoadTaskCounter();
  CHECK_EQ(a.store.AddTask("每天8时30分", "关闭计算机", ""), 1);

  CheckStoredDword("TaskNum", 1);
  const Raw a1 = RawQuery("A1");
  CHECK_EQ(a1.type, static_cast<DWORD>(REG_SZ));
  CHECK_EQ(a1.data.size(), 12u);
  CHECK_EQ(a1.data, Bytes({0xC3, 0xBF, 0xCC, 0xEC, '8', 0xCA, 0xB1, '3', '0', 0xB7, 0xD6, 0}));
  CheckStoredString("B1", Bytes({0xB9, 0xD8, 0xB1, 0xD5, 0xBC, 0xC6, 0xCB, 0xE3, 0xBB, 0xFA}));
  const Raw c1 = RawQuery("C1");
  CHECK_EQ(c1.type, static_cast<DWORD>(REG_SZ));
  CHECK_EQ(c1.data, std::string(1, '\0'));
  const Raw d1 = RawQuery("D1");
  CHECK_EQ(d1.type, static_cast<DWORD>(REG_SZ));
  CHECK_EQ(d1.data, Bytes({0xC6, 0xF4, 0xD3, 0xC3, 0}));

  const TaskRecord t = a.store.ReadTask(1);
  CHECK_EQ(t.schedule, std::string("每天8时30分"));
  CHECK_EQ(t.type, std::string("关闭计算机"));
  CHECK_EQ(t.param, std::string());
  CHECK_EQ(t.enabled, std::string("启用"));
}

WT_TEST(ModifyAndEnableKeepTheEnabledWordRules) {
  WipeKey();
  Agent a;
  a.store.LoadTaskCounter();
  a.store.AddTask("每天8时30分", "提醒", "下班时间到。");

  a.store.SetTaskEnabled(1, "禁用");
  CheckStoredString("D1", Bytes({0xBD, 0xFB, 0xD3, 0xC3}));

  // A disabled task stays disabled.
  CHECK_EQ(a.store.ModifyTask(1, "每周7日22时0分", "关闭计算机", ""), std::string("禁用"));
  CheckStoredString("A1", "每周7日22时0分");
  CheckStoredString("B1", "关闭计算机");
  CheckStoredString("C1", "");
  CheckStoredString("D1", "禁用");

  // A task without an enabled word is enabled by a modify.
  RawDelete("D1");
  CHECK_EQ(a.store.ReadTask(1).enabled, std::string());
  CHECK_EQ(a.store.ModifyTask(1, "空闲15分钟", "提醒", "x"), std::string("启用"));
  CheckStoredString("D1", "启用");
  CheckStoredDword("TaskNum", 1);
}

WT_TEST(DeleteTaskRenumbersAndRemovesTheLastSlot) {
  WipeKey();
  Agent a;
  a.store.LoadTaskCounter();
  a.store.AddTask("每天1时0分", "提醒", "one");
  a.store.AddTask("每天2时0分", "打开文件", "C:\\two.txt");
  a.store.AddTask("每天3时0分", "关闭程序", "three.exe");
  a.store.SetTaskEnabled(3, "禁用");

  a.store.DeleteTask(2);
  CHECK_EQ(a.store.Count(), 2);
  CheckStoredDword("TaskNum", 2);
  CheckStoredString("A1", "每天1时0分");
  CheckStoredString("C1", "one");
  CheckStoredString("A2", "每天3时0分");
  CheckStoredString("B2", "关闭程序");
  CheckStoredString("C2", "three.exe");
  CheckStoredString("D2", "禁用");
  for (const char* gone : {"A3", "B3", "C3", "D3"}) CHECK_EQ(RawQuery(gone).rc, ERROR_FILE_NOT_FOUND);

  a.store.DeleteTask(2);
  a.store.DeleteTask(1);
  CheckStoredDword("TaskNum", 0);
  for (const char* gone : {"A1", "B1", "C1", "D1", "A2"}) CHECK_EQ(RawQuery(gone).rc, ERROR_FILE_NOT_FOUND);
}

WT_TEST(ValuesOfTheWrongTypeAreReported) {
  WipeKey();
  Agent a;
  a.store.LoadTaskCounter();
  a.store.AddTask("每天8时30分", "提醒", "");

  RawSet("A1", REG_DWORD, Bytes({1, 0, 0, 0}));
  CHECK_THROWS_WITH(a.store.ReadTask(1), "Invalid data type for 'A1'");
  RawSet("B1", REG_BINARY, Bytes({0x41, 0}));
  CHECK_THROWS_WITH(a.store.ReadField(TaskField::Type, 1), "Invalid data type for 'B1'");

  // An expandable string reads as a plain one; a string of size 0 reads empty.
  RawSet("A1", REG_EXPAND_SZ, std::string("每天9时0分") + '\0');
  CHECK_EQ(a.store.ReadField(TaskField::Schedule, 1), std::string("每天9时0分"));
  RawSet("C1", REG_SZ, "");
  CHECK_EQ(a.store.ReadField(TaskField::Param, 1), std::string());

  RawSet("TaskNum", REG_SZ, std::string("1") + '\0');
  Agent again;
  CHECK_THROWS_WITH(again.store.LoadTaskCounter(), "Invalid data type for 'TaskNum'");
  // The counter falls back to the task slots actually stored, and the bad
  // value stays until the next add writes it anew.
  CHECK_EQ(again.store.Count(), 1);
  CHECK_EQ(RawQuery("TaskNum").type, static_cast<DWORD>(REG_SZ));
  CHECK_EQ(again.store.AddTask("每天10时0分", "提醒", ""), 2);
  CheckStoredDword("TaskNum", 2);
  CHECK_EQ(again.store.ReadField(TaskField::Schedule, 1), std::string("每天9时0分"));  // task 1 untouched

  // A counter below the highest stored task (found by enumerating the key's
  // values) never hides the tasks above it, even past an empty number.
  RawSet("A5", REG_SZ, std::string("每天11时0分") + '\0');
  RawSet("TaskNum", REG_DWORD, Bytes({1, 0, 0, 0}));
  Agent third;
  CHECK_THROWS_WITH(third.store.LoadTaskCounter(), "值 1 小于最大任务号 5，按 5 计");
  CHECK_EQ(third.store.Count(), 5);
  CHECK_EQ(third.store.AddTask("每天12时0分", "提醒", ""), 6);
}

WT_TEST(LongTextsRoundTrip) {
  WipeKey();
  Agent a;
  a.store.LoadTaskCounter();
  std::string text;
  for (int i = 0; i < 150; ++i) text += (i % 2) ? "x" : "提醒";  // 300 bytes, mixed widths
  a.store.AddTask("每天8时30分", "提醒", text);
  CHECK_EQ(RawQuery("C1").data.size(), text.size() + 1);
  CHECK_EQ(a.store.ReadField(TaskField::Param, 1), text);
}

WT_TEST(RefusedWritesRaiseSetDataError) {
  WipeKey();
  Agent a;
  a.store.LoadTaskCounter();
  // The key is deleted under the open handle: every later write is refused.
  REQUIRE(RegDeleteKeyA(HKEY_LOCAL_MACHINE, kKey) == ERROR_SUCCESS);
  CHECK_THROWS_WITH(a.store.AddTask("每天8时30分", "提醒", ""), "Failed to set data for 'TaskNum'");
  CHECK_THROWS_WITH(a.reg.WriteString("A1", "x"), "Failed to set data for 'A1'");
  CHECK(!a.key->Delete("A1"));
}

WT_TEST(KeyThatCannotBeOpenedRefusesEverything) {
  // A key name longer than the registry allows cannot be created.
  Win32RegistryRoot root;
  std::unique_ptr<RegistryKey> key = root.OpenKey("\\Software\\" + std::string(600, 'k'));
  CHECK(!key->Query("TaskNum").has_value());
  CHECK(!key->SetString("A1", "x"));
  CHECK(!key->SetDword("TaskNum", 1));
  CHECK(!key->Delete("A1"));
  Registry reg(*key);
  CHECK_THROWS_WITH(reg.WriteInteger("TaskNum", 0), "Failed to set data for 'TaskNum'");
  CHECK_EQ(reg.ReadString("A1"), std::string());
}

WT_TEST(ShortDateFormatRoundTripsAnOnceDate) {
  Win32DateFormatSource dates;
  const std::string format = dates.ShortDateFormat();
  CHECK_EQ(format, std::string("yyyy/M/d"));

  // Our formatting agrees with the platform's own for the same date.
  SYSTEMTIME st = {};
  st.wYear = 2024;
  st.wMonth = 3;
  st.wDay = 5;
  char platform[64] = {};
  REQUIRE(GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, platform, sizeof platform) > 0);
  const std::string written = DateToStr(Date{2024, 3, 5}, format);
  CHECK_EQ(written, std::string(platform));
  CHECK_EQ(written, std::string("2024/3/5"));

  const Date back = StrToDate(written, format);
  CHECK_EQ(back.year, 2024);
  CHECK_EQ(back.month, 3);
  CHECK_EQ(back.day, 5);
}

WT_TEST(ClockReadsTheSystemCounters) {
  Win32SystemClock clock;
  const DWORD before = GetTickCount();
  const std::uint32_t tick = clock.TickCount();
  const DWORD after = GetTickCount();
  CHECK(tick - before <= after - before);  // wrap-safe: tick lies between the two
  // The last input cannot lie in the future.
  const std::uint32_t lastInput = clock.LastInputTick();
  CHECK(lastInput <= clock.TickCount());
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

WT_TEST(TheEdgeConvertsEveryFixedWordBothWays) {
  CHECK_EQ(sizeof kFixedWords / sizeof kFixedWords[0], std::size_t{29});
  for (const FixedWord& w : kFixedWords) {
    CHECK(WideFromGbk(w.gbk) == std::wstring(w.wide));
    CHECK_EQ(GbkFromWide(w.wide), std::string(w.gbk));
    CHECK(GbkFromWideExactly(w.wide) == std::optional<std::string>(w.gbk));
  }
  // Characters GBK cannot hold: Hangul, Thai, an emoji (a surrogate pair).
  for (const wchar_t* text : {L"提醒한", L"ก", L"\U0001F600"}) {
    CHECK(!GbkFromWideExactly(text).has_value());
    CHECK(GbkFromWide(text).find('?') != std::string::npos);
  }
  CHECK_EQ(GbkFromWide(L""), std::string());
  CHECK(WideFromGbk("") == std::wstring());
}

// The store's texts are held as the same UTF-16 whatever the system's code
// page, read back on a handle of the test's own with the W call.
WT_TEST(TheKeyHoldsUtf16ConvertedFromGbk) {
  WipeKey();
  Agent a;
  a.store.LoadTaskCounter();
  a.store.AddTask("每天8时30分", words::kShutDownPc, "");
  HKEY key = nullptr;
  REQUIRE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Velmora\\Ordavi", 0, KEY_READ, &key) == ERROR_SUCCESS);
  wchar_t buf[64] = {};
  DWORD type = 0, size = sizeof buf;
  CHECK(RegQueryValueExW(key, L"A1", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) == ERROR_SUCCESS);
  CHECK_EQ(static_cast<unsigned>(type), static_cast<unsigned>(REG_SZ));
  CHECK(std::wstring(buf) == L"每天8时30分");
  CHECK_EQ(static_cast<unsigned>(size), static_cast<unsigned>((std::wstring(L"每天8时30分").size() + 1) * 2));
  size = sizeof buf;
  CHECK(RegQueryValueExW(key, L"B1", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) == ERROR_SUCCESS);
  CHECK(std::wstring(buf) == L"关闭计算机");
  RegCloseKey(key);
}

// Run under code page 936 only (LC_ALL=zh_CN.UTF-8): the fixed words as the
// ANSI calls of a Chinese system store them, for the next case to read under
// another code page in the same prefix.
WT_TEST(PlantTheFixedWordsWithTheAnsiCallsOn936) {
  REQUIRE(GetACP() == 936);
  WipeKey();
  for (std::size_t i = 0; i < sizeof kFixedWords / sizeof kFixedWords[0]; ++i) {
    RawSet(WordValue(i).c_str(), REG_SZ, std::string(kFixedWords[i].gbk) + '\0');
  }
}

// Under any code page (936, 1252, 932, 65001): the words planted on a 936
// system read back as exactly their GBK bytes, and a task written now reads
// back the same.
WT_TEST(ReadTheFixedWordsPlantedOn936) {
  std::printf("ANSI code page %u\n", static_cast<unsigned>(GetACP()));
  Agent a;
  for (std::size_t i = 0; i < sizeof kFixedWords / sizeof kFixedWords[0]; ++i) {
    CHECK_EQ(a.reg.ReadString(WordValue(i)), std::string(kFixedWords[i].gbk));
  }
  a.reg.WriteString("Z1", "每周7日22时0分");
  CHECK_EQ(a.reg.ReadString("Z1"), std::string("每周7日22时0分"));
}

int main(int argc, char** argv) { return winetest::RunAll(argc, argv); }
