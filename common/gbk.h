#pragma once
// GBK, the code page of "initPath.ini" files written elsewhere and of the text on the wire.

#include <QByteArray>
#include <QString>

namespace gbk {

// Bytes that are not valid GBK become replacement characters; decoding never fails.
QString decode(const QByteArray& bytes);
// Characters GBK cannot hold become "?".
QByteArray encode(const QString& text);
// True when `bytes` are valid UTF-8 (so need no GBK fallback).
bool isValidUtf8(const QByteArray& bytes);

} // namespace gbk
