#pragma once
// The program's one style sheet: ":/qss/qss/myStyle.qss" (the window, the shared controls)
// followed by every page's own sheet under ":/qss/qss/pages/" in name order. A page keeps its
// rules in its own file there, addressed by object names under the page's object name.

#include <QString>

class QLineEdit;
class QWidget;

namespace Theme {
// The whole sheet; empty when the resource is missing.
QString styleSheet();
// Sets styleSheet() on the widget; false when the resource is missing.
bool apply(QWidget *widget);
// Sets the hint an empty field shows. Under a style sheet Qt 5 draws the hint in the field's
// text colour, where it reads as typed content; the field carries "placeholderShown" while it
// is empty, and the sheet draws it in the secondary text colour then.
void setPlaceholder(QLineEdit *edit, const QString &hint);
} // namespace Theme
