#include "qvdevm/OpenReason.h"

namespace qvdevm {

OpenFailure FailureOf(const std::string& why) {
    static constexpr struct {
        const char* text;
        int code;
    } kClasses[] = {
        {reason::kBusy, QVDEVM_ERROR_BUSY},          {reason::kPermission, QVDEVM_ERROR_PERMISSION},
        {reason::kNoDevice, QVDEVM_ERROR_NOT_FOUND}, {reason::kUnknownHost, QVDEVM_ERROR_NOT_FOUND},
        {reason::kRefused, QVDEVM_ERROR_REFUSED},    {reason::kNoAnswer, QVDEVM_ERROR_NO_ANSWER},
    };
    for (const auto& c : kClasses)
        if (why.rfind(c.text, 0) == 0) return {c.code, why};
    return {QVDEVM_ERROR_OTHER, why};
}

} // namespace qvdevm
