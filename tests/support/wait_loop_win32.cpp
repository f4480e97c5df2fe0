#include <windows.h>

#include <algorithm>
#include <vector>

#include "wait_loop.h"

namespace varlo {

namespace {

// How long the first handles are waited on at a time when there are too many to wait on at once.
constexpr DWORD kSliceWaitMs = 10;

// The first handle that cannot be waited on (a closed one, say). It counts as ready, as poll()
// reports a bad descriptor: its owner then looks at it, and the loop does not spin on the failure.
int FirstBroken(const HANDLE* handles, DWORD count) {
    for (DWORD i = 0; i < count; ++i) {
        if (WaitForSingleObject(handles[i], 0) == WAIT_FAILED) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// Waits on at most MAXIMUM_WAIT_OBJECTS handles: the index of the ready one, or -1.
int WaitOnSlice(const HANDLE* handles, DWORD count, DWORD ms) {
    const DWORD result = WaitForMultipleObjects(count, handles, FALSE, ms);
    if (result < WAIT_OBJECT_0 + count) {
        return static_cast<int>(result - WAIT_OBJECT_0);
    }
    if (result >= WAIT_ABANDONED_0 && result < WAIT_ABANDONED_0 + count) {
        return static_cast<int>(result - WAIT_ABANDONED_0);
    }
    return result == WAIT_FAILED ? FirstBroken(handles, count) : -1;
}

}  // namespace

int CWaitLoop::WaitForReady(const std::vector<NativeHandle>& handles,
                            std::chrono::milliseconds timeout) {
    const DWORD ms = static_cast<DWORD>(std::clamp<long long>(timeout.count(), 0, INFINITE - 1));
    std::vector<HANDLE> native;
    native.reserve(handles.size());
    for (const NativeHandle handle : handles) {
        native.push_back(reinterpret_cast<HANDLE>(handle));
    }
    if (native.empty()) {
        Sleep(ms);
        return -1;
    }
    const auto count = static_cast<DWORD>(native.size());
    if (count <= MAXIMUM_WAIT_OBJECTS) {
        return WaitOnSlice(native.data(), count, ms);
    }
    // WaitForMultipleObjects takes 64 handles at most. Beyond that every slice of 64 is looked at
    // without waiting, then the first slice is waited on briefly, until the time is up: an end in
    // a later slice is seen at most that briefly late.
    const ULONGLONG end = GetTickCount64() + ms;
    for (;;) {
        for (DWORD first = 0; first < count; first += MAXIMUM_WAIT_OBJECTS) {
            const DWORD slice = std::min<DWORD>(MAXIMUM_WAIT_OBJECTS, count - first);
            if (const int ready = WaitOnSlice(native.data() + first, slice, 0); ready >= 0) {
                return static_cast<int>(first) + ready;
            }
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= end) {
            return -1;
        }
        const auto wait = static_cast<DWORD>(std::min<ULONGLONG>(end - now, kSliceWaitMs));
        if (const int ready = WaitOnSlice(native.data(), MAXIMUM_WAIT_OBJECTS, wait); ready >= 0) {
            return ready;
        }
    }
}

}  // namespace varlo
