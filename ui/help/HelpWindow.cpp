// The help window: its design table, its controls, its two links and the one instance.
#include "HelpWindow.h"

#include <QCursor>
#include <QEvent>
#include <QFont>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPointer>

#include "Accessibility.h"
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

// ---- The design: objectNames and places in twips ---------------------------------------------

namespace helpDesign {

// The window's fixed layout: for every control its objectName and its Left, Top, Width and
// Height in twips (the line: its two ends), with the colours and font sizes.
constexpr const char* windowName = "frmHelp";
// The client area's top-left corner on the screen, and its size.
constexpr Box clientArea{6105, 1725, 7080, 7080};

const QColor linkPurple(192, 0, 192);

// Controls listed back to front: each one created later covers the ones before it.
constexpr DesignedControl titleLabel{"Label1", {1440, 120, 3255, 495}};
constexpr DesignedControl makerLink{"Label2", {2280, 480, 2415, 495}};
constexpr DesignedControl registrationHeading{"Label3", {3360, 1080, 1455, 255}};
constexpr DesignedControl warrantyHeading{"Label4", {1680, 5280, 3135, 255}};
constexpr DesignedControl instructionsHeading{"Label5", {1680, 3120, 3135, 255}};
// The purple rule under the title and the web address.
constexpr DesignedLine titleRule{"Line1", 2400, 740, 4680, 740};
constexpr int titleRuleWidthPixels = 2;
constexpr DesignedControl warrantyText{"Text1", {0, 5520, 4935, 855}};
constexpr DesignedControl distributionText{"Text2", {2040, 1320, 2895, 1695}};
constexpr DesignedControl instructionsText{"Text3", {120, 3360, 4815, 1695}};
// The tall photograph on the right, and the store's banner, a link.
constexpr DesignedControl decoration{"Picture1", {5040, 0, 2055, 7095}};
constexpr DesignedControl storeBanner{"AmazonLink", {120, 1320, 1935, 1455}};

constexpr double titleFontPoints = 12;      // the title and the web address
constexpr double headingFontPoints = 9.75;  // the three headings
constexpr double textFontPoints = 8.25;     // the three texts

// The pointing hand's fingertip.
constexpr int handHotX = 6;
constexpr int handHotY = 0;

}  // namespace helpDesign

namespace design = helpDesign;

// ---- Helpers ----------------------------------------------------------------------------------

Label* makeLabel(QWidget* window, const DesignedControl& design, const QString& caption,
                 double points) {
    auto* label = new Label(window);
    label->setObjectName(QLatin1String(design.objectName));
    const Box& box = design.box;
    label->setTwipsGeometry(box.left, box.top, box.width, box.height);
    label->setFont(designFont(points, true));
    label->setHorizontalAlignment(Qt::AlignRight);
    label->setText(caption);
    return label;
}

