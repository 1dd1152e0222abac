// The export folder's text: how a folder the user accepted becomes the
// folder every export writes into.
#pragma once

#include <string>

namespace tessaron {

// Splits `folder` at every '/', drops the empty pieces and joins the rest
// with single separators, ending in exactly one '/'.  A leading '/' is kept,
// so an absolute folder stays absolute ("/home/u//out" -> "/home/u/out/",
// "///" -> "/") and a relative one stays relative ("out" -> "out/").  An
// empty text names the current folder and gives "./".
std::string NormalizeExportPath(const std::string& folder);

}  // namespace tessaron
