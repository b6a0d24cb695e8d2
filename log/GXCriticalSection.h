#pragma once
// A critical section the same thread may enter again, so a locked operation may call another
// locked operation of the same object.

#include <mutex>

class CGXCriticalSection {
public:
    CGXCriticalSection() = default;
    CGXCriticalSection(const CGXCriticalSection&) = delete;
    CGXCriticalSection& operator=(const CGXCriticalSection&) = delete;

    void Lock() { m_mutex.lock(); }
    void Unlock() { m_mutex.unlock(); }

private:
    std::recursive_mutex m_mutex;
};
