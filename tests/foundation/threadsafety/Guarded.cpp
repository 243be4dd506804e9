// Must compile cleanly under -Werror=thread-safety: every guarded access holds its lock.
#include "platform/foundation/Guarded.h"

#include <vector>

class Account {
public:
    int balance() const
    {
        MutexLocker locker(m_mutex);
        return m_balance;
    }
    void deposit(int amount) { m_history.lock()->push_back(amount); }

private:
    mutable Mutex m_mutex;
    int m_balance GUARDED_BY(m_mutex) { 0 };
    Guarded<std::vector<int>> m_history;
};

int main()
{
    Account account;
    account.deposit(1);
    return account.balance();
}
