#include "StepIndicator.h"

#include <QAccessibleWidget>

namespace {
class AccessibleStepIndicator : public QAccessibleWidget
{
public:
    explicit AccessibleStepIndicator(StepIndicator* indicator)
        : QAccessibleWidget(indicator, QAccessible::StaticText)
    {
    }

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Name)
            return static_cast<StepIndicator*>(widget())->text();
        return QAccessibleWidget::text(kind);
    }

    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
};

QAccessibleInterface* makeAccessible(const QString& className, QObject* object)
{
    if (className == QLatin1String("StepIndicator"))
        return new AccessibleStepIndicator(static_cast<StepIndicator*>(object));
    return nullptr;
}
}

StepIndicator::StepIndicator(QWidget* parent)
    : QWidget(parent)
{
    static const bool installed = (QAccessible::installFactory(makeAccessible), true);
    Q_UNUSED(installed)
}

int StepIndicator::step() const
{
    return m_step;
}

void StepIndicator::setStep(int step)
{
    m_step = step;
}

QString StepIndicator::text() const
{
    return tr("ステップ %1 / %2").arg(m_step).arg(StepCount);
}
