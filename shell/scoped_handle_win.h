#pragma once
// One owner for the handles the system gives: it closes what it holds exactly
// once, on every path, when it goes. A traits type names the handle, the
// values that mean "none" and the call that closes it; the common kinds are
// below, and a module that uses another kind (SetupAPI lists, WinINet, GDI)
// declares its traits beside its use.

#include <windows.h>

#include <utility>

template <typename Traits>
class ScopedHandle {
public:
    using Handle = typename Traits::Handle;

    ScopedHandle() = default;
    explicit ScopedHandle(Handle handle) : handle_(Traits::IsValid(handle) ? handle : Traits::Invalid()) {}
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.Release()) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    ~ScopedHandle() { Reset(); }

    Handle Get() const { return handle_; }
    bool IsValid() const { return Traits::IsValid(handle_); }
    explicit operator bool() const { return IsValid(); }

    // Hands the handle over; the owner holds none afterwards.
    Handle Release() { return std::exchange(handle_, Traits::Invalid()); }
    // Closes what was held and takes the new handle.
    void Reset(Handle handle = Traits::Invalid()) {
        if (Traits::IsValid(handle_)) Traits::Close(handle_);
        handle_ = Traits::IsValid(handle) ? handle : Traits::Invalid();
    }
    // For the out-parameter of an opening call; closes what was held first.
    Handle* Put() {
        Reset();
        return &handle_;
    }

private:
    Handle handle_ = Traits::Invalid();
};

// A handle that is null when there is none, closed by one call that takes it.
template <typename H, auto CloseCall>
struct NullableHandleTraits {
    using Handle = H;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle handle) { return handle != nullptr; }
    static void Close(Handle handle) { CloseCall(handle); }
};

// Files, processes, threads, events: some calls fail with null, CreateFile
// and its kin with INVALID_HANDLE_VALUE.
struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
    static void Close(Handle handle) { CloseHandle(handle); }
};
using CKernelHandle = ScopedHandle<KernelHandleTraits>;

// A folder listing of FindFirstFile.
struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Handle handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
    static void Close(Handle handle) { FindClose(handle); }
};
using CFindHandle = ScopedHandle<FindHandleTraits>;

using CRegistryKey = ScopedHandle<NullableHandleTraits<HKEY, &RegCloseKey>>;
