// The program's start: the command line it reads, the window it shows with a FILE counted at once,
// and --help and --version answered by the real program without a display.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QTest>
#include <QWindow>

#include "StartUp.h"
#include "TempDir.h"
#include "main/MainWindow.h"

using glyphmeter::testing::TempDir;
using glyphmeter::ui::MainWindow;

namespace {

const QString noFileMessage =
    QStringLiteral("Please select an input file before attempting to calculate frequencies.");

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
  public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

}  // namespace

class StartUpTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { glyphmeter::app::nameProgram(); }

    void firstFileIsTheOneToOpen_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("file");
        QTest::newRow("none") << QStringList{} << QString();
        QTest::newRow("one") << QStringList{"/data/a b.txt"} << "/data/a b.txt";
        QTest::newRow("several") << QStringList{"first.txt", "second.txt"} << "first.txt";
        QTest::newRow("after --") << QStringList{"--", "-dash.txt"} << "-dash.txt";
    }
    void firstFileIsTheOneToOpen() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, file);
        arguments.prepend(QStringLiteral("glyphmeter"));
        QCOMPARE(glyphmeter::app::fileToOpen(arguments), file);
    }

    // As if typed and calculated: results for a file, the designed message for a missing one,
    // the window as designed without a file.
    void startsWithTheFileCalculated_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("total");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("file") << "hello.txt"
                              << " 10" << QStringList{};
        QTest::newRow("missing") << "gone.txt"
                                 << "0" << QStringList{noFileMessage};
        QTest::newRow("no file") << ""
                                 << "0" << QStringList{};
    }
    void startsWithTheFileCalculated() {
        QFETCH(QString, name);
        QFETCH(QString, total);
        QFETCH(QStringList, messages);
        TempDir dir;
        dir.write("hello.txt", "Hello, World");
        const QString path =
            name.isEmpty() ? QString()
                           : QString::fromStdString((dir.path() / name.toStdString()).string());
        QStringList shown;
        MainWindow::Services services;
        services.messageBox = [&](QWidget* parent, const QString& text) {
            QVERIFY(parent->isVisible());
            shown << text;
        };
        MainWindow window(services);

        glyphmeter::app::showWindow(window, path);
        QVERIFY(window.isVisible());
        const auto* totalLabel = window.findChild<QLabel*>(QStringLiteral("lblTotalChars"));
        QTRY_COMPARE(totalLabel->text() + shown.join(u'|'), total + messages.join(u'|'));
        QCOMPARE(window.findChild<QLineEdit*>(QStringLiteral("txtSourceFile"))->text(),
                 path.isEmpty() ? QStringLiteral("Select a source file...") : path);
    }

    // A long count blocks the window: it must already be on the screen, with the hourglass.
    void fileIsCountedOnceTheWindowIsPainted() {
        TempDir dir;
        const QString path =
            QString::fromStdString(dir.write("hello.txt", "Hello, World").string());
        MainWindow* shown = nullptr;
        PaintCounter painting;
        int paintsBeforeCount = -1;
        bool exposedAtCount = false;
        Qt::CursorShape pointerAtCount = Qt::ArrowCursor;
        MainWindow::Services services;
        services.countLetters = [&](const std::filesystem::path& file,
                                    const glyphmeter::analysis::MessageSink& limitMessageSink,
                                    std::int32_t limit) {
            paintsBeforeCount = painting.paints;
            exposedAtCount = shown->windowHandle()->isExposed();
            pointerAtCount = shown->cursor().shape();
            auto input = glyphmeter::analysis::InputFile::open(file);
            return glyphmeter::analysis::tallyLetters(input, limitMessageSink, limit);
        };
        MainWindow window(services);
        shown = &window;
        window.installEventFilter(&painting);

        glyphmeter::app::showWindow(window, path);
        QCOMPARE(paintsBeforeCount, -1);
        const auto* totalLabel = window.findChild<QLabel*>(QStringLiteral("lblTotalChars"));
        QTRY_COMPARE(totalLabel->text(), QStringLiteral(" 10"));
        QVERIFY(paintsBeforeCount > 0);
        QVERIFY(exposedAtCount);
        QCOMPARE(pointerAtCount, Qt::WaitCursor);
        QCOMPARE(window.cursor().shape(), Qt::ArrowCursor);
    }

    void kernelVariableNotFollowedIsReported() {
        QCOMPARE(glyphmeter::app::kernelWarning(nullptr), std::string());
        QCOMPARE(glyphmeter::app::kernelWarning("scalar"), std::string());
        QCOMPARE(glyphmeter::app::kernelWarning("fast"),
                 std::string("glyphmeter: GLYPHMETER_KERNEL: unknown kernel 'fast' (scalar, avx2, "
                             "avx512bw, avx512vbmi); counting with the fastest kernel instead\n"));
    }

    void helpAndVersionNeedNoDisplay_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("platform");  // empty: no display of any kind
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("error");
        QTest::newRow("help") << QStringList{"--help"} << "" << 0 << "[options] [FILE...]"
                              << "";
        QTest::newRow("help among files")
            << QStringList{"a.txt", "-h"} << "" << 0 << "When several are given"
            << "";
        QTest::newRow("version") << QStringList{"--version"} << "" << 0 << "Glyphmeter 1.05"
                                 << "";
        // A wrong option is read by the windowed application, which needs a platform: on
        // Windows the program holds only the system's own, which a headless run under Wine
        // lacks.
#ifndef Q_OS_WIN
        QTest::newRow("unknown option") << QStringList{"--bogus", "a.txt"} << "offscreen" << 1 << ""
                                        << "Unknown option 'bogus'.";
#endif
    }
    void helpAndVersionNeedNoDisplay() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, platform);
        QFETCH(int, status);
        QFETCH(QString, output);
        QFETCH(QString, error);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
            environment.remove(QLatin1String(name));
        }
        if (!platform.isEmpty()) {
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
        }
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(GLYPHMETER_PATH), arguments);
        QVERIFY(program.waitForFinished(30000));
        const QString out = QString::fromLocal8Bit(program.readAllStandardOutput());
        const QString err = QString::fromLocal8Bit(program.readAllStandardError());
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QVERIFY2(out.contains(output), qPrintable(out));
        QVERIFY2(err.contains(error), qPrintable(err));
        QCOMPARE(program.exitCode(), status);
    }
};

QTEST_MAIN(StartUpTest)
#include "StartUp_test.moc"
