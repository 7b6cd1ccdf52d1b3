#include "bootstrapfile.h"

#include "context/ansicodec.h"
#include "platform/ioerror.h"
#include "platform/systemfile.h"

#include <algorithm>
#include <stdexcept>

namespace {

constexpr int UserNameOffset = 0;
constexpr int PasswordOffset = 20;
constexpr int UserNameLength = 40;
constexpr int PasswordLength = 41;
constexpr int ServerOffset = 42;
constexpr int DatabaseOffset = 62;
constexpr int ServerLength = 82;
constexpr int DatabaseLength = 83;

QByteArray shifted(const QByteArray& bytes, int by) {
    QByteArray result(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        result[i] = static_cast<char>(static_cast<unsigned char>(bytes[i]) + by);
    return result;
}

QString field(const QByteArray& bytes, int offset, int lengthOffset) {
    const int length =
        std::min<int>(static_cast<unsigned char>(bytes[lengthOffset]), BootstrapFile::FieldSize);
    return AnsiCodec::client().toUnicode(ShiftDecode(bytes.mid(offset, length)));
}

void store(QByteArray& bytes, int offset, int lengthOffset, const QString& value, const char* name) {
    const AnsiCodec& codec = AnsiCodec::client();
    if (value.size() > BootstrapFile::FieldSize)
        throw std::invalid_argument(std::string(name) + " is longer than 20 characters");
    if (!codec.canEncode(value))
        throw std::invalid_argument(std::string(name) + " has characters outside code page " +
                                    codec.shownName().toStdString());
    const QByteArray stored = ShiftEncode(codec.fromUnicode(value));
    std::copy(stored.begin(), stored.end(), bytes.begin() + offset);
    bytes[lengthOffset] = static_cast<char>(stored.size());
}

} // namespace

QByteArray ShiftDecode(const QByteArray& bytes) {
    return shifted(bytes, 1);
}

QString ShiftDecode(const QString& text) {
    const AnsiCodec& codec = AnsiCodec::client();
    return codec.toUnicode(ShiftDecode(codec.fromUnicode(text)));
}

QByteArray ShiftEncode(const QByteArray& bytes) {
    return shifted(bytes, -1);
}

TFirstConnectInfo ReadFirstConnectInfo(const QString& path) {
    QByteArray bytes(BootstrapFile::Size, '\0');
    {
        platform::SystemFile file = platform::SystemFile::openExistingReadWrite(path.toStdString());
        if (file.read(bytes.data(), BootstrapFile::Size) < static_cast<std::size_t>(BootstrapFile::Size))
            throw platform::IoError(platform::IoError::ReadBeyondEnd);
    }
    return DecodeFirstConnectInfo(bytes);
}

TFirstConnectInfo DecodeFirstConnectInfo(const QByteArray& bytes) {
    if (bytes.size() < BootstrapFile::Size)
        throw platform::IoError(platform::IoError::ReadBeyondEnd);
    TFirstConnectInfo info;
    info.UserName = field(bytes, UserNameOffset, UserNameLength);
    info.Password = field(bytes, PasswordOffset, PasswordLength);
    info.Database = field(bytes, DatabaseOffset, DatabaseLength);
    info.Server = field(bytes, ServerOffset, ServerLength);
    return info;
}

QByteArray EncodeFirstConnectInfo(const TFirstConnectInfo& info, const std::function<char()>& fill) {
    QByteArray bytes(BootstrapFile::Size, '\0');
    for (char& byte : bytes)
        byte = fill();
    store(bytes, UserNameOffset, UserNameLength, info.UserName, "User name");
    store(bytes, PasswordOffset, PasswordLength, info.Password, "Password");
    store(bytes, ServerOffset, ServerLength, info.Server, "Server");
    store(bytes, DatabaseOffset, DatabaseLength, info.Database, "Database");
    return bytes;
}
