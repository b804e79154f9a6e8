#include "payload/InstallName.h"

#include "base/PathText.h"
#include "format/InstallNameRule.h"

wchar_t* MakeInstallName(wchar_t* name) { return setup_format::ApplyInstallNameRule(name, IsLetter, UpperChar); }
