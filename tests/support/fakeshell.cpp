#include "fakeshell.h"

#include "platform/silentabort.h"

namespace testsupport {

void FakeShell::showException(const std::exception& error) {
    if (dynamic_cast<const platform::SilentAbort*>(&error) == nullptr)
        errors << QString::fromUtf8(error.what());
}

int FakeShell::messageBox(const QString& text, const QString& caption, int flags) {
    boxes << Box{text, caption, flags};
    if (!answers.isEmpty())
        return answers.takeFirst();
    switch (flags & 0x0F) {
    case YesNoCancel:
        return AnswerCancel;
    case YesNo:
        return AnswerNo;
    default:
        return AnswerOk;
    }
}

} // namespace testsupport
