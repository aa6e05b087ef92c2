// The main window offscreen: its controls through their design names, the letter grid, and the
// Calculate command end to end with typed paths. Messages are answered by the test.
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFontInfo>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <cerrno>
#include <memory>
#include <string>
#include <system_error>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif
#ifdef Q_OS_LINUX
#include <dlfcn.h>
#endif
#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

#include "Label.h"
#include "LetterTally.h"
#include "LineShape.h"
#include "TempDir.h"
#include "main/MainWindow.h"

using glyphmeter::testing::TempDir;
using glyphmeter::ui::Label;
using glyphmeter::ui::LineShape;
using glyphmeter::ui::MainWindow;

namespace {

const QString noFileMessage =
    QStringLiteral("Please select an input file before attempting to calculate frequencies.");

#ifdef Q_OS_WIN
const QString lineEnd = QStringLiteral("\r\n");
#else
const QString lineEnd = QStringLiteral("\n");
#endif

// What Copy Results gives for a file holding "Hello, World".
QString helloWorldTable(QChar separator) {
    const QMap<QChar, int> counts{{u'D', 1}, {u'E', 1}, {u'H', 1}, {u'L', 3},
                                  {u'O', 2}, {u'R', 1}, {u'W', 1}};
    QString table = QStringList{"Letter", "Count", "Frequency"}.join(separator) + lineEnd;
    for (char16_t letter = u'A'; letter <= u'Z'; ++letter) {
        const int count = counts.value(letter);
        table += QStringList{QString(letter), QString::number(count),
                             QStringLiteral("0.") + QString::number(count) + QStringLiteral("000")}
                     .join(separator) +
                 lineEnd;
    }
    return table + QStringLiteral("Total") + separator + QStringLiteral("10") + lineEnd;
}

// A window whose message boxes are recorded instead of shown, with the pointer at each message.
struct Fixture {
    QStringList messages;
    QList<Qt::CursorShape> pointersDuringMessages;
    std::unique_ptr<MainWindow> window;

    explicit Fixture(std::int32_t limit = glyphmeter::analysis::letterLimit) {
        MainWindow::Services services;
        services.messageBox = [this](QWidget* parent, const QString& text) {
            messages.append(text);
            pointersDuringMessages.append(parent->cursor().shape());
        };
        services.letterLimit = limit;
        window = std::make_unique<MainWindow>(services);
    }

    template <class T = QWidget>
    T* control(const QString& name) const {
        T* found = window->findChild<T*>(name);
        if (!found) {
            qFatal("no control %s", qPrintable(name));
        }
        return found;
    }
    Label* label(const QString& name) const { return control<Label>(name); }
    Label* row(const char* array, int r) const {
        return label(QStringLiteral("%1(%2)").arg(QLatin1String(array)).arg(r));
    }
    LineShape* bar(int r) const {
        return control<LineShape>(QStringLiteral("freqLine(%1)").arg(r));
    }

    void calculate(const QString& path) {
        control<QLineEdit>(QStringLiteral("txtSourceFile"))->setText(path);
        control<QPushButton>(QStringLiteral("btnCalcFreq"))->click();
    }

    // Every count and frequency text empty and every bar a stub at 2400..2410.
    bool gridIsReset() const {
        for (int r = 0; r < 26; ++r) {
            if (!row("lblCount", r)->text().isEmpty() || !row("lblFreq", r)->text().isEmpty() ||
                bar(r)->x1() != 2400.0f || bar(r)->x2() != 2410.0f) {
                return false;
            }
        }
        return true;
    }

