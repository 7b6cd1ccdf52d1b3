#include "sessionoverviewwindow.h"

#include "context/usershell.h"
#include "schedule/overview/sessiondaymodel.h"
#include "schedule/overview/sessionlistmodel.h"
#include "schedule/overview/sessionoverview.h"
#include "schedule/report/reportfile.h"
#include "schedule/report/reportpages.h"
#include "schedule/report/sessionreport.h"

#include <QAction>
#include <QDate>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>
#include <exception>

namespace {

// Column widths are measured on at most this many rows, so that a large faculty opens at once.
constexpr int MeasuredRows = 200;

QTableView* MakeTable(QWidget* parent, const char* name) {
    auto* view = new QTableView(parent);
    view->setObjectName(QString::fromLatin1(name));
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setAlternatingRowColors(true);
    view->verticalHeader()->setVisible(false);
    view->horizontalHeader()->setResizeContentsPrecision(MeasuredRows);
    view->horizontalHeader()->setHighlightSections(false);
    view->setWordWrap(false);
    // One line of text a row, as in the main window's grid.
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    return view;
}

QLineEdit* MakeFilter(QWidget* parent, const char* name, const char* placeholder) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setClearButtonEnabled(true);
    edit->setPlaceholderText(QString::fromUtf8(placeholder));
    edit->setMinimumWidth(140);
    return edit;
}

} // namespace

