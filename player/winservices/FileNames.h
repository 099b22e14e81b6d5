#pragma once
// File names as the desktop hands them over. On Linux a name is bytes; bytes that are not UTF-8
// are kept in the text as U+DC80..U+DCFF, so such a name still opens after its trip through text.

#include <QByteArray>
#include <QString>
#include <QStringList>

class QMimeData;

namespace FileNames {

QString Decode(const QByteArray& name);
QByteArray Encode(const QString& name);

// The local file of one URI line ("file:///a%20b", "file://localhost/a", "file:/a"), percent
// escapes decoded as bytes; empty for other schemes and for files on other hosts.
QString LocalFileOfUri(const QByteArray& uri);
// The local files of a drop, in order: the text/uri-list (comment lines skipped), else Qt's URLs.
QStringList DroppedFiles(const QMimeData& data);

}  // namespace FileNames
