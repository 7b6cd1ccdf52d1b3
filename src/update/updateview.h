#pragma once

#include "platform/filelock.h"

#include <QString>

#include <optional>

// What the update asks of the window that runs it (the sign-in dialog).
class UpdateView {
public:
    virtual ~UpdateView() = default;

    // Replaces the text of the version label (Label1), which sizes itself to it.
    virtual void setVersionText(const QString& text) = 0;
    // Enables the quit timer (Timer1): its first tick comes 2000 ms later, then one every 100 ms,
    // each requesting termination.
    virtual void enableQuitTimer() = 0;

    // True from the start of an update until it fails with an error: the program is being replaced
    // or is ending, and a further update order is refused.
    bool updateUnderway() const { return m_updateUnderway; }

private:
    friend class UpdateGuard;
    bool m_updateUnderway = false;
    // The installation's update lock, held from the download until the program ends (or the update
    // fails with an error), so that no other copy of the program updates the same folder meanwhile.
    std::optional<platform::FileLock> m_installationLock;
};
