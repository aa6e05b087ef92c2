#include "DesignWindow.h"

#include <QIcon>
#include <QPalette>
#include <QWidget>

#include "Twips.h"

namespace glyphmeter::ui {

QRect twipsRect(const Box& box) {
    return twipsRect(box.left, box.top, box.width, box.height);
}

QFont designFont(double points, bool bold) {
    QFont font;
    font.setFamilies({QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans")});
    font.setPointSizeF(points);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    return font;
}

void setUpFixedWindow(QWidget* window, const QString& objectName, const QString& title,
                      const Box& clientArea) {
    window->setObjectName(objectName);
    window->setWindowTitle(title);
    window->setWindowIcon(QIcon(QStringLiteral(":/main/glyphmeter.png")));
    window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                           Qt::MSWindowsFixedSizeDialogHint);
    const QRect client = twipsRect(clientArea);
    window->setFixedSize(client.size());
    // Geometry places the client area, not the frame, so the content opens where designed.
    window->setGeometry(client);
    QPalette colours = window->palette();
    colours.setColor(QPalette::Window, windowGrey);
    colours.setColor(QPalette::WindowText, controlText);
    window->setPalette(colours);
    window->setAutoFillBackground(true);
}

}  // namespace glyphmeter::ui
