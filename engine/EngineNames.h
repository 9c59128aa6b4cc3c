// What the launcher fixes about the installer engine, an outside component:
// its folders and files in the common files folder, the version they must
// carry, its update program on the disc and its running processes. Nothing
// else of the engine is read or relied on.
#pragma once

// The version every engine file must have at least.
#define ENGINE_REQUIRED_VERSION "6.31.100.1190"

// The engine folder under the common files folder, as the freshness check
// names it.
#define ENGINE_FOLDER "INSTALLSHIELD\\ENGINE\\6\\intel 32"

// The engine's kernel under the common files folder (%s), as the check after
// the update names it; its folder is the engine folder in another spelling
// (the file system ignores case).
#define ENGINE_KERNEL_PATH_FORMAT "%s\\InstallShield\\Engine\\6\\Intel 32\\IKernel.exe"

// The engine files tested in the engine folder, in the order of the test.
#define ENGINE_FILE_CTOR     "ctor.dll"
#define ENGINE_FILE_IUSER    "iuser.dll"
#define ENGINE_FILE_IKERNEL  "ikernel.exe"
#define ENGINE_FILE_OBJECTPS "objectps.dll"

// The script engine, tested last, under the common files folder.
#define ENGINE_SCRIPT_FILE "InstallShield\\IScript\\iscript.dll"

// The update program under a root folder (%s) of the disc, relative to the
// launcher's folder, and how it is run: silently, waited for.
#define ENGINE_UPDATE_PROGRAM    ".\\%s\\IKernelUpdate\\Setup.exe"
#define ENGINE_UPDATE_PARAMETERS "-s"

// The root folders the update program is run from.
#define ENGINE_UPDATE_ROOT_APPINST  "AppInst"
#define ENGINE_UPDATE_ROOT_TECHSUPT "techsupt"

// Base names of the engine's processes, closed before an update.
#define ENGINE_PROCESS_KERNEL  "IKernel.exe"
#define ENGINE_PROCESS_WRAPPER "knlwrap.exe"
