#include "files/SystemPath.h"

#include <dirent.h>
#include <sys/stat.h>

#include <QFileInfo>
#include <QStringList>

namespace kelvarn {

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

// Length of the valid UTF-8 sequence starting at p (at most n bytes), or 0.
int Utf8Length(const unsigned char* p, qsizetype n) {
    const unsigned char b = p[0];
    int len;
    char32_t cp;
    if (b < 0x80) return 1;
    if (b >= 0xC2 && b <= 0xDF) {
        len = 2;
        cp = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        len = 3;
        cp = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        len = 4;
        cp = b & 0x07;
    } else {
        return 0;
    }
    if (n < len) return 0;
    for (int i = 1; i < len; ++i) {
        if ((p[i] & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (p[i] & 0x3F);
    }
    // Overlong forms, encoded surrogates and values past U+10FFFF are not
    // valid UTF-8.
    if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF))) return 0;
    if (cp >= 0xD800 && cp <= 0xDFFF) return 0;
    return len;
}

QByteArray EncodeCarried(const QString& path) {
    QByteArray out;
    out.reserve(path.size());
    QString run;
    for (const QChar ch : path) {
        if (IsCarriedByte(ch.unicode())) {
            out += run.toUtf8();
            run.clear();
            out += char(ch.unicode() - kEscapeBase);
        } else {
            run += ch;
        }
    }
    return out + run.toUtf8();
}

bool Exists(const QByteArray& name) {
    struct stat st {};
    return ::lstat(name.constData(), &st) == 0;
}

// The one entry of folder whose name reads as shown (with U+FFFD for
// unreadable bytes); empty when there is none or more than one.
QByteArray EntryShownAs(const QByteArray& folder, const QString& shown) {
    DIR* d = ::opendir(folder.isEmpty() ? "." : folder.constData());
    if (!d) return {};
    QByteArray found;
    int matches = 0;
    while (const dirent* e = ::readdir(d)) {
        const QByteArray name(e->d_name);
        if (QString::fromUtf8(name) == shown) {
            found = name;
            ++matches;
        }
    }
    ::closedir(d);
    return matches == 1 ? found : QByteArray();
}

}  // namespace

bool IsCarriedByte(char16_t u) {
    return u >= 0xDC80 && u <= 0xDCFF;
}

QByteArray Utf8WithCarriedBytes(const QString& text) {
    return EncodeCarried(text);
}

QString PathFromSystem(const QByteArray& bytes) {
    QString out;
    out.reserve(bytes.size());
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        qsizetype j = i;
        int len;
        while (j < n && (len = Utf8Length(p + j, n - j)) > 0) j += len;
        out += QString::fromUtf8(bytes.constData() + i, j - i);
        if (j < n) {
            out += QChar(char16_t(kEscapeBase + p[j]));
            ++j;
        }
        i = j;
    }
    return out;
}

QByteArray SystemPathBytes(const QString& path) {
    QByteArray bytes = EncodeCarried(path);
    if (!path.contains(QChar(QChar::ReplacementCharacter)) || Exists(bytes)) return bytes;

    // Resolve the name one folder at a time: each part that does not exist
    // as written but stands for exactly one entry takes that entry's bytes.
    const QStringList parts = path.split(QLatin1Char('/'));
    QByteArray built;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0) built += '/';
        QByteArray part = EncodeCarried(parts[i]);
        if (parts[i].contains(QChar(QChar::ReplacementCharacter)) && !Exists(built + part)) {
            const QByteArray entry = EntryShownAs(built, parts[i]);
            if (!entry.isEmpty()) part = entry;
        }
        built += part;
    }
    return built;
}

QString SystemPath(const QString& path) {
    if (!path.contains(QChar(QChar::ReplacementCharacter))) return path;
    return PathFromSystem(SystemPathBytes(path));
}

QString DisplayPath(const QString& path) {
    QString shown = path;
    for (QChar& ch : shown)
        if (IsCarriedByte(ch.unicode())) ch = QChar(QChar::ReplacementCharacter);
    return shown;
}

QString WithExtension(const QString& path, const QString& extension) {
    if (QFileInfo(path).suffix().isEmpty() && !path.endsWith(QLatin1Char('.')))
        return path + extension;
    return path;
}

}  // namespace kelvarn
