#pragma once

#include "dataset.h"
#include "parameters.h"

#include <QStringList>

// A dataset over a statement stored as lines. Its ':' markers become positional parameters.
class Query : public DataSet {
    Q_OBJECT

public:
    explicit Query(const QString& name = QString(), Connection* connection = nullptr,
                   QObject* parent = nullptr);

    const QStringList& sql() const { return m_lines; }
    // Setting the statement closes the query and scans it for markers again; parameters whose
    // names are still present keep their values.
    void setSql(const QStringList& lines);
    // The statement as one text; CR LF, LF and CR break it into lines.
    void setSqlText(const QString& text);
    // A statement that carries texts from outside (what a user typed, what the system reports) in
    // literals of its own: it is kept as one line whatever characters it holds and is not scanned
    // for markers, so nothing in it is taken for a marker or a line break. It has no parameters.
    void setSqlVerbatim(const QString& text);
    // The stored text: each line followed by CR LF.
    QString commandText() const;
    // The text the engine receives: the stored text with each marker replaced by '?'.
    const QString& statement() const { return m_statement; }

    Parameters& parameters() { return m_parameters; }
    const Parameters& parameters() const { return m_parameters; }
    Parameter* findParam(const QString& name) const { return m_parameters.findParam(name); }

    // Runs the statement without a result; the number of rows it affected, -1 when unknown.
    qint64 execSQL();

protected:
    StatementResult fetch(QList<QVariant> cellStorage) override;

private:
    QStringList m_lines;
    QString m_statement;
    Parameters m_parameters;
};
