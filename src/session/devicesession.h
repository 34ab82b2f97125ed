#pragma once
// The device half of the application, without any window: the presence watcher and the
// coordinator, each on a thread of its own, wired to each other and to the request signals
// the way the main window wires them. The main window, the command-line tool and the
// end-to-end tests all use this one wiring.
//
// Requests go in as the signals below (queued into the coordinator's thread); results come out
// of coordinator() and watcher() signals (connect to them; they arrive queued in the thread of
// the receiver). With autoOpen on, a device the watcher finds is opened at once and its removal
// tears the manager down, as the main window does.
//
// New code uses the request methods (openDevice(), setDpiStages(), ...) and the state():
// each method queues one coordinator slot into the coordinator's thread and returns a request
// id; the outcome comes back as requestFinished() in the session's thread, or wait(id) blocks
// until it is known (the command-line tool). The request signals below stay for the main window
// and the existing callers until they move to the methods.

#include "session/dcdatahandle.h"
#include "session/devicestate.h"
#include "common/analyticsevent.h"
#include "common/qktypes.h"
#include "common/warning.h"
#include "storage/jsonhandle.h"

#include <QHash>
#include <QImage>
#include <QObject>
#include <QThread>
#include <functional>
#include <memory>
#include <optional>

// What became of one request.
struct RequestOutcome
{
    bool known = false;       // false: no such request, or its outcome was already taken
    bool ok = false;          // it reached the mouse (see DeviceSession for each request)
    QList<Warning> warnings;  // the warnings the coordinator raised while running it
    int value = -1;           // readBattery(), readBatteryNow(), readLiftOff(): the value read; else -1
    QList<int> values;        // readScreenParameters(): the values read
    // "path: reason" of every file the coordinator could not write meanwhile. A change the mouse
    // took whose file could not be written is ok: the read/write warning that follows such a
    // failed save is not counted against the mouse.
    QStringList saveFailures;
};
Q_DECLARE_METATYPE(RequestOutcome)

class CheckDevice;
class HidBackend;

class DeviceSession : public QObject
{
    Q_OBJECT
public:
    // factory: the coordinator's manager factory (the real managers when empty).
    explicit DeviceSession(DCDataHandle::ManagerFactory factory = {}, QObject *parent = nullptr);
    // Stops the watcher and both threads and deletes their objects in their own threads.
    ~DeviceSession() override;

    DCDataHandle *coordinator() const { return m_coordinator; }
    CheckDevice *watcher() const { return m_watcher; }

    void setAutoOpen(bool on) { m_autoOpen = on; }
    bool autoOpen() const { return m_autoOpen; }
    // The watcher's tick interval (1000 ms unless changed; set before start()).
    void setWatchInterval(int ms);
    // Starts the watcher's timer.
    void start();

    // The last known state of the open mouse, kept in this object's thread.
    const DeviceState &state() const { return m_state; }
    DeviceState *stateObject() { return &m_state; }

    // Receives the coordinator's analytics events in this object's thread (not owned; nullptr
    // to stop). The sink must outlive the session or be removed first.
    void setAnalyticsSink(AnalyticsSink *sink) { m_sink = sink; }

    // ---- requests ---------------------------------------------------------------------------
    // Each returns at once with a request id (ids grow from 1). ok means, unless said
    // otherwise: a device was open and no failure warning (read/write error, only left button)
    // came back.
    using RequestId = quint64;
    enum class LightTarget { Logo, Wheel };

