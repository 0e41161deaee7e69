// Every screen in both languages, at the scale this run was started with (CTest runs
// it at 1x, at 125 %, 150 % and 200 % desktop text and at a 2x scale factor): text fits
// its place, nothing that shows text or takes input lies on another, text stands out
// from what is behind it (WCAG 2.1 AA), and assistive technology hears what is shown.
#include "DarkPalette.h"
#include "app/Translation.h"
#include "screens/CameraNameWindow.h"
#include "screens/CompleteWindow.h"
#include "screens/LoginWindow.h"
#include "screens/MyApplication.h"
#include "screens/PreparationWindow.h"
#include "screens/RegistUserWindow.h"
#include "screens/ScreenFrame.h"
#include "screens/SettingsWiFiWindow.h"
#include "screens/TopWindow.h"
#include "screens/WifiListWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QAbstractItemView>
#include <QAccessible>
#include <QDomDocument>
#include <QFile>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QStyle>
#include <QTest>
#include <QTranslator>

#include <cmath>
#include <memory>

namespace {
const QString Sources = QStringLiteral(RAVELO_SOURCE_DIR);
const char* const AllScreens[] = {"TopWindow",      "PreparationWindow",  "LoginWindow",      "RegistUserWindow",
                                  "WifiListWindow", "SettingsWiFiWindow", "CameraNameWindow", "CompleteWindow"};

std::unique_ptr<QMainWindow> make(const QString& screen)
{
    const QHash<QString, std::function<QMainWindow*()>> makers = {
        {"TopWindow", [] { return new TopWindow; }},
        {"PreparationWindow", [] { return new PreparationWindow; }},
        {"LoginWindow", [] { return new LoginWindow; }},
        {"RegistUserWindow", [] { return new RegistUserWindow; }},
        {"WifiListWindow", [] { return new WifiListWindow; }},
        // With a network chosen from the list: its name stands in a disabled field.
        {"SettingsWiFiWindow", [] { return new SettingsWiFiWindow(QStringLiteral("Ravelo-Home-5G")); }},
        {"CameraNameWindow", [] { return new CameraNameWindow; }},
        {"CompleteWindow", [] { return new CompleteWindow; }},
    };
    std::unique_ptr<QMainWindow> window(makers.value(screen)());
    window->show();
    QCoreApplication::processEvents();
    return window;
}

void useLanguage(bool english)
{
    for (QTranslator* translator : qApp->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
    Translation::install(*qApp, english);
}

// A dark desktop theme, as qt5ct's and KDE's dark schemes set it.
void addScreenRows(bool alsoDark = false)
{
    QTest::addColumn<QString>("screen");
    QTest::addColumn<bool>("english");
    QTest::addColumn<bool>("dark");
    for (const bool dark : {false, true}) {
        for (const bool english : {false, true}) {
            for (const char* screen : AllScreens) {
                if (dark && !alsoDark)
                    continue;
                QTest::newRow(
                    qPrintable(QString::fromLatin1(screen) + (english ? " en" : " ja") + (dark ? " dark" : "")))
                    << QString::fromLatin1(screen) << english << dark;
            }
        }
    }
}

QString describe(const QWidget* widget)
{
    return widget->objectName() + QLatin1Char(' ') + QLatin1String(widget->metaObject()->className());
}

// Where a label's text lies within it, in window coordinates.
QRect textRect(const QLabel* label)
{
    const QSize needed =
        label->wordWrap() ? QSize(label->width(), label->heightForWidth(label->width())) : label->sizeHint();
    const QRect inside = QStyle::alignedRect(label->layoutDirection(), label->alignment(),
                                             needed.boundedTo(label->size()), label->rect());
    return QRect(label->mapTo(label->window(), inside.topLeft()), inside.size());
}

QList<QLabel*> textLabels(QWidget* window)
{
    QList<QLabel*> labels;
    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (!label->text().isEmpty())
            labels.append(label);
    }
    return labels;
}

// What a user reads or works with; pictures and backgrounds lie beneath by design.
QList<QPair<QWidget*, QRect>> textAndInput(QWidget* window)
{
    QList<QPair<QWidget*, QRect>> shown;
    for (QLabel* label : textLabels(window)) {
        if (label->isVisible())
            shown.append({label, textRect(label)});
    }
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        const bool input = qobject_cast<QLineEdit*>(widget) || qobject_cast<QAbstractButton*>(widget)
            || qobject_cast<QAbstractItemView*>(widget);
        if (input && widget->isVisible() && !qobject_cast<QLineEdit*>(widget->parentWidget()))
            shown.append({widget, QRect(widget->mapTo(window, QPoint()), widget->size())});
    }
    return shown;
}

