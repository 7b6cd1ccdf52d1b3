#pragma once

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
    // Asks for the file to write: the dialog's caption, the suggested path and the filter; an empty
    // answer cancels.
    using FileNameAsker =
        std::function<QString(const QString& caption, const QString& suggested, const QString& filter)>;

    ScheduleReportMenu(TDBGrid& grid, const ProgramContext& context, ScheduleEditor& editor, QObject* parent);

    QMenu* menu() const { return m_menu; }
    QAction* printAction() const { return m_print; }
    QAction* previewAction() const { return m_preview; }
    QAction* pdfAction() const { return m_pdf; }
    QAction* excelAction() const { return m_excel; }
    void setFileNameAsker(FileNameAsker asker) { m_askFileName = std::move(asker); }

    void print();
    void preview();
    void saveAsPdf();
    void saveAsExcel();

private:
    void showMenu(const QPoint& position);
    void updateActions();
    // The shown group's report, with a row in edit saved first; none when there is no group or the
    // save fails.
    std::optional<ScheduleReport> takeReport();
    QString askFileName(const QString& caption, const QString& extension, const QString& filter);

    TDBGrid& m_grid;
    SchedulePrintout m_printout;
    QMenu* m_menu;
    QAction* m_print;
    QAction* m_preview;
    QAction* m_pdf;
    QAction* m_excel;
    FileNameAsker m_askFileName;
    // The folder of the last file saved, where the next dialog opens.
    QString m_folder;
};
