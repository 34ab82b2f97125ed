#pragma once
// The last known state of the open mouse, in one place, for the pages and the command line.
//
// It lives in the thread of its DeviceSession (the GUI or the command line's main thread) and
// is fed from two sources, both delivered queued into that thread:
// - the coordinator's result signals (open result, firmware version, battery, configuration,
//   DPI list, report rate, lighting, per-button assignment);
// - a snapshot of the manager's mirror of the mouse (readMirror(), run on the coordinator's
//   thread after an open and after every request): it carries what no signal reports (product
//   id, lift-off, current DPI stage, macros present, OLED picture index) and keeps DPI, rate and
//   lighting current after a change. Reading the mirror costs no HID transfer.
// Every change emits changed() once per update that altered something. Removal, a failed open
// and the start of another open clear it.

#include "catalog/modelcatalog.h"
#include "common/qktypes.h"

#include <QList>
#include <QMap>
#include <QObject>
#include <optional>

class DCDataHandle;

class DeviceState : public QObject
{
    Q_OBJECT
public:
    // One button as the coordinator last reported it.
    struct Button
    {
        bool factory = true; // holds its factory function
        int changeType = 0;  // ButtonChangeType of the assignment (when not factory)
        int value = 0;       // key code, usage or function value
        int modifier = 0;    // Ctrl 1, Shift 2, Alt 4, Win 8
        bool operator==(const Button &o) const
        {
            return factory == o.factory && changeType == o.changeType && value == o.value
                && modifier == o.modifier;
        }
        bool operator!=(const Button &o) const { return !(*this == o); }
    };

    // The DPI page's own view of the stages, from the configuration's gear file: whether the
    // mouse's stages sit on the enabled rows in row order (relative), and per row (seven) whether
    // it is enabled and the value the page last showed on it.
    struct DpiGears
    {
        bool relative = false;
        QList<bool> enabled;
        QList<int> values;
        bool operator==(const DpiGears &o) const
        {
            return relative == o.relative && enabled == o.enabled && values == o.values;
        }
        bool operator!=(const DpiGears &o) const { return !(*this == o); }
    };

    // What the coordinator's thread reads from the open manager (see readMirror()).
    struct Mirror
    {
        bool open = false;         // a manager is open
        USHORT productId = 0;
        int modelCode = 0;
        bool wireless = false;
        bool profileRead = false;  // the manager holds a profile read from the mouse
        int reportRate = -1;       // rate index 0..3 (125, 250, 500, 1000 Hz)
        QList<DWORD> dpiStages;    // seven entries, 0 = unused stage
        int currentStage = -1;     // 0-based
        int liftOff = -1;
        std::optional<LightColorParam> light;
        QList<int> macroSlots;     // the manager's macro slots that hold a macro
        int pictureIndex = -1;     // OLED models only
        DpiGears gears;            // the coordinator's current gear document
    };

    static constexpr int kNoBatteryReading = 103;

    explicit DeviceState(QObject *parent = nullptr);

    // Reads the mirror of the coordinator's manager. Call it on the coordinator's thread.
    static Mirror readMirror(const DCDataHandle &coordinator);

    bool isOpen() const { return m_open; }
    const Catalog::Model *model() const { return Catalog::find(m_modelCode); }
    int modelCode() const { return m_modelCode; }
    Catalog::Link link() const { return m_wireless ? Catalog::Link::Receiver : Catalog::Link::Cable; }
    bool isWireless() const { return m_wireless; }
    USHORT productId() const { return m_productId; }
    int firmwareVersion() const { return m_firmwareVersion; }    // -1: not known
    int batteryLevel() const { return m_battery; }               // -1: not read; 103: no reading
    int configNumber() const { return m_configNumber; }          // 0: no stored configuration matches
    QList<DWORD> dpiStages() const { return m_dpiStages; }        // seven entries, 0 = unused
    int currentStage() const { return m_currentStage; }          // 0-based; -1: not known
    int reportRate() const { return m_reportRate; }              // index 0..3; -1: not known
    int liftOff() const { return m_liftOff; }                    // -1: not known
    std::optional<LightColorParam> light() const { return m_light; }
    QMap<int, Button> buttons() const { return m_buttons; }
    std::optional<Button> button(int id) const;
    QList<int> macroSlots() const { return m_macroSlots; }
    bool hasMacros() const { return !m_macroSlots.isEmpty(); }
    int pictureIndex() const { return m_pictureIndex; }          // -1: no screen or not known
    DpiGears dpiGears() const { return m_gears; }                // empty lists: not known

    // Updates, in the state's thread (the session calls them; tests may too).
    void clear();
    void openRequested(USHORT productId);
    void setOpenResult(bool ok, int modelCode, bool wireless);
    void setFirmwareVersion(int version);
    void setBatteryLevel(int level);
    void setConfigNumber(int number);
    void setDpiStages(const QList<DWORD> &stages);
    void setReportRate(int rate);
    void setLight(const LightColorParam &light);
    void setButtonFactory(int button, bool factory);
    void setButtonAssignment(int button, int changeType, int value, int modifier);
    void applyMirror(const Mirror &mirror);

Q_SIGNALS:
    void changed();

private:
    template <typename T>
    bool assign(T &member, const T &value)
    {
        if (member == value)
            return false;
        member = value;
        return true;
    }
    void done(bool altered);

    bool m_open = false;
    int m_modelCode = 0;
    bool m_wireless = false;
    USHORT m_productId = 0;
    int m_firmwareVersion = -1;
    int m_battery = -1;
    int m_configNumber = 0;
    QList<DWORD> m_dpiStages;
    int m_currentStage = -1;
    int m_reportRate = -1;
    int m_liftOff = -1;
    std::optional<LightColorParam> m_light;
    QMap<int, Button> m_buttons;
    QList<int> m_macroSlots;
    int m_pictureIndex = -1;
    DpiGears m_gears;
};

