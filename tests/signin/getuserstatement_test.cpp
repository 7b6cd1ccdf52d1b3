#include "signin/getuserstatement.h"
#include "signin/passworddigest.h"

#include <gtest/gtest.h>

TEST(GetUserStatementTest, PiecesJoinedExactly) {
    const QString digest = HashPassword("secret");
    EXPECT_EQ(
        BuildGetUserStatement("ivanov", digest, NewPasswordValue("NULL"), "10.0.20.7", "WS-17"),
        "EXEC GET_USER 'ivanov','5EBE2294ECD0E0F08EAB7690D2A6EE69',NULL, 'ZOR 27', '10.0.20.7', 'WS-17', "
        "'ivanov','0','4'");
    EXPECT_EQ(BuildGetUserStatement("ivanov", digest, NewPasswordValue("abc"), "10.0.20.7", ""),
              "EXEC GET_USER 'ivanov','5EBE2294ECD0E0F08EAB7690D2A6EE69','900150983CD24FB0D6963F7D28E17F72', "
              "'ZOR 27', '10.0.20.7', '', 'ivanov','0','34'");
}

TEST(GetUserStatementTest, NewPasswordValue) {
    const struct {
        QString argument, value;
    } cases[] = {
        {"NULL", "NULL"},
        // Only the exact word keeps the server's NULL; any other text is a password, digested
        // (the digests as md5sum gives them for those bytes).
        {"null", "'37A6259CC0C1DAE299A7866489DFF0BD'"},
        {"Null", "'BBB93EF26E3C101FF11CDD21CAB08A94'"},
        {"", "'D41D8CD98F00B204E9800998ECF8427E'"},
        {"NULL ", "'B5ECF96336A98CDA5AF2D44CE917ECAA'"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NewPasswordValue(c.argument), c.value) << c.argument.toStdString();
        EXPECT_TRUE(c.value.size() == 4 || c.value.size() == 34);
    }
}

TEST(GetUserStatementTest, SingleQuotesInTypedTextsAreDoubled) {
    const QString statement =
        BuildGetUserStatement("x'; DROP TABLE TypeControl; --", "D", "NULL", "1.2.3.4", "O'BRIEN-PC");
    EXPECT_EQ(statement, "EXEC GET_USER 'x''; DROP TABLE TypeControl; --','D',NULL, 'ZOR 27', '1.2.3.4', "
                         "'O''BRIEN-PC', 'x''; DROP TABLE TypeControl; --','0','4'");
}
