#include "updatesource.h"

#include "context/installation.h"

QString UpdateUrl() {
    QString host = qEnvironmentVariable(UpdateServerVariable).trimmed();
    if (host.isEmpty())
        host = QString::fromLatin1(DefaultUpdateHost);
    return QStringLiteral("http://") + host + QStringLiteral("/zorprogs/") +
           QString::fromLatin1(Installation::ProgramName) + Installation::executableSuffix();
}
