#include "ansicodec.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <stdexcept>

AnsiCodec::AnsiCodec(QByteArray codePage) : m_codePage(std::move(codePage)) {
    if (!QStringEncoder(m_codePage.constData()).isValid())
        throw std::runtime_error("Unknown code page " + m_codePage.toStdString());
}

const AnsiCodec& AnsiCodec::client() {
    static const AnsiCodec codec("windows-1251");
    return codec;
}

namespace {

// Qt's encoder keeps its error flag once set, so every try starts with a fresh one.
bool encodeOnce(const QByteArray& codePage, QStringView text, QByteArray& bytes) {
    QStringEncoder encoder(codePage.constData(), QStringConverter::Flag::Stateless);
    bytes = encoder.encode(text);
    return !encoder.hasError() && bytes.size() == text.size();
}

} // namespace

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
