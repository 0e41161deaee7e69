#pragma once

#include <QWidget>

// The row of step pictures at the top of a screen ("STEP1 > STEP2 > ..."), which the
// screen's form places inside it with the step it shows. It is one object for assistive
// technology, named like "ステップ 3 / 5"; the pictures are kept out of the tree.
class StepIndicator : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int step READ step WRITE setStep)

public:
    static constexpr int StepCount = 5;

    explicit StepIndicator(QWidget* parent = nullptr);

    int step() const;
    void setStep(int step);
    QString text() const;

private:
    int m_step = 0;
};
