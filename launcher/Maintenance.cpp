#include "launcher/Maintenance.h"

int  CheckEngineFreshness(int) { return 0; }
void RunEngineUpdate() {}
void ImportDriverRegistryFile(int) {}
