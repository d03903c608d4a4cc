// Text slots from the host: reading never passes the slot, writing always ends in NUL.
#include "host/WireText.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quillon::host;
    // The slot is exactly as large as the input, so any read past it is caught by ASan.
    std::vector<char> slot(data, data + size);
    std::string text = ReadTextSlot(slot.data(), slot.size());
    if (text.size() > size) std::abort();

    char code[CodeSlotSize];
    WriteTextSlot(code, sizeof code, std::string_view(reinterpret_cast<const char*>(data), size));
    if (code[CodeSlotSize - 1] != '\0') std::abort();
    if (ReadTextSlot(code, sizeof code).size() >= CodeSlotSize) std::abort();
    return 0;
}
