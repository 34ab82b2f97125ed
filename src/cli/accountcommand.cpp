#include "cli/accountcommand.h"
#include "cli/awaitsignal.h"

#include "net/account/accountcodes.h"
#include "net/account/accountstatus.h"
#include "net/account/loginaccount.h"
#include "net/account/registeraccount.h"

namespace AccountCommand {

namespace {

constexpr int kOk = 0, kFailure = 1, kUsage = 2;

// The request's (code, message), or the network failure when no answer comes within 30 s.
template <typename Request, typename Signal>
QPair<int, QString> await(Request &request, Signal signal)
{
    const QVariantList got = Cli::awaitSignal(&request, signal, 30000);
    if (got.isEmpty())
        return {-1, KVAccountManage::networkErrorText()};
    return {got.at(0).toInt(), got.at(1).toString()};
}

int refused(Output *out, int code, const QString &message)
{
    // The program's own text for the code, with the service's message for the details.
    out->error = message.isEmpty() || code == -1 ? AccountCodes::text(code) : message;
    if (out->error.isEmpty())
        out->error = message;
    out->result = QJsonObject{{"ok", false}, {"code", code}, {"error", out->error}};
    return kFailure;
}

int usageError(Output *out, const QString &message)
{
    out->error = message;
    out->result = QJsonObject{{"ok", false}, {"error", message}};
    return kUsage;
}

QString passwordProblem(const QString &password)
{
    if (password.size() < AccountCodes::kMinPassword)
        return QStringLiteral("the password must have at least 6 characters");
    if (password.size() > AccountCodes::kMaxPassword)
        return QStringLiteral("the password can have at most 16 characters");
    return QString();
}

} // namespace

QString usage()
{
    return QStringLiteral(
        "  account register NICKNAME EMAIL        create an account; the password is read twice\n"
        "                                         from standard input\n"
        "  account login EMAIL                    log in; the password is read from standard input\n"
        "  account logout | account status        forget the stored login | show it\n");
}

int run(const QStringList &argsIn, QTextStream &in, Output *out)
{
    QStringList args = argsIn;
    if (args.isEmpty())
        return usageError(out, QStringLiteral("account needs register, login, logout or status"));
    const QString what = args.takeFirst();

    if (what == QLatin1String("status") || what == QLatin1String("logout")) {
        if (!args.isEmpty())
            return usageError(out, QStringLiteral("account %1 takes no argument").arg(what));
        if (what == QLatin1String("logout")) {
            if (!AccountStatus::logout())
                return refused(out, -2, QStringLiteral("the stored login could not be removed"));
            out->text << QStringLiteral("logged out");
            out->result = QJsonObject{{"ok", true}};
            return kOk;
        }
        const bool in_ = AccountStatus::loggedIn();
        out->result = QJsonObject{{"ok", true}, {"loggedIn", in_}, {"server", KVAccountManage::defaultBaseUrl()}};
        if (in_) {
            out->result.insert("email", AccountStatus::email());
            out->result.insert("nickname", AccountStatus::nickName());
            out->text << QStringLiteral("logged in as %1 (%2) at %3")
                             .arg(AccountStatus::nickName(), AccountStatus::email(), KVAccountManage::defaultBaseUrl());
        } else {
            out->text << QStringLiteral("not logged in (server %1)").arg(KVAccountManage::defaultBaseUrl());
        }
        return kOk;
    }

    if (what == QLatin1String("login")) {
        if (args.size() != 1)
            return usageError(out, QStringLiteral("usage: account login EMAIL (the password comes on standard input)"));
        const QString password = in.readLine();
        if (password.isEmpty())
            return usageError(out, QStringLiteral("no password on standard input"));
        LoginAccount login;
        login.KvPostLoginJson(args.first(), password);
        const auto answer = await(login, &LoginAccount::sigLoginRet);
        if (answer.first != 0)
            return refused(out, answer.first, answer.second);
        out->text << QStringLiteral("logged in as %1").arg(answer.second);
        out->result = QJsonObject{{"ok", true}, {"nickname", answer.second}, {"email", args.first()}};
        return kOk;
    }

    if (what == QLatin1String("register")) {
        if (args.size() != 2)
            return usageError(out, QStringLiteral("usage: account register NICKNAME EMAIL (the password twice on standard input)"));
        const QString password = in.readLine();
        const QString again = in.readLine();
        if (password != again)
            return usageError(out, QStringLiteral("the two passwords differ"));
        const QString problem = passwordProblem(password);
        if (!problem.isEmpty())
            return usageError(out, problem);
        if (args.at(0).trimmed().isEmpty() || args.at(0).trimmed().size() > AccountCodes::kMaxNickname)
            return usageError(out, QStringLiteral("the nickname must have 1 to 7 characters"));
        RegisterAccount registration;
        registration.KvPostRegisiterJson(args.at(0).trimmed(), args.at(1).trimmed(), password, again);
        const auto answer = await(registration, &RegisterAccount::sigRegisterRet);
        if (answer.first != 0)
            return refused(out, answer.first, answer.second);
        out->text << QStringLiteral("registered %1; log in with: qkdriverctl account login %1").arg(args.at(1).trimmed());
        out->result = QJsonObject{{"ok", true}};
        return kOk;
    }
    return usageError(out, QStringLiteral("unknown account command \"%1\"; accepted: register, login, logout, status").arg(what));
}

} // namespace AccountCommand
