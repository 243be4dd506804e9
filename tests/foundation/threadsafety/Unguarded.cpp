// Must not compile under -Werror=thread-safety: a guarded field read without its lock.
#include "platform/foundation/Mutex.h"

class Account {
public:
    int balance() const { return m_balance; }

private:
    mutable Mutex m_mutex;
    int m_balance GUARDED_BY(m_mutex) { 0 };
};

int main() { return Account().balance(); }
