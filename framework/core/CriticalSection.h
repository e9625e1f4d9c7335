// The framework's lock: a re-entrant critical section and the scope lock that holds it.
#pragma once

#include <mutex>

namespace Olvarn
{

// Re-entrant: the owning thread may enter again, and must leave as often as it entered.
class CriticalSection
{
public:
    CriticalSection() = default;
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void Enter();
    void Leave();
    bool TryEnter();

private:
    std::recursive_mutex mMutex;
};

// Holds a critical section for one scope, released also when the scope is left by an exception.
class CriticalSectionLock
{
public:
    explicit CriticalSectionLock(CriticalSection& section) : mSection(section) { mSection.Enter(); }
    ~CriticalSectionLock() { mSection.Leave(); }
    CriticalSectionLock(const CriticalSectionLock&) = delete;
    CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

private:
    CriticalSection& mSection;
};

} // namespace Olvarn
