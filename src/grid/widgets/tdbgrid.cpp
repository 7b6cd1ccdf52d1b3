#include "tdbgrid.h"

#include "grid/highlightcolor.h"
#include "grid/tgridcolumn.h"
#include "gridaccessibility.h"
#include "inplaceedit.h"
#include "lookuplistpopup.h"
#include "monthcalendarpopup.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollBar>
#include <QToolTip>
#include <exception>

namespace {

const QColor Silver(192, 192, 192);
const QColor Grey(128, 128, 128);

// A tooltip reads text that looks like markup as markup; a cell's tooltip holds names and rooms
// typed by users, shown as they are, its lines kept.
QString PlainToolTip(const QString& text) {
    QString escaped = text.toHtmlEscaped();
    escaped.replace(u'\n', QStringLiteral("<br>"));
    return QStringLiteral("<p style=\"white-space:pre-wrap\">") + escaped + QStringLiteral("</p>");
}

} // namespace

TDBGrid::TDBGrid(QWidget* parent) : QAbstractScrollArea(parent), m_fixedColor(Silver) {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(8);
    setFont(font);
    m_titleFont = font;
    m_titleFont.setBold(true);
    m_color = palette().color(QPalette::Base);
    m_glyphs[0] = QImage(QStringLiteral(":/grid/GRIDARROW"));
    m_glyphs[1] = QImage(QStringLiteral(":/grid/GRIDEDIT"));
    m_glyphs[2] = QImage(QStringLiteral(":/grid/GRIDINSERT"));
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setMouseTracking(true);
    connect(&m_model, &GridModel::changed, this, &TDBGrid::modelChanged);
    connect(verticalScrollBar(), &QAbstractSlider::actionTriggered, this, [this](int action) {
        // Moving the record may post and fail; the move runs from the event loop, where the
        // application's error handling receives what it raises.
        const int position = verticalScrollBar()->sliderPosition();
        QMetaObject::invokeMethod(
            this, [this, action, position] { scrollBarAction(action, position); }, Qt::QueuedConnection);
    });
    m_edit = new InplaceEdit(viewport());
    m_edit->hide();
    m_edit->installEventFilter(this);
    connect(m_edit, &QLineEdit::cursorPositionChanged, this, &TDBGrid::editorSelectionMoved);
    AttachGridAccessibility(*this);
    connect(m_edit, &QLineEdit::selectionChanged, this, &TDBGrid::editorSelectionMoved);
    // Every change of the text goes through the cell editor; one that slipped past it is undone.
    connect(m_edit, &QLineEdit::textEdited, this, &TDBGrid::showEditorText);
    connect(m_edit, &InplaceEdit::dropDownClicked, this, [this] { m_editor.dropDown(); });
    connect(&m_editor, &CellEditor::cellEntered, this, &TDBGrid::placeEditor);
    connect(&m_editor, &CellEditor::editorChanged, this, &TDBGrid::showEditorText);
    connect(&m_editor, &CellEditor::dropDownChanged, this, &TDBGrid::syncDropDown);
    connect(&m_editor, &CellEditor::findRequested, this, &TDBGrid::findRequested);
    updateArea();
    m_model.setTextMeasure(this);
}

TDBGrid::~TDBGrid() {
    // The model and the cell editor outlive this body: they must neither measure nor notify a grid
    // being destroyed, and the editor's widget goes before them.
    disconnect(&m_model, nullptr, this, nullptr);
    disconnect(&m_editor, nullptr, this, nullptr);
    m_model.setTextMeasure(nullptr);
    delete m_calendar.data();
    delete m_list.data();
    if (m_refused)
        m_refused->removeEventFilter(this);
    m_edit->removeEventFilter(this);
    disconnect(m_edit, nullptr, this, nullptr);
    delete m_edit;
}

void TDBGrid::setTitleFont(const QFont& font) {
    m_titleFont = font;
    m_model.requestLayout();
}

