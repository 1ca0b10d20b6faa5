#include "shell/gui/ButtonMenu.h"

#include "shell/gui/EventHook.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>
#include <QMenu>
#include <QPushButton>

namespace orv {

namespace {

const char* const kExposesMenu = "orvExposesContextMenu";

QMenu* exposedMenu(const QObject* button) {
    return button->property(kExposesMenu).toBool()
               ? button->findChild<QMenu*>(QString(), Qt::FindDirectChildrenOnly)
               : nullptr;
}

// A push button as the toolkit shows it (name from its text, pressed and
// default states, the press action), with its context menu as a child while
// that is open, and an action that opens it.
class ButtonWithContextMenu final : public QAccessibleWidget {
public:
    explicit ButtonWithContextMenu(QPushButton* button)
        : QAccessibleWidget(button, QAccessible::PushButton) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && button()->accessibleName().isEmpty())
            return QString(button()->text()).remove(QLatin1Char('&'));
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.pressed = button()->isDown();
        s.defaultButton = button()->isDefault();
        s.hasPopup = true;
        return s;
    }
    int childCount() const override { return QAccessibleWidget::childCount() + (openMenu() ? 1 : 0); }
    QAccessibleInterface* child(int index) const override {
        if (QMenu* menu = openMenu(); menu && index == QAccessibleWidget::childCount())
            return QAccessible::queryAccessibleInterface(menu);
        return QAccessibleWidget::child(index);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        if (QMenu* menu = openMenu(); menu && child && child->object() == menu)
            return QAccessibleWidget::childCount();
        return QAccessibleWidget::indexOfChild(child);
    }
    QStringList actionNames() const override {
        return QStringList{pressAction(), showMenuAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& name) override {
        if (name == pressAction())
            button()->click();
        else if (name == showMenuAction())
            emit button()->customContextMenuRequested(button()->rect().center());
        else
            QAccessibleWidget::doAction(name);
    }

private:
    QPushButton* button() const { return static_cast<QPushButton*>(widget()); }
    QMenu* openMenu() const {
        QMenu* menu = exposedMenu(button());
        return menu && menu->isVisible() ? menu : nullptr;
    }
};

QAccessibleInterface* buttonsWithContextMenus(const QString& className, QObject* object) {
    if (className == QLatin1String("QPushButton") && object && exposedMenu(object))
        return new ButtonWithContextMenu(static_cast<QPushButton*>(object));
    return nullptr;
}

} // namespace

void ExposeContextMenu(QPushButton& button, QMenu& menu) {
    static const bool installed = [] {
        QAccessible::installFactory(buttonsWithContextMenus);
        return true;
    }();
    (void)installed;
    menu.setParent(&button, menu.windowFlags());
    button.setProperty(kExposesMenu, true);
    // An assistive technology that was already listening may have been given
    // the plain button's interface: it makes way for the new one.
    QAccessibleInterface* current = QAccessible::queryAccessibleInterface(&button);
    if (current && !dynamic_cast<ButtonWithContextMenu*>(current)) {
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(current));
        QAccessible::queryAccessibleInterface(&button);
    }
    // Opening and closing the menu changes the button's children.
    EventHook::install(&menu, [&button](QEvent* event) {
        if (event->type() == QEvent::Show || event->type() == QEvent::Hide) {
            QAccessibleEvent reorder(&button, QAccessible::ObjectReorder);
            QAccessible::updateAccessibility(&reorder);
        }
        return false;
    });
}

} // namespace orv
