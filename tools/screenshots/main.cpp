// zor27-screenshots: renders the sign-in dialog (panel closed and open) from the real widget, and,
// given an installation with the demo database, the main window with a group's schedule and that
// schedule printed to PDF (schedule-print.pdf; render its first page with pdftoppm), and the
// faculty's session overview in its two views with its list printed to PDF (session-print.pdf).
//
//   zor27-screenshots OUTPUT_FOLDER [DEMO_INSTALLATION]
#include "app/application.h"
#include "context/installation.h"
#include "context/programcontext.h"
#include "datamodule/tdm_mb.h"
#include "grid/tgridcolumn.h"
#include "grid/widgets/tdbgrid.h"
#include "platform/hostresolver.h"
#include "schedule/clashes/clashwatch.h"
#include "schedule/lookupselector.h"
#include "schedule/overview/sessionoverview.h"
#include "schedule/report/reportfile.h"
#include "schedule/report/reportpages.h"
#include "schedule/report/scheduleprintout.h"
#include "schedule/report/sessionreport.h"
#include "schedule/scheduleeditor.h"
#include "schedule/tform1.h"
#include "schedule/widgets/sessionoverviewwindow.h"
#include "signin/signinexchange.h"
#include "signin/widgets/centredlabel.h"
#include "signin/widgets/signinedit.h"
#include "signin/widgets/tform8.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QHelpEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <cstdio>

namespace {

bool SaveDialogShots(const QDir& folder, const ProgramContext& context) {
    TForm8 dialog(context);
    dialog.show();
    dialog.Login_Edit->setText("ivanov");
    dialog.Password_Edit->setText("secret");
    bool saved = dialog.grab().save(folder.filePath("signin-dialog.png"));

    dialog.SpeedButton3Click();
    dialog.StatusLabel->setText(ChangePasswordMessage());
    dialog.Edit1->setText("NewPass_1");
    dialog.Edit2->setText("NewPass_1");
    return dialog.grab().save(folder.filePath("signin-dialog-panel.png")) && saved;
}

// The group of the demo data with clashes, its marked cells and the tooltip of its examiner clash,
// painted over the window where it shows.
bool SaveClashShot(const QDir& folder, TForm1& window) {
    if (window.clashes().passRunning()) {
        QEventLoop wait;
        QObject::connect(&window.clashes(), &ClashWatch::passEnded, &wait, &QEventLoop::quit);
        wait.exec();
    }
    ScheduleEditor& editor = window.editor();
    for (int row = 0; row < editor.group().rowCount(); ++row)
        if (editor.group().rowText(row) == QString::fromUtf8("ИВТ-241"))
            editor.group().pickRow(row);
    QCoreApplication::processEvents();
    TDBGrid& grid = *window.DBGrid1;
    const DataSet& schedule = *grid.model().dataSet();
    const int discipline = schedule.columnIndex("Discipline");
    int record = -1;
    for (int r = 0; r < schedule.recordCount(); ++r)
        if (schedule.cellAt(r, discipline).toString() == QString::fromUtf8("Операционные системы"))
            record = r;
    int examiner = -1;
    for (int c = 0; c < grid.model().columnCount(); ++c)
        if (grid.model().column(c)->fieldName() == "t_fio")
            examiner = c;
    if (record < 0 || examiner < 0)
        return false;
    const QPoint at = grid.cellRect(record, examiner).center();
    QHelpEvent help(QEvent::ToolTip, at, grid.viewport()->mapToGlobal(at));
    QApplication::sendEvent(grid.viewport(), &help);
    QCoreApplication::processEvents();
    const QPixmap face = window.grab();
    QRect area(QPoint(0, 0), face.size());
    QWidget* tip = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->isVisible() && top->inherits("QTipLabel"))
            tip = top;
    if (tip)
        area = area.united(QRect(window.mapFromGlobal(tip->pos()), tip->size()));
    // The tooltip may reach past the window: the picture grows to hold it.
    QPixmap shot(area.size());
    shot.fill(Qt::white);
    QPainter painter(&shot);
    painter.drawPixmap(-area.topLeft(), face);
    if (tip)
        painter.drawPixmap(window.mapFromGlobal(tip->pos()) - area.topLeft(), tip->grab());
    painter.end();
    return tip != nullptr && shot.save(folder.filePath("main-window-clashes.png"));
}

