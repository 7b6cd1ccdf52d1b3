#include "programlocale.h"

QLocale ProgramLocale(const QLocale& system) {
    if (system.language() == QLocale::C || system.dateFormat(QLocale::ShortFormat).isEmpty())
        return QLocale(QLocale::Russian, QLocale::Russia);
    return system;
}

void InstallProgramLocale() {
    QLocale::setDefault(ProgramLocale(QLocale::system()));
}
