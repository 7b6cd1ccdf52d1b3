#include "scheduleeditor.h"

#include "context/usershell.h"
#include "data/connection.h"
#include "data/dataerror.h"
#include "data/query.h"
#include "datamodule/tdm_mb.h"
#include "platform/silentabort.h"

#include <exception>

ScheduleEditor::ScheduleEditor(TDM_MB& data, UserShell& shell, QObject* parent)
    : QObject(parent), m_data(data), m_shell(shell),
      m_year(QStringLiteral("YearDBLookupComboBox"), data.ADOQ_A_Year, QStringLiteral("id_a_year"),
             QStringLiteral("Year"), m_typing),
      m_semester(QStringLiteral("SemesterDBLookupComboBox"), data.ADOQ_Semester,
                 QStringLiteral("id_semester"), QStringLiteral("Semester"), m_typing),
      m_faculty(QStringLiteral("FacultyDBLookupComboBox"), data.ADOQ_Faculty, QStringLiteral("id_faculty"),
                QStringLiteral("Faculty"), m_typing),
      m_group(QStringLiteral("GroupDBLookupComboBox"), data.ADOQ_Group, QStringLiteral("id_group"),
              QStringLiteral("Group"), m_typing) {
    m_year.setEnabled(true);
    m_year.setClickHandler([this] { yearPicked(); });
    m_semester.setClickHandler([this] { semesterPicked(); });
    m_faculty.setClickHandler([this] { facultyPicked(); });
    m_group.setClickHandler([this] { groupPicked(); });

    m_data.setSaveButtonSwitch([this](bool enabled) { setSaveEnabled(enabled); });
    // The notifications of a dataset whose controls are frozen come as one dataSetChanged.
    connect(m_data.ADOQ_RatingTable, &DataSet::stateChanged, this, &ScheduleEditor::followScheduleState);
    connect(m_data.ADOQ_RatingTable, &DataSet::dataSetChanged, this, &ScheduleEditor::followScheduleState);
}

void ScheduleEditor::startSession() {
    m_userConnectionString = m_data.ADOCon->connectionString();
    m_data.ADOCon->setReopenHandler([this](Connection&) { reopenConnection(); });
}

ScheduleEditor::~ScheduleEditor() {
    m_data.ADOCon->setReopenHandler(nullptr);
    m_data.setSaveButtonSwitch(nullptr);
}

QString ScheduleEditor::SaveChangesQuestion() {
    return QString::fromUtf8("Сохранить изменения?");
}

void ScheduleEditor::yearPicked() {
    runListStep({m_year,
                 {&m_semester, &m_faculty, &m_group},
                 {&m_faculty, &m_group},
                 m_data.ADOQ_Semester,
                 {{"@id_a_year", &m_year}},
                 "Semester",
                 m_semester});
}

void ScheduleEditor::semesterPicked() {
    runListStep({m_semester,
                 {&m_group, &m_faculty},
                 {&m_group},
                 m_data.ADOQ_Faculty,
                 {{"@id_a_year", &m_year}, {"@id_semester", &m_semester}},
                 "Faculty",
                 m_faculty});
}

void ScheduleEditor::facultyPicked() {
    runListStep({m_faculty,
                 {&m_group},
                 {},
                 m_data.ADOQ_Group,
                 {{"@id_a_year", &m_year}, {"@id_semester", &m_semester}, {"@id_faculty", &m_faculty}},
                 "Group",
                 m_group});
}

void ScheduleEditor::runListStep(const ListStep& step) {
    if (!closeSchedule(step.own))
        return;
    for (LookupSelector* selector : step.clears)
        selector->setKeyValue(QVariant());
    for (LookupSelector* selector : step.disables)
        selector->setEnabled(false);
    if (step.own.keyIsNull())
        return;
    step.next->close();
    for (const auto& [name, selector] : step.parameters)
        step.next->parameters().paramByName(QString::fromLatin1(name)).setValue(selector->keyValue());
    openQuery(*step.next);
    step.next->setSort(QString::fromLatin1(step.sort));
    step.enables.setEnabled(true);
}

void ScheduleEditor::groupPicked() {
    if (m_group.keyIsNull())
        return;
    if (!closeSchedule(m_group))
        return;
    Query& schedule = *m_data.ADOQ_RatingTable;
    const std::pair<const char*, LookupSelector*> parameters[] = {{"@id_a_year", &m_year},
                                                                  {"@id_semester", &m_semester},
                                                                  {"@id_faculty", &m_faculty},
                                                                  {"@id_group", &m_group}};
    for (const auto& [name, selector] : parameters)
        schedule.parameters().paramByName(QString::fromLatin1(name)).setValue(selector->keyValue());
    openQuery(schedule);
}

bool ScheduleEditor::closeSchedule(LookupSelector& picked) {
    Query& schedule = *m_data.ADOQ_RatingTable;
    if (hasUnsavedChange() &&
        m_shell.messageBox(SaveChangesQuestion(), m_shell.title(),
                           UserShell::YesNo | UserShell::IconQuestion) == UserShell::AnswerYes) {
        try {
            schedule.post();
        } catch (const std::exception& error) {
            picked.undoPick();
            m_shell.showException(error);
            return false;
        }
    }
    schedule.close();
    return true;
}

