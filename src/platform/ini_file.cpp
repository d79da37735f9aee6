#include "platform/ini_file.h"

#include "platform/ansi.h"

#include <QFileInfo>

namespace {

bool sameName(const QString &a, const QString &b)
{
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

bool isBlank(const QString &line)
{
    return line.trimmed().isEmpty();
}

} // namespace

IniFile::IniFile(const QString &fileName) : m_fileName(fileName)
{
    if (QFileInfo::exists(fileName))
        load(fileName);
}

bool IniFile::load(const QString &fileName)
{
    m_fileName = fileName;
    QStringList lines;
    if (!ansi::readLines(fileName, lines)) {
        m_sections.clear();
        return false;
    }
    fromText(lines.join(QStringLiteral("\r\n")));
    return true;
}

void IniFile::fromText(const QString &text)
{
    m_sections.clear();
    m_sections.append(Section{}); // the lines before the first header
    for (const QString &raw : ansi::splitLines(text)) {
        const QString trimmed = raw.trimmed();
        if (trimmed.startsWith(QLatin1Char('['))) {
            const qsizetype close = trimmed.lastIndexOf(QLatin1Char(']'));
            if (close > 0) {
                Section s;
                s.hasHeader = true;
                s.name = trimmed.mid(1, close - 1).trimmed();
                s.header = raw;
                m_sections.append(s);
                continue;
            }
        }
        Line line;
        line.text = raw;
        const qsizetype eq = raw.indexOf(QLatin1Char('='));
        if (eq >= 0) {
            line.isKey = true;
            line.key = raw.left(eq).trimmed();
            line.value = raw.mid(eq + 1).trimmed();
        }
        m_sections.last().lines.append(line);
    }
    if (m_sections.first().lines.isEmpty())
        m_sections.removeFirst();
}

QString IniFile::toText() const
{
    QString text;
    for (const Section &s : m_sections) {
        if (s.hasHeader)
            text += s.header + QStringLiteral("\r\n");
        for (const Line &line : s.lines)
            text += line.text + QStringLiteral("\r\n");
    }
    return text;
}

bool IniFile::save(const QString &fileName) const
{
    if (fileName.isEmpty())
        return false;
    // A value the code page cannot hold is refused rather than written as "?".
    return ansi::writeText(fileName, toText());
}

IniFile::Section *IniFile::find(const QString &section)
{
    for (Section &s : m_sections) {
        if (s.hasHeader && sameName(s.name, section))
            return &s;
    }
    return nullptr;
}

const IniFile::Section *IniFile::find(const QString &section) const
{
    return const_cast<IniFile *>(this)->find(section);
}

int IniFile::findKey(const Section &section, const QString &key)
{
    for (int i = 0; i < section.lines.size(); ++i) {
        if (section.lines[i].isKey && sameName(section.lines[i].key, key))
            return i;
    }
    return -1;
}

QString IniFile::readString(const QString &section, const QString &key, const QString &defaultValue) const
{
    const Section *s = find(section);
    if (!s)
        return defaultValue;
    const int i = findKey(*s, key);
    return i < 0 ? defaultValue : s->lines[i].value;
}

int IniFile::readInteger(const QString &section, const QString &key, int defaultValue) const
{
    const QString text = readString(section, key);
    bool ok = false;
    int value = 0;
    if (text.size() > 2 && text[0] == QLatin1Char('0') && (text[1] == QLatin1Char('x') || text[1] == QLatin1Char('X')))
        value = text.mid(2).toInt(&ok, 16);
    else
        value = text.toInt(&ok, 10);
    return ok ? value : defaultValue;
}

void IniFile::writeString(const QString &section, const QString &key, const QString &value)
{
    Section *s = find(section);
    if (!s) {
        Section added;
        added.hasHeader = true;
        added.name = section.trimmed();
        added.header = QLatin1Char('[') + added.name + QLatin1Char(']');
        m_sections.append(added);
        s = &m_sections.last();
    }
    const int i = findKey(*s, key);
    if (i >= 0) {
        Line &line = s->lines[i];
        line.value = value.trimmed();
        line.text = line.key + QLatin1Char('=') + value;
        return;
    }
    Line line;
    line.isKey = true;
    line.key = key.trimmed();
    line.value = value.trimmed();
    line.text = line.key + QLatin1Char('=') + value;
    // Behind the section's last line that is not blank, so blank lines that separate it
    // from the next section stay between them.
    qsizetype at = s->lines.size();
    while (at > 0 && isBlank(s->lines[at - 1].text))
        --at;
    s->lines.insert(at, line);
}

void IniFile::eraseSection(const QString &section)
{
    m_sections.removeIf([&](const Section &s) { return s.hasHeader && sameName(s.name, section); });
}

void IniFile::deleteKey(const QString &section, const QString &key)
{
    Section *s = find(section);
    if (!s)
        return;
    const int i = findKey(*s, key);
    if (i >= 0)
        s->lines.removeAt(i);
}

bool IniFile::sectionExists(const QString &section) const
{
    return find(section) != nullptr;
}

QStringList IniFile::sections() const
{
    QStringList names;
    for (const Section &s : m_sections) {
        if (s.hasHeader)
            names << s.name;
    }
    return names;
}

QStringList IniFile::keys(const QString &section) const
{
    QStringList names;
    if (const Section *s = find(section)) {
        for (const Line &line : s->lines) {
            if (line.isKey)
                names << line.key;
        }
    }
    return names;
}
