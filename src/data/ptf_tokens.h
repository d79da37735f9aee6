#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <algorithm>
#include <string_view>
#include <vector>

// The text level of the table files: the tokenizer of value lines and the builder of a file's
// text. Both keep one buffer for the whole file, so a file is read or written without an
// allocation per line or value.

// The items of value lines: 's' a quoted string (unescaped), 'b' true or false, 'u' null, 'n' a
// number as written. Items are appended line after line and their texts share one buffer.
class PtfTokens
{
public:
    struct Item {
        double number; // the value of an 'n' item
        qsizetype start;
        qsizetype length;
        char16_t kind;
        bool whole; // an 'n' item of up to 15 digits, without point, exponent or blanks
    };

    void clear()
    {
        m_items.clear();
        m_used = 0;
    }
    void reserve(qsizetype characters, qsizetype items)
    {
        m_text.reserve(characters);
        m_items.reserve(items);
    }
    // Appends the items of one line; false on a syntax error, with the items before it kept.
    bool append(QStringView line);
    // True when the line last appended ended in text that gives no item: a value without its
    // comma or a string never closed. The writer ends every value with a comma, so such text
    // was written by hand and is not read.
    bool dropped() const { return m_dropped; }
    bool parse(QStringView line)
    {
        clear();
        return append(line);
    }
    void dropFrom(qsizetype item) { m_items.resize(item); }

    qsizetype count() const { return static_cast<qsizetype>(m_items.size()); }
    const Item &item(qsizetype i) const { return m_items[i]; }
    char16_t kind(qsizetype i) const { return m_items[i].kind; }
    QStringView text(qsizetype i) const { return text(m_items[i]); }
    QStringView text(const Item &item) const { return QStringView(m_text.constData() + item.start, item.length); }

private:
    bool scan(const char16_t *in, qsizetype n, qsizetype &length);
    bool addPlainValue(qsizetype start, qsizetype end);

    QString m_text;       // grows without filling, unlike a vector
    qsizetype m_used = 0; // of m_text
    std::vector<Item> m_items;
    bool m_dropped = false;
};

// The record lines of a file (lines 3 .. n-2), tokenized once for both passes of a loader. A
// line that does not parse keeps no items.
class PtfRecords
{
public:
    struct Line {
        qsizetype first;
        qsizetype count;
        bool ok;
        bool dropped; // parsed, but text at its end gave no item (PtfTokens::dropped)
    };

    // The index of the first record line in the file's lines.
    static constexpr qsizetype kFirstRecordLine = 3;

    // The lines of a whole file, at least 4 (the record lines are all but the first three and
    // the last).
    explicit PtfRecords(const std::vector<QStringView> &lines);

    const std::vector<Line> &lines() const { return m_lines; }
    const PtfTokens &tokens() const { return m_tokens; }

private:
    PtfTokens m_tokens;
    std::vector<Line> m_lines;
};

// The bytes of a file: lines ended by CR LF; in a record line each value followed by a comma.
// Texts are encoded as they are added, so the file is built in one pass.
class PtfFileBuilder
{
public:
    void addLine(QStringView line);
    void endLine();
    void addNull() { addLiteral("null"); }
    void addBoolean(bool value) { addLiteral(value ? std::string_view("true") : std::string_view("false")); }
    void addInteger(qint64 value);
    // The general form of formatFloat: up to 15 significant digits, decimal point.
    void addFloat(double value);
    // In quotes, every backslash doubled and every quote character escaped.
    void addText(QStringView text, char16_t quote);
    // The file's bytes; the builder is empty afterwards.
    QByteArray take();
    // True when a character that Windows-1252 lacks was added: its bytes hold a "?" for it,
    // so they must not be written.
    bool lossy() const { return m_lossy; }
    // The control characters that texts held, each once: a raw line break would split its
    // record, so bytes holding one must not be written either.
    const QString &controls() const { return m_controls; }
    // How many texts added held a control character, so a writer can tell where the first is.
    qsizetype controlTexts() const { return m_controlTexts; }
    // Why the bytes must not be written, naming the first text with a control character by the
    // place the writer gives: "the field "Station" of the row with ID 11 holds a tab, which a
    // table file cannot store", with how many more texts hold such characters.
    QString controlReason(const QString &place) const;

private:
    void addLiteral(std::string_view literal);
    // Makes room for count bytes and returns where they go; commit() ends the value.
    char *room(qsizetype count)
    {
        if (m_size + count > m_data.size())
            m_data.resize(std::max(m_data.size() * 2, m_size + count)); // QByteArray grows without filling
        return m_data.data() + m_size;
    }
    void commit(char *end)
    {
        *end++ = ',';
        m_size = end - m_data.data();
    }

    char *encode(const char16_t *in, qsizetype n, char *out);

    QByteArray m_data;
    qsizetype m_size = 0;
    bool m_lossy = false;
    QString m_controls;
    qsizetype m_controlTexts = 0;
    QString m_firstControlText;
};