void TDBGrid::setColor(const QColor& color) {
    m_color = color;
    viewport()->update();
}

void TDBGrid::setFixedColor(const QColor& color) {
    m_fixedColor = color;
    viewport()->update();
}

QColor TDBGrid::rowHighlightColor() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return HighlightColor(m_color, palette().color(QPalette::Dark), palette().color(QPalette::Button),
                          screen && screen->depth() <= 8);
}

QColor TDBGrid::dataLineColor() const {
    return m_color == Silver ? Grey : Silver;
}

void TDBGrid::setCellDecoration(const CellDecoration* decoration) {
    m_decoration = decoration;
    viewport()->update();
}

bool TDBGrid::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip || !m_decoration)
        return QAbstractScrollArea::viewportEvent(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const GridHit hit = m_model.layout().hitTest(help->pos().x(), help->pos().y());
    const int record = hit.area == GridHit::Cell ? m_model.recordAtRow(hit.row) : -1;
    const TGridColumn* column = record >= 0 ? m_model.column(hit.column) : nullptr;
    const QString text = column ? m_decoration->cellMark(record, column->fieldName()).toolTip : QString();
    if (text.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
    } else {
        QToolTip::showText(help->globalPos(), PlainToolTip(text), viewport(), cellRect(hit.row, hit.column));
    }
    return true;
}

QRect TDBGrid::cellRect(int row, int column) const {
    const GridLayout& layout = m_model.layout();
    const TGridColumn* found = m_model.column(column);
    const int left = layout.columnLeft(column);
    if (!found || left < 0)
        return QRect();
    return QRect(left, layout.rowTop(row), found->width(), layout.rowHeight());
}

int TDBGrid::titleTextHeight(const QString& text, int width) const {
    const QFontMetrics metrics(m_titleFont, this);
    return metrics.boundingRect(QRect(0, 0, width, 1 << 20), Qt::TextWordWrap, text).height();
}

int TDBGrid::dataTextHeight(const QString& text) const {
    return QFontMetrics(font(), this).size(Qt::TextSingleLine, text).height();
}

void TDBGrid::modelChanged() {
    syncScrollBar();
    placeEditor();
    viewport()->update();
}

void TDBGrid::updateArea() {
    const QRect area = contentsRect();
    m_model.setArea(area.width(), area.height(), verticalScrollBar()->sizeHint().width());
}

void TDBGrid::syncScrollBar() {
    const GridLayout& layout = m_model.layout();
    setVerticalScrollBarPolicy(layout.scrollBarShown() ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    QScrollBar* bar = verticalScrollBar();
    bar->setRange(0, std::max(m_model.recordCount() - 1, 0));
    bar->setPageStep(std::max(layout.fullRowCount(), 1));
    bar->setSingleStep(1);
    bar->setValue(std::max(m_model.currentRecord(), 0));
}

void TDBGrid::scrollBarAction(int action, int position) {
    const int page = std::max(m_model.layout().fullRowCount(), 1);
    try {
        switch (action) {
        case QAbstractSlider::SliderSingleStepAdd:
            m_model.moveBy(1);
            break;
        case QAbstractSlider::SliderSingleStepSub:
            m_model.moveBy(-1);
            break;
        case QAbstractSlider::SliderPageStepAdd:
            m_model.moveBy(page);
            break;
        case QAbstractSlider::SliderPageStepSub:
            m_model.moveBy(-page);
            break;
        case QAbstractSlider::SliderToMinimum:
            m_model.moveToRecord(0);
            break;
        case QAbstractSlider::SliderToMaximum:
            m_model.moveToRecord(m_model.recordCount() - 1);
            break;
        case QAbstractSlider::SliderMove:
            m_model.moveToRecord(position);
            break;
        default:
            break;
        }
    } catch (...) {
        // The slider shows the record that stayed current.
        syncScrollBar();
        throw;
    }
    syncScrollBar();
}

bool TDBGrid::event(QEvent* event) {
    // Tab moves between cells (dgTabs) instead of leaving the grid.
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            keyPressEvent(key);
            return true;
        }
    }
    const bool handled = QAbstractScrollArea::event(event);
    // The grid's own size, not the viewport's: the viewport follows the scroll bar, and laying out
    // again while the scroll area places it would undo the scroll bar's change.
    if (event->type() == QEvent::Resize)
        updateArea();
    return handled;
}

