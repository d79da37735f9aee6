#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// An INI file with the semantics of the Windows private-profile functions: sections in
// file order, section and key names compared without case, a missing section added at
// the end, a missing key at the end of its section. Unlike QSettings it neither reorders
// nor escapes anything: lines it does not change (blank lines, comments, spacing) are
// written back as they were read, and it adds no blank lines of its own. Changes stay in
// memory until save().
class IniFile
{
public:
    IniFile() = default;
    explicit IniFile(const QString &fileName); // reads the file when it exists

    // Reads a file (Windows-1252, any line ends); false when it cannot be read, and the
    // object is then empty. Either way the name is kept for save().
    bool load(const QString &fileName);
    // Writes the file atomically (temporary file and rename), Windows-1252, CR LF line ends.
    bool save(const QString &fileName) const;
    QString fileName() const { return m_fileName; }
    bool save() const { return save(m_fileName); }

    // The first section and, in it, the first key of that name count. A key without a
    // value reads as the empty text, a missing one as the default.
    QString readString(const QString &section, const QString &key, const QString &defaultValue = QString()) const;
    // Decimal, or hexadecimal after "0x", as files written on Windows hold them; anything else
    // gives the default.
    int readInteger(const QString &section, const QString &key, int defaultValue) const;
    void writeString(const QString &section, const QString &key, const QString &value);
    // Removes the section with all its lines (every section of that name, should a
    // hand-edited file hold it twice, so that a rewritten section is the one read).
    void eraseSection(const QString &section);
    void deleteKey(const QString &section, const QString &key);
    bool sectionExists(const QString &section) const;
    QStringList sections() const; // in file order
    QStringList keys(const QString &section) const;

    QString toText() const; // the file's content, every line ended by CR LF
    void fromText(const QString &text);

private:
    struct Line {
        QString text; // as read, or as written by writeString
        bool isKey = false;
        QString key;   // trimmed
        QString value; // trimmed
    };
    struct Section {
        bool hasHeader = false; // lines before the first header have none
        QString name;
        QString header; // the header line as read
        QVector<Line> lines;
    };
    Section *find(const QString &section);
    const Section *find(const QString &section) const;
    static int findKey(const Section &section, const QString &key);

    QString m_fileName;
    QVector<Section> m_sections;
};
