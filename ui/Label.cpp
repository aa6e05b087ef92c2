// Caption labels placed in twips, text at the top, wrapped and clipped.
#include "Label.h"

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
