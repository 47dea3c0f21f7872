// Faults a test can inject into the simulated printer's answers and connections.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tavsim {

// What one fault option does; an aimed fault carries its own set.
struct FaultSet {
    bool noReply = false;     // "no-reply": replies are dropped (logged as faults)
    int delayMs = 0;          // "delay=MS": each reply waits this long first
    size_t splitBytes = 0;    // "split=BYTES": each reply goes out in pieces of this size
    long truncateBytes = -1;  // "truncate=BYTES": only the first BYTES of each reply are sent
    bool garbage = false;     // "garbage[=SEED]": each reply's bytes are replaced by noise of the same length
    uint32_t garbageSeed = 0; // the noise of every reply differs; the same seed repeats the run's
    bool drop = false;        // "drop": the connection is closed as the job arrives, unrun and unanswered
    bool stall = false;       // "stall": from then on the connection is never read again
    bool unasked = false;     // "unasked": a status line nobody asked for follows the job's replies
    uint64_t cutBytes = 0;    // "cut=BYTES": the connection is closed once BYTES of the job have arrived

    // Adds what other sets (later options win for numbers).
    void Merge(const FaultSet& other);
};

// A fault for the jobs that carry one command ("INFO PRINTER:truncate=20"), or for the Nth job
// the simulator receives, counted from 1 over the whole run ("job3:drop").
struct AimedFault {
    std::string command;  // upper case, single blanks; matches a PJL line that begins with it
    int job = 0;
    FaultSet set;
};

struct Faults : FaultSet {
    int dropAfterJobs = 0;  // "drop-after=JOBS": a connection is closed once it has carried JOBS jobs
    bool refuse = false;    // "refuse": the port is bound but never listened on, so connects are refused
    std::vector<AimedFault> aimed;

    // The faults for one job: those of every run merged with the aimed ones that hit it.
    FaultSet ForJob(int jobNumber, const std::vector<std::string>& commands) const;
};

// "[SCOPE:]NAME[=NUMBER]", SCOPE being "jobN" or the leading words of a PJL command.
bool ParseFault(const std::string& text, Faults& f, std::string& error);

// The same noise for the same input and seed, so a failing test can be repeated; never equal to
// the input.
std::vector<uint8_t> Garble(const std::vector<uint8_t>& in, uint32_t seed = 0);

// What "unasked" sends: an unsolicited status message, as a printer with status on sends them.
std::vector<uint8_t> UnaskedStatus();

}  // namespace tavsim
