#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Converts between QString and an 8-bit ANSI code page. The client's code page is the one the
// bootstrap file, the password digest and the server's shifted credentials use.
class AnsiCodec {
public:
    // The installation's choice of code page where the system has none of its own (see
    // clientCodePageName).
    static constexpr const char* CodePageVariable = "ZOR27_ANSI_CODEPAGE";

    explicit AnsiCodec(QByteArray codePage);

    // The client's ANSI code page, chosen by clientCodePageName on first use from the system's code
    // page and the environment variable CodePageVariable.
    static const AnsiCodec& client();

    // The client's code page as a converter name: the system's ANSI code page where it has one
    // (Windows; "Locale", the system's own conversion, if no converter here knows that number);
    // otherwise the installation's choice, a code page number ("1252") or a converter name ("KOI8-R");
    // otherwise Windows-1251. Raises std::runtime_error for a choice that names no known code page.
    static QByteArray clientCodePageName(std::optional<unsigned> systemCodePage,
                                         const QByteArray& installationChoice);

    QByteArray codePage() const { return m_codePage; }
    // The code page as a user reads it: "windows-1251" also where the system converts ("Locale").
    QByteArray shownName() const { return m_shownName; }

    // One byte per character; a character the code page lacks becomes '?'.
    QByteArray fromUnicode(const QString& text) const;
    // One character per byte, byte 0 included.
    QString toUnicode(const QByteArray& bytes) const;
    // True when every character of the text has a byte of its own in the code page.
    bool canEncode(const QString& text) const;

private:
    QByteArray m_codePage;
    QByteArray m_shownName;
};
