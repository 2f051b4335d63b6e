#pragma once

#include "platform/interface_table.h"

#include <QByteArray>
#include <QtEndian>

#include <initializer_list>
#include <utility>

// A row of the interface table with the given 32-bit fields, by offset, and the given bytes
// in its physical address field.
inline QByteArray tableRow(std::initializer_list<std::pair<int, quint32>> fields,
                           const QByteArray &physicalAddress = {})
{
    QByteArray row(IfRow::Size, '\0');
    for (const auto &[offset, value] : fields)
        qToLittleEndian(value, row.data() + offset);
    row.replace(IfRow::PhysAddr, physicalAddress.size(), physicalAddress);
    return row;
}

// A table of the rows, whose count field says count (the number of rows unless given).
inline QByteArray tableOf(std::initializer_list<QByteArray> rows, qint64 count = -1)
{
    QByteArray table(IfRow::TableHeader, '\0');
    qToLittleEndian(static_cast<quint32>(count < 0 ? qint64(rows.size()) : count), table.data());
    for (const QByteArray &row : rows)
        table += row;
    return table;
}

// Answers every read with the table and status it was given, and counts the reads.
class ScriptedInterfaceTable final : public InterfaceTable {
public:
    Status GetIfTable(QByteArray &out) override
    {
        ++reads;
        out = status == Status::Ok ? table : QByteArray();
        return status;
    }

    Status status = Status::Ok;
    QByteArray table = tableOf({});
    int reads = 0;
};
