// Tessaron Explorer: a viewer and exporter for FLX sprite archives.  It
// takes no command-line arguments.
#include "viewer.h"

int main(int argc, char** argv) { return tessaron::RunViewer(argc, argv); }