SessionOverviewWindow::SessionOverviewWindow(std::unique_ptr<SessionOverview> overview, UserShell& shell,
                                             QWidget* parent)
    : QWidget(parent, Qt::Window), m_overview(std::move(overview)), m_shell(shell) {
    setObjectName(QStringLiteral("SessionOverviewWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(WindowTitle(*m_overview));
    resize(1120, 640);
    m_listModel = new SessionListModel(*m_overview, SessionListModel::Part::Dated, this);
    m_undatedModel = new SessionListModel(*m_overview, SessionListModel::Part::Undated, this);
    m_dayModel = new SessionDayModel(*m_overview, this);
    buildControls();
    connect(m_overview.get(), &SessionOverview::stateChanged, this, &SessionOverviewWindow::followState);
    connect(m_overview.get(), &SessionOverview::progressed, this, [this](int done, int total) {
        m_progress->setMaximum(std::max(total, 1));
        m_progress->setValue(done);
    });
    connect(m_overview.get(), &SessionOverview::entriesChanged, this, &SessionOverviewWindow::updateCounts);
    connect(m_overview.get(), &SessionOverview::filterChanged, this, &SessionOverviewWindow::updateCounts);
    followState();
}

SessionOverviewWindow::~SessionOverviewWindow() {
    // The views and models go before the overview they show.
    delete m_views;
    delete m_undatedView;
    delete m_listModel;
    delete m_undatedModel;
    delete m_dayModel;
}

QString SessionOverviewWindow::WindowTitle(const SessionOverview& overview) {
    return QString::fromUtf8("Сессия факультета — ") + overview.scope().facultyText;
}

void SessionOverviewWindow::buildControls() {
    auto* layout = new QVBoxLayout(this);
    m_heading = new QLabel(this);
    m_heading->setObjectName(QStringLiteral("HeadingLabel"));
    QFont bold = m_heading->font();
    bold.setBold(true);
    m_heading->setFont(bold);
    const SessionOverview::Scope& scope = m_overview->scope();
    m_heading->setText(scope.facultyText + QStringLiteral(" — ") + scope.yearText + QStringLiteral(", ") +
                       scope.semesterText);
    m_heading->setTextFormat(Qt::PlainText);
    layout->addWidget(m_heading);

    auto* filters = new QHBoxLayout;
    const auto labelled = [&](const char* caption, QLineEdit* edit) {
        auto* label = new QLabel(QString::fromUtf8(caption), this);
        label->setBuddy(edit);
        filters->addWidget(label);
        filters->addWidget(edit);
    };
    m_groupFilter = MakeFilter(this, "GroupFilterEdit", "часть названия");
    m_examinerFilter = MakeFilter(this, "ExaminerFilterEdit", "часть фамилии");
    m_roomFilter = MakeFilter(this, "RoomFilterEdit", "номер");
    labelled("&Группа:", m_groupFilter);
    labelled("&Экзаменатор:", m_examinerFilter);
    labelled("&Аудитория:", m_roomFilter);
    filters->addStretch(1);
    for (QLineEdit* edit : {m_groupFilter, m_examinerFilter, m_roomFilter})
        connect(edit, &QLineEdit::textChanged, this, &SessionOverviewWindow::applyFilter);

    m_printButton = new QPushButton(QString::fromUtf8("&Печать и экспорт"), this);
    m_printButton->setObjectName(QStringLiteral("PrintButton"));
    auto* menu = new QMenu(m_printButton);
    ReportActions::Source source;
    source.available = [this] { return m_overview->state() == SessionOverview::State::Ready; };
    source.report = [this] { return std::optional<ScheduleReport>(shownReport()); };
    source.documentName = [this](const ScheduleReport& report) {
        return report.title() + QStringLiteral(" — ") + m_overview->scope().facultyText;
    };
    source.suggestedFileName = [this](const QString& extension) {
        return SessionReport::SuggestedFileName(*m_overview, extension);
    };
    source.savePdf = [this](const QString& path) {
        try {
            WriteReportFile(path, ReportPages::Pdf(shownReport(), QDate::currentDate()));
        } catch (const std::exception& error) {
            m_shell.showException(error);
        }
    };
    source.saveExcel = [this](const QString& path) {
        try {
            WriteReportFile(path, SessionReport::Xlsx(*m_overview));
        } catch (const std::exception& error) {
            m_shell.showException(error);
        }
    };
    m_actions = new ReportActions(*menu, *this, std::move(source), this);
    m_printButton->setMenu(menu);
    filters->addWidget(m_printButton);
    layout->addLayout(filters);

    auto* status = new QHBoxLayout;
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("ProgressBar"));
    m_progress->setFormat(QString::fromUtf8("Прочитано групп: %v из %m"));
    m_progress->setMaximumWidth(320);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("StatusLabel"));
    m_status->setTextFormat(Qt::PlainText);
    m_status->setWordWrap(true);
    m_retry = new QPushButton(QString::fromUtf8("Повторить"), this);
    m_retry->setObjectName(QStringLiteral("RetryButton"));
    connect(m_retry, &QPushButton::clicked, m_overview.get(), &SessionOverview::read);
    status->addWidget(m_progress);
    status->addWidget(m_status, 1);
    status->addWidget(m_retry);
    layout->addLayout(status);

    auto* splitter = new QSplitter(Qt::Vertical, this);
    m_views = new QTabWidget(splitter);
    m_views->setObjectName(QStringLiteral("ViewTabs"));
    m_listView = MakeTable(m_views, "ListView");
    m_listView->setModel(m_listModel);
    m_dayView = MakeTable(m_views, "DayView");
    m_dayView->setModel(m_dayModel);
    m_dayView->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_dayView->verticalHeader()->setVisible(true);
    m_dayView->setWordWrap(true);
    m_dayView->horizontalHeader()->setDefaultSectionSize(fontMetrics().horizontalAdvance(QLatin1Char('x')) *
                                                         26);
    // A row with one control of two lines, until the rows are fitted to what they hold.
    m_dayView->verticalHeader()->setDefaultSectionSize(DayRowHeight(2));
    connect(m_dayModel, &QAbstractItemModel::modelReset, this, &SessionOverviewWindow::fitDayRows);
    m_views->addTab(m_listView, QString::fromUtf8("&Список"));
    m_views->addTab(m_dayView, QString::fromUtf8("По &дням"));

    auto* undated = new QWidget(splitter);
    m_undatedBox = undated;
    auto* undatedLayout = new QVBoxLayout(undated);
    undatedLayout->setContentsMargins(0, 4, 0, 0);
    m_undatedLabel = new QLabel(undated);
    m_undatedLabel->setObjectName(QStringLiteral("UndatedLabel"));
    m_undatedView = MakeTable(undated, "UndatedView");
    m_undatedView->setModel(m_undatedModel);
    m_undatedLabel->setBuddy(m_undatedView);
    undatedLayout->addWidget(m_undatedLabel);
    undatedLayout->addWidget(m_undatedView);
    splitter->addWidget(m_views);
    splitter->addWidget(undated);
    splitter->setStretchFactor(0, 4);
    splitter->setStretchFactor(1, 1);
    layout->addWidget(splitter, 1);

    for (QTableView* view : {m_listView, m_dayView, m_undatedView})
        connect(view, &QAbstractItemView::activated, this, &SessionOverviewWindow::activate);
}

