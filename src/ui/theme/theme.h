#pragma once
// The program's one style sheet: ":/qss/qss/myStyle.qss" (the window, the shared controls)
// followed by every page's own sheet under ":/qss/qss/pages/" in name order. A page keeps its
// rules in its own file there, addressed by object names under the page's object name.

#include <QString>

class QWidget;

namespace Theme {
// The whole sheet; empty when the resource is missing.
QString styleSheet();
// Sets styleSheet() on the widget; false when the resource is missing.
bool apply(QWidget *widget);
} // namespace Theme
