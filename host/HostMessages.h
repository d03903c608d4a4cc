#pragma once

#include <cstdint>

namespace quillon::host {

// Message type ids of the host plug-in protocol. "Out" messages go to the host through
// SendRequest; "in" messages reach the program through its callback.
enum HostMessageId : std::uint32_t {
    HOSTMSG_ACTIVATE_HOST = 0x1003,       // out, no payload, id 0
    HOSTMSG_LOGIN_RESULT = 0x1005,        // in, value = result (0 = success)
    HOSTMSG_HOST_CLOSING = 0x1006,        // in
    HOSTMSG_INVOKE = 0x1007,              // in, popup run mode: the user invoked the board
    HOSTMSG_REQ_EXCHANGE_CODES = 0x3001,  // out, one 32-byte exchange slot, app id
    HOSTMSG_EXCHANGE_CODES = 0x3002,      // in, n x 64-byte code slots
    HOSTMSG_REQ_INSTRUMENT = 0x3003,      // out, one 64-byte code slot, app id
    HOSTMSG_INSTRUMENT = 0x3004,          // in, exactly 400 bytes
    HOSTMSG_REQ_HOST_TEXT = 0x3005,       // out, no payload, app id
    HOSTMSG_HOST_TEXT = 0x3006,           // in, text of dataLen bytes
    HOSTMSG_REQ_EXCHANGES = 0x6001,       // out, no payload, app id
    HOSTMSG_EXCHANGES = 0x6002,           // in, n x 32-byte exchange slots (n >= 1)
    HOSTMSG_QUOTE_SUBSCRIBE = 0x7001,     // out, one 64-byte code slot, id 0
    HOSTMSG_QUOTE_PUSH = 0x7003,          // in, QuoteRecord
    HOSTMSG_QUOTE_UNSUBSCRIBE = 0x7004,   // out, one 64-byte code slot, id 0
    HOSTMSG_CONTRACT_LIST_PUSH = 0x7006,  // in, n x 64-byte code slots
    HOSTMSG_UNNAMED_7008 = 0x7008,        // in, any payload, no action
    HOSTMSG_QUOTE_REQUEST = 0x7009,       // out, one 64-byte code slot, id 0
    HOSTMSG_QUOTE_REPLY = 0x700A,         // in, QuoteRecord
    HOSTMSG_REQ_CONTRACT_LIST = 0x7011,   // out, no payload, app id
    HOSTMSG_CONTRACT_LIST = 0x7012,       // in, n x 32-byte code slots
    HOSTMSG_REQ_SELECTED = 0x8011,        // out, no payload, app id
    HOSTMSG_SELECTED = 0x8012,            // in, exactly one 64-byte code slot
};

}  // namespace quillon::host
