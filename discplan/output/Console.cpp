#include "discplan/output/Console.h"

#include <stdio.h>

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#endif

std::vector<std::string> Arguments(int argc, char** argv)
{
    std::vector<std::string> arguments;
#ifdef _WIN32
    (void)argc;
    (void)argv;
    int       nArgs  = 0;
    LPWSTR*   pwszArgs = CommandLineToArgvW(GetCommandLineW(), &nArgs);
    for (int i = 1; pwszArgs != nullptr && i < nArgs; ++i)
    {
        const int   cb = WideCharToMultiByte(CP_UTF8, 0, pwszArgs[i], -1, nullptr, 0, nullptr, nullptr);
        std::string argument(cb > 0 ? cb : 1, '\0');
        if (cb > 0)
            WideCharToMultiByte(CP_UTF8, 0, pwszArgs[i], -1, &argument[0], cb, nullptr, nullptr);
        argument.resize(argument.size() - 1);
        arguments.push_back(argument);
    }
    LocalFree(pwszArgs);
#else
    for (int i = 1; i < argc; ++i)
        arguments.push_back(argv[i]);
#endif
    return arguments;
}

void Write(const std::string& text, bool bError)
{
    FILE* pStream = bError ? stderr : stdout;
#ifdef _WIN32
    HANDLE hOutput = GetStdHandle(bError ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    DWORD  dwMode  = 0;
    if (hOutput != INVALID_HANDLE_VALUE && GetConsoleMode(hOutput, &dwMode))
    {
        const int cch = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
        if (cch > 0)
        {
            std::wstring wide(cch, L'\0');
            MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], cch);
            fflush(pStream);
            DWORD dwWritten = 0;
            WriteConsoleW(hOutput, wide.data(), static_cast<DWORD>(wide.size()), &dwWritten, nullptr);
        }
        return;
    }
    // Redirected: the bytes as they are, no line-end translation.
    fflush(pStream);
    DWORD dwWritten = 0;
    WriteFile(hOutput, text.data(), static_cast<DWORD>(text.size()), &dwWritten, nullptr);
    return;
#endif
    fwrite(text.data(), 1, text.size(), pStream);
}
