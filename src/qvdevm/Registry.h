// All links of the process by device name, the attachment stack of DeviceOpen/DeviceClose,
// and the linger timer that closes links nobody has used for a while.
#pragma once
#include "qvdevm/DeviceLink.h"
#include "qvdevm/DeviceName.h"

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

class Registry {
public:
    Registry() = default;
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;

    bool Open(const std::string& deviceName);
    void Close();
    std::shared_ptr<DeviceLink> Current();
    // A link to this name that is up, if there is one.
    std::shared_ptr<DeviceLink> Existing(const std::string& deviceName);
    // Real close of every link, at process exit.
    void Shutdown();

private:
    void ReaperLoop();
    void WakeReaperLocked();

    std::mutex m_mutex;
    std::map<std::string, std::shared_ptr<DeviceLink>> m_links;
    std::vector<std::shared_ptr<DeviceLink>> m_attached;
    std::map<DeviceLink*, DeviceLink::Clock::time_point> m_deadlines;
    std::thread m_reaper;
    std::condition_variable m_wake;
    bool m_reaperIdle = false;
    bool m_quit = false;
};

}  // namespace qvdevm
