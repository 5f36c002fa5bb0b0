#include <winsock2.h>
#include <ws2ipdef.h>
#include <windows.h>
#include <iphlpapi.h>

#include "actions/win32/win32_conditions.h"
#include "platform/win32/system_library.h"

namespace ordavi {

namespace {

constexpr DWORD kLoopbackType = 24;          // IF_TYPE_SOFTWARE_LOOPBACK
constexpr DWORD kOldOperational = 5;         // MIB_IF_OPER_STATUS_OPERATIONAL
constexpr DWORD kOldConnected = 4;           // MIB_IF_OPER_STATUS_CONNECTED

std::optional<std::vector<AdapterOctets>> FromIfTable2() {
  using GetFn = DWORD(WINAPI*)(PMIB_IF_TABLE2*);
  using FreeFn = VOID(WINAPI*)(PVOID);
  static const GetFn get = SystemProc<GetFn>("iphlpapi.dll", "GetIfTable2");
  static const FreeFn free = SystemProc<FreeFn>("iphlpapi.dll", "FreeMibTable");
  if (!get || !free) return std::nullopt;
  PMIB_IF_TABLE2 table = nullptr;
  if (get(&table) != NO_ERROR || !table) return std::nullopt;
  std::vector<AdapterOctets> out;
  for (ULONG i = 0; i < table->NumEntries; ++i) {
    const MIB_IF_ROW2& row = table->Table[i];
    // A filter row repeats the traffic of the adapter it sits on.
    if (row.Type == kLoopbackType || row.OperStatus != IfOperStatusUp || row.InterfaceAndOperStatusFlags.FilterInterface)
      continue;
    out.push_back({row.InterfaceIndex, row.InOctets, row.OutOctets, true});
  }
  free(table);
  return out;
}

std::optional<std::vector<AdapterOctets>> FromIfTable() {
  using GetFn = DWORD(WINAPI*)(PMIB_IFTABLE, PULONG, BOOL);
  static const GetFn get = SystemProc<GetFn>("iphlpapi.dll", "GetIfTable");
  if (!get) return std::nullopt;
  ULONG size = 0;
  if (get(nullptr, &size, FALSE) != ERROR_INSUFFICIENT_BUFFER || size == 0) return std::nullopt;
  std::vector<unsigned char> buffer(size);
  PMIB_IFTABLE table = reinterpret_cast<PMIB_IFTABLE>(buffer.data());
  if (get(table, &size, FALSE) != NO_ERROR) return std::nullopt;
  std::vector<AdapterOctets> out;
  for (DWORD i = 0; i < table->dwNumEntries; ++i) {
    const MIB_IFROW& row = table->table[i];
    if (row.dwType == kLoopbackType) continue;
    if (row.dwOperStatus != kOldOperational && row.dwOperStatus != kOldConnected) continue;
    out.push_back({row.dwIndex, row.dwInOctets, row.dwOutOctets, false});
  }
  return out;
}

std::uint64_t Of(const FILETIME& t) { return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime; }

}  // namespace

std::optional<std::vector<AdapterOctets>> ReadAdapterOctets() {
  if (auto rows = FromIfTable2()) return rows;
  return FromIfTable();
}

std::optional<ProcessorTimes> ReadProcessorTimes() {
  using TimesFn = BOOL(WINAPI*)(LPFILETIME, LPFILETIME, LPFILETIME);
  static const TimesFn times = ProcOf<TimesFn>(GetModuleHandleA("kernel32.dll"), "GetSystemTimes");
  FILETIME idle{}, kernel{}, user{};
  if (!times || !times(&idle, &kernel, &user)) return std::nullopt;
  return ProcessorTimes{Of(idle), Of(kernel), Of(user)};
}

bool SystemSessionOf(std::uint32_t pid, std::uint32_t& session) {
  DWORD id = 0;
  if (!ProcessIdToSessionId(pid, &id)) return false;
  session = id;
  return true;
}

std::optional<std::vector<std::string>> Win32ConditionSensors::RunningPrograms() {
  std::uint32_t own = 0;
  if (!sessionOf_(GetCurrentProcessId(), own)) return std::nullopt;
  const auto processes = processes_.ListProcesses();
  if (!processes) return std::nullopt;
  std::vector<std::string> names;
  names.reserve(processes->size());
  for (const ProcessEntry& p : *processes) {
    std::uint32_t session = 0;
    if (sessionOf_(p.pid, session) && session == own) names.push_back(p.exeFile);
  }
  return names;
}

bool Win32DisplayRequests::DisplayRequired() {
  using PowerFn = LONG(WINAPI*)(int, PVOID, ULONG, PVOID, ULONG);
  static const PowerFn power = SystemProc<PowerFn>("powrprof.dll", "CallNtPowerInformation");
  constexpr int kSystemExecutionState = 16;
  ULONG state = 0;
  if (!power || power(kSystemExecutionState, nullptr, 0, &state, sizeof state) != 0) return false;
  return (state & ES_DISPLAY_REQUIRED) != 0;
}


}  // namespace ordavi
