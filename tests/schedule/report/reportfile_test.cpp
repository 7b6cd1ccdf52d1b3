// The safe writing of a report file and the file name the save dialog suggests.
#include "schedule/report/reporterror.h"
#include "schedule/report/reportfile.h"
#include "schedule/report/reportheading.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

} // namespace

TEST(ReportFileTest, ReplacesTheTargetWhole) {
    QTemporaryDir folder;
    const QString path = folder.filePath("schedule.pdf");
    WriteReportFile(path, "old");
    WriteReportFile(path, "new contents");
    EXPECT_EQ(ReadAll(path), "new contents");
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"schedule.pdf"}) << "no temporary left";
}

TEST(ReportFileTest, AMissingFolderIsAClearError) {
    QTemporaryDir folder;
    const QString path = folder.filePath("missing/schedule.pdf");
    try {
        WriteReportFile(path, "x");
        FAIL() << "written";
    } catch (const ReportError& error) {
        EXPECT_TRUE(error.text().startsWith(QString::fromUtf8("Не удалось сохранить файл «") +
                                            QDir::toNativeSeparators(path) + QString::fromUtf8("»: ")))
            << error.what();
        EXPECT_GT(error.text().size(),
                  QString::fromUtf8("Не удалось сохранить файл «»: ").size() + path.size());
    }
}

TEST(ReportFileTest, SuggestedNameFromGroupAndSemester) {
    const struct {
        ReportHeading heading;
        const char* extension;
        const char* name;
    } cases[] = {
        {{"2025/2026", "1-й семестр (осенний)", "ФИТ", "ИВТ-251"},
         "pdf",
         "ИВТ-251, 1-й семестр (осенний).pdf"},
        {{"", "2/3: весна?", "", "  A|B*  "}, "xlsx", "A_B_, 2_3_ весна_.xlsx"},
        {{"", "", "", "Группа."}, "pdf", "Группа.pdf"},
        {{}, "xlsx", "График.xlsx"},
    };
    for (const auto& item : cases) {
        ReportHeading heading = item.heading;
        EXPECT_EQ(SuggestedReportFileName(heading, item.extension), QString::fromUtf8(item.name));
    }
}
