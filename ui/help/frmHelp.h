// The help window: the program's name and version, the maker's web address as a link,
// instructions, a notice on free distribution with the store banner as a link, and a warranty
// notice. Its only behaviour is that of the two links.
#pragma once

#include <QWidget>

class QLabel;

namespace glyphmeter::ui {

class Label;
class LineShape;
class MultiLineTextBox;

class frmHelp : public QWidget {
    Q_OBJECT

  public:
    // A top-level window with no owner, built in its designed state and placed at its designed
    // start position; show() shows it. The caller decides its lifetime.
    frmHelp();

    // Click handlers of the two links: each asks the shell once to open its fixed address, on
    // behalf of this window, and ignores the outcome.
    void AmazonLink_Click();
    void Label2_Click();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void createWindow();
    void createLabels();
    void createLine();
    void createTextBoxes();
    void createPictures();
    void setTabOrder();

    Label* Label1 = nullptr;
    Label* Label2 = nullptr;
    Label* Label3 = nullptr;
    Label* Label4 = nullptr;
    Label* Label5 = nullptr;
    LineShape* Line1 = nullptr;
    MultiLineTextBox* Text1 = nullptr;
    MultiLineTextBox* Text2 = nullptr;
    MultiLineTextBox* Text3 = nullptr;
    QLabel* Picture1 = nullptr;
    QLabel* AmazonLink = nullptr;
};

}  // namespace glyphmeter::ui
