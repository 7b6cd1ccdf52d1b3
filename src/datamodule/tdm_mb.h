#pragma once

#include "data/connection.h"
#include "data/datasource.h"
#include "data/field.h"
#include "data/query.h"
#include "data/table.h"

#include <functional>
#include <memory>

// The data module: the one connection and every dataset of the program, alive for the whole run.
// Creating it opens nothing.
class TDM_MB {
public:
    TDM_MB();
    ~TDM_MB();
    TDM_MB(const TDM_MB&) = delete;
    TDM_MB& operator=(const TDM_MB&) = delete;

    Connection* ADOCon;
    Query* ADOQ_RatingTable;
    DataSource* DS_RatingTable;
    Field* ADOQ_RatingTableKafedra;
    Field* ADOQ_RatingTableDiscipline;
    Field* ADOQ_RatingTablet_fio;
    Field* ADOQ_RatingTableFKontr;
    Field* ADOQ_RatingTableDate_1;
    Field* ADOQ_RatingTableAudience_1;
    Field* ADOQ_RatingTableid_typeControl_1;
    Table* ADOTable1;
    Field* ADOTable1typeControl;
    Field* ADOTable1id_typeControl;
    Field* ADOQ_RatingTableTypeControl;
    Query* ADOQ_Faculty;
    DataSource* DS_Faculty;
    Query* ADOQ_A_Year;
    DataSource* DS_A_Year;
    Query* ADOQ_Semester;
    DataSource* DS_Semester;
    Query* ADOQ_Group;
    DataSource* DS_Group;
    Field* ADOQ_RatingTableTime_1;

    // Every attempt to add a schedule row ends here, silently (platform::SilentAbort).
    void ADOQ_RatingTableBeforeInsert(DataSet& dataSet);
    // Enables the main window's Save button.
    void ADOQ_RatingTableAfterEdit(DataSet& dataSet);
    // Disables the main window's Save button.
    void ADOQ_RatingTableAfterPost(DataSet& dataSet);

    // How the handlers reach the main window's Save button: the main window sets it while it
    // exists (and clears it when it goes). Without it the handlers leave the button alone.
    void setSaveButtonSwitch(std::function<void(bool enabled)> enableSaveButton) {
        m_enableSaveButton = std::move(enableSaveButton);
    }

    // The base table and key behind the schedule's editable columns.
    static constexpr const char* ScheduleTable = "ControlSchedule";
    static constexpr const char* ScheduleKey = "id_schedule";

private:
    std::unique_ptr<Connection> m_connection;
    std::unique_ptr<Table> m_table;
    std::unique_ptr<Query> m_queries[5];
    std::unique_ptr<DataSource> m_sources[5];
    std::function<void(bool)> m_enableSaveButton;
};

// The single data module, set by whoever creates it; empty before and after.
extern TDM_MB* DM_MB;
