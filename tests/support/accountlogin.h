#pragma once
// An account service user for the tests that need one: registers Ann (ann@example.com,
// password "secret1") on the service at baseUrl and logs her in, which stores the login as the
// program would.

#include <QString>

bool registerAndLogIn(const QString &baseUrl);
