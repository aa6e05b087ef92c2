// The main window: its controls, the letter grid and the Calculate command.
#include "MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QDropEvent>
#include <QFont>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMimeData>
#include <QTimer>

#include <exception>
#include <utility>

#include "Accessibility.h"
#include "CommandButton.h"
#include "DesignWindow.h"
#include "DesignedControls.h"
#include "FileError.h"
#include "FileOpenDialog.h"
#include "FrequencyFigures.h"
#include "Label.h"
#include "LineShape.h"
#include "MainWindowDesign.h"
#include "PictureBox.h"
#include "ResultsTable.h"
#include "SourcePath.h"
#include "Twips.h"
#include "help/HelpWindow.h"
#include "help/WebAddresses.h"

// The artwork is linked from a static library: make sure its registration is not left out.
static void loadMainWindowArtwork() {
    Q_INIT_RESOURCE(main);
}

namespace glyphmeter::ui {

namespace design = mainDesign;

namespace {

const QString noFileMessage =
    QStringLiteral("Please select an input file before attempting to calculate frequencies.");

QString arrayName(const DesignedControl& design) {
    return QLatin1String(design.objectName);
}

// The reason a file operation failed, as a whole sentence.
QString failureMessage(const QString& path, const QString& reason) {
    QString message = QStringLiteral("Could not read the file \"%1\": %2").arg(path, reason);
    if (!message.endsWith(u'.')) {
        message += u'.';
    }
    return message;
}

// The path of the one local file `data` carries, with the system's separators; empty for several
// files, a web address or anything that is no file at all.
QString singleLocalFile(const QMimeData* data) {
    const QList<QUrl> urls = data ? data->urls() : QList<QUrl>();
    if (urls.size() != 1 || !urls[0].isLocalFile()) {
        return {};
    }
    return QDir::toNativeSeparators(urls[0].toLocalFile());
}

}  // namespace

MainWindow::MainWindow(QWidget* parent) : MainWindow(Services{}, parent) {}

MainWindow::MainWindow(Services services, QWidget* parent)
    : QWidget(parent),
      services_(std::move(services)),
      letterCells(arrayName(design::letterCell)),
      countCells(arrayName(design::countCell)),
      frequencyCells(arrayName(design::frequencyCell)),
      bars(QLatin1String(design::bar.objectName)),
      frequencyHeading(arrayName(design::frequencyHeading)),
      countHeading(arrayName(design::countHeading)) {
    loadMainWindowArtwork();
    setUpWindow();
    // Back to front: a control created later is drawn over one created earlier.
    createLetterRow();
    createChartLabels();
    createSidePanel();
    createInputControls();
    setTabOrder();
    createCopyCommand();
    buildLetterRows();
    describeForScreenReaders();
}

MainWindow::~MainWindow() = default;

void MainWindow::setUpWindow() {
    setUpFixedWindow(this, QLatin1String(design::windowName), QString::fromUtf16(programTitle),
                     design::clientArea);
    setFont(designFont(design::fontPoints));
    setCursor(Qt::ArrowCursor);
    setAcceptDrops(true);
}

// Row 0 of the grid (the template of the others) and the column headings.
void MainWindow::createLetterRow() {
    Label* letter = letterCells.adopt(
        makeLabel(this, design::letterCell, QString(QChar(design::firstLetter)), Qt::AlignHCenter));
    letter->setOpaque(design::silver);
    Label* count = countCells.adopt(makeLabel(this, design::countCell, {}, Qt::AlignRight));
    count->setOpaque(windowGrey);
    frequencyCells.adopt(makeLabel(this, design::frequencyCell));

    countHeading
        .adopt(makeLabel(this, design::countHeading, QStringLiteral("Count"), Qt::AlignRight), 1)
        ->setFont(designFont(design::fontPoints, true));
    frequencyHeading
        .adopt(makeLabel(this, design::frequencyHeading, QStringLiteral("Frequency")), 1)
        ->setFont(designFont(design::fontPoints, true));

    auto* bar = bars.adopt(new LineShape(this));
    bar->setEnds(design::bar.x1, design::bar.y1, design::bar.x2, design::bar.y2);
    bar->setBorderWidth(design::barWidthPixels);
}

void MainWindow::createChartLabels() {
    largestFrequencyLabel = makeLabel(this, design::largestFrequencyLabel);
    scaleStartLabel = makeLabel(this, design::scaleStartLabel, QStringLiteral("0.0000"));
    // The silver cell over the letter column; it covers the top of the letter A's cell.
    letterColumnCorner = makeLabel(this, design::letterColumnCorner);
    letterColumnCorner->setOpaque(design::silver);
}

void MainWindow::createSidePanel() {
    sidePanel = makeLabel(this, design::sidePanel);
    sidePanel->setOpaque(design::silver);
    websiteLabel =
        makeLabel(this, design::websiteLabel, QString::fromUtf8(WebAddresses::makerHost));
    programNameLabel = makeLabel(this, design::programNameLabel, QString::fromUtf16(programTitle));
    programNameLabel->setFont(designFont(design::programNamePoints));
    pathCaption = makeLabel(this, design::pathCaption, QStringLiteral("Source"));
    pathCaption->setFont(designFont(design::fontPoints, true));
    totalLettersLabel = makeLabel(this, design::totalLettersLabel, QStringLiteral("0"));
    totalLettersCaption =
        makeLabel(this, design::totalLettersCaption, QStringLiteral("Total Characters"));
}

void MainWindow::createInputControls() {
    calculateButton = new CommandButton(QStringLiteral("Calculate Frequency"), this);
    placeControl(calculateButton, design::calculateButton);
    connect(calculateButton, &QPushButton::clicked, this, &MainWindow::calculate);

    selectFileButton = new CommandButton(QStringLiteral("Select File"), this);
    placeControl(selectFileButton, design::selectFileButton);
    connect(selectFileButton, &QPushButton::clicked, this, &MainWindow::chooseFile);

    helpButton = new CommandButton(QStringLiteral("Help"), this);
    placeControl(helpButton, design::helpButton);
    connect(helpButton, &QPushButton::clicked, this, &MainWindow::showHelp);

    logo = makePicture(this, design::logo, QStringLiteral(":/main/logo.png"), QPalette::Base);

    pathBox = new QLineEdit(QStringLiteral("Select a source file..."), this);
    placeControl(pathBox, design::pathBox);
    pathBox->setCursorPosition(0);
    // A file dropped on the path box opens like one dropped anywhere else on the window.
    pathBox->setAcceptDrops(false);

    // The file-open dialog: no visible presence until Select File shows it.
    fileDialog = new FileOpenDialog(this, services_.chooseFile);
    fileDialog->setObjectName(QLatin1String(design::fileDialogName));
}

void MainWindow::setTabOrder() {
    QWidget::setTabOrder(calculateButton, selectFileButton);
    QWidget::setTabOrder(selectFileButton, helpButton);
    QWidget::setTabOrder(helpButton, pathBox);
    // First in the tab order: it has the focus when the window opens.
    calculateButton->setFocus();
}

void MainWindow::createCopyCommand() {
    copyResultsAction_ = new QAction(QStringLiteral("Copy Results"), this);
    copyResultsAction_->setObjectName(QStringLiteral("copyResults"));
    copyResultsAction_->setShortcut(QKeySequence::Copy);
    copyResultsAction_->setShortcutContext(Qt::WindowShortcut);
    copyResultsAction_->setEnabled(false);
    connect(copyResultsAction_, &QAction::triggered, this, &MainWindow::copyResults);
    addAction(copyResultsAction_);
    pathBox->installEventFilter(this);

    // Shift+F10 opens the menu of the control with the focus, as the menu key does: the path
    // box's own, or from anywhere else the chart's. (Windows turns it into a menu by itself
    // unless a shortcut takes it, so taking it here does the same on every system.)
    auto* menuKey = new QAction(this);
    menuKey->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10));
    menuKey->setShortcutContext(Qt::WindowShortcut);
    connect(menuKey, &QAction::triggered, this, [this] {
        QWidget* target = focusWidget() ? focusWidget() : this;
        QContextMenuEvent event(QContextMenuEvent::Keyboard, target->rect().center(),
                                target->mapToGlobal(target->rect().center()));
        QApplication::sendEvent(target, &event);
    });
    addAction(menuKey);
}

