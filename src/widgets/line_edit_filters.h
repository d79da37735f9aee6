#pragma once

#include <QObject>

class QLineEdit;

// Puts one of the program's key filters in front of a line edit: the filter sees each typed
// character first and lets it through, changes it or drops it (a dropped key beeps, as the
// fields of the program answer refused input).
enum class KeyFilterKind { Digit, Decimal, Hex, Integer, EnterToNext };

class LineEditKeyFilter : public QObject
{
public:
    LineEditKeyFilter(QLineEdit *edit, KeyFilterKind kind);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLineEdit *m_edit;
    KeyFilterKind m_kind;
};

// Installs a filter owned by the edit.
void installKeyFilter(QLineEdit *edit, KeyFilterKind kind);
