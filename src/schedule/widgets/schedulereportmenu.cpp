#include "schedulereportmenu.h"

#include "context/programcontext.h"
#include "grid/widgets/tdbgrid.h"
#include "schedule/report/reportpages.h"

#include <QDate>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

ScheduleReportMenu::ScheduleReportMenu(TDBGrid& grid, const ProgramContext& context, ScheduleEditor& editor,
                                       QObject* parent)
    : QObject(parent), m_grid(grid), m_printout(context.data, editor, grid.model(), context.shell),
      m_menu(new QMenu(&grid)), m_folder(QDir::homePath()) {
    setObjectName(QStringLiteral("ScheduleReportMenu"));
    m_menu->setObjectName(QStringLiteral("ScheduleReportPopup"));
    m_print = m_menu->addAction(QString::fromUtf8("Печать…"), this, &ScheduleReportMenu::print);
    m_preview =
        m_menu->addAction(QString::fromUtf8("Предварительный просмотр…"), this, &ScheduleReportMenu::preview);
    m_menu->addSeparator();
    m_pdf = m_menu->addAction(QString::fromUtf8("Сохранить в PDF…"), this, &ScheduleReportMenu::saveAsPdf);
    m_excel =
        m_menu->addAction(QString::fromUtf8("Сохранить в Excel…"), this, &ScheduleReportMenu::saveAsExcel);
    connect(m_menu, &QMenu::aboutToShow, this, &ScheduleReportMenu::updateActions);
    grid.setGridMenuActions(m_menu->actions());
    connect(&grid, &TDBGrid::gridMenuActionsShowing, this, &ScheduleReportMenu::updateActions);
    grid.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&grid, &QWidget::customContextMenuRequested, this, &ScheduleReportMenu::showMenu);
    m_askFileName = [this](const QString& caption, const QString& suggested, const QString& filter) {
        return QFileDialog::getSaveFileName(m_grid.window(), caption, suggested, filter);
    };
}

void ScheduleReportMenu::showMenu(const QPoint& position) {
    m_menu->popup(m_grid.viewport()->mapToGlobal(position));
}

void ScheduleReportMenu::updateActions() {
    const bool available = m_printout.available();
    for (QAction* action : {m_print, m_preview, m_pdf, m_excel})
        action->setEnabled(available);
}

std::optional<ScheduleReport> ScheduleReportMenu::takeReport() {
    if (!m_printout.available())
        return std::nullopt;
    return m_printout.take();
}

void ScheduleReportMenu::print() {
    const std::optional<ScheduleReport> report = takeReport();
    if (!report)
        return;
    QPrinter printer(QPrinter::HighResolution);
    ReportPages::SetUpPage(printer);
    printer.setDocName(ScheduleReport::Title() + QStringLiteral(" — ") + report->heading().group);
    QPrintDialog dialog(&printer, m_grid.window());
    if (dialog.exec() != QDialog::Accepted)
        return;
    ReportPages::Paint(*report, printer, QDate::currentDate());
}

void ScheduleReportMenu::preview() {
    const std::optional<ScheduleReport> report = takeReport();
    if (!report)
        return;
    QPrinter printer(QPrinter::HighResolution);
    ReportPages::SetUpPage(printer);
    QPrintPreviewDialog dialog(&printer, m_grid.window());
    dialog.setWindowTitle(QString::fromUtf8("Предварительный просмотр"));
    connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
            [&](QPrinter* target) { ReportPages::Paint(*report, *target, QDate::currentDate()); });
    dialog.exec();
}

QString ScheduleReportMenu::askFileName(const QString& caption, const QString& extension,
                                        const QString& filter) {
    const QString path =
        m_askFileName(caption, QDir(m_folder).filePath(m_printout.suggestedFileName(extension)), filter);
    if (path.isEmpty())
        return path;
    m_folder = QFileInfo(path).absolutePath();
    return QFileInfo(path).suffix().isEmpty() ? path + QLatin1Char('.') + extension : path;
}

void ScheduleReportMenu::saveAsPdf() {
    if (!m_printout.available())
        return;
    const QString path = askFileName(QString::fromUtf8("Сохранить в PDF"), QStringLiteral("pdf"),
                                     QString::fromUtf8("Документ PDF (*.pdf)"));
    if (!path.isEmpty())
        m_printout.savePdf(path, QDate::currentDate());
}

void ScheduleReportMenu::saveAsExcel() {
    if (!m_printout.available())
        return;
    const QString path = askFileName(QString::fromUtf8("Сохранить в Excel"), QStringLiteral("xlsx"),
                                     QString::fromUtf8("Книга Excel (*.xlsx)"));
    if (!path.isEmpty())
        m_printout.saveExcel(path);
}
