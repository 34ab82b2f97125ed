#pragma once
// The signed-in account as stored on this computer (token, e-mail and nickname in system.ini),
// for the window's login area and the command line. Logging out only forgets the login here:
// the service lets the token expire by itself.

#include <QString>

namespace AccountStatus {
// True when a token is stored.
bool loggedIn();
QString email();
QString nickName();
// Clears token, e-mail and nickname; false when the file could not be written.
bool logout();
} // namespace AccountStatus
