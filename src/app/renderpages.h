#pragma once
// "QKDriver --render-pages DIR": draws the main window on each page and each dialog off screen,
// with the simulated mouse given by --simulate (a Falcon when none is given), one PNG per view
// named after it ("need-device.png", "main.png", "warning.png", ...). The README's pictures and
// the look of every page are checked with it.

#include <QString>
#include <QStringList>

class MainWindow;

namespace RenderPages {
// The directory asked for with "--render-pages DIR" or "--render-pages=DIR"; empty when not asked.
QString requestedDir(const QStringList &arguments);
// Renders every view of the window into dir, opening the first mouse of productIds (plugged on
// the bus in use) as the watcher would report it; each further mouse replaces it and adds its
// main and lighting pages ("main-osprey", "lighting-wren", ...). Returns the names written;
// *error says what failed (the folder cannot be made, a mouse does not open, a picture cannot be
// written).
QStringList run(MainWindow &window, const QString &dir, const QList<uint> &productIds, QString *error);
} // namespace RenderPages
