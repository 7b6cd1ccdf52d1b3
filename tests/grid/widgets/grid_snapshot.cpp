// Renders the grid over the demo schedule into PNG files, to look at what the widget paints:
// zor27-grid-snapshot FOLDER writes grid-schedule.png, grid-narrow.png, grid-edit.png and
// grid-closed.png there, enlarged corners of the schedule as grid-zoom-*.png, the find dialog opened
// over the schedule as grid-find.png (twice as large as grid-find-zoom.png, and with its find-in list
// dropped down as grid-find-list.png), and the cell editor with its drop-downs from the screen as
// grid-editor.png, grid-calendar.png and grid-list.png.
#include "app/application.h"
#include "grid/widgets/inplaceedit.h"
#include "grid/widgets/tdbgrid.h"
#include "grid/widgets/tgridfinddlg.h"
#include "schedule/schedulecolumns.h"
#include "scheduledb.h"
#include "widgets/userinput.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <cstdio>

namespace {

void Save(QWidget& widget, const QDir& folder, const QString& name) {
    const QString path = folder.filePath(name);
    if (!widget.grab().save(path))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    else
        std::printf("%s\n", qPrintable(path));
}

// The screen around the grid, popups included.
void SaveScreen(QWidget& grid, const QDir& folder, const QString& name) {
    QApplication::processEvents();
    const QRect area(grid.mapToGlobal(QPoint(0, 0)), grid.size() + QSize(0, 200));
    const QString path = folder.filePath(name);
    if (!grid.screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()).save(path))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    else
        std::printf("%s\n", qPrintable(path));
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Application app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: zor27-grid-snapshot FOLDER\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    folder.mkpath(QStringLiteral("."));
    ScheduleDb db;
    TDBGrid grid;
    grid.setObjectName(QStringLiteral("DBGrid1"));
    AddScheduleColumns(grid.model());
    grid.setDataSource(db.module.DS_RatingTable);
    // The grid's place in the main window: 870 × 367 less the panel and the two bevels.
    grid.resize(870, 242);
    grid.show();
    grid.activateWindow();
    app.processEvents();
    Save(grid, folder, QStringLiteral("grid-closed.png"));
    db.openSchedule();
    grid.setFocus();
    grid.model().moveBy(2);
    grid.model().setCurrentColumn(5);
    app.processEvents();
    Save(grid, folder, QStringLiteral("grid-schedule.png"));
    // The indicator, the first titles and the merged cell's left end, four times as large.
    for (const auto& [name, area] :
         {std::pair{QStringLiteral("grid-zoom-left.png"), QRect(0, 30, 220, 80)},
          std::pair{QStringLiteral("grid-zoom-merged.png"), QRect(400, 0, 220, 90)}}) {
        const QString path = folder.filePath(name);
        grid.grab(area).scaled(area.size() * 4).save(path);
        std::printf("%s\n", qPrintable(path));
    }
    db.module.ADOQ_RatingTable->edit();
    db.module.ADOQ_RatingTableAudience_1->setAsString(QStringLiteral("2-202"));
    app.processEvents();
    Save(grid, folder, QStringLiteral("grid-edit.png"));
    db.module.ADOQ_RatingTable->cancel();
    grid.resize(450, 242);
    app.processEvents();
    Save(grid, folder, QStringLiteral("grid-narrow.png"));
    grid.resize(870, 242);
    grid.model().moveToRecord(3);
    grid.model().setCurrentColumn(5);
    TGridFindDlg* find = TGridFindDlg::Instance(&grid);
    find->Prepare(grid, grid.model().displayText(5));
    find->show();
    app.processEvents();
    Save(*find, folder, QStringLiteral("grid-find.png"));
    const QString zoom = folder.filePath(QStringLiteral("grid-find-zoom.png"));
    find->grab().scaled(find->size() * 2).save(zoom);
    std::printf("%s\n", qPrintable(zoom));
    // The find-in list dropped down, with the dialog behind it.
    find->cbFindIn->showPopup();
    app.processEvents();
    QWidget* list = find->cbFindIn->view()->window();
    const QRect listBox(list->mapToGlobal(QPoint()) - find->mapToGlobal(QPoint()), list->size());
    const QRect whole = find->rect().united(listBox);
    QPixmap dropped(whole.size());
    dropped.fill(Qt::white);
    {
        QPainter painter(&dropped);
        painter.drawPixmap(-whole.topLeft(), find->grab());
        painter.drawPixmap(listBox.topLeft() - whole.topLeft(), list->grab());
    }
    const QString popup = folder.filePath(QStringLiteral("grid-find-list.png"));
    dropped.save(popup);
    std::printf("%s\n", qPrintable(popup));
    find->cbFindIn->hidePopup();
    find->hide();

    // Editing: typed text in the room column, the calendar of a date, the list of control types.
    grid.resize(870, 242);
    grid.move(40, 40);
    grid.setFocus();
    app.processEvents();
    QWindow* window = grid.windowHandle();
    grid.model().moveBy(-2);
    grid.model().setCurrentColumn(6);
    Press(window, Qt::Key_F2);
    TypeInto(window, QStringLiteral("-Б"));
    Press(window, Qt::Key_Left, Qt::ShiftModifier);
    SaveScreen(grid, folder, QStringLiteral("grid-editor.png"));
    Press(window, Qt::Key_Escape);
    Press(window, Qt::Key_Escape);
    grid.model().setCurrentColumn(4);
    Press(window, Qt::Key_Down, Qt::AltModifier);
    SaveScreen(grid, folder, QStringLiteral("grid-calendar.png"));
    Press(window, Qt::Key_Escape);
    grid.model().setCurrentColumn(7);
    Press(window, Qt::Key_Down, Qt::AltModifier);
    Press(window, Qt::Key_Down);
    SaveScreen(grid, folder, QStringLiteral("grid-list.png"));
    Press(window, Qt::Key_Escape);
    return 0;
}
