#include "reportactions.h"

#include "schedule/report/reportpages.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

ReportActions::ReportActions(QMenu& menu, QWidget& dialogParent, Source source, QObject* parent)
    : QObject(parent), m_dialogParent(dialogParent), m_source(std::move(source)), m_folder(QDir::homePath()) {
    m_print = menu.addAction(QString::fromUtf8("Печать…"), this, &ReportActions::print);
    m_preview = menu.addAction(QString::fromUtf8("Предварительный просмотр…"), this, &ReportActions::preview);
    menu.addSeparator();
    m_pdf = menu.addAction(QString::fromUtf8("Сохранить в PDF…"), this, &ReportActions::saveAsPdf);
    m_excel = menu.addAction(QString::fromUtf8("Сохранить в Excel…"), this, &ReportActions::saveAsExcel);
    m_askFileName = [this](const QString& caption, const QString& suggested, const QString& filter) {
        return QFileDialog::getSaveFileName(&m_dialogParent, caption, suggested, filter);
    };
}

void ReportActions::updateEnabled() {
    const bool available = m_source.available();
    for (QAction* action : {m_print, m_preview, m_pdf, m_excel})
        action->setEnabled(available);
}

std::optional<ScheduleReport> ReportActions::takeReport() {
    if (!m_source.available())
        return std::nullopt;
    return m_source.report();
}

void ReportActions::print() {
    const std::optional<ScheduleReport> report = takeReport();
    if (!report)
        return;
    QPrinter printer(QPrinter::HighResolution);
    ReportPages::SetUpPage(printer);
    printer.setDocName(m_source.documentName(*report));
    QPrintDialog dialog(&printer, &m_dialogParent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    ReportPages::Paint(*report, printer, QDate::currentDate());
}

void ReportActions::preview() {
    const std::optional<ScheduleReport> report = takeReport();
    if (!report)
        return;
    QPrinter printer(QPrinter::HighResolution);
    ReportPages::SetUpPage(printer);
    QPrintPreviewDialog dialog(&printer, &m_dialogParent);
    dialog.setWindowTitle(QString::fromUtf8("Предварительный просмотр"));
    connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
            [&](QPrinter* target) { ReportPages::Paint(*report, *target, QDate::currentDate()); });
    dialog.exec();
}

QString ReportActions::askFileName(const QString& caption, const QString& extension, const QString& filter) {
    const QString path =
        m_askFileName(caption, QDir(m_folder).filePath(m_source.suggestedFileName(extension)), filter);
    if (path.isEmpty())
        return path;
    m_folder = QFileInfo(path).absolutePath();
    return QFileInfo(path).suffix().isEmpty() ? path + QLatin1Char('.') + extension : path;
}

void ReportActions::saveAsPdf() {
    if (!m_source.available())
        return;
    const QString path = askFileName(QString::fromUtf8("Сохранить в PDF"), QStringLiteral("pdf"),
                                     QString::fromUtf8("Документ PDF (*.pdf)"));
    if (!path.isEmpty())
        m_source.savePdf(path);
}

void ReportActions::saveAsExcel() {
    if (!m_source.available())
        return;
    const QString path = askFileName(QString::fromUtf8("Сохранить в Excel"), QStringLiteral("xlsx"),
                                     QString::fromUtf8("Книга Excel (*.xlsx)"));
    if (!path.isEmpty())
        m_source.saveExcel(path);
}
