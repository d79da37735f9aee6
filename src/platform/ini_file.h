#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// An INI file with the semantics of the Windows private-profile functions: sections in
// file order, section and key names compared without case, a missing section added at
// the end. Unlike QSettings it neither reorders nor escapes anything.
class IniFile
{
public:
    IniFile() = default;
    explicit IniFile(const QString &fileName); // reads the file when it exists

    // Reads a file (Windows-1252, any line ends); false when it cannot be read.
    bool load(const QString &fileName);
    // Writes the file atomically (temporary file and rename), CR LF line ends.
    bool save(const QString &fileName) const;
    QString fileName() const { return m_fileName; }
    bool save() const { return save(m_fileName); }

    QString readString(const QString &section, const QString &key, const QString &defaultValue = QString()) const;
    int readInteger(const QString &section, const QString &key, int defaultValue) const;
    void writeString(const QString &section, const QString &key, const QString &value);
    void eraseSection(const QString &section);
    void deleteKey(const QString &section, const QString &key);
    bool sectionExists(const QString &section) const;
    QStringList sections() const;
    QStringList keys(const QString &section) const;

    QString toText() const; // the file's content, lines ended by CR LF
    void fromText(const QString &text);

private:
    struct Entry {
        QString key;
        QString value;
    };
    struct Section {
        QString name;
        QVector<Entry> entries;
    };
    Section *find(const QString &section);
    const Section *find(const QString &section) const;

    QString m_fileName;
    QVector<Section> m_sections;
};
