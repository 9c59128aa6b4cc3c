// Synchronisation objects. The soft precondition checks below are reported
// with this file's path and their line numbers, and support staff match log
// lines against those numbers: keep the four checks on lines 44, 56, 57, 65.
#include "Utils/Common/Sync/Sync.h"

#include "services/Log.h"

// Logs a violated precondition and carries on.
#define SYNC_CHECK(condition)                                                   \
    do                                                                          \
    {                                                                           \
        if (!(condition))                                                       \
            WriteLog("%s %d: %s\n", __FILE__, __LINE__, #condition);            \
    } while (0)

CSyncObject::CSyncObject(LPCSTR /*szName*/) : m_hHandle(nullptr) {}

CSyncObject::~CSyncObject()
{
    if (m_hHandle != nullptr)
    {
        CloseHandle(m_hHandle);
        m_hHandle = nullptr;
    }
}

BOOL CSyncObject::Lock(DWORD dwTimeout)
{
    return WaitForSingleObject(m_hHandle, dwTimeout) == WAIT_OBJECT_0;
}

BOOL CSyncObject::Unlock(LONG /*lCount*/, LPLONG /*lpPrevCount*/) { return TRUE; }
CMutex::CMutex(BOOL bInitiallyOwn, LPCSTR szName, LPSECURITY_ATTRIBUTES pAttributes)
    : CSyncObject(szName)
{
    m_hHandle = CreateMutexA(pAttributes, bInitiallyOwn, szName);
}

CMutex::~CMutex() {}
BOOL CMutex::Unlock() { return ReleaseMutex(m_hHandle); }

CSyncLock::CSyncLock(CSyncObject* pObject, BOOL bLockNow)
{
    SYNC_CHECK(pObject != NULL);
    m_pObject   = pObject;
    // A null object has no handle to copy: Lock and Unlock report its uses.
    m_hObject   = pObject != nullptr ? pObject->m_hHandle : nullptr;
    m_bAcquired = FALSE;
    if (bLockNow)
        Lock(INFINITE);
}

CSyncLock::~CSyncLock() { Unlock(); }
BOOL CSyncLock::Lock(DWORD dwTimeout)
{
    SYNC_CHECK(m_pObject != NULL || m_hObject != NULL);
    SYNC_CHECK(!m_bAcquired);
    m_bAcquired = m_pObject != nullptr && m_pObject->Lock(dwTimeout);
    return m_bAcquired;
}

// Releases only what this lock holds: an explicit Unlock, then the end of life, releases once.
BOOL CSyncLock::Unlock()
{
    SYNC_CHECK(m_pObject != NULL);
    if (m_bAcquired)
        m_bAcquired = !m_pObject->Unlock();
    return !m_bAcquired;
}
