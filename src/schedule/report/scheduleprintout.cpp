#include "scheduleprintout.h"

#include "context/usershell.h"
#include "datamodule/tdm_mb.h"
#include "reportfile.h"
#include "reportpages.h"
#include "reportworkbook.h"
#include "schedule/scheduleeditor.h"

#include <exception>

SchedulePrintout::SchedulePrintout(TDM_MB& data, ScheduleEditor& editor, const GridModel& grid,
                                   UserShell& shell)
    : m_data(data), m_editor(editor), m_grid(grid), m_shell(shell) {}

bool SchedulePrintout::available() const {
    return m_data.ADOQ_RatingTable->isActive();
}

ReportHeading SchedulePrintout::heading() const {
    return {m_editor.year().shownText(), m_editor.semester().shownText(), m_editor.faculty().shownText(),
            m_editor.group().shownText()};
}

QString SchedulePrintout::suggestedFileName(const QString& extension) const {
    return SuggestedReportFileName(heading(), extension);
}

std::optional<ScheduleReport> SchedulePrintout::take() {
    try {
        Query& schedule = *m_data.ADOQ_RatingTable;
        if (schedule.state() == DataSetState::Edit)
            schedule.post();
        return ScheduleReport::FromGrid(heading(), m_grid);
    } catch (const std::exception& error) {
        m_shell.showException(error);
        return std::nullopt;
    }
}

template <typename Write> bool SchedulePrintout::save(Write write) {
    const std::optional<ScheduleReport> report = take();
    if (!report)
        return false;
    try {
        write(*report);
        return true;
    } catch (const std::exception& error) {
        m_shell.showException(error);
        return false;
    }
}

bool SchedulePrintout::savePdf(const QString& path, const QDate& printed) {
    return save(
        [&](const ScheduleReport& report) { WriteReportFile(path, ReportPages::Pdf(report, printed)); });
}

bool SchedulePrintout::saveExcel(const QString& path) {
    return save([&](const ScheduleReport& report) { WriteReportFile(path, ReportWorkbook::Xlsx(report)); });
}
