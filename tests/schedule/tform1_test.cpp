// The main window on the offscreen platform after a real sign-in: its layout, resizing, focus and
// tab order, the Save button wired to the schedule's state, errors of the handlers, and the
// question on closing with an unsaved change.
#include "signedinwindow.h"

#include "grid/widgets/tdbgrid.h"
#include "schedule/widgets/bevel.h"
#include "support/errortext.h"

#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWindow>

namespace {

class TForm1Test : public SignedInWindow {};

} // namespace

TEST_F(TForm1Test, LayoutAfterSignIn) {
    showWindow();
    TForm1& window = *m_window;
    EXPECT_EQ(window.windowTitle(), "ZOR 27 График проведения контроля");
    EXPECT_EQ(window.size(), QSize(870, 367));
    EXPECT_EQ(window.font().pixelSize(), 11);

    const struct {
        QWidget* widget;
        QRect geometry;
    } placed[] = {
        {window.Panel4, {0, 0, 870, 121}},
        {window.Bevel1, {0, 121, 870, 2}},
        {window.Bevel6, {0, 123, 870, 2}},
        {window.DBGrid1, {0, 125, 870, 242}},
        {window.YearDBLookupComboBox, {168, 2, 225, 21}},
        {window.SemesterDBLookupComboBox, {168, 32, 225, 21}},
        {window.FacultyDBLookupComboBox, {168, 62, 441, 21}},
        {window.GroupDBLookupComboBox, {168, 92, 225, 21}},
        {window.BitBtn1, {488, 2, 121, 25}},
    };
    for (const auto& item : placed)
        EXPECT_EQ(item.widget->geometry(), item.geometry) << item.widget->objectName().toStdString();

    const struct {
        QLabel* label;
        QPoint position;
        const char* text;
    } labels[] = {{window.Label1, {3, 5}, "Выберите год:"},
                  {window.Label6, {2, 34}, "Выберите семестр:"},
                  {window.Label2, {2, 64}, "Выберите Факультет:"},
                  {window.Label4, {4, 95}, "Выберите группу:"}};
    for (const auto& item : labels) {
        SCOPED_TRACE(item.text);
        EXPECT_EQ(item.label->text(), QString::fromUtf8(item.text));
        EXPECT_EQ(item.label->pos(), item.position);
        EXPECT_EQ(item.label->height(), 16);
        // As wide as its text: the text drawn alone on a wide canvas in the label's font ends
        // inside the label, and the label shows all of it; beyond the text's last pixel the label
        // has no more than the last character's bearing.
        const auto lastInked = [](const QImage& image) {
            for (int x = image.width() - 1; x >= 0; --x)
                for (int y = 0; y < image.height(); ++y)
                    if (qGray(image.pixel(x, y)) < 128)
                        return x;
            return -1;
        };
        QImage alone(400, 16, QImage::Format_RGB32);
        alone.fill(Qt::white);
        {
            QPainter painter(&alone);
            painter.setFont(item.label->font());
            painter.setPen(Qt::black);
            painter.drawText(QRect(0, 0, 400, 16), Qt::AlignLeft | Qt::AlignVCenter, item.label->text());
        }
        const int textEnd = lastInked(alone);
        ASSERT_GT(textEnd, 50);
        EXPECT_LT(textEnd, item.label->width()) << "the whole text is inside the label";
        EXPECT_GE(textEnd, item.label->width() - 4) << "the label is no wider than its text";
        EXPECT_NEAR(lastInked(item.label->grab().toImage()), textEnd, 1) << "and shown to its end";
        EXPECT_EQ(item.label->font().pixelSize(), 13);
        EXPECT_TRUE(item.label->font().bold());
        EXPECT_EQ(item.label->palette().color(QPalette::WindowText), QColor(0, 0, 128));
        EXPECT_EQ(item.label->parentWidget(), window.Panel4);
    }
    EXPECT_EQ(window.Panel4->palette().color(QPalette::Window), QColor(192, 192, 192));
    EXPECT_EQ(window.Bevel1->shape(), Bevel::Shape::Etched);
    EXPECT_EQ(window.Bevel6->shape(), Bevel::Shape::Space);
    EXPECT_EQ(window.BitBtn1->text(), QString::fromUtf8("Сохранить"));
    EXPECT_TRUE(window.BitBtn1->font().bold());

    EXPECT_TRUE(window.YearDBLookupComboBox->isEnabled());
    EXPECT_FALSE(window.SemesterDBLookupComboBox->isEnabled());
    EXPECT_FALSE(window.FacultyDBLookupComboBox->isEnabled());
    EXPECT_FALSE(window.GroupDBLookupComboBox->isEnabled());
    EXPECT_FALSE(window.BitBtn1->isEnabled());
    EXPECT_EQ(window.YearDBLookupComboBox->selector().shownText(), "");
    EXPECT_EQ(window.focusWidget(), window.YearDBLookupComboBox);
}

