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
    bool Acquire(int token, std::vector<std::string> (*folders)());
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
    };
    mutable std::mutex m_mutex;
    std::map<int, Hold> m_holds;
};

std::string LockFileName(int token);

} // namespace qvdevm