double luminance(const QColor& colour)
{
    const auto channel = [](double value) {
        return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) + 0.0722 * channel(colour.blueF());
}

// A translucent colour (Qt's own placeholder is half-transparent text) as it shows on
// the opaque one behind it.
QColor over(const QColor& front, const QColor& back)
{
    const auto mix = [&](double a, double b) { return a * front.alphaF() + b * (1 - front.alphaF()); };
    return QColor::fromRgbF(mix(front.redF(), back.redF()), mix(front.greenF(), back.greenF()),
                            mix(front.blueF(), back.blueF()));
}

double contrast(const QColor& one, const QColor& other)
{
    const double a = luminance(one);
    const double b = luminance(other);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

// The colour most of the area shows: behind text, its background.
QColor dominant(const QImage& image, const QRect& area, const std::function<bool(QRgb)>& counts)
{
    QHash<QRgb, int> seen;
    for (int y = std::max(0, area.top()); y <= std::min(image.height() - 1, area.bottom()); ++y) {
        for (int x = std::max(0, area.left()); x <= std::min(image.width() - 1, area.right()); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (counts(pixel))
                ++seen[pixel];
        }
    }
    QRgb most = 0;
    for (auto it = seen.cbegin(); it != seen.cend(); ++it) {
        if (!seen.contains(most) || it.value() > seen.value(most))
            most = it.key();
    }
    return QColor::fromRgba(most);
}

QColor backgroundOf(const QImage& window, const QWidget* widget)
{
    const qreal ratio = window.devicePixelRatio();
    const QRect area(widget->mapTo(widget->window(), QPoint()), widget->size());
    const QRect pixels(QPoint(std::lround(area.left() * ratio), std::lround(area.top() * ratio)),
                       QPoint(std::lround(area.right() * ratio), std::lround(area.bottom() * ratio)));
    return dominant(window, pixels, [](QRgb) { return true; });
}

// WCAG's large text (18 pt, or 14 pt bold) needs 3:1; all other text 4.5:1.
double neededFor(const QFont& font)
{
    const bool large = font.pointSizeF() >= 18 || (font.bold() && font.pointSizeF() >= 14);
    return large ? 3.0 : 4.5;
}

QDomDocument parsed(const QString& file)
{
    QFile source(file);
    QDomDocument document;
    if (source.open(QIODevice::ReadOnly))
        document.setContent(&source);
    return document;
}

// The words a button's picture shows: the text of the drawing it was rendered from.
QString wordsOnPicture(const QString& stem, bool english)
{
    const QString folder = english ? QStringLiteral("/tools/images/svg/en/") : QStringLiteral("/tools/images/svg/");
    return parsed(Sources + folder + stem + QStringLiteral(".svg"))
        .documentElement()
        .elementsByTagName(QStringLiteral("text"))
        .item(0)
        .toElement()
        .text();
}

// Each picture button of a form and the picture it shows first.
QHash<QString, QString> pictureButtons(const QString& screen)
{
    QHash<QString, QString> buttons;
    const QDomNodeList widgets =
        parsed(Sources + QStringLiteral("/screens/") + screen + QStringLiteral(".ui")).elementsByTagName("widget");
    for (int i = 0; i < widgets.size(); ++i) {
        const QDomElement widget = widgets.item(i).toElement();
        const QDomNodeList faces = widget.elementsByTagName(QStringLiteral("normaloff"));
        if (widget.attribute("class") == QLatin1String("QPushButton") && !faces.isEmpty())
            buttons.insert(widget.attribute("name"),
                           faces.item(0).toElement().text().section('/', -1).section('.', 0, 0));
    }
    return buttons;
}

// The lightest face pixel behind the white text of a picture, row by row: a row's face
// is the colour most of its opaque, not nearly white pixels have.
double faceContrast(const QImage& picture)
{
    double lowest = 21;
    const QRect inner(picture.width() / 8, 0, picture.width() * 3 / 4, 1);
    for (int y = 0; y < picture.height(); ++y) {
        bool text = false;
        for (int x = 0; x < picture.width() && !text; ++x) {
            const QColor pixel = picture.pixelColor(x, y);
            text = pixel.alpha() == 255 && std::min({pixel.red(), pixel.green(), pixel.blue()}) >= 250;
        }
        if (!text)
            continue;
        const QColor face = dominant(picture, inner.translated(0, y), [](QRgb pixel) {
            return qAlpha(pixel) == 255 && std::min({qRed(pixel), qGreen(pixel), qBlue(pixel)}) < 240;
        });
        lowest = std::min(lowest, contrast(face, Qt::white));
    }
    return lowest;
}
}

