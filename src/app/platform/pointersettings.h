#pragma once
// The operating system's pointer speed and wheel scroll lines, behind one small interface so the
// settings page can show and change them on any desktop and tests can use a fake.
//
// Pointer speed is on the scale 1 (slowest) to 20 (fastest), 10 being the system default.
// Wheel lines is the number of lines one notch scrolls, or kOneScreen for "one screen per notch".
// Every call finishes within a bounded time (a desktop tool that does not answer is abandoned
// after kToolTimeoutMs), so the window may call it from the GUI thread.

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace platform {

struct PointerValue
{
    bool available = false;
    int value = 0;
    QString reason; // why the setting is unavailable, shown to the user as a tooltip
};

class PointerSettings
{
public:
    static constexpr int kMinSpeed = 1;
    static constexpr int kMaxSpeed = 20;
    static constexpr int kDefaultSpeed = 10;
    static constexpr int kOneScreen = -1;
    static constexpr int kToolTimeoutMs = 1500;

    virtual ~PointerSettings() = default;
    virtual PointerValue pointerSpeed() = 0;
    virtual PointerValue wheelLines() = 0;
    // Both return an empty string on success, else the reason the change was not made.
    virtual QString setPointerSpeed(int speed) = 0;
    virtual QString setWheelLines(int lines) = 0;

    // The implementation for the platform the program runs on. On Linux desktop names the
    // desktop (XDG_CURRENT_DESKTOP when empty): KDE keeps its own settings, which a GNOME
    // setting would not change, so there both are reported unavailable.
    static std::unique_ptr<PointerSettings> create(QString desktop = {});
};

// The outcome of running a desktop setting tool.
struct ToolResult
{
    bool finished = false; // false: the tool could not start or did not end in time
    int exitCode = -1;
    QString output;
    QString error;
};
using ToolRunner = std::function<ToolResult(const QString &program, const QStringList &arguments)>;

// Runs program with arguments, waiting at most PointerSettings::kToolTimeoutMs.
ToolResult runTool(const QString &program, const QStringList &arguments);

// GNOME's mouse speed is an acceleration in -1 .. 1 with 0 as default; these map it to the
// 1 .. 20 scale and back so that -1, 0 and 1 meet 1, 10 and 20 exactly.
int speedFromGnome(double acceleration);
double gnomeFromSpeed(int speed);

// Linux: the desktop's own setting through the "gsettings" tool (GNOME and desktops that share
// its schema). The tool is looked up in searchPaths (the PATH when empty) and run by runner.
// Wheel lines have no desktop-wide setting there and are always reported unavailable.
class GnomePointerSettings : public PointerSettings
{
public:
    explicit GnomePointerSettings(QStringList searchPaths = {}, ToolRunner runner = runTool);
    PointerValue pointerSpeed() override;
    PointerValue wheelLines() override;
    QString setPointerSpeed(int speed) override;
    QString setWheelLines(int lines) override;

private:
    QString tool(QString *reason) const;

    QStringList m_searchPaths;
    ToolRunner m_runner;
};

// Reports both settings unavailable for one reason.
class UnavailablePointerSettings : public PointerSettings
{
public:
    explicit UnavailablePointerSettings(QString reason) : m_reason(std::move(reason)) {}
    PointerValue pointerSpeed() override { return {false, 0, m_reason}; }
    PointerValue wheelLines() override { return {false, 0, m_reason}; }
    QString setPointerSpeed(int) override { return m_reason; }
    QString setWheelLines(int) override { return m_reason; }

private:
    QString m_reason;
};

// Keeps the two values in memory; for tests and for desktops the program cannot reach.
class FakePointerSettings : public PointerSettings
{
public:
    PointerValue pointerSpeed() override { return speed; }
    PointerValue wheelLines() override { return lines; }
    QString setPointerSpeed(int value) override;
    QString setWheelLines(int value) override;

    PointerValue speed{true, kDefaultSpeed, {}};
    PointerValue lines{true, 3, {}};
};

} // namespace platform
