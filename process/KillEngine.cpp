#include "process/KillEngine.h"

void KillEngineProcesses() {}
