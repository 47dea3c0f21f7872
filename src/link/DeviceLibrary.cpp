#include "link/DeviceLibrary.h"

#include <dlfcn.h>

namespace tav {

std::unique_ptr<DlLibrary> DlLibrary::Load(const std::string& fileName, const std::string& programFolder) {
    std::string local = programFolder + fileName;
    void* handle = dlopen(local.c_str(), RTLD_NOW | RTLD_LOCAL);
    std::string from = local;
    if (!handle) {
        handle = dlopen(fileName.c_str(), RTLD_NOW | RTLD_LOCAL);
        from = fileName;
    }
    if (!handle) return nullptr;
    return std::unique_ptr<DlLibrary>(new DlLibrary(handle, fileName, from));
}

DlLibrary::~DlLibrary() {
    if (m_handle) dlclose(m_handle);
}

void* DlLibrary::Lookup(const char* name) { return m_handle ? dlsym(m_handle, name) : nullptr; }

}  // namespace tav
