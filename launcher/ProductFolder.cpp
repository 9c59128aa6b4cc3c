#include "launcher/ProductFolder.h"

void ResolveProductFolder(ProductLocation&) {}
void ResolveSetupProgram(ProductLocation&) {}
int  ProbeEngineUpdate(ProductLocation&) { return 0; }
