// The program's modal message box.
#include "MessageBox.h"

#include <QMessageBox>

namespace glyphmeter::ui {

void showMessageBox(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf16(programTitle), text, QMessageBox::Ok,
                    parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

}  // namespace glyphmeter::ui
