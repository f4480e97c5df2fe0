#include "window_event_loop.h"

#include <algorithm>
#include <stdexcept>

namespace varlo {

namespace {

// What the thread pool's callback needs to tell the window.
struct ReadyNote {
    HWND window;
    UINT_PTR id;
};

VOID CALLBACK PostReady(PVOID context, BOOLEAN /*timedOut*/) {
    const auto* note = static_cast<const ReadyNote*>(context);
    // A full queue empties as the window works through it: try again for a while rather than
    // lose the end, which would leave the conversion waiting for ever.
    for (int tries = 0; tries < 500; ++tries) {
        if (PostMessageA(note->window, CWindowEventLoop::kReadyMessage, note->id, 0) ||
            GetLastError() != ERROR_NOT_ENOUGH_QUOTA) {
            return;
        }
        Sleep(10);
    }
}

}  // namespace

class CWindowEventLoop::CReadyWatch : public IWatch {
public:
    CReadyWatch(CWindowEventLoop& loop, HWND window, UINT_PTR id, HANDLE handle)
        : m_loop(loop), m_note{window, id} {
        if (!RegisterWaitForSingleObject(&m_wait, handle, &PostReady, &m_note, INFINITE,
                                         WT_EXECUTEONLYONCE)) {
            throw std::runtime_error("RegisterWaitForSingleObject failed");
        }
    }
    ~CReadyWatch() override {
        // Waits for a callback under way, so that the note outlives it; a message it posted is
        // ignored, as its id is gone.
        UnregisterWaitEx(m_wait, INVALID_HANDLE_VALUE);
        m_loop.m_ready.erase(m_note.id);
    }
    CReadyWatch(const CReadyWatch&) = delete;
    CReadyWatch& operator=(const CReadyWatch&) = delete;

private:
    CWindowEventLoop& m_loop;
    ReadyNote m_note;
    HANDLE m_wait = nullptr;
};

class CWindowEventLoop::CTimerWatch : public IWatch {
public:
    CTimerWatch(CWindowEventLoop& loop, UINT_PTR id) : m_loop(loop), m_id(id) {}
    ~CTimerWatch() override {
        // Also takes a WM_TIMER of it out of the queue.
        KillTimer(m_loop.m_window, m_id);
        m_loop.m_timers.erase(m_id);
    }
    CTimerWatch(const CTimerWatch&) = delete;
    CTimerWatch& operator=(const CTimerWatch&) = delete;

private:
    CWindowEventLoop& m_loop;
    UINT_PTR m_id;
};

HWND CWindowEventLoop::Window() const {
    if (m_window == nullptr) {
        throw std::logic_error("the event loop has no window");
    }
    return m_window;
}

std::unique_ptr<IEventLoop::IWatch> CWindowEventLoop::WhenReady(NativeHandle handle,
                                                                Callback ready) {
    const UINT_PTR id = m_nextId++;
    auto watch =
        std::make_unique<CReadyWatch>(*this, Window(), id, reinterpret_cast<HANDLE>(handle));
    m_ready.emplace(id, std::move(ready));
    return watch;
}

std::unique_ptr<IEventLoop::IWatch> CWindowEventLoop::After(std::chrono::milliseconds delay,
                                                            Callback due) {
    const UINT_PTR id = m_nextId++;
    const auto ms = static_cast<UINT>(
        std::clamp<long long>(delay.count(), USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM));
    if (SetTimer(Window(), id, ms, nullptr) == 0) {
        throw std::runtime_error("SetTimer failed");
    }
    auto watch = std::make_unique<CTimerWatch>(*this, id);
    m_timers.emplace(id, std::move(due));
    return watch;
}

bool CWindowEventLoop::OnMessage(UINT message, WPARAM wParam) {
    if (message == kReadyMessage) {
        Fire(m_ready, wParam);
        return true;
    }
    if (message == WM_TIMER && m_timers.count(wParam) != 0) {
        KillTimer(m_window, wParam);  // once
        Fire(m_timers, wParam);
        return true;
    }
    return false;
}

void CWindowEventLoop::Fire(std::map<UINT_PTR, Callback>& callbacks, UINT_PTR id) {
    const auto found = callbacks.find(id);
    if (found == callbacks.end()) {
        return;
    }
    // Out of the map first: the callback may drop its own watch, or make new ones.
    const Callback callback = std::move(found->second);
    callbacks.erase(found);
    callback();
}

}  // namespace varlo
