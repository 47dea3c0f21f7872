// Splits the byte stream from the host at UEL into PJL jobs and plain data.
//
// A job opens at a UEL and closes at the next one; both UELs belong to it. Bytes that start
// with "@PJL" outside a job (the download headers are sent without a leading UEL) form a job
// that the next UEL closes. Anything else outside a job is print or firmware data, which runs
// up to the next UEL (the UEL then opens a job), a quiet gap, or the end of the connection.
// A UEL right after an opening UEL leaves the first one as a job of its own, so a job's bytes
// are always those of one framed request.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Sha256.h"

namespace tavsim {

inline constexpr char kUel[] = "\x1b%-12345X";
inline constexpr size_t kUelLen = 9;

struct Segment {
    enum class Kind { Job, Data };
    Kind kind = Kind::Job;
    std::vector<uint8_t> bytes;  // all of a job; of data at most the keep limit
    uint64_t size = 0;           // bytes received in all
    bool complete = true;        // a job closed by its UEL
    bool clipped = false;        // bytes holds less than size
    std::string sha256;          // data only
};

class Framer {
public:
    explicit Framer(size_t dataKeep = 1 << 20, size_t jobKeep = 16 << 20);
    void Feed(const uint8_t* data, size_t len, std::vector<Segment>& out);
    // A quiet line ends a data run (a job stays open: its UEL may still come).
    void Quiet(std::vector<Segment>& out);
    // End of the connection: whatever is open is handed out as it stands.
    void Finish(std::vector<Segment>& out);
    // The job or data run being received, as far as it has come; nullptr between them.
    const Segment* Current() const { return m_state == State::Idle ? nullptr : &m_cur; }

private:
    enum class State { Idle, Job, Data };
    void Plain(uint8_t b, std::vector<Segment>& out);
    void OnUel(std::vector<Segment>& out);
    void StartJob(bool withUel);
    void StartData();
    void DataByte(uint8_t b);
    void Bulk(const uint8_t* p, size_t n);
    void EmitJob(bool complete, std::vector<Segment>& out);
    void EmitData(std::vector<Segment>& out);

    size_t m_dataKeep;
    size_t m_jobKeep;
    State m_state = State::Idle;
    size_t m_match = 0;          // UEL bytes matched and not yet given to anything
    std::vector<uint8_t> m_sniff;  // outside a job, until "@PJL" is confirmed or refuted
    Segment m_cur;
    bool m_jobHasBody = false;
    Sha256 m_hash;
};

}  // namespace tavsim
