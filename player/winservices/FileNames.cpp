#include "FileNames.h"

#include <QMimeData>
#include <QUrl>

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

// Length of the well-formed UTF-8 sequence at data[i], or 0 (RFC 3629: no overlongs, no
// surrogates, nothing past U+10FFFF).
int Utf8SequenceAt(const QByteArray& data, qsizetype i) {
    const auto byte = [&](qsizetype k) { return static_cast<unsigned char>(data[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80) return 1;
    int length = 0;
    unsigned char low = 0x80, high = 0xBF;  // range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (i + length > data.size()) return 0;
    if (byte(i + 1) < low || byte(i + 1) > high) return 0;
    for (int k = 2; k < length; ++k)
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
    return length;
}

bool IsLocalHost(const QByteArray& host) {
    return host.isEmpty() || host.compare("localhost", Qt::CaseInsensitive) == 0;
}

}  // namespace

QString FileNames::Decode(const QByteArray& name) {
    QString out;
    out.reserve(name.size());
    for (qsizetype i = 0; i < name.size();) {
        const int length = Utf8SequenceAt(name, i);
        if (length == 0) {
            out += QChar(char16_t(kEscapeBase + static_cast<unsigned char>(name[i])));
            ++i;
            continue;
        }
        out += QString::fromUtf8(name.constData() + i, length);
        i += length;
    }
    return out;
}

QByteArray FileNames::Encode(const QString& name) {
    QByteArray out;
    out.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t unit = name[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
            out += QStringView(name).mid(i, 2).toUtf8();
            ++i;
        } else if (unit >= kEscapeBase + 0x80 && unit <= kEscapeBase + 0xFF) {
            out += static_cast<char>(unit - kEscapeBase);
        } else {
            out += QStringView(name).mid(i, 1).toUtf8();
        }
    }
    return out;
}

QString FileNames::LocalFileOfUri(const QByteArray& uri) {
    const QByteArray line = uri.trimmed();
    if (line.left(5).toLower() != "file:") return {};
    QByteArray rest = line.mid(5);
    if (rest.startsWith("//")) {
        const qsizetype slash = rest.indexOf('/', 2);
        if (slash < 0 || !IsLocalHost(rest.mid(2, slash - 2))) return {};
        rest = rest.mid(slash);
    }
    if (!rest.startsWith('/')) return {};
    // The query and the fragment are no part of the name (a '#' or '?' in a name comes escaped).
    for (const char mark : {'?', '#'})
        if (const qsizetype at = rest.indexOf(mark); at >= 0) rest.truncate(at);
    const QByteArray bytes = QByteArray::fromPercentEncoding(rest);
    if (bytes.contains('\0')) return {};  // no such file can exist; refused rather than cut short
    return Decode(bytes);
}

QStringList FileNames::DroppedFiles(const QMimeData& data) {
    QStringList files;
    const QString uriList = QStringLiteral("text/uri-list");
    if (data.hasFormat(uriList)) {
        for (const QByteArray& line : data.data(uriList).split('\n')) {
            if (line.trimmed().isEmpty() || line.startsWith('#')) continue;
            const QString file = LocalFileOfUri(line);
            if (!file.isEmpty()) files << file;
        }
        return files;
    }
    for (const QUrl& url : data.urls()) {
        const QString file = LocalFileOfUri(url.toEncoded());
        if (!file.isEmpty()) files << file;
    }
    return files;
}