void MainWindow::describeForScreenReaders() {
    for (int r = 0; r < design::rowCount; ++r) {
        accessibility::silence(letterCells[r]);
        accessibility::silence(countCells[r]);
        accessibility::silence(frequencyCells[r]);
        accessibility::setRole(bars[r], QAccessible::StaticText);
    }
    for (QWidget* decoration : {sidePanel, letterColumnCorner}) {
        accessibility::silence(decoration);
    }
    // The total is heard with its caption.
    accessibility::silence(totalLettersCaption);
    pathCaption->setBuddy(pathBox);
    logo->setAccessibleName(QStringLiteral("Glyphmeter logo"));
    scaleStartLabel->setAccessibleName(QStringLiteral("Scale start: ") + scaleStartLabel->text());
    updateSpokenResults();
}

void MainWindow::updateSpokenResults() {
    const QString noResult = QStringLiteral("no result");
    for (int r = 0; r < design::rowCount; ++r) {
        const QString count = countCells[r]->text().trimmed();
        const QString frequency = frequencyCells[r]->text().trimmed();
        QString heard = letterCells[r]->text() + QStringLiteral(": ");
        if (count.isEmpty()) {
            heard += noResult;
        } else {
            heard += frequency.isEmpty() ? count : count + QStringLiteral(", ") + frequency;
        }
        bars[r]->setAccessibleName(heard);
    }
    const QString largest = largestFrequencyLabel->text().trimmed();
    largestFrequencyLabel->setAccessibleName(QStringLiteral("Largest frequency: ") +
                                             (largest.isEmpty() ? noResult : largest));
    // Last: its change tells a screen reader that new results are shown.
    totalLettersLabel->setAccessibleName(totalLettersCaption->text() + QStringLiteral(": ") +
                                         totalLettersLabel->text().trimmed());
}

