// Exit codes of the launcher. Pure header.
#pragma once

enum ExitCode
{
    EXIT_DONE      = 0, // ran to its end (also: an administrator was required)
    EXIT_DUPLICATE = 1, // another launcher is already running
};
