// What the launcher fixes about the installer engine, an outside component:
// its update program on the disc, its files and its processes.
#pragma once

// The engine update program, under a root folder of the disc (a format for
// that root).
#define ENGINE_UPDATE_PROGRAM ".\\%s\\IKernelUpdate\\Setup.exe"
