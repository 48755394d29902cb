// SPDX-License-Identifier: MIT
// How long the main window takes for what a surveyor waits on, with a large field book loaded:
// opening, "Показать всё" (every run selected, the grid filled), a class switch, and scrolling
// the run list and the grid to their ends. Each step includes the repaint that shows it.
//
//   velmora-bench-window [--lines N] [--runs R] [--repeat K] [--dir FOLDER]
//
// Runs on any Qt platform; without a display use QT_QPA_PLATFORM=offscreen.

#include "BenchSupport.h"
#include "MainWindow.h"

#include <QApplication>
#include <QListView>
#include <QScrollBar>
#include <QTableView>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using velmora::bench::Clock;
using velmora::bench::Median;
using velmora::bench::SecondsSince;

// Runs a step and the repaint of the whole window that follows it.
template <typename Step>
double Timed(velmora::app::MainWindow& window, Step step)
{
    const auto start = Clock::now();
    step();
    window.repaint();
    QCoreApplication::processEvents();
    return SecondsSince(start);
}

}  // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);

    velmora::bench::BenchOptions defaults;
    defaults.shape = {1'000'000, 10'000, 1};
    const auto [shape, repeat, unused, folder] = velmora::bench::ParseBenchOptions(argc, argv, defaults);
    (void)unused;

    const std::string path = velmora::bench::GeneratedFieldBook(shape, folder, "window");
    if (path.empty())
        return 1;

    std::vector<double> open, showAll, classSwitch, scrollList, scrollGrid;
    long gridRows = 0;
    for (int i = 0; i < repeat; ++i) {
        const auto start = Clock::now();
        velmora::app::MainWindow window(path);
        window.show();
        QCoreApplication::processEvents();
        open.push_back(SecondsSince(start));

        showAll.push_back(Timed(window, [&] { window.Button2Click(); }));
        gridRows = window.gridView()->model()->rowCount();
        classSwitch.push_back(
            Timed(window, [&] { window.ChooseClass(velmora::ToleranceClass::I); }));
        scrollList.push_back(Timed(window, [&] {
            QScrollBar* bar = window.runListView()->verticalScrollBar();
            bar->setValue(bar->maximum());
        }));
        scrollGrid.push_back(Timed(window, [&] {
            QScrollBar* bar = window.gridView()->verticalScrollBar();
            bar->setValue(bar->maximum());
        }));
    }

    const long entries = static_cast<long>(shape.runs);
    std::printf("%9s %7s %9s %9s %12s %12s %12s %12s\n", "lines", "runs", "grid rows", "open s",
                "show all s", "class sw s", "list end s", "grid end s");
    std::printf("%9ld %7ld %9ld %9.3f %12.3f %12.3f %12.4f %12.4f\n", shape.lines, entries,
                gridRows, Median(open), Median(showAll), Median(classSwitch), Median(scrollList),
                Median(scrollGrid));
    return gridRows > 1 ? 0 : 1;
}
