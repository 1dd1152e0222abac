// The file-creation baseline of the end-to-end benchmark: creates the files
// of a finished export again, from memory.  It reads every file of REFDIR
// into memory first (not timed), then creates each under the same name in
// OUTDIR with the same bytes and reports how long that took.  That is the
// work no exporter can avoid; reading the archive, decoding and building the
// BMPs is what an exporter adds to it.
//
// By default each file is created exactly the way tessaron-export creates
// its files (the format core's WriteFileAtomically), so that a failed write
// can neither leave a partial file nor destroy an existing one: written
// without a name (O_TMPFILE) and linked under its name when done, or written
// under a temporary name and renamed where that is not possible.  Two other
// ways show what that discipline costs: --plain creates the file in place
// (open with truncation, write, close: cheapest, and unsafe), --rename
// writes a named temporary file and renames it (the classic safe way).
// --jobs N spreads the files over N threads.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "safe_write.h"

namespace {

struct File {
    std::string Name;
    std::vector<char> Bytes;
};

std::vector<File> ReadFolder(const std::string& folder) {
    std::vector<File> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        files.push_back({entry.path().filename().string(),
                         std::vector<char>(std::istreambuf_iterator<char>(in), {})});
    }
    std::sort(files.begin(), files.end(), [](const File& a, const File& b) { return a.Name < b.Name; });
    return files;
}

bool WriteAll(int fd, const std::vector<char>& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (put <= 0) return false;
        done += size_t(put);
    }
    return true;
}

bool CreatePlain(const std::string& path, const std::vector<char>& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    const bool written = WriteAll(fd, bytes);
    return ::close(fd) == 0 && written;
}

bool CreateByRename(const std::string& folder, const std::string& path, const std::vector<char>& bytes,
                    unsigned worker, size_t serial) {
    const std::string temporary = folder + "/.baseline-" + std::to_string(::getpid()) + "-" +
                                  std::to_string(worker) + "-" + std::to_string(serial);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    const bool written = WriteAll(fd, bytes);
    return ::close(fd) == 0 && written && ::rename(temporary.c_str(), path.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    enum class Way { Core, Plain, Rename } way = Way::Core;
    unsigned jobs = 1;
    std::vector<std::string> folders;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--plain") way = Way::Plain;
        else if (arg == "--rename") way = Way::Rename;
        else if (arg == "--jobs" && i + 1 < argc) jobs = unsigned(std::max(1, std::atoi(argv[++i])));
        else folders.push_back(arg);
    }
    if (folders.size() != 2) {
        std::cerr << "usage: baseline_writer [--plain | --rename] [--jobs N] REFDIR OUTDIR\n";
        return 2;
    }
    const std::vector<File> files = ReadFolder(folders[0]);
    const std::string out = folders[1];

    const auto start = std::chrono::steady_clock::now();
    std::filesystem::create_directories(out);
    std::atomic<size_t> next{0};
    std::atomic<bool> failed{false};
    auto work = [&](unsigned worker) {
        for (size_t i = next++; i < files.size() && !failed; i = next++) {
            const std::string path = out + "/" + files[i].Name;
            bool ok = true;
            switch (way) {
            case Way::Core:
                try {
                    const auto* bytes = reinterpret_cast<const uint8_t*>(files[i].Bytes.data());
                    tessaron::WriteFileAtomically(path, std::span<const uint8_t>(bytes, files[i].Bytes.size()));
                } catch (const std::exception&) {
                    ok = false;
                }
                break;
            case Way::Plain: ok = CreatePlain(path, files[i].Bytes); break;
            case Way::Rename: ok = CreateByRename(out, path, files[i].Bytes, worker, i); break;
            }
            if (!ok) failed = true;
        }
    };
    std::vector<std::thread> threads;
    for (unsigned w = 1; w < jobs; ++w) threads.emplace_back(work, w);
    work(0);
    for (auto& t : threads) t.join();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    if (failed) {
        std::cerr << "baseline_writer: cannot create a file in " << out << ": " << std::strerror(errno) << '\n';
        return 1;
    }
    std::printf("%zu files %.6f seconds\n", files.size(), seconds);
    return 0;
}
