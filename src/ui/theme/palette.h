#pragma once
// The colours of the whole program, in one place. Widgets that paint by hand take them from
// here; everything else is styled by the style sheet (resources/qss), which uses the same values.

#include <QColor>

namespace Palette {
inline QColor window() { return QColor(0x0E, 0x0F, 0x12); }      // window background
inline QColor panel() { return QColor(0x17, 0x19, 0x1E); }       // panel, card
inline QColor raised() { return QColor(0x22, 0x25, 0x2C); }      // raised control, input field
inline QColor border() { return QColor(0x2E, 0x32, 0x3A); }      // border, separator
inline QColor text() { return QColor(0xE8, 0xEA, 0xED); }
inline QColor secondaryText() { return QColor(0x9A, 0xA0, 0xA6); } // scale labels
inline QColor disabledText() { return QColor(0x5F, 0x63, 0x68); }
inline QColor accent() { return QColor(0x40, 0xC5, 0xDD); }      // active tab, focus, filled slider
inline QColor accentPressed() { return QColor(0x2F, 0xA3, 0xB8); }
inline QColor warning() { return QColor(0xF2, 0xB3, 0x3D); }
inline QColor danger() { return QColor(0xE5, 0x53, 0x4B); }
inline QColor success() { return QColor(0x3F, 0xB9, 0x50); }
inline QColor sliderGroove() { return QColor(0x61, 0x61, 0x61); } // the sliders' unfilled groove
} // namespace Palette