// The colours as drawn, not only as set: the panel silver, the captions navy, the focused selector's
// text area in the selection colour.
TEST_F(TForm1Test, DrawnColours) {
    showWindow();
    m_window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
    const QImage panel = m_window->Panel4->grab().toImage();
    EXPECT_EQ(panel.pixelColor(700, 100), QColor(192, 192, 192));
    const auto contains = [](const QImage& image, const QColor& colour) {
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y) == colour)
                    return true;
        return false;
    };
    EXPECT_TRUE(contains(m_window->Label2->grab().toImage(), QColor(0, 0, 128)));
    ASSERT_TRUE(m_window->YearDBLookupComboBox->hasFocus());
    const QColor selection = m_window->YearDBLookupComboBox->palette().color(QPalette::Highlight);
    EXPECT_TRUE(contains(m_window->YearDBLookupComboBox->grab().toImage(), selection));
    EXPECT_FALSE(contains(m_window->GroupDBLookupComboBox->grab().toImage(), selection));
}

TEST_F(TForm1Test, CentredOnTheWholeDesktopByItsOuterSize) {
    const QRect desktop = QGuiApplication::primaryScreen()->virtualGeometry();
    const QSize outer = m_window->frameGeometry().size() == m_window->size()
                            ? QSize(886, 405)
                            : m_window->frameGeometry().size();
    EXPECT_EQ(m_window->pos(), QPoint(desktop.x() + (desktop.width() - outer.width()) / 2,
                                      desktop.y() + (desktop.height() - outer.height()) / 2));
}

// With a panel taking 68 pixels at the bottom the window still sits in the middle of the whole
// desktop, 34 pixels lower than in the middle of what the panel leaves.
TEST_F(TForm1Test, CentredOnTheWholeDesktopWhenAPanelTakesPartOfIt) {
    showWindow();
    const QSize outer = m_window->frameGeometry().size() == m_window->size()
                            ? QSize(886, 405)
                            : m_window->frameGeometry().size();
    m_window->centreOn({QRect(0, 0, 1920, 1080), QRect(0, 0, 1920, 1012)});
    EXPECT_EQ(m_window->frameGeometry().topLeft(),
              QPoint((1920 - outer.width()) / 2, (1080 - outer.height()) / 2));
}

TEST_F(TForm1Test, ResizingStretchesThePanelsWidthAndTheGridOnly) {
    showWindow();
    m_window->resize(1200, 700);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(m_window->Panel4->geometry(), QRect(0, 0, 1200, 121));
    EXPECT_EQ(m_window->Bevel1->geometry(), QRect(0, 121, 1200, 2));
    EXPECT_EQ(m_window->Bevel6->geometry(), QRect(0, 123, 1200, 2));
    EXPECT_EQ(m_window->DBGrid1->geometry(), QRect(0, 125, 1200, 575));
    EXPECT_EQ(m_window->FacultyDBLookupComboBox->geometry(), QRect(168, 62, 441, 21));
    EXPECT_EQ(m_window->BitBtn1->geometry(), QRect(488, 2, 121, 25));
}

