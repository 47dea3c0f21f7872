// A device library as the programs see it: a set of entry points found by name at each call.
#pragma once
#include <map>
#include <memory>
#include <string>

namespace tav {

class DeviceLibrary {
public:
    virtual ~DeviceLibrary() = default;
    // The entry point, or nullptr when the library lacks it.
    virtual void* Lookup(const char* name) = 0;
    virtual std::string Name() const = 0;
};

// A shared object loaded with dlopen: the program folder first, then the system's search path.
class DlLibrary : public DeviceLibrary {
public:
    static std::unique_ptr<DlLibrary> Load(const std::string& fileName, const std::string& programFolder);
    ~DlLibrary() override;
    void* Lookup(const char* name) override;
    std::string Name() const override { return m_name; }
    const std::string& LoadedFrom() const { return m_path; }

private:
    DlLibrary(void* handle, std::string name, std::string path)
        : m_handle(handle), m_name(std::move(name)), m_path(std::move(path)) {}
    void* m_handle;
    std::string m_name;
    std::string m_path;
};

// In-process entry points, so no test needs a printer or a shared object.
class TableLibrary : public DeviceLibrary {
public:
    explicit TableLibrary(std::string name = "table") : m_name(std::move(name)) {}
    template <typename Fn>
    void Set(const std::string& entry, Fn fn) {
        m_entries[entry] = reinterpret_cast<void*>(fn);
    }
    void Remove(const std::string& entry) { m_entries.erase(entry); }
    void* Lookup(const char* name) override {
        auto it = m_entries.find(name);
        return it == m_entries.end() ? nullptr : it->second;
    }
    std::string Name() const override { return m_name; }

private:
    std::string m_name;
    std::map<std::string, void*> m_entries;
};

}  // namespace tav
