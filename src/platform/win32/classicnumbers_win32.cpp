#include "platform/classicnumbers.h"

#include <clocale>
#include <cstring>
#include <locale.h>

namespace platform {

ClassicNumbersScope::ClassicNumbersScope() {
    // The runtime's locale made the thread's own, then its numbers set to "C".
    m_threadMode = _configthreadlocale(_ENABLE_PER_THREAD_LOCALE);
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    if (previous != nullptr && std::strlen(previous) < sizeof m_previous)
        std::strcpy(m_previous, previous);
    std::setlocale(LC_NUMERIC, "C");
}

ClassicNumbersScope::~ClassicNumbersScope() {
    if (m_previous[0] != '\0')
        std::setlocale(LC_NUMERIC, m_previous);
    if (m_threadMode == _DISABLE_PER_THREAD_LOCALE)
        _configthreadlocale(_DISABLE_PER_THREAD_LOCALE);
}

} // namespace platform
