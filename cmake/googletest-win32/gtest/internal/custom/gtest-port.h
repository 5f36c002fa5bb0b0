// GoogleTest's customisation point, found before the framework's own empty
// one when it is built for Windows.
//
// The Windows builds use the compilers of the win32 thread model, whose C++
// library (GCC 12) has no std::mutex or std::condition_variable. GoogleTest
// uses those for one class only, Notification, and its own Windows locks for
// everything else; this supplies Notification over a Windows event instead
// (notification.cpp beside this folder).
#ifndef ORDAVI_GTEST_CUSTOM_PORT_H_
#define ORDAVI_GTEST_CUSTOM_PORT_H_

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {

class Notification {
 public:
  Notification();
  ~Notification();
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;

  void Notify();
  void WaitForNotification();

 private:
  void* event_;
};

}  // namespace internal
}  // namespace testing

#endif  // ORDAVI_GTEST_CUSTOM_PORT_H_
