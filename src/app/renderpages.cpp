#include "app/renderpages.h"

#include "app/mainwindow.h"
#include "common/mousetype.h"
#include "common/warning.h"
#include "device/watcher/producttable.h"
#include "session/devicesession.h"
#include "ui/dialogs/needdevicedialog.h"
#include "ui/dialogs/updatemousedialog.h"
#include "ui/dialogs/userdialog.h"
#include "ui/pages/macroeditwidget.h"
#include "ui/widgets/warningdialog.h"

#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QPixmap>
#include <functional>

namespace RenderPages {

QString requestedDir(const QStringList &arguments)
{
    for (int i = 1; i < arguments.size(); ++i) {
        const QString &a = arguments.at(i);
        if (a == QLatin1String("--render-pages") && i + 1 < arguments.size())
            return arguments.at(i + 1);
        if (a.startsWith(QLatin1String("--render-pages=")))
            return a.mid(int(qstrlen("--render-pages=")));
    }
    return {};
}

namespace {
// The window as it looks, with the dialog shown over it (a separate window) painted on top.
QPixmap picture(MainWindow &window)
{
    QApplication::processEvents();
    QPixmap base = window.grab();
    WarningDialog *dialog = window.warningDialog();
    if (dialog && dialog->isVisible()) {
        QPainter painter(&base);
        painter.drawPixmap(0, 0, dialog->grab());
    }
    return base;
}

bool openMouse(MainWindow &window, uint pid)
{
    window.slot_WarningDeviceNotInsert(true, pid, ProductTable::vendorId());
    window.session().settle();
    QApplication::processEvents();
    return window.session().state().isOpen();
}
} // namespace

QStringList run(MainWindow &window, const QString &dir, const QList<uint> &productIds, QString *error)
{
    QStringList written;
    if (!QDir().mkpath(dir)) {
        *error = QStringLiteral("cannot create %1").arg(dir);
        return written;
    }
    window.show();
    auto save = [&](const QString &name) {
        const QString path = QDir(dir).filePath(name + QStringLiteral(".png"));
        if (!picture(window).save(path)) {
            *error = QStringLiteral("cannot write %1").arg(path);
            return false;
        }
        written << name;
        return true;
    };

    // No mouse yet, and the repair offer that follows the wait.
    window.needDeviceDialog()->slot_TimeOut();
    if (!save(QStringLiteral("need-device")))
        return written;
    if (productIds.isEmpty() || !openMouse(window, productIds.first())) {
        *error = QStringLiteral("the simulated mouse did not open");
        return written;
    }
    // A dialog (a window of its own) over the dimmed window.
    auto saveDialog = [&](QWidget *dialog, const QString &name) {
        QApplication::processEvents();
        QPixmap base = picture(window);
        QPainter painter(&base);
        painter.fillRect(base.rect(), QColor(0, 0, 0, 204));
        // The painter works in the window's own units; the pixmap has the screen's pixel ratio.
        const QSize window = base.size() / base.devicePixelRatio();
        painter.drawPixmap((window.width() - dialog->width()) / 2, (window.height() - dialog->height()) / 2, dialog->grab());
        painter.end();
        const QString path = QDir(dir).filePath(name + QStringLiteral(".png"));
        if (!base.save(path)) {
            *error = QStringLiteral("cannot write %1").arg(path);
            return false;
        }
        written << name;
        dialog->close();
        return true;
    };

    // Each page with the mouse connected.
    struct View { const char *name; std::function<void(MainWindow &)> show; };
    const View views[] = {
        {"main", [](MainWindow &w) { w.on_MainSettingButton_clicked(); }},
        {"lighting", [](MainWindow &w) { w.on_LightSettingButton_clicked(); }},
        {"macro", [](MainWindow &w) {
             const QString path = DeviceSession::createMacro(DeviceSession::editorMacroFolder(), QStringLiteral("Reload"));
             MacroNode press;
             press.valueType = 3;
             press.keyValue = 0x52; // R
             press.state = 0;
             press.timeLapse = 50;
             MacroNode release = press;
             release.state = 1;
             release.timeLapse = 1;
             DeviceSession::saveMacroEvents(path, {press, release}, 1, 6, 0);
             w.on_MacroEditButton_clicked();
             w.macroPage()->selectMacro(path);
         }},
        {"support", [](MainWindow &w) { w.on_SupportButton_clicked(); }},
        {"pairing", [](MainWindow &w) { w.slot_GoToMatchCodePage(); }},
        {"cloud", [](MainWindow &w) {
             w.setLoggedIn(QStringLiteral("player1"));
             w.on_CloudSyncButton_clicked();
         }},
    };
    for (const View &v : views) {
        v.show(window);
        window.session().settle();
        if (!save(QString::fromLatin1(v.name)))
            return written;
    }
    window.showLoggedOut(); // the cloud view's login is for that picture only

    window.on_MainSettingButton_clicked();
    window.slot_showWarningDialog(toInt(Warning::ConfirmFactoryReset));
    if (!save(QStringLiteral("warning")))
        return written;
    window.warningDialog()->close();

    window.slot_ShowUpdateFirmwareWidget(false, false, window.session().state().modelCode(), false);
    if (!saveDialog(window.updateDialog(), QStringLiteral("update-dialog")))
        return written;
    window.slot_showKeySettingDialog(7, 0, 0, 0); // the forward button, the usual one to reassign
    window.session().settle();
    if (!saveDialog(window.keySettingDialog(), QStringLiteral("button-dialog")))
        return written;
    window.showDrawBorder();
    if (!saveDialog(window.drawDialog(), QStringLiteral("oled")))
        return written;
    window.on_LoginButton_clicked();
    if (UserDialog *account = window.findChild<UserDialog *>()) {
        if (!saveDialog(account, QStringLiteral("account")))
            return written;
    }

    // The other models: the mouse is swapped as when one is unplugged and another plugged in.
    uint previous = productIds.first();
    for (uint pid : productIds.mid(1)) {
        window.slot_WarningDeviceNotInsert(false, previous, ProductTable::vendorId());
        window.session().settle();
        if (!openMouse(window, pid)) {
            *error = QStringLiteral("the simulated mouse 0x%1 did not open").arg(pid, 4, 16, QLatin1Char('0'));
            return written;
        }
        previous = pid;
        const QString model = MouseType::modelName(window.session().state().modelCode());
        window.on_MainSettingButton_clicked();
        window.session().settle();
        if (!save(QStringLiteral("main-") + model))
            return written;
        window.on_LightSettingButton_clicked();
        window.session().settle();
        if (!save(QStringLiteral("lighting-") + model))
            return written;
    }
    return written;
}

} // namespace RenderPages
