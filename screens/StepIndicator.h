#pragma once

#include <QWidget>

// The row of step pictures at the top of a screen ("STEP1 > STEP2 > ..."), as one
// object for assistive technology: named like "ステップ 3 / 5", with the pictures
// themselves kept out of the accessibility tree.
class StepIndicator : public QWidget
{
    Q_OBJECT

public:
    // Gathers the screen's step pictures and the arrows between them into one
    // indicator in their place. Returns null on a screen without steps.
    static StepIndicator* gather(QWidget* screen);

    int step() const;
    int count() const;
    QString text() const;

private:
    StepIndicator(QWidget* parent, int step, int count);

    int m_step;
    int m_count;
};
