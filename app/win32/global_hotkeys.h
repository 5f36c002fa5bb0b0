// The main window's global hotkeys and the atoms that identify them.
#pragma once

#include <windows.h>

#include "app/hotkeys.h"

namespace ordavi {

class GlobalHotkeys : public HotkeyPort {
 public:
  // `window` is the main window's handle, read at each call.
  explicit GlobalHotkeys(const HWND& window) : window_(window) {}
  std::uint16_t FindAtom(const std::string& name) override { return GlobalFindAtomA(name.c_str()); }
  std::uint16_t AddAtom(const std::string& name) override { return GlobalAddAtomA(name.c_str()); }
  void DeleteAtom(std::uint16_t atom) override { GlobalDeleteAtom(atom); }
  void RegisterHotKey(std::uint32_t id, std::uint32_t modifiers, std::uint32_t key) override {
    ::RegisterHotKey(window_, static_cast<int>(id), modifiers, key);
  }
  void UnregisterHotKey(std::uint32_t id) override { ::UnregisterHotKey(window_, static_cast<int>(id)); }

 private:
  const HWND& window_;
};

}  // namespace ordavi