    RequestId openDevice(uint productId);       // ok: the open result
    RequestId closeDevice();                    // tears the manager down (as on removal)
    RequestId refreshProfile();                 // reads the whole profile again
    RequestId setDpiStages(const QList<DWORD> &stages); // seven values by row, 0 = disabled row
    RequestId setReportRate(int rateIndex);     // 0..3 = 125, 250, 500, 1000 Hz
    RequestId setLightColors(LightTarget zone, const QList<COLORREF> &colors);
    RequestId setLightMode(LightTarget zone, int mode);
    RequestId setLightBrightness(LightTarget zone, int degree);
    RequestId setBreathingSpeed(LightTarget zone, int speed);
    // changeType: ButtonChangeType; value: key code, usage or function; modifier: Ctrl 1,
    // Shift 2, Alt 4, Win 8. Afterwards every button's assignment is reported again for the
    // state (one more read on the Falcon family) unless reportButtons is off: a caller that
    // ends after the change (the command line) spares the mouse that exchange.
    RequestId setButton(int button, uint value, int modifier, int changeType, bool reportButtons = true);
    RequestId setButtonMacroSlot(int button, uint address, int macroType); // ok: the mouse took it
    RequestId writeMacro(int button, const QString &macroFile, bool reportButtons = true); // as setButton()
    RequestId writeMacroList(const QStringList &macroFiles); // ok: the "written" notice came
    RequestId setLiftOff(int value);
    RequestId writePicture(const QString &configNumber); // ok: the mouse took it (no warning shown)
    // Stores picture (64 x 48) as the screen picture file of configuration configNumber (1 to
    // 5) of the open mouse, at once in this thread; writePicture() then sends it. false, with
    // *problem saying why, when no mouse with a screen is open, the number or the picture size
    // is wrong, or the file could not be written (the previous file is then left as it was).
    bool storePicture(int configNumber, const QImage &picture, QString *problem = nullptr);
    RequestId setScreenBehaviour(int behaviour);
    RequestId setScreenBrightness(int intensity);
    RequestId loadConfiguration(int number);          // disk → mouse (mouse and macros)
    RequestId loadConfigurationMouseOnly(int number); // disk → mouse (mouse part only)
    RequestId saveToConfiguration1();                 // ok: the profile reached the mouse
    RequestId factoryReset();
    // ok: a level came (value). Through a receiver only; most models smooth their readings and
    // report only after three steady ones, so a one-off reader asks up to three times.
    RequestId readBattery();
    RequestId startPairing();                         // ok: the receiver entered pairing
    RequestId stopPairing();
    // ok: the update succeeded. model: the model name the image is meant for; empty: the open
    // mouse's (a mouse waiting in its boot loader has none open).
    RequestId updateFirmware(const QString &imagePath, const QString &model = {});
    // Settings read again as the pages show them (DPI, rate, lighting, buttons), from what the
    // manager holds; the Falcon family asks the mouse for the DPI stages.
    RequestId reportSettings();
    // Read straight from the mouse, one exchange each; ok: the mouse answered.
    RequestId readBatteryNow();       // value: the level, not smoothed
    RequestId readLiftOff();          // value: the lift-off setting
    RequestId readScreenParameters(); // values: the screen's settings words and picture bytes
    // The value the DPI page shows on a row (0..6), kept in the gear document for the next
    // time the row is shown disabled; no transfer. ok: a device is open and the row exists.
    RequestId setDpiRowValue(int row, int value);

    // Why a macro file cannot be written to a mouse of modelCode (0: the file alone), or
    // nothing. The front ends check a file with it before they send it.
    static std::optional<QString> macroFileProblem(const QString &path, int modelCode);
    // The macro library the button dialog offers: each folder below the macro folder (a title)
    // with the macro files in it, in name order.
    struct MacroFile
    {
        QString name; // the name stored in the file, else the file name without its extension
        QString path;
        int macroType = 0;
    };
    static QList<QPair<QString, QList<MacroFile>>> macroLibrary();
    // The macro slots the current configuration's file holds (none when no configuration matches).
    QList<JsonHandle::StoredMacro> storedMacros() const;

    // ---- the macro library as the macro editor keeps it -------------------------------------
    // Every call reads or writes one macro file below the macro folder and refuses (false,
    // nothing written or removed) a path outside it.
    struct MacroEntry
    {
        QString name; // the "Name" stored in the file
        QString path;
    };
    using MacroDocument = JsonHandle::MacroContents;
    // The folders below the macro folder (the macro groups), in name order; the editor's own
    // group folder is created first, so it is always one of them.
    static QStringList macroGroups();
    // The folder the editor creates its macros in.
    static QString editorMacroFolder();
    // The macro files of folder (files, hidden ones too, no symbolic links), in file name order,
    // each with the name stored in it ("ErrorName" for a file without one).
    static QList<MacroEntry> macroEntries(const QString &folder);
    static MacroDocument readMacro(const QString &path);
    // Creates a macro file named after the current local time ("yyyyMMddhhmmsszzz.json", a later
    // millisecond when that name is taken) in folder holding only its name; the path, or empty
    // when the file could not be written.
    static QString createMacro(const QString &folder, const QString &name);
    // The steps, the repeat count, the length and the play mode; false when any of them failed.
    static bool saveMacroEvents(const QString &path, const QList<MacroNode> &nodes, int repeatTimes,
                                int macroLength, int macroType);
    static bool renameMacro(const QString &path, const QString &name);
    static bool setMacroType(const QString &path, int macroType);
    static bool setMacroRepeatTimes(const QString &path, int repeatTimes);
    static bool setMacroIgnoreDelayTime(const QString &path, int ignoreDelayTime);
    // Removes the file. A mouse that holds the macro keeps it: the mouse and the configuration
    // files carry their own copy of every macro written to a button.
    static bool deleteMacro(const QString &path);

