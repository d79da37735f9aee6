#include "query/query.h"
#include "query_project.h"

#include <random>

namespace {

QString pairsText(const QVector<TripPair> &pairs)
{
    QStringList parts;
    for (const TripPair &p : pairs)
        parts << QStringLiteral("(%1,%2)").arg(p.Departure).arg(p.Arrival);
    return parts.join(QLatin1Char(' '));
}

LegWindow window(int qt, int bound = 720)
{
    LegWindow w;
    w.QueryTime = qt;
    w.Window = qt + bound;
    w.MinArrival = qt;
    return w;
}

TEST(QueryTripPairs, WindowIntervalBlocksAndCuts)
{
    LastTrip last;
    // 07:50, 08:10 and 20:30: only 08:10 lies in the window; 20:30 stops the reading.
    EXPECT_EQ(pairsText(CollectTripPairs({470, 490, 1230, 500}, {485, 505, 1245, 515}, window(480), last)),
              "(490,505)");
    // The last minute of the second service day is still a time.
    LastTrip late;
    EXPECT_EQ(pairsText(CollectTripPairs({2870}, {2879}, window(2860), late)), "(2870,2879)");
    EXPECT_EQ(last.Departure, 490);
    EXPECT_EQ(last.Arrival, 505);

    // An interval block between two trips; with 10 and 15 minutes the step is 30.
    last = LastTrip();
    EXPECT_EQ(pairsText(CollectTripPairs({480, -10, 510}, {500, -10, 530}, window(480), last)),
              "(480,500) (490,510) (500,520) (510,530)");
    last = LastTrip();
    EXPECT_EQ(pairsText(CollectTripPairs({480, -10, 570}, {500, -15, 590}, window(480), last)),
              "(480,500) (510,530) (540,560) (570,590)");
    // Generated times that miss the closing trip do not add it.
    last = LastTrip();
    EXPECT_EQ(pairsText(CollectTripPairs({480, -20, 510}, {500, -20, 530}, window(480), last)), "(480,500) (500,520)");
    // A block that starts before the query time yields only what falls into the window.
    last = LastTrip();
    EXPECT_EQ(pairsText(CollectTripPairs({440, -10, 500}, {455, -10, 515}, window(480), last)),
              "(480,495) (490,505) (500,515)");

    // A leg that is not the last stops where the travel still needed passes the window.
    LegWindow w = window(480, 100);
    w.LastLeg = false;
    w.CutEstimate = 30;
    last = LastTrip();
    EXPECT_EQ(pairsText(CollectTripPairs({500, 540, 560}, {510, 550, 570}, w, last)), "(500,510) (540,550)");
    w.CutEstimate = 9999; // no known travel cuts nothing
    EXPECT_EQ(pairsText(CollectTripPairs({500, 540, 560}, {510, 550, 570}, w, last)), "(500,510) (540,550) (560,570)");
    // Later legs take only arrivals after the shortest travel to their start.
    w = window(480);
    w.MinArrival = 480 + 25;
    last = LastTrip();
    EXPECT_EQ(pairsText(CollectTripPairs({490, 500}, {500, 510}, w, last)), "(500,510)");
    // 9999 (no stop) at the departure is skipped; at the arrival the trip gives no pair.
    last = LastTrip();
    EXPECT_EQ(pairsText(CollectTripPairs({9999, 490, 495}, {500, 9999, 505}, window(480), last)), "(495,505)");
}

// A timetable ordered by its trips' first times can pass a later stop out of order: a row past
// the window is passed over there, and every trip inside the window still counts.
TEST(QueryTripPairs, RowsOutOfOrderAtAStop)
{
    const QVector<int> dep{500, 600, 520, 540};
    const QVector<int> arr{530, 630, 550, 560};
    EXPECT_FALSE(DeparturesInOrder(dep));
    EXPECT_TRUE(DeparturesInOrder({470, -10, 9999, 500, 500, 600}));
    LegWindow w = window(480, 100);
    w.Ordered = false;
    LastTrip last;
    EXPECT_EQ(pairsText(CollectTripPairs(dep, arr, w, last)), "(500,530) (520,550) (540,560)");
    // In order, the first row past the window still ends the leg, as it always did.
    w.Ordered = true;
    last = LastTrip();
    EXPECT_EQ(pairsText(CollectTripPairs(dep, arr, w, last)), "(500,530)");

    // A passed-over row is the last trip for the block after it: the block starts from it, not
    // from an earlier trip, so it generates nothing inside the window.
    w.Ordered = false;
    last = LastTrip();
    EXPECT_EQ(pairsText(CollectTripPairs({500, 600, -10, 620, 520}, {530, 630, -10, 650, 550}, w, last)),
              "(500,530) (520,550)");

    // A leg that is not the last passes over the rows that its cut would end it at.
    w = window(480, 100);
    w.LastLeg = false;
    w.CutEstimate = 30;
    w.Ordered = false;
    last = LastTrip();
    EXPECT_EQ(pairsText(CollectTripPairs({500, 560, 540}, {510, 570, 550}, w, last)), "(500,510) (540,550)");
}

// An interval block with no explicit trip before it in the same leg generates nothing: neither
// from 0 nor from the previous leg's last trip.
TEST(QueryTripPairs, IntervalBlockWithoutATripBeforeIt)
{
    LastTrip last;
    EXPECT_EQ(pairsText(CollectTripPairs({-10, 510}, {-10, 530}, window(480), last)), "(510,530)");
    last = LastTrip{470, 480};
    EXPECT_EQ(pairsText(CollectTripPairs({-10, 510}, {-10, 530}, window(480), last)), "(510,530)");
}

class QueryResultList : public QueryProject
{
protected:
    static DetailConnectionItem item(int line, int dep, int arr, int transfers = 0, int qt = 480)
    {
        DetailConnectionItem d;
        d.Legs << ConnectionLeg{line, 1, 2, dep, arr};
        d.FirstDeparture = dep;
        d.ArrivalIn = arr - qt;
        d.Transfers = transfers;
        return d;
    }
    static QString listText()
    {
        QStringList parts;
        for (const DetailConnectionItem &d : ResultList) {
            QStringList legs;
            for (const ConnectionLeg &l : d.Legs)
                legs << QStringLiteral("L%1 %2-%3").arg(l.LineID).arg(l.Departure).arg(l.Arrival);
            parts << QStringLiteral("%1/%2 %3").arg(d.ArrivalIn).arg(d.Transfers).arg(legs.join(QLatin1Char('+')));
        }
        return parts.join(QStringLiteral(" | "));
    }
};

TEST_F(QueryResultList, CombinationsKeepTheChange)
{
    ResultList.clear();
    ArrivalBound = 720;
    QVector<ConnectionLeg> legs{{1, 1, 2, 0, 0}, {2, 2, 3, 0, 0}};
    EXPECT_TRUE(CombineLegPairs(legs, {{{480, 500}}, {{500, 530}, {501, 540}}}, 480, 1));
    EXPECT_EQ(listText(), "60/1 L1 480-500+L2 501-540");
}

TEST_F(QueryResultList, FullListOrderAndDuplicates)
{
    ResultList.clear();
    ArrivalBound = 720;
    for (int i = 0; i < 10; ++i)
        OfferConnection(item(i + 1, 480, 480 + 36 + i));
    EXPECT_EQ(ArrivalBound, 45);
    EXPECT_FALSE(OfferConnection(item(20, 490, 525)));
    EXPECT_EQ(ResultList.last().Legs[0].LineID, 10);
    EXPECT_TRUE(OfferConnection(item(21, 490, 524)));
    EXPECT_EQ(ResultList.size(), 10);
    EXPECT_EQ(ResultList.last().ArrivalIn, 44);
    EXPECT_EQ(ArrivalBound, 44);

    // Equal ArrivalIn: fewer transfers first, else the earlier stays first.
    ResultList.clear();
    MaxConnections = 5;
    OfferConnection(item(1, 480, 500, 2));
    OfferConnection(item(2, 481, 500, 1));
    OfferConnection(item(3, 482, 500, 1));
    OfferConnection(item(4, 483, 500, 2));
    EXPECT_EQ(listText(), "20/1 L2 481-500 | 20/1 L3 482-500 | 20/2 L1 480-500 | 20/2 L4 483-500");

    // The same connection found again changes nothing.
    ArrivalBound = 99;
    EXPECT_FALSE(OfferConnection(item(3, 482, 500, 1)));
    EXPECT_EQ(ResultList.size(), 4);
    EXPECT_EQ(ArrivalBound, 99);
    EXPECT_TRUE(OfferConnection(item(3, 482, 499, 1)));
    EXPECT_EQ(listText(), "19/1 L3 482-499 | 20/1 L2 481-500 | 20/1 L3 482-500 | 20/2 L1 480-500 | 20/2 L4 483-500");
    EXPECT_EQ(ArrivalBound, 20);
}

// The plain odometer: every combination, last leg fastest, each valid one offered.
void plainOdometer(const QVector<ConnectionLeg> &legs, const QVector<QVector<TripPair>> &pairs, int qt, int transfers)
{
    const int m = legs.size();
    QVector<int> at(m, 0);
    while (true) {
        bool valid = true;
        for (int k = 1; k < m && valid; ++k)
            valid = pairs[k][at[k]].Departure >= pairs[k - 1][at[k - 1]].Arrival + MinChangeMinutes;
        if (valid) {
            DetailConnectionItem d;
            for (int k = 0; k < m; ++k) {
                ConnectionLeg leg = legs[k];
                leg.Departure = pairs[k][at[k]].Departure;
                leg.Arrival = pairs[k][at[k]].Arrival;
                d.Legs << leg;
            }
            d.FirstDeparture = d.Legs.first().Departure;
            d.ArrivalIn = d.Legs.last().Arrival - qt;
            d.Transfers = transfers;
            OfferConnection(d);
        }
        int k = m - 1;
        while (k >= 0 && ++at[k] == pairs[k].size())
            at[k--] = 0;
        if (k < 0)
            return;
    }
}

TEST_F(QueryResultList, SkippingCombinationsGivesThePlainOdometersList)
{
    std::mt19937 random(1234);
    for (int round = 0; round < 200; ++round) {
        MaxConnections = 1 + int(random() % 12);
        QVector<QVector<QVector<TripPair>>> routes;
        QVector<QVector<ConnectionLeg>> routeLegs;
        for (int r = 0; r < 3; ++r) {
            const int m = 1 + int(random() % 4);
            QVector<QVector<TripPair>> pairs(m);
            QVector<ConnectionLeg> legs;
            for (int k = 0; k < m; ++k) {
                legs << ConnectionLeg{r * 10 + k, k, k + 1, 0, 0};
                const int count = 1 + int(random() % 8);
                for (int i = 0; i < count; ++i) {
                    const int dep = 480 + int(random() % 120) + k * 20;
                    pairs[k] << TripPair{dep, dep + int(random() % 40) - 3}; // now and then it arrives early
                }
            }
            routes << pairs;
            routeLegs << legs;
        }
        QStringList results;
        for (int pass = 0; pass < 2; ++pass) {
            ResultList.clear();
            ArrivalBound = 720;
            for (int r = 0; r < routes.size(); ++r) {
                if (pass == 0)
                    plainOdometer(routeLegs[r], routes[r], 480, r);
                else
                    EXPECT_TRUE(CombineLegPairs(routeLegs[r], routes[r], 480, r));
            }
            results << listText() + QStringLiteral(" bound ") + QString::number(ArrivalBound);
        }
        ASSERT_EQ(results[0], results[1]) << "round " << round;
    }
}

// A clock that jumps past the limit once the first connection has entered the list: the
// combinations stop at their next poll, and what entered stays.
TEST_F(QueryResultList, TimeLimitCutsTheCombinations)
{
    const QDateTime t0(QDate(2026, 1, 5), QTime(8, 0), Qt::UTC);
    SearchStart = t0;
    MaxSearchTime = 60;
    MaxConnections = 1000;
    setQueryClock([t0] { return ResultList.isEmpty() ? t0 : t0.addSecs(61); });
    QVector<ConnectionLeg> legs{{1, 1, 2, 0, 0}, {2, 2, 3, 0, 0}, {3, 3, 4, 0, 0}};
    QVector<QVector<TripPair>> pairs(3);
    for (int i = 0; i < 60; ++i) {
        pairs[0] << TripPair{480 + i, 490 + i};
        pairs[1] << TripPair{500 + i, 510 + i};
        pairs[2] << TripPair{520 + i, 530 + i};
    }
    ResultList.clear();
    ArrivalBound = 720;
    EXPECT_FALSE(CombineLegPairs(legs, pairs, 480, 2));
    EXPECT_GE(ResultList.size(), 1);
    EXPECT_LT(ResultList.size(), 1000);

    // Reaching the limit is not passing it: at exactly 60 seconds the search would go on, and so
    // do the combinations.
    setQueryClock([t0] { return ResultList.isEmpty() ? t0 : t0.addSecs(60); });
    ResultList.clear();
    ArrivalBound = 720;
    EXPECT_TRUE(CombineLegPairs(legs, pairs, 480, 2));
    EXPECT_EQ(ResultList.size(), 1000);

    setQueryClock({});
    SearchStart = queryNow();
    ResultList.clear();
    EXPECT_TRUE(CombineLegPairs(legs, pairs, 480, 2));
    EXPECT_EQ(ResultList.size(), 1000);
}

// The trips of a line ordered by their first stop reach a later stop out of order; a late trip
// listed before earlier ones at that stop hides none of them.
TEST_F(QueryProject, TripsOutOfOrderAtAStopAreAllTimed)
{
    addStations({"P", "A", "B"});
    const int line = addLine("L", {"P", "A", "B"});
    addTimetable(line, 1, 1, {"P", "A", "B"},
                 {{360, 475, 510}, {370, 1110, 1140}, {380, 437, 460}, {390, 451, 470}, {400, 1070, 1079}});
    openQueryShowing();
    stopClock();
    MaxTransfers = 0;
    EXPECT_EQ(query("A", "B", 360), "Suchzeit: 00:00:00\nConnections::\n"
                                    "\nArrival in 100 minutes\nL: A to B, departure: 07:17 arrival: 07:40\n"
                                    "\nArrival in 110 minutes\nL: A to B, departure: 07:31 arrival: 07:50\n"
                                    "\nArrival in 150 minutes\nL: A to B, departure: 07:55 arrival: 08:30\n"
                                    "\nArrival in 719 minutes\nL: A to B, departure: 17:50 arrival: 17:59");
}

} // namespace
