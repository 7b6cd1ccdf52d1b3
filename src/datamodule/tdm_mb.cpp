#include "tdm_mb.h"

#include "platform/silentabort.h"

TDM_MB* DM_MB = nullptr;

TDM_MB::TDM_MB() {
    m_connection = std::make_unique<Connection>(QStringLiteral("ADOCon"));
    ADOCon = m_connection.get();

    m_queries[0] = std::make_unique<Query>(QStringLiteral("ADOQ_RatingTable"), ADOCon);
    ADOQ_RatingTable = m_queries[0].get();
    ADOQ_RatingTable->setSql(
        {QStringLiteral("EXEC GetRatingTable @id_a_year =:@id_a_year, @id_semester "
                        "=:@id_semester , @id_faculty =:@id_faculty,  @id_group =:@id_group")});

    m_table = std::make_unique<Table>(QStringLiteral("ADOTable1"), ADOCon);
    ADOTable1 = m_table.get();
    ADOTable1->setTableName(QStringLiteral("TypeControl"));
    ADOTable1typeControl = ADOTable1->addField(QStringLiteral("ADOTable1typeControl"),
                                               QStringLiteral("typeControl"), FieldKind::AnsiString, 20);
    ADOTable1id_typeControl = ADOTable1->addField(QStringLiteral("ADOTable1id_typeControl"),
                                                  QStringLiteral("id_typeControl"), FieldKind::Integer);
    ADOTable1id_typeControl->setReadOnly(true);

    const auto field = [this](const char* column, FieldKind kind, int size) {
        const QString name = QString::fromLatin1(column);
        return ADOQ_RatingTable->addField(QStringLiteral("ADOQ_RatingTable") + name, name, kind, size);
    };
    ADOQ_RatingTableDiscipline = field("Discipline", FieldKind::WideString, 200);
    ADOQ_RatingTableKafedra = field("Kafedra", FieldKind::WideString, 200);
    ADOQ_RatingTablet_fio = field("t_fio", FieldKind::WideString, 200);
    ADOQ_RatingTableFKontr = field("FKontr", FieldKind::WideString, 50);
    ADOQ_RatingTableTime_1 = field("Time_1", FieldKind::AnsiString, 10);
    ADOQ_RatingTableDate_1 = field("Date_1", FieldKind::DateTime, 0);
    ADOQ_RatingTableAudience_1 = field("Audience_1", FieldKind::WideString, 10);
    ADOQ_RatingTableid_typeControl_1 = field("id_typeControl_1", FieldKind::Integer, 0);
    ADOQ_RatingTableTypeControl = ADOQ_RatingTable->addLookupField(
        QStringLiteral("ADOQ_RatingTableTypeControl"), QStringLiteral("TypeControl"), FieldKind::AnsiString,
        20, QStringLiteral("id_typeControl_1"), ADOTable1, QStringLiteral("id_typeControl"),
        QStringLiteral("typeControl"));
    // The four editable columns of a row belong together: a post compares them all.
    ADOQ_RatingTable->setUpdateTarget(QString::fromLatin1(ScheduleTable), QString::fromLatin1(ScheduleKey),
                                      {QStringLiteral("Date_1"), QStringLiteral("Time_1"),
                                       QStringLiteral("Audience_1"), QStringLiteral("id_typeControl_1")});
    ADOQ_RatingTable->setBeforeInsert([this](DataSet& dataSet) { ADOQ_RatingTableBeforeInsert(dataSet); });
    ADOQ_RatingTable->setAfterEdit([this](DataSet& dataSet) { ADOQ_RatingTableAfterEdit(dataSet); });
    ADOQ_RatingTable->setAfterPost([this](DataSet& dataSet) { ADOQ_RatingTableAfterPost(dataSet); });

    m_queries[1] = std::make_unique<Query>(QStringLiteral("ADOQ_Faculty"), ADOCon);
    ADOQ_Faculty = m_queries[1].get();
    ADOQ_Faculty->setSql({QStringLiteral("SELECT  id_faculty, [p23-2] AS Faculty FROM [InfoForRating] "),
                          QStringLiteral("WHERE id_a_year =:@id_a_year AND"),
                          QStringLiteral("              id_semester=:@id_semester"),
                          QStringLiteral("GROUP BY id_faculty, [p23-2]")});

    m_queries[2] = std::make_unique<Query>(QStringLiteral("ADOQ_A_Year"), ADOCon);
    ADOQ_A_Year = m_queries[2].get();
    ADOQ_A_Year->setSql({QStringLiteral("SELECT  id_a_year, [p32] AS Year FROM [InfoForRating] "),
                         QStringLiteral("GROUP BY id_a_year, [p32]")});

    m_queries[3] = std::make_unique<Query>(QStringLiteral("ADOQ_Semester"), ADOCon);
    ADOQ_Semester = m_queries[3].get();
    ADOQ_Semester->setSql({QStringLiteral("SELECT  id_semester, Semester FROM [InfoForRating] "),
                           QStringLiteral("WHERE id_a_year=:@id_a_year"),
                           QStringLiteral("GROUP BY  id_semester, Semester ")});

    m_queries[4] = std::make_unique<Query>(QStringLiteral("ADOQ_Group"), ADOCon);
    ADOQ_Group = m_queries[4].get();
    ADOQ_Group->setSql({QStringLiteral("SELECT  id_group, p20 AS [Group] FROM [RatingView]"),
                        QStringLiteral("WHERE id_a_year=:@id_a_year AND"),
                        QStringLiteral("               id_semester=:@id_semester AND"),
                        QStringLiteral("               id_faculty=:@id_faculty "),
                        QStringLiteral("GROUP BY id_group, p20")});

    const std::pair<const char*, Query*> sources[] = {{"DS_RatingTable", ADOQ_RatingTable},
                                                      {"DS_Faculty", ADOQ_Faculty},
                                                      {"DS_A_Year", ADOQ_A_Year},
                                                      {"DS_Semester", ADOQ_Semester},
                                                      {"DS_Group", ADOQ_Group}};
    for (int i = 0; i < 5; ++i)
        m_sources[i] = std::make_unique<DataSource>(QString::fromLatin1(sources[i].first), sources[i].second);
    DS_RatingTable = m_sources[0].get();
    DS_Faculty = m_sources[1].get();
    DS_A_Year = m_sources[2].get();
    DS_Semester = m_sources[3].get();
    DS_Group = m_sources[4].get();
}

TDM_MB::~TDM_MB() {
    if (DM_MB == this)
        DM_MB = nullptr;
    // The schedule looks up in ADOTable1, so it goes first; the connection goes last.
    for (auto& source : m_sources)
        source.reset();
    for (auto& query : m_queries)
        query.reset();
    m_table.reset();
    m_connection->close();
}

void TDM_MB::ADOQ_RatingTableBeforeInsert(DataSet&) {
    throw platform::SilentAbort();
}

void TDM_MB::ADOQ_RatingTableAfterEdit(DataSet&) {
    if (m_enableSaveButton)
        m_enableSaveButton(true);
}

void TDM_MB::ADOQ_RatingTableAfterPost(DataSet&) {
    if (m_enableSaveButton)
        m_enableSaveButton(false);
}
