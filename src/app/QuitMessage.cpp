#include "app/QuitMessage.h"

#include "platform/Platform.h"

namespace tav {

std::string QuitMessagePath() {
    return RuntimeFolder() + kQuitMessageName;
}

} // namespace tav
