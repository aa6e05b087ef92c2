// The desktop's URL handler through Qt, used where there is no Windows shell.
#include "DesktopOpener.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

namespace glyphmeter::ui::HyperlinkModule {

void openWithDesktop(const std::string& address) {
    // Like the Windows shell's result, the outcome is not looked at.
    QDesktopServices::openUrl(QUrl(QString::fromStdString(address)));
}

}  // namespace glyphmeter::ui::HyperlinkModule
