// The help window: the program's name and version, the maker's web address as a link,
// instructions, a notice on free distribution with the store banner as a link, and a warranty
// notice. Its only behaviour is that of the two links. The program has at most one.
#pragma once

#include <QWidget>

namespace glyphmeter::ui {

class Label;
class LineShape;
class MultiLineTextBox;
class PictureBox;

class HelpWindow : public QWidget {
    Q_OBJECT

  public:
    // A top-level window with no owner, built in its designed state and placed at its designed
    // start position; show() shows it. The caller decides its lifetime.
    HelpWindow();

    // The program's help window: shows it modeless and without an owner, and brings it to the
    // front. When none is open it is first built from its design, at its start position; closing
    // it destroys it, so the next call builds a fresh one. There is never more than one.
    static HelpWindow* showInstance();
    // The help window while it is open, otherwise nullptr.
    static HelpWindow* instance();

    // The two links, run by a click on the control or by Enter or Space while it has the focus:
    // each asks the shell once to open its fixed address, on behalf of this window, and ignores
    // the outcome.
    void openStoreLink();
    void openMakerLink();

  private:
    void createWindow();
    void createLabels();
    void createLine();
    void createTextBoxes();
    void createPictures();
    void setTabOrder();

    Label* titleLabel = nullptr;
    Label* makerLink = nullptr;
    Label* registrationHeading = nullptr;
    Label* warrantyHeading = nullptr;
    Label* instructionsHeading = nullptr;
    LineShape* titleRule = nullptr;
    MultiLineTextBox* warrantyText = nullptr;
    MultiLineTextBox* distributionText = nullptr;
    MultiLineTextBox* instructionsText = nullptr;
    PictureBox* decoration = nullptr;
    PictureBox* storeBanner = nullptr;
};

}  // namespace glyphmeter::ui
