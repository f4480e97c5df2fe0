// A file descriptor on POSIX, a HANDLE on Windows, the owner that closes it, and writing to it.
#pragma once

#include <cstdint>
#include <string_view>
#include <utility>

namespace varlo {

using NativeHandle = std::intptr_t;
inline constexpr NativeHandle kNoHandle = -1;

// Closes a handle of the platform; kNoHandle is ignored.
void CloseNativeHandle(NativeHandle handle);

// Writes all of `bytes`, as many calls as that takes. False (errno or GetLastError() set) when
// the system refused.
bool WriteAll(NativeHandle handle, std::string_view bytes);

class CScopedHandle {
public:
    CScopedHandle() = default;
    explicit CScopedHandle(NativeHandle handle) : m_handle(handle) {}
    ~CScopedHandle() { CloseNativeHandle(m_handle); }
    CScopedHandle(CScopedHandle&& other) noexcept : m_handle(other.Release()) {}
    CScopedHandle& operator=(CScopedHandle&& other) noexcept {
        Reset(other.Release());
        return *this;
    }
    CScopedHandle(const CScopedHandle&) = delete;
    CScopedHandle& operator=(const CScopedHandle&) = delete;

    NativeHandle Get() const { return m_handle; }
    bool Valid() const { return m_handle != kNoHandle; }
    NativeHandle Release() { return std::exchange(m_handle, kNoHandle); }
    void Reset(NativeHandle handle = kNoHandle) {
        CloseNativeHandle(std::exchange(m_handle, handle));
    }

private:
    NativeHandle m_handle = kNoHandle;
};

}  // namespace varlo
