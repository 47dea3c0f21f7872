// Raw TCP to a printer's data port (9100 and friends).
#pragma once
#include "qvdevm/Settings.h"
#include "qvdevm/Transport.h"
#include "qvdevm/WakeFd.h"

namespace qvdevm {

class TcpTransport : public Transport {
  public:
    TcpTransport(std::string host, uint16_t port, const Settings& settings);
    ~TcpTransport() override;
    bool Open(std::string& why) override;
    size_t Write(const uint8_t* data, size_t length, WriteEnd& end) override;
    ReadResult ReadSome(uint8_t* buffer, size_t capacity, size_t& got) override;
    ReadResult ReadNow(uint8_t* buffer, size_t capacity, size_t& got) override;
    bool CanReadNow() const override;
    void Interrupt() override;
    bool ShutdownOutput() override;
    bool PeerHasClosed() override;
    void Close() override;
    void Abort() override;
    bool VendorStatus(const uint8_t* in, uint32_t inLength, uint8_t* out, uint32_t outLength,
                      uint32_t& returned, LinkBuffer& buffer) override;
    std::string Describe() const override;

  private:
    std::string m_host;
    uint16_t m_port;
    Settings m_settings;
    int m_fd = -1;
    WakeFd m_wake;
};

// Presence only: a connect that succeeds, closed again in order. 'why' as for Open.
bool ProbeTcp(const std::string& host, uint16_t port, int timeoutMs, std::string& why);

} // namespace qvdevm
