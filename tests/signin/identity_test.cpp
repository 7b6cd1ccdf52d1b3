#include "context/ansicodec.h"
#include "platform/ansicodepage.h"
#include "platform/computername.h"
#include "platform/hostresolver.h"
#include "platform/socketerror.h"
#include "signin/passworddigest.h"
#include "signin/workstationidentity.h"

#include <gtest/gtest.h>

TEST(HashPasswordTest, Md5OfTheAnsiBytesInUpperCaseHex) {
    const struct {
        QString password;
        QString digest;
    } cases[] = {
        {"", "D41D8CD98F00B204E9800998ECF8427E"},
        {"abc", "900150983CD24FB0D6963F7D28E17F72"},
        {"secret", "5EBE2294ECD0E0F08EAB7690D2A6EE69"},
        {"secret ", "2EE62715B696C1801533D52CAAD8BA64"},
        // Windows-1251 bytes, not UTF-8 (which would give 5EBE553E...).
        {QString::fromUtf8("Пароль"), "08F8E03BD59A7C67DC44028B3E073D5E"},
        {QString::fromUtf8("€"), "76446346147D6A63180D28E0E6A6B072"},
        // A character the code page lacks is digested as '?', one byte, as the system converts it.
        {QString::fromUtf8("名"), "D1457B72C3FB323A2671125AEF3EAB5D"},
    };
    for (const auto& c : cases) {
        const QString digest = HashPassword(c.password);
        EXPECT_EQ(digest, c.digest) << c.password.toStdString();
        EXPECT_EQ(digest, digest.toUpper());
    }
}

TEST(AnsiCodecTest, OneBytePerCharacter) {
    const AnsiCodec& codec = AnsiCodec::client();
    EXPECT_EQ(codec.fromUnicode(QString::fromUtf8("Яa€№")), QByteArray("\xDF"
                                                                       "a\x88\xB9"));
    EXPECT_EQ(codec.fromUnicode(QString::fromUtf8("a名b")), QByteArray("a?b"));
    EXPECT_EQ(codec.toUnicode(QByteArray("\xC0\x00\xFF", 3)),
              QString::fromUtf8("А") + QChar(0) + QString::fromUtf8("я"));
    // Every byte survives the way through text and back (the shifted credentials rely on it).
    QByteArray all(256, '\0');
    for (int i = 0; i < 256; ++i)
        all[i] = static_cast<char>(i);
    EXPECT_EQ(codec.fromUnicode(codec.toUnicode(all)), all);
    EXPECT_TRUE(codec.canEncode(QString::fromUtf8("Пароль 1")));
    EXPECT_FALSE(codec.canEncode(QString::fromUtf8("名")));
    EXPECT_THROW(AnsiCodec("no-such-code-page"), std::runtime_error);
}

#ifdef _WIN32
// Windows always has a code page of its own, which its own functions convert (the toolkit here has
// no converters of its own for the Windows code pages): the installation's choice plays no part.
TEST(AnsiCodecTest, TheSystemsCodePageElseTheInstallationsElseWindows1251) {
    const std::optional<unsigned> system = platform::SystemAnsiCodePage();
    ASSERT_TRUE(system.has_value());
    EXPECT_EQ(AnsiCodec::clientCodePageName(system, "KOI8-R"), "Locale");
    if (*system == 1251)
        EXPECT_EQ(AnsiCodec(AnsiCodec::clientCodePageName(system, "")).fromUnicode(QString::fromUtf8("Ыa")),
                  "\xDB"
                  "a");
}
#else
TEST(AnsiCodecTest, TheSystemsCodePageElseTheInstallationsElseWindows1251) {
    const struct {
        std::optional<unsigned> system;
        QByteArray choice;
        QByteArray name;
    } cases[] = {
        {std::nullopt, "", "windows-1251"},
        {std::nullopt, "1252", "windows-1252"},
        {std::nullopt, " 1250\n", "windows-1250"},
        {std::nullopt, "KOI8-R", "KOI8-R"},
        {1251, "", "windows-1251"},
        {1252, "KOI8-R", "windows-1252"}, // the system's own wins where it has one
        {874, "", "windows-874"},
        {99999, "1252", "Locale"}, // a number no converter here knows: the system converts itself
    };
    for (const auto& c : cases)
        EXPECT_EQ(AnsiCodec::clientCodePageName(c.system, c.choice), c.name) << c.choice.toStdString();

    EXPECT_EQ(
        AnsiCodec(AnsiCodec::clientCodePageName(std::nullopt, "1252")).fromUnicode(QString::fromUtf8("é")),
        "\xE9");
    // Unicode and multi-byte character sets are no 8-bit code page, however well known.
    for (const QByteArray& choice :
         {QByteArray("no-such-page"), QByteArray("99999"), QByteArray("UTF-8"), QByteArray("utf-8"),
          QByteArray("UTF-16"), QByteArray("UTF-16LE"), QByteArray("UTF-32"), QByteArray("Shift_JIS"),
          QByteArray("GB18030"), QByteArray("Big5")}) {
        try {
            AnsiCodec::clientCodePageName(std::nullopt, choice);
            FAIL() << "no error for " << choice.toStdString();
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(std::string(error.what()),
                      "ZOR27_ANSI_CODEPAGE names no known code page: \"" + choice.toStdString() + "\"");
        }
    }
}
#endif

namespace {

class ListResolver : public platform::HostResolver {
public:
    std::vector<platform::IPv4Address> addresses;
    std::string hostName() const override { return "ws-17"; }
    std::vector<platform::IPv4Address> resolveIPv4(const std::string& name) const override {
        if (name != "ws-17")
            throw platform::SocketError(platform::SocketError::HostNotFound);
        return addresses;
    }
};

} // namespace

TEST(WorkstationIdentityTest, LocalAddressIsTheFirstListed) {
    ListResolver resolver;
    resolver.addresses = {{172, 16, 4, 21}, {10, 0, 0, 1}};
    EXPECT_EQ(LocalAddress(resolver), "172.16.4.21");
    resolver.addresses.clear();
    EXPECT_THROW(LocalAddress(resolver), std::out_of_range);
}

TEST(WorkstationIdentityTest, ComputerNameAsTheSystemReportsIt) {
    const QString name = ComputerName();
    EXPECT_FALSE(name.isEmpty());
    EXPECT_FALSE(name.contains(QChar(0)));
    EXPECT_EQ(name, ComputerNameText(platform::ComputerName()));
}

// The name is read in the form the system gives it: UTF-8 where names are UTF-8 (POSIX), bytes of
// the ANSI code page on Windows; whatever the client's code page.
TEST(WorkstationIdentityTest, ComputerNameIsDecodedAsTheSystemWritesIt) {
    const QString name = QString::fromUtf8("Бух-ПК");
    const QByteArray utf8 = QByteArray("\xD0\x91\xD1\x83\xD1\x85-\xD0\x9F\xD0\x9A");
    const QByteArray ansi = QByteArray("\xC1\xF3\xF5-\xCF\xCA"); // Windows-1251
    EXPECT_EQ(ComputerNameText(utf8.toStdString(), platform::NameEncoding::Utf8), name);
    EXPECT_EQ(ComputerNameText(ansi.toStdString(), platform::NameEncoding::AnsiCodePage), name);
    EXPECT_EQ(ComputerNameText("WS-17", platform::NameEncoding::Utf8), "WS-17");
    EXPECT_EQ(ComputerNameText("", platform::NameEncoding::AnsiCodePage), "");
#ifndef _WIN32
    EXPECT_EQ(platform::ComputerNameEncoding(), platform::NameEncoding::Utf8);
#endif
}
