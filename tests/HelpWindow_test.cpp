// The help window, drawn offscreen: its design, its texts, its two links, their pointer and
// their keys.
#include <QApplication>
#include <QCursor>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QTest>
#include <QWindow>
#include <vector>

#include "HelpWindow.h"
#include "HyperlinkModule.h"
#include "Label.h"
#include "LineShape.h"
#include "MultiLineTextBox.h"
#include "WebAddresses.h"

using namespace glyphmeter::ui;

namespace {

// Records every shell request while it lives, and puts the previous shell back afterwards.
class RecordingShell {
  public:
    RecordingShell()
        : previous_(
              HyperlinkModule::replaceShell([this](const HyperlinkModule::ShellRequest& request) {
                  requests.push_back(request);
              })) {}
    ~RecordingShell() { HyperlinkModule::replaceShell(previous_); }

    std::vector<HyperlinkModule::ShellRequest> requests;

  private:
    HyperlinkModule::Shell previous_;
};

// Shows `window` and makes it the active one, so that it has the keyboard focus.
bool showActive(QWidget& window) {
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

QString focusName() {
    QWidget* focus = QApplication::focusWidget();
    return focus ? focus->objectName() : QString();
}

template <class Control = QWidget>
Control* control(const QWidget& window, const char* name) {
    auto* found = window.findChild<Control*>(QLatin1String(name));
    if (!found) {
        qFatal("no control %s", name);
    }
    return found;
}

}  // namespace

class HelpWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void windowSettings() {
        HelpWindow window;
        QCOMPARE(window.objectName(), QStringLiteral("frmHelp"));
        QCOMPARE(window.windowTitle(), QStringLiteral("Glyphmeter Help"));
        QCOMPARE(window.geometry(), QRect(407, 115, 472, 472));
        QCOMPARE(window.minimumSize(), window.maximumSize());
        QVERIFY(window.isWindow());
        QVERIFY(!window.parentWidget());
        QVERIFY(!(window.windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(window.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(window.windowFlags() & Qt::WindowCloseButtonHint);
        QCOMPARE(window.palette().color(QPalette::Window), QColor(224, 224, 224));
        QVERIFY(!window.windowIcon().isNull());
    }

    void controlGeometry_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("pixels");
        // Twips / 15, each value rounded on its own.
        QTest::newRow("AmazonLink") << "AmazonLink" << QRect(8, 88, 129, 97);
        QTest::newRow("Picture1") << "Picture1" << QRect(336, 0, 137, 473);
        QTest::newRow("Text3") << "Text3" << QRect(8, 224, 321, 113);
        QTest::newRow("Text2") << "Text2" << QRect(136, 88, 193, 113);
        QTest::newRow("Text1") << "Text1" << QRect(0, 368, 329, 57);
        QTest::newRow("Label5") << "Label5" << QRect(112, 208, 209, 17);
        QTest::newRow("Label4") << "Label4" << QRect(112, 352, 209, 17);
        QTest::newRow("Label3") << "Label3" << QRect(224, 72, 97, 17);
        QTest::newRow("Label2") << "Label2" << QRect(152, 32, 161, 33);
        QTest::newRow("Label1") << "Label1" << QRect(96, 8, 217, 33);
    }
    void controlGeometry() {
        QFETCH(QString, name);
        QFETCH(QRect, pixels);
        HelpWindow window;
        QCOMPARE(control(window, name.toLatin1())->geometry(), pixels);
    }

    void drawingOrderFrontToBack() {
        HelpWindow window;
        QStringList backToFront;
        for (QObject* child : window.children()) {
            if (child->isWidgetType()) {
                backToFront.prepend(child->objectName());
            }
        }
        QCOMPARE(backToFront,
                 QStringList({"AmazonLink", "Picture1", "Text3", "Text2", "Text1", "Line1",
                              "Label5", "Label4", "Label3", "Label2", "Label1"}));
    }

    void fontsAndColours() {
        HelpWindow window;
        const QColor purple(192, 0, 192);
        for (const char* name : {"Label1", "Label2"}) {
            const QFont font = control(window, name)->font();
            QCOMPARE(font.family(), QStringLiteral("Verdana"));
            QCOMPARE(font.pointSizeF(), 12.0);
            QCOMPARE(font.weight(), QFont::Bold);
        }
        for (const char* name : {"Label3", "Label4", "Label5"}) {
            auto* heading = control<Label>(window, name);
            QCOMPARE(heading->font().pointSizeF(), 9.75);
            QCOMPARE(heading->font().weight(), QFont::Bold);
            QVERIFY(heading->isOpaque());
            QCOMPARE(heading->palette().color(QPalette::Window), QColor(224, 224, 224));
            QVERIFY(heading->alignment() & Qt::AlignRight);
        }
        for (const char* name : {"Text1", "Text2", "Text3"}) {
            auto* box = control<MultiLineTextBox>(window, name);
            QCOMPARE(box->font().pointSizeF(), 8.25);
            QCOMPARE(box->font().weight(), QFont::Normal);
            QCOMPARE(box->palette().color(QPalette::Base), QColor(224, 224, 224));
            QVERIFY(box->isReadOnly());
        }
        auto* link = control<Label>(window, "Label2");
        QCOMPARE(link->palette().color(QPalette::WindowText), purple);
        QVERIFY(!link->isOpaque());
        QVERIFY(!control<Label>(window, "Label1")->isOpaque());
        auto* line = control<LineShape>(window, "Line1");
        QCOMPARE(line->borderColor(), purple);
        QCOMPARE(line->borderWidth(), 2);
        QCOMPARE(QList<float>({line->x1(), line->y1(), line->x2(), line->y2()}),
                 QList<float>({2400, 740, 4680, 740}));
    }

    void textsStayDarkUnderDarkTheme() {
        const QPalette original = QApplication::palette();
        QPalette dark = original;
        dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
        dark.setColor(QPalette::Text, QColor(230, 230, 230));
        dark.setColor(QPalette::Window, QColor(40, 40, 40));
        dark.setColor(QPalette::Base, QColor(30, 30, 30));
        QApplication::setPalette(dark);
        HelpWindow window;
        QApplication::setPalette(original);

        for (const char* name : {"Label1", "Label3", "Label4", "Label5"}) {
            QVERIFY2(control(window, name)->palette().color(QPalette::WindowText).lightness() < 80,
                     name);
        }
        for (const char* name : {"Text1", "Text2", "Text3"}) {
            const QPalette colours = control(window, name)->palette();
            QVERIFY2(colours.color(QPalette::Text).lightness() < 80, name);
            QCOMPARE(colours.color(QPalette::Base), QColor(224, 224, 224));
        }
        QCOMPARE(control(window, "Label2")->palette().color(QPalette::WindowText),
                 QColor(192, 0, 192));
    }

    void captions() {
        HelpWindow window;
        QCOMPARE(control<QLabel>(window, "Label1")->text(), QStringLiteral("Glyphmeter v1.5"));
        QCOMPARE(control<QLabel>(window, "Label2")->text(),
                 QString::fromUtf8(WebAddresses::makerHost));
        QCOMPARE(control<QLabel>(window, "Label3")->text(), QStringLiteral("Registration"));
        QCOMPARE(control<QLabel>(window, "Label4")->text(),
                 QStringLiteral("Warranty and Liability"));
        QCOMPARE(control<QLabel>(window, "Label5")->text(), QStringLiteral("Instructions"));
    }

    void instructionsTextIsExact() {
        HelpWindow window;
        QCOMPARE(control<MultiLineTextBox>(window, "Text3")->text(),
                 QStringLiteral("Use the select file button to select your input file.  \r\n"
                                "This is the file containing the text that you want \r\n"
                                "analyzed.  It must be a text file <2.1G.  After selecting \r\n"
                                "the file, click the calculate frequency button.  \r\n"
                                "There may be a small pause as the computer \r\n"
                                "calculates the results.  This version converts all text \r\n"
                                "to uppercase and then calculates the frequencies for \r\n"
                                "letters A-Z.\r\n"));
    }

    void textBoxesShowWholeTextWithoutScrolling_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("lines");
        QTest::newRow("Text3 keeps its eight lines") << "Text3" << 8;
        QTest::newRow("Text2 wraps to about eight") << "Text2" << -1;
        QTest::newRow("Text1 wraps to about four") << "Text1" << -1;
    }
    void textBoxesShowWholeTextWithoutScrolling() {
        QFETCH(QString, name);
        QFETCH(int, lines);
        HelpWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* box = control<MultiLineTextBox>(window, name.toLatin1());
        QVERIFY2(box->textHeight() <= box->viewport()->height(),
                 qPrintable(QStringLiteral("%1 needs %2 pixels, has %3")
                                .arg(name)
                                .arg(box->textHeight())
                                .arg(box->viewport()->height())));
        QVERIFY(box->text().endsWith(QLatin1String("\r\n")));
        if (lines > 0) {
            // No line of its own wraps.
            QCOMPARE(box->document()->documentLayout()->documentSize().height(), lines);
        }
    }

