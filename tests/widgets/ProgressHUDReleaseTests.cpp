// The progress HUD running work on another thread: whichever finishes first, the worker or the
// main thread, the HUD's views and layers are torn down on the main thread.
#include "WidgetScreen.h"
#include "tests/support/Waiting.h"

#include "library/widgets/progresshud/PRProgressHUD.h"
#include "platform/dispatch/dispatch.h"
#include "platform/foundation/NSThread.h"

#include <atomic>
#include <memory>
#include <chrono>
#include <thread>

namespace {

std::atomic<int> g_releasedOnMain { 0 };
std::atomic<int> g_releasedElsewhere { 0 };

class CountedHUD : public PRProgressHUD {
    NS_OBJECT(CountedHUD, PRProgressHUD)
public:
    ~CountedHUD() override { ++(NSThread::isMainThread() ? g_releasedOnMain : g_releasedElsewhere); }
};

// Waits, when a worker lets it go, until the main thread has let go of the HUD, so that any hold
// the worker keeps on it is the last.
struct Lingering {
    ~Lingering()
    {
        if (NSThread::isMainThread())
            return;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (hud.use_count() > 1 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::yield();
    }
    std::weak_ptr<PRProgressHUD> hud;
};

class ProgressHUDRelease : public WidgetScreenTest {
protected:
    void SetUp() override
    {
        WidgetScreenTest::SetUp();
        g_releasedOnMain = 0;
        g_releasedElsewhere = 0;
    }
    // Starts a HUD per round that removes itself when its work is done and is held by nobody
    // else, then waits for all of them to go.
    // Starts a HUD per round that removes itself when its work is done and is held by nobody
    // else, then waits for all of them to go. The work block lingers where the worker lets it go,
    // and with a thread of its own, so does the thread's end.
    void runRounds(int rounds, bool ownThread, const std::function<void(PRProgressHUD&, std::function<void()>)>& start)
    {
        for (int round = 0; round < rounds; ++round) {
            auto hud = CountedHUD::create(screen());
            hud->setRemoveFromSuperViewOnHide(true);
            screen()->addSubview(hud);
            auto lingering = std::make_shared<Lingering>();
            lingering->hud = hud;
            start(*hud, [lingering, ownThread] {
                if (ownThread) {
                    thread_local std::unique_ptr<Lingering> untilTheThreadEnds;
                    untilTheThreadEnds = std::make_unique<Lingering>(*lingering);
                }
                // Set from the worker, as a real task reports its progress.
                if (auto strongHUD = lingering->hud.lock())
                    strongHUD->setDetailsLabelText("后台");
            });
        }
        EXPECT_TRUE(testing_support::runLoopUntil([&] { return g_releasedOnMain + g_releasedElsewhere == rounds; }));
        EXPECT_EQ(g_releasedElsewhere, 0);
        EXPECT_EQ(g_releasedOnMain, rounds);
    }
};

TEST_F(ProgressHUDRelease, workOnAThreadOfItsOwnNeverReleasesTheHUDThere)
{
    runRounds(200, true, [](PRProgressHUD& hud, std::function<void()> work) { hud.showWhileExecuting(std::move(work), false); });
}

TEST_F(ProgressHUDRelease, workOnAQueueNeverReleasesTheHUDThere)
{
    runRounds(200, false, [](PRProgressHUD& hud, std::function<void()> work) {
        hud.showAnimated(false, std::move(work), dispatch_get_global_queue(0, 0));
    });
}

} // namespace
