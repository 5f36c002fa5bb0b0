// At most one agent per user session. A second start (autostart at log-on and
// the Start-menu shortcut, say) must not double every reminder and countdown:
// it either hands over to the running agent, which opens its settings dialog
// as the tray menu's 设置 does, or, when it has administrator rights and the
// running agent has not, ends that agent as 退出 does and takes its place, so
// that the shortcut marked "run as administrator" always gives the user an
// agent that can save. The choice is made before the main window and its tray
// icon exist, so there is never a second icon, not even for a moment.
//
// The port reaches the session's agent slot (a named kernel object in the
// session's namespace) and the running agent; its Win32 adapter is
// app/win32/agent_slot.h.
#pragma once

namespace ordavi {

// What claiming the session's slot gave: this process is the session's agent,
// another agent holds the slot, or the slot cannot be had at all (a name
// taken by an object of another kind): then no agent starts, rather than a
// second one, and the user has been told.
enum class SessionClaim { Claimed, HeldByAnother, Refused };

class AgentSlotPort {
 public:
  virtual ~AgentSlotPort() = default;
  // The installer or uninstaller of this installation is ending every agent
  // of it: this start must not run either.
  virtual bool InstallationClosing() = 0;
  // Takes the session's agent slot when no agent holds it.
  virtual SessionClaim ClaimSession() = 0;
  // Administrator rights in force (the Administrators group enabled, so an
  // elevated process): this process, and the running agent, read from that
  // process itself (never from a name anyone could create).
  virtual bool HasAdministratorRights() = 0;
  virtual bool RunningAgentHasAdministratorRights() = 0;
  // Asks the running agent to end as 退出 does and waits a while for its
  // slot; true when this process now holds it.
  virtual bool EndRunningAgentAndClaim() = 0;
  // Asks the running agent to do what its tray menu's 设置 does.
  virtual void AskRunningAgentToOpenSettings() = 0;
};

// Decides whether this process goes on as the session's agent (true) or ends
// at once (false), having handed over to the running agent.
bool StartAsTheSessionAgent(AgentSlotPort& slot);

}  // namespace ordavi
