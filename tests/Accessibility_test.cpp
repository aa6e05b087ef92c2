// What a screen reader hears of both windows, through Qt's accessibility interfaces: the letter
// rows as units, the results with their captions, named fields and pictures, links that act.
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "HyperlinkModule.h"
#include "TempDir.h"
#include "help/HelpWindow.h"
#include "main/MainWindow.h"

using glyphmeter::testing::TempDir;
using namespace glyphmeter::ui;

namespace {

struct Heard {
    QAccessible::Role role;
    QString name;
    QObject* object;
};

// The children of `window` as a screen reader walks them.
QList<Heard> heardChildren(QWidget& window) {
    QList<Heard> heard;
    QAccessibleInterface* root = QAccessible::queryAccessibleInterface(&window);
    for (int i = 0; i < root->childCount(); ++i) {
        QAccessibleInterface* child = root->child(i);
        heard.append({child->role(), child->text(QAccessible::Name), child->object()});
    }
    return heard;
}

QStringList namesOf(const QList<Heard>& heard, QAccessible::Role role) {
    QStringList names;
    for (const Heard& child : heard) {
        if (child.role == role) {
            names << child.name;
        }
    }
    return names;
}

// Accessibility events are passed on only while an assistive technology listens.
QList<std::pair<QObject*, QAccessible::Event>>& recordedEvents() {
    static QList<std::pair<QObject*, QAccessible::Event>> events;
    return events;
}

}  // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        QAccessible::installUpdateHandler([](QAccessibleEvent* event) {
            recordedEvents().append({event->object(), event->type()});
        });
        QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(true);
    }

    void mainWindowIsHeardRowByRowWithCaptions() {
        MainWindow window;
        QList<Heard> heard = heardChildren(window);
        QStringList texts = namesOf(heard, QAccessible::StaticText);
        QCOMPARE(texts.filter(QRegularExpression(QStringLiteral("^[A-Z]: no result$"))).size(), 26);
        QVERIFY(texts.contains(QStringLiteral("A: no result")));
        QVERIFY(texts.contains(QStringLiteral("Largest frequency: no result")));

        TempDir dir;
        window.findChild<QLineEdit*>(QStringLiteral("txtSourceFile"))
            ->setText(QString::fromStdString(dir.write("hello.txt", "Hello, World").string()));
        recordedEvents().clear();
        window.findChild<QPushButton*>(QStringLiteral("btnCalcFreq"))->click();

        heard = heardChildren(window);
        texts = namesOf(heard, QAccessible::StaticText);
        const QStringList rows = texts.filter(QRegularExpression(QStringLiteral("^[A-Z]: ")));
        QCOMPARE(rows.size(), 26);
        QCOMPARE(rows.first(), QStringLiteral("A: 0, 0"));
        QCOMPARE(rows[11], QStringLiteral("L: 3, .3"));
        for (const char* expected :
             {"Total Characters: 10", "Largest frequency: 0.3", "Scale start: 0.0000", "Frequency",
              "Count", "Source", "Glyphmeter"}) {
            QVERIFY2(texts.contains(QLatin1String(expected)), expected);
        }
        // The cells the rows speak for, the total's caption and the plain panels are silent;
        // everything heard has a name.
        QCOMPARE(texts.filter(QStringLiteral("Total Characters")).size(), 1);
        for (const Heard& child : heard) {
            QVERIFY2(!child.name.trimmed().isEmpty(), qPrintable(child.object->objectName()));
        }
        QCOMPARE(namesOf(heard, QAccessible::EditableText), QStringList{"Source"});
        QCOMPARE(namesOf(heard, QAccessible::Graphic), QStringList{"Glyphmeter logo"});
        QCOMPARE(namesOf(heard, QAccessible::Button),
                 (QStringList{"Calculate Frequency", "Select File", "Help"}));

        // The new total is announced.
        QObject* total = window.findChild<QWidget*>(QStringLiteral("lblTotalChars"));
        QVERIFY(recordedEvents().contains(std::pair{total, QAccessible::NameChanged}));
    }

    void helpWindowLinksAreLinksThatOpen() {
        HelpWindow window;
        const QList<Heard> heard = heardChildren(window);
        QCOMPARE(namesOf(heard, QAccessible::Link),
                 (QStringList{"Maker's home page: www.tarnby.com", "Store's home page (banner)"}));
        QCOMPARE(namesOf(heard, QAccessible::Graphic), QStringList{"Decorative photograph"});
        // The three text boxes, named by their headings, read as text.
        QStringList texts;
        for (const Heard& child : heard) {
            QAccessibleInterface* box = QAccessible::queryAccessibleInterface(child.object);
            if (QAccessibleTextInterface* text = box->textInterface()) {
                texts << child.name + QStringLiteral(": ") + text->text(0, 8);
            }
        }
        QCOMPARE(texts, (QStringList{"Warranty and Liability: Copyrigh", "Registration: You may ",
                                     "Instructions: Use the "}));

        std::vector<HyperlinkModule::ShellRequest> requests;
        const HyperlinkModule::Shell previous = HyperlinkModule::replaceShell(
            [&](const HyperlinkModule::ShellRequest& request) { requests.push_back(request); });
        for (const Heard& child : heard) {
            if (child.role == QAccessible::Link) {
                QAccessibleActionInterface* actions =
                    QAccessible::queryAccessibleInterface(child.object)->actionInterface();
                QVERIFY(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
                actions->doAction(QAccessibleActionInterface::pressAction());
            }
        }
        HyperlinkModule::replaceShell(previous);
        QCOMPARE(requests.size(), size_t{2});
    }
};

QTEST_MAIN(AccessibilityTest)
#include "Accessibility_test.moc"
