// The port lock: counted inside the process so an operation may hold the port while each of
// its transfers takes it once more, exclusive across processes through flock on a lock file.
#pragma once
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace qvdevm {

class PortLock {
  public:
    // One lock file per token, in the first of the folders (see LockFolders) where it can be
    // opened. The folders are only asked for when the process does not hold the port yet.
    // device empty: the whole port, exclusively. Otherwise the token's file is shared and the
    // device's own file (PortDeviceKey) held exclusively; a hold takes each device it is asked
    // for, and a device another process holds fails the acquire. A hold for printers cannot
    // grow to the whole port.
    bool Acquire(int token, std::vector<std::string> (*folders)(), const std::string& device = {});
    // Unbalanced releases do nothing and answer false.
    bool Release(int token);
    int Count(int token) const;
    // Whether this process holds any port at all.
    bool AnyHeld() const;
    // In a child after fork: the parent's holds are not ours. The descriptors stay untouched,
    // since unlocking them would free the parent's lock.
    void ForgetAfterFork();

  private:
    struct Hold {
        int count = 0;
        int fd = -1;
        std::string path;
        bool whole = false;                // the token's file held exclusively
        std::map<std::string, int> devices; // device key -> its lock file, held while count > 0
    };
    bool LockDevice(Hold& hold, int token, const std::string& device);
    static void UnlockAll(Hold& hold);
    mutable std::mutex m_mutex;
    std::map<int, Hold> m_holds;
};

std::string LockFileName(int token);
// Which printer a device name reaches, as far as a name tells: a host and port, a node, or
// "usb" for every USB name.
std::string PortDeviceKey(const std::string& deviceName);
// The lock file of one printer of a token: named by a hash of its key.
std::string DeviceLockFileName(int token, const std::string& key);

} // namespace qvdevm
