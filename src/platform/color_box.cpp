#include "platform/color_box.h"

#include "platform/dialog_service.h"

#include <QPainter>
#include <QPixmap>

namespace {

struct NamedColor {
    std::uint32_t value;
    const char *name;
};

// The system's sixteen basic colours, in the order the colour boxes have always listed them.
constexpr NamedColor StandardColors[ColorBox::standardColorCount] = {
    {0x000000, "Schwarz"},  {0x000080, "Kastanienbraun"}, {0x008000, "Grün"},
    {0x008080, "Olivgrün"}, {0x800000, "Marineblau"},     {0x800080, "Violett"},
    {0x808000, "Blaugrün"}, {0x808080, "Grau"},           {0xC0C0C0, "Silber"},
    {0x0000FF, "Rot"},      {0x00FF00, "Limonengrün"},    {0x00FFFF, "Gelb"},
    {0xFF0000, "Blau"},     {0xFF00FF, "Fuchsienrot"},    {0xFFFF00, "Aquamarin"},
    {0xFFFFFF, "Weiß"},
};

constexpr int CustomIndex = 0;

QColor toQColor(std::uint32_t value)
{
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

QIcon swatch(std::uint32_t value)
{
    QPixmap pixmap(16, 12);
    pixmap.fill(toQColor(value));
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.drawRect(0, 0, pixmap.width() - 1, pixmap.height() - 1);
    return QIcon(pixmap);
}

} // namespace

ColorBox::ColorBox(QWidget *parent) : QComboBox(parent)
{
    setIconSize(QSize(16, 12));
    addItem(swatch(0), QStringLiteral("Benutzerdefiniert..."), QVariant::fromValue<uint>(0));
    for (const NamedColor &c : StandardColors)
        addItem(swatch(c.value), QString::fromUtf8(c.name), QVariant::fromValue<uint>(c.value));
    setCurrentIndex(-1);
    connect(this, &QComboBox::activated, this, &ColorBox::entryActivated);
}

std::uint32_t ColorBox::standardColor(int i)
{
    return i >= 0 && i < standardColorCount ? StandardColors[i].value : 0;
}

QString ColorBox::standardColorName(int i)
{
    return i >= 0 && i < standardColorCount ? QString::fromUtf8(StandardColors[i].name) : QString();
}

void ColorBox::setColorValue(std::uint32_t color)
{
    color &= 0xFFFFFF;
    for (int i = 0; i < standardColorCount; ++i) {
        if (StandardColors[i].value == color) {
            setCurrentIndex(i + 1);
            m_shownIndex = i + 1;
            update();
            return;
        }
    }
    setCustomColor(color);
    setCurrentIndex(CustomIndex);
    m_shownIndex = CustomIndex;
    update();
}

void ColorBox::clearColor()
{
    setCurrentIndex(-1);
    m_shownIndex = -1;
    update();
}

std::uint32_t ColorBox::colorValue() const
{
    return currentIndex() >= 0 ? currentData().toUInt() : 0;
}

void ColorBox::setCustomColor(std::uint32_t color)
{
    setItemData(CustomIndex, QVariant::fromValue<uint>(color));
    setItemIcon(CustomIndex, swatch(color));
}

void ColorBox::entryActivated(int index)
{
    const bool hadColor = m_shownIndex >= 0;
    const std::uint32_t before = hadColor ? itemData(m_shownIndex).toUInt() : 0;
    emit clicked();
    // A handler of clicked() may have set a colour; compare against what is shown now.
    const bool hasColorNow = m_shownIndex >= 0;
    const std::uint32_t shown = hasColorNow ? itemData(m_shownIndex).toUInt() : 0;
    std::uint32_t chosen = 0;
    if (index == CustomIndex) {
        chosen = shown;
        if (!dialogs().chooseColor(chosen)) {
            setCurrentIndex(m_shownIndex);
            return;
        }
        chosen &= 0xFFFFFF;
        setColorValue(chosen);
    } else if (index > CustomIndex && index < count()) {
        chosen = itemData(index).toUInt();
        setCurrentIndex(index);
        m_shownIndex = index;
    } else {
        return;
    }
    if (!hadColor || !hasColorNow || chosen != before || chosen != shown)
        emit colorChanged(chosen);
}
