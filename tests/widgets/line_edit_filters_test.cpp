#include "widgets/line_edit_filters.h"

#include "support/app_environment.h"
#include "support/scripted_dialogs.h"

#include <QLineEdit>
#include <QTest>

namespace {

QString typeInto(KeyFilterKind kind, const QString &start, const QString &keys, int *beeps = nullptr)
{
    ScriptedDialogs dialogs;
    QLineEdit edit;
    edit.setText(start);
    installKeyFilter(&edit, kind);
    QTest::keyClicks(&edit, keys);
    if (beeps)
        *beeps = dialogs.beeps;
    return edit.text();
}

} // namespace

TEST(LineEditKeyFilters, FieldsTakeOnlyTheirCharacters)
{
    int beeps = 0;
    EXPECT_EQ(typeInto(KeyFilterKind::Digit, "", "1a2-3", &beeps), "123");
    EXPECT_EQ(beeps, 2);
    EXPECT_EQ(typeInto(KeyFilterKind::Decimal, "", "12.5,3"), "12,53");
    EXPECT_EQ(typeInto(KeyFilterKind::Hex, "", "c0ffeg"), "C0FFE");
}

TEST(LineEditKeyFilters, IntegerMinusLandsInFront)
{
    EXPECT_EQ(typeInto(KeyFilterKind::Integer, "", "12-"), "-12");
    EXPECT_EQ(typeInto(KeyFilterKind::Integer, "", "-5-"), "-5");
}
