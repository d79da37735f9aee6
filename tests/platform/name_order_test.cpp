#include "platform/name_order.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <algorithm>

TEST(NameOrder, CaseAndUmlautsSortBesideTheirLetters)
{
    QStringList names{"Zentrum", "a", "Übersicht", "C", "B", "Ährenfeld", "Aachen", "Straße", "Strasse 2",
                      "Strand", "école", "Ende", "ubahn"};
    std::stable_sort(names.begin(), names.end(), NameLess);
    EXPECT_EQ(names, (QStringList{"a", "Aachen", "Ährenfeld", "B", "C", "école", "Ende", "Strand", "Straße",
                                  "Strasse 2", "ubahn", "Übersicht", "Zentrum"}));

    // Names that differ only in case or marks still have one order, the same either way round.
    EXPECT_LT(CompareNames("Muller", "Müller"), 0);
    EXPECT_GT(CompareNames("Müller", "Muller"), 0);
    EXPECT_NE(CompareNames("abc", "ABC"), 0);
    EXPECT_EQ(CompareNames("ABC", "abc"), -CompareNames("abc", "ABC"));
    EXPECT_EQ(CompareNames("Markt", "Markt"), 0);
    EXPECT_EQ(CompareNames(QString(), QString()), 0);
    EXPECT_LT(CompareNames(QString(), "A"), 0);
}
