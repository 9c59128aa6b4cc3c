// Waitable kernel objects and the scoped lock over them.
//
// CSyncObject owns one handle; CMutex is a named mutex shared between
// processes; CSyncLock acquires one object and remembers whether it holds it,
// releasing it at the end of its life. The launcher uses two process-wide
// mutexes: the log mutex and the single-instance mutex.
#pragma once

#include <windows.h>

class CSyncObject
{
public:
    explicit CSyncObject(LPCSTR szName);
    virtual ~CSyncObject();

    // Waits for the object; TRUE only when the wait returned WAIT_OBJECT_0.
    virtual BOOL Lock(DWORD dwTimeout);
    // Kept for interface compatibility: does nothing and returns TRUE.
    virtual BOOL Unlock(LONG lCount, LPLONG lpPrevCount);
    virtual BOOL Unlock() = 0;

    HANDLE m_hHandle;

private:
    CSyncObject(const CSyncObject&)            = delete;
    CSyncObject& operator=(const CSyncObject&) = delete;
};

class CMutex : public CSyncObject
{
public:
    // A failed creation leaves m_hHandle null; an existing mutex of the same
    // name is shared, which is the point of naming it.
    CMutex(BOOL bInitiallyOwn, LPCSTR szName, LPSECURITY_ATTRIBUTES pAttributes);
    ~CMutex() override;

    using CSyncObject::Unlock;
    BOOL Unlock() override;
};

class CSyncLock
{
public:
    CSyncLock(CSyncObject* pObject, BOOL bLockNow);
    ~CSyncLock();

    BOOL Lock(DWORD dwTimeout);
    // TRUE when the lock does not hold the object afterwards.
    BOOL Unlock();

    CSyncObject* m_pObject;
    HANDLE       m_hObject;
    BOOL         m_bAcquired;

private:
    CSyncLock(const CSyncLock&)            = delete;
    CSyncLock& operator=(const CSyncLock&) = delete;
};
