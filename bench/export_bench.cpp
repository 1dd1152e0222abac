// End-to-end export benchmark: tessaron-export exporting every frame of
// generated archives, against baseline_writer creating the same files with
// the same bytes from memory.  Every variant runs once per round, the order
// rotating from round to round, so that a busy machine weighs on all of them
// alike; the figures are medians over the rounds.  Before every run the
// output folder is removed and the disk is synced (neither is timed).
//
//   export_bench --exporter PATH --baseline PATH --work DIR --out DIR
//                [--sizes 1200,12000,120000] [--main 12000] [--rounds 5] [--jobs N]
//
// --exporter and --baseline name the two programs.  Results go to --out: export.tsv (one line per archive size, for the plot) and
// export.md (the tables), also printed.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "bench_archive.h"

namespace fs = std::filesystem;

namespace {

struct Settings {
    std::string Exporter, Baseline, Work, Out;
    std::vector<uint32_t> Sizes{1200, 3000, 12000, 40000, 120000};
    uint32_t Main = 12000;
    int Rounds = 5;
    unsigned Jobs = std::max(1u, std::thread::hardware_concurrency());
};

struct RunResult {
    double Seconds = 0;
    long MaxRssKb = 0;
};

// Peak memory has to be measured from a small process: a child forked from
// this one starts with a copy of its memory, and the kernel counts that copy
// in the child's peak even after exec.  So every program is started by a
// fresh copy of this benchmark in --measure mode (see Measure), which forks
// and execs it from a process of a few megabytes and writes the program's
// wall time and peak memory to a file.
RunResult Run(const std::vector<std::string>& args, const std::string& errFile, std::string& output) {
    const std::string resultFile = errFile + ".result";
    std::vector<std::string> all = {"/proc/self/exe", "--measure", resultFile, "--"};
    all.insert(all.end(), args.begin(), args.end());
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) throw std::runtime_error("pipe failed");
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipeFds[1], 1);
        const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (err >= 0) ::dup2(err, 2);
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        std::vector<char*> argv;
        for (const auto& a : all) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    output.clear();
    char buffer[4096];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;) output.append(buffer, size_t(n));
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    RunResult result;
    std::ifstream in(resultFile);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || !(in >> result.Seconds >> result.MaxRssKb)) {
        std::ifstream err(errFile);
        std::stringstream text;
        text << err.rdbuf();
        throw std::runtime_error(args[0] + " failed (status " + std::to_string(status) + "): " + text.str());
    }
    return result;
}

// --measure FILE -- PROGRAM ARGS...: runs the program, writes "seconds
// max-rss-kb" to FILE, and exits with a failure when the program failed.
int Measure(int argc, char** argv) {
    const std::string resultFile = argv[2];
    char** program = argv + 4;
    if (argc < 5) return 2;
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::execv(program[0], program);
        ::_exit(127);
    }
    int status = 0;
    struct rusage usage {};
    ::wait4(pid, &status, 0, &usage);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::ofstream(resultFile) << seconds << ' ' << usage.ru_maxrss << '\n';
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// True when both folders hold the same file names with the same bytes.
bool SameFiles(const fs::path& a, const fs::path& b, size_t& count) {
    auto names = [](const fs::path& dir) {
        std::vector<std::string> v;
        for (const auto& e : fs::directory_iterator(dir)) v.push_back(e.path().filename().string());
        std::sort(v.begin(), v.end());
        return v;
    };
    const auto na = names(a), nb = names(b);
    count = na.size();
    if (na != nb) return false;
    for (const auto& n : na) {
        std::ifstream fa(a / n, std::ios::binary), fb(b / n, std::ios::binary);
        std::stringstream sa, sb;
        sa << fa.rdbuf();
        sb << fb.rdbuf();
        if (sa.str() != sb.str()) return false;
    }
    return true;
}

struct Variant {
    std::string Name;
    std::string Description;
    bool Baseline;  // timed by the program itself (the write phase only)
    std::vector<std::string> Args;  // before ARCHIVE/REFDIR OUTDIR
};

struct SizeResult {
    uint32_t Frames = 0;
    size_t Files = 0;
    uint64_t Bytes = 0;
    std::map<std::string, std::vector<double>> Seconds;
    std::map<std::string, std::vector<double>> RssKb;
    double Med(const std::string& v) const { return Median(Seconds.at(v)); }
};

uint64_t FolderBytes(const fs::path& dir) {
    uint64_t total = 0;
    for (const auto& e : fs::directory_iterator(dir)) total += e.file_size();
    return total;
}

std::vector<uint32_t> ParseList(const std::string& text) {
    std::vector<uint32_t> v;
    std::stringstream in(text);
    for (std::string item; std::getline(in, item, ',');) v.push_back(uint32_t(std::stoul(item)));
    return v;
}

