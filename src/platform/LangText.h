// Language texts with values put in, and the texts that tell the user why a printer could not be
// opened: what wintav32, tavctl and nux all say from the same language file.
#pragma once
#include <string>
#include <vector>

#include <qvdevm/qvdevm.h>

namespace tav {

// A language text with the values put in for %1, %2, ... in one pass; never a format string.
std::string FillLangText(const std::string& text, const std::vector<std::string>& values);

// The language code the registry names for the product: the whole machine's ZkCntCode when
// machine, else the user's TavCntCode, under Software\QVPrint (and \oemId); "" when none is set.
std::string RegistryLanguageCode(bool machine, const std::string& oemId);
// The language of the process locale (LC_ALL, else LC_MESSAGES, else LANG): "KR" for Korean,
// "EN" for any other; "" when none of them is set.
std::string LocaleLanguageCode();
// The language file langinfo.ini in programFolder (with its '/') gives code, or English's when
// it lists no such code; "" when it names none.
std::string LanguageFilePath(const std::string& programFolder, const std::string& code);

// Why the device library could not open a device, as its DeviceLastError tells it.
struct DeviceFailure {
    int code = QVDEVM_ERROR_NONE; // a QVDEVM_ERROR_ code
    std::string detail;           // the library's own words, in English
    bool Known() const { return code != QVDEVM_ERROR_NONE; }
};

// Asks the library's DeviceLastError (null: a library without it) for the calling thread's last
// failure; nothing known when there is none.
DeviceFailure LastDeviceFailure(DeviceLastErrorFn lastError);

// The user's text for a failure to open deviceName, from [STRING] of langFile (the library's
// words filled in where the text asks for them); "" when no failure is known.
std::string DeviceFailureText(const std::string& langFile, const DeviceFailure& failure,
                              const std::string& deviceName);

} // namespace tav
