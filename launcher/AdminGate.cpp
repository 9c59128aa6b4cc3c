#include "launcher/Maintenance.h"

int PassAdministratorGate(HINSTANCE, int) { return 1; }
