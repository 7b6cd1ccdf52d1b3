#include "tform1.h"

#include "context/installation.h"
#include "context/programcontext.h"
#include "context/usershell.h"
#include "context/windowplacement.h"
#include "data/connection.h"
#include "datamodule/tdm_mb.h"
#include "grid/widgets/tdbgrid.h"
#include "grid/widgets/tgridfinddlg.h"
#include "schedule/clashes/clashwatch.h"
#include "schedule/overview/sessionoverview.h"
#include "schedule/schedulecolumns.h"
#include "scheduleeditor.h"
#include "signin/widgets/tform8.h"
#include "widgets/bevel.h"
#include "widgets/lookupcombobox.h"
#include "widgets/schedulereportmenu.h"
#include "widgets/sessionoverviewwindow.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>
#include <QWindow>

#include <exception>

TForm1* Form1 = nullptr;

namespace {

constexpr QColor Silver(192, 192, 192);
constexpr QColor Navy(0, 0, 128);

// The window font of the layout: 11 pixels high, regular.
QFont WindowFont() {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    return font;
}

} // namespace

TForm1::TForm1(const ProgramContext& context, QWidget* parent)
    : QMainWindow(parent), m_context(context),
      m_editor(std::make_unique<ScheduleEditor>(context.data, context.shell)) {
    Form1 = this;
    setObjectName("Form1");
    setWindowTitle(m_context.shell.title());
    setFont(WindowFont());
    // The window's colour is the button face; its children keep their ordinary colour roles.
    QPalette buttonFace = palette();
    buttonFace.setColor(QPalette::Window, buttonFace.color(QPalette::Button));
    setPalette(buttonFace);
    resize(ClientWidth, ClientHeight);

    auto* client = new QWidget(this);
    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    Panel4 = new QWidget(client);
    Panel4->setObjectName("Panel4");
    Panel4->setFixedHeight(PanelHeight);
    Panel4->setAutoFillBackground(true);
    QPalette silver = Panel4->palette();
    silver.setColor(QPalette::Window, Silver);
    Panel4->setPalette(silver);
    Bevel1 = new Bevel(Bevel::Shape::Etched, client);
    Bevel1->setObjectName("Bevel1");
    Bevel1->setFixedHeight(BevelHeight);
    Bevel6 = new Bevel(Bevel::Shape::Space, client);
    Bevel6->setObjectName("Bevel6");
    Bevel6->setFixedHeight(BevelHeight);
    DBGrid1 = createGrid(client);
    DBGrid1->setObjectName("DBGrid1");
    layout->addWidget(Panel4);
    layout->addWidget(Bevel1);
    layout->addWidget(Bevel6);
    layout->addWidget(DBGrid1, 1);
    setCentralWidget(client);
    buildPanel();
    setTabOrderAndFocus();

    ScheduleEditor& editor = *m_editor;
    editor.year().setClickHandler([this] { YearDBLookupComboBoxClick(YearDBLookupComboBox); });
    editor.semester().setClickHandler([this] { SemesterDBLookupComboBoxClick(SemesterDBLookupComboBox); });
    editor.faculty().setClickHandler([this] { FacultyDBLookupComboBoxClick(FacultyDBLookupComboBox); });
    editor.group().setClickHandler([this] { GroupDBLookupComboBoxClick(GroupDBLookupComboBox); });
    editor.setSaveButton([this](bool enabled) { BitBtn1->setEnabled(enabled); });
    // A cell typed into and not yet written is an unsaved change too.
    editor.setPendingInputCheck([this] { return DBGrid1->cellModified(); });
    connect(DBGrid1, &TDBGrid::findRequested, this, [this](const QString& selected) {
        runHandler([&] { TGridFindDlg::Execute(*DBGrid1, selected); });
    });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(BitBtn1); });
    connect(OverviewButton, &QPushButton::clicked, this, [this] { OverviewButtonClick(OverviewButton); });
    const auto followFaculty = [this] { OverviewButton->setEnabled(!m_editor->faculty().keyIsNull()); };
    connect(&editor.faculty(), &LookupSelector::changed, this, followFaculty);
    m_clashes = std::make_unique<ClashWatch>(m_context.data, editor, m_context.installation.dataFolder());
    DBGrid1->setCellDecoration(m_clashes.get());
    connect(m_clashes.get(), &ClashWatch::marksChanged, DBGrid1->viewport(), qOverload<>(&QWidget::update));
    // Printing and exporting the schedule from the grid's context menu.
    new ScheduleReportMenu(*DBGrid1, m_context, editor, this);

    centreOnDesktop();
    FormCreate();
    if (m_context.data.ADOCon->isOpen())
        m_editor->startSession();
}

