// Caption labels placed in twips, text at the top, wrapped and clipped.
#include "Label.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QRegularExpression>

#include "FocusMark.h"
#include "Twips.h"

namespace glyphmeter::ui {

Label::Label(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setMargin(0);
    setIndent(0);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setTransparent();
}

void Label::setTwipsGeometry(float left, float top, float width, float height) {
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    applyGeometry();
}

void Label::setTwipsLeft(float left) {
    left_ = left;
    applyGeometry();
}

void Label::setTwipsTop(float top) {
    top_ = top;
    applyGeometry();
}

void Label::applyGeometry() {
    // A fixed size keeps the label from ever growing to fit its text.
    const QRect rect = twipsRect(left_, top_, width_, height_);
    setFixedSize(rect.size());
    move(rect.topLeft());
}

void Label::setHorizontalAlignment(Qt::Alignment horizontal) {
    setAlignment((horizontal & Qt::AlignHorizontal_Mask) | Qt::AlignTop);
}

void Label::setOpaque(const QColor& background) {
    QPalette colours = palette();
    colours.setColor(QPalette::Window, background);
    setPalette(colours);
    setAutoFillBackground(true);
}

void Label::setTransparent() {
    setAutoFillBackground(false);
}

QStringList Label::wrappedLines() const {
    const QFontMetricsF metrics(font());
    const qreal room = width();
    QStringList lines;
    const QStringList paragraphs =
        text().split(QRegularExpression(QStringLiteral("\\r\\n|\\r|\\n")));
    for (const QString& paragraph : paragraphs) {
        QString line;
        qsizetype position = 0;
        while (position < paragraph.size()) {
            // The next word with the spaces in front of it.
            qsizetype end = position;
            while (end < paragraph.size() && paragraph[end] == u' ') {
                ++end;
            }
            while (end < paragraph.size() && paragraph[end] != u' ') {
                ++end;
            }
            const QString piece = paragraph.mid(position, end - position);
            if (!line.trimmed().isEmpty() && metrics.horizontalAdvance(line + piece) > room) {
                // The word starts the next line; the spaces at the break are dropped.
                lines.append(line);
                line = piece.trimmed();
            } else {
                line += piece;
            }
            position = end;
        }
        lines.append(line);
    }
    return lines;
}

void Label::paintEvent(QPaintEvent*) {
    // The background, when opaque, is already filled; the text is drawn line by line from the
    // top and clipped by the widget's own rectangle.
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    painter.setFont(font());
    const QFontMetrics metrics(font());
    const Qt::Alignment horizontal = alignment() & Qt::AlignHorizontal_Mask;
    const bool focused = hasFocus();
    QRect textArea;
    int top = 0;
    for (const QString& line : wrappedLines()) {
        if (top >= height()) {
            break;
        }
        const QRect lineArea(0, top, width(), metrics.height());
        painter.drawText(lineArea, horizontal | Qt::AlignTop, line);
        if (focused) {
            textArea |= metrics.boundingRect(lineArea, horizontal | Qt::AlignTop, line);
        }
        top += metrics.height();
    }
    if (focused) {
        // Around the text, as a link's focus is shown, a pixel clear of it where there is room.
        const QRect around = textArea.adjusted(-1, 0, 1, 0) & rect();
        drawFocusMark(painter, *this, around.isEmpty() ? rect() : around);
    }
}

void Label::copyAppearanceFrom(const Label& other) {
    width_ = other.width_;
    height_ = other.height_;
    applyGeometry();
    setFont(other.font());
    setPalette(other.palette());
    setAutoFillBackground(other.autoFillBackground());
    setAlignment(other.alignment());
    setWordWrap(other.wordWrap());
    setTextFormat(other.textFormat());
    setMargin(other.margin());
    setIndent(other.indent());
    setFrameStyle(other.frameStyle());
    setStyleSheet(other.styleSheet());
    setText(other.text());
}

}  // namespace glyphmeter::ui
