// Viewer figures on Qt's offscreen platform, with the real main window:
//
//  - Open: open and index an archive of 10,000 blocks, until the tree holds
//    every node (the Open command returns once indexing is done);
//  - List: select a block of 65,535 frames until the list holds every row;
//  - Export All: the viewer's "Export &All" of a 12,000-frame archive
//    against tessaron-export --jobs 1 on the same archive, interleaved
//    rounds, medians and the ratio.
//
//   gui_bench --exporter PATH --work DIR --out DIR [--rounds 5]
//
// Results go to DIR of --out as gui.md, also printed.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <QAbstractItemModel>
#include <QTableView>
#include <QTreeWidget>

#include "application.h"
#include "bench_archive.h"
#include "dialogs.h"
#include "mainwindow.h"
#include "viewer.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// Answers the open dialog with a given file; every other dialog is
// cancelled and its text kept (a message would mean something went wrong).
class BenchDialogs : public tessaron::Dialogs {
public:
    QString NextFile;
    std::vector<QString> Messages;

    std::optional<QString> OpenFile(QWidget*, const tessaron::OpenFileRequest&) override { return NextFile; }
    std::optional<QString> SelectFolder(QWidget*, const QString&) override { return std::nullopt; }
    bool Ask(QWidget*, const QString& question) override {
        Messages.push_back(question);
        return false;
    }
    void ShowMessage(QWidget*, tessaron::MessageKind, const QString& text) override { Messages.push_back(text); }
};

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

std::string Fixed(double v, int digits) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", digits, v);
    return text;
}

// Wall time of a program run to its end; throws when it fails.
double RunProgram(const std::vector<std::string>& args) {
    const auto start = Clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::vector<char*> argv;
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    const double seconds = Seconds(start);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error(args[0] + " failed");
    return seconds;
}

size_t FilesIn(const fs::path& folder) {
    return size_t(std::distance(fs::directory_iterator(folder), fs::directory_iterator{}));
}

struct Settings {
    std::string Exporter, Work, Out;
    int Rounds = 5;
};

Settings ParseArgs(int argc, char** argv) {
    Settings s;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i], value = argv[i + 1];
        if (key == "--exporter") s.Exporter = fs::absolute(value).string();
        else if (key == "--work") s.Work = value;
        else if (key == "--out") s.Out = value;
        else if (key == "--rounds") s.Rounds = std::max(1, std::stoi(value));
        else throw std::runtime_error("unknown option " + key);
    }
    if (s.Exporter.empty() || s.Work.empty() || s.Out.empty())
        throw std::runtime_error("usage: gui_bench --exporter PATH --work DIR --out DIR [--rounds N]");
    return s;
}

}  // namespace

