// The administrator test and the owner-less message box.
#pragma once

#include <windows.h>

#include "resources/Resource.h"

// 1 when the user belongs to the Administrators group, or when the question
// cannot be asked on this system; 0 when the user is not a member.
int IsAdministrator();

// MessageBoxA without an owner window.
int ShowMessage(const char* szText, const char* szCaption, UINT uStyle);
