// Any bytes for the PostScript manager's exchanges, in the pieces the fuzzer chose: the storage
// report, both size records, the font and form counts and their directory listings. Each entry's
// name is a line of the listing, so it is never longer than the listing nor holds a line end.
#include <cstdlib>
#include <cstring>
#include <string>

#include "FuzzLink.h"
#include "FuzzSeeds.h"
#include "storage/FmuProtocol.h"
#include "RecordingUiHost.h"

namespace {
std::string Num16(long long v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%16lld", v);
    return buf;
}
std::string Padded(std::string s, size_t length) {
    s.resize(length, ' ');
    return s;
}
std::string Info(const char* query, long long count, long long size) {
    std::string r = Padded(std::string("@PJL INQUIRE ") + query + "\r\n", 29);
    return r + Num16(count) + Num16(size) + "\r\n";
}
std::string Listing(const std::string& lines, size_t size) {
    return Padded(lines + "\f", size);
}

void CheckEntries(const std::vector<tav::FmuFileEntry>& list, size_t limit) {
    for (const auto& e : list)
        if (e.name.size() > limit || e.name.find('\n') != std::string::npos) std::abort();
}
} // namespace

std::vector<std::vector<uint8_t>> FuzzSeeds() {
    const std::string fileSys = Padded("@PJL INQUIRE PSFILESYS\r\n", 24) + "3\f";
    const std::string dimm = Padded("@PJL INQUIRE PSDIMMSIZE\r\n", 25) + Num16(65536) + Num16(1234) + "\f";
    const std::string fonts =
        Info("PSFNTINFO", 2, 64) + Listing("Courier TYPE=FILE SIZE=40960\nSans TYPE=FILE SIZE=1\n", 64);
    const std::string forms = Info("PSFRMINFO", 1, 45) + Listing("Invoice TYPE=FILE SIZE=48213\n", 45);
    std::vector<std::vector<uint8_t>> seeds;
    // First byte: size of the first read in 16-byte steps (0xFF: all at once).
    seeds.push_back(SeedBytes("\xFF" + fileSys + dimm + fonts + forms));
    seeds.push_back(SeedBytes("\x01" + fileSys + dimm + fonts + forms));
    seeds.push_back(SeedBytes("\xFF" + fileSys + Padded("@PJL INQUIRE PSDIMMSIZE\r\n", 25) + Num16(-5) +
                              Num16(99999999999999LL) + "\f" + Info("PSFNTINFO", -1, 20480) +
                              Listing("no end of line TYPE=FILE ", 20480)));
    seeds.push_back(SeedBytes("\xFF" + fileSys + dimm + Info("PSFNTINFO", 1, 44) + forms));
    return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static tav::RecordingUiHost ui;
    static tav::AppContext ctx(ui);
    static const bool bound = (fuzzlink::Bind(ctx), true);
    (void)bound;
    ui.Clear();
    fuzzlink::Serve(data, size);
    tav::FmuLog log;
    tav::FmuProtocol fmu(ctx, log);
    const int system = fmu.CheckSystem();
    if (system < 0 || system > 3) std::abort();
    for (int target : {tav::FMU_SELECTED_TARGET_DIMM, tav::FMU_SELECTED_TARGET_HDD}) {
        fmu.SetTarget(target);
        tav::FmuSizes sizes;
        fmu.QuerySizes(sizes, true);
        std::vector<tav::FmuFileEntry> fonts, forms;
        fmu.LoadFontListFromDevice(fonts);
        fmu.LoadFormListFromDevice(forms);
        CheckEntries(fonts, static_cast<size_t>(tav::kMaxListingBytes));
        CheckEntries(forms, static_cast<size_t>(tav::kMaxListingBytes));
    }
    // The listing parser on its own, over the raw bytes: names are pieces of what it was given.
    const auto direct = tav::ParseDirListing(data, size, tav::FMU_DATA_FORM);
    size_t total = 0;
    for (const auto& e : direct)
        total += e.name.size() + 1;
    if (total > size + 1) std::abort();
    CheckEntries(direct, size);
    return 0;
}