int main(int argc, char** argv) try {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const Settings s = ParseArgs(argc, argv);
    fs::create_directories(s.Work);
    fs::create_directories(s.Out);
    int qtArgc = 1;
    BenchDialogs dialogs;
    tessaron::TApplication app(qtArgc, argv, dialogs);
    tessaron::TViewerWindows windows = tessaron::CreateViewerWindows(dialogs);
    tessaron::TForm1& form = *windows.Form1;
    form.show();
    QCoreApplication::processEvents();

    const std::string manyBlocks = s.Work + "/blocks-10000.flx";
    const std::string bigBlock = s.Work + "/block-65535.flx";
    const std::string exportArchive = s.Work + "/archive-12000.flx";
    std::cerr << "gui_bench: making archives" << std::flush;
    tessaron::bench::WriteArchive(manyBlocks, tessaron::bench::MakeManyBlocksArchive(10000));
    tessaron::bench::WriteArchive(bigBlock, tessaron::bench::MakeBigBlockArchive(65535));
    tessaron::bench::WriteArchive(exportArchive, tessaron::bench::MakeExportArchive(12000));

    auto open = [&](const std::string& path) {
        dialogs.NextFile = QString::fromStdString(path);
        form.mmFileOpenClick();
        QCoreApplication::processEvents();
    };
    QTreeWidget* tree = form.TreeView1;

    // Open and index 10,000 blocks.
    std::vector<double> openSeconds;
    for (int round = 0; round < s.Rounds; ++round) {
        std::cerr << ", open " << round + 1 << std::flush;
        form.mmFileCloseClick();
        QCoreApplication::processEvents();
        const auto start = Clock::now();
        open(manyBlocks);
        const double seconds = Seconds(start);
        if (!tree->topLevelItem(0) || tree->topLevelItem(0)->childCount() != 10000)
            throw std::runtime_error("the tree does not hold the 10,000 blocks");
        openSeconds.push_back(seconds);
    }

    // List a block of 65,535 frames.
    std::vector<double> listSeconds;
    open(bigBlock);
    for (int round = 0; round < s.Rounds; ++round) {
        std::cerr << ", list " << round + 1 << std::flush;
        tree->setCurrentItem(tree->topLevelItem(0));  // the root: an empty list
        QCoreApplication::processEvents();
        const auto start = Clock::now();
        tree->setCurrentItem(tree->topLevelItem(0)->child(0));
        QCoreApplication::processEvents();  // the list draws its rows
        const double seconds = Seconds(start);
        if (form.ListView1->model()->rowCount() != 65535) throw std::runtime_error("the list does not hold 65,535 rows");
        listSeconds.push_back(seconds);
    }

    // Export All against tessaron-export --jobs 1, interleaved.
    open(exportArchive);
    const std::string viewerOut = s.Work + "/viewer-out";
    const std::string cliOut = s.Work + "/cli-out";
    std::vector<double> viewerSeconds, cliSeconds;
    size_t viewerFiles = 0, cliFiles = 0;
    for (int round = 0; round < s.Rounds; ++round) {
        std::cerr << ", export " << round + 1 << std::flush;
        for (int side = 0; side < 2; ++side) {
            const bool viewerSide = (side + round) % 2 == 0;
            const std::string out = viewerSide ? viewerOut : cliOut;
            fs::remove_all(out);
            fs::create_directories(out);
            ::sync();
            if (viewerSide) {
                form.FExportPath = out + "/";
                const auto start = Clock::now();
                form.mmFileExportAllClick();
                viewerSeconds.push_back(Seconds(start));
                QCoreApplication::processEvents();
                viewerFiles = FilesIn(out);
            } else {
                cliSeconds.push_back(RunProgram({s.Exporter, "--jobs", "1", exportArchive, out}));
                cliFiles = FilesIn(out);
            }
        }
    }
    fs::remove_all(viewerOut);
    fs::remove_all(cliOut);
    std::cerr << '\n';
    if (viewerFiles != cliFiles) throw std::runtime_error("the viewer and tessaron-export wrote different numbers of files");
    if (!dialogs.Messages.empty()) throw std::runtime_error("a dialog was shown: " + dialogs.Messages.front().toStdString());

    std::ostringstream md;
    md << "| viewer figure (offscreen, median of " << s.Rounds << ") | seconds |\n|---|---:|\n"
       << "| open and index 10,000 blocks (tree holds every node) | **" << Fixed(Median(openSeconds), 3) << "** |\n"
       << "| list a block of 65,535 frames | " << Fixed(Median(listSeconds), 3) << " |\n"
       << "| \"Export &All\" of the 12,000-frame archive (" << viewerFiles << " files) | "
       << Fixed(Median(viewerSeconds), 3) << " |\n"
       << "| tessaron-export --jobs 1, same archive | " << Fixed(Median(cliSeconds), 3) << " |\n"
       << "\n- Export All / tessaron-export --jobs 1: **" << Fixed(Median(viewerSeconds) / Median(cliSeconds), 2)
       << "** (target at most 1.5)\n"
       << "- open and index 10,000 blocks: **" << Fixed(Median(openSeconds), 3) << " s** (target under 1 s)\n";
    std::ofstream(s.Out + "/gui.md") << md.str();
    std::cout << md.str();
    return 0;
} catch (const std::exception& e) {
    std::cerr << "gui_bench: " << e.what() << '\n';
    return 1;
}
