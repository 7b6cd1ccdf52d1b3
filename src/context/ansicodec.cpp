#include "ansicodec.h"

#include "platform/ansicodepage.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <stdexcept>

AnsiCodec::AnsiCodec(QByteArray codePage) : m_codePage(std::move(codePage)), m_shownName(m_codePage) {
    if (!QStringEncoder(m_codePage.constData()).isValid())
        throw std::runtime_error("Unknown code page " + m_codePage.toStdString());
    const std::optional<unsigned> system = platform::SystemAnsiCodePage();
    if (m_codePage == "Locale" && system.has_value())
        m_shownName = QByteArrayLiteral("windows-") + QByteArray::number(*system);
}

const AnsiCodec& AnsiCodec::client() {
    static const AnsiCodec codec(
        clientCodePageName(platform::SystemAnsiCodePage(), qgetenv(CodePageVariable)));
    return codec;
}

namespace {

bool isKnown(const QByteArray& name) {
    return QStringEncoder(name.constData()).isValid();
}

// Whether the character set gives every character one byte: "A" is the one byte 'A', and no two
// bytes read as a single character (as the lead and trail bytes of UTF-8, UTF-16 and the East Asian
// multi-byte sets do) or as none (as the escapes of the shifting sets do).
bool isEightBit(const QByteArray& name) {
    QStringEncoder encoder(name.constData(), QStringConverter::Flag::Stateless);
    if (QByteArray(encoder.encode(u"A")) != "A")
        return false;
    static const char trails[] = {'\x00', '-', 'A', '\x81', '\xA1', '\xB0'};
    for (int lead = 1; lead < 256; ++lead) {
        for (const char trail : trails) {
            const char pair[] = {static_cast<char>(lead), trail};
            QStringDecoder decoder(name.constData(), QStringConverter::Flag::Stateless);
            if (QString(decoder.decode(QByteArrayView(pair, 2))).size() != 2)
                return false;
        }
    }
    return true;
}

QByteArray nameForNumber(const QByteArray& number) {
    return QByteArrayLiteral("windows-") + number;
}

// Qt's encoder keeps its error flag once set, so every try starts with a fresh one.
bool encodeOnce(const QByteArray& codePage, QStringView text, QByteArray& bytes) {
    QStringEncoder encoder(codePage.constData(), QStringConverter::Flag::Stateless);
    bytes = encoder.encode(text);
    return !encoder.hasError() && bytes.size() == text.size();
}

} // namespace

QByteArray AnsiCodec::clientCodePageName(std::optional<unsigned> systemCodePage,
                                         const QByteArray& installationChoice) {
    if (systemCodePage.has_value()) {
        const QByteArray name = nameForNumber(QByteArray::number(*systemCodePage));
        return isKnown(name) ? name : QByteArrayLiteral("Locale");
    }
    const QByteArray choice = installationChoice.trimmed();
    if (choice.isEmpty())
        return QByteArrayLiteral("windows-1251");
    bool isNumber = false;
    choice.toUInt(&isNumber);
    const QByteArray name = isNumber ? nameForNumber(choice) : choice;
    if (!isKnown(name) || !isEightBit(name))
        throw std::runtime_error(std::string(CodePageVariable) + " names no known code page: \"" +
                                 installationChoice.toStdString() + "\"");
    return name;
}

QByteArray AnsiCodec::fromUnicode(const QString& text) const {
    QByteArray bytes;
    if (encodeOnce(m_codePage, text, bytes))
        return bytes;
    // Character by character, so that each unknown character turns into exactly one '?'.
    bytes.clear();
    bytes.reserve(text.size());
    QByteArray one;
    for (const QChar ch : text)
        bytes.append(encodeOnce(m_codePage, QStringView(&ch, 1), one) ? one : QByteArray("?"));
    return bytes;
}

QString AnsiCodec::toUnicode(const QByteArray& bytes) const {
    QStringDecoder decoder(m_codePage.constData(), QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    return text;
}

bool AnsiCodec::canEncode(const QString& text) const {
    QByteArray bytes;
    return encodeOnce(m_codePage, text, bytes) && toUnicode(bytes) == text;
}
