#include "odbcmessages.h"

#include "odbctext.h"

#include <algorithm>

namespace {

// Whether a bracketed tag before a diagnostic is one that the driver manager or the driver puts
// there to say who speaks: "[unixODBC][Driver Manager]", "[FreeTDS]", "[Microsoft][ODBC SQL Server
// Driver][DBNETLIB]", "[Microsoft][ODBC Driver 17 for SQL Server]".
bool IsComponentTag(const std::u16string& tag) {
    static const std::u16string exact[] = {
        u"unixODBC", u"iODBC",    u"Microsoft", u"Driver Manager", u"FreeTDS",        u"SQL Native Client",
        u"DBNETLIB", u"DBMSLPCN", u"DBMSSOCN",  u"Shared Memory",  u"TCP/IP Sockets", u"Named Pipes"};
    if (std::find(std::begin(exact), std::end(exact), tag) != std::end(exact))
        return true;
    const auto startsWith = [&](const std::u16string& start) { return tag.rfind(start, 0) == 0; };
    return (startsWith(u"ODBC ") || startsWith(u"SQL Server Native Client")) &&
           tag.find_first_of(u"\r\n") == std::u16string::npos;
}

} // namespace

std::u16string OdbcMessageWithoutPrefixes(const std::u16string& record) {
    std::size_t at = 0;
    while (at < record.size() && record[at] == u'[') {
        const std::size_t close = record.find(u']', at + 1);
        if (close == std::u16string::npos)
            break;
        const std::u16string tag = record.substr(at + 1, close - at - 1);
        // "[SQL Server]" names the data source: what follows it is the server's own text, which
        // may begin with brackets of its own.
        if (tag == u"SQL Server")
            return record.substr(close + 1);
        if (!IsComponentTag(tag))
            break;
        at = close + 1;
    }
    return record.substr(at);
}

std::u16string OdbcProviderText(const std::vector<std::u16string>& records) {
    std::vector<std::u16string> messages;
    for (const std::u16string& record : records) {
        std::u16string message = OdbcMessageWithoutPrefixes(record);
        // Each message once: a driver manager may hand on the driver's record twice.
        if (!TrimmedOdbcText(message).empty() &&
            std::find(messages.begin(), messages.end(), message) == messages.end())
            messages.push_back(std::move(message));
    }
    // The driver's generic opening failure adds nothing to a message that says why.
    if (messages.size() > 1)
        std::erase(messages, std::u16string(u"Unable to connect to data source"));
    // Each message on a line of its own: a CR between them, as in every message text of the program.
    std::u16string text;
    for (std::size_t i = 0; i < messages.size(); ++i)
        text += (i > 0 ? u"\r" : u"") + messages[i];
    return text;
}
