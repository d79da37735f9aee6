#pragma once

#include <QComboBox>

#include <cstdint>

// A combo box for one colour: the 16 standard colours, each with its swatch and name, and
// a custom entry at the top. A colour that is none of the standard ones is shown by the
// custom entry; choosing the custom entry asks for a colour through the dialog service.
// Colours are colour values, red in the low byte (Red + Green*256 + Blue*65536).
class ColorBox : public QComboBox
{
    Q_OBJECT

public:
    explicit ColorBox(QWidget *parent = nullptr);

    // Shows `color`: its standard entry, or the custom entry showing it. Emits nothing.
    void setColorValue(std::uint32_t color);
    // Shows no colour (no entry selected). Emits nothing.
    void clearColor();
    // The shown colour; 0 (black) while none is shown.
    std::uint32_t colorValue() const;
    bool hasColor() const { return currentIndex() >= 0; }

    // The number of standard colours and their values and names, in list order.
    static constexpr int standardColorCount = 16;
    static std::uint32_t standardColor(int i);
    static QString standardColorName(int i);

signals:
    // The user picked an entry (before the custom entry's colour dialog).
    void clicked();
    // The user chose a colour other than the one shown; not emitted by the setters, nor
    // when the colour dialog was cancelled.
    void colorChanged(std::uint32_t color);

private:
    void entryActivated(int index);
    void setCustomColor(std::uint32_t color);
    int m_shownIndex = -1; // the entry shown before the user's pick, to restore after a cancel
};
