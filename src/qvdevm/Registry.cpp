#include "qvdevm/Registry.h"

#include "qvdevm/CharDevTransport.h"
#include "qvdevm/Debug.h"
#include "qvdevm/TcpTransport.h"
#include "qvdevm/UsbTransport.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace qvdevm {

std::unique_ptr<Transport> MakeTransport(const DeviceName& name, const Settings& settings, std::string& why) {
    switch (name.kind) {
    case DeviceKind::Tcp:
        return std::make_unique<TcpTransport>(name.host, name.port, settings);
    case DeviceKind::CharDevice:
        return std::make_unique<CharDevTransport>(name.path, settings);
    case DeviceKind::Usb:
    case DeviceKind::UsbDefault:
        return std::make_unique<UsbTransport>(name, settings);
    case DeviceKind::Invalid:
        break;
    }
    why = name.error;
    return nullptr;
}

bool ProcessHoldsPortLock() {
    DIR* dir = opendir("/proc/self/fd");
    if (!dir) return false;
    bool held = false;
    while (const dirent* e = readdir(dir)) {
        if (e->d_name[0] < '0' || e->d_name[0] > '9') continue;
        char target[4096];
        const std::string fdPath = std::string("/proc/self/fd/") + e->d_name;
        const ssize_t n = readlink(fdPath.c_str(), target, sizeof target - 1);
        if (n <= 0) continue;
        target[n] = '\0';
        const char* base = std::strrchr(target, '/');
        base = base ? base + 1 : target;
        const size_t len = std::strlen(base);
        if (std::strncmp(base, "port-", 5) != 0 || len < 10 || std::strcmp(base + len - 5, ".lock") != 0) continue;
        // fdinfo names the locks this open file holds: "lock:	1: FLOCK  ADVISORY  WRITE ...".
        const int info = open((std::string("/proc/self/fdinfo/") + e->d_name).c_str(), O_RDONLY | O_CLOEXEC);
        if (info < 0) continue;
        char text[1024];
        const ssize_t got = read(info, text, sizeof text - 1);
        close(info);
        if (got <= 0) continue;
        text[got] = '\0';
        for (const char* line = std::strstr(text, "lock:"); line && !held; line = std::strstr(line + 5, "lock:"))
            held = std::strstr(line, "FLOCK") && std::strstr(line, "WRITE");
        if (held) break;
    }
    closedir(dir);
    return held;
}

namespace {

// The devices the calling thread has open, innermost last.
struct ThreadAttachments {
    Registry* owner = nullptr;
    std::vector<std::shared_ptr<DeviceLink>> links;
    ~ThreadAttachments() {
        // A thread that ends with a device open gives it back, so that it can linger out.
        while (owner && !links.empty()) {
            std::shared_ptr<DeviceLink> link = links.back();
            links.pop_back();
            owner->Detach(link);
        }
    }
};
thread_local ThreadAttachments t_attached;

} // namespace

void Registry::ForgetThreadAttachments() {
    // Destroying them would close the parent's connections; they are left as they are.
    new std::vector<std::shared_ptr<DeviceLink>>(std::move(t_attached.links));
    t_attached.links.clear();
    t_attached.owner = nullptr;
}

bool Registry::Open(const std::string& deviceName, OpenFailure* failure) {
    // Held while connecting, so the linger timer never closes a link that is being attached.
    std::lock_guard<std::mutex> lock(m_mutex);
    std::shared_ptr<DeviceLink> link;
    auto it = m_links.find(deviceName);
    if (it != m_links.end()) {
        link = it->second;
    } else {
        const Settings settings = Settings::FromEnvironment();
        std::string why;
        DeviceName parsed = ParseDeviceName(deviceName);
        std::unique_ptr<Transport> transport = MakeTransport(parsed, settings, why);
        if (!transport) {
            DebugLine("\"" + deviceName + "\": " + why);
            if (failure) *failure = {QVDEVM_ERROR_BAD_NAME, why};
            return false;
        }
        link = std::make_shared<DeviceLink>(deviceName, std::move(transport), settings);
        m_links[deviceName] = link;
    }
    std::string why;
    if (!link->Attach(why)) {
        if (failure) *failure = FailureOf(why);
        // A link that never came up and holds nothing is not worth keeping.
        if (link->Attached() == 0 && !link->Usable()) {
            m_links.erase(deviceName);
            m_deadlines.erase(link.get());
        }
        return false;
    }
    t_attached.owner = this;
    t_attached.links.push_back(link);
    if (!m_reaper.joinable() && !m_quit) m_reaper = std::thread(&Registry::ReaperLoop, this);
    return true;
}

