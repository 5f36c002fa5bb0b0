#include "app/win32/agent_slot.h"

#include <aclapi.h>
#include <sddl.h>

#include <algorithm>
#include <cstring>

#include "app/main_window_events.h"
#include "app/menu.h"
#include "platform/win32/administrators.h"
#include "ui/win32/dialog_controls.h"

namespace ordavi {

namespace {

constexpr const wchar_t* kSessionSlot = L"Local\\Ordavi-Agent";
constexpr const wchar_t* kSessionAdministrator = L"Local\\Ordavi-Agent-Administrator";
constexpr const wchar_t* kSessionSettings = L"Local\\Ordavi-Agent-Settings";
constexpr const wchar_t* kSessionExit = L"Local\\Ordavi-Agent-Exit";
constexpr const wchar_t* kSessionCancel = L"Local\\Ordavi-Agent-Cancel";
constexpr const wchar_t* kSessionCancelled = L"Local\\Ordavi-Agent-Cancelled";
constexpr const wchar_t* kSessionNoCountdown = L"Local\\Ordavi-Agent-NoCountdown";
constexpr const wchar_t* kSessionAwake = L"Local\\Ordavi-Agent-Awake";
constexpr const wchar_t* kSessionAwakeMinutes = L"Local\\Ordavi-Agent-Awake-Minutes";
// The wait's command for /awake (menu commands are 1000 and up; 0 is /cancel).
constexpr WPARAM kAwakeRequest = 1;
constexpr const wchar_t* kSessionProcess = L"Local\\Ordavi-Agent-Process";
// The section's size: the process id, then the keep-awake's tray tip line
// (GBK, ended by a NUL; empty when none runs).
constexpr DWORD kPublishedBytes = 512;
constexpr DWORD kPublishedLineAt = sizeof(DWORD);
constexpr const wchar_t* kInstallationRunning = L"Global\\Ordavi-Running:";
constexpr const wchar_t* kInstallationClose = L"Global\\Ordavi-Close:";
// How long a take-over waits for the running agent to end.
constexpr DWORD kTakeOverWaitMs = 20000;
// How long /cancel waits for the agent's answer, and /quit for its end.
constexpr DWORD kCancelAnswerWaitMs = 2000;
constexpr DWORD kQuitWaitMs = 5000;

// The folder of Ordavi.exe as the installer names it: lower case, "/" for "\",
// at most 200 characters (an object name is limited to MAX_PATH).
std::wstring FolderKey() {
  wchar_t path[MAX_PATH + 1] = {};
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  DWORD folder = 0;  // the length before the last "\"
  for (DWORD i = 0; i < n; ++i) {
    if (path[i] == L'\\') path[i] = L'/', folder = i;
  }
  folder = folder < 200 ? folder : 200;
  CharLowerBuffW(path, folder);
  return std::wstring(path, folder);
}

// A security descriptor from its text form, freed with the object.
class Security {
 public:
  explicit Security(const std::wstring& sddl) {
    ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &sd_, nullptr);
    attributes_ = {sizeof attributes_, sd_, FALSE};
  }
  ~Security() {
    if (sd_) LocalFree(sd_);
  }
  SECURITY_ATTRIBUTES* get() { return sd_ ? &attributes_ : nullptr; }

 private:
  PSECURITY_DESCRIPTOR sd_ = nullptr;
  SECURITY_ATTRIBUTES attributes_{};
};

// The text form of this process's user, empty when it cannot be read.
std::wstring UserSid() {
  std::wstring user;
  HANDLE token = nullptr;
  if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
    BYTE buffer[256];
    DWORD length = 0;
    if (GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &length)) {
      wchar_t* text = nullptr;
      if (ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &text)) {
        user = text;
        LocalFree(text);
      }
    }
    CloseHandle(token);
  }
  return user;
}

// The session's objects: the user, the system and administrators may use
// them, at medium integrity, so a start without administrator rights still
// reaches an elevated agent of the same user. `userRights` "GR": the user
// may only read it.
std::wstring SessionSddl(const wchar_t* userRights = L"GA") {
  const std::wstring user = UserSid();
  std::wstring sddl = L"D:(A;;GA;;;SY)(A;;GA;;;BA)";
  if (!user.empty()) sddl += L"(A;;" + std::wstring(userRights) + L";;;" + user + L")";
  return sddl + L"S:(ML;;NW;;;ME)";
}