TForm1::~TForm1() {
    // The overview reads on a connection of its own and follows this window's editor: it goes first.
    delete m_overview.data();
    // A pass still reading is abandoned before the grid that shows its marks goes.
    DBGrid1->setCellDecoration(nullptr);
    m_clashes.reset();
    // The selectors' widgets go before the selectors they show.
    delete takeCentralWidget();
    if (Form1 == this)
        Form1 = nullptr;
}

TDBGrid* TForm1::createGrid(QWidget* parent) {
    auto* grid = new TDBGrid(parent);
    AddScheduleColumns(grid->model());
    grid->setDataSource(m_context.data.DS_RatingTable);
    return grid;
}

void TForm1::buildPanel() {
    QFont labelFont(QStringLiteral("MS Sans Serif"));
    labelFont.setPixelSize(13);
    labelFont.setBold(true);
    const auto label = [&](const char* name, const char* text, int left, int top) {
        auto* caption = new QLabel(QString::fromUtf8(text), Panel4);
        caption->setObjectName(QString::fromLatin1(name));
        caption->setTextFormat(Qt::PlainText);
        caption->setFont(labelFont);
        QPalette navy = caption->palette();
        navy.setColor(QPalette::WindowText, Navy);
        caption->setPalette(navy);
        caption->move(left, top);
        caption->resize(QFontMetrics(labelFont).horizontalAdvance(caption->text()), 16);
        return caption;
    };
    const auto selector = [&](LookupSelector& logic, int top, int width, QLabel* caption) {
        auto* box = new LookupComboBox(logic, Panel4);
        box->setGeometry(168, top, width, 21);
        box->setLabel(caption);
        return box;
    };
    Label1 = label("Label1", "Выберите год:", 3, 5);
    YearDBLookupComboBox = selector(m_editor->year(), 2, 225, Label1);
    Label6 = label("Label6", "Выберите семестр:", 2, 34);
    SemesterDBLookupComboBox = selector(m_editor->semester(), 32, 225, Label6);
    Label2 = label("Label2", "Выберите Факультет:", 2, 64);
    FacultyDBLookupComboBox = selector(m_editor->faculty(), 62, 441, Label2);
    Label4 = label("Label4", "Выберите группу:", 4, 95);
    GroupDBLookupComboBox = selector(m_editor->group(), 92, 225, Label4);

    BitBtn1 = new QPushButton(QString::fromUtf8("Сохранить"), Panel4);
    BitBtn1->setObjectName("BitBtn1");
    QFont bold = WindowFont();
    bold.setBold(true);
    BitBtn1->setFont(bold);
    BitBtn1->setGeometry(488, 2, 121, 25);
    BitBtn1->setEnabled(false);

    OverviewButton = new QPushButton(QString::fromUtf8("Сессия факультета…"), Panel4);
    OverviewButton->setObjectName("OverviewButton");
    OverviewButton->setFont(WindowFont());
    OverviewButton->setFocusPolicy(Qt::NoFocus);
    OverviewButton->setShortcut(QKeySequence(Qt::Key_F9));
    OverviewButton->setToolTip(
        QString::fromUtf8("Все контрольные мероприятия выбранного факультета в семестре (F9)"));
    const int overviewWidth =
        std::max(150, QFontMetrics(WindowFont()).horizontalAdvance(OverviewButton->text()) + 24);
    OverviewButton->setGeometry(616, 62, overviewWidth, 21);
    OverviewButton->setEnabled(false);
}

void TForm1::setTabOrderAndFocus() {
    const QList<QWidget*> order = {GroupDBLookupComboBox,
                                   SemesterDBLookupComboBox,
                                   YearDBLookupComboBox,
                                   FacultyDBLookupComboBox,
                                   BitBtn1,
                                   DBGrid1};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
    for (QWidget* widget : order) {
        if (widget->isEnabled()) {
            widget->setFocus(Qt::OtherFocusReason);
            break;
        }
    }
}

