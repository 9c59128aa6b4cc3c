#include "engine/EngineUpdate.h"

int CheckEngineFiles(const char*, const char*) { return 1; }
int IsEngineUpdateNeeded() { return 0; }
int UpdateEngine(const char*) { return 0; }
