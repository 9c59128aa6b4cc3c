// Helpers shared by the unit tests that run under Wine.
#pragma once

#include <windows.h>

#include <string>

// The Windows form of a Unix path given in an environment variable by CTest
// (Wine maps the Unix root to drive Z:), or of a path relative to the test's
// own program folder when the variable is absent.
std::string ToolPath(const char* szName);

// A fresh, empty folder for one test under the working folder.
std::string FreshFolder(const char* szName);

// Reads a whole file into a string ("" when it does not exist).
std::string ReadFileText(const std::string& path);

// Writes a whole file.
void WriteFileText(const std::string& path, const std::string& text);

// Starts a program with a command line; returns its process handle (or null).
HANDLE StartProcess(const std::string& commandLine);

// Runs a program to its end and returns its exit code (or -1).
int RunProcess(const std::string& commandLine, DWORD dwTimeoutMs = 60000);

// Sets the log path to a fresh file of the test and returns that path.
std::string UseTestLog(const char* szName);

// The log file's lines without their 24-character time stamps.
std::string LogMessages(const std::string& path);

// The number of handles the test process has open (use it rather than
// GetProcessHandleCount, which Wine answers with 0).
DWORD HandleCount();
