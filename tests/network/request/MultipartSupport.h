#pragma once
// Test support for streamed uploads: a parser of multipart/form-data bodies. The raw bytes a
// client sends are read through RawServer (tests/net/RawServer.h).

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace multipart {

struct Part {
    std::map<std::string, std::string> headers; // names in lower case
    std::string body;
};

// The parts of a body with the given boundary; nothing when the body is not exactly a preamble-
// free sequence of parts closed by the final boundary with nothing after it.
inline std::optional<std::vector<Part>> parse(const std::string& body, const std::string& boundary)
{
    const std::string first = "--" + boundary + "\r\n";
    const std::string delimiter = "\r\n--" + boundary;
    if (body.compare(0, first.size(), first) != 0)
        return std::nullopt;
    std::vector<Part> parts;
    std::size_t position = first.size();
    for (;;) {
        const std::size_t headerEnd = body.find("\r\n\r\n", position);
        if (headerEnd == std::string::npos)
            return std::nullopt;
        Part part;
        std::size_t line = position;
        while (line < headerEnd) {
            std::size_t lineEnd = body.find("\r\n", line);
            lineEnd = std::min(lineEnd, headerEnd);
            const std::string text = body.substr(line, lineEnd - line);
            const std::size_t colon = text.find(": ");
            if (colon == std::string::npos)
                return std::nullopt;
            std::string name = text.substr(0, colon);
            std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
            part.headers[name] = text.substr(colon + 2);
            line = lineEnd + 2;
        }
        const std::size_t bodyStart = headerEnd + 4;
        const std::size_t bodyEnd = body.find(delimiter, bodyStart);
        if (bodyEnd == std::string::npos)
            return std::nullopt;
        part.body = body.substr(bodyStart, bodyEnd - bodyStart);
        parts.push_back(std::move(part));
        position = bodyEnd + delimiter.size();
        if (body.compare(position, 4, "--\r\n") == 0)
            return position + 4 == body.size() ? std::optional(parts) : std::nullopt;
        if (body.compare(position, 2, "\r\n") != 0)
            return std::nullopt;
        position += 2;
    }
}

// The value of a parameter in a header such as Content-Disposition, without its quotes.
inline std::string parameter(const std::string& header, const std::string& name)
{
    const std::string key = name + "=\"";
    std::size_t start = header.find("; " + key);
    if (start == std::string::npos)
        return {};
    start += key.size() + 2;
    const std::size_t end = header.find('"', start);
    return end == std::string::npos ? std::string() : header.substr(start, end - start);
}

} // namespace multipart