void TDBGrid::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        m_model.requestLayout();
    else if (event->type() == QEvent::StyleChange)
        updateArea();
}

void TDBGrid::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
    if (m_edit->isVisible())
        m_edit->setFocus(event->reason());
}

void TDBGrid::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
    focusLeaving(event);
}

void TDBGrid::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    const QPoint at = event->position().toPoint();
    const GridLayout& layout = m_model.layout();
    const int sizing = layout.sizingColumnAt(at.x(), at.y());
    if (sizing >= 0) {
        m_sizingColumn = sizing;
        m_sizingStartX = at.x();
        m_sizingStartWidth = m_model.column(sizing)->width();
        m_sizingX = at.x();
        viewport()->update();
        return;
    }
    const GridHit hit = layout.hitTest(at.x(), at.y());
    if (hit.area != GridHit::Cell && hit.area != GridHit::Indicator)
        return;
    const int record = m_model.recordAtRow(hit.row);
    if (record < 0)
        return;
    if (record != m_model.currentRecord())
        m_model.moveBy(record - m_model.currentRecord());
    if (hit.column >= 0)
        m_model.setCurrentColumn(hit.column);
}

void TDBGrid::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (m_sizingColumn >= 0) {
        m_sizingX = at.x();
        viewport()->update();
        return;
    }
    if (m_model.layout().sizingColumnAt(at.x(), at.y()) >= 0)
        viewport()->setCursor(Qt::SplitHCursor);
    else
        viewport()->unsetCursor();
}

void TDBGrid::mouseReleaseEvent(QMouseEvent* event) {
    if (m_sizingColumn < 0 || event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseReleaseEvent(event);
        return;
    }
    const int column = m_sizingColumn;
    const int width = m_sizingStartWidth + event->position().toPoint().x() - m_sizingStartX;
    m_sizingColumn = -1;
    viewport()->update();
    m_model.resizeColumn(column, width);
}

void TDBGrid::wheelEvent(QWheelEvent* event) {
    // One record per notch: a notch is 120 units.
    m_wheelRest += event->angleDelta().y();
    const int notches = m_wheelRest / 120;
    m_wheelRest -= notches * 120;
    event->accept();
    if (notches != 0)
        m_model.moveBy(-notches);
}

// Editing -----------------------------------------------------------------------------------------

void TDBGrid::placeEditor() {
    const int row = m_model.rowOfRecord(m_model.currentRecord());
    const QRect cell = row >= 0 ? cellRect(row, m_model.currentColumn()) : QRect();
    if (!m_editor.shown() || cell.width() <= 0 || cell.height() <= 0) {
        if (m_edit->isVisible()) {
            // The focus stays in the grid rather than moving on to the next control.
            if (m_edit->hasFocus())
                setFocus(Qt::OtherFocusReason);
            m_edit->hide();
        }
        return;
    }
    m_edit->setFont(font());
    QPalette colours = m_edit->palette();
    colours.setColor(QPalette::Base, m_color);
    m_edit->setPalette(colours);
    m_edit->setReadOnly(m_editor.editorReadOnly());
    m_edit->setDropDownButton(m_editor.dropDownKind() != CellEditor::DropDown::None);
    m_edit->setGeometry(cell);
    showEditorText();
    if (!m_edit->isVisible()) {
        m_edit->show();
        if (hasFocus())
            m_edit->setFocus(Qt::OtherFocusReason);
    }
}

