// Exit codes of the launcher. Pure header.
#pragma once

enum ExitCode
{
    EXIT_DONE      = 0, // ran to its end (also: an administrator was required)
    EXIT_DUPLICATE = 1, // another launcher is already running
    // Its folder has no name in the system's code page; 3 as ERROR_PATH_NOT_FOUND.
    EXIT_FOLDER_UNNAMEABLE = 3,
};