// The session overview of the chosen faculty, opened with the main window's button: the list and
// the day table, and the list printed.
bool SaveOverviewShots(const QDir& folder, TForm1& window) {
    window.OverviewButtonClick(window.OverviewButton);
    SessionOverviewWindow* overview = window.sessionOverview();
    if (overview == nullptr)
        return false;
    while (overview->overview().state() == SessionOverview::State::Reading)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    if (overview->overview().state() != SessionOverview::State::Ready)
        return false;
    overview->resize(1120, 600);
    QCoreApplication::processEvents();
    // The list narrowed to the demo's group with clashes, as typed into the group filter.
    overview->groupFilter()->setText(QString::fromUtf8("ИВТ-241"));
    QCoreApplication::processEvents();
    const bool list = overview->grab().save(folder.filePath("session-overview-list.png"));
    overview->groupFilter()->clear();
    overview->views()->setCurrentWidget(overview->dayView());
    QCoreApplication::processEvents();
    const bool days = overview->grab().save(folder.filePath("session-overview-days.png"));
    WriteReportFile(folder.filePath("session-print.pdf"),
                    ReportPages::Pdf(SessionReport::List(overview->overview()), QDate::currentDate()));
    overview->close();
    return list && days;
}

// Signs in as demo/demo through the dialog and picks a group of the demo data.
bool SaveMainWindowShot(const QDir& folder, const ProgramContext& context) {
    QTimer::singleShot(0, [] {
        if (Form8 == nullptr)
            return;
        Form8->Login_Edit->setText("demo");
        Form8->Password_Edit->setText("demo");
        Form8->SpeedButton2Click();
    });
    TForm1 window(context);
    if (!context.data.ADOQ_A_Year->isActive())
        return false;
    window.show();
    ScheduleEditor& editor = window.editor();
    const auto pick = [](LookupSelector& selector, const QString& text) {
        for (int row = 0; row < selector.rowCount(); ++row)
            if (selector.rowText(row) == text)
                selector.pickRow(row);
    };
    pick(editor.year(), "2025/2026");
    pick(editor.semester(), QString::fromUtf8("1-й семестр (осенний)"));
    pick(editor.faculty(), QString::fromUtf8("Факультет информационных технологий"));
    pick(editor.group(), QString::fromUtf8("ИВТ-231"));
    QCoreApplication::processEvents();
    const bool printed = SchedulePrintout(context.data, editor, window.DBGrid1->model(), context.shell)
                             .savePdf(folder.filePath("schedule-print.pdf"), QDate::currentDate());
    const bool saved = window.grab().save(folder.filePath("main-window.png"));
    return SaveClashShot(folder, window) && SaveOverviewShots(folder, window) && saved && printed;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Application app(argc, argv);
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: zor27-screenshots OUTPUT_FOLDER [DEMO_INSTALLATION]\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    const platform::SystemHostResolver resolver;
    // An installation that does not exist: the dialog's start-up finds no leftover script there.
    const Installation nowhere(folder.filePath("no-installation"));
    TDM_MB dialogData;
    bool saved = SaveDialogShots(folder, {nowhere, app, dialogData, resolver});
    if (argc == 3) {
        const Installation demo(
            QDir::toNativeSeparators(QDir(QString::fromLocal8Bit(argv[2])).absolutePath()));
        TDM_MB data;
        DM_MB = &data;
        data.ADOCon->setDatabaseFolder(demo.dataFolder());
        saved = SaveMainWindowShot(folder, {demo, app, data, resolver}) && saved;
        DM_MB = nullptr;
    }
    if (!saved) {
        std::fprintf(stderr, "zor27-screenshots: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