// The installation's objects: every user's agent may hold and wait on them
// and read their owner and access list (SYNCHRONIZE, READ_CONTROL); only the
// system and administrators may set them. Only an elevated agent (or the
// installer) creates them, owned by administrators: the handle that creates
// an object keeps every right it asked for, whatever the list says, so an
// object made by a process of a user without the rights could be set by any
// program of that user (duplicating the handle from the agent's process).
constexpr DWORD kWaitAndRead = SYNCHRONIZE | READ_CONTROL;
constexpr const wchar_t* kInstallationSddl = L"O:BAD:P(A;;GA;;;SY)(A;;GA;;;BA)(A;;0x00120000;;;WD)S:(ML;;NW;;;LW)";

bool IsSystemOrAdministrators(PSID sid) {
  return sid && (IsWellKnownSid(sid, WinLocalSystemSid) || IsWellKnownSid(sid, WinBuiltinAdministratorsSid));
}

enum class Owner { Other, User, Administrators };

// Who owns an object: SYSTEM or administrators (only an elevated process or
// the system makes such an object), this process's user, or another.
Owner OwnerOf(HANDLE h) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR sd = nullptr;
  if (GetSecurityInfo(h, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr, &sd) !=
      ERROR_SUCCESS) {
    return Owner::Other;
  }
  Owner kind = IsSystemOrAdministrators(owner) ? Owner::Administrators : Owner::Other;
  wchar_t* text = nullptr;
  if (kind == Owner::Other && ConvertSidToStringSidW(owner, &text)) {
    if (UserSid() == text) kind = Owner::User;
    LocalFree(text);
  }
  LocalFree(sd);
  return kind;
}

// Whether an installation object that was there already is one of Ordavi's:
// owned by SYSTEM or administrators (the installer, an elevated agent). Any
// other owner (a user's program that made it first, whatever list it gave
// it) could set it whenever they like.
bool TrustedInstallationObject(HANDLE h) { return OwnerOf(h) == Owner::Administrators; }

// An installation object for this agent to hold or wait on: an elevated
// agent creates it or opens the one there (for waiting and reading its
// owner only, where its list refuses more); an agent without the rights
// only opens one that is there. One that is not Ordavi's (or that refuses
// an elevated agent even waiting) is closed at once and `foreign` set. Null
// when there is none to use.
HANDLE InstallationObject(bool administrator, bool mutex, const std::wstring& name, bool& foreign) {
  HANDLE h = nullptr;
  DWORD createError = 0;
  if (administrator) {
    Security security(kInstallationSddl);
    h = mutex ? CreateMutexW(security.get(), FALSE, name.c_str())
              : CreateEventW(security.get(), TRUE, FALSE, name.c_str());
    if (!h) createError = GetLastError();
  }
  DWORD openError = 0;
  if (!h) {
    h = mutex ? OpenMutexW(kWaitAndRead, FALSE, name.c_str()) : OpenEventW(kWaitAndRead, FALSE, name.c_str());
    if (!h) openError = GetLastError();
  }
  if (!h) {
    // Refused by its list, or an object of another kind under the name
    // (ERROR_INVALID_HANDLE): someone made it first. Merely missing is not.
    foreign = createError == ERROR_ACCESS_DENIED || createError == ERROR_INVALID_HANDLE ||
              openError == ERROR_INVALID_HANDLE;
    return nullptr;
  }
  if (!TrustedInstallationObject(h)) {
    CloseHandle(h);
    h = nullptr;
    foreign = true;
  }
  return h;
}

void Close(HANDLE& h) {
  if (h) CloseHandle(h);
  h = nullptr;
}

WPARAM MenuCommand(MenuItem item) { return CommandIdOf(item); }

}  // namespace

Win32AgentSlot::Win32AgentSlot() : folderKey_(FolderKey()) {}

Win32AgentSlot::~Win32AgentSlot() {
  for (HANDLE* h : {&process_, &administrator_, &settings_, &exit_, &cancel_, &cancelled_, &noCountdown_, &awake_,
                    &awakeMinutes_, &installationRunning_, &installationClose_, &sessionSlot_}) {
    Close(*h);
  }
}

