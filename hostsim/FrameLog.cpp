#include "hostsim/FrameLog.h"

#include <cstdio>
#include <string_view>

#include "host/HostMessages.h"
#include "host/WireRecords.h"
#include "host/WireText.h"

namespace quillon::hostsim {
namespace {

using namespace quillon::host;

std::string Printable(std::string_view text) {
    std::string out;
    for (unsigned char c : text) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            out += escaped;
        }
    }
    return out;
}

std::string Price(double value) {
    if (value == EmptyPrice || value == -EmptyPrice) return "-";
    char text[64];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}

// At most this many texts of a slot list are shown; the count is always given.
constexpr std::size_t ShownSlots = 8;

std::string SlotList(const unsigned char* payload, std::size_t length, std::size_t slotSize) {
    if (length % slotSize != 0) return " (not a whole number of " + std::to_string(slotSize) + "-byte slots)";
    const std::size_t count = length / slotSize;
    std::string out = " [" + std::to_string(count) + "]";
    for (std::size_t i = 0; i < count && i < ShownSlots; ++i) {
        out += ' ';
        out += Printable(ReadTextSlot(reinterpret_cast<const char*>(payload) + i * slotSize, slotSize));
    }
    if (count > ShownSlots) out += " ...";
    return out;
}

std::string QuoteSummary(const unsigned char* payload, std::size_t length) {
    if (length < quote_record::Size) return " (short quote record)";
    namespace q = quote_record;
    std::string out = " ";
    out += Printable(QuoteCode(payload));
    return out + " last=" + Price(ReadDouble(payload, q::LastPrice)) +
           " bid=" + Price(ReadDouble(payload, q::BidPrice)) + "x" + std::to_string(ReadInt32(payload, q::BidVolume)) +
           " ask=" + Price(ReadDouble(payload, q::AskPrice)) + "x" + std::to_string(ReadInt32(payload, q::AskVolume)) +
           " vol=" + std::to_string(ReadInt32(payload, q::Volume)) +
           " time=" + Printable(ReadText(payload, q::UpdateTimeOffset, q::UpdateTimeWidth));
}

std::string PayloadSummary(std::uint32_t msgType, const unsigned char* payload, std::size_t length) {
    switch (msgType) {
        case LinkHelloType: {
            const auto hello = DecodeHello(payload, length);
            if (!hello) return " (unreadable hello)";
            return " name=" + Printable(hello->name) + " access=" + Printable(hello->accessCode) +
                   " hostWindow=" + std::to_string(hello->hostWindow) +
                   " ownWindow=" + std::to_string(hello->ownWindow);
        }
        case LinkShowWindowType: {
            const auto placement = DecodeWindowPlacement(payload, length);
            if (!placement) return "";
            return " at " + std::to_string(placement->x) + "," + std::to_string(placement->y) + " size " +
                   std::to_string(placement->width) + "x" + std::to_string(placement->height);
        }
        case HOSTMSG_REQ_EXCHANGE_CODES:
        case HOSTMSG_EXCHANGES:
        case HOSTMSG_CONTRACT_LIST:
            return SlotList(payload, length, ExchangeSlotSize);
        case HOSTMSG_EXCHANGE_CODES:
        case HOSTMSG_REQ_INSTRUMENT:
        case HOSTMSG_QUOTE_SUBSCRIBE:
        case HOSTMSG_QUOTE_UNSUBSCRIBE:
        case HOSTMSG_QUOTE_REQUEST:
        case HOSTMSG_CONTRACT_LIST_PUSH:
        case HOSTMSG_SELECTED:
            return SlotList(payload, length, CodeSlotSize);
        case HOSTMSG_INSTRUMENT:
            if (length != instrument_record::Size) return "";
            {
                std::string out = " ";
                out += Printable(InstrumentCode(payload));
                return out + " " + Printable(InstrumentExchange(payload)) +
                       " class=" + Printable(std::string(1, InstrumentProductClass(payload))) +
                       " tick=" + Price(InstrumentPriceTick(payload));
            }
        case HOSTMSG_QUOTE_PUSH:
        case HOSTMSG_QUOTE_REPLY:
            return QuoteSummary(payload, length);
        case HOSTMSG_HOST_TEXT:
            return " \"" + Printable(std::string_view(reinterpret_cast<const char*>(payload), length)) + "\"";
        default:
            return "";
    }
}

}  // namespace

std::string FrameTypeName(std::uint32_t msgType) {
    switch (msgType) {
        case LinkHelloType:
            return "HELLO";
        case LinkShowWindowType:
            return "SHOW_WINDOW";
        case LinkHideWindowType:
            return "HIDE_WINDOW";
        case HOSTMSG_ACTIVATE_HOST:
            return "ACTIVATE_HOST";
        case HOSTMSG_LOGIN_RESULT:
            return "LOGIN_RESULT";
        case HOSTMSG_HOST_CLOSING:
            return "HOST_CLOSING";
        case HOSTMSG_INVOKE:
            return "INVOKE";
        case HOSTMSG_REQ_EXCHANGE_CODES:
            return "REQ_EXCHANGE_CODES";
        case HOSTMSG_EXCHANGE_CODES:
            return "EXCHANGE_CODES";
        case HOSTMSG_REQ_INSTRUMENT:
            return "REQ_INSTRUMENT";
        case HOSTMSG_INSTRUMENT:
            return "INSTRUMENT";
        case HOSTMSG_REQ_HOST_TEXT:
            return "REQ_HOST_TEXT";
        case HOSTMSG_HOST_TEXT:
            return "HOST_TEXT";
        case HOSTMSG_REQ_EXCHANGES:
            return "REQ_EXCHANGES";
        case HOSTMSG_EXCHANGES:
            return "EXCHANGES";
        case HOSTMSG_QUOTE_SUBSCRIBE:
            return "QUOTE_SUBSCRIBE";
        case HOSTMSG_QUOTE_PUSH:
            return "QUOTE_PUSH";
        case HOSTMSG_QUOTE_UNSUBSCRIBE:
            return "QUOTE_UNSUBSCRIBE";
        case HOSTMSG_CONTRACT_LIST_PUSH:
            return "CONTRACT_LIST_PUSH";
        case HOSTMSG_UNNAMED_7008:
            return "MSG_7008";
        case HOSTMSG_QUOTE_REQUEST:
            return "QUOTE_REQUEST";
        case HOSTMSG_QUOTE_REPLY:
            return "QUOTE_REPLY";
        case HOSTMSG_REQ_CONTRACT_LIST:
            return "REQ_CONTRACT_LIST";
        case HOSTMSG_CONTRACT_LIST:
            return "CONTRACT_LIST";
        case HOSTMSG_REQ_SELECTED:
            return "REQ_SELECTED";
        case HOSTMSG_SELECTED:
            return "SELECTED";
        default: {
            char text[16];
            std::snprintf(text, sizeof text, "0x%X", msgType);
            return text;
        }
    }
}

std::string DescribeFrame(FrameDirection direction, const host::FrameHeader& header, const unsigned char* payload) {
    char head[160];
    std::snprintf(head, sizeof head, "%s 0x%04X %s value=%d id=%d len=%d",
                  direction == FrameDirection::FromPlugin ? "<-" : "->", header.msgType,
                  FrameTypeName(header.msgType).c_str(), header.value, header.requestId, header.dataLen);
    const std::size_t length = header.dataLen > 0 && payload != nullptr ? static_cast<std::size_t>(header.dataLen) : 0;
    return head + PayloadSummary(header.msgType, payload, length);
}

}  // namespace quillon::hostsim
