#pragma once

#include "schedule/report/schedulereport.h"

#include <QDate>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QAction;
class QMenu;
class QWidget;

// The four report actions of a menu — "Печать…", "Предварительный просмотр…", "Сохранить в PDF…" and
// "Сохранить в Excel…" — and what they do alike wherever a report is printed: the printer set up for
// the report's pages, the preview, and the save dialog that opens in the folder of the last file
// saved and adds the extension when none is typed. What is printed and how a file is written comes
// from the owner.
class ReportActions : public QObject {
    Q_OBJECT

public:
    // Asks for the file to write: the dialog's caption, the suggested path and the filter; an empty
    // answer cancels.
    using FileNameAsker =
        std::function<QString(const QString& caption, const QString& suggested, const QString& filter)>;

    struct Source {
        // Whether there is a report now.
        std::function<bool()> available;
        // The report to print or preview; none: nothing happens.
        std::function<std::optional<ScheduleReport>()> report;
        // The printed document's name.
        std::function<QString(const ScheduleReport&)> documentName;
        // The file name offered for a file with this extension.
        std::function<QString(const QString& extension)> suggestedFileName;
        // Writing the files; each reports its own failures.
        std::function<void(const QString& path)> savePdf;
        std::function<void(const QString& path)> saveExcel;
    };

    // Adds the actions to the menu; dialogs open over dialogParent.
    ReportActions(QMenu& menu, QWidget& dialogParent, Source source, QObject* parent);

    QAction* printAction() const { return m_print; }
    QAction* previewAction() const { return m_preview; }
    QAction* pdfAction() const { return m_pdf; }
    QAction* excelAction() const { return m_excel; }
    void setFileNameAsker(FileNameAsker asker) { m_askFileName = std::move(asker); }

    // Enables the actions while there is a report.
    void updateEnabled();
    void print();
    void preview();
    void saveAsPdf();
    void saveAsExcel();

private:
    // The report to print, when there is one.
    std::optional<ScheduleReport> takeReport();
    QString askFileName(const QString& caption, const QString& extension, const QString& filter);

    QWidget& m_dialogParent;
    Source m_source;
    QAction* m_print;
    QAction* m_preview;
    QAction* m_pdf;
    QAction* m_excel;
    FileNameAsker m_askFileName;
    // The folder of the last file saved, where the next dialog opens.
    QString m_folder;
};
