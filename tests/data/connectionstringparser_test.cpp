#include "data/connectionstringparser.h"

#include <gtest/gtest.h>

TEST(ConnectionStringParserTest, PairsInOrderWithQuotesUndone) {
    const auto pairs = ParseConnectionString(
        "Provider=SQLOLEDB.1;Password=\"a;b=c\"; User ID = 'say \"hi\"' ;Initial Catalog=\"x\"\"y'z\";"
        "Data Source=;Odd==Key=v;Packet Size=4096");
    const QList<QPair<QString, QString>> expected = {
        {"Provider", "SQLOLEDB.1"},    {"Password", "a;b=c"}, {"User ID", "say \"hi\""},
        {"Initial Catalog", "x\"y'z"}, {"Data Source", ""},   {"Odd=Key", "v"},
        {"Packet Size", "4096"},
    };
    EXPECT_EQ(pairs, expected);
    EXPECT_EQ(ConnectionStringValue(pairs, "user id"), "say \"hi\"");
    EXPECT_TRUE(ConnectionStringValue(pairs, "Missing").isNull());
    EXPECT_FALSE(ConnectionStringValue(pairs, "Data Source").isNull());
}

TEST(ConnectionStringParserTest, MalformedQuotesAreRefused) {
    for (const char* text : {"Password=\"open", "Password='a'b;User ID=x"})
        EXPECT_THROW(ParseConnectionString(text), std::invalid_argument) << text;
}
