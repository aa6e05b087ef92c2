// A caption label laid out the way the windows' designs mean it.
//
// Compared with a plain QLabel:
//   - its rectangle is kept in twips (Left, Top, Width, Height, single precision), so a position
//     read back is exactly the one set, even where it falls between two pixels;
//   - the text sits at the top of the rectangle (QLabel would centre it vertically), wraps only
//     at spaces and line ends (a word wider than the label stays whole on its line: Qt's own
//     wrapping would also break "0.1501" after the point) and is clipped at the edges; the label
//     never sizes itself to its text;
//   - it is either transparent (paints nothing behind its text) or opaque (fills its rectangle
//     with one background colour);
//   - its text is plain text, never rich text, and it ignores the mouse (unless made a link,
//     Link.h);
//   - it takes no keyboard focus; one that is given a focus policy (a link) shows the focus mark
//     around its text while it has the focus.
// Labels can be control-array elements: copyAppearanceFrom() copies every appearance setting.
#pragma once

#include <QColor>
#include <QLabel>
#include <QStringList>

namespace glyphmeter::ui {

class Label : public QLabel {
    Q_OBJECT
    Q_PROPERTY(float twipsLeft READ twipsLeft WRITE setTwipsLeft)
    Q_PROPERTY(float twipsTop READ twipsTop WRITE setTwipsTop)
    Q_PROPERTY(float twipsWidth READ twipsWidth)
    Q_PROPERTY(float twipsHeight READ twipsHeight)
    Q_PROPERTY(bool opaque READ isOpaque)

  public:
    // A transparent, left-aligned label with no text and an empty rectangle.
    explicit Label(QWidget* parent);

    // Places the label; every value in twips.
    void setTwipsGeometry(float left, float top, float width, float height);
    void setTwipsLeft(float left);
    void setTwipsTop(float top);
    float twipsLeft() const { return left_; }
    float twipsTop() const { return top_; }
    float twipsWidth() const { return width_; }
    float twipsHeight() const { return height_; }

    // Qt::AlignLeft, Qt::AlignRight or Qt::AlignHCenter; the text always stays at the top.
    void setHorizontalAlignment(Qt::Alignment horizontal);

    // Fills the rectangle with `background` behind the text.
    void setOpaque(const QColor& background);
    // Paints no background: what lies behind the label shows through.
    void setTransparent();
    bool isOpaque() const { return autoFillBackground(); }

    // The lines the text is drawn as, top to bottom.
    QStringList wrappedLines() const;

    // Takes size, font, colours, alignment, background style and text of `other`; position and
    // visibility stay as they are.
    void copyAppearanceFrom(const Label& other);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void applyGeometry();

    float left_ = 0;
    float top_ = 0;
    float width_ = 0;
    float height_ = 0;
};

}  // namespace glyphmeter::ui
