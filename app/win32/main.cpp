// Process entry of Ordavi.exe, and the composition root: it owns the shared
// registry accessor, the task store and the options, builds the Win32
// adapters and the core objects over them, creates the hidden main window,
// runs start-up and then the message loop until the main window is closed.
// With arguments it runs the command line instead (app/win32/command_line_shell.h)
// and creates no window.
#include <windows.h>
#include <commctrl.h>

#include "actions/countdown.h"
#include "actions/junk.h"
#include "actions/postpone.h"
#include "actions/win32/win32_conditions.h"
#include "actions/win32/win32_cleaning.h"
#include "actions/win32/win32_devices.h"
#include "actions/win32/win32_dialup.h"
#include "actions/win32/win32_junk.h"
#include "actions/win32/win32_processes.h"
#include "actions/win32/win32_shell.h"
#include "actions/win32/win32_sound.h"
#include "actions/win32/win32_power.h"
#include "actions/win32/win32_windows.h"
#include "app/agent.h"
#include "app/agent_core.h"
#include "app/single_agent.h"
#include "app/run_history.h"
#include "app/tray_tip.h"
#include "app/win32/agent_data.h"
#include "app/win32/agent_slot.h"
#include "app/win32/command_line_shell.h"
#include "app/win32/history_window.h"
#include "app/win32/main_window.h"
#include "app/win32/notice_window.h"
#include "app/win32/win32_startup.h"
#include "app/win32/win32_wake.h"
#include "app/wiring.h"
#include "dialogs/win32/settings_dialog.h"
#include "schedule/tick.h"
#include "store/text.h"
#include "store/win32/gbk_text.h"
#include "store/win32/win32_registry.h"
#include "platform/win32/system_library.h"
#include "schedule/win32/win32_clock.h"