    int elementCount(const QString& array) const {
        const QRegularExpression name(QStringLiteral("^%1\\(\\d+\\)$").arg(array));
        return static_cast<int>(window->findChildren<QWidget*>(name).size());
    }
};

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void controlsSitWhereDesigned_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("pixels");
        QTest::newRow("btnCalcFreq") << "btnCalcFreq" << QRect(416, 168, 105, 145);
        QTest::newRow("btnHelp") << "btnHelp" << QRect(416, 320, 105, 57);
        QTest::newRow("btnSelectFile") << "btnSelectFile" << QRect(416, 456, 105, 19);
        QTest::newRow("txtSourceFile") << "txtSourceFile" << QRect(56, 456, 353, 19);
        QTest::newRow("pctLogo") << "pctLogo" << QRect(416, 16, 105, 89);
        QTest::newRow("Label7") << "Label7" << QRect(408, 0, 121, 481);
        QTest::newRow("Label1") << "Label1" << QRect(8, 457, 49, 25);
        QTest::newRow("lblProgramName") << "lblProgramName" << QRect(416, 112, 113, 49);
        QTest::newRow("lblMaxFreq") << "lblMaxFreq" << QRect(360, 0, 47, 17);
        QTest::newRow("lblFreqHeading(1)") << "lblFreqHeading(1)" << QRect(8, 0, 97, 17);
        QTest::newRow("lblCountHeading(1)") << "lblCountHeading(1)" << QRect(72, 0, 57, 17);
        QTest::newRow("LabelChar(0)") << "LabelChar(0)" << QRect(136, 16, 17, 17);
        QTest::newRow("lblCount(0)") << "lblCount(0)" << QRect(72, 16, 57, 17);
        QTest::newRow("lblFreq(0)") << "lblFreq(0)" << QRect(8, 16, 57, 17);
    }
    void controlsSitWhereDesigned() {
        QFETCH(QString, name);
        QFETCH(QRect, pixels);
        Fixture f;
        QCOMPARE(f.control(name)->geometry(), pixels);
    }

    void captionsAreVerbatim_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::newRow("btnCalcFreq") << "btnCalcFreq"
                                     << "Calculate Frequency";
        QTest::newRow("btnHelp") << "btnHelp"
                                 << "Help";
        QTest::newRow("btnSelectFile") << "btnSelectFile"
                                       << "Select File";
        QTest::newRow("txtSourceFile") << "txtSourceFile"
                                       << "Select a source file...";
        QTest::newRow("Label2") << "Label2"
                                << "Total Characters";
        QTest::newRow("lblTotalChars") << "lblTotalChars"
                                       << "0";
        QTest::newRow("Label1") << "Label1"
                                << "Source";
        QTest::newRow("lblProgramName") << "lblProgramName"
                                        << "Glyphmeter";
        QTest::newRow("lblGraphMin") << "lblGraphMin"
                                     << "0.0000";
        QTest::newRow("lblMaxFreq") << "lblMaxFreq"
                                    << "";
        QTest::newRow("lblFreqHeading(1)") << "lblFreqHeading(1)"
                                           << "Frequency";
        QTest::newRow("lblCountHeading(1)") << "lblCountHeading(1)"
                                            << "Count";
        QTest::newRow("LabelChar(0)") << "LabelChar(0)"
                                      << "A";
        QTest::newRow("Label6") << "Label6"
                                << "";
        QTest::newRow("Label7") << "Label7"
                                << "";
    }
    void captionsAreVerbatim() {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        Fixture f;
        QCOMPARE(f.control(name)->property("text").toString(), caption);
    }

    void windowIsFixedWithCloseBoxOnlyAndOpensWhereDesigned() {
        Fixture f;
        MainWindow& w = *f.window;
        QCOMPARE(w.windowTitle(), QStringLiteral("Glyphmeter"));
        QCOMPARE(w.size(), QSize(529, 478));
        QCOMPARE(w.minimumSize(), w.maximumSize());
        QVERIFY(!(w.windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(w.windowFlags() & Qt::WindowCloseButtonHint);
        QCOMPARE(w.geometry().topLeft(), QPoint(211, 212));
        QCOMPARE(w.palette().color(QPalette::Window), QColor(224, 224, 224));
        QVERIFY(!w.windowIcon().isNull());
        QCOMPARE(w.windowIcon().availableSizes().value(0), QSize(32, 32));
        QCOMPARE(w.cursor().shape(), Qt::ArrowCursor);
    }

    void fontsAreVerdanaOrItsMetricStandIn() {
        Fixture f;
        const QFontInfo resolved(f.window->font());
        QVERIFY2(resolved.family() == QLatin1String("Verdana") ||
                     resolved.family() == QLatin1String("DejaVu Sans"),
                 qPrintable(resolved.family()));
        QCOMPARE(f.window->font().pointSizeF(), 8.25);
        QVERIFY(!f.window->font().bold());
        QVERIFY(f.label(QStringLiteral("Label1"))->font().bold());
        QVERIFY(f.label(QStringLiteral("lblFreqHeading(1)"))->font().bold());
        QVERIFY(f.label(QStringLiteral("lblCountHeading(1)"))->font().bold());
        QCOMPARE(f.label(QStringLiteral("lblProgramName"))->font().pointSizeF(), 15.75);
        QCOMPARE(f.row("lblCount", 7)->font(), f.window->font());
    }

    void backgroundsAlignmentAndDrawingOrder() {
        Fixture f;
        QVERIFY(f.label(QStringLiteral("Label7"))->isOpaque());
        QCOMPARE(f.label(QStringLiteral("Label6"))->palette().color(QPalette::Window),
                 QColor(192, 192, 192));
        QVERIFY(!f.label(QStringLiteral("lblGraphMin"))->isOpaque());
        QCOMPARE(f.row("lblCount", 0)->palette().color(QPalette::Window), QColor(224, 224, 224));
        QCOMPARE(f.row("lblCount", 0)->alignment(), Qt::AlignRight | Qt::AlignTop);
        QCOMPARE(f.row("LabelChar", 0)->alignment(), Qt::AlignHCenter | Qt::AlignTop);
        QCOMPARE(f.label(QStringLiteral("lblCountHeading(1)"))->alignment(),
                 Qt::AlignRight | Qt::AlignTop);
        // Label6 covers the top of LabelChar(0); the side panel lies behind its captions.
        const QObjectList order = f.window->children();  // back to front
        QVERIFY(order.indexOf(f.row("LabelChar", 0)) < order.indexOf(f.label("Label6")));
        QVERIFY(order.indexOf(f.label("Label7")) < order.indexOf(f.label("lblProgramName")));
        // The logo is clipped by its box, never scaled.
        auto* logo = f.control<QLabel>(QStringLiteral("pctLogo"));
        QCOMPARE(logo->pixmap().size(), QSize(125, 94));
        QVERIFY(!logo->hasScaledContents());
    }

    void tabOrderStartsAtCalculate() {
        Fixture f;
        const auto nextTabStop = [](QWidget* from) {
            QWidget* next = from->nextInFocusChain();
            while (!(next->focusPolicy() & Qt::TabFocus)) {
                next = next->nextInFocusChain();
            }
            return next;
        };
        QWidget* calc = f.control(QStringLiteral("btnCalcFreq"));
        QCOMPARE(nextTabStop(calc), f.control(QStringLiteral("btnSelectFile")));
        QCOMPARE(nextTabStop(f.control(QStringLiteral("btnSelectFile"))),
                 f.control(QStringLiteral("btnHelp")));
        QCOMPARE(nextTabStop(f.control(QStringLiteral("btnHelp"))),
                 f.control(QStringLiteral("txtSourceFile")));
        QCOMPARE(nextTabStop(f.control(QStringLiteral("txtSourceFile"))), calc);
        QCOMPARE(f.window->focusWidget(), calc);
    }

    void textsStayDarkUnderDarkTheme() {
        const QPalette original = QApplication::palette();
        QPalette dark = original;
        dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
        dark.setColor(QPalette::Window, QColor(40, 40, 40));
        QApplication::setPalette(dark);
        Fixture f;
        QApplication::setPalette(original);

        for (const char* name : {"lblGraphMin", "Label2", "lblProgramName", "LabelChar(3)"}) {
            const QColor text = f.label(QLatin1String(name))->palette().color(QPalette::WindowText);
            QVERIFY2(text.lightness() < 80, name);
        }
        QVERIFY(f.bar(5)->borderColor().lightness() < 80);
        // And drawn so: the caption's pixels are dark on the light grey.
        const QImage caption = f.label(QStringLiteral("Label2"))->grab().toImage();
        int dark_pixels = 0;
        for (int y = 0; y < caption.height(); ++y) {
            for (int x = 0; x < caption.width(); ++x) {
                dark_pixels += QColor(caption.pixel(x, y)).lightness() < 80;
            }
        }
        QVERIFY(dark_pixels > 20);
    }

    void firstCallBuildsTwentySixRowsFromRowZero() {
        Fixture f;
        for (const char* array : {"LabelChar", "lblCount", "lblFreq", "freqLine"}) {
            QCOMPARE(f.elementCount(QLatin1String(array)), 26);
        }
        QCOMPARE(f.row("LabelChar", 1)->twipsTop(), 490.0f);
        QCOMPARE(f.row("lblCount", 1)->twipsTop(), 490.0f);
        QCOMPARE(f.bar(1)->y1(), 610.0f);
        QCOMPARE(f.row("lblFreq", 25)->twipsTop(), 6490.0f);
        QCOMPARE(f.row("LabelChar", 25)->twipsLeft(), 2040.0f);
        QCOMPARE(f.bar(25)->y2(), 6610.0f);
        QVERIFY(f.gridIsReset());
        for (int r = 0; r < 26; ++r) {
            QCOMPARE(f.row("LabelChar", r)->text(), QString(QChar(u'A' + r)));
            QVERIFY(f.row("lblCount", r)->isVisibleTo(f.window.get()));
            QVERIFY(f.bar(r)->isVisibleTo(f.window.get()));
        }
        // Created rows look like row 0.
        Label* first = f.row("LabelChar", 0);
        Label* last = f.row("LabelChar", 25);
        QCOMPARE(last->size(), first->size());
        QCOMPARE(last->palette().color(QPalette::Window), QColor(192, 192, 192));
        QCOMPARE(last->alignment(), first->alignment());
        QCOMPARE(f.bar(25)->borderWidth(), 5);
    }

    void resettingCreatesNothingAndRestoresTheGrid() {
        Fixture f;
        TempDir dir;
        f.calculate(QString::fromStdString(dir.write("hello.txt", "Hello, World").string()));
        QVERIFY(!f.gridIsReset());
        f.window->resetLetterRows();
        QVERIFY(f.gridIsReset());
        QCOMPARE(f.elementCount(QStringLiteral("lblFreq")), 26);
        QCOMPARE(f.row("LabelChar", 25)->twipsTop(), 6490.0f);
        QCOMPARE(f.row("LabelChar", 25)->text(), QStringLiteral("Z"));
        // Building the rows again creates no second control for any index either.
        f.window->buildLetterRows();
        QCOMPARE(f.elementCount(QStringLiteral("freqLine")), 26);
    }

    void pathsThatNameNoOrdinaryFileAreRefused_data() {
        QTest::addColumn<QString>("path");
        static TempDir dir;
        QTest::newRow("initial text") << "Select a source file...";
        QTest::newRow("empty") << "";
        QTest::newRow("directory") << QString::fromStdString(dir.path().string());
        QTest::newRow("missing") << QString::fromStdString((dir.path() / "gone.txt").string());
        const auto spaced = dir.write("spaced.txt", "abc");
        QTest::newRow("not trimmed") << QString::fromStdString(spaced.string()) + u' ';
#ifdef Q_OS_UNIX
        QTest::newRow("hidden") << QString::fromStdString(dir.write(".hidden.txt", "abc").string());
#endif
#ifdef Q_OS_WIN
        // On Windows hidden and system files are so by their attributes, not by their names.
        const auto markedAs = [&](const char* name, DWORD attribute) {
            const auto file = dir.write(name, "abc");
            SetFileAttributesW(file.c_str(), attribute);
            return QString::fromStdWString(file.wstring());
        };
        QTest::newRow("hidden attribute") << markedAs("hidden.txt", FILE_ATTRIBUTE_HIDDEN);
        QTest::newRow("system file") << markedAs("system.txt", FILE_ATTRIBUTE_SYSTEM);
#endif
#ifdef Q_OS_UNIX
        const auto fifo = dir.path() / "fifo";
        mkfifo(fifo.c_str(), 0600);
        QTest::newRow("fifo") << QString::fromStdString(fifo.string());
        QTest::newRow("device") << "/dev/zero";
#endif
    }
    void pathsThatNameNoOrdinaryFileAreRefused() {
        QFETCH(QString, path);
        Fixture f;
        f.calculate(path);
        QCOMPARE(f.messages, QStringList{noFileMessage});
        QCOMPARE(f.pointersDuringMessages.value(0), Qt::WaitCursor);
        QVERIFY(f.gridIsReset());
        QCOMPARE(f.label(QStringLiteral("lblTotalChars"))->text(), QStringLiteral("0"));
        QCOMPARE(f.label(QStringLiteral("lblMaxFreq"))->text(), QString());
        QCOMPARE(f.window->cursor().shape(), Qt::ArrowCursor);
    }

    void helloWorldShowsTheWorkedExample() {
        Fixture f;
        TempDir dir;
        f.calculate(QString::fromStdString(dir.write("hello.txt", "Hello, World").string()));
        QVERIFY(f.messages.isEmpty());
        const int L = 'L' - 'A', O = 'O' - 'A', H = 'H' - 'A', Z = 'Z' - 'A';
        QCOMPARE(f.row("lblCount", L)->text(), QStringLiteral(" 3"));
        QCOMPARE(f.row("lblFreq", L)->text(), QStringLiteral(" .3"));
        QCOMPARE(f.row("lblFreq", O)->text(), QStringLiteral(" .2"));
        QCOMPARE(f.row("lblCount", H)->text(), QStringLiteral(" 1"));
        QCOMPARE(f.row("lblCount", Z)->text(), QStringLiteral(" 0"));
        QCOMPARE(f.row("lblFreq", Z)->text(), QStringLiteral(" 0"));
        QCOMPARE(f.bar(L)->x2(), 5910.0f);
        QCOMPARE(f.bar(O)->x2(), 4743.3333f);
        QCOMPARE(f.bar(H)->x2(), 3576.6667f);
        QCOMPARE(f.bar(Z)->x2(), 2410.0f);
        QCOMPARE(f.bar(L)->x1(), 2400.0f);
        QCOMPARE(f.bar(L)->y1(), 360.0f + 250 * L);
        QCOMPARE(f.label(QStringLiteral("lblTotalChars"))->text(), QStringLiteral(" 10"));
        QCOMPARE(f.window->cursor().shape(), Qt::ArrowCursor);
    }

    // Typed as a user types them. On Windows names outside the ANSI code page reach the file only
    // through the wide file functions.
    void pathsWithNonAsciiNamesAreCounted_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("Latin-1") << QStringLiteral("Zählung für Ærø.txt");
        QTest::newRow("Greek") << QStringLiteral("Γράμματα.txt");
        QTest::newRow("Japanese folder") << QStringLiteral("文字/数える.txt");
        QTest::newRow("outside the BMP") << QStringLiteral("letters \U0001F600.txt");
    }
    void pathsWithNonAsciiNamesAreCounted() {
        QFETCH(QString, name);
        Fixture f;
        TempDir dir;
        // Made through Qt, which uses the wide file functions on Windows too.
        const QString path = QDir::toNativeSeparators(
            QDir(QString::fromStdU16String(dir.path().u16string())).filePath(name));
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Hello, World");
        file.close();
        auto* box = f.control<QLineEdit>(QStringLiteral("txtSourceFile"));
        box->clear();
        // One key press per character (QTest::keyClicks knows ASCII keys only).
        for (qsizetype i = 0; i < path.size(); ++i) {
            const qsizetype length = path[i].isHighSurrogate() ? 2 : 1;
            QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, path.mid(i, length),
                                Qt::NoModifier);
            i += length - 1;
        }
        QCOMPARE(box->text(), path);
        QTest::mouseClick(f.control<QPushButton>(QStringLiteral("btnCalcFreq")), Qt::LeftButton);
        QCOMPARE(f.messages, QStringList());
        QCOMPARE(f.label(QStringLiteral("lblTotalChars"))->text(), QStringLiteral(" 10"));
        QCOMPARE(f.row("lblCount", 'L' - 'A')->text(), QStringLiteral(" 3"));
    }

    void maxFrequencyUsesTheSystemDecimalSeparator() {
        // Run once under the pinned English locale and once more under a decimal-comma locale.
        const QString expectedSeparator = qEnvironmentVariable("GLYPHMETER_TEST_DECIMAL_SEPARATOR");
        if (!expectedSeparator.isEmpty()) {
            QCOMPARE(QLocale::system().decimalPoint(), expectedSeparator);
        }
        Fixture f;
        TempDir dir;
        f.calculate(QString::fromStdString(dir.write("hello.txt", "Hello, World").string()));
        QCOMPARE(f.label(QStringLiteral("lblMaxFreq"))->text(),
                 QStringLiteral("0") + QLocale::system().decimalPoint() + u'3');
        QCOMPARE(f.row("lblFreq", 'L' - 'A')->text(), QStringLiteral(" .3"));
    }

    void secondRunShowsOnlyItsOwnResults() {
        Fixture f;
        TempDir dir;
        f.calculate(QString::fromStdString(dir.write("hello.txt", "Hello, World").string()));
        f.calculate(QString::fromStdString(dir.write("abc.txt", "abc").string()));
        // 1/3 is 333 thousandths, a little less than 1000 * 1/3: 3496.5 twips of growth.
        QCOMPARE(f.bar(0)->x2(), 5906.5f);
        QCOMPARE(f.bar('L' - 'A')->x2(), 2410.0f);
        QCOMPARE(f.row("lblCount", 'L' - 'A')->text(), QStringLiteral(" 0"));
        QCOMPARE(f.row("lblFreq", 'B' - 'A')->text(), QStringLiteral(" .3333"));
        QCOMPARE(f.label(QStringLiteral("lblTotalChars"))->text(), QStringLiteral(" 3"));
        QCOMPARE(f.label(QStringLiteral("lblMaxFreq"))->text(),
                 QStringLiteral("0") + QLocale::system().decimalPoint() +
                     QStringLiteral("333333333333333"));
    }

    void failedCheckAfterSuccessKeepsTotalAndLargestFrequency() {
        Fixture f;
        TempDir dir;
        f.calculate(QString::fromStdString(dir.write("hello.txt", "Hello, World").string()));
        const QString maxFreq = f.label(QStringLiteral("lblMaxFreq"))->text();
        f.calculate(QString::fromStdString(dir.path().string()));
        QCOMPARE(f.messages, QStringList{noFileMessage});
        QVERIFY(f.gridIsReset());
        QCOMPARE(f.label(QStringLiteral("lblTotalChars"))->text(), QStringLiteral(" 10"));
        QCOMPARE(f.label(QStringLiteral("lblMaxFreq"))->text(), maxFreq);
    }

    void fileWithoutLettersShowsZeroCountsAndNoFrequencies() {
        Fixture f;
        TempDir dir;
        f.calculate(QString::fromStdString(dir.write("empty.txt", "").string()));
        QVERIFY(f.messages.isEmpty());
        for (int r = 0; r < 26; ++r) {
            QCOMPARE(f.row("lblCount", r)->text(), QStringLiteral(" 0"));
            QCOMPARE(f.row("lblFreq", r)->text(), QString());
            QCOMPARE(f.bar(r)->x2(), 2410.0f);
        }
        QCOMPARE(f.label(QStringLiteral("lblMaxFreq"))->text(), QStringLiteral("0"));
        QCOMPARE(f.label(QStringLiteral("lblTotalChars"))->text(), QStringLiteral(" 0"));
    }

    void letterLimitStopsWithMessageThenShowsCountedLetters() {
        Fixture f(5);
        TempDir dir;
        f.calculate(QString::fromStdString(dir.write("hello.txt", "Hello, World").string()));
        QCOMPARE(f.messages,
                 QStringList{QString::fromStdString(glyphmeter::analysis::limitMessage(5))});
        QCOMPARE(f.pointersDuringMessages.value(0), Qt::WaitCursor);
        QCOMPARE(f.label(QStringLiteral("lblTotalChars"))->text(), QStringLiteral(" 5"));
        QCOMPARE(f.row("lblCount", 'L' - 'A')->text(), QStringLiteral(" 2"));  // "Hello"
        QCOMPARE(f.bar('L' - 'A')->x2(), 5910.0f);
        QCOMPARE(f.window->cursor().shape(), Qt::ArrowCursor);
    }

    void readFailureIsReportedAndShowsNothing() {
#ifndef Q_OS_LINUX
        QSKIP("needs /proc/self/mem, a regular file whose first read fails");
#endif
        Fixture f;
        TempDir dir;
        f.calculate(QString::fromStdString(dir.write("hello.txt", "Hello, World").string()));
        f.messages.clear();
        f.calculate(QStringLiteral("/proc/self/mem"));
        QCOMPARE(f.messages.size(), 1);
        QVERIFY2(f.messages[0].contains(QStringLiteral("\"/proc/self/mem\"")),
                 qPrintable(f.messages[0]));
        QVERIFY2(f.messages[0].contains(QStringLiteral("Input/output error")),
                 qPrintable(f.messages[0]));
        QVERIFY(f.gridIsReset());
        QCOMPARE(f.label(QStringLiteral("lblTotalChars"))->text(), QStringLiteral(" 10"));
        QCOMPARE(f.label(QStringLiteral("lblMaxFreq"))->text().left(2),
                 QStringLiteral("0") + QLocale::system().decimalPoint());
        QCOMPARE(f.window->cursor().shape(), Qt::ArrowCursor);
        // The window goes on working.
        f.calculate(QString::fromStdString(dir.write("abc.txt", "abc").string()));
        QCOMPARE(f.label(QStringLiteral("lblTotalChars"))->text(), QStringLiteral(" 3"));
    }

    // A failure inside the tally's second reader thread (here: no memory for its buffer) is the
    // file's failure, told like a read error; it never ends the program.
    void secondReaderFailureIsReported() {
        if (glyphmeter::analysis::processorCount() < 2) {
            QSKIP("the tally reads with one thread on one processor");
        }
        Fixture f;
        TempDir dir;
        const QString path =
            QString::fromStdString(dir.write("long.txt", std::string(3 << 20, 'a')).string());
        glyphmeter::analysis::detail::secondReaderStarting = [] { throw std::bad_alloc(); };
        f.calculate(path);
        glyphmeter::analysis::detail::secondReaderStarting = nullptr;
        const QString noMemory =
            QString::fromStdString(std::generic_category().message(ENOMEM)).remove(u'.');
        QCOMPARE(f.messages,
                 QStringList{"Could not read the file \"" + path + "\": " + noMemory + "."});
        QVERIFY(f.gridIsReset());
        QCOMPARE(f.window->cursor().shape(), Qt::ArrowCursor);
    }

    // Run with the read-failure shim preloaded (its own test entry): reads of a 4 MiB file fail
    // from a chosen offset on, before and inside the 1 MiB block where the limit falls, and after
    // it, where the limit stops the reading first.
    void readFailureInTheMiddleIsReportedAndKeepsTheTotals() {
#ifdef Q_OS_LINUX
        if (dlsym(RTLD_DEFAULT, "glyphmeter_read_failure_shim") == nullptr) {
            QSKIP("needs the read-failure shim preloaded");
        }
        constexpr std::size_t mebibyte = std::size_t{1} << 20;
        std::string text;
        while (text.size() < 4 * mebibyte) {
            text += "Hello, World\n";  // 10 letters in 13 bytes
        }
        TempDir dir;
        const auto path = dir.write("large.txt", text);
        const std::int32_t limit = (2 * mebibyte + mebibyte / 2) / 13 * 10;  // in block 2
        Fixture f(limit);
        f.calculate(QString::fromStdString(dir.write("hello.txt", "Hello, World").string()));
        qputenv("GLYPHMETER_FAIL_READ_PATH", QByteArray::fromStdString(path.string()));
        for (const std::size_t failAt : {mebibyte / 2, 2 * mebibyte + 7, 3 * mebibyte}) {
            f.messages.clear();
            qputenv("GLYPHMETER_FAIL_READ_AT", QByteArray::number(qulonglong{failAt}));
            f.calculate(QString::fromStdString(path.string()));
            if (failAt >= 3 * mebibyte) {
                QCOMPARE(
                    f.messages,
                    QStringList{QString::fromStdString(glyphmeter::analysis::limitMessage(limit))});
                QCOMPARE(f.label(QStringLiteral("lblTotalChars"))->text(),
                         QStringLiteral(" %1").arg(limit));
                continue;
            }
            QCOMPARE(f.messages.size(), 1);
            QVERIFY2(f.messages[0].contains(QStringLiteral("Input/output error")),
                     qPrintable(f.messages[0]));
            QVERIFY2(f.messages[0].contains(QStringLiteral("large.txt")),
                     qPrintable(f.messages[0]));
            QVERIFY(f.gridIsReset());
            QCOMPARE(f.label(QStringLiteral("lblTotalChars"))->text(), QStringLiteral(" 10"));
            QCOMPARE(f.window->cursor().shape(), Qt::ArrowCursor);
        }
        qunsetenv("GLYPHMETER_FAIL_READ_PATH");
        qunsetenv("GLYPHMETER_FAIL_READ_AT");
#else
        QSKIP("the read-failure shim is preloaded on Linux only");
#endif
    }

    // Only a single local file is taken; it opens as if typed and calculated.
    void dropTakesOneLocalFile_data() {
        QTest::addColumn<QList<QUrl>>("urls");
        QTest::addColumn<QString>("text");  // the drag's plain text
        QTest::addColumn<bool>("taken");
        static TempDir dir;
        const QString hello = QString::fromStdString(dir.write("hello.txt", "Hello").string());
        const QString other = QString::fromStdString(dir.write("other.txt", "abc").string());
        QTest::newRow("one file") << QList{QUrl::fromLocalFile(hello)} << "" << true;
        QTest::newRow("two files")
            << QList{QUrl::fromLocalFile(hello), QUrl::fromLocalFile(other)} << "" << false;
        QTest::newRow("web address")
            << QList{QUrl(QStringLiteral("https://example.org/a.txt"))} << "" << false;
        QTest::newRow("text") << QList<QUrl>{} << hello << false;
    }
    void dropTakesOneLocalFile() {
        QFETCH(QList<QUrl>, urls);
        QFETCH(QString, text);
        QFETCH(bool, taken);
        Fixture f;
        QMimeData data;
        data.setUrls(urls);
        if (!text.isEmpty()) {
            data.setText(text);
        }
        const QPoint onThePathBox = f.control(QStringLiteral("txtSourceFile"))->geometry().center();
        QVERIFY(f.window->acceptDrops());
        QVERIFY(!f.control(QStringLiteral("txtSourceFile"))->acceptDrops());

        QDragEnterEvent enter(onThePathBox, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f.window.get(), &enter);
        QCOMPARE(enter.isAccepted(), taken);
        QDropEvent drop(QPointF(onThePathBox), Qt::CopyAction, &data, Qt::LeftButton,
                        Qt::NoModifier);
        QApplication::sendEvent(f.window.get(), &drop);
        QCOMPARE(drop.isAccepted(), taken);

        const QString path = taken ? QDir::toNativeSeparators(urls[0].toLocalFile())
                                   : QStringLiteral("Select a source file...");
        QTRY_COMPARE(f.label(QStringLiteral("lblTotalChars"))->text(),
                     taken ? QStringLiteral(" 5") : QStringLiteral("0"));
        QCOMPARE(f.control<QLineEdit>(QStringLiteral("txtSourceFile"))->text(), path);
        QVERIFY(f.messages.isEmpty());
    }

    // Ctrl+C copies the results shown; nothing before a calculation or after a failed one; the
    // path box's selection when it has one.
    void copyPutsTheShownResultsOnTheClipboard_data() {
        QTest::addColumn<QStringList>("files");  // calculated in this order
        QTest::addColumn<QString>("focus");      // "window", "path box" or "selection" in it
        QTest::addColumn<QString>("copied");     // "results", the path, or "" for nothing
        static TempDir dir;
        const QString hello =
            QString::fromStdString(dir.write("hello.txt", "Hello, World").string());
        const QString missing = QString::fromStdString((dir.path() / "gone.txt").string());
        QTest::newRow("before any calculation") << QStringList{} << "window"
                                                << "";
        QTest::newRow("results") << QStringList{hello} << "window"
                                 << "results";
        QTest::newRow("after a failed calculation") << QStringList{hello, missing} << "window"
                                                    << "";
        QTest::newRow("path box") << QStringList{hello} << "path box"
                                  << "results";
        QTest::newRow("path box selection") << QStringList{hello} << "selection" << hello;
    }
    void copyPutsTheShownResultsOnTheClipboard() {
        QFETCH(QStringList, files);
        QFETCH(QString, focus);
        QFETCH(QString, copied);
        Fixture f;
        for (const QString& file : files) {
            f.calculate(file);
        }
        f.window->show();
        QApplication::setActiveWindow(f.window.get());
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        auto* pathBox = f.control<QLineEdit>(QStringLiteral("txtSourceFile"));
        QWidget* focused = focus == u"window" ? f.control(QStringLiteral("btnHelp")) : pathBox;
        focused->setFocus();
        if (focus == u"selection") {
            pathBox->selectAll();
        }
        QApplication::clipboard()->setText(QStringLiteral("untouched"));

        QTest::keyClick(focused, Qt::Key_C, Qt::ControlModifier);
        const QMimeData* data = QApplication::clipboard()->mimeData();
        if (copied.isEmpty()) {
            QCOMPARE(data->text(), QStringLiteral("untouched"));
        } else if (copied == u"results") {
            QCOMPARE(data->text(), helloWorldTable(u'\t'));
            QCOMPARE(QString::fromUtf8(data->data(QStringLiteral("text/csv"))),
                     helloWorldTable(u','));
        } else {
            QCOMPARE(data->text(), copied);
        }
    }

    // The chart's context menu offers Copy Results; the side panel has no menu.
    void chartMenuCopiesTheResults() {
        Fixture f;
        TempDir dir;
        f.calculate(QString::fromStdString(dir.write("hello.txt", "Hello, World").string()));
        f.window->show();
        QApplication::clipboard()->clear();
        QStringList menus;
        QTimer answer;
        connect(&answer, &QTimer::timeout, [&] {
            // Any menu that is up, also one the platform could not make the active popup.
            for (QWidget* shown : QApplication::topLevelWidgets()) {
                auto* menu = qobject_cast<QMenu*>(shown);
                if (!menu || !menu->isVisible()) {
                    continue;
                }
                QAction* first = menu->actions().value(0);
                menus << QStringLiteral("%1 %2").arg(first->text(), first->shortcut().toString());
                menu->close();
                first->trigger();
            }
        });
        answer.start(10);
        const auto rightClick = [&](QWidget* on) {
            const QPoint inside = on->rect().center();
            QContextMenuEvent event(QContextMenuEvent::Mouse, inside, on->mapToGlobal(inside));
            QApplication::sendEvent(on, &event);
        };
        rightClick(f.label(QStringLiteral("lblTotalChars")));
        QCOMPARE(menus, QStringList{});
        rightClick(f.row("lblCount", 7));
        QCOMPARE(menus, QStringList{"Copy Results Ctrl+C"});
        QCOMPARE(QApplication::clipboard()->text(), helloWorldTable(u'\t'));

        // From the keyboard (Shift+F10, the menu key) with the focus anywhere but the path box.
        f.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        f.control(QStringLiteral("btnHelp"))->setFocus();
        QTest::keyClick(f.control(QStringLiteral("btnHelp")), Qt::Key_F10, Qt::ShiftModifier);
        // The menu key, as the platform reports it to the window.
        QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(), QPoint());
        QApplication::sendEvent(f.window->windowHandle(), &menuKey);
        QCOMPARE(menus, QStringList(3, QStringLiteral("Copy Results Ctrl+C")));
    }

    void realMessageBoxIsModalTitledWithOneOkButtonAndNoIcon() {
        MainWindow window;
        window.show();
        QString title, text;
        QMessageBox::Icon icon = QMessageBox::Information;
        QList<QAbstractButton*> buttons;
        Qt::CursorShape pointer = Qt::BlankCursor;
        QTimer answer;
        answer.setInterval(10);
        connect(&answer, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) {
                return;
            }
            answer.stop();
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            buttons = box->buttons();
            pointer = window.cursor().shape();
            box->button(QMessageBox::Ok)->click();
        });
        answer.start();
        window.findChild<QPushButton*>(QStringLiteral("btnCalcFreq"))->click();
        QCOMPARE(title, QStringLiteral("Glyphmeter"));
        QCOMPARE(text, noFileMessage);
        QCOMPARE(icon, QMessageBox::NoIcon);
        QCOMPARE(buttons.size(), 1);
        QCOMPARE(pointer, Qt::WaitCursor);
        QCOMPARE(window.cursor().shape(), Qt::ArrowCursor);
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    MainWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "MainWindow_test.moc"
