#include "workstationidentity.h"

#include "context/ansicodec.h"
#include "platform/computername.h"
#include "platform/hostresolver.h"

QString ComputerName() {
    return ComputerNameText(platform::ComputerName());
}

QString ComputerNameText(const std::string& reported, platform::NameEncoding encoding) {
    const QByteArray bytes = QByteArray::fromStdString(reported);
    if (encoding == platform::NameEncoding::Utf8)
        return QString::fromUtf8(bytes);
    return AnsiCodec::client().toUnicode(bytes);
}

QString LocalAddress() {
    return ::LocalAddress(platform::SystemHostResolver());
}

QString LocalAddress(const platform::HostResolver& resolver) {
    return QString::fromStdString(platform::LookUpLocalAddress(resolver));
}
