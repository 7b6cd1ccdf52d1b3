#pragma once

// The schedule editor of a user signed in as demo/demo through the real exchange, in an
// installation of its own with the demo database: through the embedded engine, or through the SQL
// Server driver against the stand-in serving the same file.
#include "context/programcontext.h"
#include "data/connection.h"
#include "data/query.h"
#include "datamodule/tdm_mb.h"
#include "platform/hostresolver.h"
#include "schedule/lookupselector.h"
#include "schedule/scheduleeditor.h"
#include "signin/signinexchange.h"
#include "support/contractdb.h"
#include "support/fakeshell.h"
#include "support/fakesigninview.h"
#include "support/storedvalue.h"
#include "support/tdsstandin.h"
#include "support/tempinstallation.h"

#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

class SignedInSchedule : public ::testing::Test {
protected:
    void SetUp() override {
        m_database = m_install.addDatabase(QStringLiteral("schedule.db"));
        prepareDatabase();
        if (throughServer())
            m_standIn = std::make_unique<testsupport::TdsStandIn>(m_database, m_standInFolder.path());
        m_install.writeBootstrapFile("zor_boot", "boot", "schedule.db",
                                     m_standIn ? m_standIn->dataSource() : QStringLiteral("embedded"));
        m_data.ADOCon->setDatabaseFolder(m_install.dataFolder());
        m_view.login = QStringLiteral("demo");
        m_view.password = QStringLiteral("demo");
        m_view.attempts = 1;
        m_editor = std::make_unique<ScheduleEditor>(m_data, m_shell);
        m_editor->setSaveButton([this](bool enabled) { m_saveButton.append(enabled); });
        m_saveButton.clear();
        ASSERT_TRUE(PressSignIn(m_view, m_context)) << m_shell.plainMessages.join('|').toStdString();
        m_editor->startSession();
    }

    virtual bool throughServer() const { return false; }
    // Changes to the database before anyone signs in.
    virtual void prepareDatabase() {}

    LookupSelector& year() { return m_editor->year(); }
    LookupSelector& semester() { return m_editor->semester(); }
    LookupSelector& faculty() { return m_editor->faculty(); }
    LookupSelector& group() { return m_editor->group(); }
    Query& schedule() { return *m_data.ADOQ_RatingTable; }

    // Picks the row of the selector's list that shows this text.
    void pickText(LookupSelector& selector, const QString& text) {
        for (int row = 0; row < selector.rowCount(); ++row) {
            if (selector.rowText(row) == text) {
                selector.pickRow(row);
                return;
            }
        }
        ADD_FAILURE() << "no row " << text.toStdString() << " in " << selector.objectName().toStdString();
    }

    // Year, semester, faculty and group of the demo data with a schedule of twelve rows or more.
    void pickDemoGroup() {
        pickText(year(), QStringLiteral("2025/2026"));
        pickText(semester(), QString::fromUtf8("1-й семестр (осенний)"));
        pickText(faculty(), QString::fromUtf8("Факультет информационных технологий"));
        group().pickRow(0);
    }

    // The key of the schedule's current row in the base table.
    QVariant currentKey() {
        return schedule().cellAt(schedule().recNo() - 1, schedule().columnIndex("id_schedule"));
    }

    // A column of a schedule row as the file holds it now.
    QVariant stored(const QString& column, const QVariant& key) {
        return testsupport::StoredScheduleValue(m_database, column, key);
    }

    testsupport::TempInstallation m_install;
    QString m_database;
    QTemporaryDir m_standInFolder;
    std::unique_ptr<testsupport::TdsStandIn> m_standIn;
    testsupport::FakeShell m_shell;
    testsupport::FakeSignInView m_view;
    platform::SystemHostResolver m_resolver; // the fake view answers for the address
    TDM_MB m_data;
    ProgramContext m_context{m_install.installation(), m_shell, m_data, m_resolver};
    std::unique_ptr<ScheduleEditor> m_editor;
    // What the editor switched the Save button to, in order.
    QList<bool> m_saveButton;
};
