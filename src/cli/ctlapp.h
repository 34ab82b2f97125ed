#pragma once
// qkdriverctl: the command-line front end over the same core as the window (watcher,
// session and its DeviceState, storage). Every command prints for people, or one JSON document with
// --json. Exit codes: 0 success, 1 device or operation failure, 2 usage error, 3 no supported
// device.
//
// Every command that drives the mouse holds the application folder's device lock (DeviceLock)
// from before the simulated devices load their memory until after they saved it: a second
// command waits for it up to QKDRIVER_LOCK_WAIT_MS milliseconds (10 s when unset), then gives
// up with exit 1; while QKDriver itself runs on the folder, commands give up at once.

#include "cli/accountcommand.h"
#include "common/qktypes.h"
#include "common/devicelock.h"
#include "common/warning.h"
#include "device/watcher/deviceaccess.h"

#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <memory>
#include <optional>

class DeviceSession;

class CtlApp : public QObject
{
    Q_OBJECT
public:
    enum ExitCode { Ok = 0, Failure = 1, Usage = 2, NoDevice = 3 };

    CtlApp(QTextStream &out, QTextStream &err);
    ~CtlApp() override;

    // Runs one command line (without the program name). Needs a QCoreApplication.
    int run(const QStringList &arguments);

    static QString usage();

private:
    struct Found
    {
        uint productId = 0;
        QString model;
        QString link; // "cable", "receiver", "boot loader"
    };

    // Command handlers; each fills m_result / m_text and returns an exit code.
    int cmdList();
    int cmdInfo();
    int cmdShow();
    int cmdSet(const QStringList &args);
    int cmdMacro(const QStringList &args);
    int cmdConfig(const QStringList &args);
    int cmdExport(const QStringList &args);
    int cmdImport(const QStringList &args);
    int cmdPair();
    int cmdFirmware(const QStringList &args);
    int cmdWatch();
    int cmdUdevRules();

    // Supported devices present whose hidraw node this user may not open, and what to do about
    // it (empty when nothing is blocked or the devices are simulated).
    int cmdAccount(const QStringList &args); // accountcommand.cpp does the work
    int cmdCloud(const QStringList &args);   // cloudcommand.cpp does the work
    int cmdUpdate(const QStringList &args);  // updatecommand.cpp does the work
    // The output of such a command becomes this run's; code is passed on.
    int takeOutput(int code, const AccountCommand::Output &output);

    int setDpi(const QStringList &args);
    int setRate(const QStringList &args);
    int setLight(const QStringList &args);
    int setButton(const QStringList &args);

    QList<Found> presentDevices() const;
    // Takes the device lock (unless listing real devices, which only enumerates) and installs
    // the simulated devices when asked for. Returns Ok, Usage or Failure.
    int prepareDevices(bool listOnly = false);
    // Creates the session (it opens nothing by itself).
    void startSession();
    // Opens the first supported device and reads its profile; when no stored configuration
    // matches it, reads the settings from the mouse itself. Returns Ok, NoDevice or Failure
    // (also when the profile could not be read and needProfile is set).
    int openDevice(bool needProfile = true);
    // Updates a Falcon-family mouse that waits in its boot loader (no mouse to open).
    int updateBootLoader(const Found &loader, const QString &imagePath);
    int runFirmwareUpdate(const QString &imagePath, const QString &model);
    // Waits for a request of the session, keeps its warnings (m_warnings) and save failures, and
    // reports whether it went through. exchangesCount: a failed exchange with the mouse (read or
    // write warning without a failed save) fails it even where the session judges by less (the
    // save into configuration 1 reads the settings back).
    bool request(quint64 id, bool exchangesCount = false);
    int usageError(const QString &message);
    int failure(const QString &message);
    int modelCode() const;
    QString modelOfOpenDevice() const;

    QTextStream &m_out;
    QTextStream &m_err;
    bool m_json = false;
    bool m_simulated = false;
    bool m_simulateGiven = false;
    bool m_devicesReady = false;
    QString m_simulate;
    std::unique_ptr<DeviceSession> m_session;
    QJsonObject m_result;
    QStringList m_text;

    // What the session reported besides its state.
    std::optional<bool> m_opened;
    bool m_readFailed = false; // the profile read at open failed
    QList<Warning> m_warnings;  // of the last request
    QStringList m_saveFailures; // "path: reason" of every file the coordinator could not write
    QList<int> m_progress;
    std::optional<bool> m_paired;

    // Released with the members, after the destructor has closed the session and saved the
    // simulated devices.
    DeviceLock m_lock;
};