bool Win32AgentSlot::InstallationClosing() {
  HANDLE close = OpenEventW(kWaitAndRead, FALSE, (kInstallationClose + folderKey_).c_str());
  if (!close) return false;
  const bool trusted = TrustedInstallationObject(close);
  const bool set = trusted && WaitForSingleObject(close, 0) == WAIT_OBJECT_0;
  CloseHandle(close);
  if (!trusted) SayOnce(kForeignCloseEventNotice);
  return set;
}

void Win32AgentSlot::SayOnce(const char* gbkText) {
  if (said_) return;
  said_ = true;
  say(gbkText);
}

SessionClaim Win32AgentSlot::ClaimSession() {
  Security security(SessionSddl());
  sessionSlot_ = CreateMutexW(security.get(), TRUE, kSessionSlot);
  const DWORD error = GetLastError();
  if (!sessionSlot_) {
    if (error == ERROR_ACCESS_DENIED) sessionSlot_ = OpenMutexW(SYNCHRONIZE, FALSE, kSessionSlot);
    if (!sessionSlot_) {
      // The name is taken by an object of another kind, or the slot cannot be
      // reached at all: running anyway could make a second agent.
      SayOnce(kSlotRefusedNotice);
      return SessionClaim::Refused;
    }
  } else if (error != ERROR_ALREADY_EXISTS) {
    HoldSlot();
    return SessionClaim::Claimed;
  }
  // The mutex exists. Another start that is handing over may hold it too:
  // only an owner is an agent.
  const DWORD wait = WaitForSingleObject(sessionSlot_, 0);
  if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) {
    HoldSlot();
    return SessionClaim::Claimed;
  }
  return SessionClaim::HeldByAnother;
}

void Win32AgentSlot::ShowRefusal(const char* gbkText) {
  ui::ShowUserMessage({gbkText, kErrorCaption, MessageIcon::Error});
}

bool Win32AgentSlot::HasAdministratorRights() { return AdministratorsInForce(nullptr); }

DWORD Win32AgentSlot::RunningAgentProcessId(bool& publishedElevated) {
  publishedElevated = false;
  DWORD pid = 0;
  const HANDLE section = OpenFileMappingW(FILE_MAP_READ | READ_CONTROL, FALSE, kSessionProcess);
  if (!section) return 0;
  const Owner owner = OwnerOf(section);
  if (owner != Owner::Other) {
    if (const void* view = MapViewOfFile(section, FILE_MAP_READ, 0, 0, sizeof pid)) {
      pid = *static_cast<const DWORD*>(view);
      UnmapViewOfFile(view);
    }
  }
  CloseHandle(section);
  publishedElevated = owner == Owner::Administrators;
  return pid == GetCurrentProcessId() ? 0 : pid;
}

bool Win32AgentSlot::RunningAgentHasAdministratorRights() {
  // Only an elevated process can have published the id, and that process's
  // own token must say so still: an event or a name any program of the
  // session could have created first says nothing.
  bool publishedElevated = false;
  const DWORD pid = RunningAgentProcessId(publishedElevated);
  return publishedElevated && ProcessHasAdministratorsInForce(pid);
}

bool Win32AgentSlot::EndRunningAgentAndClaim() {
  HANDLE exit = OpenEventW(EVENT_MODIFY_STATE, FALSE, kSessionExit);
  if (!exit) return false;
  SetEvent(exit);
  CloseHandle(exit);
  // The running agent's end abandons the slot, and this process owns it.
  const DWORD wait = WaitForSingleObject(sessionSlot_, kTakeOverWaitMs);
  if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) return false;
  HoldSlot();
  return true;
}

void Win32AgentSlot::AskRunningAgentToOpenSettings() {
  HANDLE settings = OpenEventW(EVENT_MODIFY_STATE, FALSE, kSessionSettings);
  if (!settings) return;
  // This start came from the user, so it may pass the right to come to the
  // front on, to the running agent alone: its dialog then opens in front.
  bool publishedElevated = false;
  if (const DWORD pid = RunningAgentProcessId(publishedElevated)) AllowSetForegroundWindow(pid);
  SetEvent(settings);
  CloseHandle(settings);
}

// The message cancels a running countdown as the close box does, or else a
// postponed one, and does nothing otherwise; it is handled before SendMessage
// returns, and its result (1) says whether it cancelled one.
void Win32AgentSlot::CancelCountdown() {
  const bool cancelled = SendMessageW(window_, kCancelCountdownMessage, 0, 0) == 1;
  SetEvent(cancelled ? cancelled_ : noCountdown_);
}

