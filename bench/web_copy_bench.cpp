// The web-copy window's "Paste HTML" on a page table one row of 400,000 cells wide: the table
// pick, the parse with its text widths and the work grid's view taking the new columns.
#include "platform/dialog_service.h"
#include "platform/string_grid.h"
#include "web/browser_engine.h"
#include "web/web_copy.h"

#include <QApplication>
#include <QPushButton>

#include <benchmark/benchmark.h>

namespace {

TfmWebCopy *window = nullptr;

void BM_PasteWideTable(benchmark::State &state)
{
    const int cells = int(state.range(0));
    QString html = QStringLiteral("<table><tr><td>Market</td>");
    html.reserve(cells * 16);
    for (int c = 1; c < cells; ++c)
        html += QStringLiteral("<td>%1:%2</td>").arg(c / 60 % 24, 2, 10, QLatin1Char('0')).arg(c % 60, 2, 10, QLatin1Char('0'));
    html += QStringLiteral("</tr></table>");
    // No service is installed: the silent one that stands in for tools holds the clipboard.
    dialogs().setClipboardText(html);

    StringGrid timetable(3, 4);
    timetable.setCell(1, 2, QStringLiteral("Market"));
    window->setTimeTableGrid(&timetable);
    auto *paste = window->findChild<QPushButton *>(QStringLiteral("btPaste"));
    for (auto _ : state) {
        paste->click();
        QCoreApplication::processEvents();
    }
    if (window->sgWorkGrid.colCount() != cells)
        state.SkipWithError("the table was not loaded");
    window->setTimeTableGrid(nullptr);
}
BENCHMARK(BM_PasteWideTable)->Arg(20000)->Arg(400000)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    PrepareBrowserEngine(); // the window's browser starts when it is shown
    QApplication app(argc, argv);
    window = new TfmWebCopy;
    window->show();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    delete window;
    return 0;
}
