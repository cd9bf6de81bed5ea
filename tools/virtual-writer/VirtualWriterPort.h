#pragma once
// The virtual writer as an in-process serial port: bytes written go to a WriterModel, its replies become
// readable after the configured reply delay on the injected clock. The model outlives the port, so a
// host that closes and reopens the port finds the chip as it left it.

#include "TimedPort.h"
#include "WriterModel.h"

namespace zendra::virtualwriter {

class VirtualWriterPort final : public TimedPort {
public:
    VirtualWriterPort(WriterModel& model, core::Timing& timing);

protected:
    void Receive(const QByteArray& bytes) override;

private:
    WriterModel& m_model;
};

}  // namespace zendra::virtualwriter
