#pragma once
// The firmware-update runs of the coordinator: the attempt count (the 36th request is refused),
// the presence watcher stopped for the run and started again after it, the refusal over the
// receiver (firmware only goes over the cable), the updater for each run with its selectors (a
// mouse left in its boot loader is updated there), its progress and the result the user sees.
//
// Owned by DCDataHandle as its child (it lives on the coordinator's thread), which forwards its
// update slots here and re-emits these signals as its own.

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class FwUpdate;

class FirmwareUpdateRun : public QObject
{
    Q_OBJECT
public:
    // The firmware updater for one run (tests may replace it).
    using UpdaterFactory = std::function<std::unique_ptr<FwUpdate>()>;

    static constexpr int kMaxAttempts = 35; // the 36th attempt in a session is refused

    explicit FirmwareUpdateRun(QObject *parent = nullptr);
    ~FirmwareUpdateRun() override;

    void setUpdaterFactory(UpdaterFactory factory) { m_updaterFactory = std::move(factory); }

    bool running() const { return m_running; }
    int attempts() const { return m_attempts; }

    // One update request with the image at path for the model mouseType; wireless: the mouse is
    // open through its receiver; mouseOpen: a manager is open. Blocks for the whole update.
    void run(const QString &path, int mouseType, bool wireless, bool mouseOpen);
    // The result of an update (the updater's, or the manager's firmware result).
    void finish(bool ok);

Q_SIGNALS:
    void warning(int warningType);
    void percent(int percent);
    void closeUpdatingWidget();
    void closeUpdateMouseDialog();
    void startCheckDeviceTimer();
    void stopCheckDeviceTimer();
    // The analytics outcome ("FirmwareUpdated", "FirmwareUpdateFailed").
    void outcome(const QString &action);

private:
    void update(const QString &path, int mouseType, bool mouseOpen);

    UpdaterFactory m_updaterFactory;
    std::unique_ptr<FwUpdate> m_updater;
    bool m_running = false;
    int m_attempts = 0;
};
