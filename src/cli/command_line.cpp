#include "command_line.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <memory>

#include "modding_exports.h"
#include "naming.h"
#include "records.h"
#include "reporters.h"

namespace tessaron::cli {
namespace {

std::string NoBlockMessage(const TArchive& archive, uint32_t entry) {
    const uint32_t count = ReadLE32(archive.FHeader + kFlxCountOffset);
    const std::string which = "entry " + BlockItemText(entry);
    if (entry >= count)
        return "the archive has no " + which + ": it has " + std::to_string(count) + " entries";
    return "the archive has no block at " + which + ": that entry is empty";
}

// Creates the folder with its parents when missing; empty on success.
std::string PrepareFolder(const std::string& folder) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (fs::is_directory(folder)) return {};
    return "cannot create folder " + folder + ": " +
           (ec ? ec.message() : std::string("a file of that name is in the way"));
}

std::string Plural(size_t n, const char* word) {
    return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

// The choices about images that CLI11 cannot check by itself.
void CheckImageOptions(const Options& options, bool formatGiven) {
    if (options.Raw && options.Png)
        throw CLI::ValidationError("--raw writes records as stored, not images: it cannot go with --format png");
    if (options.Sheet && formatGiven && !options.Png)
        throw CLI::ValidationError("--sheet writes PNG sheets: it cannot go with --format bmp");
    if (options.Transparent && !options.Png && !options.Sheet)
        throw CLI::ValidationError("--transparent needs --format png or --sheet: a BMP has no transparency");
}

}  // namespace

std::optional<uint32_t> ParseEntryNumber(const std::string& text) {
    std::string digits = text;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X'))
        digits = digits.substr(2);
    if (digits.empty() || digits.size() > 8) return std::nullopt;
    uint32_t value = 0;
    for (char c : digits) {
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return std::nullopt;
        value = value << 4 | uint32_t(d);
    }
    return value;
}

int Run(const Options& options, std::ostream& out, Reporter& reporter) {
    TArchive archive;
    // A BMP or raw export walks the archive once and reads each block's frame
    // table when it gets there, so its memory does not grow with the archive.
    const bool walksOnce = !options.List && !options.Png && !options.Sheet;
    archive.FKeepFrameTables = !walksOnce;
    if (std::string problem = OpenForExport(options.Archive, archive); !problem.empty()) {
        reporter.Problem(problem);
        return kExitFailed;
    }
    std::optional<uint32_t> block;
    if (options.Entry) {
        block = FindBlockByEntry(archive, *options.Entry);
        if (!block) {
            reporter.Problem(NoBlockMessage(archive, *options.Entry));
            return kExitFailed;
        }
    }
    const std::vector<FrameJob> jobs = walksOnce ? std::vector<FrameJob>{} : PlanFrames(archive, options.ShowTiny, block);

    if (options.List) {
        if (options.Json)
            PrintIndexJson(archive, options.ShowTiny, block, out);
        else
            ListFrames(archive, jobs, out);
        if (!out.flush()) {
            reporter.Problem("cannot write the listing");
            return kExitFailed;
        }
        return kExitOk;
    }

    std::string folder = options.OutDir;
    if (std::string problem = PrepareFolder(folder); !problem.empty()) {
        reporter.Problem(problem);
        return kExitFailed;
    }
    if (folder.back() != '/') folder += '/';

    const ExportSummary summary =
        options.Sheet ? ExportSheets(archive, options.ShowTiny, block, folder, options.Transparent, reporter)
        : options.Png ? ExportPngFrames(archive, jobs, folder, options.Transparent, reporter)
                      : ExportArchiveFrames(archive, options.ShowTiny, block, folder, options.Raw, reporter,
                                            ResolveJobCount(options.Jobs));
    if (summary.Complete()) return kExitOk;
    std::string line = Plural(summary.Written, "file") + " written";
    if (summary.Skipped) line += ", " + Plural(summary.Skipped, "frame") + " skipped";
    if (summary.WriteFailed) line += "; stopped at a file that could not be written";
    reporter.Problem(line);
    return kExitFailed;
}

int Main(int argc, const char* const* argv, std::ostream& out, std::ostream& err, bool progressBar) {
    CLI::App app{
        "Exports the frames of an FLX sprite archive as 8-bit BMP (or PNG) files, or\n"
        "lists them.\n"
        "Without --block every visible frame of every block is exported; frames of\n"
        "51 bytes or fewer are tiny and left out unless --show-tiny is given.\n"
        "Files are named after the entry and frame numbers, e.g. 01a_005.bmp.",
        kProgramName};
    app.footer(
        "Exit status: 0 when everything asked for was written, 1 when the archive\n"
        "cannot be used or some frames or files failed (each is named on stderr),\n"
        "2 for a wrong command line.");

    Options options;
    std::string entryText;
    app.add_flag("--show-tiny", options.ShowTiny, "Also take frames of 51 bytes or fewer");
    auto* raw = app.add_flag("--raw", options.Raw,
                             "Write each frame's record exactly as stored (.res) instead of a BMP");
    app.add_option("--block", entryText, "Only the block of this archive entry number (hexadecimal, e.g. 1A)")
        ->type_name("HEX")
        ->check(CLI::Validator(
            [](std::string& text) {
                return ParseEntryNumber(text) ? std::string() : "not a hexadecimal entry number: " + text;
            },
            ""));
    app.add_option("--jobs,-j", options.Jobs,
                   "Threads to use (default: one per processor core): the others read, decode and write "
                   "frames ahead while one puts the files in place in order; the files are the same "
                   "whatever the number")
        ->type_name("N")
        ->check(CLI::Range(1u, kMaxJobs));
    std::string formatText = "bmp";
    auto* format = app.add_option("--format", formatText, "Image format of the frames: bmp (the default) or png")
                       ->type_name("FORMAT")
                       ->check(CLI::IsMember({"bmp", "png"}));
    auto* transparent = app.add_flag("--transparent", options.Transparent,
                                     "Make index 0x44, the untouched background, transparent in PNG files");
    auto* sheet = app.add_flag("--sheet", options.Sheet,
                               "Write one PNG sprite sheet per block (e.g. 01a.png) with its frame "
                               "rectangles in 01a.json, instead of one file per frame");
    auto* list = app.add_flag("--list", options.List,
                              "Print each frame's name and raw size, tab-separated, instead of exporting");
    app.add_flag("--json", options.Json,
                 "With --list: print the whole index as JSON (blocks and all frames, with offsets, "
                 "sizes and whether each frame is visible)")
        ->needs(list);
    app.add_option("ARCHIVE", options.Archive, "The FLX archive to read")->required();
    auto* outDir = app.add_option("OUTDIR", options.OutDir,
                                  "The folder to write into; created when missing, same-name files are replaced");
    list->excludes(raw);
    list->excludes(outDir);
    for (auto* exportOnly : {format, transparent, sheet}) list->excludes(exportOnly);
    sheet->excludes(raw);

    try {
        app.parse(argc, argv);
        if (!options.List && options.OutDir.empty()) throw CLI::RequiredError("OUTDIR");
        options.Png = formatText == "png";
        CheckImageOptions(options, format->count() > 0);
    } catch (const CLI::ParseError& e) {
        const int status = app.exit(e, out, err);
        return status == 0 ? kExitOk : kExitUsage;
    }
    if (!entryText.empty()) options.Entry = ParseEntryNumber(entryText);

    std::unique_ptr<Reporter> reporter;
    if (progressBar && !options.List)
        reporter = std::make_unique<TerminalReporter>(err);
    else
        reporter = std::make_unique<PlainReporter>(err);
    return Run(options, out, *reporter);
}

}  // namespace tessaron::cli
