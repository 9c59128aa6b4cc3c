// Identifiers of the resources of Setup.exe, shared by the resource script and
// the code (keep it to #define lines: windres reads it too).
#pragma once

// String-table entry of the localised "not an administrator" message.
#define IDS_NOT_ADMINISTRATOR 1
