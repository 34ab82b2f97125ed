#include "app/platform/pointersettings.h"

#include <QProcess>
#include <QStandardPaths>

#include <cmath>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace platform {

namespace {
const char kGnomeTool[] = "gsettings";
const char kGnomeSchema[] = "org.gnome.desktop.peripherals.mouse";
const char kGnomeKey[] = "speed";

QString toolFailure(const ToolResult &r)
{
    if (!r.finished)
        return QStringLiteral("The desktop setting tool did not answer.");
    const QString detail = r.error.trimmed();
    return detail.isEmpty() ? QStringLiteral("The desktop setting tool failed (status %1).").arg(r.exitCode)
                            : detail;
}
} // namespace

ToolResult runTool(const QString &program, const QStringList &arguments)
{
    ToolResult result;
    QProcess process;
    process.start(program, arguments, QIODevice::ReadOnly);
    if (!process.waitForStarted(PointerSettings::kToolTimeoutMs)) {
        result.error = process.errorString();
        return result;
    }
    if (!process.waitForFinished(PointerSettings::kToolTimeoutMs)) {
        process.kill();
        process.waitForFinished(PointerSettings::kToolTimeoutMs);
        return result;
    }
    result.finished = process.exitStatus() == QProcess::NormalExit;
    result.exitCode = process.exitCode();
    result.output = QString::fromLocal8Bit(process.readAllStandardOutput());
    result.error = QString::fromLocal8Bit(process.readAllStandardError());
    return result;
}

int speedFromGnome(double acceleration)
{
    if (!std::isfinite(acceleration))
        return PointerSettings::kDefaultSpeed;
    const double a = qBound(-1.0, acceleration, 1.0);
    // Below the default the scale has 9 steps (1 .. 10), above it 10 (10 .. 20).
    const double steps = a < 0 ? PointerSettings::kDefaultSpeed - PointerSettings::kMinSpeed
                               : PointerSettings::kMaxSpeed - PointerSettings::kDefaultSpeed;
    return PointerSettings::kDefaultSpeed + qRound(a * steps);
}

double gnomeFromSpeed(int speed)
{
    const int s = qBound(PointerSettings::kMinSpeed, speed, PointerSettings::kMaxSpeed);
    const double steps = s < PointerSettings::kDefaultSpeed
                             ? PointerSettings::kDefaultSpeed - PointerSettings::kMinSpeed
                             : PointerSettings::kMaxSpeed - PointerSettings::kDefaultSpeed;
    return (s - PointerSettings::kDefaultSpeed) / steps;
}

GnomePointerSettings::GnomePointerSettings(QStringList searchPaths, ToolRunner runner)
    : m_searchPaths(std::move(searchPaths)), m_runner(std::move(runner))
{
}

QString GnomePointerSettings::tool(QString *reason) const
{
    const QString path = QStandardPaths::findExecutable(kGnomeTool, m_searchPaths);
    if (path.isEmpty())
        *reason = QStringLiteral("The desktop offers no pointer speed setting "
                                 "(no \"%1\" tool found).").arg(kGnomeTool);
    return path;
}

PointerValue GnomePointerSettings::pointerSpeed()
{
    PointerValue v;
    const QString program = tool(&v.reason);
    if (program.isEmpty())
        return v;
    const ToolResult r = m_runner(program, {"get", kGnomeSchema, kGnomeKey});
    if (!r.finished || r.exitCode != 0) {
        v.reason = toolFailure(r);
        return v;
    }
    bool ok = false;
    const double acceleration = r.output.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(acceleration)) {
        v.reason = QStringLiteral("The desktop reported an unreadable pointer speed \"%1\".")
                       .arg(r.output.trimmed().left(40));
        return v;
    }
    v.available = true;
    v.value = speedFromGnome(acceleration);
    return v;
}

PointerValue GnomePointerSettings::wheelLines()
{
    PointerValue v;
    v.reason = QStringLiteral("The desktop has no setting for the lines one wheel notch scrolls.");
    return v;
}

QString GnomePointerSettings::setPointerSpeed(int speed)
{
    if (speed < kMinSpeed || speed > kMaxSpeed)
        return QStringLiteral("Pointer speed %1 is outside 1 to 20.").arg(speed);
    QString reason;
    const QString program = tool(&reason);
    if (program.isEmpty())
        return reason;
    const ToolResult r = m_runner(program, {"set", kGnomeSchema, kGnomeKey,
                                            QString::number(gnomeFromSpeed(speed), 'g', 6)});
    return r.finished && r.exitCode == 0 ? QString() : toolFailure(r);
}

QString GnomePointerSettings::setWheelLines(int)
{
    return wheelLines().reason;
}

QString FakePointerSettings::setPointerSpeed(int value)
{
    if (!speed.available)
        return speed.reason;
    if (value < kMinSpeed || value > kMaxSpeed)
        return QStringLiteral("Pointer speed %1 is outside 1 to 20.").arg(value);
    speed.value = value;
    return {};
}

QString FakePointerSettings::setWheelLines(int value)
{
    if (!lines.available)
        return lines.reason;
    if (value != kOneScreen && value < 1)
        return QStringLiteral("Wheel lines %1 is not a line count.").arg(value);
    lines.value = value;
    return {};
}

#ifdef Q_OS_WIN
namespace {
// SystemParametersInfoW: 0x70 / 0x71 read and write the mouse speed (1 .. 20), 0x68 / 0x69 the
// wheel scroll lines (WHEEL_PAGESCROLL, all ones, means one screen). Changes are written to the
// user profile and broadcast to running programs (flags 3).
class WindowsPointerSettings : public PointerSettings
{
public:
    PointerValue pointerSpeed() override
    {
        int speed = 0;
        if (!SystemParametersInfoW(0x70, 0, &speed, 0))
            return {false, 0, QStringLiteral("Windows did not report the pointer speed.")};
        return {true, speed, {}};
    }
    PointerValue wheelLines() override
    {
        UINT lines = 0;
        if (!SystemParametersInfoW(0x68, 0, &lines, 0))
            return {false, 0, QStringLiteral("Windows did not report the wheel scroll lines.")};
        return {true, lines == UINT(-1) ? kOneScreen : int(lines), {}};
    }
    QString setPointerSpeed(int speed) override
    {
        if (speed < kMinSpeed || speed > kMaxSpeed)
            return QStringLiteral("Pointer speed %1 is outside 1 to 20.").arg(speed);
        if (!SystemParametersInfoW(0x71, 0, reinterpret_cast<PVOID>(static_cast<INT_PTR>(speed)), 3))
            return QStringLiteral("Windows did not accept the pointer speed.");
        return {};
    }
    QString setWheelLines(int lines) override
    {
        if (lines != kOneScreen && lines < 1)
            return QStringLiteral("Wheel lines %1 is not a line count.").arg(lines);
        if (!SystemParametersInfoW(0x69, UINT(lines), nullptr, 3))
            return QStringLiteral("Windows did not accept the wheel scroll lines.");
        return {};
    }
};
} // namespace

std::unique_ptr<PointerSettings> PointerSettings::create(QString)
{
    return std::make_unique<WindowsPointerSettings>();
}
#else
std::unique_ptr<PointerSettings> PointerSettings::create(QString desktop)
{
    if (desktop.isEmpty())
        desktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP");
    if (desktop.split(QLatin1Char(':')).contains(QStringLiteral("KDE"), Qt::CaseInsensitive))
        return std::make_unique<UnavailablePointerSettings>(
            QStringLiteral("Change the pointer speed and wheel lines in KDE's own mouse settings."));
    return std::make_unique<GnomePointerSettings>();
}
#endif

} // namespace platform