    // Clicks go through the window, as the user's do: Qt finds the control under the pointer.
    void linksAskTheShellOnceEach_data() {
        QTest::addColumn<QPoint>("where");
        QTest::addColumn<QString>("address");
        const QString store = QString::fromStdString(WebAddresses::storeAffiliateHome());
        const QString maker = QString::fromStdString(WebAddresses::makerHomePage());
        QTest::newRow("banner picture") << QPoint(68, 133) << store;
        QTest::newRow("banner's grey margin") << QPoint(132, 180) << store;
        QTest::newRow("web address") << QPoint(250, 40) << maker;
        QTest::newRow("web address under the rule") << QPoint(250, 49) << maker;
        QTest::newRow("web address over the title") << QPoint(200, 36) << maker;
    }
    void linksAskTheShellOnceEach() {
        QFETCH(QPoint, where);
        QFETCH(QString, address);
        RecordingShell shell;
        HelpWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, where);
        QCOMPARE(shell.requests.size(), 1u);
        const HyperlinkModule::ShellRequest expected{
            window.winId(), "open", address.toStdString(), "1", "1", 1};
        QVERIFY(shell.requests.front() == expected);

        QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, where);
        QCOMPARE(shell.requests.size(), 2u);
    }

    // The real shell, under Wine: ctest points Wine's browser at a stand-in that writes each
    // address it is given to the file GLYPHMETER_TEST_BROWSER_RECORD names.
    void linksReachTheSystemBrowser() {
        const QString record = qEnvironmentVariable("GLYPHMETER_TEST_BROWSER_RECORD");
        if (record.isEmpty()) {
            QSKIP("needs the stand-in browser that ctest sets up under Wine");
        }
        QFile::remove(record);
        const auto recorded = [&record] {
            QFile file(record);
            return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).split(u'\n')
                                                  : QStringList();
        };
        HelpWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QString store = QString::fromStdString(WebAddresses::storeAffiliateHome());
        const QString maker = QString::fromStdString(WebAddresses::makerHomePage());
        // One at a time: each click starts a browser process of its own.
        QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, QPoint(68, 133));
        QTRY_COMPARE_WITH_TIMEOUT(recorded(), QStringList({store, QString()}), 30000);
        QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, QPoint(250, 40));
        QTRY_COMPARE_WITH_TIMEOUT(recorded(), QStringList({store, maker, QString()}), 30000);
    }

    void addressesHaveTheirFixedForm() {
        QCOMPARE(WebAddresses::makerHomePage(),
                 "http://" + std::string(WebAddresses::makerHost) + "/");
        QCOMPARE(WebAddresses::storeAffiliateHome(),
                 "http://" + std::string(WebAddresses::storeHost) + "/exec/obidos/redirect-home/" +
                     std::string(WebAddresses::affiliateTag));
    }

    void nothingElseReactsToAClick() {
        RecordingShell shell;
        HelpWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        // Title, the three headings, the three text boxes, the picture, bare window.
        for (const QPoint where : {QPoint(150, 15), QPoint(250, 75), QPoint(200, 355),
                                   QPoint(200, 212), QPoint(200, 150), QPoint(100, 280),
                                   QPoint(100, 400), QPoint(400, 300), QPoint(20, 460)}) {
            QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, where);
        }
        QVERIFY(shell.requests.empty());
        // A right-button click is no click on a link either.
        QTest::mouseClick(window.windowHandle(), Qt::RightButton, {}, QPoint(68, 133));
        QVERIFY(shell.requests.empty());
    }

    void pointingHandOnlyOverTheLinks() {
        HelpWindow window;
        for (const char* name : {"AmazonLink", "Label2"}) {
            const QCursor cursor = control(window, name)->cursor();
            QCOMPARE(cursor.shape(), Qt::BitmapCursor);
            QCOMPARE(cursor.hotSpot(), QPoint(6, 0));
            QCOMPARE(cursor.pixmap().size(), QSize(32, 32));
        }
        QCOMPARE(window.cursor().shape(), Qt::ArrowCursor);
        for (const char* name : {"Label1", "Label3", "Label4", "Label5", "Line1", "Picture1"}) {
            QVERIFY2(!control(window, name)->testAttribute(Qt::WA_SetCursor), name);
        }
        for (const char* name : {"Text1", "Text2", "Text3"}) {
            QCOMPARE(control<MultiLineTextBox>(window, name)->viewport()->cursor().shape(),
                     Qt::ArrowCursor);
        }
    }

    void picturesAtNaturalSizeNeverScaled() {
        HelpWindow window;
        auto* banner = control<QLabel>(window, "AmazonLink");
        QCOMPARE(banner->pixmap().size(), QSize(120, 90));
        QCOMPARE(banner->palette().color(QPalette::Window), QColor(224, 224, 224));
        auto* picture = control<QLabel>(window, "Picture1");
        QCOMPARE(picture->pixmap().size(), QSize(139, 474));
        for (QLabel* box : {banner, picture}) {
            QVERIFY(!box->hasScaledContents());
            QCOMPARE(box->alignment(), Qt::AlignLeft | Qt::AlignTop);
        }
        // Drawn from the top-left corner: the box's corner pixel is the picture's.
        const QImage drawn = window.grab().toImage();
        QCOMPARE(drawn.pixelColor(8, 88), banner->pixmap().toImage().pixelColor(0, 0));
        QCOMPARE(drawn.pixelColor(8 + 125, 88 + 2), QColor(224, 224, 224));
    }

    // The window opens with the focus in the first text, as before the links took it; Tab then
    // runs through the designed order, the two links included, and Shift+Tab back.
    void tabReachesTheLinksInTheDesignedOrder() {
        HelpWindow window;
        QVERIFY(showActive(window));
        QCOMPARE(focusName(), QStringLiteral("Text1"));
        for (const char* next : {"Text2", "Text3", "AmazonLink", "Label2", "Text1"}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(focusName(), QLatin1String(next));
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(focusName(), QStringLiteral("Label2"));
        for (const char* name : {"Picture1", "Label1", "Label3", "Label4", "Label5"}) {
            QCOMPARE(control(window, name)->focusPolicy(), Qt::NoFocus);
        }
        // A click opens a link without taking the focus to it.
        RecordingShell shell;
        QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, QPoint(68, 133));
        QCOMPARE(shell.requests.size(), 1u);
        QCOMPARE(focusName(), QStringLiteral("Label2"));
    }

    void focusMarkShowsOnlyWhileTheLinkHasTheFocus_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("web address") << "Label2";
        QTest::newRow("banner") << "AmazonLink";
    }
    void focusMarkShowsOnlyWhileTheLinkHasTheFocus() {
        QFETCH(QString, name);
        HelpWindow window;
        QVERIFY(showActive(window));
        QWidget* link = control(window, name.toLatin1());
        const QImage unfocused = window.grab(link->geometry()).toImage();
        link->setFocus(Qt::TabFocusReason);
        QVERIFY(window.grab(link->geometry()).toImage() != unfocused);
        control(window, "Text2")->setFocus(Qt::TabFocusReason);
        QCOMPARE(window.grab(link->geometry()).toImage(), unfocused);
    }

    // Each key is pressed once, then held so that it repeats.
    void enterAndSpaceOpenTheFocusedLinkOnce_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<QString>("address");
        const QString store = QString::fromStdString(WebAddresses::storeAffiliateHome());
        const QString maker = QString::fromStdString(WebAddresses::makerHomePage());
        const Qt::KeyboardModifiers none;
        QTest::newRow("Enter on the address") << "Label2" << int(Qt::Key_Return) << none << maker;
        QTest::newRow("keypad Enter on the address")
            << "Label2" << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier) << maker;
        QTest::newRow("Space on the address") << "Label2" << int(Qt::Key_Space) << none << maker;
        QTest::newRow("Enter on the banner")
            << "AmazonLink" << int(Qt::Key_Return) << none << store;
        QTest::newRow("Space on the banner") << "AmazonLink" << int(Qt::Key_Space) << none << store;
        QTest::newRow("a letter") << "Label2" << int(Qt::Key_A) << none << QString();
        QTest::newRow("Escape") << "AmazonLink" << int(Qt::Key_Escape) << none << QString();
        QTest::newRow("Ctrl+Enter") << "Label2" << int(Qt::Key_Return)
                                    << Qt::KeyboardModifiers(Qt::ControlModifier) << QString();
    }
    void enterAndSpaceOpenTheFocusedLinkOnce() {
        QFETCH(QString, name);
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(QString, address);
        RecordingShell shell;
        HelpWindow window;
        QVERIFY(showActive(window));
        QWidget* link = control(window, name.toLatin1());
        link->setFocus(Qt::TabFocusReason);
        QTest::keyClick(link, Qt::Key(key), modifiers);
        QKeyEvent repeated(QEvent::KeyPress, key, modifiers, QString(), true);
        QApplication::sendEvent(link, &repeated);
        if (address.isEmpty()) {
            QVERIFY(shell.requests.empty());
        } else {
            QCOMPARE(shell.requests.size(), 1u);
            const HyperlinkModule::ShellRequest expected{
                window.winId(), "open", address.toStdString(), "1", "1", 1};
            QVERIFY(shell.requests.front() == expected);
        }
    }
};

QTEST_MAIN(HelpWindowTest)
#include "HelpWindow_test.moc"
