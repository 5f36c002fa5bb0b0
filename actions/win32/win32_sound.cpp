#include "actions/win32/win32_sound.h"

#include <mmsystem.h>

#include "store/win32/gbk_text.h"
#include "platform/win32/system_library.h"

namespace ordavi {

namespace {
// winmm is loaded when a sound is first played (system_library.h).
using PlaySoundFn = BOOL(WINAPI*)(LPCWSTR, HMODULE, DWORD);
PlaySoundFn PlaySoundProc() { return SystemProc<PlaySoundFn>("winmm.dll", "PlaySoundW"); }
}  // namespace

void Win32SoundPlayer::Play(const std::string& name, std::uint32_t flags) {
  if (const auto play = PlaySoundProc()) play(WideFromGbk(name).c_str(), reinterpret_cast<HMODULE>(window_()), flags);
}

void Win32SoundPlayer::Stop() {
  // Nothing can be playing before winmm was loaded for a sound.
  if (!GetModuleHandleA("winmm.dll")) return;
  if (const auto play = PlaySoundProc()) play(nullptr, nullptr, 0);
}

}  // namespace ordavi
