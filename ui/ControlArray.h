// Control arrays: a named family of like controls of one window, addressed by an integer index.
//
// The window creates the designed element itself and adopts it (element 0 of the letter rows;
// element 1 of a heading array); it is the template. createElement(index) creates another element
// as a copy of the template's appearance (Control::copyAppearanceFrom: size, font, colours,
// alignment, background style, line width), at the template's position, hidden, stacked just above
// the highest-indexed element so far. Every element's objectName is "name(index)", such as
// "lblCount(12)".
//
// The window owns the elements through Qt's parent; the array only addresses them.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include <iterator>
#include <map>

namespace glyphmeter::ui {

// The objectName of element `index` of the control array `name`.
inline QString elementName(const QString& name, int index) {
    return QStringLiteral("%1(%2)").arg(name).arg(index);
}

template <class Control>
class ControlArray {
  public:
    explicit ControlArray(QString name) : name_(std::move(name)) {}

    // Registers `designed`, created by the window from its design, as element `index` and names
    // it. The first element adopted is the template of every element created later.
    Control* adopt(Control* designed, int index = 0) {
        designed->setObjectName(elementName(name_, index));
        elements_.emplace(index, designed);
        if (!templ_) {
            templ_ = designed;
        }
        return designed;
    }

    const QString& name() const { return name_; }
    int count() const { return static_cast<int>(elements_.size()); }
    bool contains(int index) const { return elements_.contains(index); }

    // Element `index`, or nullptr when it has not been created.
    Control* operator[](int index) const {
        const auto found = elements_.find(index);
        return found == elements_.end() ? nullptr : found->second.data();
    }

    // Creates element `index` as a hidden copy of the template and returns it. An element that
    // already exists is returned as it is, so no index ever names two controls.
    Control* createElement(int index) {
        if (Control* existing = (*this)[index]) {
            return existing;
        }
        Control* templ = templ_;
        Control* latest = std::prev(elements_.end())->second;
        auto* element = new Control(templ->parentWidget());
        element->setObjectName(elementName(name_, index));
        element->copyAppearanceFrom(*templ);
        copyPosition(*templ, *element);
        element->hide();
        // Just above the highest-indexed element: the family keeps its place in the drawing order.
        element->stackUnder(latest);
        latest->stackUnder(element);
        elements_.emplace(index, element);
        return element;
    }

  private:
    template <class T>
    static void copyPosition(const T& from, T& to) {
        if constexpr (requires { from.twipsLeft(); }) {
            to.setTwipsLeft(from.twipsLeft());
            to.setTwipsTop(from.twipsTop());
        } else if constexpr (requires { from.x1(); }) {
            to.setEnds(from.x1(), from.y1(), from.x2(), from.y2());
        }
    }

    QString name_;
    QPointer<Control> templ_;
    std::map<int, QPointer<Control>> elements_;
};

}  // namespace glyphmeter::ui
