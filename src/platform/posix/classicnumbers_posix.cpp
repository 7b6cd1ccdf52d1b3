#include "platform/classicnumbers.h"

#include <locale.h>

namespace platform {

ClassicNumbersScope::ClassicNumbersScope() {
    // The thread's present locale with its numbers taken from "C"; nothing changes if that fails.
    locale_t base = duplocale(uselocale(static_cast<locale_t>(nullptr)));
    if (base == static_cast<locale_t>(nullptr))
        return;
    locale_t classic = newlocale(LC_NUMERIC_MASK, "C", base);
    if (classic == static_cast<locale_t>(nullptr)) {
        freelocale(base);
        return;
    }
    m_classic = classic;
    m_previous = uselocale(classic);
}

ClassicNumbersScope::~ClassicNumbersScope() {
    if (m_classic == nullptr)
        return;
    uselocale(static_cast<locale_t>(m_previous));
    freelocale(static_cast<locale_t>(m_classic));
}

} // namespace platform
