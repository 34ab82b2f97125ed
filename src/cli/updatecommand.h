#pragma once
// qkdriverctl update check [--download]
//
// The same version requests as the support page and the window: the newest firmware of the
// connected model ("<model>-firmware") and the newest program ("qk-software"). With --download a
// firmware release other than the mouse's is fetched and stored in the update folder (checked
// against the size rules first), where the update dialog and "qkdriverctl firmware update" find
// it. Without a mouse only the program is checked. Exit codes as CtlApp: 0 the check answered (whether or not something newer exists), 1 no
// usable answer or the download failed, 2 usage error.

#include "cli/accountcommand.h"

#include <QString>

namespace UpdateCommand {

struct Mouse
{
    bool connected = false; // false: only the program is checked
    int modelCode = 0;
    int firmwareVersion = 0;
};

constexpr const char *kUsageLine = "usage: update check [--download]";
bool argumentsValid(const QStringList &args);
// args: as argumentsValid() accepts them.
int run(const QStringList &args, const Mouse &mouse, AccountCommand::Output *out);

QString usage();

} // namespace UpdateCommand
