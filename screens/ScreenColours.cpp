#include "ScreenColours.h"

#include <QPalette>

namespace ScreenColours {

bool isDark(const QPalette& palette)
{
    return palette.color(QPalette::Window).lightness() < 128;
}

// Light theme: against the window (about #efefef) and a white field. Dark theme: against
// windows down to black and fields up to #505050.
QColor focus(const QPalette& palette)
{
    return isDark(palette) ? QColor(0x8a, 0xb4, 0xf8) : QColor(0x1c, 0x4f, 0x9c);
}

QColor warning(const QPalette& palette)
{
    return isDark(palette) ? QColor(0xff, 0x9e, 0x96) : QColor(0xa4, 0x00, 0x0f);
}

QColor link(const QPalette& palette)
{
    return isDark(palette) ? QColor(0x9c, 0xc2, 0xff) : QColor(0x00, 0x3f, 0xb0);
}

QColor placeholder(const QPalette& palette)
{
    return isDark(palette) ? QColor(0xb0, 0xb0, 0xb0) : QColor(0x6b, 0x6b, 0x6b);
}

QColor disabledText(const QPalette& palette)
{
    return isDark(palette) ? QColor(0xbc, 0xbc, 0xbc) : QColor(0x59, 0x59, 0x59);
}

}
