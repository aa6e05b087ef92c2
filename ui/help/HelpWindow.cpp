// The help window: its design table, its controls, its two links and the one instance.
#include "HelpWindow.h"

#include <QCursor>
#include <QFont>
#include <QPixmap>
#include <QPointer>

#include "DesignWindow.h"
#include "DesignedControls.h"
#include "HelpTexts.h"
#include "HelpWindowDesign.h"
#include "HyperlinkModule.h"
#include "Label.h"
#include "LineShape.h"
#include "Link.h"
#include "MultiLineTextBox.h"
#include "PictureBox.h"
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

    // The two links take the mouse and the keyboard; every other label lets clicks fall through
    // and is passed over by Tab.
    const QCursor hand(QPixmap(QStringLiteral(":/help/pointing-hand.png")), design::handHotX,
                       design::handHotY);
    makeLink(makerLink, hand, [this] { openMakerLink(); });
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
    // The system window colour behind the photograph, where it never shows (the picture fills the
    // box); window grey around the smaller banner.
    decoration = makePicture(this, design::decoration, QStringLiteral(":/help/decoration.png"),
                             QPalette::Base);
    storeBanner = makePicture(this, design::storeBanner, QStringLiteral(":/help/store-banner.png"),
                              QPalette::Window);
    makeLink(storeBanner, makerLink->cursor(), [this] { openStoreLink(); });
    decoration->setAccessibleName(QStringLiteral("Decorative photograph"));
    storeBanner->setAccessibleName(QStringLiteral("Store's home page (banner)"));
}

void HelpWindow::setTabOrder() {
    // The designed order of the controls that take the focus: the web address after the title,
    // the three texts, the banner after the photograph. The other labels and the photograph
    // never take it.
    QWidget::setTabOrder(makerLink, warrantyText);
    QWidget::setTabOrder(warrantyText, distributionText);
    QWidget::setTabOrder(distributionText, instructionsText);
    QWidget::setTabOrder(instructionsText, storeBanner);
    // The window opens with the focus in the first text, not on a link: a link shows its focus
    // mark only when the user moves to it.
    warrantyText->setFocus();
}

void HelpWindow::openStoreLink() {
    HyperlinkModule::openAddress(winId(), WebAddresses::storeAffiliateHome());
}

void HelpWindow::openMakerLink() {
    HyperlinkModule::openAddress(winId(), WebAddresses::makerHomePage());
}

}  // namespace glyphmeter::ui
