// The web-copy window's "Paste HTML" on a page table one row of 400,000 cells wide: the table
// pick, the parse with its text widths and the work grid's view taking the new columns.
#include "platform/dialog_service.h"
#include "platform/string_grid.h"
#include "web/web_copy.h"

#include <QApplication>
#include <QPushButton>

#include <benchmark/benchmark.h>

namespace {

// Hands the page's HTML over as the clipboard's text; nothing else is asked of it.
class ClipboardOnly : public DialogService
{
public:
    QString text;
    void showMessage(const QString &) override {}
    void showError(const QString &, const QString &) override {}
    bool askYesNo(const QString &) override { return false; }
    Answer askYesNoCancel(const QString &) override { return Answer::No; }
    void beep() override {}
    QString getOpenFileName(const QString &, const QString &, const QString &, const QString &) override { return {}; }
    QString getSaveFileName(const QString &, const QString &, const QString &, const QString &) override { return {}; }
    QString getExistingDirectory(const QString &, const QString &) override { return {}; }
    bool shellOpen(const QString &) override { return false; }
    bool chooseColor(std::uint32_t &) override { return false; }
    bool chooseFont(FontValue &, bool, bool) override { return false; }
    QString clipboardText() override { return text; }
    void setClipboardText(const QString &t) override { text = t; }
};

TfmWebCopy *window = nullptr;

void BM_PasteWideTable(benchmark::State &state)
{
    const int cells = int(state.range(0));
    ClipboardOnly clipboard;
    setDialogService(&clipboard);
    QString html = QStringLiteral("<table><tr><td>Market</td>");
    html.reserve(cells * 16);
    for (int c = 1; c < cells; ++c)
        html += QStringLiteral("<td>%1:%2</td>").arg(c / 60 % 24, 2, 10, QLatin1Char('0')).arg(c % 60, 2, 10, QLatin1Char('0'));
    html += QStringLiteral("</tr></table>");
    clipboard.text = html;

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
    setDialogService(nullptr);
}
BENCHMARK(BM_PasteWideTable)->Arg(20000)->Arg(400000)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    window = new TfmWebCopy;
    window->show();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    delete window;
    return 0;
}
