#include "tgridfinddlg.h"

#include "grid/gridmodel.h"
#include "tdbgrid.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSizeGrip>
#include <QStyle>

TGridFindDlg* GridFindDlg = nullptr;

namespace {

// Rows of a combo box's drop-down list.
constexpr int DropDownRows = 17;

// A label sizes itself to its text, so a wider font than the design's never clips it.
QLabel* label(const char* name, const QString& caption, const QRect& box, QWidget* parent) {
    auto* created = new QLabel(caption, parent);
    created->setObjectName(name);
    created->setGeometry(box);
    created->resize(std::max(box.width(), created->sizeHint().width()), box.height());
    return created;
}

// A combo box whose drop-down list the user resizes by a grip at its bottom right corner; the size
// given stays for the list's later openings in the run.
class ResizableComboBox : public QComboBox {
public:
    using QComboBox::QComboBox;

    void showPopup() override {
        m_placing = true;
        QComboBox::showPopup();
        QWidget* popup = view()->window();
        if (popup == window()) {
            m_placing = false;
            return;
        }
        if (!m_grip) {
            m_grip = new QSizeGrip(popup);
            m_grip->setFixedSize(m_grip->sizeHint());
            popup->installEventFilter(this);
        }
        if (m_userSize.isValid())
            popup->resize(m_userSize);
        placeGrip(popup);
        m_grip->show();
        m_placing = false;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (m_grip && watched == m_grip->parentWidget() && event->type() == QEvent::Resize) {
            auto* popup = static_cast<QWidget*>(watched);
            placeGrip(popup);
            if (!m_placing && popup->isVisible())
                m_userSize = popup->size();
        }
        return QComboBox::eventFilter(watched, event);
    }

private:
    void placeGrip(const QWidget* popup) {
        const QRect inside = popup->contentsRect();
        m_grip->move(inside.right() + 1 - m_grip->width(), inside.bottom() + 1 - m_grip->height());
        m_grip->raise();
    }

