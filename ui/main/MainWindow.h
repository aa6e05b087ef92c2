// The main window: the letter chart with its 26 rows, the side panel with the Calculate and Help
// buttons, and the source file's path box with its Select File button.
//
// Every control's objectName is given in MainWindowDesign.h; the elements of the control arrays
// (the rows' cells and bars, the two column headings) are named "name(index)".
#pragma once

#include <QWidget>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>

#include "ControlArray.h"
#include "FileOpenDialog.h"
#include "LetterTally.h"
#include "MessageBox.h"

class QAction;
class QContextMenuEvent;
class QDragEnterEvent;
class QDropEvent;
class QLineEdit;

namespace glyphmeter::ui {

class CommandButton;
class Label;
class LineShape;
class PictureBox;

// Counts the letters of the file at `path`, as analysis::tallyLetters does: when counting stops
// at `limit` letters, `limitMessageSink` receives the text that says so.
using LetterCounter = std::function<analysis::LetterTally(
    const std::filesystem::path& path, const analysis::MessageSink& limitMessageSink,
    std::int32_t limit)>;

// What the main window takes from outside; each has the real thing as its default, and tests
// replace what they cannot do for real.
struct MainWindowServices {
    // The message box: shows `text` modally over `parent` and returns once the user has
    // dismissed it.
    std::function<void(QWidget* parent, const QString& text)> messageBox = showMessageBox;
    // The number of letters after which counting stops with a message.
    std::int32_t letterLimit = analysis::letterLimit;
    // The file-open dialog behind Select File.
    FileChooser chooseFile = nativeFileChooser;
    // The count behind Calculate Frequency.
    LetterCounter countLetters = [](const std::filesystem::path& path,
                                    const analysis::MessageSink& limitMessageSink, std::int32_t limit) {
        analysis::InputFile file = analysis::InputFile::open(path);
        return analysis::tallyLetters(file, limitMessageSink, limit);
    };
};

class MainWindow : public QWidget {
    Q_OBJECT

  public:
    using Services = MainWindowServices;

    // The window with the real services, ready to show: controls created, rows B to Z built.
    explicit MainWindow(QWidget* parent = nullptr);
    explicit MainWindow(Services services, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Puts `path` into the path box and calculates it, exactly as typing it and pressing Calculate
    // Frequency would, with the same messages. For a file named on the command line or dropped:
    // a window that is shown but not yet painted counts only once it is on the screen, with the
    // hourglass showing.
    void openFile(const QString& path);

    // Makes rows 1 to 25 as copies of row 0, 250 twips apart below it, and shows them. The window
    // does this when it is made; a later call creates nothing and works as resetLetterRows().
    void buildLetterRows();
    // Puts all 26 rows back to rest: count and frequency texts empty, every bar a 10-twip stub,
    // every row at its place. Creates nothing.
    void resetLetterRows();

  public slots:
    // Calculate Frequency: counts the letters of the file named in the path box and shows the
    // results; tells the user when the path names no ordinary file or the file can't be read.
    void calculate();
    // Select File: fills the path box from the file-open dialog.
    void chooseFile();
    // Help: shows the help window.
    void showHelp();
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
    // Starts a count waiting for the window's first painting (see openFile()).
    void paintEvent(QPaintEvent* event) override;

  private:
    void setUpWindow();
    void createLetterRow();
    void createChartLabels();
    void createSidePanel();
    void createInputControls();
    void setTabOrder();
    void createCopyCommand();
    // Marks what screen readers hear: one unit per letter row (its bar), the results with their
    // captions, the path box by its caption; cells the rows speak for and decoration are silent.
    void describeForScreenReaders();
    // The spoken names of the rows and results, from what the window shows now.
    void updateSpokenResults();

    // Both of the above: places the rows from row 0's position, empties their texts and puts
    // their bars to rest, creating the missing rows when `createRows` is set.
    void placeLetterRows(bool createRows);

    // Writes the tally's figures and texts into the rows and the two result labels.
    void showResults(const analysis::LetterTally& tally);
    // Tells the user `text` in the message box over this window; returns once it is dismissed.
    void tellUser(const QString& text);

    Services services_;
    // The tally the grid shows, for Copy Results; empty before the first calculation and after a
    // failed one.
    std::optional<analysis::LetterTally> shownTally_;
    QAction* copyResultsAction_ = nullptr;
    // A count asked for before the window was first painted, started by the first painting.
    bool painted_ = false;
    bool countWaitingForPaint_ = false;

    // The letter grid, one element per row, and its two column headings.
    ControlArray<Label> letterCells;
    ControlArray<Label> countCells;
    ControlArray<Label> frequencyCells;
    ControlArray<LineShape> bars;
    ControlArray<Label> frequencyHeading;
    ControlArray<Label> countHeading;

    Label* largestFrequencyLabel = nullptr;
    Label* scaleStartLabel = nullptr;
    Label* letterColumnCorner = nullptr;
    Label* sidePanel = nullptr;
    Label* websiteLabel = nullptr;
    Label* programNameLabel = nullptr;
    Label* pathCaption = nullptr;
    Label* totalLettersLabel = nullptr;
    Label* totalLettersCaption = nullptr;
    CommandButton* calculateButton = nullptr;
    CommandButton* selectFileButton = nullptr;
    CommandButton* helpButton = nullptr;
    PictureBox* logo = nullptr;
    QLineEdit* pathBox = nullptr;
    FileOpenDialog* fileDialog = nullptr;
};

}  // namespace glyphmeter::ui
