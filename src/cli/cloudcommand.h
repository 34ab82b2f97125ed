#pragma once
// qkdriverctl cloud upload | cloud download
//
// The same requests as the cloud page: upload zips the connected model's configuration folder
// and the macro library and stores both in the logged-in account; download fetches them back
// and replaces the local folders (macros first; an account with macros but no configuration
// for this model restores the macros alone). A downloaded archive is checked entry by entry and
// unpacked into a staging folder first, so a refused or broken one leaves the local folder as it
// was. Exit codes as CtlApp: 0 success, 1 refused or failed, 2 usage error.

#include "cli/accountcommand.h"

#include <QString>

namespace CloudCommand {

constexpr const char *kUsageLine = "cloud needs upload or download";
bool argumentsValid(const QStringList &args);
// args: as argumentsValid() accepts them; modelCode: the connected mouse's.
int run(const QStringList &args, int modelCode, AccountCommand::Output *out);

QString usage();

} // namespace CloudCommand
