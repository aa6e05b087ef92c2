// Read-only, word-wrapped, non-scrolling text boxes.
#include "MultiLineTextBox.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextOption>
#include <cmath>

namespace glyphmeter::ui {

MultiLineTextBox::MultiLineTextBox(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setFocusPolicy(Qt::StrongFocus);
    setTabChangesFocus(true);
    setFrameStyle(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WordWrap);
    setContextMenuPolicy(Qt::NoContextMenu);
    // A small inset, like a classic edit control's, leaves the most room for the text.
    document()->setDocumentMargin(1);
    // Read-only text: the ordinary arrow, not the text-entry beam.
    viewport()->setCursor(Qt::ArrowCursor);
}

void MultiLineTextBox::setText(const QString& text) {
    text_ = text;
    QString shown = text;
    if (shown.endsWith(QLatin1String("\r\n"))) {
        shown.chop(2);
    }
    // Qt's documents break lines at "\n" alone.
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    setPlainText(shown);
}

int MultiLineTextBox::textHeight() const {
    // A plain-text layout counts its size in lines; add up the laid-out blocks in pixels.
    double height = 2 * document()->documentMargin();
    for (QTextBlock block = document()->firstBlock(); block.isValid(); block = block.next()) {
        height += blockBoundingRect(block).height();
    }
    return static_cast<int>(std::ceil(height));
}

}  // namespace glyphmeter::ui
