#include "startcheck.h"

#include "toolkittranslation.h"

#include <QApplication>
#include <QImageReader>
#include <QTranslator>

#include <cstdio>
#include <cstring>

namespace {

const char* const StartCheckArgument = "--check-start";

} // namespace

bool StartCheckRequested(int argc, char** argv) {
    return argc == 2 && std::strcmp(argv[1], StartCheckArgument) == 0;
}

int RunStartCheck(QApplication& application) {
    Q_UNUSED(application)
    for (const char* picture : {":/pictures/signin-top.jpg", ":/pictures/signin-panel.jpg"}) {
        QImageReader reader{QString::fromLatin1(picture)};
        if (reader.read().isNull()) {
            std::fprintf(stderr, "%s: %s\n", picture, qPrintable(reader.errorString()));
            return 1;
        }
    }
    const auto translator = RussianToolkitTranslator(ToolkitTranslationFolders());
    if (translator->translate("QPlatformTheme", "Cancel").isEmpty()) {
        std::fprintf(stderr, "the toolkit's Russian texts are missing\n");
        return 1;
    }
    return 0;
}
