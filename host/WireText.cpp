#include "host/WireText.h"

#include <cstring>

namespace quillon::host {

void WriteTextSlot(char* slot, std::size_t slotSize, std::string_view text) {
    if (slot == nullptr || slotSize == 0) return;
    std::memset(slot, 0, slotSize);
    std::size_t length = text.find('\0');
    if (length == std::string_view::npos) length = text.size();
    if (length > slotSize - 1) length = slotSize - 1;
    std::memcpy(slot, text.data(), length);
}

std::vector<unsigned char> EncodeTextSlots(const std::vector<std::string>& texts, std::size_t slotSize) {
    std::vector<unsigned char> slots(texts.size() * slotSize);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        WriteTextSlot(reinterpret_cast<char*>(slots.data() + i * slotSize), slotSize, texts[i]);
    }
    return slots;
}

std::string ReadTextSlot(const char* slot, std::size_t slotSize) {
    if (slot == nullptr) return {};
    const void* end = std::memchr(slot, '\0', slotSize);
    std::size_t length = end ? static_cast<std::size_t>(static_cast<const char*>(end) - slot) : slotSize;
    return std::string(slot, length);
}

}  // namespace quillon::host
