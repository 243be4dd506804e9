#include "library/network/engine/NSData_NEBase64.h"

#include <array>
#include <cstring>

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::uint8_t kSkip = 65;
constexpr std::size_t kLineInputBytes = 48;

constexpr std::array<std::uint8_t, 256> makeDecodeTable()
{
    std::array<std::uint8_t, 256> table {};
    for (auto& entry : table)
        entry = kSkip;
    for (std::uint8_t i = 0; i < 64; ++i)
        table[static_cast<unsigned char>(kAlphabet[i])] = i;
    return table;
}

constexpr auto kDecodeTable = makeDecodeTable();

} // namespace

namespace NSData_NEBase64 {

std::vector<std::uint8_t> NEBase64Decode(std::span<const std::uint8_t> input)
{
    std::vector<std::uint8_t> output;
    output.reserve((input.size() + 3) / 4 * 3);
    std::array<std::uint8_t, 4> group {};
    std::size_t filled = 0;
    for (std::uint8_t byte : input) {
        const std::uint8_t value = kDecodeTable[byte];
        if (value == kSkip)
            continue;
        group[filled++] = value;
        if (filled == 4) {
            output.push_back(static_cast<std::uint8_t>(group[0] << 2 | group[1] >> 4));
            output.push_back(static_cast<std::uint8_t>(group[1] << 4 | group[2] >> 2));
            output.push_back(static_cast<std::uint8_t>(group[2] << 6 | group[3]));
            filled = 0;
        }
    }
    if (filled >= 2)
        output.push_back(static_cast<std::uint8_t>(group[0] << 2 | group[1] >> 4));
    if (filled == 3)
        output.push_back(static_cast<std::uint8_t>(group[1] << 4 | group[2] >> 2));
    return output;
}

std::vector<std::uint8_t> NEBase64Decode(const char* zeroTerminated)
{
    if (!zeroTerminated)
        return {};
    return NEBase64Decode({ reinterpret_cast<const std::uint8_t*>(zeroTerminated), std::strlen(zeroTerminated) });
}

std::string NEBase64Encode(std::span<const std::uint8_t> input, bool separateLines)
{
    const std::size_t characters = (input.size() + 2) / 3 * 4;
    std::string output;
    output.reserve(characters + (separateLines ? characters / 64 * 2 : 0));
    std::size_t at = 0;
    while (input.size() - at >= 3) {
        const std::uint8_t* b = input.data() + at;
        output.push_back(kAlphabet[b[0] >> 2]);
        output.push_back(kAlphabet[(b[0] & 0x03) << 4 | b[1] >> 4]);
        output.push_back(kAlphabet[(b[1] & 0x0f) << 2 | b[2] >> 6]);
        output.push_back(kAlphabet[b[2] & 0x3f]);
        at += 3;
        if (separateLines && at % kLineInputBytes == 0 && at < input.size())
            output += "\r\n";
    }
    const std::size_t left = input.size() - at;
    if (left > 0) {
        const std::uint8_t* b = input.data() + at;
        output.push_back(kAlphabet[b[0] >> 2]);
        if (left == 2) {
            output.push_back(kAlphabet[(b[0] & 0x03) << 4 | b[1] >> 4]);
            output.push_back(kAlphabet[(b[1] & 0x0f) << 2]);
            output.push_back('=');
        } else {
            output.push_back(kAlphabet[(b[0] & 0x03) << 4]);
            output += "==";
        }
    }
    return output;
}

std::shared_ptr<NSData> dataFromBase64String(const NSString& text)
{
    if (text.isNil())
        return NSData::data();
    const std::string bytes = text.UTF8String();
    for (unsigned char c : bytes)
        if (c >= 0x80)
            return NSData::data();
    return NSData::dataWithBytes(NEBase64Decode({ reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size() }));
}

NSString base64EncodedString(const std::shared_ptr<NSData>& data)
{
    if (!data)
        return NSString::string();
    return NSString(NEBase64Encode(data->span(), false));
}

} // namespace NSData_NEBase64
