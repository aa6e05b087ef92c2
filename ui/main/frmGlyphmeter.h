// The main window: the letter chart with its 26 rows, the side panel with the Calculate and Help
// buttons, and the source file's path box with its Select File button.
//
// Every control carries its design name as objectName; elements of the control arrays LabelChar,
// lblCount, lblFreq, freqLine, lblFreqHeading and lblCountHeading are named "name(index)".
#pragma once

#include <QWidget>

#include <cstdint>
#include <functional>
#include <optional>

#include "CommonDialog.h"
#include "ControlArray.h"
#include "LetterTally.h"
#include "MessageBox.h"

class QAction;
class QContextMenuEvent;
class QDragEnterEvent;
class QDropEvent;
class QLabel;
class QLineEdit;

namespace glyphmeter::ui {

class CommandButton;
class Label;
class LineShape;

// What the main window takes from outside; each has the real thing as its default, and tests
// replace what they cannot do for real.
struct MainWindowServices {
    // Shows a modal message box over `parent` and returns once the user has dismissed it.
    std::function<void(QWidget* parent, const QString& text)> showMessage = showMessageBox;
    // The number of letters after which counting stops with a message.
    std::int32_t letterLimit = analysis::letterLimit;
    // The file-open dialog behind cdbSourceFile.
    FileChooser chooseFile = nativeFileChooser;
};

class frmGlyphmeter : public QWidget {
    Q_OBJECT

  public:
    using Services = MainWindowServices;

    // The window with the real services, ready to show: controls created, rows B to Z built.
    explicit frmGlyphmeter(QWidget* parent = nullptr);
    explicit frmGlyphmeter(Services services, QWidget* parent = nullptr);
    ~frmGlyphmeter() override;

    // Builds (iteration exactly "first") or resets (anything else) the letter rows: every count
    // and frequency text empty, every bar back to its 10-twip stub, rows 1 to 25 placed 250 twips
    // apart below row 0 and shown. Positions are derived from row 0 at every call. Reset mode
    // creates nothing; rows that do not exist yet are left out.
    void initialize(const QString& iteration);

    // Puts `path` into the path box and calculates it, exactly as typing it and pressing Calculate
    // Frequency would, with the same messages. For a file named on the command line or dropped.
    void openFile(const QString& path);

  public slots:
    // Calculate Frequency: counts the letters of the file named in the path box and shows the
    // results; tells the user when the path names no ordinary file or the file can't be read.
    void btnCalcFreq_Click();
    // Select File: fills the path box from the file-open dialog.
    void btnSelectFile_Click();
    // Help: shows the help window.
    void btnHelp_Click();
    // Copy Results (Ctrl+C, and the chart's context menu): puts the results shown on the
    // clipboard as a table (ResultsTable.h). Copies nothing before the first calculation or after
    // a failed one.
    void copyResults();

  protected:
    // A single local file dragged over the window is taken; anything else is refused, so the
    // pointer shows that it can't be dropped. Dropping the file opens it as openFile() does.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // On the chart: a menu with Copy Results.
    void contextMenuEvent(QContextMenuEvent* event) override;
    // Ctrl+C in the path box copies its selection; without one, it copies the results.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Form_Load();

    void setUpWindow();
    void createLetterRow();
    void createChartLabels();
    void createSidePanel();
    void createInputControls();
    void setTabOrder();
    void createCopyCommand();

    // Writes the tally's figures and texts into the rows and the two result labels.
    void showResults(const analysis::LetterTally& tally);
    void showMessage(const QString& text);

    Services services_;
    // The tally the grid shows, for Copy Results; empty before the first calculation and after a
    // failed one.
    std::optional<analysis::LetterTally> shownTally_;
    QAction* copyResultsAction_ = nullptr;

    ControlArray<Label> LabelChar{QStringLiteral("LabelChar")};
    ControlArray<Label> lblCount{QStringLiteral("lblCount")};
    ControlArray<Label> lblFreq{QStringLiteral("lblFreq")};
    ControlArray<LineShape> freqLine{QStringLiteral("freqLine")};
    ControlArray<Label> lblFreqHeading{QStringLiteral("lblFreqHeading")};
    ControlArray<Label> lblCountHeading{QStringLiteral("lblCountHeading")};

    Label* lblMaxFreq = nullptr;
    Label* lblGraphMin = nullptr;
    Label* Label6 = nullptr;
    Label* Label7 = nullptr;
    Label* lblWebsite = nullptr;
    Label* lblProgramName = nullptr;
    Label* Label1 = nullptr;
    Label* lblTotalChars = nullptr;
    Label* Label2 = nullptr;
    CommandButton* btnCalcFreq = nullptr;
    CommandButton* btnSelectFile = nullptr;
    CommandButton* btnHelp = nullptr;
    QLabel* pctLogo = nullptr;
    QLineEdit* txtSourceFile = nullptr;
    CommonDialog* cdbSourceFile = nullptr;
};

}  // namespace glyphmeter::ui