    // ---- the folders the cloud sync uploads and downloads -------------------------------------
    // The open mouse's configuration folder ("" when no mouse is open) and its model folder name,
    // the name the service stores its configuration under ("" when none is open).
    QString cloudLocalFolder() const;
    QString cloudModelName() const;
    // The macro library folder.
    static QString cloudMacroFolder();
    // Replaces a folder by a downloaded zip: folderName "/LocalFile" is the open mouse's
    // configuration folder, "/MacroFiles" the macro library. Every entry is checked before
    // anything is written and the zip is unpacked into a staging folder first, so a refused
    // (an entry outside the folder, a link), broken or empty archive leaves the folder as it was.
    // false in that case, or when no mouse is open for "/LocalFile" or the name is unknown.
    bool restoreCloudFolder(const QString &folderName, const QByteArray &zipBytes);

    // Blocks until the request has run in the coordinator's thread, delivers what it reported
    // (state() is current afterwards) and returns its outcome once. For the command-line tool
    // and tests; a window connects to requestFinished() instead.
    RequestOutcome wait(RequestId id);

    // Blocks until every request queued so far, and any request their outcomes queued in turn,
    // has run and delivered its outcome (requestFinished() included). For tests of the pages,
    // which do not hold the ids of the requests a widget sends.
    void settle();
    RequestId lastRequestId() const { return m_lastRequest; }

    // Runs f on the coordinator's thread and waits for it (tests, the command-line tool).
    template <typename F>
    void runOnCoordinator(F f)
    {
        QMetaObject::invokeMethod(m_coordinator, f, Qt::BlockingQueuedConnection);
    }

Q_SIGNALS:
    // Into the coordinator: the automatic open and teardown of the presence path (named as the
    // main window names them). Every other request is a method above.
    void sig_OpenDevice(uint Pid, uint Vid);
    void sig_DissMissAllThings();

    // What the watcher saw, after the automatic open or teardown was requested.
    void deviceFound(uint pid, uint vid);
    void deviceLost(uint pid, uint vid);

    // Pairing has ended (ok: a mouse was paired), and the progress of a firmware update in
    // percent, from the coordinator, in this object's thread.
    void pairingFinished(bool ok);
    void firmwareProgress(int percent);

    // A request of the methods above has run (in this object's thread).
    void requestFinished(quint64 id, const RequestOutcome &outcome);

private:
    // How a request's outcome is judged and what the state learns from it.
    // Read: the call sets ok and the values of the running outcome itself (m_running).
    enum class Verdict { Write, Always, Open, PairingStart, Firmware, ListMacro, Battery, Read };
    using Call = std::function<void(DCDataHandle *)>;
    using StateUpdate = std::function<void(DeviceState &, const RequestOutcome &)>;
    RequestId post(Verdict verdict, Call call, bool refreshButtons = false, StateUpdate update = {});
    RequestOutcome runRequest(Verdict verdict, const Call &call); // coordinator thread
    using Read = std::function<bool(USBDriverManger &, RequestOutcome &)>;
    RequestId postRead(Read read);
    void finishRequest(RequestId id, const RequestOutcome &outcome, const StateUpdate &update,
                       const DeviceState::Mirror &mirror);
    void scheduleMirror(); // coordinator thread
    void wireState();
    void onFound(bool found, uint pid, uint vid);

    QThread m_coordinatorThread;
    QThread m_watcherThread;
    DCDataHandle *m_coordinator = nullptr; // lives in m_coordinatorThread
    CheckDevice *m_watcher = nullptr;      // lives in m_watcherThread
    bool m_autoOpen = true;
    DeviceState m_state;
    AnalyticsSink *m_sink = nullptr;
    RequestId m_lastRequest = 0;
    QHash<RequestId, RequestOutcome> m_outcomes; // finished, not yet taken by wait()
    bool m_mirrorPending = false;                // coordinator thread only
    RequestOutcome *m_running = nullptr;         // coordinator thread only: the request running
};
