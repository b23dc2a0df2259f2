// GoogleTest's own place for a platform's settings, found before its empty
// header of this name in the Windows build. That build's thread model
// (win32) has no std::mutex or std::condition_variable, with which
// GoogleTest makes the Notification its own thread tests wait on; this one
// waits on an atomic flag instead. The project's tests start no threads.
#pragma once

#include <atomic>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {

class Notification {
public:
    Notification() = default;
    Notification(const Notification &) = delete;
    Notification &operator=(const Notification &) = delete;

    void Notify() { notified_.store(true, std::memory_order_release); }
    void WaitForNotification() {
        while (!notified_.load(std::memory_order_acquire)) {
        }
    }

private:
    std::atomic<bool> notified_{false};
};

}  // namespace internal
}  // namespace testing