    QPointer<QSizeGrip> m_grip;
    QSize m_userSize;
    bool m_placing = false;
};

QComboBox* comboBox(const char* name, const QRect& box, QWidget* parent, bool resizable = false) {
    auto* created = resizable ? new ResizableComboBox(parent) : new QComboBox(parent);
    created->setObjectName(name);
    created->setGeometry(box);
    created->setMaxVisibleItems(DropDownRows);
    return created;
}

QCheckBox* checkBox(const char* name, const QString& caption, const QRect& box, bool checked,
                    QWidget* parent) {
    auto* created = new QCheckBox(caption, parent);
    created->setObjectName(name);
    created->setGeometry(box);
    created->setChecked(checked);
    return created;
}

QPushButton* button(const char* name, const QString& caption, const QRect& box, QWidget* parent) {
    auto* created = new QPushButton(caption, parent);
    created->setObjectName(name);
    created->setGeometry(box);
    // Enter belongs to Find next wherever the focus is, not to a default button.
    created->setAutoDefault(false);
    return created;
}

bool isEnter(const QKeyEvent* event) {
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

} // namespace

TGridFindDlg::TGridFindDlg(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    setObjectName("GridFindDlg");
    setWindowTitle(QStringLiteral("Find text"));
    setFixedSize(505, 124);
    QFont dialogFont(QStringLiteral("MS Sans Serif"));
    dialogFont.setPixelSize(10);
    setFont(dialogFont);

    Label1 = label("Label1", QStringLiteral("Fi&nd What:"), QRect(10, 12, 52, 13), this);
    cbText = comboBox("cbText", QRect(88, 9, 316, 21), this, true);
    cbText->setEditable(true);
    // The history grows by Find next alone; typing is never completed from it.
    cbText->setInsertPolicy(QComboBox::NoInsert);
    cbText->setCompleter(nullptr);
    Label2 = label("Label2", QStringLiteral("Find &in:"), QRect(10, 35, 34, 13), this);
    cbFindIn = comboBox("cbFindIn", QRect(88, 32, 192, 21), this, true);
    cbMatchType = label("cbMatchType", QStringLiteral("Matc&h:"), QRect(10, 58, 33, 13), this);
    cbMatchinType = comboBox("cbMatchinType", QRect(88, 55, 144, 21), this);
    cbMatchinType->addItems({QStringLiteral("From any part of field"), QStringLiteral("Whole field"),
                             QStringLiteral("From beging of field")});
    Label3 = label("Label3", QStringLiteral("Sea&rch:"), QRect(10, 82, 37, 13), this);
    cbFindDirection = comboBox("cbFindDirection", QRect(88, 79, 144, 21), this);
    cbFindDirection->addItems({QStringLiteral("Up"), QStringLiteral("Down"), QStringLiteral("All")});
    cbFindDirection->setCurrentIndex(2);
    cbCharCase = checkBox("cbCharCase", QStringLiteral("Match &Case"), QRect(88, 105, 144, 14), false, this);
    cbUseFormat =
        checkBox("cbUseFormat", QStringLiteral("Match F&ormat"), QRect(260, 105, 144, 14), true, this);
    bFind = button("bFind", QStringLiteral("&Find next"), QRect(413, 9, 82, 23), this);
    bCancel = button("bCancel", QStringLiteral("Close"), QRect(413, 37, 82, 22), this);

    setTabOrder(cbText, cbFindIn);
    setTabOrder(cbFindIn, cbMatchinType);
    setTabOrder(cbMatchinType, cbFindDirection);
    setTabOrder(cbFindDirection, cbCharCase);
    setTabOrder(cbCharCase, cbUseFormat);
    setTabOrder(cbUseFormat, bFind);
    setTabOrder(bFind, bCancel);

    // A label shows its access key underlined only with a buddy; the shortcut that the buddy
    // brings is swallowed (eventFilter), so that the labels' access keys do nothing.
    Label1->setBuddy(cbText);
    Label2->setBuddy(cbFindIn);
    cbMatchType->setBuddy(cbMatchinType);
    Label3->setBuddy(cbFindDirection);

    m_search.setDirection(GridFind::Direction::All);
    m_search.setMatch(GridFind::Match::AnyPart);
    m_search.setMatchCase(false);
    m_search.setUseFormat(true);
    m_plainMessage = [this](const QString& text) {
        QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), text, QMessageBox::Ok,
                        this);
        // The search text is the user's, never markup.
        box.setTextFormat(Qt::PlainText);
        box.exec();
    };

    // The window sees every key before its controls.
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);

    connect(cbText, &QComboBox::editTextChanged, this, &TGridFindDlg::cbTextChange);
    connect(cbFindIn, &QComboBox::currentIndexChanged, this, &TGridFindDlg::cbFindInChange);
    connect(cbMatchinType, &QComboBox::currentIndexChanged, this, &TGridFindDlg::cbMatchinTypeChange);
    connect(cbFindDirection, &QComboBox::currentIndexChanged, this, &TGridFindDlg::cbFindDirectionChange);
    connect(cbCharCase, &QCheckBox::toggled, this, &TGridFindDlg::cbCharCaseClick);
    connect(cbUseFormat, &QCheckBox::toggled, this, &TGridFindDlg::cbUseFormatClick);
    connect(bFind, &QPushButton::clicked, this, &TGridFindDlg::bFindClick);
    connect(bCancel, &QPushButton::clicked, this, &TGridFindDlg::bCancelClick);
}

TGridFindDlg::~TGridFindDlg() {
    if (GridFindDlg == this)
        GridFindDlg = nullptr;
}

TGridFindDlg* TGridFindDlg::Instance(QWidget* owner) {
    if (!GridFindDlg)
        GridFindDlg = new TGridFindDlg(owner);
    else if (GridFindDlg->parentWidget() != owner)
        GridFindDlg->setParent(owner, GridFindDlg->windowFlags());
    return GridFindDlg;
}

int TGridFindDlg::Execute(TDBGrid& grid, const QString& text) {
    TGridFindDlg* dialog = Instance(grid.window());
    dialog->Prepare(grid, text);
    if (const QScreen* screen = grid.screen())
        dialog->move(screen->geometry().center() - dialog->rect().center());
    return dialog->exec();
}

