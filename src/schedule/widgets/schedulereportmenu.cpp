#include "schedulereportmenu.h"

#include "context/programcontext.h"
#include "grid/widgets/tdbgrid.h"

#include <QDate>
#include <QMenu>

ScheduleReportMenu::ScheduleReportMenu(TDBGrid& grid, const ProgramContext& context, ScheduleEditor& editor,
                                       QObject* parent)
    : QObject(parent), m_grid(grid), m_printout(context.data, editor, grid.model(), context.shell),
      m_menu(new QMenu(&grid)) {
    setObjectName(QStringLiteral("ScheduleReportMenu"));
    m_menu->setObjectName(QStringLiteral("ScheduleReportPopup"));
    ReportActions::Source source;
    source.available = [this] { return m_printout.available(); };
    // A row in edit is saved first; none when the save fails.
    source.report = [this] { return m_printout.take(); };
    source.documentName = [](const ScheduleReport& report) {
        return ScheduleReport::Title() + QStringLiteral(" — ") + report.heading().group;
    };
    source.suggestedFileName = [this](const QString& extension) {
        return m_printout.suggestedFileName(extension);
    };
    source.savePdf = [this](const QString& path) { m_printout.savePdf(path, QDate::currentDate()); };
    source.saveExcel = [this](const QString& path) { m_printout.saveExcel(path); };
    m_actions = new ReportActions(*m_menu, *grid.window(), std::move(source), this);
    connect(m_menu, &QMenu::aboutToShow, m_actions, &ReportActions::updateEnabled);
    grid.setGridMenuActions(m_menu->actions());
    connect(&grid, &TDBGrid::gridMenuActionsShowing, m_actions, &ReportActions::updateEnabled);
    grid.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&grid, &QWidget::customContextMenuRequested, this, &ScheduleReportMenu::showMenu);
}

void ScheduleReportMenu::showMenu(const QPoint& position) {
    m_menu->popup(m_grid.viewport()->mapToGlobal(position));
}
