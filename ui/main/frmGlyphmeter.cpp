// The main window: its controls, the letter grid and the Calculate command.
#include "frmGlyphmeter.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QDropEvent>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMimeData>
#include <QPixmap>
#include <QTimer>

#include <exception>

#include "CommandButton.h"
#include "CommonDialog.h"
#include "DesignWindow.h"
#include "FileError.h"
#include "FrequencyFigures.h"
#include "Label.h"
#include "LineShape.h"
#include "MainWindowDesign.h"
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

Label* makeLabel(QWidget* window, const QString& name, const Box& box, const QString& caption = {},
                 Qt::Alignment horizontal = Qt::AlignLeft) {
    auto* label = new Label(window);
    label->setObjectName(name);
    label->setTwipsGeometry(box.left, box.top, box.width, box.height);
    label->setHorizontalAlignment(horizontal);
    label->setText(caption);
    return label;
}

void place(QWidget* control, const QString& name, const Box& box) {
    control->setObjectName(name);
    control->setGeometry(twipsRect(box));
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

frmGlyphmeter::frmGlyphmeter(QWidget* parent) : frmGlyphmeter(Services{}, parent) {}

frmGlyphmeter::frmGlyphmeter(Services services, QWidget* parent)
    : QWidget(parent), services_(std::move(services)) {
    loadMainWindowArtwork();
    setUpWindow();
    // Back to front: a control created later is drawn over one created earlier.
    createLetterRow();
    createChartLabels();
    createSidePanel();
    createInputControls();
    setTabOrder();
    createCopyCommand();
    Form_Load();
}

frmGlyphmeter::~frmGlyphmeter() = default;

void frmGlyphmeter::setUpWindow() {
    setUpFixedWindow(this, QStringLiteral("frmGlyphmeter"), QString::fromUtf16(programTitle),
                     design::clientArea);
    setFont(designFont(design::fontPoints));
    setCursor(Qt::ArrowCursor);
    setAcceptDrops(true);
}

void frmGlyphmeter::createLetterRow() {
    Label* letter = LabelChar.adopt(makeLabel(
        this, {}, design::LabelChar, QString(QChar(design::firstLetter)), Qt::AlignHCenter));
    letter->setOpaque(design::silver);
    Label* count = lblCount.adopt(makeLabel(this, {}, design::lblCount, {}, Qt::AlignRight));
    count->setOpaque(windowGrey);
    lblFreq.adopt(makeLabel(this, {}, design::lblFreq));

    lblCountHeading
        .adopt(
            makeLabel(this, {}, design::lblCountHeading, QStringLiteral("Count"), Qt::AlignRight),
            1)
        ->setFont(designFont(design::fontPoints, true));
    lblFreqHeading
        .adopt(makeLabel(this, {}, design::lblFreqHeading, QStringLiteral("Frequency")), 1)
        ->setFont(designFont(design::fontPoints, true));

    auto* bar = freqLine.adopt(new LineShape(this));
    bar->setEnds(design::freqLine.x1, design::freqLine.y1, design::freqLine.x2,
                 design::freqLine.y2);
    bar->setBorderWidth(design::freqLineWidthPixels);
}

void frmGlyphmeter::createChartLabels() {
    lblMaxFreq = makeLabel(this, QStringLiteral("lblMaxFreq"), design::lblMaxFreq);
    lblGraphMin = makeLabel(this, QStringLiteral("lblGraphMin"), design::lblGraphMin,
                            QStringLiteral("0.0000"));
    // The silver cell over the letter column; it covers the top of LabelChar(0).
    Label6 = makeLabel(this, QStringLiteral("Label6"), design::Label6);
    Label6->setOpaque(design::silver);
}

void frmGlyphmeter::createSidePanel() {
    Label7 = makeLabel(this, QStringLiteral("Label7"), design::Label7);
    Label7->setOpaque(design::silver);
    lblWebsite = makeLabel(this, QStringLiteral("lblWebsite"), design::lblWebsite,
                           QString::fromUtf8(WebAddresses::makerHost));
    lblProgramName = makeLabel(this, QStringLiteral("lblProgramName"), design::lblProgramName,
                               QString::fromUtf16(programTitle));
    lblProgramName->setFont(designFont(design::programNamePoints));
    Label1 = makeLabel(this, QStringLiteral("Label1"), design::Label1, QStringLiteral("Source"));
    Label1->setFont(designFont(design::fontPoints, true));
    lblTotalChars = makeLabel(this, QStringLiteral("lblTotalChars"), design::lblTotalChars,
                              QStringLiteral("0"));
    Label2 = makeLabel(this, QStringLiteral("Label2"), design::Label2,
                       QStringLiteral("Total Characters"));
}

void frmGlyphmeter::createInputControls() {
    btnCalcFreq = new CommandButton(QStringLiteral("Calculate Frequency"), this);
    place(btnCalcFreq, QStringLiteral("btnCalcFreq"), design::btnCalcFreq);
    connect(btnCalcFreq, &QPushButton::clicked, this, &frmGlyphmeter::btnCalcFreq_Click);

    btnSelectFile = new CommandButton(QStringLiteral("Select File"), this);
    place(btnSelectFile, QStringLiteral("btnSelectFile"), design::btnSelectFile);
    connect(btnSelectFile, &QPushButton::clicked, this, &frmGlyphmeter::btnSelectFile_Click);

    btnHelp = new CommandButton(QStringLiteral("Help"), this);
    place(btnHelp, QStringLiteral("btnHelp"), design::btnHelp);
    connect(btnHelp, &QPushButton::clicked, this, &frmGlyphmeter::btnHelp_Click);

    // The logo at its natural size from the top-left corner, clipped by the box, never scaled.
    pctLogo = new QLabel(this);
    place(pctLogo, QStringLiteral("pctLogo"), design::pctLogo);
    pctLogo->setPixmap(QPixmap(QStringLiteral(":/main/logo.png")));
    pctLogo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    pctLogo->setScaledContents(false);
    pctLogo->setBackgroundRole(QPalette::Base);
    pctLogo->setAutoFillBackground(true);
    pctLogo->setFocusPolicy(Qt::NoFocus);
    pctLogo->setAttribute(Qt::WA_TransparentForMouseEvents);

    txtSourceFile = new QLineEdit(QStringLiteral("Select a source file..."), this);
    place(txtSourceFile, QStringLiteral("txtSourceFile"), design::txtSourceFile);
    txtSourceFile->setCursorPosition(0);
    // A file dropped on the path box opens like one dropped anywhere else on the window.
    txtSourceFile->setAcceptDrops(false);

    // The file-open dialog: no visible presence until Select File shows it.
    cdbSourceFile = new CommonDialog(this, services_.chooseFile);
    cdbSourceFile->setObjectName(QStringLiteral("cdbSourceFile"));
}

void frmGlyphmeter::setTabOrder() {
    QWidget::setTabOrder(btnCalcFreq, btnSelectFile);
    QWidget::setTabOrder(btnSelectFile, btnHelp);
    QWidget::setTabOrder(btnHelp, txtSourceFile);
    // First in the tab order: it has the focus when the window opens.
    btnCalcFreq->setFocus();
}

void frmGlyphmeter::createCopyCommand() {
    copyResultsAction_ = new QAction(QStringLiteral("Copy Results"), this);
    copyResultsAction_->setObjectName(QStringLiteral("copyResults"));
    copyResultsAction_->setShortcut(QKeySequence::Copy);
    copyResultsAction_->setShortcutContext(Qt::WindowShortcut);
    copyResultsAction_->setEnabled(false);
    connect(copyResultsAction_, &QAction::triggered, this, &frmGlyphmeter::copyResults);
    addAction(copyResultsAction_);
    txtSourceFile->installEventFilter(this);
}

void frmGlyphmeter::Form_Load() {
    initialize(QStringLiteral("first"));
}

void frmGlyphmeter::initialize(const QString& iteration) {
    const bool create = iteration == u"first";
    const auto element = [create](auto& array, int index) {
        return create ? array.load(index) : array[index];
    };

    LineShape* bar0 = freqLine[0];
    float barY1 = bar0->y1() + design::rowPitch;
    float barY2 = bar0->y2() + design::rowPitch;
    bar0->setX1(analysis::barStart);
    bar0->setX2(analysis::barRestEnd);
    lblCount[0]->setText({});
    lblFreq[0]->setText({});

    const float letterLeft = LabelChar[0]->twipsLeft();
    const float countLeft = lblCount[0]->twipsLeft();
    const float freqLeft = lblFreq[0]->twipsLeft();
    float letterTop = LabelChar[0]->twipsTop() + design::rowPitch;
    float countTop = lblCount[0]->twipsTop() + design::rowPitch;
    float freqTop = lblFreq[0]->twipsTop() + design::rowPitch;

    for (int r = 1; r < design::rowCount; ++r) {
        if (LineShape* bar = element(freqLine, r)) {
            bar->setEnds(analysis::barStart, barY1, analysis::barRestEnd, barY2);
            bar->setVisible(true);
        }
        barY1 += design::rowPitch;
        barY2 += design::rowPitch;

        if (Label* letter = element(LabelChar, r)) {
            letter->setTwipsLeft(letterLeft);
            letter->setTwipsTop(letterTop);
            letter->setText(QString(QChar(design::firstLetter + r)));
            letter->setVisible(true);
        }
        letterTop += design::rowPitch;

        if (Label* count = element(lblCount, r)) {
            count->setTwipsLeft(countLeft);
            count->setTwipsTop(countTop);
            count->setText({});
            count->setVisible(true);
        }
        countTop += design::rowPitch;

        if (Label* frequency = element(lblFreq, r)) {
            frequency->setTwipsLeft(freqLeft);
            frequency->setTwipsTop(freqTop);
            frequency->setText({});
            frequency->setVisible(true);
        }
        freqTop += design::rowPitch;
    }
}

void frmGlyphmeter::btnCalcFreq_Click() {
    initialize(QStringLiteral("second"));
    shownTally_.reset();
    copyResultsAction_->setEnabled(false);
    setCursor(Qt::WaitCursor);
    // The arrow comes back on every way out, a failure included.
    struct ArrowOnExit {
        QWidget* window;
        ~ArrowOnExit() { window->setCursor(Qt::ArrowCursor); }
    } arrowOnExit{this};

    const QString path = txtSourceFile->text();
    if (!namesOrdinaryFile(path)) {
        showMessage(noFileMessage);
        return;
    }
    try {
        const analysis::LetterTally tally = analysis::tallyLetters(
            toFilesystemPath(path),
            [this](const std::string& text) { showMessage(QString::fromStdString(text)); },
            services_.letterLimit);
        showResults(tally);
    } catch (const analysis::FileError& error) {
        // Nothing of the failed run is shown: the grid stays as the reset left it.
        showMessage(failureMessage(path, QString::fromStdString(error.reason())));
    } catch (const std::exception& error) {
        showMessage(failureMessage(path, QString::fromLocal8Bit(error.what())));
    }
}

void frmGlyphmeter::openFile(const QString& path) {
    txtSourceFile->setText(path);
    btnCalcFreq_Click();
}

void frmGlyphmeter::dragEnterEvent(QDragEnterEvent* event) {
    if (singleLocalFile(event->mimeData()).isEmpty()) {
        event->ignore();
    } else {
        event->acceptProposedAction();
    }
}

void frmGlyphmeter::dropEvent(QDropEvent* event) {
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

void frmGlyphmeter::contextMenuEvent(QContextMenuEvent* event) {
    // The chart: everything left of the side panel and above the path box's row.
    const QRect chart(0, 0, twipsRect(design::Label7).left(),
                      twipsRect(design::txtSourceFile).top());
    if (!chart.contains(event->pos())) {
        event->ignore();
        return;
    }
    QMenu menu(this);
    menu.addAction(copyResultsAction_);
    menu.exec(event->globalPos());
}

bool frmGlyphmeter::eventFilter(QObject* watched, QEvent* event) {
    // The path box claims Ctrl+C even without a selection, where copying would do nothing:
    // refusing its claim then lets the window's Copy Results have the key.
    if (watched == txtSourceFile && event->type() == QEvent::ShortcutOverride &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy) &&
        !txtSourceFile->hasSelectedText()) {
        event->ignore();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void frmGlyphmeter::copyResults() {
    if (shownTally_) {
        QApplication::clipboard()->setMimeData(resultsMimeData(*shownTally_).release());
    }
}

void frmGlyphmeter::showResults(const analysis::LetterTally& tally) {
    const analysis::FrequencyTexts texts =
        analysis::describeTally(tally, QLocale::system().decimalPoint().toStdString());
    const bool counted = tally.totalLetters > 0;

    for (int r = 0; r < design::rowCount; ++r) {
        lblCount[r]->setText(QString::fromStdString(texts.countTexts[r]));
        if (counted) {
            lblFreq[r]->setText(QString::fromStdString(*texts.frequencyTexts[r]));
        }
    }
    lblMaxFreq->setText(QString::fromStdString(texts.maxFrequencyText));
    if (counted) {
        for (int r = 0; r < design::rowCount; ++r) {
            LineShape* bar = freqLine[r];
            bar->setX2(analysis::barEnd(bar->x2(), texts.barFigures[r], texts.maxFrequency));
        }
    }
    lblTotalChars->setText(QString::fromStdString(texts.totalText));
    shownTally_ = tally;
    copyResultsAction_->setEnabled(true);
}

void frmGlyphmeter::showMessage(const QString& text) {
    services_.showMessage(this, text);
}

void frmGlyphmeter::btnSelectFile_Click() {
    cdbSourceFile->setDialogTitle(QStringLiteral("Source File"));
    cdbSourceFile->ShowOpen();
    // Also after a cancel: the path box then receives the name last confirmed (empty before the
    // first confirmation).
    txtSourceFile->setText(cdbSourceFile->FileName());
}

void frmGlyphmeter::btnHelp_Click() {
    HelpWindow::show();
}

}  // namespace glyphmeter::ui
