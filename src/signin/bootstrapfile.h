#pragma once

#include "tfirstconnectinfo.h"

#include <QByteArray>
#include <QString>
#include <functional>

// The bootstrap file: 84 bytes in two halves, each two 20-byte character fields followed by their
// two length bytes (user name, password | server, database), characters stored minus one.
namespace BootstrapFile {
constexpr int Size = 84;
constexpr int FieldSize = 20;
} // namespace BootstrapFile

// Adds one, modulo 256, to every byte; a byte 255 becomes a byte 0 and stays in the result.
QByteArray ShiftDecode(const QByteArray& bytes);
// The same on text in the client's ANSI code page (the server's shifted credentials).
QString ShiftDecode(const QString& text);
// Subtracts one, modulo 256, from every byte: the stored form.
QByteArray ShiftEncode(const QByteArray& bytes);

// Reads and decodes a bootstrap file. Raises platform::IoError ("File not found", "Read beyond end
// of file", ...) when it cannot.
TFirstConnectInfo ReadFirstConnectInfo(const QString& path);

// Decodes the first 84 bytes of a bootstrap file; lengths above 20 are taken as 20.
TFirstConnectInfo DecodeFirstConnectInfo(const QByteArray& bytes);

// Produces a bootstrap file's 84 bytes; the unused bytes of each field come from fill. Raises
// std::invalid_argument naming the value when one is longer than 20 characters or has a character
// the client's code page lacks.
QByteArray EncodeFirstConnectInfo(const TFirstConnectInfo& info, const std::function<char()>& fill);
