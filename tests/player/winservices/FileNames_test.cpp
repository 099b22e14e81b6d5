// Names from the desktop: bytes that are not UTF-8 survive the trip through text, and the file
// URIs that file managers and browsers drop become the files they name.

#include <gtest/gtest.h>

#include <QMimeData>
#include <QUrl>

#include "FileNames.h"

namespace {

TEST(FileNames, EveryByteNameComesBackUnchanged) {
    const std::vector<QByteArray> names = {
        "/media/clip.mpg",
        "/media/caf\xc3\xa9 \xf0\x9f\x8e\xb5.mpg",  // valid UTF-8, a character beyond the BMP
        "/media/caf\xe9.mpg",                       // Latin-1
        "/media/\xc3",                              // sequence cut short at the end
        "/media/\xc0\xaf.mpg",                      // overlong '/'
        "/media/\xed\xa0\x80.mpg",                  // an encoded surrogate
        "/media/\xf4\x90\x80\x80.mpg",              // past U+10FFFF
        "/media/\xff\xfe\x80 a\xe2\x82.mpg",
    };
    for (const QByteArray& name : names) {
        const QString text = FileNames::Decode(name);
        EXPECT_EQ(FileNames::Encode(text), name) << name.toHex().toStdString();
        EXPECT_FALSE(text.contains(QChar::ReplacementCharacter)) << name.toHex().toStdString();
    }
    // Valid UTF-8 reads as itself, so labels and settings show the name as the user typed it.
    EXPECT_EQ(FileNames::Decode("/media/caf\xc3\xa9.mpg"), QString::fromUtf8("/media/caf\xc3\xa9.mpg"));
    EXPECT_EQ(FileNames::Encode(QStringLiteral("/media/\u00e9\U0001F3B5")),
              "/media/\xc3\xa9\xf0\x9f\x8e\xb5");
}

TEST(FileNames, FileUrisBecomeTheirLocalFiles) {
    struct Case {
        QByteArray uri;
        QByteArray file;  // as bytes; empty: not a local file
    };
    const std::vector<Case> cases = {
        {"file:///media/My%20Clip.mpg", "/media/My Clip.mpg"},
        {"file://localhost/media/a%20b.mpg", "/media/a b.mpg"},
        {"FILE://LOCALHOST/media/x.mpg", "/media/x.mpg"},
        {"file:/media/x.mpg", "/media/x.mpg"},
        {"file:///media/caf%E9.mpg", "/media/caf\xe9.mpg"},
        {"file:///media/caf%C3%A9.mpg", "/media/caf\xc3\xa9.mpg"},
        {"file:///media/caf\xc3\xa9 raw.mpg\r", "/media/caf\xc3\xa9 raw.mpg"},  // sent unescaped
        {"file:///media/a%23b%3F.mpg", "/media/a#b?.mpg"},
        {"file:///media/a.mpg#t=10", "/media/a.mpg"},
        {"file:///media/a.mpg?x=1", "/media/a.mpg"},
        {"file:///media/100%25.mpg", "/media/100%.mpg"},
        {"file:///media/a%00.mpg", ""},  // a name with a NUL cannot exist: not cut short to "a"
        {"file://nas.local/media/a.mpg", ""},
        {"file://", ""},
        {"file:relative.mpg", ""},
        {"http://example.org/a.mpg", ""},
        {"/media/a.mpg", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FileNames::Encode(FileNames::LocalFileOfUri(c.uri)), c.file) << c.uri.toStdString();
}

TEST(FileNames, DropListsSkipCommentsAndOtherSchemes) {
    QMimeData fileManager;
    fileManager.setData(QStringLiteral("text/uri-list"),
                        "# from a file manager\r\nfile:///media/a%20b.mpg\r\nhttp://example.org/x\r\n\r\n"
                        "file:///media/c%E9.mpg\r\n");
    const QStringList files = FileNames::DroppedFiles(fileManager);
    ASSERT_EQ(files.size(), 2);
    EXPECT_EQ(files[0], QStringLiteral("/media/a b.mpg"));
    EXPECT_EQ(FileNames::Encode(files[1]), "/media/c\xe9.mpg");

    QMimeData qtUrls;  // a Qt program's drag carries the same list
    qtUrls.setUrls(
        {QUrl(QStringLiteral("https://example.org/a.mpg")), QUrl::fromLocalFile("/media/d e.mpg")});
    EXPECT_EQ(FileNames::DroppedFiles(qtUrls), QStringList{QStringLiteral("/media/d e.mpg")});

    QMimeData text;
    text.setText(QStringLiteral("file:///media/a.mpg"));  // plain text is no file list
    EXPECT_TRUE(FileNames::DroppedFiles(text).isEmpty());
}

}  // namespace
