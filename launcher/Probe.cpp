#include "launcher/Probe.h"

#include "launcher/Globals.h"

void ProbeLanguage() {}

int ProbeOs(OsInfo& info) { return info.nOsCode; }

void ProbeCommonFilesDir(CRegistry& /*registry*/) {}
