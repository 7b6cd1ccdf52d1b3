// The grid's context menu for printing and exporting, in the main window after a real sign-in:
// its entries, when they are offered, and a save through it with the suggested file name.
#include "signedinwindow.h"

#include "grid/widgets/tdbgrid.h"
#include "schedule/widgets/schedulereportmenu.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFile>
#include <QMenu>
#include <QPrintPreviewDialog>
#include <QTemporaryDir>
#include <QTimer>

namespace {

class ReportMenuTest : public SignedInWindow {
protected:
    ScheduleReportMenu& reportMenu() {
        auto* menu = m_window->findChild<ScheduleReportMenu*>();
        EXPECT_NE(menu, nullptr);
        return *menu;
    }

    // A right click in the middle of the grid, as the window system delivers it.
    void rightClickGrid() {
        QWidget* viewport = m_window->DBGrid1->viewport();
        const QPoint at = viewport->rect().center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
        QCoreApplication::sendEvent(viewport, &event);
    }
};

} // namespace

TEST_F(ReportMenuTest, RightClickOffersTheFourEntriesOnceAGroupIsChosen) {
    showWindow();
    ScheduleReportMenu& menu = reportMenu();
    QStringList texts;
    for (QAction* action : menu.menu()->actions()) {
        if (!action->isSeparator())
            texts << action->text();
    }
    EXPECT_EQ(texts,
              QStringList({QString::fromUtf8("Печать…"), QString::fromUtf8("Предварительный просмотр…"),
                           QString::fromUtf8("Сохранить в PDF…"), QString::fromUtf8("Сохранить в Excel…")}));

    rightClickGrid();
    ASSERT_TRUE(menu.menu()->isVisible());
    for (QAction* action : {menu.printAction(), menu.previewAction(), menu.pdfAction(), menu.excelAction()})
        EXPECT_FALSE(action->isEnabled()) << "no schedule yet: " << action->text().toStdString();
    menu.menu()->hide();

    pickDemoGroup();
    rightClickGrid();
    ASSERT_TRUE(menu.menu()->isVisible());
    for (QAction* action : {menu.printAction(), menu.previewAction(), menu.pdfAction(), menu.excelAction()})
        EXPECT_TRUE(action->isEnabled()) << action->text().toStdString();
    menu.menu()->hide();
}

TEST_F(ReportMenuTest, SaveInExcelSuggestsGroupAndSemesterAndWrites) {
    showWindow();
    pickDemoGroup();
    QTemporaryDir folder;
    QStringList asked;
    reportMenu().setFileNameAsker([&](const QString& caption, const QString& suggested, const QString&) {
        asked << caption << QFileInfo(suggested).fileName();
        return folder.filePath("chosen");
    });
    reportMenu().excelAction()->trigger();
    EXPECT_EQ(asked, QStringList({QString::fromUtf8("Сохранить в Excel"),
                                  QString::fromUtf8("ИВТ-231, 1-й семестр (осенний).xlsx")}));
    QFile written(folder.filePath("chosen.xlsx"));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.read(2), "PK") << "a zip container";
    EXPECT_TRUE(m_shell.errors.isEmpty()) << m_shell.errors.join('|').toStdString();
}

TEST_F(ReportMenuTest, PreviewShowsThePrintedPages) {
    showWindow();
    pickDemoGroup();
    bool shown = false;
    QTimer::singleShot(0, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<QPrintPreviewDialog*>(widget);
                dialog != nullptr && dialog->isVisible()) {
                shown = true;
                EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("Предварительный просмотр"));
                dialog->reject();
            }
        }
    });
    reportMenu().previewAction()->trigger();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(m_shell.errors.isEmpty()) << m_shell.errors.join('|').toStdString();
}

// The current cell is covered by the cell editor: a right click there opens the editor's menu, which
// offers the grid's entries after its own, enabled as in the grid's menu.
TEST_F(ReportMenuTest, RightClickOnTheCurrentCellOffersTheGridsEntriesToo) {
    showWindow();
    pickDemoGroup();
    QWidget* editor = m_window->DBGrid1->findChild<QWidget*>(QStringLiteral("InplaceEditor"));
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(editor->isVisible());
    QStringList texts;
    QStringList enabled;
    QTimer::singleShot(0, [&] {
        auto* shown = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (shown == nullptr)
            return;
        for (QAction* action : shown->actions()) {
            texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
            if (action->isEnabled() && !action->isSeparator())
                enabled << action->text();
        }
        shown->close();
    });
    const QPoint at = editor->rect().center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, editor->mapToGlobal(at));
    QCoreApplication::sendEvent(editor, &event);

    EXPECT_EQ(texts.join(u'|').toStdString(),
              "Вырезать|Копировать|Вставить|Удалить|-|Выделить все|-|Печать…|Предварительный просмотр…|-|"
              "Сохранить в PDF…|Сохранить в Excel…");
    for (const char* entry :
         {"Печать…", "Предварительный просмотр…", "Сохранить в PDF…", "Сохранить в Excel…"})
        EXPECT_TRUE(enabled.contains(QString::fromUtf8(entry))) << entry;
}
