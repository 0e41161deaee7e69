#include "ScreenFrame.h"

#include "EchoGuard.h"
#include "ScreenColours.h"
#include "SupportReport.h"

#include <algorithm>

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFrame>
#include <QKeyEvent>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPalette>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QToolButton>
#include <QUrl>
#include <QVariant>

namespace ScreenFrame {

void showFace(QAbstractButton* button, const QString& image)
{
    button->setIcon(QIcon(image));
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

namespace {
QString focusFrame()
{
    return QStringLiteral("border: 2px solid %1; border-radius: 6px;")
        .arg(ScreenColours::focus(QApplication::palette()).name());
}

// The button inside a line edit paints itself and takes no style sheet: a frame
// laid over it shows its focus.
void ringWhileFocused(QWidget* button)
{
    auto* ring = new QFrame(button);
    ring->setStyleSheet(QStringLiteral("QFrame { %1 background: transparent; }").arg(focusFrame()));
    ring->setAttribute(Qt::WA_TransparentForMouseEvents);
    ring->hide();
    QObject::connect(qApp, &QApplication::focusChanged, ring, [button, ring](QWidget*, QWidget* now) {
        ring->setGeometry(button->rect());
        ring->setVisible(now == button);
    });
}
}

QWidget* addRevealAction(QLineEdit* field)
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
        ringWhileFocused(button);
        return button;
    }
    return field;
}

void pressOnEnter(const QList<QLineEdit*>& fields, QAbstractButton* mainButton)
{
    for (QLineEdit* field : fields) {
        QObject::connect(field, &QLineEdit::returnPressed, mainButton, [mainButton] {
            if (mainButton->isEnabled() && mainButton->isVisible())
                mainButton->click();
        });
    }
}

namespace {
// Qt's label opens a link by Enter only once a second Tab has moved onto it; a label
// here holds one link, so Enter on the label itself opens it.
class LinkOnEnter : public QObject
{
public:
    explicit LinkOnEnter(QLabel* label)
        : QObject(label)
        , m_label(label)
    {
        label->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter)
            return false;
        static const QRegularExpression link(QStringLiteral("href=\"([^\"]+)\""));
        const QRegularExpressionMatch match = link.match(m_label->text());
        if (match.hasMatch())
            QDesktopServices::openUrl(QUrl(match.captured(1)));
        return match.hasMatch();
    }

private:
    QLabel* m_label;
};
}

void reachLinksByKeyboard(QLabel* label, QWidget* after)
{
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    label->setProperty("link", true);
    QWidget::setTabOrder(after, label);
    new LinkOnEnter(label);
}

namespace {
void keepFieldTextLegible(QLineEdit* edit)
{
    QPalette palette = edit->palette();
    palette.setColor(QPalette::PlaceholderText, ScreenColours::placeholder(palette));
    palette.setColor(QPalette::Disabled, QPalette::Text, ScreenColours::disabledText(palette));
    edit->setPalette(palette);
}

// Warnings (labels the form marks with the "warning" property) and links take colours
// that suit the palette's lightness.
void colourLabels(QWidget* screen)
{
    for (QLabel* label : screen->findChildren<QLabel*>()) {
        QPalette palette = label->palette();
        if (label->property("warning").toBool())
            palette.setColor(QPalette::WindowText, ScreenColours::warning(palette));
        palette.setColor(QPalette::Link, ScreenColours::link(palette));
        label->setPalette(palette);
    }
}

// One sheet on the screen's content, where the forms' own sheets set no border: every
// control Tab reaches shows the frame, and boxes opened over the screen keep their look.
// Field backgrounds come from the palette, as their text does: a dark theme's light text
// never lands on a white field. (A sheet that set the text colour would also make Qt 6
// draw placeholders as half of it, fainter than 4.5:1.)
QString keyboardSheet()
{
    return QStringLiteral("QPushButton[picture=\"true\"] { border: none; }"
                          "QToolButton, QCheckBox, QLabel[link=\"true\"] { border: 2px solid transparent; }"
                          "QLineEdit, QListView { border: 1px solid #8a8a8a; border-radius: 3px;"
                          " background: palette(base); }"
                          "QPushButton:focus, QToolButton:focus, QLineEdit:focus, QListView:focus, QCheckBox:focus,"
                          " QLabel:focus { %1 }")
        .arg(focusFrame());
}

void prepareKeyboard(QMainWindow* screen)
{
    for (QPushButton* button : screen->findChildren<QPushButton*>())
        button->setAutoDefault(true);
    for (QLineEdit* edit : screen->findChildren<QLineEdit*>())
        keepFieldTextLegible(edit);
    screen->centralWidget()->setStyleSheet(keyboardSheet());
}
}

void prepare(QMainWindow* screen)
{
    SupportReport::noteScreen(screen);
    prepareKeyboard(screen);
    // The sheet's rules set the palettes of the widgets they style as they are polished.
    screen->ensurePolished();
    colourLabels(screen);
}

void announce(QLabel* status)
{
    QAccessibleEvent event(status, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}

namespace {
// The top-left corner wanted, moved just enough to keep the window inside the available
// area; on a screen too small for it, its title bar stays visible.
QPoint keepInside(const QRect& wanted, const QRect& area)
{
    const int x = std::max(area.left(), std::min(wanted.left(), area.right() + 1 - wanted.width()));
    const int y = std::max(area.top(), std::min(wanted.top(), area.bottom() + 1 - wanted.height()));
    return QPoint(x, y);
}

QPoint placeFor(const QMainWindow* current, const QMainWindow* next)
{
    return keepInside(QRect(current->pos(), next->frameGeometry().size()), current->screen()->availableGeometry());
}
}

void activate(QWidget* window)
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return;
#endif
    window->activateWindow();
}

void showFirst(QMainWindow* first)
{
    const QRect area = first->screen()->availableGeometry();
    QRect wanted(QPoint(), first->frameGeometry().size());
    wanted.moveCenter(area.center());
    first->move(keepInside(wanted, area));
    first->show();
    activate(first);
}

namespace {
// Disabled, a closed screen drops the clicks and key presses still queued for it; the
// next one drops those that follow at once. Nothing refers to a screen that has left,
// so it is deleted once control is back in the event loop.
void handOver(ScreenWindow* current, QMainWindow* next)
{
    current->setEnabled(false);
    EchoGuard::guard(next);
    next->move(placeFor(current, next));
    next->show();
    next->raise();
    activate(next);
    current->setAttribute(Qt::WA_DeleteOnClose);
    current->close();
}
}

void moveOn(ScreenWindow* current, const std::function<QMainWindow*()>& makeNext)
{
    if (current->leave())
        handOver(current, makeNext());
}

}
