#include "passworddigest.h"

#include "context/ansicodec.h"

#include <QCryptographicHash>

QString HashPassword(const QString& text) {
    const QByteArray digest =
        QCryptographicHash::hash(AnsiCodec::client().fromUnicode(text), QCryptographicHash::Md5);
    return QString::fromLatin1(digest.toHex().toUpper());
}