MultiLineTextBox* makeTextBox(QWidget* window, const DesignedControl& design, const QString& text) {
    auto* textBox = new MultiLineTextBox(window);
    textBox->setObjectName(QLatin1String(design.objectName));
    textBox->setGeometry(twipsRect(design.box));
    textBox->setFont(designFont(design::textFontPoints, false));
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
QLabel* makePicture(QWidget* window, const DesignedControl& design, const QString& resource,
                    const QColor& background) {
    auto* picture = new QLabel(window);
    picture->setObjectName(QLatin1String(design.objectName));
    picture->setGeometry(twipsRect(design.box));
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

// Cleared by Qt when the window is destroyed on closing.
QPointer<HelpWindow>& openHelpWindow() {
    static QPointer<HelpWindow> window;
    return window;
}

}  // namespace

HelpWindow::HelpWindow() : QWidget(nullptr) {
    loadHelpArtwork();
    createWindow();
    createLabels();
    createLine();
    createTextBoxes();
    createPictures();
    setTabOrder();
}

HelpWindow* HelpWindow::instance() {
    return openHelpWindow().data();
}

HelpWindow* HelpWindow::showInstance() {
    QPointer<HelpWindow>& window = openHelpWindow();
    if (!window) {
        window = new HelpWindow;
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

void HelpWindow::createWindow() {
    setUpFixedWindow(this, QLatin1String(design::windowName), QStringLiteral("Glyphmeter Help"),
                     design::clientArea);
}

void HelpWindow::createLabels() {
    titleLabel = makeLabel(this, design::titleLabel, QStringLiteral("Glyphmeter v1.5"),
                           design::titleFontPoints);

    makerLink = makeLabel(this, design::makerLink, QString::fromUtf8(WebAddresses::makerHost),
                          design::titleFontPoints);
    QPalette linkColours = makerLink->palette();
    linkColours.setColor(QPalette::WindowText, design::linkPurple);
    makerLink->setPalette(linkColours);

    registrationHeading = makeLabel(this, design::registrationHeading,
                                    QStringLiteral("Registration"), design::headingFontPoints);
    warrantyHeading =
        makeLabel(this, design::warrantyHeading, QStringLiteral("Warranty and Liability"),
                  design::headingFontPoints);
    instructionsHeading = makeLabel(this, design::instructionsHeading,
                                    QStringLiteral("Instructions"), design::headingFontPoints);
    for (Label* heading : {registrationHeading, warrantyHeading, instructionsHeading}) {
        heading->setOpaque(windowGrey);
    }

    // The two links take the mouse; every other label lets clicks fall through.
    const QCursor hand(QPixmap(QStringLiteral(":/help/pointing-hand.png")), design::handHotX,
                       design::handHotY);
    makerLink->setAttribute(Qt::WA_TransparentForMouseEvents, false);
    makerLink->setCursor(hand);
    makerLink->installEventFilter(this);
    accessibility::setRole(makerLink, QAccessible::Link);
    makerLink->setAccessibleName(QStringLiteral("Maker's home page: ") + makerLink->text());
}

void HelpWindow::createLine() {
    titleRule = new LineShape(this);
    titleRule->setObjectName(QLatin1String(design::titleRule.objectName));
    titleRule->setBorderWidth(design::titleRuleWidthPixels);
    titleRule->setBorderColor(design::linkPurple);
    titleRule->setEnds(design::titleRule.x1, design::titleRule.y1, design::titleRule.x2,
                       design::titleRule.y2);
}

void HelpWindow::createTextBoxes() {
    warrantyText = makeTextBox(this, design::warrantyText, HelpTexts::warrantyNotice());
    distributionText = makeTextBox(this, design::distributionText, HelpTexts::distributionNotice());
    instructionsText = makeTextBox(this, design::instructionsText, HelpTexts::instructions());
    // Each text is heard by its heading.
    warrantyText->setAccessibleName(warrantyHeading->text());
    distributionText->setAccessibleName(registrationHeading->text());
    instructionsText->setAccessibleName(instructionsHeading->text());
}

void HelpWindow::createPictures() {
    // The system window colour behind the photograph; it never shows, the picture fills the box.
    decoration = makePicture(this, design::decoration, QStringLiteral(":/help/decoration.png"),
                             palette().color(QPalette::Base));
    storeBanner = makePicture(this, design::storeBanner, QStringLiteral(":/help/store-banner.png"),
                              windowGrey);
    storeBanner->setCursor(makerLink->cursor());
    storeBanner->installEventFilter(this);
    decoration->setAccessibleName(QStringLiteral("Decorative photograph"));
    accessibility::setRole(storeBanner, QAccessible::Link);
    storeBanner->setAccessibleName(QStringLiteral("Store's home page (banner)"));
}

void HelpWindow::setTabOrder() {
    // Only the text boxes take the keyboard focus; labels and pictures never do.
    QWidget::setTabOrder(warrantyText, distributionText);
    QWidget::setTabOrder(distributionText, instructionsText);
}

bool HelpWindow::eventFilter(QObject* watched, QEvent* event) {
    // A click is a left-button release over the control that took the press (Qt delivers the
    // release to that control).
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const auto* control = static_cast<QWidget*>(watched);
        if (mouse->button() == Qt::LeftButton &&
            control->rect().contains(mouse->position().toPoint())) {
            if (watched == storeBanner) {
                openStoreLink();
            } else if (watched == makerLink) {
                openMakerLink();
            }
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void HelpWindow::openStoreLink() {
    HyperlinkModule::openAddress(winId(), WebAddresses::storeAffiliateHome());
}

void HelpWindow::openMakerLink() {
    HyperlinkModule::openAddress(winId(), WebAddresses::makerHomePage());
}

}  // namespace glyphmeter::ui
