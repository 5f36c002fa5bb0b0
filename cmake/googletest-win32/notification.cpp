// GoogleTest's Notification over a manual-reset Windows event (see
// gtest/internal/custom/gtest-port.h in this folder).
#include <windows.h>

#include <gtest/gtest.h>

namespace testing {
namespace internal {

Notification::Notification() : event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
Notification::~Notification() { CloseHandle(event_); }
void Notification::Notify() { SetEvent(event_); }
void Notification::WaitForNotification() { WaitForSingleObject(event_, INFINITE); }

}  // namespace internal
}  // namespace testing