void Registry::Close() {
    if (t_attached.owner != this || t_attached.links.empty())
        return; // a close without an open changes nothing
    std::shared_ptr<DeviceLink> link = t_attached.links.back();
    t_attached.links.pop_back();
    Detach(link);
}

void Registry::Detach(const std::shared_ptr<DeviceLink>& link) {
    link->Detach();
    if (link->Attached() > 0) return;
    const int lingerMs = LingerMs();
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_quit) return;
    if (lingerMs == 0) {
        auto it = m_links.find(link->Name());
        if (it != m_links.end() && it->second == link) m_links.erase(it);
        m_deadlines.erase(link.get());
        // Closing takes a moment; other threads' opens wait for it, which a linger time
        // of 0 asks for anyway.
        link->CloseForReal();
        return;
    }
    const auto deadline = link->LastUse() + std::chrono::milliseconds(lingerMs);
    m_deadlines[link.get()] = deadline;
    // The reaper sleeps until the earliest deadline it knows and finds later ones when it wakes,
    // so only a deadline before that one needs a wake-up (no syscall on most transfers). The
    // linger is read at every close, so a deadline may well come before the one it waits for.
    // While the port is held nothing lingers out and the release wakes it, so a file sent chunk
    // by chunk under the hold costs it no wake-up at all.
    if (!m_portHeld && (m_reaperIdle || deadline < m_reaperUntil)) WakeReaperLocked();
}

void Registry::WakeReaperLocked() {
    m_wake.notify_all();
}

std::shared_ptr<DeviceLink> Registry::Current() {
    if (t_attached.owner != this || t_attached.links.empty()) return nullptr;
    return t_attached.links.back();
}

std::shared_ptr<DeviceLink> Registry::Existing(const std::string& deviceName) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_links.find(deviceName);
    return it == m_links.end() ? nullptr : it->second;
}

void Registry::SetPortHeld(bool held) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_portHeld == held) return;
    m_portHeld = held;
    if (!held) {
        // Every link given back during the operation lingers from now on.
        const auto now = DeviceLink::Clock::now();
        for (auto& [link, deadline] : m_deadlines) {
            (void)link;
            deadline = std::max(deadline, now + std::chrono::milliseconds(LingerMs()));
        }
        WakeReaperLocked();
    }
}

void Registry::ReaperLoop() {
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_quit) {
        if (m_portHeld) {
            // Nothing lingers out during an operation; the release wakes us.
            m_reaperUntil = DeviceLink::Clock::time_point::max();
            m_reaperIdle = true;
            m_wake.wait(lock);
            m_reaperIdle = false;
            continue;
        }
        const auto now = DeviceLink::Clock::now();
        std::vector<std::shared_ptr<DeviceLink>> expired;
        auto next = DeviceLink::Clock::time_point::max();
        int heldElsewhere = -1; // asked of the kernel once a linger is up, at most once a round
        for (auto it = m_links.begin(); it != m_links.end();) {
            DeviceLink* link = it->second.get();
            auto d = m_deadlines.find(link);
            if (link->Attached() > 0 || d == m_deadlines.end()) {
                ++it;
                continue;
            }
            if (d->second <= now) {
                if (heldElsewhere < 0) heldElsewhere = ProcessHoldsPortLock() ? 1 : 0;
                // The other library's operation is under way: look again a linger later.
                if (heldElsewhere) d->second = now + std::chrono::milliseconds(std::max(LingerMs(), 1));
            }
            const auto deadline = d->second; // every close moves it on
            if (deadline <= now) {
                expired.push_back(it->second);
                m_deadlines.erase(d);
                it = m_links.erase(it);
            } else {
                next = std::min(next, deadline);
                ++it;
            }
        }
        if (!expired.empty()) {
            lock.unlock();
            for (auto& link : expired) {
                DebugLine(link->Name() + ": unused for the linger time");
                link->CloseForReal();
            }
            expired.clear();
            lock.lock();
            continue;
        }
        m_reaperUntil = next;
        if (next == DeviceLink::Clock::time_point::max()) {
            m_reaperIdle = true;
            m_wake.wait(lock);
            m_reaperIdle = false;
        } else {
            m_wake.wait_until(lock, next);
        }
        m_reaperUntil = DeviceLink::Clock::time_point::max();
    }
}

void Registry::Shutdown() {
    std::vector<std::shared_ptr<DeviceLink>> links;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_quit = true;
        m_wake.notify_all();
        for (auto& [name, link] : m_links) {
            (void)name;
            links.push_back(link);
        }
        m_links.clear();
        m_deadlines.clear();
    }
    if (m_reaper.joinable()) m_reaper.join();
    for (auto& link : links)
        link->CloseForReal();
}

} // namespace qvdevm
