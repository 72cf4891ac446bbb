#include "platform/sim/kernel/World.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace sim {

namespace {

// How long the test's own thread may let virtual time run while it waits for the simulated
// world before the wait counts as a deadlock.
constexpr uint64_t AUTO_ADVANCE_LIMIT_US = 600ull * 1000 * 1000;
// How long, in real time, the simulated threads may take to settle before the test is
// stopped with a description of what each thread waits for.
constexpr auto SETTLE_LIMIT = std::chrono::seconds(120);

thread_local std::shared_ptr<ThreadState> t_pSelf;

}  // namespace

World& World::Get()
{
    // Never destroyed: detached simulated threads may still be on their way out at exit.
    static World* pWorld = new World;
    return *pWorld;
}

ThreadState& World::Current(Lock&)
{
    if (!t_pSelf) {
        auto p = std::make_shared<ThreadState>();
        p->nId = m_nNextThreadId;
        m_nNextThreadId += 4;
        p->name = "test";
        p->bAdopted = true;
        m_threads[p->nId] = p;
        m_adopted.push_back(p.get());
        t_pSelf = p;
    }
    return *t_pSelf;
}

std::shared_ptr<ThreadState> World::FindThread(DWORD nId)
{
    auto it = m_threads.find(nId);
    return it == m_threads.end() ? nullptr : it->second;
}

std::shared_ptr<ThreadState> World::StartThread(std::string name, std::function<void()> body,
                                                std::shared_ptr<KernelObject> pObject,
                                                bool bSuspended)
{
    auto p = std::make_shared<ThreadState>();
    p->nId = m_nNextThreadId;
    m_nNextThreadId += 4;
    p->name = std::move(name);
    p->bSuspended = bSuspended;
    if (pObject)
        pObject->pThread = p;
    m_threads[p->nId] = p;
    ++m_live.nThreads;
    ++m_nRunning;
    std::thread([this, p, pObject, body = std::move(body)] {
        t_pSelf = p;
        {
            Lock lk = Acquire();
            Block(
                lk, *p, [&] { return !p->bSuspended; }, NO_DEADLINE, nullptr, "ResumeThread");
        }
        body();
        Lock lk = Acquire();
        p->bEnded = true;
        // What was sent to it and not handled gets no answer.
        for (auto& pSent : p->sent) {
            pSent->bDone = true;
            WakeAll(pSent->sender);
        }
        p->sent.clear();
        m_endedIds.insert(p->nId);
        m_threads.erase(p->nId);
        --m_live.nThreads;
        --m_nRunning;
        if (pObject) {
            pObject->bSignalled = true;
            WakeAll(pObject->waiters);
        }
        NoteBlocked();
        t_pSelf.reset();
    }).detach();
    return p;
}

void World::NoteBlocked()
{
    if (m_nRunning != 0)
        return;
    m_idle.notify_all();
    for (ThreadState* pAdopted : m_adopted)
        pAdopted->cv.notify_all();
}

bool World::Block(Lock& lk, ThreadState& self, const std::function<bool()>& ready,
                  uint64_t deadlineUs, WaitList* pList, const char* pszWhat)
{
    if (ready())
        return true;
    if (deadlineUs <= m_nNowUs)
        return false;
    if (pList)
        pList->threads.push_back(&self);
    self.pszWaitingFor = pszWhat;

    bool bResult = false;
    if (self.bAdopted) {
        // The test's thread waits on the simulated world. While anything simulated can run, it
        // waits for that; when nothing can, only time can change the world, so the clock moves
        // to the next event, as it would while a real program waits.
        const uint64_t nLimit = m_nNowUs + AUTO_ADVANCE_LIMIT_US;
        for (;;) {
            if (ready()) {
                bResult = true;
                break;
            }
            if (m_nRunning == 0) {
                const uint64_t nNext =
                    m_events.empty() ? NO_DEADLINE : m_events.begin()->first.first;
                if (nNext <= std::min(deadlineUs, nLimit)) {
                    RunNextEvent();
                    continue;
                }
                if (deadlineUs <= nLimit) {
                    m_nNowUs = std::max(m_nNowUs, deadlineUs);
                    bResult = false;
                    break;
                }
                Fatal(std::string("deadlock: the test's thread waits for ") + pszWhat +
                      " and nothing simulated can run\n" + DescribeThreads());
            }
            self.bBlocked = true;
            self.cv.wait(lk);
            self.bBlocked = false;
        }
    } else {
        bool bTimedOut = false;
        uint64_t nTimeout = 0;
        if (deadlineUs != NO_DEADLINE)
            nTimeout = Schedule(deadlineUs, [&] {
                bTimedOut = true;
                Wake(self);
            });
        for (;;) {
            if (ready()) {
                bResult = true;
                break;
            }
            if (bTimedOut)
                break;
            self.bBlocked = true;
            --m_nRunning;
            NoteBlocked();
            // Wake clears the flag and counts the thread as running again before notifying,
            // so the world is never seen idle while a woken thread is on its way.
            while (self.bBlocked)
                self.cv.wait(lk);
        }
        if (nTimeout)
            Cancel(nTimeout);
    }

    if (pList) {
        auto& v = pList->threads;
        v.erase(std::find(v.begin(), v.end(), &self));
    }
    self.pszWaitingFor = "";
    return bResult;
}

void World::Wake(ThreadState& t)
{
    if (t.bAdopted) {
        t.cv.notify_all();
    } else if (t.bBlocked) {
        t.bBlocked = false;
        ++m_nRunning;
        t.cv.notify_all();
    }
}

