#pragma once

#include <string>

#include "host/LinkFrame.h"

namespace quillon::hostsim {

enum class FrameDirection { FromPlugin, ToPlugin };

// The name of a message type on the link ("QUOTE_PUSH", "HELLO", "SHOW_WINDOW"), or its
// number in hex for a type the link does not know.
std::string FrameTypeName(std::uint32_t msgType);

// One readable line for a frame: direction, type, value, request id, length and what the
// payload holds (codes of a slot list, the fields of a record, the hello's texts).
// Bytes outside printable ASCII are shown as \xNN, so a log line is always one line.
std::string DescribeFrame(FrameDirection direction, const host::FrameHeader& header, const unsigned char* payload);

}  // namespace quillon::hostsim
