#include "connection.h"

#include "connectionstringparser.h"
#include "dataerror.h"
#include "dataset.h"
#include "driverfactory.h"

#include <algorithm>
#include <stdexcept>

Connection::Connection(const QString& name)
    : m_name(name),
      m_factory([this](const ConnectionPairs& settings) { return CreateDriver(settings, m_databaseFolder); }),
      m_commandTimeout(DefaultCommandTimeout()) {}

int Connection::DefaultCommandTimeout() {
    constexpr int seconds = 30;
    bool ok = false;
    const int configured = qEnvironmentVariableIntValue("ZOR27_COMMAND_TIMEOUT", &ok);
    return ok && configured >= 0 ? configured : seconds;
}

void Connection::setCommandTimeout(int seconds) {
    m_commandTimeout = std::max(0, seconds);
    if (m_driver)
        m_driver->setStatementTimeout(m_commandTimeout);
}

QString Connection::equalsValue(const QString& column, FieldKind kind) {
    return openDriver().equalsValue(column, kind);
}

Connection::~Connection() {
    for (DataSet* dataSet : m_dataSets)
        dataSet->m_connection = nullptr;
    if (m_driver)
        m_driver->close();
}

void Connection::setConnectionString(const QString& text) {
    if (isOpen())
        throw DataError(QStringLiteral("Operation is not allowed when the connection is open"));
    m_connectionString = text;
}

void Connection::open() {
    if (isOpen())
        return;
    ConnectionPairs pairs;
    try {
        pairs = ParseConnectionString(m_connectionString);
    } catch (const std::invalid_argument& error) {
        throw DataError(QString::fromUtf8(error.what()));
    }
    std::unique_ptr<Driver> driver = m_factory(pairs);
    driver->setStatementTimeout(m_commandTimeout);
    driver->open(pairs);
    m_driver = std::move(driver);
}

void Connection::close() {
    const QList<DataSet*> dataSets = m_dataSets;
    for (DataSet* dataSet : dataSets)
        dataSet->close();
    if (m_driver) {
        m_driver->close();
        m_driver.reset();
    }
}

bool Connection::isOpen() const {
    return m_driver && m_driver->isOpen();
}

Driver& Connection::openDriver() {
    if (!isOpen() && m_reopen)
        m_reopen(*this);
    if (!isOpen())
        throw DataError(QStringLiteral("Operation is not allowed when the connection is closed"));
    return *m_driver;
}

qint64 Connection::execute(const QString& statement) {
    return openDriver().execute(statement, {}).rowsAffected;
}

StatementResult Connection::run(const QString& statement, const QList<QVariant>& values,
                                QList<QVariant> cellStorage) {
    Driver& driver = openDriver();
    // Storage the driver did not take is not kept past the statement.
    struct Leftover {
        Driver& driver;
        ~Leftover() { driver.offerCellStorage({}); }
    } leftover{driver};
    if (cellStorage.capacity() > 0)
        driver.offerCellStorage(std::move(cellStorage));
    return driver.execute(statement, values);
}

void Connection::attach(DataSet* dataSet) {
    if (!m_dataSets.contains(dataSet))
        m_dataSets.append(dataSet);
}

void Connection::detach(DataSet* dataSet) {
    m_dataSets.removeAll(dataSet);
}
