// Statements as the layer builds them, without a database: markers, parameters, write-back, the
// ODBC connection string.
#include "data/dataerror.h"
#include "data/odbc/odbcconnectionstring.h"
#include "data/parametermarkers.h"
#include "data/query.h"
#include "data/rowupdate.h"
#include "datamodule/tdm_mb.h"

#include <QDateTime>
#include <gtest/gtest.h>

#include "qstringprinter.h"

TEST(ParameterMarkersTest, MarkersBecomeQuestionMarksInOrder) {
    struct Case {
        const char* text;
        const char* statement;
        QStringList names;
    };
    const Case cases[] = {
        {"WHERE a=:x AND b = :y", "WHERE a=? AND b = ?", {"x", "y"}},
        {"EXEC p @a =:@a, @b =:@b , @c =:@c", "EXEC p @a =?, @b =? , @c =?", {"@a", "@b", "@c"}},
        {"f(:a,:b);:c\r\n:d\n:e\r:f", "f(?,?);?\r\n?\n?\r?", {"a", "b", "c", "d", "e", "f"}},
        {"x=:a)", "x=?)", {"a"}},
        {"x = :tail", "x = ?", {"tail"}},
        {"SELECT ':no', \":no\", `:no` WHERE a=:yes", "SELECT ':no', \":no\", `:no` WHERE a=?", {"yes"}},
        // Any quote character toggles the literal state, whichever opened it.
        {"SELECT 'a\" :in' , \":out", "SELECT 'a\" ? , \":out", {"in'"}},
        {"SELECT CAST(x AS INT)::text, '12::30' FROM t WHERE a=:p",
         "SELECT CAST(x AS INT):text, '12::30' FROM t WHERE a=?",
         {"p"}},
        {"a=:p::q", "a=?", {"p::q"}},
        {"SELECT 1", "SELECT 1", {}},
        {"a = : b", "a = ? b", {""}},
    };
    for (const Case& item : cases) {
        const ParameterMarkers markers = ScanParameterMarkers(QString::fromUtf8(item.text));
        EXPECT_EQ(markers.statement, QString::fromUtf8(item.statement)) << item.text;
        EXPECT_EQ(markers.names, item.names) << item.text;
    }
}

TEST(ParameterMarkersTest, DataModuleStatementsReachTheEngineLineForLine) {
    TDM_MB module;
    EXPECT_EQ(module.ADOQ_Faculty->statement(),
              "SELECT  id_faculty, [p23-2] AS Faculty FROM [InfoForRating] \r\n"
              "WHERE id_a_year =? AND\r\n"
              "              id_semester=?\r\n"
              "GROUP BY id_faculty, [p23-2]\r\n");
    EXPECT_EQ(module.ADOQ_RatingTable->statement(),
              "EXEC GetRatingTable @id_a_year =?, @id_semester =? , @id_faculty =?,  @id_group =?\r\n");
    const struct {
        Query* query;
        QStringList names;
    } expected[] = {
        {module.ADOQ_A_Year, {}},
        {module.ADOQ_Semester, {"@id_a_year"}},
        {module.ADOQ_Faculty, {"@id_a_year", "@id_semester"}},
        {module.ADOQ_Group, {"@id_a_year", "@id_semester", "@id_faculty"}},
        {module.ADOQ_RatingTable, {"@id_a_year", "@id_semester", "@id_faculty", "@id_group"}},
    };
    for (const auto& item : expected) {
        QStringList names;
        for (int i = 0; i < item.query->parameters().count(); ++i) {
            const Parameter& parameter = item.query->parameters()[i];
            names << parameter.name();
            EXPECT_TRUE(parameter.isNull());
            EXPECT_EQ(parameter.size(), -1);
        }
        EXPECT_EQ(names, item.names) << item.query->name().toStdString();
    }
}

TEST(ParametersTest, FoundWithoutRegardToCaseAndKeptWhenTheTextIsSetAgain) {
    Query query(QStringLiteral("Q"));
    query.setSql({"SELECT * FROM t WHERE a=:@id_a_year AND b=:B AND c=:@ID_A_YEAR"});
    ASSERT_NE(query.findParam("@Id_A_Year"), nullptr);
    EXPECT_EQ(query.findParam("@Id_A_Year"), &query.parameters()[0]);
    EXPECT_EQ(query.findParam("@id_group"), nullptr);
    query.findParam("@ID_A_YEAR")->setValue(7);
    query.parameters()[2].setValue(8);
    query.findParam("b")->setValue(QStringLiteral("x"));

    Parameter* kept = query.findParam("b");
    query.setSqlText("SELECT * FROM t\r\nWHERE b=:b AND a=:@id_a_year AND d=:d\r\n");
    EXPECT_EQ(query.sql(), QStringList({"SELECT * FROM t", "WHERE b=:b AND a=:@id_a_year AND d=:d"}));
    ASSERT_EQ(query.parameters().count(), 3);
    EXPECT_EQ(&query.parameters()[0], kept);
    EXPECT_EQ(query.parameters()[0].value(), QVariant(QStringLiteral("x")));
    EXPECT_EQ(query.parameters()[1].value(), QVariant(7));
    EXPECT_TRUE(query.parameters()[2].isNull());
    try {
        query.parameters()[3];
        FAIL();
    } catch (const DataError& error) {
        EXPECT_EQ(error.text(), "List index out of bounds (3)");
    }
}