// Tab visits the enabled controls in the order group, semester, year, faculty, Save, grid.
TEST_F(TForm1Test, TabOrderSkipsDisabledControls) {
    showWindow();
    QTest::keyClick(m_window->YearDBLookupComboBox, Qt::Key_Tab);
    EXPECT_EQ(m_window->focusWidget(), m_window->DBGrid1);
    m_window->YearDBLookupComboBox->setFocus();
    QTest::keyClick(m_window->YearDBLookupComboBox, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(m_window->focusWidget(), m_window->DBGrid1);

    pickDemoGroup();
    QList<QWidget*> visited;
    m_window->GroupDBLookupComboBox->setFocus();
    for (int i = 0; i < 4; ++i) {
        visited << m_window->focusWidget();
        QTest::keyClick(m_window->focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(visited, QList<QWidget*>({m_window->GroupDBLookupComboBox, m_window->SemesterDBLookupComboBox,
                                        m_window->YearDBLookupComboBox, m_window->FacultyDBLookupComboBox}));
    // Then the grid, whose cell editor takes the focus; inside the grid Tab walks the cells.
    QWidget* inGrid = m_window->focusWidget();
    EXPECT_TRUE(inGrid == m_window->DBGrid1 || m_window->DBGrid1->isAncestorOf(inGrid));
}

TEST_F(TForm1Test, SaveButtonFollowsTheScheduleAndSaves) {
    showWindow();
    pickDemoGroup();
    ASSERT_EQ(m_data.ADOQ_RatingTable->recordCount(), 12);
    EXPECT_FALSE(m_window->BitBtn1->isEnabled());
    m_data.ADOQ_RatingTable->setRecNo(5);
    const QVariant key =
        m_data.ADOQ_RatingTable->cellAt(4, m_data.ADOQ_RatingTable->columnIndex("id_schedule"));
    m_data.ADOQ_RatingTable->edit();
    m_data.ADOQ_RatingTableAudience_1->setAsString(QString::fromUtf8("Л-101"));
    EXPECT_TRUE(m_window->BitBtn1->isEnabled());

    QTest::mouseClick(m_window->BitBtn1, Qt::LeftButton);
    EXPECT_FALSE(m_window->BitBtn1->isEnabled());
    EXPECT_EQ(m_data.ADOQ_RatingTable->state(), DataSetState::Browse);
    EXPECT_TRUE(m_shell.errors.isEmpty()) << m_shell.errors.join('|').toStdString();
    Connection direct;
    direct.setConnectionString("User ID=zor_demo;Password=Zor27demo;Data Source=embedded;Initial Catalog=\"" +
                               m_database + "\"");
    direct.open();
    EXPECT_EQ(direct.run("SELECT Audience_1 FROM ControlSchedule WHERE id_schedule = ?", {key}).cell(0, 0),
              QString::fromUtf8("Л-101"));

    m_data.ADOQ_RatingTable->edit();
    EXPECT_TRUE(m_window->BitBtn1->isEnabled());
    m_data.ADOQ_RatingTable->cancel();
    EXPECT_FALSE(m_window->BitBtn1->isEnabled());
}

TEST_F(TForm1Test, HandlerErrorsGoToTheErrorBox) {
    showWindow();
    pickDemoGroup();
    testsupport::ExecuteSql(m_database, "DROP VIEW RatingView");
    clickRow(m_window->FacultyDBLookupComboBox, QString::fromUtf8("Юридический факультет"));
    EXPECT_EQ(m_shell.errors, QStringList({"no such table: RatingView"}));
    EXPECT_FALSE(m_data.ADOQ_RatingTable->isActive());
    EXPECT_TRUE(m_window->isVisible());
}

TEST_F(TForm1Test, ClosingWithAnUnsavedChangeAsks) {
    showWindow();
    pickDemoGroup();
    m_data.ADOQ_RatingTable->edit();
    m_data.ADOQ_RatingTableTime_1->setAsString("11:15");

    m_shell.answers = {UserShell::AnswerCancel};
    EXPECT_FALSE(m_window->close());
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_EQ(m_data.ADOQ_RatingTableTime_1->asString(), "11:15");

    m_shell.answers = {UserShell::AnswerNo};
    EXPECT_TRUE(m_window->close());
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_EQ(m_shell.boxes.size(), 2);
    EXPECT_EQ(m_shell.boxes[1].text, QString::fromUtf8("Сохранить изменения?"));
    EXPECT_EQ(m_data.ADOQ_RatingTable->state(), DataSetState::Browse);
}

// A room typed into the grid's cell and not yet written counts as an unsaved change: Yes writes and
// saves it. Ctrl+F in the grid opens the find dialog with the editor's selected text.
TEST_F(TForm1Test, TheGridsTypedCellIsSavedOnCloseAndCtrlFFinds) {
    showWindow();
    pickDemoGroup();
    TDBGrid* grid = m_window->DBGrid1;
    grid->model().moveToRecord(2);
    grid->model().setCurrentColumn(6); // the room
    m_window->activateWindow();
    grid->setFocus();
    QWindow* window = m_window->windowHandle();
    // Entering the cell selects its whole text: typing replaces it.
    QTest::sendKeyEvent(QTest::Click, window, Qt::Key_7, QStringLiteral("7"), Qt::NoModifier);
    ASSERT_TRUE(grid->cellModified());
    const QString typed = grid->cellEditor().cellText();

    m_shell.answers = {UserShell::AnswerCancel};
    EXPECT_FALSE(m_window->close());
    ASSERT_EQ(m_shell.boxes.size(), 1);
    EXPECT_EQ(m_shell.boxes[0].text, QString::fromUtf8("Сохранить изменения?"));

    bool findOpened = false;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->objectName() == "GridFindDlg" && top->isVisible()) {
                findOpened = true;
                static_cast<QDialog*>(top)->reject();
            }
    });
    closer.start(10);
    QTest::keyClick(window, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(window, Qt::Key_F, Qt::ControlModifier);
    closer.stop();
    EXPECT_TRUE(findOpened);

    m_shell.answers = {UserShell::AnswerYes};
    EXPECT_TRUE(m_window->close());
    EXPECT_TRUE(m_shell.errors.isEmpty()) << m_shell.errors.join('|').toStdString();
    EXPECT_EQ(m_data.ADOQ_RatingTable->state(), DataSetState::Browse);
    m_data.ADOQ_RatingTable->setRecNo(3);
    EXPECT_EQ(m_data.ADOQ_RatingTableAudience_1->asString(), typed);
}

// After the sign-in, a statement that finds the connection closed reopens it as the user.
TEST_F(TForm1Test, AfterSignInALostConnectionIsReopened) {
    const QString userConnection = m_data.ADOCon->connectionString();
    m_data.ADOCon->close();
    EXPECT_EQ(m_data.ADOCon->run("SELECT count(*) FROM TypeControl", {}).cell(0, 0).toInt(), 6);
    EXPECT_TRUE(m_data.ADOCon->isOpen());
    EXPECT_EQ(m_data.ADOCon->connectionString(), userConnection);
    EXPECT_TRUE(userConnection.contains("User ID=zor_demo")) << userConnection.toStdString();
}
