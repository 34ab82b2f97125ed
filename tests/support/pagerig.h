#pragma once
// A page or dialog over a device session, for one GUI test: the session rig (temporary folder,
// virtual clock, virtual bus, simulated devices), the program's style sheet and artwork, and the
// few steps every page test repeats. Tests show the widget with show(), drive it with QTest
// events, call settle() and then look at the emulator's memory or the state.
//
// Set QK_SHOTS_DIR to a folder to have shot() write PNGs there (for looking, never compared).

#include "support/sessionrig.h"

#include <QString>

class QWidget;

class PageRig : public SessionRig
{
public:
    PageRig();

    // Plugs and opens the named simulated device ("falcon", "osprey", "kite-receiver", ...);
    // fails the calling test (QVERIFY-style, returns false) when it does not open.
    bool openDevice(const QString &name);
    // Styles the widget as the program does, gives it the page area's size (unless it is a
    // dialog that sizes itself) and shows it; false when it was never exposed.
    bool show(QWidget *widget);
    // Every request the widget sent has run and its outcome and state reached the widget.
    void settle() { session().settle(); }
    // Writes the widget's picture to $QK_SHOTS_DIR/<name>.png when that variable is set.
    static void shot(QWidget *widget, const QString &name);

    // The page area of the main window, in logical pixels (the window is 960 x 640).
    static constexpr int kPageWidth = 960;
    static constexpr int kPageHeight = 472;
};
