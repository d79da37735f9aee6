#include "app/first_save_dlg.h"

#include "support/app_environment.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

TEST(FirstSaveNotice, ReadOnlyAndOkClosesIt)
{
    TDlgFirstSave notice;
    auto *info = notice.findChild<QPlainTextEdit *>(QStringLiteral("mInfo"));
    ASSERT_NE(info, nullptr);
    EXPECT_TRUE(info->isReadOnly());

    auto *ok = notice.findChild<QPushButton *>(QStringLiteral("BitBtn1"));
    ASSERT_NE(ok, nullptr);
    QTimer::singleShot(0, ok, &QPushButton::click);
    EXPECT_EQ(notice.exec(), QDialog::Accepted);
}
