#include "library/payment/OrbipaySDK.h"

#include "platform/foundation/HexDigits.h"
#include "platform/foundation/NSAssertMainThread.h"

#include <mutex>

namespace {

// "+" is a blank and a "%" without two hexadecimal digits stays as written.
std::string decode(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '+') {
            out += ' ';
        } else if (c == '%' && i + 2 < text.size() && ns::hexDigitValue(text[i + 1]) >= 0 && ns::hexDigitValue(text[i + 2]) >= 0) {
            out += static_cast<char>(ns::hexDigitValue(text[i + 1]) * 16 + ns::hexDigitValue(text[i + 2]));
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

std::shared_ptr<OrbipaySDK> OrbipaySDK::defaultService()
{
    static std::once_flag once;
    static std::shared_ptr<OrbipaySDK> service;
    std::call_once(once, [] { service = create(); });
    return service;
}

void OrbipaySDK::beginPayment(OPCompletionBlock callback)
{
    NSAssertMainThread();
    m_paymentPending = true;
    m_callback = std::move(callback);
}

std::shared_ptr<NSDictionary> OrbipaySDK::resultDictionaryFromURL(const std::shared_ptr<NSURL>& url)
{
    auto result = NSMutableDictionary::dictionary();
    if (!url)
        return result;
    const std::string query = url->query().UTF8String();
    std::size_t start = 0;
    while (start <= query.size() && !query.empty()) {
        std::size_t end = query.find('&', start);
        if (end == std::string::npos)
            end = query.size();
        const std::string pair = query.substr(start, end - start);
        if (!pair.empty()) {
            const std::size_t equals = pair.find('=');
            const std::string key = decode(pair.substr(0, equals));
            const std::string value = equals == std::string::npos ? std::string() : decode(pair.substr(equals + 1));
            if (!key.empty())
                result->setObject(NSString::stringWithUTF8String(value.c_str()), NSString::stringWithUTF8String(key.c_str()));
        }
        start = end + 1;
    }
    return result;
}

void OrbipaySDK::processOrderWithPaymentResult(const std::shared_ptr<NSURL>& resultUrl, const OPCompletionBlock& standbyCallback)
{
    NSAssertMainThread();
    if (!m_paymentPending)
        return;
    m_paymentPending = false;
    auto callback = std::move(m_callback);
    m_callback = nullptr;
    auto result = resultDictionaryFromURL(resultUrl);
    if (callback)
        callback(result);
    else if (standbyCallback)
        standbyCallback(result);
}

void OrbipaySDK::processAuthResult(const std::shared_ptr<NSURL>& resultUrl, const OPCompletionBlock& standbyCallback)
{
    NSAssertMainThread();
    auto result = resultDictionaryFromURL(resultUrl);
    if (m_callback)
        m_callback(result);
    else if (standbyCallback)
        standbyCallback(result);
}
