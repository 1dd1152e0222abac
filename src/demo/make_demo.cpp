// tessaron-make-demo OUT.flx: writes the demo archive.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>

#include "archive_builder.h"
#include "demo_archive.h"

int main(int argc, char** argv) {
    CLI::App app{"Writes the demo FLX archive: sprites drawn in code, in the game palette's colours."};
    std::string out;
    app.add_option("OUT", out, "the archive to write (replaced when it exists)")->required();
    CLI11_PARSE(app, argc, argv);

    const auto bytes = tessaron::demo::DemoArchive().Bytes();
    if (!tessaron::writer::WriteFileBytes(out, bytes)) {
        std::fprintf(stderr, "tessaron-make-demo: cannot write %s\n", out.c_str());
        return 1;
    }
    return 0;
}
