#include "services/Admin.h"

int IsAdministrator() { return 1; }

int ShowMessage(const char* szText, const char* szCaption, UINT uStyle)
{
    return MessageBoxA(nullptr, szText, szCaption, uStyle);
}