void TDBGrid::showEditorText() {
    const EditorText& text = m_editor.editor();
    m_showing = true;
    m_edit->display(text.text(), text.anchor(), text.cursor());
    m_showing = false;
}

void TDBGrid::editorSelectionMoved() {
    if (!m_showing)
        m_editor.setSelection(m_edit->anchor(), m_edit->cursorPosition());
}

bool TDBGrid::isTyped(const QKeyEvent* event) const {
    const QString text = event->text();
    if (text.isEmpty())
        return false;
    for (const QChar c : text)
        if (!c.isPrint())
            return false;
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    const bool alt = modifiers.testFlag(Qt::AltModifier);
    // Ctrl with Alt is AltGr on Windows, which types characters.
    return !modifiers.testFlag(Qt::MetaModifier) && ctrl == alt;
}

// A key for the grid, from the editor, the grid itself or an open drop-down; true when it was
// handled here and the widget it was sent to must not see it.
bool TDBGrid::handleKey(QKeyEvent* event) {
    QObject* source = QApplication::focusObject();
    const Qt::KeyboardModifiers modifiers =
        event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    int key = event->key();
    // Ctrl+' is the key left of Enter whatever the layout makes of it: Э in the Russian one.
    constexpr int CyrillicE = 0x042D;
    if (modifiers.testFlag(Qt::ControlModifier) && key == CyrillicE)
        key = Qt::Key_Apostrophe;
#ifdef Q_OS_WIN
    if (modifiers.testFlag(Qt::ControlModifier) && event->nativeVirtualKey() == 222)
        key = Qt::Key_Apostrophe;
#endif
    if (isTyped(event)) {
        m_editor.typeText(event->text());
        return true;
    }
    switch (m_editor.keyPress(key, modifiers)) {
    case CellEditor::KeyResult::Done:
        return true;
    case CellEditor::KeyResult::Editor:
        if (source == m_edit || !m_edit->isVisible())
            return false;
        m_forwarding = true;
        QCoreApplication::sendEvent(m_edit, event);
        m_forwarding = false;
        return true;
    case CellEditor::KeyResult::DropDown:
        if (!m_calendar || source == m_calendar->keyWidget())
            return false;
        m_forwarding = true;
        QCoreApplication::sendEvent(m_calendar->keyWidget(), event);
        m_forwarding = false;
        return true;
    case CellEditor::KeyResult::Paste:
        m_editor.paste(QGuiApplication::clipboard()->text());
        return true;
    case CellEditor::KeyResult::Cut: {
        const QString cut = m_editor.cut();
        if (!cut.isNull())
            QGuiApplication::clipboard()->setText(cut);
        return true;
    }
    case CellEditor::KeyResult::Copy:
        if (m_editor.editor().hasSelection())
            QGuiApplication::clipboard()->setText(m_editor.editor().selectedText());
        return true;
    }
    return true;
}

void TDBGrid::keyPressEvent(QKeyEvent* event) {
    // Keys the editor left alone come on to its parents; they were seen already.
    if (QApplication::focusObject() != this || !handleKey(event))
        QWidget::keyPressEvent(event);
}

