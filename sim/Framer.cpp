#include "Framer.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace tavsim {

Framer::Framer(size_t dataKeep, size_t jobKeep) : m_dataKeep(dataKeep), m_jobKeep(jobKeep) {}

void Framer::Feed(const uint8_t* data, size_t len, std::vector<Segment>& out) {
    for (size_t i = 0; i < len; ++i) {
        if (m_match == 0 && m_state != State::Idle) {
            // Bulk path for long runs of data or download bodies: nothing can happen before an ESC.
            const void* esc = std::memchr(data + i, 0x1b, len - i);
            size_t end = esc ? size_t(static_cast<const uint8_t*>(esc) - data) : len;
            if (end > i) {
                Bulk(data + i, end - i);
                i = end;
                if (i == len) break;
            }
        }
        uint8_t b = data[i];
        if (b == uint8_t(kUel[m_match])) {
            if (++m_match == kUelLen) {
                m_match = 0;
                OnUel(out);
            }
            continue;
        }
        // The UEL's bytes are all different, so a broken match can only restart at this byte.
        for (size_t k = 0; k < m_match; ++k) Plain(uint8_t(kUel[k]), out);
        m_match = 0;
        if (b == uint8_t(kUel[0])) m_match = 1;
        else Plain(b, out);
    }
}

void Framer::StartJob(bool withUel) {
    m_state = State::Job;
    m_cur = Segment{};
    m_cur.kind = Segment::Kind::Job;
    m_jobHasBody = false;
    if (withUel) {
        m_cur.bytes.assign(kUel, kUel + kUelLen);
        m_cur.size = kUelLen;
    }
}

void Framer::StartData() {
    m_state = State::Data;
    m_cur = Segment{};
    m_cur.kind = Segment::Kind::Data;
}

void Framer::Bulk(const uint8_t* p, size_t n) {
    size_t keep = m_state == State::Data ? m_dataKeep : m_jobKeep;
    size_t room = m_cur.bytes.size() < keep ? keep - m_cur.bytes.size() : 0;
    size_t take = std::min(room, n);
    m_cur.bytes.insert(m_cur.bytes.end(), p, p + take);
    if (take < n) m_cur.clipped = true;
    m_cur.size += n;
    if (m_state == State::Data) m_hash.Update(p, n);
    else m_jobHasBody = true;
}

void Framer::DataByte(uint8_t b) {
    if (m_cur.bytes.size() < m_dataKeep) m_cur.bytes.push_back(b);
    else m_cur.clipped = true;
    ++m_cur.size;
    m_hash.Update(&b, 1);
}

void Framer::Plain(uint8_t b, std::vector<Segment>& out) {
    switch (m_state) {
        case State::Job:
            if (m_cur.bytes.size() < m_jobKeep) m_cur.bytes.push_back(b);
            else m_cur.clipped = true;
            ++m_cur.size;
            m_jobHasBody = true;
            return;
        case State::Data:
            DataByte(b);
            return;
        case State::Idle: {
            static const char pjl[] = "@PJL";
            m_sniff.push_back(b);
            size_t n = m_sniff.size();
            if (std::toupper(b) != pjl[n - 1]) {
                StartData();
                for (uint8_t s : m_sniff) DataByte(s);
                m_sniff.clear();
            } else if (n == 4) {
                StartJob(false);
                m_cur.bytes = m_sniff;
                m_cur.size = n;
                m_jobHasBody = true;
                m_sniff.clear();
            }
            (void)out;
            return;
        }
    }
}

void Framer::OnUel(std::vector<Segment>& out) {
    switch (m_state) {
        case State::Job:
            if (!m_jobHasBody && m_cur.size == kUelLen) {
                // Two UELs in a row: the first stands alone, the second opens the next job.
                EmitJob(true, out);
                StartJob(true);
                return;
            }
            m_cur.bytes.insert(m_cur.bytes.end(), kUel, kUel + kUelLen);
            m_cur.size += kUelLen;
            EmitJob(true, out);
            m_state = State::Idle;
            return;
        case State::Data:
            EmitData(out);
            StartJob(true);
            return;
        case State::Idle:
            if (!m_sniff.empty()) {
                StartData();
                for (uint8_t s : m_sniff) DataByte(s);
                m_sniff.clear();
                EmitData(out);
            }
            StartJob(true);
            return;
    }
}

void Framer::EmitJob(bool complete, std::vector<Segment>& out) {
    m_cur.complete = complete;
    out.push_back(std::move(m_cur));
    m_cur = Segment{};
}

void Framer::EmitData(std::vector<Segment>& out) {
    m_cur.sha256 = m_hash.FinishHex();
    out.push_back(std::move(m_cur));
    m_cur = Segment{};
    m_state = State::Idle;
}

void Framer::Quiet(std::vector<Segment>& out) {
    if (m_state == State::Idle && !m_sniff.empty()) {
        StartData();
        for (uint8_t s : m_sniff) DataByte(s);
        m_sniff.clear();
    }
    // A partly matched UEL stays pending: its rest may still come.
    if (m_state == State::Data) EmitData(out);
}

void Framer::Finish(std::vector<Segment>& out) {
    size_t pending = m_match;
    m_match = 0;
    for (size_t k = 0; k < pending; ++k) Plain(uint8_t(kUel[k]), out);
    if (m_state == State::Job) {
        EmitJob(false, out);
        m_state = State::Idle;
        return;
    }
    Quiet(out);
}

}  // namespace tavsim