Settings ParseArgs(int argc, char** argv) {
    Settings s;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i], value = argv[i + 1];
        if (key == "--exporter") s.Exporter = value;
        else if (key == "--baseline") s.Baseline = value;
        else if (key == "--work") s.Work = value;
        else if (key == "--out") s.Out = value;
        else if (key == "--sizes") s.Sizes = ParseList(value);
        else if (key == "--main") s.Main = uint32_t(std::stoul(value));
        else if (key == "--rounds") s.Rounds = std::max(1, std::stoi(value));
        else if (key == "--jobs") s.Jobs = unsigned(std::max(1, std::stoi(value)));
        else throw std::runtime_error("unknown option " + key);
    }
    if (s.Exporter.empty() || s.Baseline.empty() || s.Work.empty() || s.Out.empty())
        throw std::runtime_error("usage: export_bench --exporter PATH --baseline PATH --work DIR --out DIR "
                                 "[--sizes A,B,..] [--main N] [--rounds N] [--jobs N]");
    if (std::find(s.Sizes.begin(), s.Sizes.end(), s.Main) == s.Sizes.end()) s.Sizes.push_back(s.Main);
    std::sort(s.Sizes.begin(), s.Sizes.end());
    return s;
}

std::string Fixed(double v, int digits) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", digits, v);
    return text;
}

}  // namespace