void ScheduleEditor::openQuery(DataSet& query) {
    const int reopeningsBefore = m_reopenings;
    try {
        query.open();
    } catch (const DataError&) {
        const bool lostWhileRunning = !m_data.ADOCon->isOpen() && m_reopenings == reopeningsBefore;
        if (!lostWhileRunning || m_userConnectionString.isEmpty())
            throw;
        query.open();
    }
}

void ScheduleEditor::reopenConnection() {
    ++m_reopenings;
    Connection& connection = *m_data.ADOCon;
    if (connection.connectionString() != m_userConnectionString)
        connection.setConnectionString(m_userConnectionString);
    connection.open();
    connection.execute(QStringLiteral("SET DATEFORMAT dmy"));
}

bool ScheduleEditor::showEntry(const QVariant& year, const QVariant& semester, const QVariant& faculty,
                               const QString& groupKey, const QString& scheduleKey, int row) {
    const QString keys[] = {year.toString(), semester.toString(), faculty.toString(), groupKey};
    LookupSelector* selectors[] = {&m_year, &m_semester, &m_faculty, &m_group};
    bool picked = false;
    for (int step = 0; step < 4; ++step) {
        LookupSelector& selector = *selectors[step];
        // Below a picked selector every key is cleared, so the rest are picked too.
        if (!picked && !selector.keyIsNull() && selector.keyValue().toString() == keys[step] &&
            (step < 3 || m_data.ADOQ_RatingTable->isActive()))
            continue;
        int found = -1;
        for (int line = 0; line < selector.rowCount() && found < 0; ++line)
            if (selector.rowKey(line).toString() == keys[step])
                found = line;
        if (found < 0 || !selector.canDropDown())
            return false;
        selector.pickRow(found);
        if (selector.keyValue().toString() != keys[step])
            return false;
        picked = true;
    }
    Query& schedule = *m_data.ADOQ_RatingTable;
    if (!schedule.isActive())
        return false;
    int record = -1;
    const int keyColumn = schedule.columnIndex(QStringLiteral("id_schedule"));
    if (keyColumn >= 0 && !scheduleKey.isEmpty()) {
        for (int r = 0; r < schedule.recordCount() && record < 0; ++r)
            if (schedule.cellAt(r, keyColumn).toString() == scheduleKey)
                record = r;
    } else if (row >= 0 && row < schedule.recordCount()) {
        record = row;
    }
    if (record < 0)
        return false;
    if (schedule.recNo() != record + 1)
        schedule.setRecNo(record + 1);
    return schedule.recNo() == record + 1;
}

void ScheduleEditor::save() {
    try {
        m_data.ADOQ_RatingTable->post();
    } catch (const platform::SilentAbort&) {
        throw;
    } catch (const std::exception& error) {
        // A refusal by a server that still answers keeps its own words; a lost or refused connection
        // (the driver's words for it are terse, sometimes only "Unknown error") says what happened
        // and what to do, the driver's text in brackets.
        if (m_data.ADOCon->isOpen())
            throw;
        throw DataError(LostConnectionOnSaveText(QString::fromUtf8(error.what())));
    }
}

QString ScheduleEditor::LostConnectionOnSaveText(const QString& reason) {
    QString text = QString::fromUtf8("Строка не сохранена: связь с сервером прервалась");
    if (!reason.trimmed().isEmpty())
        text += QStringLiteral(" (") + reason.trimmed() + u')';
    return text + QString::fromUtf8(". Введённые значения остались в строке; нажмите «Сохранить» снова, "
                                    "когда сервер ответит.");
}

void ScheduleEditor::setSaveButton(std::function<void(bool)> saveButton) {
    m_saveButton = std::move(saveButton);
    if (m_saveButton)
        m_saveButton(m_saveEnabled);
}

void ScheduleEditor::setSaveEnabled(bool enabled) {
    if (m_saveEnabled == enabled)
        return;
    m_saveEnabled = enabled;
    if (m_saveButton)
        m_saveButton(enabled);
}

void ScheduleEditor::followScheduleState() {
    if (m_data.ADOQ_RatingTable->state() != DataSetState::Edit && m_saveEnabled)
        setSaveEnabled(false);
}

bool ScheduleEditor::hasUnsavedChange() const {
    const Query& schedule = *m_data.ADOQ_RatingTable;
    if (schedule.state() != DataSetState::Edit)
        return false;
    return schedule.modified() || (m_pendingInput && m_pendingInput());
}

bool ScheduleEditor::closeQuery() {
    if (!hasUnsavedChange())
        return true;
    switch (m_shell.messageBox(SaveChangesQuestion(), m_shell.title(),
                               UserShell::YesNoCancel | UserShell::IconQuestion)) {
    case UserShell::AnswerYes:
        try {
            m_data.ADOQ_RatingTable->post();
            return true;
        } catch (const std::exception& error) {
            m_shell.showException(error);
            return false;
        }
    case UserShell::AnswerNo:
        m_data.ADOQ_RatingTable->cancel();
        return true;
    default:
        return false;
    }
}
