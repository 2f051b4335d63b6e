#include "netmeter/ip_helper.h"

#include "core/language_table.h"
#include "core/text_ids.h"
#include "platform/interface_table.h"
#include "platform/message_boxes.h"

#include <QElapsedTimer>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <limits>
#include <stdexcept>

namespace {

using Row = std::array<char, IfRow::Size>;

quint32 unsignedField(const Row &row, int offset)
{
    return qFromLittleEndian<quint32>(row.data() + offset);
}

qint32 field(const Row &row, int offset)
{
    return static_cast<qint32>(unsignedField(row, offset));
}

// Bytes joined by "-", each in upper-case hexadecimal without a leading zero, except that a
// zero byte is "00". The field holds 8 bytes; a longer length stops there.
QString adapterAddressText(const Row &row)
{
    const quint32 length =
        std::min<quint32>(unsignedField(row, IfRow::PhysAddrLen), IfRow::PhysAddrBytes);
    QString text;
    for (quint32 j = 0; j < length; ++j) {
        const auto byte = static_cast<unsigned char>(row[IfRow::PhysAddr + j]);
        text += byte == 0 ? QStringLiteral("00") : QString::number(byte, 16).toUpper();
        text += u'-';
    }
    text.chop(1);
    return text;
}

QString nameText(const Row &row)
{
    QString name;
    for (int at = IfRow::Name; at < IfRow::Name + IfRow::NameBytes; at += 2) {
        const char16_t unit = qFromLittleEndian<char16_t>(row.data() + at);
        if (unit == 0)
            break;
        name += QChar(unit);
    }
    return name;
}

void addUnlessOverflow(qint32 &sum, qint32 value)
{
    const qint64 wide = qint64(sum) + value;
    if (wide >= std::numeric_limits<qint32>::min() && wide <= std::numeric_limits<qint32>::max())
        sum = static_cast<qint32>(wide);
}

} // namespace

std::shared_ptr<CInterface> CInterfaces::Add(std::shared_ptr<CInterface> &objInterface)
{
    items_.push_back(std::move(objInterface));
    objInterface.reset();
    return items_.back();
}

std::shared_ptr<CInterface> CInterfaces::Item(int index) const
{
    if (index < 1 || index > Count())
        throw std::out_of_range("no interface at this position");
    return items_[static_cast<size_t>(index - 1)];
}

CIpHelper::CIpHelper(InterfaceTable &table, MessageBoxes &messages, const LanguageText &texts)
    : table_(table), messages_(messages), texts_(texts)
{
}

std::shared_ptr<CInterfaces> CIpHelper::Interfaces()
{
    interfaces_ = std::make_shared<CInterfaces>();
    ReadIfTable();
    return interfaces_;
}

void CIpHelper::setInterfaces(std::shared_ptr<CInterfaces> interfaces)
{
    interfaces_ = std::move(interfaces);
}

void CIpHelper::ReadIfTable()
{
    bytesReceived_ = 0;
    bytesSent_ = 0;

    QByteArray table;
    switch (table_.GetIfTable(table)) {
    case InterfaceTable::Status::Ok:
        break;
    case InterfaceTable::Status::NotSupported:
        // Marked first: timer ticks go on while the message box is open.
        if (!notSupportedShown_) {
            notSupportedShown_ = true;
            messages_.showMessage(texts_[TextId::InterfaceTableUnsupported],
                                  MessageBoxes::Icon::Critical);
        }
        return;
    case InterfaceTable::Status::Failed:
        return;
    }
    if (table.size() < IfRow::TableHeader)
        return;

    // A count larger than the rows present reads only the rows present.
    const qsizetype present = (table.size() - IfRow::TableHeader) / IfRow::Size;
    const qsizetype count =
        std::min<qsizetype>(qFromLittleEndian<quint32>(table.constData()), present);
    // The table gives the up-time in hundredths of a second at the last change; the
    // monotonic clock counts from the start of the system.
    QElapsedTimer sinceBoot;
    sinceBoot.start();
    const QDateTime bootTime =
        QDateTime::currentDateTimeUtc().addMSecs(-sinceBoot.msecsSinceReference());

    std::shared_ptr<CInterface> row;
    for (qsizetype i = 0; i < count; ++i) {
        Row record;
        std::copy_n(table.constData() + IfRow::TableHeader + i * IfRow::Size, IfRow::Size,
                    record.begin());
        if (!row)
            row = std::make_shared<CInterface>();

        const quint32 descrLen =
            std::min<quint32>(unsignedField(record, IfRow::DescrLen), IfRow::DescrBytes);
        row->InterfaceDescription =
            QString::fromUtf8(record.data() + IfRow::Descr, static_cast<qsizetype>(descrLen));
        row->AdapterAddress = adapterAddressText(record);
        row->AdminStatus = field(record, IfRow::AdminStatus);
        row->InterfaceIndex = field(record, IfRow::Index);
        row->DiscardedIncomingPackets = field(record, IfRow::InDiscards);
        row->IncomingErrors = field(record, IfRow::InErrors);
        row->NonunicastPacketsReceived = field(record, IfRow::InNUcastPkts);
        row->OctetsReceived = field(record, IfRow::InOctets);
        row->UnicastPacketsReceived = field(record, IfRow::InUcastPkts);
        row->UnknownProtocolPackets = field(record, IfRow::InUnknownProtos);
        row->LastChange = bootTime.addMSecs(qint64(unsignedField(record, IfRow::LastChange)) * 10);
        row->MaximumTransmissionUnit = field(record, IfRow::Mtu);
        row->OperationalStatus = field(record, IfRow::OperStatus);
        row->DiscardedOutgoingPackets = field(record, IfRow::OutDiscards);
        row->OutgoingErrors = field(record, IfRow::OutErrors);
        row->NonunicastPacketsSent = field(record, IfRow::OutNUcastPkts);
        row->OctetsSent = field(record, IfRow::OutOctets);
        row->OutputQueueLength = field(record, IfRow::OutQLen);
        row->UnicastPacketsSent = field(record, IfRow::OutUcastPkts);
        row->Speed = field(record, IfRow::Speed);
        row->InterfaceType = field(record, IfRow::Type);
        row->InterfaceName = nameText(record);

        addUnlessOverflow(bytesReceived_, row->OctetsReceived);
        addUnlessOverflow(bytesSent_, row->OctetsSent);
        interfaces_->Add(row);
    }
}
