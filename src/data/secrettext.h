#pragma once

#include <cstddef>
#include <string>

// Error texts of drivers and driver managers may repeat a connection string whole. Every error
// text of the data layer passes through here before anyone can show or log it. The standard
// library alone, so that the SQL Server driver's core shares it.
namespace secrettext {

// Whether the text holds the key (ASCII, compared without regard to case) at the position.
inline bool KeyAt(const std::u16string& text, std::size_t at, std::u16string_view key) {
    if (text.size() - at < key.size())
        return false;
    for (std::size_t i = 0; i < key.size(); ++i) {
        char16_t unit = text[at + i];
        if (unit >= u'A' && unit <= u'Z')
            unit = static_cast<char16_t>(unit - u'A' + u'a');
        if (unit != key[i])
            return false;
    }
    return true;
}

// Where a value that begins at the position ends: past its closing brace ("}}" inside stands for
// one '}') or quote (doubled inside), else at the next ';' or the end of the text.
inline std::size_t ValueEnd(const std::u16string& text, std::size_t at) {
    if (at < text.size() && (text[at] == u'{' || text[at] == u'"' || text[at] == u'\'')) {
        const char16_t close = text[at] == u'{' ? u'}' : text[at];
        for (std::size_t i = at + 1; i < text.size(); ++i) {
            if (text[i] != close)
                continue;
            if (i + 1 < text.size() && text[i + 1] == close) {
                ++i;
                continue;
            }
            return i + 1;
        }
        return text.size();
    }
    const std::size_t semicolon = text.find(u';', at);
    return semicolon == std::u16string::npos ? text.size() : semicolon;
}

} // namespace secrettext

// The text with the value of every "PWD=" and "Password=" pair left out (keys in any letter case,
// blanks allowed around the '='); the keys stay, so that the reader sees what was there.
inline std::u16string WithoutSecrets(const std::u16string& text) {
    static constexpr std::u16string_view keys[] = {u"password", u"pwd"};
    std::u16string shown;
    shown.reserve(text.size());
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t keyEnd = 0;
        for (const std::u16string_view key : keys)
            if (secrettext::KeyAt(text, at, key)) {
                keyEnd = at + key.size();
                break;
            }
        std::size_t equals = keyEnd;
        while (equals != 0 && equals < text.size() && (text[equals] == u' ' || text[equals] == u'\t'))
            ++equals;
        if (keyEnd == 0 || equals >= text.size() || text[equals] != u'=') {
            shown += text[at++];
            continue;
        }
        shown.append(text, at, equals + 1 - at);
        std::size_t value = equals + 1;
        while (value < text.size() && (text[value] == u' ' || text[value] == u'\t'))
            ++value;
        at = secrettext::ValueEnd(text, value);
    }
    return shown;
}
