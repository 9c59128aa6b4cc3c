#include "launcher/Maintenance.h"

int  CheckEngineFreshness(int) { return 0; }
int  PassAdministratorGate(HINSTANCE, int) { return 1; }
void RunEngineUpdate() {}
void ImportDriverRegistryFile(int) {}