void TForm1::centreOnDesktop() {
    const QScreen* screen = this->screen() != nullptr ? this->screen() : QGuiApplication::primaryScreen();
    if (screen != nullptr)
        centreOn({screen->virtualGeometry(), screen->availableVirtualGeometry()});
}

void TForm1::centreOn(const DesktopGeometry& desktop) {
    // Until the window system has framed the window, its frame is taken to be the designed one.
    const QMargins frame = windowHandle() != nullptr ? windowHandle()->frameMargins() : QMargins();
    move(MainWindowPosition(desktop, WindowOuterSize(size(), frame, QSize(OuterWidth, OuterHeight))));
}

void TForm1::showEvent(QShowEvent* event) {
    // Centred again when first shown, now that the frame may be known; afterwards it stays where it
    // is, moved by the user or not.
    if (!event->spontaneous() && !m_shownOnce) {
        m_shownOnce = true;
        centreOnDesktop();
    }
    QMainWindow::showEvent(event);
}

void TForm1::FormCreate() {
    struct FreeDialog {
        void operator()(TForm8* dialog) const {
            delete dialog;
            Form8 = nullptr;
        }
    };
    // The application owns the dialog: it is a top-level window without a parent.
    const std::unique_ptr<TForm8, FreeDialog> dialog(new TForm8(m_context, nullptr));
    Form8 = dialog.get();
    if (dialog->exec() == 2)
        m_context.shell.requestTermination();
}

void TForm1::runHandler(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        m_context.shell.showException(error);
    }
}

void TForm1::YearDBLookupComboBoxClick(QObject*) {
    runHandler([this] { m_editor->yearPicked(); });
}

void TForm1::SemesterDBLookupComboBoxClick(QObject*) {
    runHandler([this] { m_editor->semesterPicked(); });
}

void TForm1::FacultyDBLookupComboBoxClick(QObject*) {
    runHandler([this] { m_editor->facultyPicked(); });
}

void TForm1::GroupDBLookupComboBoxClick(QObject*) {
    runHandler([this] { m_editor->groupPicked(); });
}

void TForm1::BitBtn1Click(QObject*) {
    runHandler([this] { m_editor->save(); });
}

void TForm1::OverviewButtonClick(QObject*) {
    if (m_editor->faculty().keyIsNull())
        return;
    SessionOverview::Scope scope = SessionOverview::ScopeOf(*m_editor);
    if (m_overview) {
        const SessionOverview::Scope& shown = m_overview->overview().scope();
        if (shown.year == scope.year && shown.semester == scope.semester && shown.faculty == scope.faculty) {
            m_overview->showNormal();
            m_overview->raise();
            m_overview->activateWindow();
            return;
        }
        m_overview->close();
    }
    auto overview = std::make_unique<SessionOverview>(
        std::move(scope), ReadingConnection::Of(m_context.data, m_context.installation.dataFolder()));
    overview->setClashes(m_clashes.get());
    overview->follow(m_context.data, *m_editor);
    overview->read();
    m_overview = new SessionOverviewWindow(std::move(overview), m_context.shell, this);
    connect(m_overview, &SessionOverviewWindow::entryActivated, this, &TForm1::showSessionEntry);
    m_overview->show();
}

SessionOverviewWindow* TForm1::sessionOverview() const {
    return m_overview.data();
}

void TForm1::showSessionEntry(int entry) {
    if (!m_overview || entry < 0 || entry >= static_cast<int>(m_overview->overview().entries().size()))
        return;
    // A copy: picking the group may change the overview's entries (a row saved on the way).
    const SessionEntry shown = m_overview->overview().entries()[entry];
    const SessionOverview::Scope scope = m_overview->overview().scope();
    runHandler([&] {
        if (!m_editor->showEntry(scope.year, scope.semester, scope.faculty, shown.clash.groupKey, shown.key(),
                                 shown.row))
            return;
        showNormal();
        raise();
        activateWindow();
        DBGrid1->setFocus(Qt::OtherFocusReason);
    });
}

bool TForm1::FormCloseQuery() {
    return m_editor->closeQuery();
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (FormCloseQuery())
        event->accept();
    else
        event->ignore();
}
