#pragma once

// What the benchmark programs that drive the editor share: a shell that shows nothing and a pick of
// a selector's row by its text.
#include "context/usershell.h"
#include "schedule/lookupselector.h"

#include <QString>

namespace benchsupport {

class QuietShell : public UserShell {
public:
    QString title() const override { return QStringLiteral("ZOR 27"); }
    void showPlainMessage(const QString&) override {}
    void showException(const std::exception&) override {}
    int messageBox(const QString&, const QString&, int) override { return 0; }
    void processPendingEvents() override {}
    void requestTermination() override {}
    bool terminationRequested() const override { return false; }
};

inline void Pick(LookupSelector& selector, const QString& text) {
    for (int row = 0; row < selector.rowCount(); ++row)
        if (selector.rowText(row) == text)
            selector.pickRow(row);
}

} // namespace benchsupport
