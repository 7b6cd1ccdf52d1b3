#include "signin/bootstrapfile.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct ConfigRun {
    int exitCode;
    QString out, err;
};

// Runs the tool; codePage, when given, is the installation's choice of ANSI code page.
ConfigRun config(const QStringList& args, const QString& codePage = QString()) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("ZOR27_ANSI_CODEPAGE");
    if (!codePage.isNull())
        environment.insert("ZOR27_ANSI_CODEPAGE", codePage);
    process.setProcessEnvironment(environment);
    process.start(ZOR27_CONFIG, args);
    process.waitForFinished(10000);
    // Windows ends the tool's lines with CR LF.
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()).remove(QChar('\r')),
            QString::fromUtf8(process.readAllStandardError()).remove(QChar('\r'))};
}

} // namespace

TEST(Zor27ConfigTest, WriteThenShowRoundTrips) {
    QTemporaryDir dir;
    const QString path = dir.filePath("Data/ZOR");
    const ConfigRun written =
        config({"write", "--user", "zor_boot", "--password", QString::fromUtf8("Пароль;=1 "), "--server",
                "db-01,1433", "--database", QString::fromUtf8("Рейтинг"), "--file", path});
    ASSERT_EQ(written.exitCode, 0) << written.err.toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.size(), 84);

    const ConfigRun shown = config({"show", "--file", path});
    ASSERT_EQ(shown.exitCode, 0) << shown.err.toStdString();
    EXPECT_EQ(
        shown.out,
        QString::fromUtf8("UserName=zor_boot\nPassword=Пароль;=1 \nServer=db-01,1433\nDatabase=Рейтинг\n"));
    EXPECT_EQ(ReadFirstConnectInfo(path).Server, "db-01,1433");
}

TEST(Zor27ConfigTest, ShowReadsAFileOfAnotherProducer) {
    // Laid out by hand: "sa" / "pw" / "srv" / "db", stored minus one, unused bytes 0xEE, 90 bytes long.
    QByteArray bytes(90, '\xEE');
    const auto put = [&bytes](int offset, int lengthOffset, const char* value) {
        const int length = static_cast<int>(qstrlen(value));
        for (int i = 0; i < length; ++i)
            bytes[offset + i] = static_cast<char>(value[i] - 1);
        bytes[lengthOffset] = static_cast<char>(length);
    };
    put(0, 40, "sa");
    put(20, 41, "pw");
    put(42, 82, "srv");
    put(62, 83, "db");
    QTemporaryDir dir;
    QFile file(dir.filePath("ZOR"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    const ConfigRun shown = config({"show", "--file", file.fileName()});
    EXPECT_EQ(shown.exitCode, 0);
    EXPECT_EQ(shown.out, "UserName=sa\nPassword=pw\nServer=srv\nDatabase=db\n");
}

TEST(Zor27ConfigTest, RefusalsAreClearAndNonZero) {
    QTemporaryDir dir;
    const QString path = dir.filePath("Data/ZOR");
    QFile shortFile(dir.filePath("Short"));
    ASSERT_TRUE(shortFile.open(QIODevice::WriteOnly));
    shortFile.write(QByteArray(83, 'x'));
    shortFile.close();
    const struct {
        QStringList args;
        QString error;
    } cases[] = {
        {{"write", "--user", QString(21, 'u'), "--password", "p", "--server", "s", "--database", "d",
          "--file", path},
         "User name is longer than 20 characters"},
        {{"write", "--user", "u", "--password", QString::fromUtf8("名"), "--server", "s", "--database", "d",
          "--file", path},
         "Password has characters outside code page windows-1251"},
        {{"write", "--user", "u", "--file", path}, "--password is required"},
        {{"show", "--file", dir.filePath("ZOR")}, "File not found"},
        {{"show", "--file", dir.filePath("NoFolder/ZOR")}, "Invalid filename"},
        {{"show", "--file", shortFile.fileName()}, "Read beyond end of file"},
        {{"show", "--bogus", "x"}, "unknown argument --bogus"},
    };
    for (const auto& c : cases) {
        const ConfigRun run = config(c.args);
        EXPECT_NE(run.exitCode, 0) << c.args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(c.error)) << run.err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(path)) << "a refused write leaves no file";
}

#ifndef _WIN32
// An installation on Linux may choose another code page than Windows-1251 for its 8-bit texts
// (Windows has its own, which always applies).
TEST(Zor27ConfigTest, TheInstallationChoosesTheCodePage) {
    QTemporaryDir dir;
    const QString path = dir.filePath("ZOR");
    const ConfigRun written = config({"write", "--user", QString::fromUtf8("Café"), "--password", "p",
                                      "--server", "s", "--database", "d", "--file", path},
                                     "1252");
    ASSERT_EQ(written.exitCode, 0) << written.err.toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.read(4), QByteArray("B`e\xE8")); // "Café" in Windows-1252, each byte minus one
    EXPECT_EQ(config({"show", "--file", path}, "1252").out,
              QString::fromUtf8("UserName=Café\nPassword=p\nServer=s\nDatabase=d\n"));
    EXPECT_EQ(config({"show", "--file", path}, "KOI8-R").out,
              QString::fromUtf8("UserName=CafИ\nPassword=p\nServer=s\nDatabase=d\n"));
    // Without a choice the same byte is read in Windows-1251.
    EXPECT_EQ(config({"show", "--file", path}).out,
              QString::fromUtf8("UserName=Cafй\nPassword=p\nServer=s\nDatabase=d\n"));

    const ConfigRun refused = config({"show", "--file", path}, "no-such-page");
    EXPECT_NE(refused.exitCode, 0);
    EXPECT_EQ(refused.out, "");
    EXPECT_TRUE(refused.err.contains("ZOR27_ANSI_CODEPAGE names no known code page: \"no-such-page\""))
        << refused.err.toStdString();
}
#endif
