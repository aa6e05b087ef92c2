// A multi-line text box for reading: the text wraps at word boundaries inside a fixed rectangle,
// a line break in the text starts a new line, and nothing scrolls.
//
// text() returns the text exactly as set, carriage returns included; the display shows the same
// lines (a final line break adds no visible line, so it is not drawn as an empty one).
#pragma once

#include <QPlainTextEdit>
#include <QString>

namespace glyphmeter::ui {

class MultiLineTextBox : public QPlainTextEdit {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)

  public:
    // A read-only box whose text can be selected and copied but not changed. It has no frame
    // and no scroll bars: its rectangle is made large enough for its text.
    explicit MultiLineTextBox(QWidget* parent);

    const QString& text() const { return text_; }
    void setText(const QString& text);

    // The height in pixels that the wrapped text takes at the current font and width, margins
    // included; the box shows its whole text when this is not above its height.
    int textHeight() const;

  private:
    QString text_;
};

}  // namespace glyphmeter::ui
