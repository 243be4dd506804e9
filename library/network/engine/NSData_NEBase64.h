#pragma once
// Base64 in the standard alphabet for the network engine: strict output, lenient input.

#include "platform/foundation/NSData.h"
#include "platform/foundation/NSString.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace NSData_NEBase64 {

// Every byte outside the alphabet ("=", blanks, line breaks, anything else) is skipped wherever it
// stands; a trailing group of one value yields nothing.
std::vector<std::uint8_t> NEBase64Decode(std::span<const std::uint8_t> input);
// The input ends at its first zero byte.
std::vector<std::uint8_t> NEBase64Decode(const char* zeroTerminated);
// With separateLines, 48 input bytes (64 characters) a line, CR LF between lines, none after the last.
std::string NEBase64Encode(std::span<const std::uint8_t> input, bool separateLines);

// Empty data for nil or text that is not pure ASCII.
std::shared_ptr<NSData> dataFromBase64String(const NSString& text);
NSString base64EncodedString(const std::shared_ptr<NSData>& data);

} // namespace NSData_NEBase64
