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
#include "DesignedControls.h"
#include "HelpTexts.h"
#include "HelpWindowDesign.h"
#include "HyperlinkModule.h"
#include "Label.h"
#include "LineShape.h"
#include "MultiLineTextBox.h"
#include "WebAddresses.h"

// The artwork is compiled into a static library; naming its resource file here makes the linker
// keep it, and registers it before the first picture is loaded. Q_INIT_RESOURCE must be used
// outside any namespace.
static void loadHelpArtwork() {
    Q_INIT_RESOURCE(help);
}

namespace glyphmeter::ui {

namespace {

namespace design = helpDesign;

// ---- Helpers ----------------------------------------------------------------------------------

MultiLineTextBox* makeTextBox(QWidget* window, const DesignedControl& design, const QString& text) {
    auto* textBox = new MultiLineTextBox(window);
    placeControl(textBox, design);
    textBox->setFont(designFont(design::textFontPoints, false));
    QPalette colours = textBox->palette();
    // Grey like the window whatever the theme, so the text stays dark too.
    colours.setColor(QPalette::Base, windowGrey);
    colours.setColor(QPalette::Text, controlText);
    textBox->setPalette(colours);
    textBox->setText(text);
    return textBox;
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
    titleLabel =
        makeLabel(this, design::titleLabel, QStringLiteral("Glyphmeter v1.5"), Qt::AlignRight);
    makerLink = makeLabel(this, design::makerLink, QString::fromUtf8(WebAddresses::makerHost),
                          Qt::AlignRight);
    for (Label* title : {titleLabel, makerLink}) {
        title->setFont(designFont(design::titleFontPoints, true));
    }
    QPalette linkColours = makerLink->palette();
    linkColours.setColor(QPalette::WindowText, design::linkPurple);
    makerLink->setPalette(linkColours);

    registrationHeading = makeLabel(this, design::registrationHeading,
                                    QStringLiteral("Registration"), Qt::AlignRight);
    warrantyHeading = makeLabel(this, design::warrantyHeading,
                                QStringLiteral("Warranty and Liability"), Qt::AlignRight);
    instructionsHeading = makeLabel(this, design::instructionsHeading,
                                    QStringLiteral("Instructions"), Qt::AlignRight);
    for (Label* heading : {registrationHeading, warrantyHeading, instructionsHeading}) {
        heading->setFont(designFont(design::headingFontPoints, true));
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
                             QPalette::Base);
    storeBanner = makePicture(this, design::storeBanner, QStringLiteral(":/help/store-banner.png"),
                              QPalette::Window);
    // The banner is a link: it takes the mouse.
    storeBanner->setAttribute(Qt::WA_TransparentForMouseEvents, false);
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
