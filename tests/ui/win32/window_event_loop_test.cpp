// The window's event loop: ends and delays come back through the window's messages, once, and
// never after their watch has been dropped.
#include "ui/win32/window_event_loop.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "window_driver.h"

namespace varlo {
namespace {

using namespace std::chrono_literals;

LRESULT CALLBACK HandToLoop(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* loop = reinterpret_cast<CWindowEventLoop*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (loop != nullptr && loop->OnMessage(message, wParam)) {
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class WindowEventLoopTest : public ::testing::Test {
protected:
    WindowEventLoopTest() {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = &HandToLoop;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "varloLoopTest";
        RegisterClassA(&windowClass);  // once a process; later calls fail harmlessly
        m_window = CreateWindowExA(0, "varloLoopTest", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
        SetWindowLongPtrA(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&m_loop));
        m_loop.Attach(m_window);
        m_event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    }
    ~WindowEventLoopTest() override {
        DestroyWindow(m_window);
        CloseHandle(m_event);
    }

    NativeHandle Event() const { return reinterpret_cast<NativeHandle>(m_event); }
    bool PumpUntil(const std::function<bool()>& done, DWORD limitMs = 5000) {
        return test::PumpUntil(nullptr, done, limitMs);
    }

    CWindowEventLoop m_loop;
    HWND m_window = nullptr;
    HANDLE m_event = nullptr;
};

TEST_F(WindowEventLoopTest, CallbacksComeOnceAndNeverAfterTheirWatchIsDropped) {
    std::vector<std::string> fired;
    std::unique_ptr<IEventLoop::IWatch> soon;
    std::unique_ptr<IEventLoop::IWatch> ready;
    soon = m_loop.After(0ms, [&] {
        fired.push_back("soon");
        soon = m_loop.After(20ms, [&] { fired.push_back("again"); });  // drops itself
    });
    auto dropped = m_loop.After(10ms, [&] { fired.push_back("dropped"); });
    dropped.reset();
    ready = m_loop.WhenReady(Event(), [&] {
        fired.push_back("ready");
        ready.reset();
    });
    ASSERT_TRUE(PumpUntil([&] { return !fired.empty(); }));
    EXPECT_EQ((std::vector<std::string>{"soon"}), fired) << "not before the handle is signalled";
    SetEvent(m_event);  // and it stays signalled
    ASSERT_TRUE(PumpUntil([&] { return fired.size() == 3; }));
    PumpUntil([] { return false; }, 100);
    std::sort(fired.begin(), fired.end());
    EXPECT_EQ((std::vector<std::string>{"again", "ready", "soon"}), fired);

    // Dropped while the message of its end is on the way: the message is ignored.
    ready = m_loop.WhenReady(Event(), [&] { fired.push_back("late"); });
    const auto messageWaits = [this] {
        MSG message;
        return PeekMessageA(&message, m_window, CWindowEventLoop::kReadyMessage,
                            CWindowEventLoop::kReadyMessage, PM_NOREMOVE) != FALSE;
    };
    for (int tries = 0; tries < 500 && !messageWaits(); ++tries) {
        Sleep(10);
    }
    ASSERT_TRUE(messageWaits());
    ready.reset();
    PumpUntil([] { return false; }, 50);
    EXPECT_EQ(3u, fired.size());
}

}  // namespace
}  // namespace varlo
