#include "export_folder.h"

namespace tessaron {

std::string NormalizeExportPath(const std::string& folder)
{
    if (folder.empty())
        return "./";

    std::string result;
    if (folder.front() == '/')
        result.push_back('/');

    size_t start = 0;
    while (start < folder.size()) {
        size_t end = folder.find('/', start);
        if (end == std::string::npos)
            end = folder.size();
        if (end > start) {
            result.append(folder, start, end - start);
            result += '/';
        }
        start = end + 1;
    }
    return result;
}

}  // namespace tessaron
