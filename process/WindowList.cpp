#include "process/WindowList.h"

namespace {

BOOL CALLBACK AddWindow(HWND hWnd, LPARAM lParam) { return reinterpret_cast<CWindowList*>(lParam)->Add(hWnd); }

} // namespace

CWindowList::CWindowList(unsigned nCapacity) : m_pItems(nullptr), m_nCapacity(nCapacity), m_nCount(0), m_nNext(0)
{
    // No array for a capacity whose size in bytes would not fit: Add then
    // stores nothing.
    if (nCapacity != 0 && nCapacity <= static_cast<SIZE_T>(-1) / sizeof(HWND))
        m_pItems = static_cast<HWND*>(HeapAlloc(GetProcessHeap(), 0, nCapacity * sizeof(HWND)));
}

CWindowList::~CWindowList()
{
    if (m_pItems != nullptr)
        HeapFree(GetProcessHeap(), 0, m_pItems);
}

BOOL CWindowList::Add(HWND hWnd)
{
    if (Filter(hWnd) && m_nCount < m_nCapacity && m_pItems != nullptr)
        m_pItems[m_nCount++] = hWnd;
    return TRUE;
}

BOOL CWindowList::Filter(HWND /*hWnd*/) { return TRUE; }

HWND CWindowList::Collect()
{
    EnumWindows(AddWindow, reinterpret_cast<LPARAM>(this));
    m_nNext = 0;
    if (m_pItems == nullptr || m_nCount == 0)
        return nullptr;
    m_nNext = 1;
    return m_pItems[0];
}

HWND CWindowList::Next()
{
    if (m_pItems == nullptr || m_nNext >= m_nCount)
        return nullptr;
    return m_pItems[m_nNext++];
}

CProcessWindowList::CProcessWindowList(DWORD dwProcessId, unsigned nCapacity)
    : CWindowList(nCapacity), m_dwProcessId(dwProcessId)
{
}

BOOL CProcessWindowList::Filter(HWND hWnd)
{
    // The style first: the owner is asked only of visible windows.
    if ((GetWindowLongA(hWnd, GWL_STYLE) & WS_VISIBLE) == 0)
        return FALSE;
    DWORD dwOwner = 0;
    GetWindowThreadProcessId(hWnd, &dwOwner);
    return dwOwner == m_dwProcessId;
}
