#include "support/TestPaths.h"

#include <filesystem>

namespace quillon::test {

std::string MakeScratchFolder(const std::string& name) {
    std::filesystem::path folder = std::filesystem::path(QUILLON_BINARY_DIR) / "scratch" / name;
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    std::filesystem::create_directories(folder);
    return folder.string();
}

}  // namespace quillon::test
