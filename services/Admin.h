// The administrator test and the owner-less message box.
#pragma once

#include <windows.h>

#include "resources/Resource.h"

// 1 when the user belongs to the Administrators group, or when the question
// cannot be asked on this system; 0 when the user is not a member.
int IsAdministrator();

// MessageBoxA without an owner window.
int ShowMessage(const char* szText, const char* szCaption, UINT uStyle);

// MessageBoxW without an owner window, for a text that the ANSI code page
// cannot carry (Windows NT only: Windows 9x has no Unicode message box).
int ShowMessageW(const wchar_t* szText, const wchar_t* szCaption, UINT uStyle);
