#include "diagnostictext.h"

#include "odbcmessages.h"

QString WithoutDriverPrefixes(const QString& record) {
    return QString::fromStdU16String(OdbcMessageWithoutPrefixes(record.toStdU16String()));
}

QString ProviderText(const QStringList& records) {
    std::vector<std::u16string> texts;
    for (const QString& record : records)
        texts.push_back(record.toStdU16String());
    return QString::fromStdU16String(OdbcProviderText(texts));
}
