#pragma once

#include <QString>

class QAbstractButton;
class QMainWindow;

// Rules every wizard screen shares.
namespace ScreenFrame {

// Shows one face of an image button (its up or down picture).
void showFace(QAbstractButton* button, const QString& image);

// Moves the wizard on: the next screen appears, the current one closes but stays allocated.
void handOver(QMainWindow* current, QMainWindow* next);

}
