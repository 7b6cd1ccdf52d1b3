#include "workstationidentity.h"

#include "ansicodec.h"
#include "platform/computername.h"
#include "platform/hostresolver.h"

QString ComputerName() {
    return AnsiCodec::client().toUnicode(QByteArray::fromStdString(platform::ComputerName()));
}

QString LocalAddress() {
    return ::LocalAddress(platform::SystemHostResolver());
}

QString LocalAddress(const platform::HostResolver& resolver) {
    return QString::fromStdString(platform::LookUpLocalAddress(resolver));
}
