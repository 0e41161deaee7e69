#pragma once

#include "ScreenWindow.h"

#include <QMainWindow>
#include <QString>

#include <functional>

class QAbstractButton;
class QLabel;
class QLineEdit;

// Rules every wizard screen shares.
namespace ScreenFrame {

// Shows one face of an image button (its up or down picture).
void showFace(QAbstractButton* button, const QString& image);

// Gives a password field a trailing eye inside it that shows or hides what was typed.
// It reflects the field's echo mode as it is, takes focus by Tab after the field, and
// changes neither the field's place nor its size.
// Returns the eye's button.
QWidget* addRevealAction(QLineEdit* field);

// Enter or Return in any of the fields presses the screen's main button, when it is
// enabled.
void pressOnEnter(const QList<QLineEdit*>& fields, QAbstractButton* mainButton);

// Links in the label are reached by Tab after the widget given and opened with Enter.
void reachLinksByKeyboard(QLabel* label, QWidget* after);

// Readies a screen for every user. Keyboard: every control shows keyboard focus with a
// clear 2 px frame, picture buttons included, and Enter presses the focused button as
// Space does. Screen readers: the step pictures are one object ("Step 3 of 5").
// Eyes: text in fields stays legible when a field is disabled and in its placeholder.
// Call it once the screen's controls are all made.
void prepare(QMainWindow* screen);

// Tells assistive technology that a status line has appeared, so that a screen reader
// reads it out (a label reports a change of its text itself).
void announce(QLabel* status);

// Asks for the window to become the active one, where the platform lets a program ask
// (on Wayland the compositor decides, and Qt 5 cannot ask there at all).
void activate(QWidget* window);

// Opens the wizard's first screen in the middle of the screen's available area, active;
// on a screen too small for it, its title bar stays visible.
void showFirst(QMainWindow* first);

// The one way a screen moves on: it leaves and hands over to the screen that makeNext
// creates, unless it has left already. The next screen is created only after leaving:
// makeNext may wait in an event loop (a message box), where a second click would
// otherwise create another. The next screen appears where the current one stood
// (inside the screen's available area), active and with keyboard focus; the current
// one closes and is deleted once control returns to the event loop. The current screen
// takes no more input; the next one takes none for the length of a double click (see
// EchoGuard).
void moveOn(ScreenWindow* current, const std::function<QMainWindow*()>& makeNext);

}