int SessionOverviewWindow::DayRowHeight(int lines) const {
    return fontMetrics().lineSpacing() * std::max(lines, 1) + 8;
}

// Each row as tall as the wrapped text of its fullest cell, within MaxDayRowLines; a taller cell
// shows "…" and its tooltip keeps the whole text. Only cells with controls are measured.
void SessionOverviewWindow::fitDayRows() {
    constexpr int MaxDayRowLines = 16;
    constexpr int CellMargins = 8;
    QHeaderView* rows = m_dayView->verticalHeader();
    const QFontMetrics metrics = m_dayView->fontMetrics();
    for (int row = 0; row < m_dayModel->rowCount(); ++row) {
        int lines = 1;
        for (int column = 0; column < m_dayModel->columnCount(); ++column) {
            if (m_dayModel->cellEntries(row, column).empty())
                continue;
            const QString text = m_dayModel->index(row, column).data(Qt::DisplayRole).toString();
            const int width = std::max(m_dayView->columnWidth(column) - CellMargins, 1);
            const QRect wrapped =
                metrics.boundingRect(QRect(0, 0, width, INT_MAX / 4), Qt::TextWordWrap, text);
            lines = std::max(lines, (wrapped.height() + metrics.lineSpacing() - 1) / metrics.lineSpacing());
        }
        rows->resizeSection(row, DayRowHeight(std::min(lines, MaxDayRowLines)));
    }
}

void SessionOverviewWindow::followState() {
    const SessionOverview::State state = m_overview->state();
    m_progress->setVisible(state == SessionOverview::State::Reading);
    m_retry->setVisible(state == SessionOverview::State::Failed);
    QPalette palette = m_status->palette();
    palette.setColor(QPalette::WindowText, state == SessionOverview::State::Failed
                                               ? QColor(176, 0, 0)
                                               : this->palette().color(QPalette::WindowText));
    m_status->setPalette(palette);
    m_actions->updateEnabled();
    switch (state) {
    case SessionOverview::State::Reading:
        m_progress->setMaximum(std::max(m_overview->groupCount(), 1));
        m_progress->setValue(m_overview->groupsRead());
        m_status->setText(QString::fromUtf8("Чтение расписания групп факультета…"));
        break;
    case SessionOverview::State::Failed:
        m_status->setText(m_overview->errorText());
        break;
    case SessionOverview::State::Ready:
        updateCounts();
        if (!m_fitted) {
            m_fitted = true;
            m_listView->resizeColumnsToContents();
            m_undatedView->resizeColumnsToContents();
        }
        break;
    }
}

void SessionOverviewWindow::updateCounts() {
    const int undated = m_undatedModel->rowCount();
    if (m_overview->state() == SessionOverview::State::Ready)
        m_status->setText(
            QString::fromUtf8("Групп: %1, контрольных мероприятий в списке: %2, из них без даты: %3")
                .arg(m_overview->groups().size())
                .arg(m_listModel->rowCount() + undated)
                .arg(undated));
    m_undatedLabel->setText(QString::fromUtf8("&Без даты: %1").arg(undated));
    // Without undated controls their list goes, and the views take its room.
    m_undatedBox->setVisible(undated > 0);
}

void SessionOverviewWindow::applyFilter() {
    m_overview->setFilter({m_groupFilter->text(), m_examinerFilter->text(), m_roomFilter->text()});
}

void SessionOverviewWindow::activate(const QModelIndex& index) {
    const QVariant entry = index.data(SessionListModel::EntryRole);
    if (entry.isValid())
        emit entryActivated(entry.toInt());
}

ScheduleReport SessionOverviewWindow::shownReport() const {
    return m_views->currentWidget() == m_dayView ? SessionReport::Days(*m_overview)
                                                 : SessionReport::List(*m_overview);
}
