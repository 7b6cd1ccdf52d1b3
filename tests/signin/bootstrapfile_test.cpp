#include "context/ansicodec.h"
#include "platform/ioerror.h"
#include "signin/bootstrapfile.h"
#ifndef _WIN32
#include "support/childprocess.h"
#endif

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#endif

namespace {

// A bootstrap file laid out by hand: each value's bytes minus one in its field, zero filling.
QByteArray layout(const QByteArray& user, const QByteArray& password, const QByteArray& server,
                  const QByteArray& database) {
    QByteArray bytes(84, '\0');
    const auto put = [&bytes](int offset, int lengthOffset, const QByteArray& value) {
        for (int i = 0; i < value.size() && i < 20; ++i)
            bytes[offset + i] = static_cast<char>(static_cast<unsigned char>(value[i]) - 1);
        bytes[lengthOffset] = static_cast<char>(value.size());
    };
    put(0, 40, user);
    put(20, 41, password);
    put(42, 82, server);
    put(62, 83, database);
    return bytes;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

std::string readError(const QString& path) {
    try {
        ReadFirstConnectInfo(path);
        return "no error";
    } catch (const platform::IoError& error) {
        return std::to_string(error.code()) + " " + error.what();
    }
}

} // namespace

TEST(ShiftDecodeTest, AddsOneToEveryByte) {
    const struct {
        QByteArray in, out;
    } cases[] = {
        {"", ""},
        {"`ac", "abd"},
        {QByteArray("\xFF", 1), QByteArray("\0", 1)},
        {QByteArray("a\xFF"
                    "b",
                    3),
         QByteArray("b\0c", 3)},
        {QByteArray("\0", 1), "\x01"},
        {"\xDE", "\xDF"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShiftDecode(c.in), c.out) << c.in.toHex().constData();
    EXPECT_EQ(ShiftDecode(QString::fromUtf8("Юzx")), QString::fromUtf8("Я{y"));
    EXPECT_EQ(ShiftEncode(ShiftDecode(QByteArray("\x00\x7F\xFF", 3))), QByteArray("\x00\x7F\xFF", 3));
}

TEST(BootstrapFileTest, DecodesFieldsInTheRecordOrder) {
    QTemporaryDir dir;
    const QString path = dir.filePath("Data/ZOR");
    writeFile(path, layout("zor_boot", "S3cret-1", "db.univ.local", "Rating"));
    const TFirstConnectInfo info = ReadFirstConnectInfo(path);
    EXPECT_EQ(info.UserName, "zor_boot");
    EXPECT_EQ(info.Password, "S3cret-1");
    EXPECT_EQ(info.Server, "db.univ.local");
    EXPECT_EQ(info.Database, "Rating");
}

TEST(BootstrapFileTest, CyrillicValuesUseTheClientCodePage) {
    QTemporaryDir dir;
    const QString path = dir.filePath("Data/ZOR");
    const QByteArray password = AnsiCodec::client().fromUnicode(QString::fromUtf8("Секрет"));
    ASSERT_EQ(password, QByteArray("\xD1\xE5\xEA\xF0\xE5\xF2"));
    writeFile(path, layout("u", password, "s", "d"));
    EXPECT_EQ(ReadFirstConnectInfo(path).Password, QString::fromUtf8("Секрет"));
}

TEST(BootstrapFileTest, LengthBytesAreClampedToTheField) {
    // Field bytes: stored "`abcdefghijklmnopqrs" decodes to "abcdefghijklmnopqrst" (20 characters).
    QByteArray base(84, '\0');
    for (int i = 0; i < 20; ++i) {
        base[i] = static_cast<char>('`' + i);      // user name
        base[20 + i] = static_cast<char>('/' + i); // password "0123..."
    }
    base[20 + 3] = static_cast<char>(0xFF); // the password's fourth character decodes to code 0
    const struct {
        int length;
        int expected;
    } cases[] = {{0, 0}, {1, 1}, {19, 19}, {20, 20}, {21, 20}, {255, 20}};
    QTemporaryDir dir;
    for (const auto& c : cases) {
        QByteArray bytes = base;
        bytes[40] = static_cast<char>(c.length);
        bytes[41] = static_cast<char>(c.length);
        const QString path = dir.filePath(QString("Data/ZOR%1").arg(c.length));
        writeFile(path, bytes);
        const TFirstConnectInfo info = ReadFirstConnectInfo(path);
        EXPECT_EQ(info.UserName, QString("abcdefghijklmnopqrst").left(c.expected)) << c.length;
        ASSERT_EQ(info.Password.size(), c.expected) << c.length;
        if (c.expected > 3)
            EXPECT_EQ(info.Password[3].unicode(), 0) << c.length;
        EXPECT_EQ(info.Server, "");
    }
}

TEST(BootstrapFileTest, ExtraBytesPlayNoPart) {
    QTemporaryDir dir;
    const QByteArray bytes = layout("u", "p", "s", "d");
    writeFile(dir.filePath("Data/ZOR84"), bytes);
    writeFile(dir.filePath("Data/ZOR200"), bytes + QByteArray(116, '\x41'));
    EXPECT_EQ(ReadFirstConnectInfo(dir.filePath("Data/ZOR84")),
              ReadFirstConnectInfo(dir.filePath("Data/ZOR200")));
}

TEST(BootstrapFileTest, ErrorsCarryNumberAndText) {
    QTemporaryDir dir;
    writeFile(dir.filePath("Data/Short"), QByteArray(83, 'x'));
    writeFile(dir.filePath("Data/Empty"), QByteArray());
    QDir().mkpath(dir.filePath("Data/Folder"));
    const struct {
        const char* name;
        QString path;
        std::string expected;
    } cases[] = {
        {"folder Data exists, file does not", dir.filePath("Data/ZOR"), "2 File not found"},
        {"folder Data missing", dir.filePath("NoData/ZOR"), "3 Invalid filename"},
        {"83 bytes", dir.filePath("Data/Short"), "100 Read beyond end of file"},
        {"empty file", dir.filePath("Data/Empty"), "100 Read beyond end of file"},
        {"a folder in place of the file", dir.filePath("Data/Folder"), "5 File access denied"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(readError(c.path), c.expected) << c.name;
}

TEST(BootstrapFileTest, ReadOnlyFileIsAccessDeniedThoughOnlyRead) {
    QTemporaryDir dir;
    const QString path = dir.filePath("Data/ZOR");
    writeFile(path, layout("u", "p", "s", "d"));
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7777));
    QFile::setPermissions(dir.filePath("Data"), QFileDevice::Permissions(0x7777));
#ifdef _WIN32
    // The file's read-only attribute.
    EXPECT_EQ(readError(path), "5 File access denied");
#else
    EXPECT_EQ(testsupport::RunInChild([&path] { return readError(path); }, true), "5 File access denied");
#endif
}

#ifndef _WIN32
TEST(BootstrapFileTest, TooManyOpenFiles) {
    QTemporaryDir dir;
    const QString path = dir.filePath("Data/ZOR");
    writeFile(path, layout("u", "p", "s", "d"));
    const std::string result = testsupport::RunInChild(
        [&path] {
            const rlimit limit{3, 3};
            return ::setrlimit(RLIMIT_NOFILE, &limit) == 0 ? readError(path)
                                                           : std::string("setrlimit failed");
        },
        false);
    EXPECT_EQ(result, "4 Too many open files");
}
#endif

TEST(BootstrapFileTest, ChangesTakeEffectAtTheNextRead) {
    QTemporaryDir dir;
    const QString path = dir.filePath("Data/ZOR");
    writeFile(path, layout("first", "p", "s", "d"));
    EXPECT_EQ(ReadFirstConnectInfo(path).UserName, "first");
    writeFile(path, layout("second", "p", "s", "d"));
    EXPECT_EQ(ReadFirstConnectInfo(path).UserName, "second");
}

TEST(BootstrapFileTest, EncodeRoundTripsAndRefusesWhatCannotBeStored) {
    TFirstConnectInfo info{"zor_boot", QString::fromUtf8("Пароль 2026"), "demo.db", "embedded"};
    int counter = 0;
    const QByteArray bytes =
        EncodeFirstConnectInfo(info, [&counter] { return static_cast<char>(++counter); });
    ASSERT_EQ(bytes.size(), 84);
    EXPECT_EQ(DecodeFirstConnectInfo(bytes), info);
    EXPECT_EQ(bytes[40], 8);
    EXPECT_EQ(bytes[8], 9) << "unused field bytes come from the filler";

    info.UserName = QString(20, 'u');
    EXPECT_EQ(DecodeFirstConnectInfo(EncodeFirstConnectInfo(info, [] { return '\0'; })).UserName,
              info.UserName);
    info.UserName = QString(21, 'u');
    EXPECT_THROW(EncodeFirstConnectInfo(info, [] { return '\0'; }), std::invalid_argument);
    info.UserName = QString::fromUtf8("名前");
    EXPECT_THROW(EncodeFirstConnectInfo(info, [] { return '\0'; }), std::invalid_argument);
}
