// GoogleTest's Notification over a Win32 event. gtest's own version needs std::mutex,
// which the win32 thread model of mingw's g++ 12 lacks; this one is force-included
// ahead of gtest's headers (GTEST_HAS_NOTIFICATION_ tells gtest to use it).
#pragma once

#include <windows.h>

namespace testing::internal {

class Notification {
public:
    Notification() : event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;
    ~Notification() { CloseHandle(event_); }

    void Notify() { SetEvent(event_); }
    void WaitForNotification() { WaitForSingleObject(event_, INFINITE); }

private:
    HANDLE event_;
};

}  // namespace testing::internal
