#include "ScreenFrame.h"

#include "EchoGuard.h"

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QIcon>
#include <QLineEdit>
#include <QToolButton>
#include <QMainWindow>
#include <QPixmap>
#include <QVariant>

namespace ScreenFrame {

namespace {
const char* const LeftProperty = "ravelo_left";
}

void showFace(QAbstractButton* button, const QString& image)
{
    button->setIcon(QIcon(QPixmap(image)));
}

namespace {
void showRevealState(QAction* action, bool shown)
{
    action->setIcon(QIcon(shown ? QStringLiteral(":/images/eye_hide.png") : QStringLiteral(":/images/eye_show.png")));
    const QString text = shown ? QCoreApplication::translate("ScreenFrame", "パスワードを隠す")
                               : QCoreApplication::translate("ScreenFrame", "パスワードを表示する");
    action->setText(text);
    action->setToolTip(text);
}
}

void addRevealAction(QLineEdit* field)
{
    QAction* action = field->addAction(QIcon(), QLineEdit::TrailingPosition);
    action->setObjectName(field->objectName() + QStringLiteral("_reveal"));
    action->setCheckable(true);
    action->setChecked(field->echoMode() == QLineEdit::Normal);
    showRevealState(action, action->isChecked());
    QObject::connect(action, &QAction::toggled, field, [field, action](bool shown) {
        field->setEchoMode(shown ? QLineEdit::Normal : QLineEdit::Password);
        showRevealState(action, shown);
    });
    for (QToolButton* button : field->findChildren<QToolButton*>()) {
        if (button->defaultAction() != action)
            continue;
        button->setFocusPolicy(Qt::TabFocus);
        QWidget::setTabOrder(field, button);
    }
}

bool leave(QWidget* screen)
{
    if (hasLeft(screen))
        return false;
    screen->setProperty(LeftProperty, true);
    return true;
}

bool hasLeft(const QWidget* screen)
{
    return screen->property(LeftProperty).toBool();
}

// Disabled, a closed screen drops the clicks and key presses still queued for it; the
// next one drops those that follow at once. Nothing refers to a screen that has left,
// so it is deleted once control is back in the event loop.
void handOver(QMainWindow* current, QMainWindow* next)
{
    leave(current);
    current->setEnabled(false);
    EchoGuard::guard(next);
    next->show();
    current->setAttribute(Qt::WA_DeleteOnClose);
    current->close();
}

}
