#include "board/ConfigPaths.h"

#include "platform/ModulePath.h"

namespace quillon::board {

namespace {

// In code page 936 the second byte of a double-byte character may be 0x5C, the byte of a
// backslash; such a byte belongs to its character and does not separate folders.
bool IsCodePage936LeadByte(unsigned char byte) {
    return byte >= 0x81 && byte <= 0xFE;
}

// Length of the folder part including its last backslash, 0 when there is none.
std::size_t FolderPartLength(std::string_view path) {
    std::size_t folderLength = 0;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (IsCodePage936LeadByte(static_cast<unsigned char>(path[i])) && i + 1 < path.size()) {
            ++i;
        } else if (path[i] == '\\') {
            folderLength = i + 1;
        }
    }
    return folderLength;
}

// The module path cut after its last backslash, then `name`.
std::string FileBeside(std::string_view modulePath, const char* name) {
    std::string path(modulePath.substr(0, FolderPartLength(modulePath)));
    path += name;
    return path;
}

}  // namespace

std::string BuildIniPath(std::string_view modulePath) {
    if (modulePath.size() < 4) return {};
    std::string path(modulePath.substr(0, modulePath.size() - 4));
    path += ".INI";
    return path;
}

std::string BuildIniPath() {
    return BuildIniPath(platform::ExecutablePath());
}

std::string BuildGridXmlPath(std::string_view modulePath) {
    return FileBeside(modulePath, "grid.xml");
}

std::string BuildGridXmlPath() {
    return BuildGridXmlPath(platform::ExecutablePath());
}

std::string BuildExpirySchedulePath(std::string_view modulePath) {
    return FileBeside(modulePath, "ExpirySchedule.txt");
}

std::string BuildExpirySchedulePath() {
    return BuildExpirySchedulePath(platform::ExecutablePath());
}

}  // namespace quillon::board
