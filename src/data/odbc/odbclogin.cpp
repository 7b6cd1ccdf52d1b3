#include "odbclogin.h"

#include "odbcerror.h"
#include "odbctext.h"

namespace {

[[noreturn]] void cannotCarry(const std::u16string& key, const std::u16string& what) {
    throw OdbcError(u"The " + key + u" holds " + what +
                    u", which the ODBC driver cannot pass on unchanged; the connection was not attempted.");
}

bool Contains(const std::u16string& text, const std::u16string& part) {
    return text.find(part) != std::u16string::npos;
}

} // namespace

std::u16string OdbcAttributeValue(const std::u16string& key, const std::u16string& value,
                                  OdbcDriverKind driver) {
    // The driver manager and the driver take the string as C text: a NUL would end it.
    if (value.find(u'\0') != std::u16string::npos)
        cannotCarry(key, u"a character of code 0");
    const bool edgeBlank = !value.empty() && (IsOdbcBlank(value.front()) || IsOdbcBlank(value.back()));
    const bool plain = !edgeBlank && value.find_first_of(u";={}") == std::u16string::npos;
    if (plain)
        return value;
    if (driver == OdbcDriverKind::FreeTds) {
        // FreeTDS ends a braced value at the first "};" and does not undo doubled braces, so a
        // value is braced as it is, and one that holds "};" cannot be written at all.
        if (Contains(value, u"};"))
            cannotCarry(key, u"\"};\"");
        return u'{' + value + u'}';
    }
    std::u16string escaped = u"{";
    for (const char16_t unit : value) {
        escaped += unit;
        if (unit == u'}')
            escaped += u'}';
    }
    return escaped + u'}';
}

std::u16string OdbcConnectionText(const OdbcLogin& login, OdbcDriverKind driver) {
    const std::u16string source = TrimmedOdbcText(login.dataSource);
    std::u16string text;
    // key: the ODBC keyword; name: the provider's key, which a refusal names.
    const auto add = [&](const std::u16string& key, const std::u16string& name, const std::u16string& item) {
        text += key + u'=' + OdbcAttributeValue(name, item, driver) + u';';
    };
    if (driver == OdbcDriverKind::WindowsSqlServer) {
        // The driver's name is braced once, here: it is not a value to be quoted again.
        text += u"DRIVER={SQL Server};";
        add(u"SERVER", u"Data Source", source);
    } else {
        text += u"DRIVER={FreeTDS};";
        const std::size_t comma = source.find(u',');
        if (comma != std::u16string::npos) {
            add(u"SERVER", u"Data Source", TrimmedOdbcText(source.substr(0, comma)));
            add(u"PORT", u"Data Source", TrimmedOdbcText(source.substr(comma + 1)));
        } else {
            add(u"SERVER", u"Data Source", source);
        }
        text += u"TDS_Version=7.4;";
        // The application's text reaches the driver as UTF-16; the driver translates to and from
        // the code page of each 8-bit column (Windows-1251 on the schedule's server).
        text += u"ClientCharset=UTF-8;";
    }
    add(u"DATABASE", u"Initial Catalog", login.catalog);
    add(u"UID", u"User ID", login.user);
    add(u"PWD", u"Password", login.password);
    const std::u16string packetSize = TrimmedOdbcText(login.packetSize);
    if (driver == OdbcDriverKind::WindowsSqlServer)
        text += u"Encrypt=no;AutoTranslate=yes;";
    else
        text += u"Encryption=off;";
    if (!packetSize.empty())
        add(u"PacketSize", u"Packet Size", packetSize);
    return text;
}
