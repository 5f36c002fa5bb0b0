// TForm1: the agent's main window. Hidden for the agent's whole life, it owns
// the tray icon, the hotkeys, the popup menu and the three timers, and doubles
// as the shutdown countdown window (shown only while a countdown runs).
//
// The window only translates: messages become calls on the Agent core (and on
// the hooks the task tick and countdown plug into), and the ports it
// implements apply what the core asks.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>

#include "actions/countdown.h"
#include "app/agent.h"
#include "schedule/tick.h"

namespace ordavi {

// The tray icon record in its first layout: 88 bytes in the 32-bit build, 104
// in the 64-bit build (8-byte handles, aligned), the platform's own size.
struct TrayIconData88 {
  DWORD cbSize;
  HWND hWnd;
  UINT uID;
  UINT uFlags;
  UINT uCallbackMessage;
  HICON hIcon;
  CHAR szTip[64];
};
#if defined(_WIN64)
static_assert(sizeof(TrayIconData88) == 104, "first NOTIFYICONDATAA layout, 64-bit");
#else
static_assert(sizeof(TrayIconData88) == 88, "first NOTIFYICONDATAA layout");
#endif

class TForm1 : public TrayPort, public HotkeyPort, public MainWindowPort, public TimerPort, public CountdownView {
 public:
  TForm1();
  ~TForm1() override;

  // Creates the hidden window (design state: Timer1 and Timer2 on, Timer3 off).
  bool Create();
  // Runs FormCreate on the core.
  void Start(Agent& agent);
  HWND Handle() const { return hwnd_; }

  // Hooks for the parts that plug into the main window: the task tick
  // (Timer1, Timer3), the countdown (Timer2, BitBtn1, BitBtn2) and the menu
  // commands handled outside the agent core (settings, device, junk).
  std::function<void()> onTimer1, onTimer2, onTimer3, onBitBtn1, onBitBtn2;
  std::function<void(MenuItem)> onOtherCommand;

  // TrayPort
  void Notify(TrayOp op, const TrayIconState& state) override;
  // HotkeyPort
  std::uint16_t FindAtom(const std::string& name) override;
  std::uint16_t AddAtom(const std::string& name) override;
  void DeleteAtom(std::uint16_t atom) override;
  void RegisterHotKey(std::uint32_t id, std::uint32_t modifiers, std::uint32_t key) override;
  void UnregisterHotKey(std::uint32_t id) override;
  // MainWindowPort
  std::uint32_t RegisterTaskbarCreated() override;
  void SetProgressMax(std::int32_t maximum) override;
  void MakeTopmost() override;
  void SetMenuCaption(MenuItem item, const std::string& caption) override;
  void SetMenuChecked(MenuItem item, bool checked) override;
  void OpenAbout() override;
  void Close() override;
  // TimerPort
  void SetTimerEnabled(MainTimer timer, bool on) override;
  bool TimerEnabled(MainTimer timer) const override;
  // CountdownView: the main window in its countdown role.
  void SetWindowCaption(const std::string& text) override;
  void SetLabel1(const std::string& text) override;
  void SetLabel2(const std::string& text) override;
  void SetButton1Caption(const std::string& text) override;
  void SetButton2Caption(const std::string& text) override;
  void SetProgress(std::int32_t position, std::int32_t maximum) override;
  void Show() override;
  void Hide() override;

  HWND hwnd_ = nullptr;

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  void OnCreate();
  void CreateMenu();
  void OnTimer(UINT_PTR id);
  void OnCommand(WORD id);
  void TrayIconMessage(LPARAM lParam);
  void CallHook(const std::function<void()>& hook) { if (hook) hook(); }

  Agent* agent_ = nullptr;
  TrayIconData88 trayIconData_ = {};
  HMENU popupMenu1_ = nullptr;
  HWND label1_ = nullptr, label2_ = nullptr, pgBar1_ = nullptr, bitBtn1_ = nullptr, bitBtn2_ = nullptr;
  HFONT formFont_ = nullptr, songTi_ = nullptr;
  HIMAGELIST glyphOk_ = nullptr, glyphCancel_ = nullptr;
  bool timers_[3] = {false, false, false};
};

}  // namespace ordavi
