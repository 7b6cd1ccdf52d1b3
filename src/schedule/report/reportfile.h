#pragma once

#include <QByteArray>
#include <QString>

struct ReportHeading;

// Writes a whole file the safe way: the bytes go to a temporary file beside the target, which
// replaces the target only once everything is written. A failure leaves the target as it was and
// raises ReportError "Не удалось сохранить файл «path»: reason".
void WriteReportFile(const QString& path, const QByteArray& bytes);

// The file name that the save dialog suggests: the group and the semester, with characters that
// file names cannot hold replaced by "_", and the extension ("pdf", "xlsx").
QString SuggestedReportFileName(const ReportHeading& heading, const QString& extension);
