#include "toolkittranslation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>

namespace {

const QString TranslationName = QStringLiteral("qtbase_ru");

// The standard buttons' texts as the toolkit's Russian translation has them.
class RussianButtonTexts : public QTranslator {
public:
    bool isEmpty() const override { return false; }

    QString translate(const char* context, const char* sourceText, const char* disambiguation,
                      int n) const override {
        Q_UNUSED(disambiguation)
        Q_UNUSED(n)
        if (qstrcmp(context, "QPlatformTheme") != 0 || sourceText == nullptr)
            return {};
        static const struct {
            const char* english;
            const char* russian;
        } texts[] = {
            {"OK", "OK"},
            {"Save", "Сохранить"},
            {"Save All", "Сохранить все"},
            {"Open", "Открыть"},
            {"&Yes", "&Да"},
            {"Yes to &All", "Да для &всех"},
            {"&No", "&Нет"},
            {"N&o to All", "Н&ет для всех"},
            {"Abort", "Прервать"},
            {"Retry", "Повторить"},
            {"Ignore", "Пропустить"},
            {"Close", "Закрыть"},
            {"Cancel", "Отмена"},
            {"Discard", "Отклонить"},
            {"Help", "Справка"},
            {"Apply", "Применить"},
            {"Reset", "Сбросить"},
            {"Restore Defaults", "По умолчанию"},
        };
        for (const auto& text : texts)
            if (qstrcmp(sourceText, text.english) == 0)
                return QString::fromUtf8(text.russian);
        return {};
    }
};

} // namespace

std::unique_ptr<QTranslator> RussianToolkitTranslator(const QStringList& folders) {
    for (const QString& folder : folders) {
        if (!QFileInfo::exists(QDir(folder).filePath(TranslationName + QStringLiteral(".qm"))))
            continue;
        auto translator = std::make_unique<QTranslator>();
        if (translator->load(TranslationName, folder))
            return translator;
    }
    return std::make_unique<RussianButtonTexts>();
}

QStringList ToolkitTranslationFolders() {
    return {QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("translations")),
            QStringLiteral(":/translations"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)};
}

void InstallRussianToolkitTranslation(QCoreApplication& application) {
    QTranslator* translator = RussianToolkitTranslator(ToolkitTranslationFolders()).release();
    translator->setParent(&application);
    QCoreApplication::installTranslator(translator);
}