TEST(ParametersTest, NullBindsTypedAndValuesBindUnchanged) {
    Parameter parameter(QStringLiteral("@p"));
    // Never set: a null of text type, never an untyped null.
    EXPECT_EQ(parameter.boundValue().metaType(), QMetaType::fromType<QString>());
    EXPECT_TRUE(parameter.boundValue().isNull());
    parameter.setValue(QDateTime(QDate(2024, 1, 15), QTime(9, 30)));
    EXPECT_EQ(parameter.boundValue(), QVariant(QDateTime(QDate(2024, 1, 15), QTime(9, 30))));
    parameter.setValue(QVariant());
    EXPECT_TRUE(parameter.isNull());
    EXPECT_EQ(parameter.boundValue().metaType(), QMetaType::fromType<QDateTime>());
    EXPECT_TRUE(parameter.boundValue().isNull());
    parameter.setValue(QVariant(QMetaType::fromType<int>()));
    EXPECT_TRUE(parameter.isNull());
    parameter.setValue(qlonglong(5));
    EXPECT_EQ(parameter.boundValue().metaType(), QMetaType::fromType<qlonglong>());
    EXPECT_EQ(parameter.dataType(), QMetaType::fromType<QDateTime>());
    parameter.setValue(QString());
    EXPECT_FALSE(parameter.isNull()); // an empty text is a value, not Null
}

TEST(RowUpdateTest, ChangedColumnsByKeyWithTheirOriginalValues) {
    const QVariant nullDate(QMetaType::fromType<QDateTime>());
    const RowUpdate update = BuildRowUpdate("ControlSchedule", "id_schedule", 42,
                                            {{"Date_1", nullDate, QDateTime(QDate(2024, 6, 3), QTime(0, 0))},
                                             {"Audience_1", QString("101"), QString("2]a")},
                                             {"id_typeControl_1", 3, QVariant(QMetaType::fromType<int>())}});
    EXPECT_EQ(
        update.statement,
        "UPDATE [ControlSchedule] SET [Date_1] = ?, [Audience_1] = ?, [id_typeControl_1] = ? "
        "WHERE [id_schedule] = ? AND [Date_1] IS NULL AND [Audience_1] = ? AND "
        "[id_typeControl_1] = ?;\r\n"
        "SELECT [Date_1], [Audience_1], [id_typeControl_1] FROM [ControlSchedule] WHERE [id_schedule] = ?");
    const QList<QVariant> expected = {QDateTime(QDate(2024, 6, 3), QTime(0, 0)),
                                      QString("2]a"),
                                      QVariant(QMetaType::fromType<int>()),
                                      42,
                                      QString("101"),
                                      3,
                                      42};
    EXPECT_EQ(update.values, expected);
    EXPECT_EQ(BuildRowUpdate("a]b", "k", 1, {{"c", 1, 2}}).statement,
              "UPDATE [a]]b] SET [c] = ? WHERE [k] = ? AND [c] = ?;\r\nSELECT [c] FROM [a]]b] WHERE [k] = ?");
}

TEST(OdbcConnectionStringTest, ProviderKeysTranslated) {
    const struct {
        const char* dataSource;
        const char* server;
    } cases[] = {
        {"db01", "SERVER=db01;"},
        {"db01\\SQLEXPRESS", "SERVER=db01\\SQLEXPRESS;"},
        {"127.0.0.1, 14330", "SERVER=127.0.0.1;PORT=14330;"},
    };
    for (const auto& item : cases) {
        const QString text = BuildOdbcConnectionString({{"Provider", "SQLOLEDB.1"},
                                                        {"Password", "p;w}d"},
                                                        {"User ID", "zor"},
                                                        {"Initial Catalog", "Рейтинг"},
                                                        {"Data Source", item.dataSource},
                                                        {"Packet Size", "4096"},
                                                        {"Use Encryption for Data", "False"}},
                                                       OdbcDriverKind::FreeTds);
        EXPECT_EQ(text, QStringLiteral("DRIVER={FreeTDS};") + item.server +
                            "TDS_Version=7.4;ClientCharset=UTF-8;DATABASE=Рейтинг;UID=zor;PWD={p;w}d};"
                            "Encryption=off;PacketSize=4096;")
            << item.dataSource;
    }
}
