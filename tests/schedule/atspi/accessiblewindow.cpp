// The main window after a real sign-in as demo/demo on a demo database of its own, driven by lines
// on its standard input, for the check of what a screen reader receives over AT-SPI
// (check_accessibility_tree.py). It writes "ready DATABASE" once the window is on the screen and
// "done COMMAND" after each command:
//   pick      picks 2025/2026, the autumn semester, the faculty of information technologies and
//             ИВТ-231, and puts the grid's current cell on the first row's type of control
//   list      opens the grid's list of control types
//   calendar  closes it and opens the month calendar of the first row's date
//   selector  closes it and opens the faculty selector's list
//   quit      ends the program
#include "app/application.h"
#include "context/programcontext.h"
#include "data/connection.h"
#include "datamodule/tdm_mb.h"
#include "grid/widgets/inplaceedit.h"
#include "grid/widgets/tdbgrid.h"
#include "platform/hostresolver.h"
#include "schedule/lookupselector.h"
#include "schedule/tform1.h"
#include "schedule/widgets/lookupcombobox.h"
#include "signin/widgets/signinedit.h"
#include "signin/widgets/tform8.h"
#include "support/tempinstallation.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <cstdio>
#include <iostream>
#include <string>
#include <unistd.h>

namespace {

class FixedResolver : public platform::HostResolver {
public:
    std::string hostName() const override { return "ws-17"; }
    std::vector<platform::IPv4Address> resolveIPv4(const std::string&) const override {
        return {{10, 1, 2, 3}};
    }
};

void Say(const std::string& line) {
    std::cout << line << std::endl;
}

bool PickText(LookupComboBox* box, const QString& text) {
    LookupSelector& selector = box->selector();
    for (int row = 0; row < selector.rowCount(); ++row)
        if (selector.rowText(row) == text) {
            selector.pickRow(row);
            return true;
        }
    return false;
}

// A key to the widget that has the keyboard: the focus widget or an open pop-up.
void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* target = QApplication::activePopupWidget();
    if (target == nullptr)
        target = QApplication::focusWidget();
    if (target != nullptr)
        QTest::keyClick(target, key, modifiers);
}

void ToCell(TForm1& window, int column) {
    TDBGrid* grid = window.DBGrid1;
    window.activateWindow();
    QTest::qWaitForWindowActive(&window, 2000);
    grid->setFocus(Qt::OtherFocusReason);
    grid->model().setCurrentColumn(column);
    QTest::qWaitFor([grid] { return grid->inplaceEditor()->hasFocus(); }, 2000);
}

bool Run(TForm1& window, const std::string& command) {
    constexpr int DateColumn = 4;
    constexpr int TypeColumn = 7;
    if (command == "pick") {
        const bool picked =
            PickText(window.YearDBLookupComboBox, "2025/2026") &&
            PickText(window.SemesterDBLookupComboBox, QString::fromUtf8("1-й семестр (осенний)")) &&
            PickText(window.FacultyDBLookupComboBox,
                     QString::fromUtf8("Факультет информационных технологий")) &&
            PickText(window.GroupDBLookupComboBox, QString::fromUtf8("ИВТ-231"));
        if (!picked)
            return false;
        ToCell(window, TypeColumn);
        return window.DBGrid1->model().currentRecord() == 0;
    }
    if (command == "list") {
        ToCell(window, TypeColumn);
        Press(Qt::Key_Down, Qt::AltModifier);
        return window.DBGrid1->listPopup() != nullptr;
    }
    if (command == "calendar") {
        if (window.DBGrid1->listPopup() != nullptr)
            Press(Qt::Key_Escape);
        ToCell(window, DateColumn);
        Press(Qt::Key_Down, Qt::AltModifier);
        return window.DBGrid1->calendarPopup() != nullptr;
    }
    if (command == "selector") {
        if (window.DBGrid1->calendarPopup() != nullptr)
            Press(Qt::Key_Escape);
        window.FacultyDBLookupComboBox->setFocus(Qt::OtherFocusReason);
        window.FacultyDBLookupComboBox->dropDown();
        return window.FacultyDBLookupComboBox->isDroppedDown();
    }
    if (command == "quit") {
        QCoreApplication::quit();
        return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    Application app(argc, argv);
    testsupport::TempInstallation install;
    const QString database = install.addDatabase("window.db");
    install.writeBootstrapFile("zor_boot", "boot", "window.db");
    TDM_MB data;
    data.ADOCon->setDatabaseFolder(install.dataFolder());
    DM_MB = &data;
    const FixedResolver resolver;
    const ProgramContext context{install.installation(), app, data, resolver};
    QTimer::singleShot(0, [] {
        if (Form8 == nullptr)
            return;
        Form8->Login_Edit->setText("demo");
        Form8->Password_Edit->setText("demo");
        Form8->SpeedButton2->click();
    });
    TForm1 window(context);
    if (!data.ADOQ_A_Year->isActive()) {
        Say("sign-in failed");
        return 1;
    }
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&window, &input] {
        std::string line;
        if (!std::getline(std::cin, line)) {
            input.setEnabled(false);
            QCoreApplication::quit();
            return;
        }
        Say((Run(window, line) ? "done " : "failed ") + line);
    });
    QTimer::singleShot(0, [&window, database] {
        if (QTest::qWaitForWindowExposed(&window))
            Say("ready " + database.toStdString());
        else
            Say("not shown");
    });
    const int code = app.run(&window);
    DM_MB = nullptr;
    return code;
}
