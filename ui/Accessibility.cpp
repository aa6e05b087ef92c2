// The accessible interfaces behind Accessibility.h, made by a factory that Qt asks first for every
// widget; widgets that are not marked get Qt's own interfaces.
#include "Accessibility.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

#include <algorithm>

namespace glyphmeter::ui::accessibility {

namespace {

constexpr char silentProperty[] = "glyphmeterAccessibleSilent";
constexpr char roleProperty[] = "glyphmeterAccessibleRole";
// Set on a parent that has silent children, so that its interface leaves them out.
constexpr char filtersProperty[] = "glyphmeterAccessibleFiltersChildren";

bool isSilent(const QWidget* widget) {
    return widget->property(silentProperty).toBool();
}

// A widget whose silent children are left out. Its children are its child widgets in stacking
// order, as for Qt's own interface.
class FilteringAccessible : public QAccessibleWidget {
  public:
    using QAccessibleWidget::QAccessibleWidget;

    int childCount() const override { return static_cast<int>(heardChildren().size()); }

    QAccessibleInterface* child(int index) const override {
        const QList<QWidget*> children = heardChildren();
        return index >= 0 && index < children.size()
                   ? QAccessible::queryAccessibleInterface(children[index])
                   : nullptr;
    }

    int indexOfChild(const QAccessibleInterface* child) const override {
        if (!child || !child->object() || !child->object()->isWidgetType()) {
            return -1;
        }
        return static_cast<int>(heardChildren().indexOf(static_cast<QWidget*>(child->object())));
    }

  private:
    QList<QWidget*> heardChildren() const {
        QList<QWidget*> heard;
        for (QObject* object : widget()->children()) {
            auto* child = qobject_cast<QWidget*>(object);
            if (child && !child->isWindow() && !isSilent(child)) {
                heard.append(child);
            }
        }
        return heard;
    }
};

// A control that acts on a click, heard as a link whose press action clicks it.
class LinkAccessible : public QAccessibleWidget {
  public:
    explicit LinkAccessible(QWidget* widget) : QAccessibleWidget(widget, QAccessible::Link) {}

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.linked = true;
        return state;
    }

    QStringList actionNames() const override {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& action) override {
        if (action != pressAction()) {
            QAccessibleWidget::doAction(action);
            return;
        }
        // The links act on a released left button over them, as a mouse click does.
        const QPointF centre = QRectF(widget()->rect()).center();
        QMouseEvent press(QEvent::MouseButtonPress, centre, widget()->mapToGlobal(centre),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, centre, widget()->mapToGlobal(centre),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(widget(), &press);
        QApplication::sendEvent(widget(), &release);
    }

    QStringList keyBindingsForAction(const QString&) const override { return {}; }
};

QAccessibleInterface* makeInterface(const QString&, QObject* object) {
    if (!object || !object->isWidgetType()) {
        return nullptr;
    }
    auto* widget = static_cast<QWidget*>(object);
    if (widget->property(filtersProperty).toBool()) {
        return new FilteringAccessible(
            widget, widget->isWindow() ? QAccessible::Window : QAccessible::Client);
    }
    const QVariant role = widget->property(roleProperty);
    if (!role.isValid()) {
        return nullptr;
    }
    const auto heardAs = static_cast<QAccessible::Role>(role.toInt());
    if (heardAs == QAccessible::Link) {
        return new LinkAccessible(widget);
    }
    return new QAccessibleWidget(widget, heardAs);
}

// Qt keeps the first interface it made for an object, which may be one made before the object was
// marked (setting a text or a name makes one): such an interface is dropped, so that the next
// query asks the factory again.
void dropStaleInterface(QWidget* widget, bool stale(QAccessibleInterface*)) {
    QAccessibleInterface* existing = QAccessible::queryAccessibleInterface(widget);
    if (existing && stale(existing)) {
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(existing));
    }
}

void installFactoryOnce() {
    static const bool installed = [] {
        QAccessible::installFactory(makeInterface);
        return true;
    }();
    Q_UNUSED(installed);
}

}  // namespace

void silence(QWidget* control) {
    installFactoryOnce();
    control->setProperty(silentProperty, true);
    if (QWidget* parent = control->parentWidget()) {
        parent->setProperty(filtersProperty, true);
        dropStaleInterface(parent, [](QAccessibleInterface* existing) {
            return dynamic_cast<FilteringAccessible*>(existing) == nullptr;
        });
    }
}

void setRole(QWidget* control, QAccessible::Role role) {
    installFactoryOnce();
    control->setProperty(roleProperty, static_cast<int>(role));
    dropStaleInterface(control, [](QAccessibleInterface* existing) {
        return existing->role() !=
               static_cast<QAccessible::Role>(existing->object()->property(roleProperty).toInt());
    });
}

}  // namespace glyphmeter::ui::accessibility
