#pragma once

// The closure of the travel-time tables as the plain pass loop writes it, and generated line
// networks to compare it with; shared by the tests and the table-build benchmark.

#include <algorithm>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

namespace closure_reference {

// a, c, b with b innermost, pass after pass while a travel time changed; the number of passes.
// For one (a, c) the b loop writes only [a][c], which none of its sums reads (b is neither a nor
// c), so it is written as two minima over b, reading the columns from transposed copies kept
// up to date; the rest of the loop as it stands.
inline int plainClosure(int n, std::vector<int> &t, std::vector<int> &m)
{
    std::vector<int> tT(t.size()), mT(m.size());
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c) {
            tT[c * n + r] = t[r * n + c];
            mT[c * n + r] = m[r * n + c];
        }
    int passes = 0;
    bool changed = true;
    while (changed) {
        changed = false;
        ++passes;
        for (int a = 1; a < n; ++a)
            for (int c = 1; c < n; ++c) {
                if (a == c)
                    continue;
                constexpr int none = 1 << 30;
                int s = none;
                int x = none;
                const int lo = std::min(a, c), hi = std::max(a, c);
                for (const auto &[from, to] : {std::pair(1, lo), std::pair(lo + 1, hi), std::pair(hi + 1, n)})
                    for (int b = from; b < to; ++b) {
                        s = std::min(s, t[a * n + b] + tT[c * n + b]);
                        const int ab = m[a * n + b], bc = mT[c * n + b];
                        x = std::min(x, ab == 255 || bc == 255 ? none : ab + bc + 1);
                    }
                if (t[a * n + c] > s) {
                    t[a * n + c] = s;
                    tT[c * n + a] = s;
                    changed = true;
                }
                if (x != none && (m[a * n + c] == 255 || std::min(x, 254) < m[a * n + c])) {
                    m[a * n + c] = std::min(x, 254);
                    mT[c * n + a] = std::min(x, 254);
                }
            }
    }
    return passes;
}

// The tables before the closure: both directions of every line as a chain of stops, each stop
// paired with every later one at the running sum of the minutes, the diagonal 0.
struct Network {
    int n = 0; // highest station ID + 1
    std::vector<std::vector<int>> lines;
    std::vector<int> minutes;   // n * n, 9999 for none
    std::vector<int> transfers; // n * n, 255 for none
};

inline void addChain(Network &net, const std::vector<int> &stops, const std::vector<int> &legMinutes)
{
    const int n = net.n;
    for (std::size_t i = 0; i < stops.size(); ++i) {
        int sum = 0;
        for (std::size_t k = i + 1; k < stops.size(); ++k) {
            sum += legMinutes[k - 1];
            int &t = net.minutes[std::size_t(stops[i] * n + stops[k])];
            if (stops[i] != stops[k] && t > sum) {
                t = sum;
                net.transfers[std::size_t(stops[i] * n + stops[k])] = 0;
            }
        }
    }
}

// A network of the given number of stations: one line per nine stations, each with eight stops
// of its own and eight change stations shared with other lines, two to four minutes a leg.
inline Network generateNetwork(int stations, unsigned seed)
{
    std::mt19937 random(seed);
    Network net;
    net.n = stations + 1;
    net.minutes.assign(std::size_t(net.n) * std::size_t(net.n), 9999);
    net.transfers.assign(std::size_t(net.n) * std::size_t(net.n), 255);
    const int lineCount = std::max(1, stations / 9);
    const int own = 8;
    const int hubs = std::max(8, stations - lineCount * own);
    for (int l = 0; l < lineCount; ++l) {
        std::vector<int> stops;
        for (int k = 0; k < own; ++k) {
            int hub = 1 + int(random() % unsigned(hubs));
            while (std::find(stops.begin(), stops.end(), hub) != stops.end())
                hub = 1 + int(random() % unsigned(hubs));
            stops.push_back(hub);
            const int ownStation = hubs + 1 + l * own + k;
            if (ownStation <= stations)
                stops.push_back(ownStation);
        }
        std::vector<int> legs;
        for (std::size_t k = 0; k + 1 < stops.size(); ++k)
            legs.push_back(2 + int(random() % 3));
        addChain(net, stops, legs);
        std::vector<int> back(stops.rbegin(), stops.rend());
        std::vector<int> backLegs(legs.rbegin(), legs.rend());
        addChain(net, back, backLegs);
        net.lines.push_back(stops);
    }
    for (int i = 1; i < net.n; ++i)
        net.minutes[std::size_t(i * net.n + i)] = 0;
    return net;
}

} // namespace closure_reference
