#include <gtest/gtest.h>

#include <string>

#include "board/ConfigPaths.h"

using namespace quillon::board;

TEST(ConfigPaths, TheFilesSitBesideTheExecutable) {
    struct Case {
        std::string modulePath;
        std::string iniPath;
        std::string gridXmlPath;
    };
    const Case cases[] = {
        {"D:\\t\\board.exe", "D:\\t\\board.INI", "D:\\t\\grid.xml"},
        {"C:\\dir\\sub\\Quillon.exe", "C:\\dir\\sub\\Quillon.INI", "C:\\dir\\sub\\grid.xml"},
        {"board.exe", "board.INI", "grid.xml"},
        {"C:\\a.exe", "C:\\a.INI", "C:\\grid.xml"},
        {"a.ex", ".INI", "grid.xml"},  // exactly 4: only the extension is left
        {"abc", "", "grid.xml"},
        {"\\ab", "", "\\grid.xml"},
        {"", "", "grid.xml"},
        // 数据\ : a folder with Chinese characters.
        {"D:\\\xCA\xFD\xBE\xDD\\q.exe", "D:\\\xCA\xFD\xBE\xDD\\q.INI", "D:\\\xCA\xFD\xBE\xDD\\grid.xml"},
        // 盶 is 0xB1 0x5C: the second byte of a double-byte character is not a folder separator.
        {"D:\\x\\\xB1\x5C"
         "q.exe",
         "D:\\x\\\xB1\x5C"
         "q.INI",
         "D:\\x\\grid.xml"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BuildIniPath(c.modulePath), c.iniPath) << c.modulePath;
        EXPECT_EQ(BuildGridXmlPath(c.modulePath), c.gridXmlPath) << c.modulePath;
        // The expiry schedule's corrections lie in grid.xml's folder.
        const std::string folder = c.gridXmlPath.substr(0, c.gridXmlPath.size() - 8);
        EXPECT_EQ(BuildExpirySchedulePath(c.modulePath), folder + "ExpirySchedule.txt") << c.modulePath;
    }
}
