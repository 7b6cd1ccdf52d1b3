#include "selectoraccessibility.h"

#include "grid/widgets/readonlyaccessibletext.h"
#include "lookupcombobox.h"
#include "schedule/lookupselector.h"
#include "selectorlistpopup.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QLabel>
#include <QPointer>
#include <QWindow>

namespace {

class SelectorAccessible : public QAccessibleWidget, public ReadOnlyAccessibleText {
public:
    explicit SelectorAccessible(LookupComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

    LookupComboBox* box() const { return static_cast<LookupComboBox*>(widget()); }

    QString shownText() const override { return box()->selector().shownText(); }

    QString text(QAccessible::Text which) const override {
        if (which == QAccessible::Value)
            return shownText();
        return QAccessibleWidget::text(which);
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.expandable = true;
        state.expanded = box()->isDroppedDown();
        state.collapsed = !state.expanded;
        state.hasPopup = true;
        return state;
    }

    QList<std::pair<QAccessibleInterface*, QAccessible::Relation>>
    relations(QAccessible::Relation match) const override {
        auto found = QAccessibleWidget::relations(match);
        if (match.testFlag(QAccessible::Label) && box()->label() != nullptr)
            found.append({QAccessible::queryAccessibleInterface(box()->label()), QAccessible::Label});
        return found;
    }

    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override {
        return index == 0 ? QAccessible::queryAccessibleInterface(box()->popup()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child != nullptr && child->object() == box()->popup() ? 0 : -1;
    }

    QStringList actionNames() const override {
        return QStringList{showMenuAction(), pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action == showMenuAction() || action == pressAction()) {
            if (box()->isDroppedDown())
                box()->closeUp();
            else
                box()->dropDown();
            return;
        }
        QAccessibleWidget::doAction(action);
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
};

class SelectorListAccessible;

// One row of a selector's list; it has no widget of its own (the list paints its rows).
class SelectorItemAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    SelectorItemAccessible(SelectorListPopup* popup, int row) : m_popup(popup), m_row(row) {}

    bool isValid() const override { return m_popup && m_row < m_popup->owner().selector().rowCount(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_popup ? m_popup->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(m_popup); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    void setText(QAccessible::Text, const QString&) override {}

    QString text(QAccessible::Text which) const override {
        if (which != QAccessible::Name || !isValid())
            return {};
        return m_popup->owner().selector().rowText(m_row);
    }

    // Only the rows on the open list's lines are on the screen.
    int line() const {
        if (!m_popup || !m_popup->isVisible())
            return -1;
        for (int line = 0; line < m_popup->list().lineCount(); ++line)
            if (m_popup->list().rowAtLine(line) == m_row)
                return line;
        return -1;
    }

    QRect rect() const override {
        const int shownLine = line();
        if (shownLine < 0)
            return {};
        const QRect local = m_popup->lineRect(shownLine);
        return QRect(m_popup->mapToGlobal(local.topLeft()), local.size());
    }

    QAccessible::State state() const override {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        state.selectable = true;
        // While the list is open its highlight is the selection; closed, the chosen row.
        const LookupComboBox& box = m_popup->owner();
        const int selected = box.isDroppedDown() ? m_popup->list().highlighted() : box.selector().rowOfKey();
        state.selected = selected == m_row;
        state.focused = state.selected && box.isDroppedDown();
        state.invisible = line() < 0;
        state.offscreen = state.invisible;
        return state;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    // Pressing a row of the open list picks it, as a click on it does.
    void doAction(const QString& action) override {
        if (action == pressAction() && isValid() && m_popup->owner().isDroppedDown())
            m_popup->owner().pickFromList(m_row);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ActionInterface)
            return static_cast<QAccessibleActionInterface*>(this);
        return nullptr;
    }

private:
    QPointer<SelectorListPopup> m_popup;
    int m_row;
};

class SelectorListAccessible : public QAccessibleWidget {
public:
    explicit SelectorListAccessible(SelectorListPopup* popup) : QAccessibleWidget(popup, QAccessible::List) {}
    ~SelectorListAccessible() override {
        for (const QAccessible::Id id : std::as_const(m_items))
            QAccessible::deleteAccessibleInterface(id);
    }

    SelectorListPopup* popup() const { return static_cast<SelectorListPopup*>(widget()); }

    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(&popup()->owner());
    }

    QString text(QAccessible::Text which) const override {
        if (which == QAccessible::Name)
            return popup()->owner().accessibleName();
        return QAccessibleWidget::text(which);
    }

    // The rows; the scroll bar is the list's own and not read out.
    int childCount() const override { return popup()->owner().selector().rowCount(); }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount())
            return nullptr;
        auto found = m_items.constFind(index);
        if (found != m_items.constEnd())
            return QAccessible::accessibleInterface(*found);
        QAccessibleInterface* item = new SelectorItemAccessible(popup(), index);
        m_items.insert(index, QAccessible::registerAccessibleInterface(item));
        return item;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (auto item = m_items.constBegin(); item != m_items.constEnd(); ++item)
            if (QAccessible::accessibleInterface(item.value()) == child)
                return item.key() < childCount() ? item.key() : -1;
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        if (!popup()->isVisible())
            return nullptr;
        const int row = popup()->rowAt(popup()->mapFromGlobal(QPoint(x, y)));
        return row >= 0 ? child(row) : nullptr;
    }
    QAccessibleInterface* focusChild() const override {
        const int highlighted = popup()->list().highlighted();
        return popup()->isVisible() && highlighted >= 0 ? child(highlighted) : nullptr;
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.invisible = !popup()->isVisible();
        return state;
    }

private:
    mutable QHash<int, QAccessible::Id> m_items;
};

QAccessibleInterface* SelectorAccessibilityFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("LookupComboBox"))
        return new SelectorAccessible(static_cast<LookupComboBox*>(object));
    if (className == QLatin1String("SelectorListPopup"))
        return new SelectorListAccessible(static_cast<SelectorListPopup*>(object));
    return nullptr;
}

} // namespace

void AnnounceSelectorValue(LookupComboBox& box) {
    if (!QAccessible::isActive())
        return;
    QAccessibleValueChangeEvent event(&box, box.selector().shownText());
    QAccessible::updateAccessibility(&event);
}

void AnnounceHighlightedRow(SelectorListPopup& popup) {
    const int row = popup.list().highlighted();
    if (!QAccessible::isActive() || !popup.isVisible() || row < 0)
        return;
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(&popup);
    if (QAccessibleInterface* item = list != nullptr ? list->child(row) : nullptr) {
        QAccessibleEvent focus(item, QAccessible::Focus);
        QAccessible::updateAccessibility(&focus);
    }
}

void InstallSelectorAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(SelectorAccessibilityFactory);
        return true;
    }();
    Q_UNUSED(installed)
}
