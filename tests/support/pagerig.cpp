#include "support/pagerig.h"

#include "ui/theme/theme.h"

#include <QDialog>
#include <QDir>
#include <QTest>
#include <QWidget>

static void initArt() { Q_INIT_RESOURCE(qkart); }

PageRig::PageRig()
{
    initArt();
}

bool PageRig::openDevice(const QString &name)
{
    if (!plug(name))
        return false;
    return open(name).ok;
}

bool PageRig::show(QWidget *widget)
{
    Theme::apply(widget);
    if (!qobject_cast<QDialog *>(widget))
        widget->resize(kPageWidth, kPageHeight);
    widget->show();
    return QTest::qWaitForWindowExposed(widget);
}

void PageRig::shot(QWidget *widget, const QString &name)
{
    const QString dir = qEnvironmentVariable("QK_SHOTS_DIR");
    if (dir.isEmpty())
        return;
    QDir().mkpath(dir);
    widget->grab().save(QDir(dir).filePath(name + QStringLiteral(".png")));
}
