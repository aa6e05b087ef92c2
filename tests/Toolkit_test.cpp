// The toolkit layer under both windows: labels placed in twips, line shapes, control arrays and
// wrapping buttons.
#include <QApplication>
#include <QFontInfo>
#include <QLocale>
#include <QTest>

#include "CommandButton.h"
#include "ControlArray.h"
#include "Label.h"
#include "LineShape.h"
#include "Twips.h"

using glyphmeter::ui::CommandButton;
using glyphmeter::ui::ControlArray;
using glyphmeter::ui::Label;
using glyphmeter::ui::LineShape;

class ToolkitTest : public QObject {
    Q_OBJECT

  private slots:
    void twipsBecomeWholePixelsOnlyForGeometry() {
        QCOMPARE(glyphmeter::ui::twipsRect(6240, 2520, 1575, 2175), QRect(416, 168, 105, 145));
        QCOMPARE(glyphmeter::ui::toPixels(490), 33);  // 32.67 rounds to nearest
        QCOMPARE(glyphmeter::ui::toPixelsF(2410, 360), QPointF(2410.0 / 15, 24));
    }

    void labelKeepsTwipsExactlyAndTextAtTheTop() {
        QWidget window;
        Label label(&window);
        label.setTwipsGeometry(120, 490, 855, 255);
        QCOMPARE(label.twipsTop(), 490.0f);
        QCOMPARE(label.geometry(), QRect(8, 33, 57, 17));
        label.setHorizontalAlignment(Qt::AlignRight);
        QCOMPARE(label.alignment(), Qt::AlignRight | Qt::AlignTop);
        QVERIFY(label.wordWrap());
        QCOMPARE(label.textFormat(), Qt::PlainText);
        // A long caption never resizes the label.
        label.setText(QStringLiteral("a caption far wider than the label's rectangle"));
        label.adjustSize();
        QCOMPARE(label.size(), QSize(57, 17));
        QVERIFY(label.testAttribute(Qt::WA_TransparentForMouseEvents));
    }

    void labelBackgroundIsOpaqueOrTransparent() {
        QWidget window;
        Label label(&window);
        QVERIFY(!label.isOpaque());
        label.setOpaque(QColor(192, 192, 192));
        QVERIFY(label.isOpaque());
        QCOMPARE(label.palette().color(QPalette::Window), QColor(192, 192, 192));
        label.setTransparent();
        QVERIFY(!label.isOpaque());
    }

    void lineShapeEndsArePropertiesInTwips() {
        QWidget window;
        LineShape line(&window);
        line.setEnds(2400, 360, 2410, 360);
        line.setProperty("x2", 4743.33f);
        QCOMPARE(line.property("x2").toFloat(), 4743.33f);
        QCOMPARE(line.x1(), 2400.0f);
        QCOMPARE(line.property("y1").toFloat(), 360.0f);
        line.setBorderWidth(5);
        // The widget spans the line with its pen, and no more than a pixel or two around it.
        QVERIFY(line.geometry().contains(QRect(160, 22, 156, 5)));
        QVERIFY(line.geometry().width() < 156 + 9);
        QVERIFY(line.testAttribute(Qt::WA_TransparentForMouseEvents));
    }

    void lineShapeColourFollowsPaletteUntilSet() {
        QWidget window;
        QPalette colours = window.palette();
        colours.setColor(QPalette::WindowText, Qt::darkBlue);
        window.setPalette(colours);
        LineShape line(&window);
        QCOMPARE(line.borderColor(), QColor(Qt::darkBlue));
        line.setBorderColor(Qt::red);
        QCOMPARE(line.borderColor(), QColor(Qt::red));
    }

    void controlArrayElementCopiesAppearanceAndStartsHidden() {
        QWidget window;
        auto* first = new Label(&window);
        first->setTwipsGeometry(2040, 240, 255, 255);
        first->setOpaque(QColor(192, 192, 192));
        first->setHorizontalAlignment(Qt::AlignHCenter);
        QFont bold = first->font();
        bold.setBold(true);
        first->setFont(bold);
        ControlArray<Label> letters(QStringLiteral("LabelChar"));
        letters.adopt(first);
        window.show();

        Label* copy = letters.createElement(12);
        QCOMPARE(copy->objectName(), QStringLiteral("LabelChar(12)"));
        QCOMPARE(window.findChild<Label*>(QStringLiteral("LabelChar(12)")), copy);
        QVERIFY(copy->isHidden());
        QCOMPARE(copy->size(), first->size());
        QCOMPARE(copy->twipsWidth(), 255.0f);
        QCOMPARE(copy->twipsTop(), 240.0f);
        QVERIFY(copy->font().bold());
        QVERIFY(copy->isOpaque());
        QCOMPARE(copy->palette().color(QPalette::Window), QColor(192, 192, 192));
        QCOMPARE(copy->alignment(), first->alignment());
        QCOMPARE(letters.count(), 2);
        // Loading an index again gives the same control, never a second one.
        QCOMPARE(letters.createElement(12), copy);
        QCOMPARE(letters.count(), 2);
        QCOMPARE(letters[5], nullptr);
    }

    void controlArrayOfLinesCopiesWidthAndColour() {
        QWidget window;
        auto* first = new LineShape(&window);
        first->setEnds(2400, 360, 2410, 360);
        first->setBorderWidth(5);
        first->setBorderColor(Qt::darkGreen);
        ControlArray<LineShape> bars(QStringLiteral("freqLine"));
        bars.adopt(first);
        LineShape* copy = bars.createElement(1);
        QCOMPARE(copy->borderWidth(), 5);
        QCOMPARE(copy->borderColor(), QColor(Qt::darkGreen));
        QCOMPARE(copy->y1(), 360.0f);
        QVERIFY(copy->isHidden());
    }

    void controlArrayElementsStackInIndexOrderAboveTheTemplate() {
        QWidget window;
        auto* first = new Label(&window);
        auto* above = new Label(&window);  // created later: drawn over the family
        ControlArray<Label> labels(QStringLiteral("lbl"));
        labels.adopt(first);
        Label* one = labels.createElement(1);
        Label* two = labels.createElement(2);
        const QObjectList order = window.children();  // back to front
        QVERIFY(order.indexOf(first) < order.indexOf(one));
        QVERIFY(order.indexOf(one) < order.indexOf(two));
        QVERIFY(order.indexOf(two) < order.indexOf(above));
    }

    void commandButtonKeepsItsCaptionAndDrawsIt() {
        CommandButton button(QStringLiteral("Calculate Frequency"), nullptr);
        button.resize(105, 145);
        QCOMPARE(button.text(), QStringLiteral("Calculate Frequency"));
        const QImage picture = button.grab().toImage();
        // Something other than the button face was drawn: the caption.
        const QRgb face = picture.pixel(8, 8);
        int inked = 0;
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 10; x < picture.width() - 10; ++x) {
                inked += picture.pixel(x, y) != face;
            }
        }
        QVERIFY(inked > 20);
    }
};

int main(int argc, char** argv) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QApplication app(argc, argv);
    ToolkitTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "Toolkit_test.moc"
