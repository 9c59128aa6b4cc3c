// Collecting top-level windows: a fixed-capacity list filled from
// EnumWindows, and the variant that keeps the visible windows of one process.
#pragma once

#include <windows.h>

class CWindowList
{
public:
    explicit CWindowList(unsigned nCapacity);
    ~CWindowList();

    // Stores the window when Filter accepts it and there is room; windows
    // beyond the capacity are dropped. TRUE always, so that the enumeration
    // runs through every top-level window.
    virtual BOOL Add(HWND hWnd);
    // TRUE when the window belongs in the list: every window, here.
    virtual BOOL Filter(HWND hWnd);

    // Fills the list from the top-level windows (once per list) and returns
    // the first collected window, or null when none was collected.
    HWND Collect();
    // The next collected window after the last one handed out, or null when
    // all have been handed out.
    HWND Next();

    HWND*    m_pItems;
    unsigned m_nCapacity;
    unsigned m_nCount;
    unsigned m_nNext;

private:
    CWindowList(const CWindowList&)            = delete;
    CWindowList& operator=(const CWindowList&) = delete;
};

class CProcessWindowList : public CWindowList
{
public:
    CProcessWindowList(DWORD dwProcessId, unsigned nCapacity);

    // TRUE for a visible window of the process.
    BOOL Filter(HWND hWnd) override;

    DWORD m_dwProcessId;
};