void MainWindow::buildLetterRows() {
    placeLetterRows(true);
}

void MainWindow::resetLetterRows() {
    placeLetterRows(false);
}

void MainWindow::placeLetterRows(bool createRows) {
    const auto element = [createRows](auto& array, int index) {
        return createRows ? array.createElement(index) : array[index];
    };

    LineShape* bar0 = bars[0];
    float barY1 = bar0->y1() + design::rowPitch;
    float barY2 = bar0->y2() + design::rowPitch;
    bar0->setX1(analysis::barStart);
    bar0->setX2(analysis::barRestEnd);
    countCells[0]->setText({});
    frequencyCells[0]->setText({});

    const float letterLeft = letterCells[0]->twipsLeft();
    const float countLeft = countCells[0]->twipsLeft();
    const float frequencyLeft = frequencyCells[0]->twipsLeft();
    float letterTop = letterCells[0]->twipsTop() + design::rowPitch;
    float countTop = countCells[0]->twipsTop() + design::rowPitch;
    float frequencyTop = frequencyCells[0]->twipsTop() + design::rowPitch;

    for (int r = 1; r < design::rowCount; ++r) {
        if (LineShape* bar = element(bars, r)) {
            bar->setEnds(analysis::barStart, barY1, analysis::barRestEnd, barY2);
            bar->setVisible(true);
        }
        barY1 += design::rowPitch;
        barY2 += design::rowPitch;

        if (Label* letter = element(letterCells, r)) {
            letter->setTwipsLeft(letterLeft);
            letter->setTwipsTop(letterTop);
            letter->setText(QString(QChar(design::firstLetter + r)));
            letter->setVisible(true);
        }
        letterTop += design::rowPitch;

        if (Label* count = element(countCells, r)) {
            count->setTwipsLeft(countLeft);
            count->setTwipsTop(countTop);
            count->setText({});
            count->setVisible(true);
        }
        countTop += design::rowPitch;

        if (Label* frequency = element(frequencyCells, r)) {
            frequency->setTwipsLeft(frequencyLeft);
            frequency->setTwipsTop(frequencyTop);
            frequency->setText({});
            frequency->setVisible(true);
        }
        frequencyTop += design::rowPitch;
    }
}

