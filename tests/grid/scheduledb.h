#pragma once

#include "datamodule/tdm_mb.h"
#include "support/contractdb.h"

#include <QTemporaryDir>
#include <stdexcept>

// The program's data module on a copy of the demo database in a temporary folder, with the
// schedule of a demo group at hand. Group 1 of year 1, semester 1, faculty 1 has twelve rows,
// ordered by discipline.
class ScheduleDb {
    // Before the data module, so that the database file outlives its connection.
    QTemporaryDir m_dir;
    QString m_file;

public:
    ScheduleDb() {
        if (!m_dir.isValid())
            throw std::runtime_error("no temporary folder");
        m_file = testsupport::BuildContractDb(m_dir.path(), true, "demo.db");
        module.ADOCon->setConnectionString("Provider=SQLOLEDB.1;Password=Zor27demo;User ID=zor_demo;"
                                           "Initial Catalog=\"" +
                                           m_file + "\";Data Source=embedded");
        module.ADOCon->open();
        module.setSaveButtonSwitch([this](bool enabled) { saveEnabled = enabled; });
    }

    const QString& file() const { return m_file; }

    void openSchedule(int group = 1) {
        const char* names[] = {"@id_a_year", "@id_semester", "@id_faculty", "@id_group"};
        const int keys[] = {1, 1, 1, group};
        for (int i = 0; i < 4; ++i)
            module.ADOQ_RatingTable->findParam(names[i])->setValue(keys[i]);
        module.ADOQ_RatingTable->open();
    }

    // A statement run by another session on the same file.
    void runElsewhere(const QString& statement) { testsupport::ExecuteSql(m_file, statement); }

    // Two disciplines renamed so that "курсовой" stands in the discipline of the demo group's third
    // and fifth record only.
    void addCourseworkToTwoDisciplines() {
        runElsewhere("UPDATE Discipline SET DisciplineName = DisciplineName || ' (курсовой проект)' "
                     "WHERE DisciplineName IN ('Веб-программирование', 'Деловой иностранный язык')");
    }

    // A column of a schedule row as the database holds it now, by the row's key.
    QVariant stored(const QString& column, const QVariant& key) {
        Query read(QString(), module.ADOCon);
        read.setSql({"SELECT " + column + " FROM ControlSchedule WHERE id_schedule = :k"});
        read.findParam("k")->setValue(key);
        read.open();
        return read.field(0)->value();
    }

    // The key of a record of the open schedule.
    QVariant key(int record) const {
        return module.ADOQ_RatingTable->cellAt(record, module.ADOQ_RatingTable->columnIndex("id_schedule"));
    }

    TDM_MB module;
    bool saveEnabled = false;
};
