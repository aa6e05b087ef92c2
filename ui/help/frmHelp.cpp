// The help window: its design table, its controls and its two link handlers.
#include "frmHelp.h"

#include <QCursor>
#include <QEvent>
#include <QFont>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>

#include "DesignWindow.h"
#include "HelpTexts.h"
#include "HyperlinkModule.h"
#include "Label.h"
#include "LineShape.h"
#include "MultiLineTextBox.h"
#include "Twips.h"
#include "WebAddresses.h"

// The artwork is compiled into a static library; naming its resource file here makes the linker
// keep it, and registers it before the first picture is loaded. Q_INIT_RESOURCE must be used
// outside any namespace.
static void loadHelpArtwork() {
    Q_INIT_RESOURCE(help);
}

namespace glyphmeter::ui {

namespace {

// ---- The design, in twips ---------------------------------------------------------------------

// The client area's top-left corner on the screen, and its size.
constexpr Box clientArea{6105, 1725, 7080, 7080};

const QColor linkPurple(192, 0, 192);

// Controls listed back to front: each one created later covers the ones before it.
constexpr Box label1Box{1440, 120, 3255, 495};
constexpr Box label2Box{2280, 480, 2415, 495};
constexpr Box label3Box{3360, 1080, 1455, 255};
constexpr Box label4Box{1680, 5280, 3135, 255};
constexpr Box label5Box{1680, 3120, 3135, 255};
constexpr float line1X1 = 2400, line1Y1 = 740, line1X2 = 4680, line1Y2 = 740;
constexpr int line1WidthPixels = 2;
constexpr Box text1Box{0, 5520, 4935, 855};
constexpr Box text2Box{2040, 1320, 2895, 1695};
constexpr Box text3Box{120, 3360, 4815, 1695};
constexpr Box picture1Box{5040, 0, 2055, 7095};
constexpr Box amazonLinkBox{120, 1320, 1935, 1455};

constexpr double titleFontPoints = 12;      // Label1, Label2
constexpr double headingFontPoints = 9.75;  // Label3 to Label5
constexpr double textFontPoints = 8.25;     // Text1 to Text3

// The pointing hand's fingertip.
constexpr int handHotX = 6;
constexpr int handHotY = 0;

// ---- Helpers ----------------------------------------------------------------------------------

Label* makeLabel(QWidget* window, const char* name, const Box& box, const QString& caption,
                 double points) {
    auto* label = new Label(window);
    label->setObjectName(QLatin1String(name));
    label->setTwipsGeometry(box.left, box.top, box.width, box.height);
    label->setFont(designFont(points, true));
    label->setHorizontalAlignment(Qt::AlignRight);
    label->setText(caption);
    return label;
}

MultiLineTextBox* makeTextBox(QWidget* window, const char* name, const Box& box,
                              const QString& text) {
    auto* textBox = new MultiLineTextBox(window);
    textBox->setObjectName(QLatin1String(name));
    textBox->setGeometry(twipsRect(box));
    textBox->setFont(designFont(textFontPoints, false));
    QPalette colours = textBox->palette();
    // Grey like the window whatever the theme, so the text stays dark too.
    colours.setColor(QPalette::Base, windowGrey);
    colours.setColor(QPalette::Text, controlText);
    textBox->setPalette(colours);
    textBox->setText(text);
    return textBox;
}

// A flat picture box: the picture at its natural size from the top-left corner, clipped at the
// box's edges and never scaled, on `background` where the picture doesn't reach.
QLabel* makePicture(QWidget* window, const char* name, const Box& box, const QString& resource,
                    const QColor& background) {
    auto* picture = new QLabel(window);
    picture->setObjectName(QLatin1String(name));
    picture->setGeometry(twipsRect(box));
    picture->setFixedSize(picture->size());
    picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    picture->setPixmap(QPixmap(resource));
    QPalette colours = picture->palette();
    colours.setColor(QPalette::Window, background);
    picture->setPalette(colours);
    picture->setAutoFillBackground(true);
    picture->setFocusPolicy(Qt::NoFocus);
    return picture;
}

}  // namespace

frmHelp::frmHelp() : QWidget(nullptr) {
    loadHelpArtwork();
    createWindow();
    createLabels();
    createLine();
    createTextBoxes();
    createPictures();
    setTabOrder();
}

void frmHelp::createWindow() {
    setUpFixedWindow(this, QStringLiteral("frmHelp"), QStringLiteral("Glyphmeter Help"),
                     clientArea);
}

void frmHelp::createLabels() {
    Label1 =
        makeLabel(this, "Label1", label1Box, QStringLiteral("Glyphmeter v1.5"), titleFontPoints);

    Label2 = makeLabel(this, "Label2", label2Box, QString::fromUtf8(WebAddresses::makerHost),
                       titleFontPoints);
    QPalette linkColours = Label2->palette();
    linkColours.setColor(QPalette::WindowText, linkPurple);
    Label2->setPalette(linkColours);

    Label3 =
        makeLabel(this, "Label3", label3Box, QStringLiteral("Registration"), headingFontPoints);
    Label4 = makeLabel(this, "Label4", label4Box, QStringLiteral("Warranty and Liability"),
                       headingFontPoints);
    Label5 =
        makeLabel(this, "Label5", label5Box, QStringLiteral("Instructions"), headingFontPoints);
    for (Label* heading : {Label3, Label4, Label5}) {
        heading->setOpaque(windowGrey);
    }

    // The two links take the mouse; every other label lets clicks fall through.
    const QCursor hand(QPixmap(QStringLiteral(":/help/pointing-hand.png")), handHotX, handHotY);
    Label2->setAttribute(Qt::WA_TransparentForMouseEvents, false);
    Label2->setCursor(hand);
    Label2->installEventFilter(this);
}

void frmHelp::createLine() {
    Line1 = new LineShape(this);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setBorderWidth(line1WidthPixels);
    Line1->setBorderColor(linkPurple);
    Line1->setEnds(line1X1, line1Y1, line1X2, line1Y2);
}

void frmHelp::createTextBoxes() {
    Text1 = makeTextBox(this, "Text1", text1Box, HelpTexts::warrantyNotice());
    Text2 = makeTextBox(this, "Text2", text2Box, HelpTexts::distributionNotice());
    Text3 = makeTextBox(this, "Text3", text3Box, HelpTexts::instructions());
}

void frmHelp::createPictures() {
    // The system window colour behind the photograph; it never shows, the picture fills the box.
    Picture1 = makePicture(this, "Picture1", picture1Box, QStringLiteral(":/help/decoration.png"),
                           palette().color(QPalette::Base));
    AmazonLink = makePicture(this, "AmazonLink", amazonLinkBox,
                             QStringLiteral(":/help/store-banner.png"), windowGrey);
    AmazonLink->setCursor(Label2->cursor());
    AmazonLink->installEventFilter(this);
}

void frmHelp::setTabOrder() {
    // Only the text boxes take the keyboard focus; labels and pictures never do.
    QWidget::setTabOrder(Text1, Text2);
    QWidget::setTabOrder(Text2, Text3);
}

bool frmHelp::eventFilter(QObject* watched, QEvent* event) {
    // A click is a left-button release over the control that took the press (Qt delivers the
    // release to that control).
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const auto* control = static_cast<QWidget*>(watched);
        if (mouse->button() == Qt::LeftButton &&
            control->rect().contains(mouse->position().toPoint())) {
            if (watched == AmazonLink) {
                AmazonLink_Click();
            } else if (watched == Label2) {
                Label2_Click();
            }
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmHelp::AmazonLink_Click() {
    HyperlinkModule::openAddress(winId(), WebAddresses::storeAffiliateHome());
}

void frmHelp::Label2_Click() {
    HyperlinkModule::openAddress(winId(), WebAddresses::makerHomePage());
}

}  // namespace glyphmeter::ui
