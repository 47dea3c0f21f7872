// All links of the process by device name, the attachment stack of DeviceOpen/DeviceClose,
// and the linger timer that closes links nobody has used for a while.
#pragma once
#include "qvdevm/DeviceLink.h"
#include "qvdevm/DeviceName.h"
#include "qvdevm/OpenReason.h"

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace qvdevm {

// Makes the backend for a parsed name; nullptr (with why) when there is none.
std::unique_ptr<Transport> MakeTransport(const DeviceName& name, const Settings& settings, std::string& why);

// Whether this process holds a port lock (an flock on a port lock file), whichever copy of the
// library took it. In the two-library mode the port is taken through the other library, whose
// registry is not this one; the kernel's lock table is the state both share.
bool ProcessHoldsPortLock();

class Registry {
  public:
    Registry() = default;
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;

    // Open and close pair up per thread: a thread's transfers go to the device it opened. On
    // failure *failure (when given) says why.
    bool Open(const std::string& deviceName, OpenFailure* failure = nullptr);
    void Close();
    std::shared_ptr<DeviceLink> Current();
    // Gives a link back: it lingers, or closes at once when the linger time is 0.
    void Detach(const std::shared_ptr<DeviceLink>& link);
    // In a child after fork: the calling thread's attachments belong to the parent's links.
    static void ForgetThreadAttachments();
    // A link to this name that is up, if there is one.
    std::shared_ptr<DeviceLink> Existing(const std::string& deviceName);
    // Real close of every link, at process exit.
    void Shutdown();
    // While the process holds the port, an operation is under way: its links never linger out,
    // whatever its waits between a write and the read of the reply (Default waits 4 s, an
    // unattended firmware update 40 s). The linger counts again from the release. A hold taken
    // through the other library is found when a link's linger is up (ProcessHoldsPortLock).
    void SetPortHeld(bool held);

  private:
    void ReaperLoop();
    void WakeReaperLocked();

    std::mutex m_mutex;
    std::map<std::string, std::shared_ptr<DeviceLink>> m_links;
    std::map<DeviceLink*, DeviceLink::Clock::time_point> m_deadlines;
    std::thread m_reaper;
    std::condition_variable m_wake;
    bool m_reaperIdle = false;
    // The deadline the reaper sleeps until; max while it is awake or idle.
    DeviceLink::Clock::time_point m_reaperUntil = DeviceLink::Clock::time_point::max();
    bool m_quit = false;
    bool m_portHeld = false;
};

} // namespace qvdevm
