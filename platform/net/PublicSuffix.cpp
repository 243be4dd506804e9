#include "platform/net/PublicSuffix.h"

#include <libpsl.h>

namespace {

const psl_ctx_t* suffixList()
{
    // The distribution's file is kept current by the system; the built-in list is the fallback.
    static const psl_ctx_t* const list = [] {
        const psl_ctx_t* loaded = psl_latest(nullptr);
        return loaded ? loaded : psl_builtin();
    }();
    return list;
}

} // namespace

bool PublicSuffix::isPublicSuffix(const std::string& domain)
{
    const psl_ctx_t* list = suffixList();
    // Without any list, only a single label counts, as the list's own default rule says.
    if (!list)
        return domain.find('.') == std::string::npos;
    return psl_is_public_suffix(list, domain.c_str()) != 0;
}

std::string PublicSuffix::registrableDomain(const std::string& domain)
{
    const psl_ctx_t* list = suffixList();
    const char* registrable = list ? psl_registrable_domain(list, domain.c_str()) : nullptr;
    return registrable ? std::string(registrable) : domain;
}