bool TDBGrid::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == m_refused && m_refused) {
        // The click whose focus change was refused does not reach its target.
        if (type == QEvent::MouseButtonRelease) {
            refuseFocus(nullptr);
            return true;
        }
        return type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
    }
    const bool fromEditor = watched == m_edit;
    const bool fromDropDown = (m_calendar && (watched == m_calendar || watched == m_calendar->keyWidget())) ||
                              (m_list && (watched == m_list || watched == m_list->list()));
    if (!fromEditor && !fromDropDown)
        return QAbstractScrollArea::eventFilter(watched, event);
    switch (type) {
    case QEvent::KeyPress:
        return !m_forwarding && handleKey(static_cast<QKeyEvent*>(event));
    case QEvent::InputMethod: {
        auto* input = static_cast<QInputMethodEvent*>(event);
        if (!input->commitString().isEmpty())
            m_editor.typeText(input->commitString());
        return true;
    }
    default:
        break;
    }
    if (!fromEditor)
        return false;
    switch (type) {
    case QEvent::FocusOut:
        focusLeaving(static_cast<QFocusEvent*>(event));
        return false;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease: {
        // The middle button pastes the selection clipboard, through the cell editor like any paste.
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::MiddleButton)
            return false;
        if (type == QEvent::MouseButtonRelease && QGuiApplication::clipboard()->supportsSelection())
            m_editor.paste(QGuiApplication::clipboard()->text(QClipboard::Selection));
        return true;
    }
    case QEvent::ContextMenu:
        showContextMenu(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    default:
        return false;
    }
}

// The editor's menu, with its commands run by the cell editor, then the grid's own entries (which
// run themselves when chosen).
void TDBGrid::showContextMenu(const QPoint& globalPos) {
    const EditorText& text = m_editor.editor();
    const bool modifiable = m_editor.canModify();
    QMenu menu(this);
    QAction* cut = menu.addAction(QStringLiteral("Вырезать"));
    QAction* copy = menu.addAction(QStringLiteral("Копировать"));
    QAction* paste = menu.addAction(QStringLiteral("Вставить"));
    QAction* remove = menu.addAction(QStringLiteral("Удалить"));
    menu.addSeparator();
    QAction* selectAll = menu.addAction(QStringLiteral("Выделить все"));
    cut->setEnabled(modifiable && text.hasSelection());
    copy->setEnabled(text.hasSelection());
    paste->setEnabled(modifiable && !QGuiApplication::clipboard()->text().isEmpty());
    remove->setEnabled(modifiable && text.hasSelection());
    selectAll->setEnabled(text.length() > 0 && !text.wholeSelected());
    if (!m_gridMenuActions.isEmpty()) {
        emit gridMenuActionsShowing();
        menu.addSeparator();
        menu.addActions(m_gridMenuActions);
    }
    QAction* chosen = menu.exec(globalPos);
    if (chosen == cut) {
        const QString removed = m_editor.cut();
        if (!removed.isNull())
            QGuiApplication::clipboard()->setText(removed);
    } else if (chosen == copy) {
        QGuiApplication::clipboard()->setText(text.selectedText());
    } else if (chosen == paste) {
        m_editor.paste(QGuiApplication::clipboard()->text());
    } else if (chosen == remove) {
        m_editor.keyPress(Qt::Key_Delete, Qt::NoModifier);
    } else if (chosen == selectAll) {
        m_edit->selectAll();
    }
}

// Leaving the grid writes the cell. When that fails the focus comes back, the click that took it
// away does not happen, and the error goes to the application's error handling.
void TDBGrid::focusLeaving(const QFocusEvent* event) {
    if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason)
        return;
    QWidget* taker = QApplication::focusWidget();
    if (!taker || taker == this || isAncestorOf(taker) || taker->window() != window())
        return;
    try {
        m_editor.writeCell();
    } catch (...) {
        const std::exception_ptr error = std::current_exception();
        if (event->reason() == Qt::MouseFocusReason)
            refuseFocus(taker);
        (m_edit->isVisible() ? static_cast<QWidget*>(m_edit) : this)->setFocus(Qt::OtherFocusReason);
        QMetaObject::invokeMethod(
            this,
            [this, error] {
                // A release that the error box kept from its target must not leave the refusal in
                // place for the next click.
                const auto done = qScopeGuard([this] { refuseFocus(nullptr); });
                std::rethrow_exception(error);
            },
            Qt::QueuedConnection);
    }
}

void TDBGrid::refuseFocus(QWidget* taker) {
    if (m_refused)
        m_refused->removeEventFilter(this);
    m_refused = taker;
    if (taker)
        taker->installEventFilter(this);
}
