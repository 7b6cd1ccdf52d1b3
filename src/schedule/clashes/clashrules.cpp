#include "clashrules.h"

#include <QRegularExpression>

namespace {

bool SameEntry(const ClashEntry& a, const ClashEntry& b) {
    return !a.key.isEmpty() && a.key == b.key;
}

} // namespace

QString ClashRules::StartKey(const QString& time) {
    const QString text = time.trimmed();
    if (text.isEmpty())
        return QString();
    // Hours, then optionally a separator (":", ".", "-", "ч", blanks) and minutes; what follows the
    // start (an end time, "ч", "мин") does not matter.
    static const QRegularExpression start(
        QString::fromUtf8("^(\\d{1,2})(?:\\s*(?:[:.\\-]|ч\\.?)\\s*(\\d{2})?)?"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = start.match(text);
    if (match.hasMatch()) {
        const int hours = match.captured(1).toInt();
        const int minutes = match.captured(2).isEmpty() ? 0 : match.captured(2).toInt();
        const QString rest = text.mid(match.capturedLength()).trimmed();
        // "930" or "9 30" are not times: only a separator may stand between hours and minutes.
        const bool wholeTime = rest.isEmpty() || !rest.front().isDigit();
        if (hours < 24 && minutes < 60 && wholeTime)
            return QStringLiteral("%1:%2").arg(hours, 2, 10, QChar(u'0')).arg(minutes, 2, 10, QChar(u'0'));
    }
    return u'~' + text.toCaseFolded();
}

QString ClashRules::RoomKey(const QString& room) {
    return room.trimmed().toCaseFolded();
}

QString ClashRules::ExaminerKey(const QString& examiner) {
    return examiner.simplified().toCaseFolded();
}

bool ClashRules::JointSitting(const ClashEntry& a, const ClashEntry& b) {
    const QString examiner = ExaminerKey(a.examiner);
    return !examiner.isEmpty() && examiner == ExaminerKey(b.examiner) &&
           a.discipline.simplified().compare(b.discipline.simplified(), Qt::CaseInsensitive) == 0;
}

std::vector<ClashKind> ClashRules::Between(const ClashEntry& a, const ClashEntry& b) {
    std::vector<ClashKind> kinds;
    if (SameEntry(a, b) || a.period != b.period || !a.date.isValid() || a.date != b.date)
        return kinds;
    const QString start = StartKey(a.time);
    const bool sameStart = !start.isEmpty() && start == StartKey(b.time);
    const QString roomA = RoomKey(a.room);
    const QString roomB = RoomKey(b.room);
    if (sameStart && !roomA.isEmpty() && roomA == roomB && !JointSitting(a, b))
        kinds.push_back(ClashKind::Room);
    const QString examiner = ExaminerKey(a.examiner);
    if (sameStart && !examiner.isEmpty() && examiner == ExaminerKey(b.examiner) && !roomA.isEmpty() &&
        !roomB.isEmpty() && roomA != roomB)
        kinds.push_back(ClashKind::Examiner);
    if (!a.groupKey.isEmpty() && a.groupKey == b.groupKey)
        kinds.push_back(ClashKind::BusyDay);
    return kinds;
}
