#pragma once
// Owners of the Win32 objects the link opens, so every path closes them exactly once.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <utility>

namespace qvxwin {

template <class Traits>
class CUniqueWin {
public:
    using Type = typename Traits::Type;

    CUniqueWin() = default;
    explicit CUniqueWin(Type value) : m_value(value) {}
    ~CUniqueWin() { Reset(); }
    CUniqueWin(CUniqueWin&& other) noexcept : m_value(std::exchange(other.m_value, Traits::Empty())) {}
    CUniqueWin& operator=(CUniqueWin&& other) noexcept
    {
        if (this != &other) {
            Reset();
            m_value = std::exchange(other.m_value, Traits::Empty());
        }
        return *this;
    }
    CUniqueWin(const CUniqueWin&) = delete;
    CUniqueWin& operator=(const CUniqueWin&) = delete;

    Type Get() const { return m_value; }
    bool IsValid() const { return Traits::IsValid(m_value); }

    // Closes what is held; false when closing it failed.
    bool Reset()
    {
        const Type value = std::exchange(m_value, Traits::Empty());
        return !Traits::IsValid(value) || Traits::Close(value);
    }

    // For an API that hands the object back through a pointer.
    Type* Receive()
    {
        Reset();
        return &m_value;
    }

private:
    Type m_value = Traits::Empty();
};

struct HandleTraits {
    using Type = HANDLE;
    static Type Empty() { return nullptr; }
    // CreateFile fails with INVALID_HANDLE_VALUE, most other calls with null.
    static bool IsValid(Type value) { return value != nullptr && value != INVALID_HANDLE_VALUE; }
    static bool Close(Type value) { return CloseHandle(value) != FALSE; }
};

struct KeyTraits {
    using Type = HKEY;
    static Type Empty() { return nullptr; }
    static bool IsValid(Type value) { return value != nullptr; }
    static bool Close(Type value) { return RegCloseKey(value) == ERROR_SUCCESS; }
};

using UniqueHandle = CUniqueWin<HandleTraits>;
using UniqueKey = CUniqueWin<KeyTraits>;

} // namespace qvxwin