// /awake: the minutes the request wrote (0: off) go to the main window, and
// its answer comes back through the same two events as /cancel's.
void Win32AgentSlot::KeepAwake() {
  DWORD minutes = 0;
  if (const void* view = MapViewOfFile(awakeMinutes_, FILE_MAP_READ, 0, 0, sizeof minutes)) {
    minutes = *static_cast<const DWORD*>(view);
    UnmapViewOfFile(view);
  }
  const bool done = SendMessageW(window_, kKeepAwakeMessage, minutes, 0) == 1;
  SetEvent(done ? cancelled_ : noCountdown_);
}

void Win32AgentSlot::HoldSlot() {
  Security session(SessionSddl());
  const bool administrator = HasAdministratorRights();
  // Which process holds the slot, for a second start. An elevated agent's
  // word is owned by administrators and the user may only read it, so no
  // program at the user's normal rights can make or change it.
  Security published(administrator ? L"O:BA" + SessionSddl(L"GR") : SessionSddl());
  process_ = CreateFileMappingW(INVALID_HANDLE_VALUE, published.get(), PAGE_READWRITE, 0, kPublishedBytes, kSessionProcess);
  if (void* view = process_ ? MapViewOfFile(process_, FILE_MAP_WRITE, 0, 0, sizeof(DWORD)) : nullptr) {
    *static_cast<DWORD*>(view) = GetCurrentProcessId();
    UnmapViewOfFile(view);
  }
  if (administrator) administrator_ = CreateEventW(session.get(), TRUE, FALSE, kSessionAdministrator);
  settings_ = CreateEventW(session.get(), FALSE, FALSE, kSessionSettings);
  exit_ = CreateEventW(session.get(), FALSE, FALSE, kSessionExit);
  cancel_ = CreateEventW(session.get(), FALSE, FALSE, kSessionCancel);
  cancelled_ = CreateEventW(session.get(), FALSE, FALSE, kSessionCancelled);
  noCountdown_ = CreateEventW(session.get(), FALSE, FALSE, kSessionNoCountdown);
  awake_ = CreateEventW(session.get(), FALSE, FALSE, kSessionAwake);
  awakeMinutes_ =
      CreateFileMappingW(INVALID_HANDLE_VALUE, session.get(), PAGE_READWRITE, 0, sizeof(DWORD), kSessionAwakeMinutes);
  JoinInstallation();
}

void Win32AgentSlot::PublishKeepAwake(const std::string& gbkLine) {
  char* view = process_ ? static_cast<char*>(MapViewOfFile(process_, FILE_MAP_WRITE, 0, 0, kPublishedBytes)) : nullptr;
  if (!view) return;
  const std::size_t n = std::min<std::size_t>(gbkLine.size(), kPublishedBytes - kPublishedLineAt - 1);
  std::memcpy(view + kPublishedLineAt, gbkLine.data(), n);
  view[kPublishedLineAt + n] = '\0';
  UnmapViewOfFile(view);
}

void Win32AgentSlot::JoinInstallation() {
  const bool administrator = HasAdministratorRights();
  bool foreign = false;
  // A foreign running mutex is only not held: nothing reads it.
  if (!installationRunning_) {
    installationRunning_ = InstallationObject(administrator, true, kInstallationRunning + folderKey_, foreign);
  }
  foreign = false;
  // A close event someone else made first is not waited on: its owner could
  // end this agent at will.
  if (!installationClose_) {
    installationClose_ = InstallationObject(administrator, false, kInstallationClose + folderKey_, foreign);
  }
  if (foreign) SayOnce(kForeignCloseEventNotice);
}


void Win32AgentSlot::OnWaitTimeout() {
  if (installationClose_) return;
  JoinInstallation();
  if (!installationClose_ || !window_) return;
  // Set already: the wait that follows ends at once.
  waits_.push_back(installationClose_);
  commands_.push_back(MenuCommand(MenuItem::Exit));
}

void Win32AgentSlot::Listen(HWND mainWindow) {
  window_ = mainWindow;
  const std::pair<HANDLE, WPARAM> listens[] = {{settings_, MenuCommand(MenuItem::Settings)},
                                               {exit_, MenuCommand(MenuItem::Exit)},
                                               {installationClose_, MenuCommand(MenuItem::Exit)},
                                               {cancel_, 0},
                                               {awakeMinutes_ ? awake_ : nullptr, kAwakeRequest}};
  for (const auto& [object, command] : listens) {
    if (!object) continue;
    waits_.push_back(object);
    commands_.push_back(command);
  }
}

