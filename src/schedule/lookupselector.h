#pragma once

#include <QObject>
#include <QString>
#include <QVariant>

#include <functional>

class Query;
class TypingTimestamp;

// One lookup selector without its widget: the key value that records the user's choice, the
// enabled flag, and the list query whose rows it offers (key column and shown column). It shows the
// shown text of the row whose key equals its key value. A pick takes a key value and then runs the
// click handler, also when the key is the one already chosen; setting the key value from code
// never runs it.
class LookupSelector : public QObject {
    Q_OBJECT

public:
    // Characters beyond this length of the search text are ignored.
    static constexpr int MaxSearchLength = 32;

    LookupSelector(const QString& name, Query* list, const QString& keyField, const QString& listField,
                   TypingTimestamp& typing, QObject* parent = nullptr);

    Query* listQuery() const { return m_list; }
    const QString& keyField() const { return m_keyField; }
    const QString& listField() const { return m_listField; }

    // Null (an invalid QVariant) until something is chosen.
    const QVariant& keyValue() const { return m_key; }
    bool keyIsNull() const;
    // Changes what is shown only; the click handler does not run.
    void setKeyValue(const QVariant& key);

    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    // Enabled with its list query open: only then does it open its list or pick.
    bool canDropDown() const;

    // The rows of the list query in its current order; none while it is closed.
    int rowCount() const;
    QVariant rowKey(int row) const;
    QString rowText(int row) const;
    // The row whose key equals the key value; -1 for Null, a closed list or no such row.
    int rowOfKey() const;
    // The shown text of that row; empty without one.
    QString shownText() const;

    // What runs on a pick: the selector's click handler.
    void setClickHandler(std::function<void()> handler) { m_clickHandler = std::move(handler); }
    // Takes the key, then runs the click handler. Nothing when the selector cannot drop down.
    void pick(const QVariant& key);
    void pickRow(int row);
    // Up (-1) or Down (+1) while the list is closed: the neighbour of the chosen row, the first
    // row when nothing in the list is chosen, the same row at either end, Null for an empty list.
    void pickStep(int direction);
    // Puts back the key value held before the last pick (the click handler does not run).
    void undoPick();

    // The typing search, available when the shown column holds text. A character (one of the
    // ANSI code page, from the blank up) extends the search text; the search text restarts after
    // a pause of more than two seconds since the last character typed into any selector, and
    // holds at most MaxSearchLength characters.
    bool searchAvailable() const;
    static bool isSearchCharacter(QChar character);
    // While the list is closed: picks the first row whose shown text starts with the extended
    // search text (case ignored); true when it picked.
    bool typeToPick(QChar character, qint64 now);
    // While the list is open: the first such row, or -1; the caller only highlights it.
    int typeToFind(QChar character, qint64 now);
    const QString& searchText() const { return m_search; }
    // On Backspace or Esc, when the selector gets the focus, and when its list closes.
    void clearSearch() { m_search.clear(); }

signals:
    // The shown text, the rows or the enabled flag may have changed.
    void changed();

private:
    int search(QChar character, qint64 now);
    int columnOf(const QString& name) const;

    Query* m_list;
    QString m_keyField;
    QString m_listField;
    TypingTimestamp& m_typing;
    QVariant m_key;
    QVariant m_previousKey;
    bool m_enabled = false;
    QString m_search;
    std::function<void()> m_clickHandler;
};
