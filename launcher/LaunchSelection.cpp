#include "launcher/LaunchSelection.h"

int  HasSwitch(const char*) { return 0; }
void BuildSetupIniPath() {}
int  SelectAndLaunch(const ProductLocation&, int, LaunchSettings&) { return 0; }