void Win32AgentSlot::OnSignalled(DWORD index) {
  if (index >= waits_.size()) return;
  const WPARAM command = commands_[index];
  if (command == 0) {
    CancelCountdown();
    return;
  }
  if (command == kAwakeRequest) {
    KeepAwake();
    return;
  }
  // 退出 is asked for once: the installer's event stays set until its files
  // are in place.
  if (command == MenuCommand(MenuItem::Exit)) {
    waits_.erase(waits_.begin() + index);
    commands_.erase(commands_.begin() + index);
  }
  PostMessageW(window_, WM_COMMAND, command, 0);
}

namespace {

// Sets the request event `name` and waits for the agent's answer.
AgentReply AskAndWait(const wchar_t* name) {
  HANDLE request = OpenEventW(EVENT_MODIFY_STATE, FALSE, name);
  if (!request) return AgentReply::NoAgent;
  HANDLE answers[2] = {OpenEventW(SYNCHRONIZE | EVENT_MODIFY_STATE, FALSE, kSessionCancelled),
                       OpenEventW(SYNCHRONIZE | EVENT_MODIFY_STATE, FALSE, kSessionNoCountdown)};
  AgentReply reply = AgentReply::NoAnswer;
  if (answers[0] && answers[1]) {
    // An answer left over from a request nobody waited for is not this one's.
    ResetEvent(answers[0]);
    ResetEvent(answers[1]);
    SetEvent(request);
    const DWORD woke = WaitForMultipleObjects(2, answers, FALSE, kCancelAnswerWaitMs);
    if (woke == WAIT_OBJECT_0) reply = AgentReply::Done;
    if (woke == WAIT_OBJECT_0 + 1) reply = AgentReply::NoCountdown;
  } else {
    SetEvent(request);
  }
  for (HANDLE h : answers) {
    if (h) CloseHandle(h);
  }
  CloseHandle(request);
  return reply;
}

}  // namespace

AgentReply AskRunningAgentToCancelCountdown() { return AskAndWait(kSessionCancel); }

AgentReply AskRunningAgentToKeepAwake(std::int32_t minutes) {
  HANDLE section = OpenFileMappingW(FILE_MAP_WRITE, FALSE, kSessionAwakeMinutes);
  if (!section) return AgentReply::NoAgent;
  if (void* view = MapViewOfFile(section, FILE_MAP_WRITE, 0, 0, sizeof(DWORD))) {
    *static_cast<DWORD*>(view) = static_cast<DWORD>(minutes);
    UnmapViewOfFile(view);
  }
  CloseHandle(section);
  return AskAndWait(kSessionAwake);
}

std::string RunningAgentKeepAwakeLine() {
  std::string line;
  const HANDLE section = OpenFileMappingW(FILE_MAP_READ | READ_CONTROL, FALSE, kSessionProcess);
  if (!section) return line;
  // An earlier version's section holds the process id only, and does not map.
  const char* view = OwnerOf(section) == Owner::Other
                         ? nullptr
                         : static_cast<const char*>(MapViewOfFile(section, FILE_MAP_READ, 0, 0, kPublishedBytes));
  if (view) {
    const char* text = view + kPublishedLineAt;
    line.assign(text, strnlen(text, kPublishedBytes - kPublishedLineAt));
    UnmapViewOfFile(view);
  }
  CloseHandle(section);
  return line;
}

AgentReply AskRunningAgentToQuit() {
  HANDLE exit = OpenEventW(EVENT_MODIFY_STATE, FALSE, kSessionExit);
  if (!exit) return AgentReply::NoAgent;
  HANDLE slot = OpenMutexW(SYNCHRONIZE, FALSE, kSessionSlot);
  SetEvent(exit);
  CloseHandle(exit);
  if (!slot) return AgentReply::NoAnswer;
  // The agent's end releases (or abandons) the slot; having it for a moment
  // tells that the agent is gone.
  const DWORD wait = WaitForSingleObject(slot, kQuitWaitMs);
  const bool ended = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
  if (ended) ReleaseMutex(slot);
  CloseHandle(slot);
  return ended ? AgentReply::Done : AgentReply::NoAnswer;
}

}  // namespace ordavi
