#pragma once

#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>

class DataSet;
class GridModel;

// Searching the grid's cells for a text: the columns to search, how a cell matches, and Find next,
// which walks the search columns cell by cell and record by record from the starting cell (or
// after the cell last found) and makes the found cell current. There is no wrap-around. One
// object serves a whole run and keeps its choices and the history of searched texts.
class GridFind {
public:
    enum class Match { AnyPart, WholeField, FromBeginning };
    enum class Direction { Up, Down, All };
    enum class Outcome { NotSearched, Found, NotFound };

    // The last entry of the find-in list, standing for every visible column.
    static const QString AllEntry;

    // The grid to search; the search columns are built again on the next setFindIn().
    void setGrid(GridModel* grid);
    GridModel* grid() const { return m_grid; }

    // Rebuilds the find-in list from the grid: each visible column's full caption ("|" included)
    // in display order, then "<All>".
    const QStringList& rebuildFindIn();
    const QStringList& findInEntries() const { return m_entries; }
    // The entry whose text equals the grid's current column's caption without regard to case (the
    // first such), or the "<All>" entry when none does.
    int currentColumnEntry() const;
    // Chooses a find-in entry and builds the search columns from it: the one column, or every
    // visible column in display order for "<All>" and for an index that is no column's entry.
    // Then the search is reset.
    void setFindIn(int entry);
    int findIn() const { return m_findIn; }
    // Column indices of the grid, in search order.
    const QList<int>& searchColumns() const { return m_columns; }

    const QString& text() const { return m_text; }
    // A changed text resets the search.
    void setText(const QString& text);
    Direction direction() const { return m_direction; }
    // A changed direction resets the search.
    void setDirection(Direction direction);
    // The match type, the case box and the format box leave the search where it is.
    Match match() const { return m_match; }
    void setMatch(Match match) { m_match = match; }
    bool matchCase() const { return m_matchCase; }
    void setMatchCase(bool matchCase) { m_matchCase = matchCase; }
    bool useFormat() const { return m_useFormat; }
    void setUseFormat(bool useFormat) { m_useFormat = useFormat; }

    // A new search: the next Find next starts at the starting cell itself (the first search column,
    // or the last one for "Up").
    void reset();
    bool freshSearch() const { return m_fresh; }
    int columnPosition() const { return m_position; }

    // Find next; `reverse` (Ctrl held) turns the direction round. Adds the text to the history,
    // then searches unless the grid has no open dataset or there are no search columns. Without a
    // match the grid returns to its record and its place in the window. A record that cannot be
    // posted when the search moves away from it raises the database's error; the search stops at
    // that record. The display of the dataset's controls is frozen during the search either way.
    Outcome findNext(bool reverse = false);

    // Every text searched for, in the order of first use, without repeats regardless of case.
    const QStringList& history() const { return m_history; }

    // Whether a cell text matches a search text, both already in the case they are compared in:
    // any part (an empty text matches nothing), the whole field (an empty text matches an empty
    // cell) or the beginning of the field (an empty text matches every cell).
    static bool matches(const QString& cell, const QString& text, Match match);

private:
    void step(bool backward, DataSet& dataSet, bool& moved);

    QPointer<GridModel> m_grid;
    QStringList m_entries;
    QList<int> m_entryColumns; // the column of each entry but "<All>"
    int m_findIn = -1;
    QList<int> m_columns;
    int m_position = 0;
    bool m_fresh = true;
    QString m_text;
    Direction m_direction = Direction::All;
    Match m_match = Match::AnyPart;
    bool m_matchCase = false;
    bool m_useFormat = true;
    QStringList m_history;
};
