#include "StepIndicator.h"

#include <QAccessibleWidget>
#include <QMainWindow>
#include <QRegularExpression>

namespace {
// The pictures are plain widgets that show their image through a style sheet; the
// image's name tells a step from an arrow and the current step from the others.
const QRegularExpression StepPicture(QStringLiteral(":/images/(STEP(\\d)(_active)?|cursol(_active)?)\\.png"));

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

StepIndicator::StepIndicator(QWidget* parent, int step, int count)
    : QWidget(parent)
    , m_step(step)
    , m_count(count)
{
    static const bool installed = (QAccessible::installFactory(makeAccessible), true);
    Q_UNUSED(installed)
    setObjectName(QStringLiteral("stepIndicator"));
}

StepIndicator* StepIndicator::gather(QWidget* screen)
{
    auto* window = qobject_cast<QMainWindow*>(screen);
    QWidget* area = window ? window->centralWidget() : screen;
    QList<QWidget*> pictures;
    QRect bounds;
    int step = 0;
    int count = 0;
    for (QWidget* child : area->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        const QRegularExpressionMatch match = StepPicture.match(child->styleSheet());
        if (!match.hasMatch())
            continue;
        pictures.append(child);
        bounds |= child->geometry();
        if (match.capturedLength(2) > 0)
            ++count;
        if (match.capturedLength(3) > 0)
            step = match.captured(2).toInt();
    }
    if (count == 0)
        return nullptr;
    auto* indicator = new StepIndicator(area, step, count);
    indicator->setGeometry(bounds);
    for (QWidget* picture : pictures) {
        const QPoint inside = picture->pos() - bounds.topLeft();
        picture->setParent(indicator);
        picture->move(inside);
        picture->show();
    }
    indicator->lower();
    indicator->show();
    return indicator;
}

int StepIndicator::step() const
{
    return m_step;
}

int StepIndicator::count() const
{
    return m_count;
}

QString StepIndicator::text() const
{
    return tr("ステップ %1 / %2").arg(m_step).arg(m_count);
}