int main(int argc, char** argv) try {
    if (argc > 1 && std::string(argv[1]) == "--measure") return Measure(argc, argv);
    const Settings s = ParseArgs(argc, argv);
    fs::create_directories(s.Work);
    fs::create_directories(s.Out);
    const std::string exporter = fs::absolute(s.Exporter).string();
    const std::string baseline = fs::absolute(s.Baseline).string();
    const std::string jobsText = std::to_string(s.Jobs);

    const std::vector<Variant> variants = {
        {"export", "tessaron-export --jobs " + jobsText, false, {exporter, "--jobs", jobsText}},
        {"export-j1", "tessaron-export --jobs 1", false, {exporter, "--jobs", "1"}},
        {"baseline", "baseline_writer: the same files created from memory the way tessaron-export creates "
                     "them (unnamed file linked when done), 1 thread", true, {baseline}},
        {"baseline-plain", "baseline_writer --plain: created in place, open/write/close (cheapest, unsafe)", true,
         {baseline, "--plain"}},
        {"baseline-rename", "baseline_writer --rename: named temporary file, write, rename (the classic safe way)",
         true, {baseline, "--rename"}},
        {"baseline-j" + jobsText, "baseline_writer --jobs " + jobsText + ": as `baseline`, the files shared out "
                                  "among " + jobsText + " threads (for comparison: what both cores can do)",
         true, {baseline, "--jobs", jobsText}},
    };

    std::vector<SizeResult> results;
    bool identical = true;
    size_t comparedFiles = 0;
    for (const uint32_t frames : s.Sizes) {
        SizeResult r;
        r.Frames = frames;
        const std::string archive = s.Work + "/archive-" + std::to_string(frames) + ".flx";
        const std::string ref = s.Work + "/ref-" + std::to_string(frames);
        const std::string out = s.Work + "/out";
        const std::string errFile = s.Work + "/stderr.txt";
        std::string output;

        std::cerr << "archive of " << frames << " frames: making it" << std::flush;
        tessaron::bench::WriteArchive(archive, tessaron::bench::MakeExportArchive(frames));
        fs::remove_all(ref);
        ::sync();
        std::cerr << ", reference export" << std::flush;
        Run({exporter, "--jobs", "1", archive, ref}, errFile, output);
        r.Files = size_t(std::distance(fs::directory_iterator(ref), fs::directory_iterator{}));
        r.Bytes = FolderBytes(ref);

        // Larger archives take long; fewer rounds there.
        const int rounds = frames > s.Main ? std::max(2, s.Rounds / 2) : s.Rounds;
        for (int round = 0; round < rounds; ++round) {
            std::cerr << ", round " << round + 1 << std::flush;
            for (size_t k = 0; k < variants.size(); ++k) {
                const Variant& v = variants[(k + size_t(round)) % variants.size()];
                fs::remove_all(out);
                ::sync();
                std::vector<std::string> args = v.Args;
                args.push_back(v.Baseline ? ref : archive);
                args.push_back(out);
                const RunResult run = Run(args, errFile, output);
                double seconds = run.Seconds;
                if (v.Baseline) {
                    size_t files = 0;
                    if (std::sscanf(output.c_str(), "%zu files %lf seconds", &files, &seconds) != 2 ||
                        files != r.Files)
                        throw std::runtime_error("unexpected baseline output: " + output);
                }
                r.Seconds[v.Name].push_back(seconds);
                r.RssKb[v.Name].push_back(double(run.MaxRssKb));
                if (frames == s.Main && v.Name == "export" && round == 0) identical = SameFiles(ref, out, comparedFiles);
            }
        }
        fs::remove_all(out);
        fs::remove_all(ref);
        fs::remove(archive);
        std::cerr << '\n';
        results.push_back(std::move(r));
    }

    // Tables.
    std::ostringstream md;
    md << "Variants (medians of interleaved rounds; baselines time their writing only, the exporter is timed "
          "as a whole process):\n\n";
    for (const Variant& v : variants) md << "- `" << v.Name << "`: " << v.Description << "\n";
    const std::string parallelBaseline = "baseline-j" + jobsText;
    md << "\n| archive frames | files | MB | export s | export-j1 s | baseline s | baseline-plain s"
       << " | baseline-rename s | " << parallelBaseline << " s | export / baseline | export-j1 / baseline"
       << " | export / baseline-plain | export / " << parallelBaseline << " |\n"
       << "|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n";
    std::ofstream tsv(s.Out + "/export.tsv");
    tsv << "# frames\tfiles\texport_fps\texport_j1_fps\tbaseline_fps\tbaseline_plain_fps\tbaseline_rename_fps"
           "\tbaseline_parallel_fps\n";
    for (const SizeResult& r : results) {
        const double e = r.Med("export"), e1 = r.Med("export-j1"), b = r.Med("baseline"),
                     bp = r.Med("baseline-plain"), br = r.Med("baseline-rename"), bj = r.Med(parallelBaseline);
        md << "| " << r.Frames << " | " << r.Files << " | " << Fixed(r.Bytes / 1e6, 1) << " | " << Fixed(e, 3)
           << " | " << Fixed(e1, 3) << " | " << Fixed(b, 3) << " | " << Fixed(bp, 3) << " | " << Fixed(br, 3)
           << " | " << Fixed(bj, 3) << " | **" << Fixed(e / b, 2) << "** | " << Fixed(e1 / b, 2) << " | "
           << Fixed(e / bp, 2) << " | " << Fixed(e / bj, 2) << " |\n";
        tsv << r.Frames << '\t' << r.Files << '\t' << Fixed(r.Files / e, 0) << '\t' << Fixed(r.Files / e1, 0)
            << '\t' << Fixed(r.Files / b, 0) << '\t' << Fixed(r.Files / bp, 0) << '\t' << Fixed(r.Files / br, 0)
            << '\t' << Fixed(r.Files / bj, 0) << '\n';
    }
    const SizeResult& main = *std::find_if(results.begin(), results.end(),
                                           [&](const SizeResult& r) { return r.Frames == s.Main; });
    const SizeResult& largest = results.back();
    const double rssMain = Median(main.RssKb.at("export")), rssLarge = Median(largest.RssKb.at("export"));
    const double rssMain1 = Median(main.RssKb.at("export-j1")), rssLarge1 = Median(largest.RssKb.at("export-j1"));
    md << "\nPeak memory (max RSS, median) of tessaron-export:\n\n"
       << "| archive frames | --jobs " << s.Jobs << " | --jobs 1 |\n|---:|---:|---:|\n";
    for (const SizeResult& r : results)
        md << "| " << r.Frames << " | " << Fixed(Median(r.RssKb.at("export")) / 1024, 1) << " MiB | "
           << Fixed(Median(r.RssKb.at("export-j1")) / 1024, 1) << " MiB |\n";
    md << "\nSummary (archive of " << main.Frames << " frames, " << main.Files << " files written):\n\n"
       << "- export-all (--jobs " << s.Jobs << ") / file-creation baseline: **" << Fixed(main.Med("export") / main.Med("baseline"), 2)
       << "** (target at most 1.0)\n"
       << "- export-all (--jobs 1) / file-creation baseline: " << Fixed(main.Med("export-j1") / main.Med("baseline"), 2) << "\n"
       << "- export-all (--jobs " << s.Jobs << ") / the baseline on " << s.Jobs << " threads: "
       << Fixed(main.Med("export") / main.Med(parallelBaseline), 2) << "\n"
       << "- output of --jobs " << s.Jobs << " identical to --jobs 1: " << (identical ? "yes" : "NO") << " ("
       << comparedFiles << " files compared)\n"
       << "- peak memory, archive of " << largest.Frames << " frames / archive of " << main.Frames << " frames: **"
       << Fixed(rssLarge / rssMain, 3) << "** with --jobs " << s.Jobs << ", " << Fixed(rssLarge1 / rssMain1, 3)
       << " with --jobs 1 (target at most 1.10)\n";
    std::ofstream(s.Out + "/export.md") << md.str();
    std::cout << md.str();
    return identical ? 0 : 1;
} catch (const std::exception& e) {
    std::cerr << "export_bench: " << e.what() << '\n';
    return 1;
}