namespace {

// A minute of a postponement in milliseconds: 60000. Only the test build
// (OrdaviTestHooks.exe, never shipped) reads ORDAVI_TEST_MINUTE_MS (1000 to
// 60000), so a scenario need not wait ten minutes; the shipped program reads
// no setting of its own from the environment, which any program of the user
// can set (HKCU\Environment).
std::uint32_t PostponeMinuteMs() {
#if !defined(ORDAVI_TEST_HOOKS)
  return 60000;
#else
  wchar_t text[16] = {};
  const DWORD n = GetEnvironmentVariableW(L"ORDAVI_TEST_MINUTE_MS", text, 16);
  if (n == 0 || n >= 16) return 60000;
  const unsigned long ms = wcstoul(text, nullptr, 10);
  return ms >= 1000 && ms <= 60000 ? static_cast<std::uint32_t>(ms) : 60000;
#endif
}

#if defined(ORDAVI_TEST_HOOKS)
// The test build's PC can do what ORDAVI_TEST_POWER_CAPS says, four digits
// 0 or 1 (a sleep state, S4, the hibernation file, Modern Standby), so a
// scenario sees what a PC without hibernation shows; without it, what
// Windows says.
class TestHooksPowerSystem : public ordavi::Win32PowerSystem {
 public:
  using Win32PowerSystem::Win32PowerSystem;
  std::optional<ordavi::PowerCapabilities> Capabilities() const override {
    wchar_t t[8] = {};
    if (GetEnvironmentVariableW(L"ORDAVI_TEST_POWER_CAPS", t, 8) != 4) return Win32PowerSystem::Capabilities();
    return ordavi::PowerCapabilities{t[0] == L'1', t[1] == L'1', t[2] == L'1', t[3] == L'1'};
  }
};
#endif

// The agent's message loop until the main window is closed (WM_QUIT); the
// session's and the installer's requests to the agent slot are waited on
// beside the messages, on this thread.
int RunMessageLoop(ordavi::Win32AgentSlot& slot) {
  MSG msg;
  for (;;) {
    const DWORD woke =
        MsgWaitForMultipleObjects(slot.WaitCount(), slot.WaitObjects(), FALSE, slot.WaitTimeoutMs(), QS_ALLINPUT);
    if (woke < WAIT_OBJECT_0 + slot.WaitCount()) {
      slot.OnSignalled(woke - WAIT_OBJECT_0);
      continue;
    }
    if (woke == WAIT_TIMEOUT) {
      slot.OnWaitTimeout();
      continue;
    }
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      if (GetMessageW(&msg, nullptr, 0, 0) <= 0) return static_cast<int>(msg.wParam);
      // Tab, Enter and Esc work in every window as in a dialog.
      HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
      if (root && IsDialogMessageW(root, &msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
}

int RunAgent() {
  using namespace ordavi;
  // One agent per session: decided before any window or tray icon exists.
  Win32AgentSlot slot;
  if (!StartAsTheSessionAgent(slot)) return 0;

  // What the process keeps for its whole life.
  Win32RegistryRoot registryRoot;
  const std::unique_ptr<RegistryKey> programKey = registryRoot.OpenKey(kProgramKeyPath);
  Registry registry(*programKey);
  TaskStore tasks(registry);
  Options options;

  // The main window's parts exist before the window; the adapters ask for its
  // handle when they act.
  MainWindow window;
  auto mainHandle = [&window] { return window.handle(); };

  Win32StartupSystem system;
  NoticeWindows notices;
  Win32Shell shell(mainHandle);
  Win32DeviceSystem devices(mainHandle);
#if defined(ORDAVI_TEST_HOOKS)
  TestHooksPowerSystem power(devices);
#else
  Win32PowerSystem power(devices);
#endif
  Win32SystemClock systemClock;
  Win32DateFormatSource dateFormat;
  Win32LocalClock localClock;
  Win32UtcClock utcClock;
  Win32DisplayRequests displayRequests;
  Win32ProcessSystem processes;
  Win32DialupSystem dialup(mainHandle);
  Win32WindowSystem windows;
  Win32JunkSystem junkSystem;
  Win32TempFolderSystem tempFolders;
  Win32FolderSecuritySystem folderSecurity;
  Win32SoundPlayer sound(mainHandle);
  // What the condition kinds watch: the running programs, the network, the processor.
  Win32ConditionSensors conditionSensors(processes);
  // The wake timer for the tasks that wake the PC.
  Win32WakeSystem wakeSystem;
  // The run history and the last pass, in the user's local application data.
  Win32DataFile historyFile(kHistoryFileName);
  Win32DataFile lastPassFile(kLastPassFileName);
  Win32GbkCodec gbkCodec;

  // The settings dialogs and their task editors, over the core built below.
  SettingsServices* settings = nullptr;
  AgentCore core(AgentCorePorts{
      StoredState{registry, tasks, options},
      AgentPorts{system, window.tray(), window.hotkeys(), window, notices, shell, power, devices},
      window.timers(),
      window.countdownPanel(),
      [&window] { return reinterpret_cast<WindowId>(window.handle()); },
      systemClock,
      localClock,
      utcClock,
      dateFormat,
      displayRequests,
      processes,
      dialup,
      windows,
      sound,
      junkSystem,
      tempFolders,
      folderSecurity,
      conditionSensors,
      wakeSystem,
      wakeSystem,
      historyFile,
      lastPassFile,
      gbkCodec,
      system.ExePath(),
      [&settings] { SettingsDialog::Open(*settings); },
      [&shell, &historyFile](RunHistory& history) {
        RunHistoryWindow::Open(history, [&shell, &historyFile] { shell.OpenInNotepad(historyFile.CheckedPath()); });
      },
      PostponeMinuteMs(),
      [&slot](const std::string& line) { slot.PublishKeepAwake(line); }});
  SettingsServices settingsServices{tasks,
                                    registry,
                                    registryRoot,
                                    options,
                                    system.ExePath(),
                                    [&window](std::int32_t max) { window.SetProgressMax(max); },
                                    core.tickState,
                                    0,  // the system's major version, once start-up has read it
                                    systemClock,
                                    dateFormat,
                                    localClock,
                                    conditionSensors,
                                    power,
                                    true,  // the 下次运行 column filled
                                    [&core] {
                                      core.wake.TasksChanged();
                                      core.nextTask.TasksChanged();
                                    },
                                    &core.conditions};
  settings = &settingsServices;

  if (!window.Create(core)) return 1;
  ui::Guard([&] {
    core.Start();
    return LRESULT{0};
  });
  settingsServices.osMajor = core.agent.OsMajorVersion();
  slot.Listen(window.handle());  // a second start's 设置, a take-over's or the installer's 退出
  return RunMessageLoop(slot);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // Before anything is loaded or started; only the load-time imports and the
  // runtime's start-up code ran before.
  ordavi::RestrictDllSearch();
  // Read while the current directory is still the user's: file names are made full.
  const ordavi::ParsedCommandLine commandLine = ordavi::ReadCommandLine();
  ordavi::MoveToSystemDirectory();
  if (commandLine.command.kind != ordavi::CommandKind::RunAgent) return ordavi::RunCommandLine(commandLine);
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  return RunAgent();
}
