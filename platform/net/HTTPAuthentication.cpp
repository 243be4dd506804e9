#include "platform/net/HTTPAuthentication.h"

#include "platform/net/NSURLProtectionSpace.h"

#include <curl/curl.h>

#include <cctype>

namespace HTTPAuthentication {

namespace {

bool isTokenCharacter(char c)
{
    return !std::isspace(static_cast<unsigned char>(c)) && c != ',' && c != '=' && c != '"';
}

std::string lowered(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

class Reader {
public:
    explicit Reader(std::string_view text)
        : m_text(text)
    {
    }

    bool atEnd() const { return m_at >= m_text.size(); }
    char peek() const { return atEnd() ? '\0' : m_text[m_at]; }
    void skipSpaces()
    {
        while (!atEnd() && std::isspace(static_cast<unsigned char>(m_text[m_at])))
            ++m_at;
    }
    void skipSeparators()
    {
        while (!atEnd() && (std::isspace(static_cast<unsigned char>(m_text[m_at])) || m_text[m_at] == ','))
            ++m_at;
    }
    std::string token()
    {
        const std::size_t start = m_at;
        while (!atEnd() && isTokenCharacter(m_text[m_at]))
            ++m_at;
        return std::string(m_text.substr(start, m_at - start));
    }
    std::string quoted()
    {
        std::string value;
        ++m_at; // opening quote
        while (!atEnd() && m_text[m_at] != '"') {
            if (m_text[m_at] == '\\' && m_at + 1 < m_text.size())
                ++m_at;
            value += m_text[m_at++];
        }
        if (!atEnd())
            ++m_at;
        return value;
    }
    std::size_t position() const { return m_at; }
    void rewind(std::size_t position) { m_at = position; }
    void advance() { ++m_at; }

private:
    std::string_view m_text;
    std::size_t m_at { 0 };
};

} // namespace

std::vector<Challenge> parse(std::string_view fieldValue)
{
    std::vector<Challenge> challenges;
    Reader reader(fieldValue);
    while (true) {
        reader.skipSeparators();
        if (reader.atEnd())
            break;
        std::string word = reader.token();
        if (word.empty()) {
            // A stray '=' or quote: step over it.
            if (reader.peek() == '"')
                reader.quoted();
            else
                reader.advance();
            continue;
        }
        reader.skipSpaces();
        if (reader.peek() != '=' || challenges.empty()) {
            if (reader.peek() == '=') {
                // A parameter before any scheme belongs to no challenge.
                reader.advance();
                reader.skipSpaces();
                if (reader.peek() == '"')
                    reader.quoted();
                else
                    reader.token();
                continue;
            }
            challenges.push_back({ lowered(word), {} });
            // A token68 value follows the scheme directly (NTLM and Negotiate messages).
            const std::size_t mark = reader.position();
            std::string value = reader.token();
            std::string padding;
            while (reader.peek() == '=') {
                padding += '=';
                reader.advance();
            }
            reader.skipSpaces();
            if (!value.empty() && (reader.atEnd() || reader.peek() == ',')) {
                challenges.back().parameters[""] = value + padding;
                continue;
            }
            reader.rewind(mark);
            continue;
        }
        reader.advance(); // '='
        reader.skipSpaces();
        std::string value = reader.peek() == '"' ? reader.quoted() : reader.token();
        challenges.back().parameters[lowered(word)] = value;
    }
    return challenges;
}

bool libcurlSupportsNTLM()
{
    const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
    return info && (info->features & CURL_VERSION_NTLM);
}

std::string chooseMethod(const std::vector<Challenge>& challenges, Challenge* chosen)
{
    struct Known {
        const char* scheme;
        const char* method;
    };
    const Known preference[] = {
        { "ntlm", NSURLAuthenticationMethodNTLM },
        { "digest", NSURLAuthenticationMethodHTTPDigest },
        { "basic", NSURLAuthenticationMethodHTTPBasic },
    };
    for (const auto& known : preference) {
        if (std::string_view(known.scheme) == "ntlm" && !libcurlSupportsNTLM())
            continue;
        for (const auto& challenge : challenges) {
            if (challenge.scheme != known.scheme)
                continue;
            // Digest needs a nonce to answer with.
            if (challenge.scheme == "digest" && challenge.parameter("nonce").empty())
                continue;
            if (chosen)
                *chosen = challenge;
            return known.method;
        }
    }
    return {};
}

unsigned long curlAuthFor(const std::string& method)
{
    if (method == NSURLAuthenticationMethodHTTPBasic)
        return CURLAUTH_BASIC;
    if (method == NSURLAuthenticationMethodHTTPDigest)
        return CURLAUTH_DIGEST;
    if (method == NSURLAuthenticationMethodNTLM)
        return CURLAUTH_NTLM;
    return CURLAUTH_ANY;
}

} // namespace HTTPAuthentication