void MainWindow::calculate() {
    resetLetterRows();
    shownTally_.reset();
    copyResultsAction_->setEnabled(false);
    updateSpokenResults();
    setCursor(Qt::WaitCursor);
    // The arrow comes back on every way out, a failure included.
    struct ArrowOnExit {
        QWidget* window;
        ~ArrowOnExit() { window->setCursor(Qt::ArrowCursor); }
    } arrowOnExit{this};

    const QString path = pathBox->text();
    if (!namesOrdinaryFile(path)) {
        tellUser(noFileMessage);
        return;
    }
    try {
        const analysis::LetterTally tally = services_.countLetters(
            toFilesystemPath(path),
            [this](const std::string& text) { tellUser(QString::fromStdString(text)); },
            services_.letterLimit);
        showResults(tally);
    } catch (const std::exception& error) {
        // Nothing of the failed run is shown: the grid stays as the reset left it.
        tellUser(failureMessage(path, QString::fromStdString(analysis::failureReason(error))));
    }
}

void MainWindow::openFile(const QString& path) {
    pathBox->setText(path);
    if (painted_ || !isVisible()) {
        calculate();
        return;
    }
    // Shown but not yet on the screen (a file from the command line): the count blocks the
    // window, so it waits until the window has been painted once, with the hourglass showing.
    setCursor(Qt::WaitCursor);
    countWaitingForPaint_ = true;
}

void MainWindow::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    painted_ = true;
    if (std::exchange(countWaitingForPaint_, false)) {
        // Runs once this painting has been flushed to the screen.
        QTimer::singleShot(0, this, &MainWindow::calculate);
    }
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (singleLocalFile(event->mimeData()).isEmpty()) {
        event->ignore();
    } else {
        event->acceptProposedAction();
    }
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QString path = singleLocalFile(event->mimeData());
    if (path.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    // Calculated after the drop has ended: the program the file came from waits for the drop
    // to finish, and would otherwise hang through a long count or a message.
    QTimer::singleShot(0, this, [this, path] { openFile(path); });
}

void MainWindow::contextMenuEvent(QContextMenuEvent* event) {
    // The chart: everything left of the side panel and above the path box's row.
    const QRect chart(0, 0, twipsRect(design::sidePanel.box).left(),
                      twipsRect(design::pathBox.box).top());
    // From the keyboard the menu belongs to the chart wherever the focus is, and opens on it.
    const bool fromKeyboard = event->reason() == QContextMenuEvent::Keyboard;
    if (!fromKeyboard && !chart.contains(event->pos())) {
        event->ignore();
        return;
    }
    QMenu menu(this);
    menu.addAction(copyResultsAction_);
    menu.exec(fromKeyboard ? mapToGlobal(chart.center()) : event->globalPos());
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // The path box claims Ctrl+C even without a selection, where copying would do nothing:
    // refusing its claim then lets the window's Copy Results have the key.
    if (watched == pathBox && event->type() == QEvent::ShortcutOverride &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy) &&
        !pathBox->hasSelectedText()) {
        event->ignore();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::copyResults() {
    if (shownTally_) {
        QApplication::clipboard()->setMimeData(resultsMimeData(*shownTally_).release());
    }
}

void MainWindow::showResults(const analysis::LetterTally& tally) {
    const analysis::FrequencyTexts texts =
        analysis::describeTally(tally, QLocale::system().decimalPoint().toStdString());
    const bool counted = tally.totalLetters > 0;

    for (int r = 0; r < design::rowCount; ++r) {
        countCells[r]->setText(QString::fromStdString(texts.countTexts[r]));
        if (counted) {
            frequencyCells[r]->setText(QString::fromStdString(*texts.frequencyTexts[r]));
        }
    }
    largestFrequencyLabel->setText(QString::fromStdString(texts.maxFrequencyText));
    if (counted) {
        for (int r = 0; r < design::rowCount; ++r) {
            LineShape* bar = bars[r];
            bar->setX2(analysis::barEnd(bar->x2(), texts.barFigures[r], texts.maxFrequency));
        }
    }
    totalLettersLabel->setText(QString::fromStdString(texts.totalText));
    shownTally_ = tally;
    copyResultsAction_->setEnabled(true);
    updateSpokenResults();
}

void MainWindow::tellUser(const QString& text) {
    services_.messageBox(this, text);
}

void MainWindow::chooseFile() {
    fileDialog->setTitle(QStringLiteral("Source File"));
    fileDialog->showOpen();
    // Also after a cancel: the path box then receives the name last confirmed (empty before the
    // first confirmation).
    pathBox->setText(fileDialog->fileName());
}

void MainWindow::showHelp() {
    HelpWindow::showInstance();
}

}  // namespace glyphmeter::ui
