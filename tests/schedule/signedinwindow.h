#pragma once

// The main window after a real sign-in as demo/demo through its dialog, over the demo database of
// an installation of its own; message boxes and error boxes go to a recording shell.
#include "context/programcontext.h"
#include "data/connection.h"
#include "datamodule/tdm_mb.h"
#include "platform/hostresolver.h"
#include "schedule/lookupselector.h"
#include "schedule/scheduleeditor.h"
#include "schedule/tform1.h"
#include "schedule/widgets/lookupcombobox.h"
#include "schedule/widgets/selectorlistpopup.h"
#include "signin/widgets/signinedit.h"
#include "signin/widgets/tform8.h"
#include "support/contractdb.h"
#include "support/fakeshell.h"
#include "support/tempinstallation.h"

#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <memory>

class FixedResolver : public platform::HostResolver {
public:
    std::string hostName() const override { return "ws-17"; }
    std::vector<platform::IPv4Address> resolveIPv4(const std::string&) const override {
        return {{10, 1, 2, 3}};
    }
};

class SignedInWindow : public ::testing::Test {
protected:
    void SetUp() override {
        m_database = m_install.addDatabase("window.db");
        m_install.writeBootstrapFile("zor_boot", "boot", "window.db");
        m_data.ADOCon->setDatabaseFolder(m_install.dataFolder());
        DM_MB = &m_data;
        QTimer::singleShot(0, [] {
            ASSERT_NE(Form8, nullptr);
            Form8->Login_Edit->setText("demo");
            Form8->Password_Edit->setText("demo");
            QTest::mouseClick(Form8->SpeedButton2, Qt::LeftButton);
        });
        m_window = std::make_unique<TForm1>(m_context);
        ASSERT_TRUE(m_data.ADOQ_A_Year->isActive()) << m_shell.plainMessages.join('|').toStdString();
    }

    void TearDown() override {
        m_window.reset();
        DM_MB = nullptr;
    }

    void showWindow() {
        m_window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
    }

    ScheduleEditor& editor() { return m_window->editor(); }

    // Picks the row that shows this text, as a user does: the list opened with the mouse, the row
    // clicked.
    void clickRow(LookupComboBox* box, const QString& text) {
        QTest::mouseClick(box, Qt::LeftButton);
        ASSERT_TRUE(box->isDroppedDown()) << box->objectName().toStdString();
        SelectorListPopup* list = box->popup();
        for (int line = 0; line < list->list().lineCount(); ++line) {
            const int row = list->list().rowAtLine(line);
            if (row >= 0 && box->selector().rowText(row) == text) {
                QTest::mouseClick(list, Qt::LeftButton, {}, list->lineRect(line).center());
                return;
            }
        }
        FAIL() << "no line " << text.toStdString();
    }

    void pickDemoGroup() {
        clickRow(m_window->YearDBLookupComboBox, "2025/2026");
        clickRow(m_window->SemesterDBLookupComboBox, QString::fromUtf8("1-й семестр (осенний)"));
        clickRow(m_window->FacultyDBLookupComboBox, QString::fromUtf8("Факультет информационных технологий"));
        clickRow(m_window->GroupDBLookupComboBox, QString::fromUtf8("ИВТ-231"));
    }

    testsupport::TempInstallation m_install;
    QString m_database;
    testsupport::FakeShell m_shell;
    FixedResolver m_resolver;
    TDM_MB m_data;
    ProgramContext m_context{m_install.installation(), m_shell, m_data, m_resolver};
    std::unique_ptr<TForm1> m_window;
};
