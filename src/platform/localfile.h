#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

/// Reads small local files the program keeps (the token, the settings, the autostart entry).
namespace LocalFile {

/// Why a file could not be read.
enum class Refusal
{
    Missing,    ///< nothing at the path
    NotRegular, ///< a FIFO, a device, a folder, a socket, or a link to one
    TooLarge,   ///< more than the given number of bytes
    Unreadable, ///< no permission, or an I/O error
};

struct Result
{
    std::optional<QByteArray> bytes; ///< set when the file was read whole
    Refusal refusal = Refusal::Missing;
};

/// The whole content of `path` when it is a regular file (a symbolic link to one is followed) of at
/// most `maxBytes` bytes. Never blocks on a FIFO and never reads past `maxBytes` + 1 bytes.
Result read(const QString &path, qint64 maxBytes);

/// What `read` would refuse, without reading: nothing when `path` is missing or a regular file of at
/// most `maxBytes` bytes.
std::optional<Refusal> check(const QString &path, qint64 maxBytes);

} // namespace LocalFile
