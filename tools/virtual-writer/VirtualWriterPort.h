#pragma once
// The virtual writer as an in-process serial port: bytes written go to a WriterModel, its replies become
// readable after the configured reply delay on the injected clock. The model outlives the port, so a
// host that closes and reopens the port finds the chip as it left it.

#include <QList>

#include "WriterModel.h"
#include "link/SerialPort.h"

namespace zendra::virtualwriter {

class VirtualWriterPort final : public link::SerialPort {
public:
    VirtualWriterPort(WriterModel& model, core::Timing& timing);

    // Makes the port fail as an unplugged cable does: writes fail and nothing more arrives.
    void Unplug();
    // Open fails for these paths (a port that does not exist or is busy).
    QList<QString> unopenablePaths;

    QString LastLineSettings() const { return m_lineSettings; }
    int OpenCount() const { return m_opens; }

    bool Open(const QString& path) override;
    void Close() override;
    bool IsOpen() const override { return m_open; }
    QString PortPath() const override { return m_path; }
    bool SetLineSettings(const QString& settings) override;
    void SetNoHandshaking() override {}
    bool SetRts(bool) override { return true; }
    void DiscardInput() override;
    int BytesWaiting() override;
    bool Write(const QByteArray& bytes) override;
    QByteArray ReadAll() override;
    void WaitForMoreBytes(core::Duration maxWait) override;
    bool HasFailed() const override { return m_failed; }

private:
    struct Pending {
        QByteArray bytes;
        core::Clock::time_point due;
    };
    void DeliverDue();

    WriterModel& m_model;
    core::Timing& m_timing;
    QList<Pending> m_pending;
    QByteArray m_input;
    QString m_path;
    QString m_lineSettings;
    bool m_open = false;
    bool m_failed = false;
    int m_opens = 0;
};

}  // namespace zendra::virtualwriter
