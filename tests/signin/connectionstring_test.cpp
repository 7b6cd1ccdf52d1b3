#include "data/connectionstringparser.h"
#include "signin/connectionstring.h"

#include <gtest/gtest.h>

TEST(ConnectionStringTest, ExactStringForOrdinaryValues) {
    const TFirstConnectInfo info{"zor_boot", "Pa$$w0rd", "Rating", "DBSRV\\SQL2005"};
    EXPECT_EQ(
        BuildConnectionString(info),
        "Provider=SQLOLEDB.1;Password=Pa$$w0rd;Persist Security Info=True;User ID=zor_boot;"
        "Initial Catalog=Rating;Data Source=DBSRV\\SQL2005;Use Procedure for Prepare=1;Auto Translate=True;"
        "Packet Size=4096;Use Encryption for Data=False;Tag with column collation when possible=False");
}

TEST(ConnectionStringTest, EmptyValuesGiveEmptyPairs) {
    EXPECT_EQ(
        BuildConnectionString(TFirstConnectInfo{}),
        "Provider=SQLOLEDB.1;Password=;Persist Security Info=True;User ID=;Initial Catalog=;Data Source=;"
        "Use Procedure for Prepare=1;Auto Translate=True;Packet Size=4096;Use Encryption for Data=False;"
        "Tag with column collation when possible=False");
}

TEST(ConnectionStringTest, ValuesThatWouldBreakThePairsAreQuoted) {
    const struct {
        QString value, quoted;
    } cases[] = {
        {"plain", "plain"},
        {"Пароль", "Пароль"},
        {"in side", "in side"},
        {"a;Data Source=evil", "\"a;Data Source=evil\""},
        {"x=y", "\"x=y\""},
        {" lead", "\" lead\""},
        {"trail ", "\"trail \""},
        {"it's", "\"it's\""},
        {"say \"hi\"", "'say \"hi\"'"},
        {"both ' and \"", "\"both ' and \"\"\""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(QuoteConnectionValue(c.value), c.quoted) << c.value.toStdString();
        // Whatever the value, the string parses back into the same keys with the value intact.
        const TFirstConnectInfo info{c.value, c.value, c.value, c.value};
        const auto pairs = ParseConnectionString(BuildConnectionString(info));
        ASSERT_EQ(pairs.size(), 11) << c.value.toStdString();
        EXPECT_EQ(ConnectionStringValue(pairs, "Password"), c.value);
        EXPECT_EQ(ConnectionStringValue(pairs, "User ID"), c.value);
        EXPECT_EQ(ConnectionStringValue(pairs, "Data Source"), c.value);
        EXPECT_EQ(ConnectionStringValue(pairs, "Initial Catalog"), c.value);
        EXPECT_EQ(ConnectionStringValue(pairs, "Provider"), "SQLOLEDB.1");
    }
}

namespace {

struct RecordingConnection {
    QStringList calls;
    bool failOpen = false;
    void close() { calls << "close"; }
    void setConnectionString(const QString& text) { calls << "set " + text; }
    void open() {
        calls << "open";
        if (failOpen)
            throw std::runtime_error("Login failed for user 'u'.");
    }
};

} // namespace

TEST(ConnectionStringTest, ApplyClosesSetsAndOpensLettingErrorsThrough) {
    RecordingConnection connection;
    const TFirstConnectInfo info{"u", "p", "d", "s"};
    ApplyConnectionString(connection, info);
    EXPECT_EQ(connection.calls, QStringList({"close", "set " + BuildConnectionString(info), "open"}));
    connection.failOpen = true;
    EXPECT_THROW(ApplyConnectionString(connection, info), std::runtime_error);
}
