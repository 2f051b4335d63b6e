#pragma once

#include <QDateTime>
#include <QString>

#include <memory>
#include <vector>

class InterfaceTable;
class LanguageText;
class MessageBoxes;

// One row of the interface table. The counters are unsigned in the table and kept bit for
// bit, so values of 2^31 and above are negative here.
class CInterface {
public:
    QString InterfaceDescription;
    // Specifies the physical address of the adapter for this interface.
    QString AdapterAddress;
    // Specifies the interface is administratively enabled or disabled.
    qint32 AdminStatus = 0;
    // Specifies the index that identifies the interface.
    qint32 InterfaceIndex = 0;
    // Specifies the number of incoming packets that were discarded even though they did not
    // have errors.
    qint32 DiscardedIncomingPackets = 0;
    // Specifies the number of incoming packets that were discarded because of errors.
    qint32 IncomingErrors = 0;
    // Specifies the number of non-unicast packets received through this interface. Broadcast
    // and multicast packets are included.
    qint32 NonunicastPacketsReceived = 0;
    // Specifies the number of octets of data received through this interface.
    qint32 OctetsReceived = 0;
    // Specifies the number of unicast packets received through this interface.
    qint32 UnicastPacketsReceived = 0;
    // Specifies the number of incoming packets that were discarded because the protocol was
    // unknown.
    qint32 UnknownProtocolPackets = 0;
    // Specifies the last time the operational status changed.
    QDateTime LastChange;
    // Specifies the Maximum Transmission Unit (MTU).
    qint32 MaximumTransmissionUnit = 0;
    // Specifies the operational status of the interface.
    qint32 OperationalStatus = 0;
    // Specifies the number of outgoing packets that were discarded even though they did not
    // have errors.
    qint32 DiscardedOutgoingPackets = 0;
    // Specifies the number of outgoing packets that were discarded because of errors.
    qint32 OutgoingErrors = 0;
    // Specifies the number of non-unicast packets sent through this interface. Broadcast and
    // multicast packets are included.
    qint32 NonunicastPacketsSent = 0;
    // Specifies the number of octets of data sent through this interface.
    qint32 OctetsSent = 0;
    // Specifies the output queue length.
    qint32 OutputQueueLength = 0;
    // Specifies the number of unicast packets sent through this interface.
    qint32 UnicastPacketsSent = 0;
    // Specifies the speed of the interface in bits per second.
    qint32 Speed = 0;
    // Specifies the type of interface.
    qint32 InterfaceType = 0;
    // String that contains the name of the interface.
    QString InterfaceName;
};

// The rows of one read of the table, addressed from 1 in table order.
class CInterfaces {
public:
    // Appends the object and returns it; the caller's pointer is left empty, so that the
    // next row starts with a new object.
    std::shared_ptr<CInterface> Add(std::shared_ptr<CInterface> &objInterface);
    // The item at a position from 1 to Count(); throws std::out_of_range outside.
    std::shared_ptr<CInterface> Item(int index) const;
    int Count() const { return static_cast<int>(items_.size()); }

private:
    std::vector<std::shared_ptr<CInterface>> items_;
};

// The machine's interface table as objects, and the received and sent octets of all its rows.
class CIpHelper {
public:
    // The message of a table that cannot be read at all is shown once per run, not on every
    // read: the table is read twice a second.
    CIpHelper(InterfaceTable &table, MessageBoxes &messages, const LanguageText &texts);

    // Reads the table afresh into a new collection and recomputes the sums; the previous
    // collection is released, and items a caller still holds keep their values.
    std::shared_ptr<CInterfaces> Interfaces();
    void setInterfaces(std::shared_ptr<CInterfaces> interfaces);

    // Sums of the last read, signed 32-bit; an addition that would overflow is skipped.
    qint32 BytesReceived() const { return bytesReceived_; }
    qint32 BytesSent() const { return bytesSent_; }

private:
    void ReadIfTable();

    InterfaceTable &table_;
    MessageBoxes &messages_;
    const LanguageText &texts_;
    std::shared_ptr<CInterfaces> interfaces_;
    qint32 bytesReceived_ = 0;
    qint32 bytesSent_ = 0;
    bool notSupportedShown_ = false;
};
