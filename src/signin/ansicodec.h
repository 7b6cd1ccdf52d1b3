#pragma once

#include <QByteArray>
#include <QString>

// Converts between QString and an 8-bit ANSI code page. The client's code page (Windows-1251)
// is the one the bootstrap file, the password digest and the server's shifted credentials use.
class AnsiCodec {
public:
    explicit AnsiCodec(QByteArray codePage);

    // The client's ANSI code page.
    static const AnsiCodec& client();

    QByteArray codePage() const { return m_codePage; }

    // One byte per character; a character the code page lacks becomes '?'.
    QByteArray fromUnicode(const QString& text) const;
    // One character per byte, byte 0 included.
    QString toUnicode(const QByteArray& bytes) const;
    // True when every character of the text has a byte of its own in the code page.
    bool canEncode(const QString& text) const;

private:
    QByteArray m_codePage;
};
