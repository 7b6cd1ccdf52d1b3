#include "data/dataerror.h"
#include "data/embedded/tsqlstatement.h"

#include <gtest/gtest.h>

namespace {

// An argument written back in a compact form: name=value, with ?N for the N-th marker, NULL,
// 'text' for strings and plain numbers.
QString describe(const ExecArgument& argument) {
    QString value;
    if (argument.marker >= 0)
        value = QString("?%1").arg(argument.marker);
    else if (!argument.value.isValid())
        value = "NULL";
    else if (argument.value.metaType().id() == QMetaType::QString)
        value = "'" + argument.value.toString() + "'";
    else
        value = argument.value.toString();
    return argument.name.isEmpty() ? value : argument.name + "=" + value;
}

struct ExecCase {
    const char* statement;
    const char* procedure;
    const char* arguments; // described and joined with " | "
};

TEST(TsqlStatement, ReadsTheFormsOfExec) {
    const ExecCase cases[] = {
        {"EXEC GET_USER 'demo','FE01',NULL, 'ZOR 27', '10.0.0.5', 'PC-01', 'demo','0','4'", "GET_USER",
         "'demo' | 'FE01' | NULL | 'ZOR 27' | '10.0.0.5' | 'PC-01' | 'demo' | '0' | '4'"},
        {"EXEC GetRatingTable @id_a_year =?, @id_semester =? , @id_faculty =?,  @id_group =?",
         "GetRatingTable", "@id_a_year=?0 | @id_semester=?1 | @id_faculty=?2 | @id_group=?3"},
        {"execute [dbo].[GetRatingTable] 1, 2.5, -3, N'Юр''ист'", "GetRatingTable",
         "1 | 2.5 | -3 | 'Юр'ист'"},
        {"EXEC dbo.P\r\n  'a,b', null ;", "P", "'a,b' | NULL"},
        {"EXEC P", "P", ""},
        {"EXEC P '', ''''", "P", "'' | '''"},
        {"EXEC P 1, @b = 'x'", "P", "1 | @b='x'"},
    };
    for (const ExecCase& c : cases) {
        SCOPED_TRACE(c.statement);
        const TsqlStatement statement = TsqlStatement::parse(QString::fromUtf8(c.statement));
        ASSERT_EQ(statement.kind, TsqlStatement::Kind::Exec);
        EXPECT_EQ(statement.procedure, c.procedure);
        QStringList described;
        for (const ExecArgument& argument : statement.arguments)
            described << describe(argument);
        EXPECT_EQ(described.join(" | "), QString::fromUtf8(c.arguments));
    }
}

TEST(TsqlStatement, RefusesMalformedExecWithTheServersTexts) {
    const std::pair<const char*, const char*> cases[] = {
        {"EXEC", "Incorrect syntax near 'EXEC'."},
        {"EXEC GET_USER 'demo", "Unclosed quotation mark after the character string 'demo'."},
        {"EXEC GET_USER 'it's'", "Incorrect syntax near 's'."},
        {"EXEC P 1,", "Incorrect syntax near ','."},
        {"EXEC P 1,,2", "Incorrect syntax near ','."},
        {"EXEC P 1 2", "Incorrect syntax near '2'."},
        {"EXEC P(1)", "Incorrect syntax near '('."},
        {"EXEC P abc", "Incorrect syntax near 'abc'."},
        {"EXEC P 12abc", "Incorrect syntax near 'abc'."},
        {"EXEC P @x", "Must declare the scalar variable \"@x\"."},
        {"EXEC P @a = 1, 2",
         "Must pass parameter number 2 and subsequent parameters as '@name = value'. After the form "
         "'@name = value' has been used, all subsequent parameters must be passed in the form '@name = "
         "value'."},
        {"EXEC P @a =", "Incorrect syntax near '='."},
        {"SET DATEFORMAT xyz", "SET DATEFORMAT date order 'xyz' is invalid."},
    };
    for (const auto& [text, message] : cases) {
        SCOPED_TRACE(text);
        try {
            TsqlStatement::parse(QString::fromUtf8(text));
            ADD_FAILURE() << "no error";
        } catch (const DataError& error) {
            EXPECT_EQ(error.text(), QString::fromUtf8(message));
        }
    }
}

TEST(TsqlStatement, TellsSetAndOtherStatementsApart) {
    EXPECT_EQ(TsqlStatement::parse("SET DATEFORMAT dmy").kind, TsqlStatement::Kind::SetDateFormat);
    EXPECT_EQ(TsqlStatement::parse("set dateformat YMD;").dateOrder, "ymd");
    EXPECT_EQ(TsqlStatement::parse("SET ANSI_NULLS ON").kind, TsqlStatement::Kind::SetOption);
    EXPECT_EQ(TsqlStatement::parse("SET NOCOUNT ON").kind, TsqlStatement::Kind::SetNoCount);
    EXPECT_TRUE(TsqlStatement::parse("SET NOCOUNT ON").noCount);
    EXPECT_FALSE(TsqlStatement::parse("set nocount off;").noCount);
    EXPECT_EQ(TsqlStatement::parse("SELECT  id_a_year FROM [InfoForRating] \r\n").kind,
              TsqlStatement::Kind::Sql);
    EXPECT_EQ(TsqlStatement::parse("EXECUTIVE_SUMMARY").kind, TsqlStatement::Kind::Sql);
    EXPECT_EQ(TsqlStatement::parse("UPDATE T SET a = 1").kind, TsqlStatement::Kind::Sql);
}

} // namespace