void World::WakeAll(WaitList& list)
{
    for (ThreadState* p : list.threads)
        Wake(*p);
}

HANDLE World::AddHandle(std::shared_ptr<KernelObject> pObject)
{
    HANDLE h = reinterpret_cast<HANDLE>(m_nNextHandle);
    m_nNextHandle += 4;
    m_handles[h] = std::move(pObject);
    ++m_live.nHandles;
    return h;
}

std::shared_ptr<KernelObject> World::FindHandle(HANDLE h)
{
    auto it = m_handles.find(h);
    return it == m_handles.end() ? nullptr : it->second;
}

bool World::CloseHandle(HANDLE h)
{
    if (m_handles.erase(h) == 0)
        return false;
    --m_live.nHandles;
    return true;
}

uint64_t World::Schedule(uint64_t atUs, std::function<void()> fn)
{
    const uint64_t nId = m_nNextEvent++;
    const uint64_t at = std::max(atUs, m_nNowUs);
    m_events[{at, nId}] = std::move(fn);
    return nId;
}

LRESULT World::SendToThread(Lock& lk, ThreadState& receiver, const MSG& msg)
{
    auto p = std::make_shared<SentMessage>();
    p->msg = msg;
    receiver.sent.push_back(p);
    Wake(receiver);
    Block(
        lk, Current(lk), [&] { return p->bDone; }, NO_DEADLINE, &p->sender,
        "a sent message to be handled");
    return p->nResult;
}

void World::HandleSent(Lock& lk, ThreadState& self)
{
    while (!self.sent.empty()) {
        std::shared_ptr<SentMessage> p = self.sent.front();
        self.sent.pop_front();
        lk.unlock();
        const LRESULT nResult = m_pfnDispatch ? m_pfnDispatch(p->msg) : 0;
        lk.lock();
        p->nResult = nResult;
        p->bDone = true;
        WakeAll(p->sender);
    }
}

void World::RunNextEvent()
{
    auto it = m_events.begin();
    m_nNowUs = std::max(m_nNowUs, it->first.first);
    std::function<void()> fn = std::move(it->second);
    m_events.erase(it);
    fn();
}

void World::Cancel(uint64_t nEvent)
{
    auto it = std::find_if(m_events.begin(), m_events.end(),
                           [&](const auto& event) { return event.first.second == nEvent; });
    if (it != m_events.end())
        m_events.erase(it);
}

void World::Settle(Lock& lk)
{
    if (!Current(lk).bAdopted)
        Fatal("Settle or AdvanceTime called from a simulated thread");
    const auto start = std::chrono::steady_clock::now();
    while (m_nRunning != 0) {
        m_idle.wait_for(lk, std::chrono::seconds(1));
        if (m_nRunning != 0 && std::chrono::steady_clock::now() - start > SETTLE_LIMIT)
            Fatal("the simulated threads did not settle\n" + DescribeThreads());
    }
}

void World::AdvanceTo(Lock& lk, uint64_t targetUs)
{
    Settle(lk);
    while (!m_events.empty() && m_events.begin()->first.first <= targetUs) {
        RunNextEvent();
        Settle(lk);
    }
    m_nNowUs = std::max(m_nNowUs, targetUs);
}

void World::InjectFault(const std::string& call, long long nResult, int nSkip, int nTimes)
{
    m_faults.push_back({call, nResult, nSkip, nTimes});
}

std::optional<long long> World::TakeFault(const char* pszCall)
{
    for (auto it = m_faults.begin(); it != m_faults.end(); ++it) {
        if (it->call != pszCall)
            continue;
        if (it->nSkip > 0) {
            --it->nSkip;
            return std::nullopt;
        }
        const long long nResult = it->nResult;
        if (it->nTimes > 0 && --it->nTimes == 0)
            m_faults.erase(it);
        return nResult;
    }
    return std::nullopt;
}

int World::PendingFaults(const std::string& call) const
{
    int n = 0;
    for (const Fault& f : m_faults)
        if (f.call == call)
            n += f.nTimes < 0 ? 1 : f.nTimes;
    return n;
}

void World::Misuse(const std::string& what)
{
    std::fprintf(stderr, "sim: misuse: %s\n", what.c_str());
    m_misuses.push_back(what);
}

std::vector<std::string> World::TakeMisuses()
{
    std::vector<std::string> v;
    v.swap(m_misuses);
    return v;
}

void World::Fatal(const std::string& what)
{
    std::fprintf(stderr, "sim: fatal: %s\n", what.c_str());
    std::fflush(stderr);
    std::abort();
}

std::string World::DescribeThreads() const
{
    std::string s;
    for (const auto& [nId, p] : m_threads) {
        char line[256];
        std::snprintf(line, sizeof line, "  thread %lu %-16s %s%s\n",
                      static_cast<unsigned long>(nId), p->name.c_str(),
                      p->bBlocked ? "waits for " : "runs ", p->bBlocked ? p->pszWaitingFor : "");
        s += line;
    }
    return s;
}

void World::Reset(Lock&)
{
    m_faults.clear();
    m_misuses.clear();
    m_events.clear();
    m_nNowUs = 0;
    for (auto& fn : m_resets)
        fn();
}

void SetError(Lock& lk, DWORD nError)
{
    World::Get().Current(lk).nLastError = nError;
}

}  // namespace sim