class TestAccessibleScreens : public QObject
{
    Q_OBJECT

private slots:
    void textFitsAndNothingOverlaps_data() { addScreenRows(); }

    void textFitsAndNothingOverlaps()
    {
        QFETCH(QString, screen);
        QFETCH(bool, english);
        useLanguage(english);
        const auto window = make(screen);
        QStringList faults;
        for (QLabel* label : textLabels(window.get())) {
            const QSize needed =
                label->wordWrap() ? QSize(label->width(), label->heightForWidth(label->width())) : label->sizeHint();
            if (needed.width() > label->width() || needed.height() > label->height())
                faults << QStringLiteral("%1 needs %2 x %3, has %4 x %5")
                              .arg(describe(label))
                              .arg(needed.width())
                              .arg(needed.height())
                              .arg(label->width())
                              .arg(label->height());
        }
        const auto shown = textAndInput(window.get());
        for (int i = 0; i < shown.size(); ++i) {
            for (int j = i + 1; j < shown.size(); ++j) {
                if (shown[i].second.intersects(shown[j].second))
                    faults << describe(shown[i].first) + " overlaps " + describe(shown[j].first);
            }
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("; "))));
    }

    void textStandsOutFromItsBackground_data() { addScreenRows(true); }

    void textStandsOutFromItsBackground()
    {
        QFETCH(QString, screen);
        QFETCH(bool, english);
        QFETCH(bool, dark);
        useLanguage(english);
        const QPalette original = QApplication::palette();
        const auto restore = qScopeGuard([&original] { QApplication::setPalette(original); });
        if (dark)
            QApplication::setPalette(darkPalette());
        const auto window = make(screen);
        const QImage shot = window->grab().toImage();
        QStringList faults;
        const auto check = [&](const QWidget* widget, const QColor& text) {
            const QColor behind = backgroundOf(shot, widget);
            const double ratio = contrast(over(text, behind), behind);
            if (ratio < neededFor(widget->font()))
                faults << QStringLiteral("%1: %2 on %3 is %4:1")
                              .arg(describe(widget), over(text, behind).name(), behind.name())
                              .arg(ratio, 0, 'f', 2);
        };
        for (QLabel* label : textLabels(window.get())) {
            check(label, label->palette().color(QPalette::WindowText));
            if (label->text().contains(QLatin1String("href")))
                check(label, label->palette().color(QPalette::Link));
        }
        for (QLineEdit* field : window->findChildren<QLineEdit*>()) {
            const QPalette::ColorGroup group = field->isEnabled() ? QPalette::Active : QPalette::Disabled;
            check(field, field->palette().color(group, QPalette::Text));
            if (field->text().isEmpty())
                check(field, field->palette().color(QPalette::PlaceholderText));
        }
        for (QAbstractItemView* list : window->findChildren<QAbstractItemView*>())
            check(list, list->palette().color(QPalette::Text));
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("; "))));
    }

    // Voice control users say what they see on a picture button.
    void pictureButtonsAreNamedByTheirWords_data() { addScreenRows(); }

    void pictureButtonsAreNamedByTheirWords()
    {
        QFETCH(QString, screen);
        QFETCH(bool, english);
        useLanguage(english);
        const auto window = make(screen);
        const QHash<QString, QString> buttons = pictureButtons(screen);
        QVERIFY(!buttons.isEmpty());
        for (auto it = buttons.cbegin(); it != buttons.cend(); ++it) {
            const QString words = wordsOnPicture(it.value(), english);
            QVERIFY(!words.isEmpty());
            auto* button = window->findChild<QPushButton*>(it.key());
            const QString name = QAccessible::queryAccessibleInterface(button)->text(QAccessible::Name);
            QVERIFY2(name.startsWith(words), qPrintable(it.key() + ": " + name + " / " + words));
        }
    }

    void whiteTextStandsOutFromEveryFace_data()
    {
        QTest::addColumn<QString>("picture");
        for (const QString& folder : {QStringLiteral(":/images/"), Sources + QStringLiteral("/resources/images/en/")}) {
            for (const char* stem :
                 {"01_start", "02_login", "02_regist_user", "03_next", "05_connect_wifi", "05_connect_wifi_other",
                  "05_connect_wifi_back", "06_back_to_wifilist", "07_complete"}) {
                for (const char* face : {"_up.png", "_down.png", "_up@2x.png"})
                    QTest::newRow(qPrintable(folder.right(4) + stem + face)) << folder + stem + face;
            }
        }
        for (int step = 1; step <= 5; ++step)
            QTest::newRow(qPrintable(QString("STEP%1_active").arg(step)))
                << QString(":/images/STEP%1_active.png").arg(step);
    }

    void whiteTextStandsOutFromEveryFace()
    {
        QFETCH(QString, picture);
        const QImage image(picture);
        QVERIFY(!image.isNull());
        const double ratio = faceContrast(image);
        QVERIFY2(ratio >= 3.0, qPrintable(QString::number(ratio, 'f', 2)));
    }

    // One object, named like the step it shows, stands for the row of step pictures.
    void theStepRowIsOneNamedObject_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QString>("name");
        QTest::newRow("top") << "TopWindow" << QString();
        QTest::newRow("preparation") << "PreparationWindow"
                                     << "ステップ 1 / 5";
        QTest::newRow("login") << "LoginWindow"
                               << "ステップ 2 / 5";
        QTest::newRow("new account") << "RegistUserWindow"
                                     << "ステップ 2 / 5";
        QTest::newRow("network list") << "WifiListWindow"
                                      << "ステップ 3 / 5";
        QTest::newRow("network settings") << "SettingsWiFiWindow"
                                          << "ステップ 3 / 5";
        QTest::newRow("camera name") << "CameraNameWindow"
                                     << "ステップ 4 / 5";
        QTest::newRow("complete") << "CompleteWindow"
                                  << "ステップ 5 / 5";
    }

    void theStepRowIsOneNamedObject()
    {
        QFETCH(QString, screen);
        QFETCH(QString, name);
        useLanguage(false);
        const auto window = make(screen);
        QStringList steps;
        QList<QAccessibleInterface*> pending = {QAccessible::queryAccessibleInterface(window.get())};
        while (!pending.isEmpty()) {
            QAccessibleInterface* node = pending.takeFirst();
            const QString styleSheet = node->object() ? node->object()->property("styleSheet").toString() : QString();
            QVERIFY2(!styleSheet.contains(QLatin1String("STEP")) && !styleSheet.contains(QLatin1String("cursol")),
                     "a step picture is in the accessibility tree");
            if (node->text(QAccessible::Name).startsWith(QStringLiteral("ステップ")))
                steps.append(node->text(QAccessible::Name));
            for (int i = 0; i < node->childCount(); ++i)
                pending.append(node->child(i));
        }
        QCOMPARE(steps, name.isEmpty() ? QStringList() : QStringList{name});
    }

    void theFirstScreenOpensInsideTheScreen()
    {
        useLanguage(false);
        auto* top = new TopWindow;
        ScreenFrame::showFirst(top);
        const QRect area = top->screen()->availableGeometry();
        const QRect frame = top->frameGeometry();
        QVERIFY(area.contains(frame.topLeft()));
        if (frame.width() <= area.width() && frame.height() <= area.height())
            QVERIFY(area.contains(frame));
        delete top;
    }
};

// Scaling is set before the application exists, as the wizard does; a test's own
// 96 dpi would hide what a desktop's text size does.
int main(int argc, char** argv)
{
    MyApplication::setUpScaling();
    MyApplication app(argc, argv);
    TestAccessibleScreens test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_accessiblescreens.moc"
