#pragma once

#include "reportactions.h"
#include "schedule/report/scheduleprintout.h"

#include <QObject>
#include <QString>

#include <functional>

class QAction;
class QMenu;
class QPoint;
class ScheduleEditor;
class TDBGrid;
struct ProgramContext;

// The grid's context menu for printing and exporting the chosen group's schedule: "Печать…",
// "Предварительный просмотр…", "Сохранить в PDF…" and "Сохранить в Excel…". It attaches to the
// grid from outside (the grid's custom context menu), so the grid's keys and mouse stay as they are.
class ScheduleReportMenu : public QObject {
    Q_OBJECT

public:
    using FileNameAsker = ReportActions::FileNameAsker;

    ScheduleReportMenu(TDBGrid& grid, const ProgramContext& context, ScheduleEditor& editor, QObject* parent);

    QMenu* menu() const { return m_menu; }
    QAction* printAction() const { return m_actions->printAction(); }
    QAction* previewAction() const { return m_actions->previewAction(); }
    QAction* pdfAction() const { return m_actions->pdfAction(); }
    QAction* excelAction() const { return m_actions->excelAction(); }
    void setFileNameAsker(FileNameAsker asker) { m_actions->setFileNameAsker(std::move(asker)); }

    void print() { m_actions->print(); }
    void preview() { m_actions->preview(); }
    void saveAsPdf() { m_actions->saveAsPdf(); }
    void saveAsExcel() { m_actions->saveAsExcel(); }

private:
    void showMenu(const QPoint& position);

    TDBGrid& m_grid;
    SchedulePrintout m_printout;
    QMenu* m_menu;
    ReportActions* m_actions;
};
