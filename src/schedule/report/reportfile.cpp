#include "reportfile.h"

#include "reporterror.h"
#include "reportheading.h"

#include <QDir>
#include <QSaveFile>

namespace {

[[noreturn]] void Fail(const QString& path, const QString& reason) {
    throw ReportError(
        QString::fromUtf8("Не удалось сохранить файл «%1»: %2").arg(QDir::toNativeSeparators(path), reason));
}

} // namespace

void WriteReportFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    // Never write over the target in place, not even where no temporary file can be made.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        Fail(path, file.errorString());
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        Fail(path, reason);
    }
    if (!file.commit())
        Fail(path, file.errorString());
}

QString SuggestedReportFileName(const ReportHeading& heading, const QString& extension) {
    QStringList parts;
    for (const QString& part : {heading.group, heading.semester}) {
        const QString trimmed = part.simplified();
        if (!trimmed.isEmpty())
            parts << trimmed;
    }
    QString name = parts.isEmpty() ? QString::fromUtf8("График") : parts.join(QStringLiteral(", "));
    for (QChar& character : name) {
        if (character.unicode() < 0x20 || QStringLiteral("\\/:*?\"<>|").contains(character))
            character = QLatin1Char('_');
    }
    // A name may not end in a dot or a blank on Windows.
    while (name.endsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char(' ')))
        name.chop(1);
    return name + QLatin1Char('.') + extension;
}
