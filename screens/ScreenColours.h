#pragma once

#include <QColor>

class QPalette;

// The few colours of the screens' own, chosen by the lightness of the palette they sit
// on, so that text keeps at least 4.5:1 under a light and under a dark desktop theme.
namespace ScreenColours {

bool isDark(const QPalette& palette);

// The keyboard focus frame.
QColor focus(const QPalette& palette);
// Rule hints, warnings and the lines that say why the camera cannot be used.
QColor warning(const QPalette& palette);
QColor link(const QPalette& palette);
// A field's placeholder and a disabled field's text (Qt's own are fainter than 4.5:1).
QColor placeholder(const QPalette& palette);
QColor disabledText(const QPalette& palette);

}
