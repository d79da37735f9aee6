#include "app/showinfo.h"

#include "data/main_globals.h"

#include <QIcon>

TAboutBox *AboutBox = nullptr;

// The icon lives in this static library's resources, which the linker keeps only when asked.
static void initAppResources() { Q_INIT_RESOURCE(app); }

QIcon ProgramIconImage()
{
    static const bool loaded = (initAppResources(), true);
    Q_UNUSED(loaded);
    return QIcon(QStringLiteral(":/icons/korvalin-pro.png"));
}

TAboutBox::TAboutBox(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    // A fixed dialog border: the box neither grows nor shrinks.
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    ProgramIcon->setPixmap(ProgramIconImage().pixmap(64, 64));
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
}

void TAboutBox::showEvent(QShowEvent *event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TAboutBox::FormShow()
{
    lProductName->setText(ProductTitle);
    lVersion->setText(QStringLiteral("Version ") + ProgVersion);
    lCopyright->setText(QStringLiteral("Copyright \u00A9 The Korvalin Pro developers"));
    lComments->setText(QStringLiteral("Timetable data, connection queries, line network plans and websites "
                                      "for local public transport."));
}
