#pragma once
#include <string>

namespace quillon::test {

// A fresh, empty folder for one test's files, below the build tree.
std::string MakeScratchFolder(const std::string& name);

}  // namespace quillon::test
