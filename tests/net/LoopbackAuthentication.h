#pragma once
// Basic and Digest (MD5, qop "auth") challenges for the loopback server's routes: a guard lets a
// request through with the right user and password and otherwise answers 401 with its challenge.

#include <httplib.h>
#include <openssl/evp.h>

#include <atomic>
#include <map>
#include <mutex>
#include <regex>
#include <string>

namespace loopback {

inline std::string md5Hex(const std::string& text)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(text.data(), text.size(), digest, &length, EVP_md5(), nullptr);
    static const char hex[] = "0123456789abcdef";
    std::string out;
    for (unsigned int index = 0; index < length; ++index) {
        out += hex[digest[index] >> 4];
        out += hex[digest[index] & 15];
    }
    return out;
}

inline std::string base64(const std::string& text)
{
    std::string out(4 * ((text.size() + 2) / 3) + 1, '\0');
    const int length = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()), reinterpret_cast<const unsigned char*>(text.data()),
        static_cast<int>(text.size()));
    out.resize(static_cast<std::size_t>(length));
    return out;
}

class AuthenticationGuard {
public:
    enum class Scheme { basic, digest };

    AuthenticationGuard(Scheme scheme, std::string user, std::string password, std::string realm = "exams")
        : m_scheme(scheme)
        , m_user(std::move(user))
        , m_password(std::move(password))
        , m_realm(std::move(realm))
    {
    }

    // True when the request may pass; otherwise the response is the 401 with the challenge.
    bool admits(const httplib::Request& request, httplib::Response& response)
    {
        const std::string authorization = request.get_header_value("Authorization");
        if (m_scheme == Scheme::basic ? basicMatches(authorization) : digestMatches(request.method, authorization)) {
            ++m_admitted;
            return true;
        }
        ++m_refused;
        response.status = 401;
        if (m_scheme == Scheme::basic) {
            response.set_header("WWW-Authenticate", "Basic realm=\"" + m_realm + "\"");
        } else {
            std::lock_guard lock(m_mutex);
            const std::string nonce = md5Hex("nonce" + std::to_string(++m_nonces));
            m_issued[nonce] = 0;
            response.set_header("WWW-Authenticate",
                "Digest realm=\"" + m_realm + "\", qop=\"auth\", algorithm=MD5, nonce=\"" + nonce + "\", opaque=\"5ccc069c\"");
        }
        response.set_content("no", "text/plain");
        return false;
    }

    int admitted() const { return m_admitted; }
    int refused() const { return m_refused; }

private:
    bool basicMatches(const std::string& authorization) const
    {
        return authorization == "Basic " + base64(m_user + ":" + m_password);
    }

    bool digestMatches(const std::string& method, const std::string& authorization)
    {
        if (authorization.rfind("Digest ", 0) != 0)
            return false;
        std::map<std::string, std::string> fields;
        static const std::regex field(R"re((\w+)=(?:"([^"]*)"|([^,\s]*)))re");
        for (auto match = std::sregex_iterator(authorization.begin(), authorization.end(), field); match != std::sregex_iterator(); ++match)
            fields[(*match)[1]] = (*match)[2].matched ? (*match)[2].str() : (*match)[3].str();
        std::lock_guard lock(m_mutex);
        auto issued = m_issued.find(fields["nonce"]);
        if (issued == m_issued.end() || fields["username"] != m_user || fields["realm"] != m_realm || fields["qop"] != "auth")
            return false;
        const std::string ha1 = md5Hex(m_user + ":" + m_realm + ":" + m_password);
        const std::string ha2 = md5Hex(method + ":" + fields["uri"]);
        const std::string expected = md5Hex(ha1 + ":" + fields["nonce"] + ":" + fields["nc"] + ":" + fields["cnonce"] + ":auth:" + ha2);
        return fields["response"] == expected;
    }

    Scheme m_scheme;
    std::string m_user;
    std::string m_password;
    std::string m_realm;
    std::mutex m_mutex;
    int m_nonces { 0 };
    std::map<std::string, int> m_issued;
    std::atomic<int> m_admitted { 0 };
    std::atomic<int> m_refused { 0 };
};

} // namespace loopback