void TGridFindDlg::Prepare(TDBGrid& grid, const QString& text) {
    cbText->setEditText(text);
    m_search.setGrid(&grid.model());
    {
        const QSignalBlocker blocker(cbFindIn);
        cbFindIn->clear();
        cbFindIn->addItems(m_search.rebuildFindIn());
        cbFindIn->setCurrentIndex(m_search.currentColumnEntry());
        // The box is narrower than the two-level captions; its list shows them whole.
        QAbstractItemView* list = cbFindIn->view();
        const QFontMetrics metrics(list->font());
        int widest = 0;
        for (const QString& entry : m_search.findInEntries())
            widest = std::max(widest, metrics.horizontalAdvance(entry));
        // Room for the item's margins, the list's frame and its scroll bar.
        list->setMinimumWidth(widest + 16 + 2 * list->frameWidth() +
                              list->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    }
    cbFindInChange(cbFindIn->currentIndex());
    cbText->setFocus();
    cbText->lineEdit()->selectAll();
}

void TGridFindDlg::setPlainMessage(PlainMessage show) {
    m_plainMessage = std::move(show);
}

void TGridFindDlg::FindNext(bool ctrlHeld) {
    GridFind::Outcome outcome;
    try {
        outcome = m_search.findNext(ctrlHeld);
    } catch (...) {
        syncHistory();
        throw;
    }
    syncHistory();
    if (outcome == GridFind::Outcome::NotFound && m_plainMessage)
        m_plainMessage(QStringLiteral("String \"%1\" not found.").arg(m_search.text()));
}

void TGridFindDlg::bFindClick() {
    FindNext(QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier));
}

void TGridFindDlg::bCancelClick() {
    done(CancelResult);
}

void TGridFindDlg::reject() {
    done(CancelResult);
}

void TGridFindDlg::cbTextChange(const QString& text) {
    m_search.setText(text);
}

void TGridFindDlg::cbFindInChange(int index) {
    m_search.setFindIn(index);
    if (m_search.findIn() != index) {
        const QSignalBlocker blocker(cbFindIn);
        cbFindIn->setCurrentIndex(m_search.findIn());
    }
}

void TGridFindDlg::cbMatchinTypeChange(int index) {
    const GridFind::Match matches[] = {GridFind::Match::AnyPart, GridFind::Match::WholeField,
                                       GridFind::Match::FromBeginning};
    if (index >= 0 && index < 3)
        m_search.setMatch(matches[index]);
}

void TGridFindDlg::cbFindDirectionChange(int index) {
    const GridFind::Direction directions[] = {GridFind::Direction::Up, GridFind::Direction::Down,
                                              GridFind::Direction::All};
    if (index >= 0 && index < 3)
        m_search.setDirection(directions[index]);
}

void TGridFindDlg::cbCharCaseClick(bool checked) {
    m_search.setMatchCase(checked);
}

void TGridFindDlg::cbUseFormatClick(bool checked) {
    m_search.setUseFormat(checked);
}

bool TGridFindDlg::FormKeyDown(QKeyEvent* event) {
    if (isEnter(event)) {
        // An open drop-down list takes Enter itself.
        if (QApplication::activePopupWidget())
            return false;
        FindNext(event->modifiers().testFlag(Qt::ControlModifier));
        return true;
    }
    if (event->key() == Qt::Key_Escape) {
        bCancel->click();
        return true;
    }
    return false;
}

bool TGridFindDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && FormKeyDown(static_cast<QKeyEvent*>(event)))
        return true;
    if (event->type() == QEvent::Shortcut && qobject_cast<QLabel*>(watched))
        return true;
    return QDialog::eventFilter(watched, event);
}

// The search-for box's list follows the search's history.
void TGridFindDlg::syncHistory() {
    const QStringList& history = m_search.history();
    if (cbText->count() >= history.size())
        return;
    const QString text = cbText->currentText();
    const QSignalBlocker blocker(cbText);
    for (qsizetype i = cbText->count(); i < history.size(); ++i)
        cbText->addItem(history[i]);
    if (cbText->currentText() != text)
        cbText->setEditText(text);
}
