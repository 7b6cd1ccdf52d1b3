#include "gridaccessibility.h"

#include "dropdownpopup.h"
#include "grid/tgridcolumn.h"
#include "inplaceedit.h"
#include "lookuplistpopup.h"
#include "monthcalendarpopup.h"
#include "readonlyaccessibletext.h"
#include "tdbgrid.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QPointer>
#include <QWindow>

namespace {

class GridAccessible;

// The grid's current cell; it has no widget of its own (the cell editor lies over it).
class GridCellAccessible : public QAccessibleInterface, public ReadOnlyAccessibleText {
public:
    explicit GridCellAccessible(TDBGrid* grid) : m_grid(grid) {}

    bool isValid() const override { return m_grid && m_grid->model().currentRecord() >= 0; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_grid ? m_grid->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(m_grid); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessible::Role role() const override { return QAccessible::Cell; }

    QString text(QAccessible::Text which) const override {
        if (!isValid())
            return {};
        const GridModel& model = m_grid->model();
        switch (which) {
        case QAccessible::Name:
            return AccessibleColumnTitle(model, model.currentColumn());
        case QAccessible::Value:
            return shownText();
        default:
            return {};
        }
    }
    void setText(QAccessible::Text, const QString&) override {}

    QString shownText() const override {
        if (!isValid())
            return {};
        // While the cell is typed into, the editor's text is what the user sees.
        const InplaceEdit* edit = m_grid->inplaceEditor();
        if (edit != nullptr && edit->isVisible())
            return edit->text();
        return m_grid->model().displayText(m_grid->model().currentColumn());
    }

    QRect rect() const override {
        if (!isValid())
            return {};
        const GridModel& model = m_grid->model();
        const int row = model.rowOfRecord(model.currentRecord());
        if (row < 0)
            return {};
        const QRect cell = m_grid->cellRect(row, model.currentColumn());
        return QRect(m_grid->viewport()->mapToGlobal(cell.topLeft()), cell.size());
    }

    QAccessible::State state() const override {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        state.focusable = true;
        state.selectable = true;
        state.selected = true;
        state.focused = m_grid->hasFocus() || m_grid->isAncestorOf(QApplication::focusWidget());
        state.readOnly = m_grid->inplaceEditor() == nullptr || m_grid->inplaceEditor()->isReadOnly();
        state.editable = !state.readOnly;
        if (rect().isEmpty())
            state.invisible = true;
        return state;
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return nullptr;
    }

private:
    QPointer<TDBGrid> m_grid;
};

// The grid: its widgets (the cell editor, the scroll bar), then the current cell, then the open
// drop-down, which as a window of its own is not among its child widgets.
class GridAccessible : public QAccessibleWidget {
public:
    explicit GridAccessible(TDBGrid* grid) : QAccessibleWidget(grid, QAccessible::Table) {
        m_cell = QAccessible::registerAccessibleInterface(new GridCellAccessible(grid));
    }
    ~GridAccessible() override { QAccessible::deleteAccessibleInterface(m_cell); }

    TDBGrid* grid() const { return static_cast<TDBGrid*>(widget()); }

    int childCount() const override {
        return QAccessibleWidget::childCount() + (cell()->isValid() ? 1 : 0) +
               (dropDown() != nullptr ? 1 : 0);
    }

    QAccessibleInterface* child(int index) const override {
        const int widgets = QAccessibleWidget::childCount();
        if (index < widgets)
            return QAccessibleWidget::child(index);
        index -= widgets;
        if (cell()->isValid()) {
            if (index == 0)
                return cell();
            --index;
        }
        if (index == 0 && dropDown() != nullptr)
            return QAccessible::queryAccessibleInterface(dropDown());
        return nullptr;
    }

    int indexOfChild(const QAccessibleInterface* child) const override {
        for (int index = 0; index < childCount(); ++index)
            if (this->child(index) == child)
                return index;
        return -1;
    }

    QAccessibleInterface* focusChild() const override {
        if (dropDown() != nullptr)
            return QAccessible::queryAccessibleInterface(dropDown());
        if (cell()->isValid() && state().focused)
            return cell();
        return QAccessibleWidget::focusChild();
    }

private:
    QAccessibleInterface* cell() const { return QAccessible::accessibleInterface(m_cell); }
    DropDownPopup* dropDown() const {
        if (grid()->calendarPopup() != nullptr)
            return grid()->calendarPopup();
        return grid()->listPopup();
    }

    QAccessible::Id m_cell = 0;
};

// An open drop-down of the grid, under the grid in the tree rather than beside the windows, and
// named after the column it belongs to.
class DropDownAccessible : public QAccessibleWidget {
public:
    explicit DropDownAccessible(DropDownPopup* popup) : QAccessibleWidget(popup, QAccessible::Window) {}

    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(widget()->parentWidget());
    }

    QString text(QAccessible::Text which) const override {
        if (which == QAccessible::Name) {
            if (const auto* grid = qobject_cast<const TDBGrid*>(widget()->parentWidget()))
                return AccessibleColumnTitle(grid->model(), grid->model().currentColumn());
        }
        return QAccessibleWidget::text(which);
    }
};

QAccessibleInterface* GridAccessibilityFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("TDBGrid"))
        return new GridAccessible(static_cast<TDBGrid*>(object));
    if (className == QLatin1String("DropDownPopup"))
        return new DropDownAccessible(static_cast<DropDownPopup*>(object));
    return nullptr;
}

} // namespace

QString AccessibleColumnTitle(const GridModel& model, int column) {
    const TGridColumn* shown = model.column(column);
    if (shown == nullptr)
        return {};
    return shown->caption().split(QLatin1Char('|')).join(QStringLiteral(": "));
}

void AttachGridAccessibility(TDBGrid& grid) {
    static const bool installed = [] {
        QAccessible::installFactory(GridAccessibilityFactory);
        return true;
    }();
    Q_UNUSED(installed)
    // The focus stays in the cell editor from cell to cell: its name tells which column it is in.
    QObject::connect(&grid.model(), &GridModel::changed, &grid, [&grid] {
        if (InplaceEdit* edit = grid.inplaceEditor()) {
            const QString title = AccessibleColumnTitle(grid.model(), grid.model().currentColumn());
            if (edit->accessibleName() != title)
                edit->setAccessibleName(title);
        }
    });
}
