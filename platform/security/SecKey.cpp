#include "platform/security/SecKey.h"

bool SecKey::isEqual(const id& other) const
{
    auto key = ns::cast<SecKey>(other);
    return key && key->m_data->isEqualToData(m_data);
}
